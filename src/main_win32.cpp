// The Windows entry point: installs the Win32 platform and toolkit, opens
// the main window with the protocol and runs the message loop until the
// window is closed.
#include <windows.h>

#include <memory>

#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "core/RunRecords.h"
#include "toolkit/win32/Win32Toolkit.h"
#include "core/Protocol.h"

namespace {

using namespace plovik;

constexpr int FormWidth = 800;
constexpr int FormHeight = 560;
constexpr int Gap = 8;
constexpr int ButtonWidth = 90;
constexpr int ButtonHeight = 25;

struct MainWindow {
  std::unique_ptr<Form> form;
  std::unique_ptr<Memo> memo;
  std::unique_ptr<Button> saveLog;
  std::unique_ptr<Button> printLog;
  std::unique_ptr<Label> fontLabel;

  // The buttons in a row at the top, the protocol below filling the rest.
  void Layout() {
    saveLog->SetBounds(Gap, Gap, ButtonWidth, ButtonHeight);
    printLog->SetBounds(2 * Gap + ButtonWidth, Gap, ButtonWidth, ButtonHeight);
    const int top = 2 * Gap + ButtonHeight;
    memo->SetBounds(Gap, top, form->ClientWidth() - 2 * Gap, form->ClientHeight() - top - Gap);
  }
};

int RunProgram(HINSTANCE instance) {
  Win32Platform platform;
  InstallPlatform(&platform);
  Win32Toolkit toolkit(instance);
  InstallToolkit(&toolkit);

  MainWindow window;
  window.form = toolkit.CreateForm();
  window.form->SetCaption("Plovik");
  window.form->SetBounds(80, 60, FormWidth, FormHeight);
  window.memo = toolkit.CreateMemo(*window.form);
  window.memo->SetFont(Font{"Lucida Console", 11});
  window.saveLog = toolkit.CreateButton(*window.form);
  window.saveLog->SetCaption("Save Log");
  window.printLog = toolkit.CreateButton(*window.form);
  window.printLog->SetCaption("Print Log");
  window.fontLabel = toolkit.CreateLabel(*window.form);
  window.fontLabel->SetVisible(false);
  window.fontLabel->SetCaption("XXXXXXXXXX");
  window.Layout();
  window.form->SetOnResize([&window](NotifyEvent&) { window.Layout(); });

  BindProtocol(ProtocolControls{window.memo.get(), window.saveLog.get(), window.printLog.get(),
                                window.fontLabel.get(), nullptr});
  window.memo->SetOnChange([](NotifyEvent&) { MemoProtocolOnChange(); });
  MemoProtocolOnChange();

  toolkit.SetName("Plovik");
  toolkit.SetTitle("Plovik");
  toolkit.SetMainForm(window.form.get());
  window.form->SetVisible(true);
  MeasureProtocolCharWidth();
  ComputeProtocolWidths();
  ProtocolAdd(LanguageIndex == 1 ? "Plovik ist bereit." : "Plovik is ready.");

  const int exitCode = toolkit.Run();
  BindProtocol(ProtocolControls{});
  return exitCode;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  try {
    return RunProgram(instance);
  } catch (...) {
    return 1;
  }
}
