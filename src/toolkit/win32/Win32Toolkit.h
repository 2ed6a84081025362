// The toolkit on real windows: the application object, the message loop
// every modal loop of the program shares, the creation of the controls
// (Win32Controls.h), the dialogs and the printer. Texts cross into the
// system as UTF-16 through the W functions.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Toolkit.h"
#include "toolkit/win32/GdiObject.h"
#include "toolkit/win32/Win32Controls.h"
#include "toolkit/win32/WindowRef.h"

namespace plovik {

class Win32HelpWindow;
class Win32Printer;
class Win32Taskbar;

class Win32Toolkit : public Toolkit {
 public:
  // Our window classes; the dialogs' can be found with FindWindowW while
  // their modal loops run.
  static constexpr const wchar_t* FormClassName = L"PlovikForm";
  static constexpr const wchar_t* PanelClassName = L"PlovikPanel";
  static constexpr const wchar_t* MemoClassName = L"PlovikMemo";
  static constexpr const wchar_t* DialogClassName = L"PlovikMessageDialog";
  static constexpr const wchar_t* InputClassName = L"PlovikInputQuery";
  static constexpr const wchar_t* HelpClassName = L"PlovikHelp";
  // The program icon's resource id in the executable.
  static constexpr int ProgramIconId = 1;

  explicit Win32Toolkit(void* instance);
  ~Win32Toolkit() override;
  Win32Toolkit(const Win32Toolkit&) = delete;
  Win32Toolkit& operator=(const Win32Toolkit&) = delete;

  // ---- message loop
  // Dispatches the pending messages and brings the memos' views up to date
  // with their lines when due. Calls in quick succession look at the queue
  // once per PeekInterval only (see ProcessPendingMessages).
  void ProcessMessages() override;
  // Dispatches every pending message now, unthrottled. A WM_QUIT found is
  // posted again for the message loop that waits for it.
  void ProcessPendingMessages();
  static constexpr std::chrono::milliseconds PeekInterval{10};
  int Run() override;
  void Terminate(int exitCode = 0) override;
  bool Terminated() const override { return terminated_; }
  void SetMainForm(Form* form) override { mainForm_ = form; }
  Form* MainForm() const override { return mainForm_; }

  // The one dispatch step of every message loop (Run, ProcessMessages, the
  // dialogs' modal loops, printing): the form sees keys first (key preview,
  // then its context menu's shortcuts), then the dialog keys of the window
  // (Tab, Enter for the default button, Escape) work, then the message goes
  // to its window.
  void DispatchStep(MSG& message);
  // Runs a modal loop until `done` says so. A quit request ends it and is
  // posted again for the outer loop; false then.
  bool RunModalLoop(const std::function<bool()>& done);

  // ---- the application object
  void SetName(const std::string& name) override { name_ = name; }
  std::string Name() const override { return name_; }
  void SetTitle(const std::string& title) override { title_ = title; }
  std::string Title() const override { return title_; }
  void SetOnMinimize(std::function<void()> handler) override { onMinimize_ = std::move(handler); }
  void SetOnRestore(std::function<void()> handler) override { onRestore_ = std::move(handler); }
  void Minimize() override;
  void Restore() override;
  bool Minimized() const override { return minimized_; }
  void BringToFront() override;
  void SetHelpFile(const std::string& path) override { helpFile_ = path; }
  std::string HelpFile() const override { return helpFile_; }
  bool ShowHelp() override;
  void SetHintTimes(int pauseMs, int hideMs, int shortPauseMs) override;
  // Through the taskbar's progress interface, made on the first call
  // (Win32Taskbar.cpp).
  bool SetTaskbarProgress(TaskbarProgress state, uint64_t done, uint64_t total) override;

