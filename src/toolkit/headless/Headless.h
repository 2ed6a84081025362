// The toolkit on plain objects, for the native tests. Controls keep their
// state in members; dialogs record what they showed and answer from
// scripts; scripted user actions run inside message processing; the
// printer records its documents as pages of lines. What a test scripts
// must be something a user could do: a message dialog answered with a
// button it did not offer, a menu choice of an item that is not shown, a
// click on a hidden or disabled control and a message loop that would wait
// for ever are script errors, reported through onScriptError.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/Toolkit.h"
#include "toolkit/headless/HeadlessControls.h"
#include "toolkit/headless/HeadlessMenu.h"
#include "toolkit/headless/HeadlessPrinter.h"
#include "toolkit/headless/HeadlessWidget.h"

namespace plovik {

struct DialogRecord {
  std::string text;
  DialogType type;
  uint32_t buttons;
  int helpContext;
};

struct MessageBoxRecord {
  std::string text;
  std::string caption;
};

struct FontDialogRecord {
  FontDevice device;
  FontChoice preset;
};

struct InputQueryRecord {
  std::string title;
  std::string prompt;
  std::string preset;
};

struct FolderDialogRecord {
  std::string title;
  std::string preset;  // the directory the dialog started in; empty for none
};

struct PopupRecord {
  const PopupMenu* menu;
  int screenX, screenY;
  std::vector<std::string> captions;  // the visible items, a separator as "-"
  std::vector<bool> checks;           // their check marks, as shown
};

struct TaskbarRecord {
  TaskbarProgress state;
  uint64_t done;
  uint64_t total;
  bool operator==(const TaskbarRecord&) const = default;
};

struct HintTimes {
  int pauseMs = 0;
  int hideMs = 0;
  int shortPauseMs = 0;
};

class HeadlessToolkit : public Toolkit {
 public:
  // The screen a test starts with: 1024 x 768 at 96 pixels per inch. Its
  // work area is the whole screen while it is left empty.
  static constexpr ScreenMetrics DefaultScreen{1024, 768, 1024, 768, 96, Rect{}};
  // Scripted answers of a message dialog besides the modal results: the
  // user presses Enter (the default button) or Escape.
  static constexpr int AnswerEnter = -1;
  static constexpr int AnswerEscape = -2;
  // Rounds of messages after which Run() gives up on an application that
  // does not end.
  static constexpr int DefaultRunRoundLimit = 100000;

  HeadlessToolkit();
  HeadlessToolkit(const HeadlessToolkit&) = delete;
  HeadlessToolkit& operator=(const HeadlessToolkit&) = delete;
  ~HeadlessToolkit() override;

  void ProcessMessages() override;
  // Runs the scripted actions until the application terminates. It never
  // waits for ever: when no action is left to run while the application
  // has not terminated, or after runRoundLimit rounds, it reports a script
  // error and ends as if terminated.
  int Run() override;
  void Terminate(int exitCode = 0) override;
  bool Terminated() const override { return terminated_; }
  void SetMainForm(Form* form) override;
  Form* MainForm() const override { return mainForm_; }

  void SetName(const std::string& name) override { name_ = name; }
  std::string Name() const override { return name_; }
  void SetTitle(const std::string& title) override { title_ = title; }
  std::string Title() const override { return title_; }
  void SetOnMinimize(std::function<void()> handler) override { onMinimize_ = std::move(handler); }
  void SetOnRestore(std::function<void()> handler) override { onRestore_ = std::move(handler); }
  // As on Windows: the main form shows minimised (also a hidden one) and
  // comes back in its RestoreState; the events run when the state changes.
  void Minimize() override;
  void Restore() override;
  bool Minimized() const override { return minimized_; }
  // Counts the calls; a minimised main form is restored, as on Windows.
  void BringToFront() override;
  void SetHelpFile(const std::string& path) override { helpFile_ = path; }
  std::string HelpFile() const override { return helpFile_; }
  // Records the help file shown; true when there is one and helpAvailable.
  bool ShowHelp() override;
  void SetHintTimes(int pauseMs, int hideMs, int shortPauseMs) override;
  // Recorded in taskbar while there is a main form and taskbarAvailable;
  // false otherwise, as on a system without the taskbar's progress.
  bool SetTaskbarProgress(TaskbarProgress state, uint64_t done, uint64_t total) override;

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

  // Answered from `answers`, then with defaultAnswer; AnswerEnter and
  // AnswerEscape stand for the keys.
  int MessageDialog(const std::string& text, DialogType type, uint32_t buttons,
                    int helpContext) override;
  void SystemErrorBox(const std::string& text, const std::string& caption) override;
  void ShowException(const std::string& text) override;

  // Answered from saveAnswers: a file name confirms (one without a folder
  // goes into the starting folder, one without an extension gets the
  // default extension), nullopt cancels. No answer left: cancelled.
  SaveDialogResult SaveFileDialog(const SaveDialogOptions& options) override;
  bool FontDialog(FontDevice device, FontChoice& font) override;
  bool InputQuery(const std::string& title, const std::string& prompt,
                  std::string& value) override;
  // Asks directoryExists whether the starting folder exists.
  bool BrowseForFolder(const std::string& title, std::string& directory) override;

  Printer& DefaultPrinter() override { return printer; }
  ScreenMetrics Screen() override;
  void SetScreenCursor(CursorKind kind) override;
  int TextWidth(const Font& font, const std::string& text) override;

  // ---- what a test reads and scripts

