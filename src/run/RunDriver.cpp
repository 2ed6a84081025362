#include "run/RunDriver.h"

#include <cstdlib>
#include <string>

#include "core/Delays.h"
#include "core/Protocol.h"
#include "core/RunRecords.h"
#include "engine/TreeWalk.h"
#include "platform/Platform.h"
#include "run/Instances.h"
#include "run/RunSteps.h"
#include "ui/MainForm.h"

namespace plovik {

int LastRunExitCode = RunCompleted;

namespace {

// The pause after the turn came, so that the window shows before the run.
constexpr uint16_t SettleDelayMs = 100;

bool SentByAbortButton(const NotifyEvent& event) {
  return FormMain != nullptr && &event.sender == FormMain->ButtonAbort.get();
}

// ---- the steps before the checks -----------------------------------------------------------

void BeginRun(RunContext& run) {
  RunState.ActivityState = Updating;
  run.startTick = Sys().TickCount();
  RunState.RunActive = true;
  RunState.KeepRunning = true;
  RunState.AbortRequested = false;
  RunState.CloseRequested = false;
  RunState.ValidationFailed = false;
}

void LockWindow() {
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

// False when the waiting was stopped; the run has then ended.
bool WaitForOurTurn() {
  if (WaitForTurn(*FormMain->PanelWaitToGo, *FormMain->MemoProtocol)) return true;
  RunState.ActivityState = Idle;
  LastRunExitCode = RunAborted;
  if (RunState.CloseRequested) {
    Tk().Terminate(LastRunExitCode);
  } else {
    RunState.QuitAtStartup = false;  // the program stays
  }
  return false;
}

void ComeToTheFront() {
  RunState.ActivityState = Updating;
  Tk().BringToFront();
  if (FormMain->Self->Visible()) FormMain->Self->SetFocus();
  Delay(SettleDelayMs);
}

void WriteStartDebugLines() {
  if (!RunOptions.DebugFlag) return;
  DebugAdd(RunOptions.ProgramBaseName + " started");
  DebugAdd("FileAge units:  OneHour = " + std::to_string(RunOptions.OneHour));
  DebugAdd("Source = " + FormMain->EditSrcDir->Text() + "\\" + FormMain->ComboBoxSrcFile->Text());
}

// ---- the walk ----------------------------------------------------------------------------------

void WriteRunHeader() {
  if (RunOptions.QuietFlag) return;
  if (RunOptions.NoUpdateFlag) {
    ProtocolAdd(German() ? "Keine Aktualisierung (nur Trockenlauf mit Protokoll)."
                         : "No updating (dry run with protocol only).");
    ProtocolAdd("");
  }
  const CivilTime now = Sys().LocalNow();
  ProtocolAdd(Sys().ShortDateText(now) + "  " + Sys().LongTimeText(now));
  ProtocolAdd("");
  ProtocolAdd(RunOptions.SrcPath);
  ProtocolAdd("");
}

void Walk(RunContext& run) {
  Tk().ProcessMessages();
  ResetRunCounters();
  RunState.RunDialogAnswer = ModalOk;
  run.failureLinesBefore = ProtocolFailureLines;
  WalkTree(RunOptions.SrcPath, RunOptions.DstPath);
}

// ---- the reset ---------------------------------------------------------------------------------

void UnlockWindow() {
  TFormMain& f = *FormMain;
  const bool hasLines = f.MemoProtocol->Count() > 0;
  f.BitBtnSettings->SetEnabled(true);
  f.ButtonAbort->SetEnabled(false);
  f.ButtonAbort->SetDefault(false);
  f.ButtonStart->SetEnabled(true);
  f.ButtonStart->SetDefault(true);
  f.ButtonSwapDir->SetEnabled(true);
  f.ButtonPrintLog->SetEnabled(hasLines && PrinterAvailable);
  f.ButtonSaveLog->SetEnabled(hasLines);
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
}

// A protocol that no longer fits its memo gets the focus, so that the
// user can scroll it at once.
void FocusLongProtocol() {
  Memo& memo = *FormMain->MemoProtocol;
  const int lineHeight = std::abs(memo.GetFont().height);
  if (memo.Count() * lineHeight > memo.Height()) memo.SetFocus();
}

}  // namespace

// ---- the run -------------------------------------------------------------------------------------

void ButtonStartOnClick(NotifyEvent&) {
  RunContext run;
  BeginRun(run);
  LockWindow();
  ComputeProtocolWidths();
  ProtocolClear();
  if (!WaitForOurTurn()) return;
  ComeToTheFront();
  WriteStartDebugLines();
  if (!CheckRunInputs(run)) return;
  WriteRunHeader();
  Walk(run);
  FinishRun(run);
}

void ButtonAbortOnClick(NotifyEvent& event) {
  TFormMain& f = *FormMain;
  const bool byUser = SentByAbortButton(event);
  if (RunState.RunActive && RunState.KeepRunning && byUser) Sys().Beep(BeepKind::Default);
  RunState.RunActive = false;
  RunOptions.AutostartFlag = false;
  RunOptions.TerminateFlag = false;
  RunState.KeepRunning = true;
  RunState.AbortRequested = true;
  RunState.CopyAbortRequested = true;
  UnlockWindow();
  f.ButtonAbort->SetCaption(German() ? "Abbrechen" : "Abort");
  f.ButtonAbort->SetHint(German() ? "Update abbrechen" : "Stop updating");
  if (!RunState.ValidationFailed) FocusLongProtocol();
  f.PanelWaitToGo->SetVisible(false);
  Tk().ProcessMessages();
  if (RunOptions.DebugFlag && byUser) DebugAdd(RunOptions.ProgramBaseName + " aborted");
}

void ButtonAbortOnMouseDown(MouseEvent&) {
  NotifyEvent abort{*FormMain->ButtonAbort};
  ButtonAbortOnClick(abort);
}

void SetCursors(CursorKind cursor) {
  FormMain->Self->SetCursor(cursor);
  FormMain->ButtonStart->SetCursor(cursor);
  FormMain->MemoProtocol->SetCursor(cursor);
  Tk().SetScreenCursor(cursor);
  Tk().ProcessMessages();
}

}  // namespace plovik
