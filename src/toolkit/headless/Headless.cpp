#include "toolkit/headless/Headless.h"

#include <algorithm>
#include <utility>

namespace plovik {

namespace {

// Stands in the action list for an action while it runs, so that message
// processing nested inside the action skips it; the token finds the slot
// again after nested calls removed or added actions.
struct RunningAction {
  int token;
  bool operator()() const { return false; }
};

bool IsRunning(const std::function<bool()>& action) {
  return action.target<RunningAction>() != nullptr;
}

// The front entry of a script, or nothing when it is used up.
template <class T>
std::optional<T> TakeNext(std::deque<std::optional<T>>& script) {
  if (script.empty()) return std::nullopt;
  std::optional<T> next = std::move(script.front());
  script.pop_front();
  return next;
}

// Whether a message dialog with these buttons can end with this result;
// closing it without a button (2) always can.
bool Offers(uint32_t buttons, int result) {
  if (result == ModalCancel) return true;
  for (const DialogButton button : {ButtonYes, ButtonNo, ButtonOk, ButtonCancel, ButtonAbort,
                                    ButtonRetry, ButtonIgnore}) {
    if ((buttons & button) != 0 && DialogButtonResult(button) == result) return true;
  }
  return false;
}

// The file name a save dialog returns for what the user typed: in the
// starting folder unless it names its own, with the default extension
// unless it has one.
std::string SavedFileName(const std::string& typed, const SaveDialogOptions& options) {
  std::string name = typed;
  const bool hasFolder = typed.find('\\') != std::string::npos ||
                         (typed.size() >= 2 && typed[1] == ':');
  if (!hasFolder && !options.initialDir.empty()) {
    const bool separated = options.initialDir.back() == '\\';
    name = options.initialDir + (separated ? "" : "\\") + typed;
  }
  const size_t nameStart = name.rfind('\\') == std::string::npos ? 0 : name.rfind('\\') + 1;
  if (!options.defaultExt.empty() && name.find('.', nameStart) == std::string::npos) {
    name += "." + options.defaultExt;
  }
  return name;
}

}  // namespace

HeadlessToolkit::HeadlessToolkit() = default;
HeadlessToolkit::~HeadlessToolkit() = default;

void HeadlessToolkit::ScriptError(const std::string& what) {
  scriptErrors.push_back(what);
  if (onScriptError) onScriptError(what);
}

// ---- message loop -----------------------------------------------------------

void HeadlessToolkit::ProcessMessages() {
  ++processCount;
  size_t i = 0;
  while (i < actions.size()) {
    if (!actions[i] || IsRunning(actions[i])) {
      ++i;
      continue;
    }
    const int token = ++nextActionToken_;
    std::function<bool()> action = std::move(actions[i]);
    actions[i] = RunningAction{token};
    const bool done = action();
    // Find the slot again: nested processing may have moved it.
    auto slot = std::find_if(actions.begin(), actions.end(), [token](const auto& a) {
      const RunningAction* running = a.template target<RunningAction>();
      return running != nullptr && running->token == token;
    });
    if (slot == actions.end()) {
      // The list was replaced while the action ran; carry on with it.
      continue;
    }
    i = static_cast<size_t>(slot - actions.begin());
    if (done) {
      actions.erase(slot);
    } else {
      *slot = std::move(action);
      ++i;
    }
  }
}

bool HeadlessToolkit::HasWaitingAction() const {
  return std::any_of(actions.begin(), actions.end(),
                     [](const auto& action) { return action && !IsRunning(action); });
}

// Like the real loop, it takes at least one message, so an application
// terminated before its loop started still sees its first message.
int HeadlessToolkit::Run() {
  for (int round = 0;; ++round) {
    if (!terminated_ && !HasWaitingAction()) {
      ScriptError("the message loop would wait for ever: no scripted action is left and the "
                  "application has not terminated");
      terminated_ = true;
      break;
    }
    if (round == runRoundLimit) {
      ScriptError("the message loop ran " + std::to_string(runRoundLimit) +
                  " rounds without the application ending");
      terminated_ = true;
      break;
    }
    ProcessMessages();
    if (terminated_) break;
  }
  return exitCode_;
}

void HeadlessToolkit::Terminate(int exitCode) {
  terminated_ = true;
  exitCode_ = exitCode;
}

void HeadlessToolkit::SetMainForm(Form* form) { mainForm_ = form; }

void HeadlessToolkit::MainFormFreed() { terminated_ = true; }

// ---- the application object -------------------------------------------------

void HeadlessToolkit::RunApplicationEvent(const std::function<void()>& handler) {
  if (!handler) return;
  const std::function<void()> copy = handler;
  copy();
}

void HeadlessToolkit::FormStateChanged(HeadlessForm& form) {
  if (mainForm_ != &form || !form.Visible()) return;
  const bool minimized = form.GetWindowState() == WindowState::Minimized;
  if (minimized == minimized_) return;
  minimized_ = minimized;
  RunApplicationEvent(minimized ? onMinimize_ : onRestore_);
}

void HeadlessToolkit::Minimize() {
  auto* form = dynamic_cast<HeadlessForm*>(mainForm_);
  if (form == nullptr) {
    if (minimized_) return;
    minimized_ = true;
    RunApplicationEvent(onMinimize_);
  } else if (!form->Visible()) {
    form->ShowMinimized();
  } else {
    form->SetWindowState(WindowState::Minimized);
  }
}

void HeadlessToolkit::Restore() {
  if (!minimized_) return;
  auto* form = dynamic_cast<HeadlessForm*>(mainForm_);
  if (form != nullptr && form->Visible() && form->GetWindowState() == WindowState::Minimized) {
    form->SetWindowState(form->RestoreState());
    form->SetFocus();
    return;
  }
  minimized_ = false;
  RunApplicationEvent(onRestore_);
}

void HeadlessToolkit::BringToFront() {
  ++applicationBroughtToFront;
  auto* form = dynamic_cast<HeadlessForm*>(mainForm_);
  if (form == nullptr || !form->Visible()) return;
  if (form->GetWindowState() == WindowState::Minimized) form->SetWindowState(form->RestoreState());
  form->SetFocus();
}

bool HeadlessToolkit::ShowHelp() {
  helpShown.push_back(helpFile_);
  return helpAvailable && !helpFile_.empty();
}

void HeadlessToolkit::SetHintTimes(int pauseMs, int hideMs, int shortPauseMs) {
  hintTimes = HintTimes{pauseMs, hideMs, shortPauseMs};
}

bool HeadlessToolkit::SetTaskbarProgress(TaskbarProgress state, uint64_t done, uint64_t total) {
  if (mainForm_ == nullptr || !taskbarAvailable) return false;
  taskbar.push_back(TaskbarRecord{state, done, total});
  return true;
}

// ---- forms and their order --------------------------------------------------

void HeadlessToolkit::AddForm(HeadlessForm& form) { zOrder_.push_back(&form); }

// Destroying the main form ends the message loop, as freeing it does.
void HeadlessToolkit::RemoveForm(HeadlessForm& form) {
  std::erase(zOrder_, &form);
  if (activeForm_ == &form) activeForm_ = nullptr;
  if (mainForm_ == &form) {
    mainForm_ = nullptr;
    terminated_ = true;
  }
}

void HeadlessToolkit::MoveToFront(HeadlessForm& form) {
  std::erase(zOrder_, &form);
  zOrder_.insert(zOrder_.begin(), &form);
}

void HeadlessToolkit::MoveToBack(HeadlessForm& form) {
  std::erase(zOrder_, &form);
  zOrder_.push_back(&form);
}

void HeadlessToolkit::Activate(HeadlessForm& form) {
  activeForm_ = &form;
  MoveToFront(form);
}

void HeadlessToolkit::ForgetMenu(const PopupMenu& menu) {
  for (HeadlessForm* form : zOrder_) form->Forget(&menu);
}

// ---- creation ---------------------------------------------------------------

namespace {
HeadlessWidget* WidgetOf(Container& parent) { return dynamic_cast<HeadlessWidget*>(&parent); }
}  // namespace

std::unique_ptr<Form> HeadlessToolkit::CreateForm() {
  return std::make_unique<HeadlessForm>(*this);
}

std::unique_ptr<Panel> HeadlessToolkit::CreatePanel(Container& parent) {
  return std::make_unique<HeadlessPanel>(*this, WidgetOf(parent));
}

std::unique_ptr<Label> HeadlessToolkit::CreateLabel(Container& parent) {
  return std::make_unique<HeadlessLabel>(*this, WidgetOf(parent));
}

std::unique_ptr<Edit> HeadlessToolkit::CreateEdit(Container& parent) {
  return std::make_unique<HeadlessEdit>(*this, WidgetOf(parent));
}

std::unique_ptr<ComboBox> HeadlessToolkit::CreateComboBox(Container& parent) {
  return std::make_unique<HeadlessComboBox>(*this, WidgetOf(parent));
}

std::unique_ptr<CheckBox> HeadlessToolkit::CreateCheckBox(Container& parent) {
  return std::make_unique<HeadlessCheckBox>(*this, WidgetOf(parent));
}

std::unique_ptr<Button> HeadlessToolkit::CreateButton(Container& parent) {
  return std::make_unique<HeadlessButton>(*this, WidgetOf(parent));
}

std::unique_ptr<PictureButton> HeadlessToolkit::CreatePictureButton(Container& parent) {
  return std::make_unique<HeadlessPictureButton>(*this, WidgetOf(parent));
}

std::unique_ptr<Memo> HeadlessToolkit::CreateMemo(Container& parent) {
  return std::make_unique<HeadlessMemo>(*this, WidgetOf(parent));
}

std::unique_ptr<PopupMenu> HeadlessToolkit::CreatePopupMenu(Form&) {
  return std::make_unique<HeadlessPopupMenu>(*this);
}

// ---- message boxes ----------------------------------------------------------

int HeadlessToolkit::MessageDialog(const std::string& text, DialogType type, uint32_t buttons,
                                   int helpContext) {
  dialogs.push_back(DialogRecord{text, type, buttons, helpContext});
  if (whileDialogShows) {
    const auto during = whileDialogShows;
    during(dialogs.back());
  }
  int answer = defaultAnswer;
  if (!answers.empty()) {
    answer = answers.front();
    answers.pop_front();
  }
  if (answer == AnswerEnter) answer = DialogButtonResult(MessageDialogButtons(buttons).front());
  if (answer == AnswerEscape) answer = ModalCancel;
  if (buttons == 0) buttons = ButtonOk;  // the dialog shows OK
  if (!Offers(buttons, answer)) {
    ScriptError("the message dialog \"" + text + "\" offers no button with the result " +
                std::to_string(answer));
    return ModalCancel;
  }
  return answer;
}

void HeadlessToolkit::SystemErrorBox(const std::string& text, const std::string& caption) {
  systemErrorBoxes.push_back(MessageBoxRecord{text, caption});
}

void HeadlessToolkit::ShowException(const std::string& text) { exceptionBoxes.push_back(text); }

// ---- common dialogs ---------------------------------------------------------

SaveDialogResult HeadlessToolkit::SaveFileDialog(const SaveDialogOptions& options) {
  saveDialogs.push_back(options);
  const std::optional<std::string> typed = TakeNext(saveAnswers);
  if (!typed) return SaveDialogResult{false, options.fileName};
  return SaveDialogResult{true, SavedFileName(*typed, options)};
}

bool HeadlessToolkit::FontDialog(FontDevice device, FontChoice& font) {
  fontDialogs.push_back(FontDialogRecord{device, font});
  const std::optional<FontChoice> chosen = TakeNext(fontAnswers);
  if (!chosen) return false;
  font = *chosen;
  return true;
}

bool HeadlessToolkit::InputQuery(const std::string& title, const std::string& prompt,
                                 std::string& value) {
  inputQueries.push_back(InputQueryRecord{title, prompt, value});
  const std::optional<std::string> entered = TakeNext(inputAnswers);
  if (!entered) return false;
  value = *entered;
  return true;
}

bool HeadlessToolkit::BrowseForFolder(const std::string& title, std::string& directory) {
  const bool exists = directoryExists ? directoryExists(directory) : !directory.empty();
  if (!exists) directory.clear();
  folderDialogs.push_back(FolderDialogRecord{title, directory});
  const std::optional<std::string> chosen = TakeNext(folderAnswers);
  if (!chosen) return false;
  directory = *chosen;
  return true;
}

std::string HeadlessToolkit::NextPopupChoice() {
  if (popupChoices.empty()) return std::string();
  std::string choice = std::move(popupChoices.front());
  popupChoices.pop_front();
  return choice;
}

// ---- screen, cursor, text ---------------------------------------------------

void HeadlessToolkit::SetScreenCursor(CursorKind kind) {
  cursor = kind;
  if (kind == CursorKind::Hourglass) ++hourglassCount;
}

ScreenMetrics HeadlessToolkit::Screen() {
  ScreenMetrics shown = screen;
  if (shown.workArea.width <= 0 || shown.workArea.height <= 0) {
    shown.workArea = Rect{0, 0, shown.width, shown.height};
  }
  return shown;
}

int HeadlessToolkit::TextWidth(const Font& font, const std::string& text) {
  return HeadlessTextWidth(font, text);
}

}  // namespace plovik
