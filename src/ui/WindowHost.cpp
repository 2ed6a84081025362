#include "ui/WindowHost.h"

#include <cstdlib>
#include <initializer_list>

#include "core/Protocol.h"
#include "core/RunRecords.h"
#include "lib/Utf.h"
#include "platform/Platform.h"
#include "ui/MainForm.h"

namespace plovik {

static_assert(int(QuestionYes) == int(ButtonYes) && int(QuestionNo) == int(ButtonNo) &&
                  int(QuestionOk) == int(ButtonOk) && int(QuestionAbort) == int(ButtonAbort) &&
                  int(QuestionRetry) == int(ButtonRetry) && int(QuestionIgnore) == int(ButtonIgnore),
              "questions offer the message dialog's buttons");
static_assert(int(AnswerOk) == int(ModalOk) && int(AnswerClosed) == int(ModalCancel) &&
                  int(AnswerAbort) == int(ModalAbort) && int(AnswerRetry) == int(ModalRetry) &&
                  int(AnswerIgnore) == int(ModalIgnore) && int(AnswerYes) == int(ModalYes) &&
                  int(AnswerNo) == int(ModalNo),
              "answers are the message dialog's results");

namespace {

DialogType DialogTypeOf(QuestionStyle style) {
  switch (style) {
    case QuestionStyle::Warning: return DialogType::Warning;
    case QuestionStyle::Confirmation: return DialogType::Confirmation;
    case QuestionStyle::Information: return DialogType::Information;
    case QuestionStyle::Error: break;
  }
  return DialogType::Error;
}

Edit* EditOf(InputField field) {
  if (FormMain == nullptr) return nullptr;
  if (field == InputField::EditSrcDir) return FormMain->EditSrcDir.get();
  if (field == InputField::EditDstDir) return FormMain->EditDstDir.get();
  return nullptr;
}

ComboBox* BoxOf(InputField field) {
  if (FormMain == nullptr) return nullptr;
  if (field == InputField::ComboBoxSrcFile) return FormMain->ComboBoxSrcFile.get();
  if (field == InputField::ComboBoxIgnFile) return FormMain->ComboBoxIgnFile.get();
  return nullptr;
}

// A protocol that no longer fits its memo gets the focus, so that the
// user can scroll it at once.
void FocusLongProtocol() {
  Memo& memo = *FormMain->MemoProtocol;
  const int lineHeight = std::abs(memo.GetFont().height);
  if (memo.Count() * lineHeight > memo.Height()) memo.SetFocus();
}

// The waiting panel in the middle of the protocol.
void CentreWaitingPanel() {
  Panel& panel = *FormMain->PanelWaitToGo;
  const Memo& memo = *FormMain->MemoProtocol;
  panel.SetBounds(memo.Left() + (memo.Width() - panel.Width()) / 2,
                  memo.Top() + (memo.Height() - panel.Height()) / 2, panel.Width(),
                  panel.Height());
}

}  // namespace

// ---- the protocol --------------------------------------------------------------------------

void WindowHost::Protocol(const std::string& line) { ProtocolAdd(line); }

// Appends straight to the protocol's lines, with one look at the messages
// for the whole block. A line the lines refuse (the protocol is full) goes
// through ProtocolAdd, whose workaround makes room, so no line is lost.
void WindowHost::ProtocolBlock(const std::vector<std::string>& lines) {
  Tk().ProcessMessages();
  TextLines& text = ProtocolText();
  for (const std::string& line : lines) {
    if (text.Append(line)) continue;
    ProtocolLastCount = text.Count();
    ProtocolAdd(line);
  }
  ProtocolLastCount = text.Count();
}

void WindowHost::Failure(const std::string& text) { ProtocolFailure(text); }

void WindowHost::Debug(const std::string& line) { DebugAdd(line); }

// ---- questions -----------------------------------------------------------------------------

int WindowHost::ShowBox(const Question& question) {
  Sys().Beep(question.sound);
  return Tk().MessageDialog(question.text, DialogTypeOf(question.style), question.buttons, 0);
}

int WindowHost::Ask(const Question& question) { return ShowBox(question); }

// ---- pending messages ----------------------------------------------------------------------

HostSignal WindowHost::ProcessPending() {
  Tk().ProcessMessages();
  return Requests();
}

// A copy in progress stops for an abort asked for since it began; the
// rest of a run for any abort.
HostSignal WindowHost::Requests() const {
  if (RunState.CloseRequested) return HostSignal::Close;
  const bool abort = copying_ ? RunState.CopyAbortRequested : RunState.AbortRequested;
  return abort ? HostSignal::Abort : HostSignal::GoOn;
}

// ---- progress --------------------------------------------------------------------------------

// A file's copy shows the hourglass once a block of it is done, so a large
// file shows it while a small one, copied before a person could see the
// cursor change, costs no cursor calls (two system calls a file, about a
// fifth of a small file's time under Wine).
void WindowHost::FileBegins(const std::string& path, uint64_t size) {
  copying_ = true;
  hourglass_ = false;
  RunState.CopyAbortRequested = false;
  progress_.FileBegins(path, size);
}

// The cursor is the default one while the user may press Abort.
HostSignal WindowHost::FileProgress(uint64_t bytesDone) {
  progress_.FileProgress(bytesDone);
  if (hourglass_) Tk().SetScreenCursor(CursorKind::Default);
  Tk().ProcessMessages();
  const HostSignal signal = Requests();
  hourglass_ = signal == HostSignal::GoOn && bytesDone > 0;
  if (hourglass_) Tk().SetScreenCursor(CursorKind::Hourglass);
  return signal;
}

void WindowHost::FileEnds(bool copied) {
  copying_ = false;
  if (hourglass_) Tk().SetScreenCursor(CursorKind::Default);
  hourglass_ = false;
  progress_.FileEnds(copied);
}

void WindowHost::DirectoryEnds() { progress_.ShowWhenDue(); }

// ---- the window during a run ---------------------------------------------------------------

void WindowHost::LockInputs() {
  progress_.Begin();
  if (FormMain == nullptr) return;
  TFormMain& f = *FormMain;
  f.BitBtnSettings->SetEnabled(false);
  f.ButtonStart->SetEnabled(false);
  f.ButtonStart->SetDefault(false);
  f.ButtonAbort->SetEnabled(true);
  f.ButtonAbort->SetDefault(true);
  for (Control* control : std::initializer_list<Control*>{
           f.ButtonSwapDir.get(), f.CheckBoxSubDir.get(), f.CheckBoxEmptySubDir.get(),
           f.CheckBoxVerify.get(), f.CheckBoxReport.get(), f.CheckBoxIgnore.get(),
           f.CheckBoxNoUpdate.get(), f.CheckBoxIgnoreFileAgeOneHourDiff.get(), f.EditSrcDir.get(),
           f.EditDstDir.get(), f.ButtonSrcDir.get(), f.ButtonDstDir.get(),
           f.ComboBoxSrcFile.get(), f.ComboBoxIgnFile.get()}) {
    control->SetEnabled(false);
  }
}

void WindowHost::ResetWindow(bool focusLongProtocol) {
  progress_.End();
  if (FormMain == nullptr) return;
  TFormMain& f = *FormMain;
  f.BitBtnSettings->SetEnabled(true);
  f.ButtonAbort->SetEnabled(false);
  f.ButtonAbort->SetDefault(false);
  f.ButtonStart->SetEnabled(true);
  f.ButtonStart->SetDefault(true);
  f.ButtonSwapDir->SetEnabled(true);
  SetLogButtons(f);
  f.CheckBoxSubDir->SetEnabled(true);
  f.CheckBoxEmptySubDir->SetEnabled(RunOptions.SubDirFlag);
  f.CheckBoxReport->SetEnabled(true);
  f.CheckBoxNoUpdate->SetEnabled(true);
  f.CheckBoxIgnore->SetEnabled(true);
  f.CheckBoxVerify->SetEnabled(!RunOptions.NoUpdateFlag);
  for (Control* control : std::initializer_list<Control*>{
           f.CheckBoxIgnoreFileAgeOneHourDiff.get(), f.EditSrcDir.get(), f.EditDstDir.get(),
           f.ButtonSrcDir.get(), f.ButtonDstDir.get(), f.ComboBoxSrcFile.get()}) {
    control->SetEnabled(true);
  }
  f.ComboBoxIgnFile->SetEnabled(RunOptions.IgnoreFlag);
  f.ButtonAbort->SetCaption(German() ? "Abbrechen" : "Abort");
  f.ButtonAbort->SetHint(German() ? "Update abbrechen" : "Stop updating");
  if (focusLongProtocol) FocusLongProtocol();
  f.PanelWaitToGo->SetVisible(false);
  Tk().ProcessMessages();
}

// An automatic run of a later instance waits behind the others' windows;
// any other waiting beeps.
void WindowHost::ShowWaiting(bool shown) {
  if (FormMain == nullptr) return;
  Panel& panel = *FormMain->PanelWaitToGo;
  if (!shown) {
    panel.SetVisible(false);
    return;
  }
  CentreWaitingPanel();
  panel.SetVisible(true);
  Form* mainForm = Tk().MainForm();
  if (RunOptions.AutostartFlag && RunOptions.InstanceNumber > 1 && mainForm != nullptr) {
    mainForm->SendToBack();
  } else {
    Sys().Beep(BeepKind::Exclamation);
  }
}

std::string WindowHost::FieldText(InputField field) {
  if (Edit* edit = EditOf(field)) return edit->Text();
  if (ComboBox* box = BoxOf(field)) return box->Text();
  return std::string();
}

// A path field shows its text with the caret at its end; a specification
// box takes the text only when it differs.
void WindowHost::SetFieldText(InputField field, const std::string& text) {
  if (Edit* edit = EditOf(field)) {
    edit->SetText(text);
    edit->SetSelStart(static_cast<int>(CharCount(text)));
  } else if (ComboBox* box = BoxOf(field)) {
    if (box->Text() != text) box->SetText(text);
  }
}

void WindowHost::FocusField(InputField field, int caret) {
  if (Edit* edit = EditOf(field)) {
    edit->SetEnabled(true);
    edit->SetFocus();
    edit->SetSelStart(caret);
  } else if (ComboBox* box = BoxOf(field)) {
    box->SetEnabled(true);
    box->SetFocus();
    box->SetSelStart(caret);
  }
}

void WindowHost::SetBusyCursor(bool busy) {
  const CursorKind cursor = busy ? CursorKind::Hourglass : CursorKind::Default;
  if (FormMain != nullptr) {
    FormMain->Self->SetCursor(cursor);
    FormMain->ButtonStart->SetCursor(cursor);
    FormMain->MemoProtocol->SetCursor(cursor);
  }
  Tk().SetScreenCursor(cursor);
  Tk().ProcessMessages();
}

void WindowHost::BringToFront() {
  Tk().BringToFront();
  if (FormMain != nullptr && FormMain->Self->Visible()) FormMain->Self->SetFocus();
}

// The title keeps the run's final figures while the countdown runs.
void WindowHost::CountdownStep(bool shown) {
  progress_.Finish();
  if (FormMain == nullptr) return;
  Button& abort = *FormMain->ButtonAbort;
  abort.SetHint(German() ? "Das Programmfenster offen halten.\rAnderenfalls wird es "
                           "automatisch geschlossen."
                         : "Keep application running.\rOtherwise it will terminate "
                           "automatically.");
  abort.SetCaption(shown ? (German() ? "Halten" : "Keep") : "");
}

uintptr_t WindowHost::DialogOwner() const {
  return FormMain != nullptr ? FormMain->Self->Handle() : 0;
}

void WindowHost::EndProgram(int exitCode) {
  progress_.End();
  RunState.ActivityState = Idle;
  Tk().Terminate(exitCode);
}

void SetLogButtons(TFormMain& f) {
  const bool hasLines = ProtocolText().Count() > 0;
  f.ButtonPrintLog->SetEnabled(hasLines && PrinterAvailable);
  f.ButtonSaveLog->SetEnabled(hasLines);
}

// While busy, a protocol with lines leaves the buttons as the run set
// them; an empty one (the run's fresh protocol) turns them off.
void UpdateLogButtons() {
  if (FormMain == nullptr) return;
  if (ProtocolText().Count() > 0 && RunState.ActivityState != Idle) return;
  SetLogButtons(*FormMain);
}

}  // namespace plovik
