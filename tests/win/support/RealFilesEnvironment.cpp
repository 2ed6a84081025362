#include "win/support/RealFilesEnvironment.h"

#include "core/RunRecords.h"
#include "engine/TreeWalk.h"

namespace plovik::test {

RealFilesEnvironment::RealFilesEnvironment(int pathChars) : saved_(BoundProtocol()) {
  InstallPlatform(&platform_);
  InstallToolkit(&toolkit_);
  InstallHost(&host_);
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
  InstallHost(nullptr);
  InstallToolkit(nullptr);
  InstallPlatform(nullptr);
}

namespace {
// Wide enough that no path of a test tree is shortened.
constexpr int UnshortenedPathChars = 2000;
}  // namespace

WalkEnvironment::WalkEnvironment() : RealFilesEnvironment(UnshortenedPathChars) {
  RunOptions = TRunOptions{};
  RunOptions.SubDirFlag = true;
  RunOptions.EmptyFlag = true;
  RunOptions.VerifyFlag = true;
  RunOptions.ReportFlag = true;
  RunOptions.SrcFileSpecList[1] = "*.*";
  RunOptions.SrcFileSpecCount = 1;
}

void WalkEnvironment::Walk(const std::string& src, const std::string& dst) {
  ProtocolClear();
  ResetRunCounters();
  RunState = TRunState{};
  WalkTree(WalkJob{src, dst, RunOptions, RunCounters, host()});
}

}  // namespace plovik::test
