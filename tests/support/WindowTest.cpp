#include "support/WindowTest.h"

#include "app/CommandLine.h"
#include "app/UnitMain.h"
#include "core/Protocol.h"
#include "core/RunRecords.h"
#include "core/Settings.h"
#include "run/Instances.h"
#include "run/RunDriver.h"
#include "ui/Language.h"
#include "ui/ProtocolFile.h"
#include "ui/RunProgress.h"

namespace plovik::test {

void WindowTest::SetUp() {
  InstallPlatform(&fs);
  InstallToolkit(&tk);
  InstallHost(&host);
  tk.onScriptError = [](const std::string& what) { ADD_FAILURE() << "Script error: " << what; };
  tk.directoryExists = [this](const std::string& path) { return fs.IsDir(path); };
  fs.MakeDir("C:\\Plovik");
  fs.MakeDir(AppData);
  fs.MakeDir(WorkDir);
  fs.SetEnvironment("APPDATA", std::string(AppData));
  fs.SetCurrentDirectory(WorkDir);
  RunOptions = TRunOptions{};
  RunCounters = TRunCounters{};
  RunState = TRunState{};
  LanguageIndex = 0;
  Settings = TSettings{};
  DebugWindowReady = false;
  PrinterAvailable = false;
  // The protocol's lines live as long as the process.
  ProtocolText().Clear();
  ProtocolText().SetCapacity(TextLines::DefaultCapacity);
  ProtocolLastCount = 0;
  ProtocolCutIndex = 0;
  ProtocolDeletedLines = 0;
  ProtocolCharWidth = 7;
  HelpFileName.clear();
  InstanceText.clear();
  TitleProgress = ProgressFigures{};
  MinimizedFlag = false;
  RememberedWindowState = 0;
  CmdLineGiven = false;
  SaveFileSpec.clear();
  InstanceHandles = TInstanceHandles{};
  LastRunExitCode = RunCompleted;
}

void WindowTest::TearDown() {
  TearDownWindows();
  BindProtocol(ProtocolControls{});
  InstallHost(nullptr);
  InstallToolkit(nullptr);
  InstallPlatform(nullptr);
}

void WindowTest::Start() {
  InitializeUnitMain();
  ASSERT_TRUE(CreateWindows());
}

void WindowTest::Close() { MainForm().UserClose(); }

void WindowTest::GiveSettings(const std::string& text) { fs.MakeFile(SettingsPath, text); }

std::vector<std::string> WindowTest::DialogTexts() const {
  std::vector<std::string> texts;
  for (const DialogRecord& dialog : tk.dialogs) texts.push_back(dialog.text);
  return texts;
}

std::vector<std::string> WindowTest::FileLines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end - start));
    start = end == std::string::npos ? text.size() : end + 2;
  }
  return lines;
}

}  // namespace plovik::test