  // ---- creation
  std::unique_ptr<Form> CreateForm() override;
  std::unique_ptr<Panel> CreatePanel(Container& parent) override;
  std::unique_ptr<Label> CreateLabel(Container& parent) override;
  std::unique_ptr<Edit> CreateEdit(Container& parent) override;
  std::unique_ptr<ComboBox> CreateComboBox(Container& parent) override;
  std::unique_ptr<CheckBox> CreateCheckBox(Container& parent) override;
  std::unique_ptr<Button> CreateButton(Container& parent) override;
  std::unique_ptr<PictureButton> CreatePictureButton(Container& parent) override;
  std::unique_ptr<Memo> CreateMemo(Container& parent) override;
  std::unique_ptr<PopupMenu> CreatePopupMenu(Form& owner) override;

  // ---- dialogs
  int MessageDialog(const std::string& text, DialogType type, uint32_t buttons,
                    int helpContext) override;
  void SystemErrorBox(const std::string& text, const std::string& caption) override;
  void ShowException(const std::string& text) override;
  SaveDialogResult SaveFileDialog(const SaveDialogOptions& options) override;
  bool FontDialog(FontDevice device, FontChoice& font) override;
  bool InputQuery(const std::string& title, const std::string& prompt,
                  std::string& value) override;
  bool BrowseForFolder(const std::string& title, std::string& directory) override;

  // ---- printer, screen, cursor, text
  Printer& DefaultPrinter() override;
  ScreenMetrics Screen() override;
  void SetScreenCursor(CursorKind cursor) override;
  int TextWidth(const Font& font, const std::string& text) override;

  // ---- for the toolkit's own windows
  HINSTANCE Instance() const { return instance_; }
  HFONT DialogFont() const { return dialogFont_; }
  HICON ProgramIcon() const { return icon_; }
  CursorKind ScreenCursor() const { return cursor_; }
  // The main form's window, the owner of the dialogs; null when there is none.
  HWND MainWindow() const;
  // A new id for a child control (the dialog manager finds the default
  // button by it).
  int NextControlId() { return nextControlId_++; }
  // The tooltip control that shows every control's hint.
  HWND Tooltip();
  HWND HelpWindow() const;
  // The main form changed its size or was minimised or restored.
  void MainFormSized(WPARAM kind);
  void AddMemo(Win32Memo* memo);
  void RemoveMemo(Win32Memo* memo);
  void AddForm(Win32Form* form);
  void RemoveForm(Win32Form* form);
  void ForgetMenu(const PopupMenu* menu);

 private:
  void FlushMemos();
  void RegisterClasses();

  HINSTANCE instance_;
  GdiObject<HFONT> ownDialogFont_;
  HFONT dialogFont_ = nullptr;
  HICON icon_ = nullptr;
  std::vector<const wchar_t*> registered_;
  Form* mainForm_ = nullptr;
  bool terminated_ = false;
  std::chrono::steady_clock::time_point lastPeek_{};
  CursorKind cursor_ = CursorKind::Default;
  int nextControlId_ = 1000;
  std::vector<Win32Memo*> memos_;
  std::vector<Win32Form*> forms_;
  std::string name_, title_, helpFile_;
  bool minimized_ = false;
  std::function<void()> onMinimize_, onRestore_;
  OwnedWindow tooltip_;
  int hintPauseMs_ = -1, hintHideMs_ = -1, hintShortPauseMs_ = -1;  // -1: the system's
  std::unique_ptr<Win32HelpWindow> helpWindow_;
  std::unique_ptr<Win32Printer> printer_;
  std::unique_ptr<Win32Taskbar> taskbar_;
};

// Disables every enabled, visible top-level window of the thread for the
// life of a modal dialog, and enables them again when it ends.
class ModalScope {
 public:
  ModalScope();
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;
  ~ModalScope();

 private:
  std::vector<HWND> disabled_;
};

// The text with every "\r", "\n" or "\r\n" as CR LF, the line break the
// system's controls show.
std::wstring DisplayText(const std::wstring& text);

// Runs the program's message dialog (Win32MessageDialog.cpp).
int RunMessageDialog(Win32Toolkit& toolkit, const std::string& text, DialogType type,
                     uint32_t buttons);
LRESULT CALLBACK MessageDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK InputQueryProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace plovik
