#include "support/ProgramTest.h"

#include "core/RunRecords.h"
#include "core/Protocol.h"

namespace plovik::test {

void ProgramTest::SetUp() {
  InstallPlatform(&fs);
  InstallToolkit(&tk);
  InstallHost(&host);
  tk.onScriptError = [](const std::string& what) { ADD_FAILURE() << "Script error: " << what; };
  tk.directoryExists = [this](const std::string& path) { return fs.IsDir(path); };
  RunOptions = TRunOptions{};
  RunCounters = TRunCounters{};
  RunState = TRunState{};
  LanguageIndex = 0;

  // The protocol's lines live as long as the process: every test starts
  // with empty ones of the usual capacity.
  ProtocolText().Clear();
  ProtocolText().SetCapacity(TextLines::DefaultCapacity);
  form = tk.CreateForm();
  form->SetBounds(0, 0, 1024, 700);
  memo = tk.CreateMemo(*form);
  memo->SetBounds(0, 200, 1000, 400);
  debugMemo = tk.CreateMemo(*form);
  fontLabel = tk.CreateLabel(*form);
  fontLabel->SetCaption("XXXXXXXXXX");
  ProtocolControls controls;
  controls.MemoProtocol = memo.get();
  controls.LabelMemoProtocolFont = fontLabel.get();
  controls.MemoDebug = debugMemo.get();
  BindProtocol(controls);
  DebugWindowReady = false;
  PrinterAvailable = false;
  ProtocolClear();
  // Wide enough that paths are not shortened unless a test says so.
  ProtocolCharWidth = 7;
  ProtocolLineChars = 400;
  ProtocolPathChars = 393;
  tk.dialogs.clear();
  tk.processCount = 0;
}

void ProgramTest::TearDown() {
  BindProtocol(ProtocolControls{});
  InstallHost(nullptr);
  InstallToolkit(nullptr);
  InstallPlatform(nullptr);
}

std::vector<std::string> ProgramTest::ProtocolLines() const { return memo->Lines(); }
std::vector<std::string> ProgramTest::DebugLines() const { return debugMemo->Lines(); }

}  // namespace plovik::test