  // Reports a script error: recorded in scriptErrors and passed to
  // onScriptError (the test base fails the test with it).
  void ScriptError(const std::string& what);
  std::function<void(const std::string&)> onScriptError;
  std::vector<std::string> scriptErrors;

  // Runs inside every ProcessMessages call (user actions, e.g. pressing
  // Abort once some condition holds). Actions run in order; one that
  // returns true is done and removed. Message processing nested inside an
  // action (the action pressed a button whose handler runs a whole update)
  // runs the other actions but not the one that is still running.
  std::vector<std::function<bool()>> actions;
  int processCount = 0;
  int runRoundLimit = DefaultRunRoundLimit;

  // Every message dialog shown, in order, and the answers to the next ones.
  std::vector<DialogRecord> dialogs;
  std::deque<int> answers;
  int defaultAnswer = ModalCancel;
  // Runs while a message dialog shows (inside its modal loop), before it
  // is answered: what the program holds while it waits for the user.
  std::function<void(const DialogRecord&)> whileDialogShows;
  std::vector<MessageBoxRecord> systemErrorBoxes;
  std::vector<std::string> exceptionBoxes;

  // Common dialogs: what they were shown with, and the user's answers
  // (nullopt: Cancel). With no answer left a dialog is cancelled.
  std::vector<SaveDialogOptions> saveDialogs;
  std::deque<std::optional<std::string>> saveAnswers;
  std::vector<FontDialogRecord> fontDialogs;
  std::deque<std::optional<FontChoice>> fontAnswers;
  std::vector<InputQueryRecord> inputQueries;
  std::deque<std::optional<std::string>> inputAnswers;
  std::vector<FolderDialogRecord> folderDialogs;
  std::deque<std::optional<std::string>> folderAnswers;
  // Whether a folder exists, for the folder dialog's start; unset, every
  // non-empty path exists.
  std::function<bool(const std::string&)> directoryExists;

  // Popup menus shown, and what the user chooses in the next ones: an
  // item's caption (with or without its "&"), or "" for nothing. With no
  // choice left the menu closes without one.
  std::vector<PopupRecord> popups;
  std::deque<std::string> popupChoices;

  // The text on the clipboard: what a memo copied, or what a test put there
  // for a paste.
  std::optional<std::string> clipboard;

  HeadlessPrinter printer{*this};
  ScreenMetrics screen = DefaultScreen;
  CursorKind cursor = CursorKind::Default;
  int hourglassCount = 0;
  std::vector<std::string> helpShown;
  bool helpAvailable = true;
  HintTimes hintTimes;
  // The taskbar button's progress as the program set it, in order.
  std::vector<TaskbarRecord> taskbar;
  bool taskbarAvailable = true;
  int applicationBroughtToFront = 0;

  // The live forms, front first.
  const std::vector<HeadlessForm*>& ZOrder() const { return zOrder_; }
  // The form that was last given the focus, while it lives.
  HeadlessForm* ActiveForm() const { return activeForm_; }
  int ExitCode() const { return exitCode_; }

 private:
  friend class HeadlessForm;
  friend class HeadlessPopupMenu;
  void AddForm(HeadlessForm& form);
  void RemoveForm(HeadlessForm& form);
  void MoveToFront(HeadlessForm& form);
  void MoveToBack(HeadlessForm& form);
  void Activate(HeadlessForm& form);
  void MainFormFreed();
  // A shown form changed its state: the main form's minimising and
  // restoring are the application's.
  void FormStateChanged(HeadlessForm& form);
  void RunApplicationEvent(const std::function<void()>& handler);
  void ForgetMenu(const PopupMenu& menu);
  bool HasWaitingAction() const;
  std::string NextPopupChoice();

  int nextActionToken_ = 0;
  bool terminated_ = false;
  int exitCode_ = 0;
  Form* mainForm_ = nullptr;
  HeadlessForm* activeForm_ = nullptr;
  std::vector<HeadlessForm*> zOrder_;
  std::string name_, title_, helpFile_;
  bool minimized_ = false;
  std::function<void()> onMinimize_, onRestore_;
};

// The headless control behind an interface, for a test's user actions.
inline HeadlessForm& AsHeadless(Form& form) { return static_cast<HeadlessForm&>(form); }
inline HeadlessPanel& AsHeadless(Panel& panel) { return static_cast<HeadlessPanel&>(panel); }
inline HeadlessLabel& AsHeadless(Label& label) { return static_cast<HeadlessLabel&>(label); }
inline HeadlessEdit& AsHeadless(Edit& edit) { return static_cast<HeadlessEdit&>(edit); }
inline HeadlessComboBox& AsHeadless(ComboBox& box) { return static_cast<HeadlessComboBox&>(box); }
inline HeadlessCheckBox& AsHeadless(CheckBox& box) { return static_cast<HeadlessCheckBox&>(box); }
inline HeadlessButton& AsHeadless(Button& button) { return static_cast<HeadlessButton&>(button); }
inline HeadlessPictureButton& AsHeadless(PictureButton& button) {
  return static_cast<HeadlessPictureButton&>(button);
}
inline HeadlessMemo& AsHeadless(Memo& memo) { return static_cast<HeadlessMemo&>(memo); }
inline HeadlessPopupMenu& AsHeadless(PopupMenu& menu) { return static_cast<HeadlessPopupMenu&>(menu); }
inline HeadlessMenuItem& AsHeadless(MenuItem& item) { return static_cast<HeadlessMenuItem&>(item); }

}  // namespace plovik
