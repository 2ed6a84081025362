#include "win/support/RealFilesEnvironment.h"

namespace plovik::test {

RealFilesEnvironment::RealFilesEnvironment(int pathChars) : saved_(BoundProtocol()) {
  InstallPlatform(&platform_);
  InstallToolkit(&toolkit_);
  form_ = toolkit_.CreateForm();
  memo_ = toolkit_.CreateMemo(*form_);
  ProtocolControls controls;
  controls.MemoProtocol = memo_.get();
  BindProtocol(controls);
  ProtocolClear();
  ProtocolPathChars = pathChars;
}

RealFilesEnvironment::~RealFilesEnvironment() {
  BindProtocol(saved_);
  InstallToolkit(nullptr);
  InstallPlatform(nullptr);
}

}  // namespace plovik::test
