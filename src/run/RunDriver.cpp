#include "run/RunDriver.h"

#include <algorithm>
#include <string>

#include "core/Delays.h"
#include "core/Protocol.h"
#include "core/RunHost.h"
#include "core/RunRecords.h"
#include "core/Settings.h"
#include "engine/TreeWalk.h"
#include "platform/Platform.h"
#include "run/Instances.h"
#include "run/RunSteps.h"

namespace plovik {

int LastRunExitCode = RunCompleted;

namespace {

// The pause after the turn came, so that the window shows before the run.
constexpr uint16_t SettleDelayMs = 100;
// The widest path the protocol can be asked to show.
constexpr int MaxProtocolPathWidth = 0xFFFF;

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

// An unattended run waits for the others only as long as the settings
// allow.
uint64_t WaitLimitMs() {
  if (!RunOptions.UnattendedFlag) return NoWaitLimit;
  return static_cast<uint64_t>(Settings.UnattendedWaitMinutes) * 60000;
}

void ReportWaitedTooLong() {
  const std::string minutes = std::to_string(Settings.UnattendedWaitMinutes);
  Host().Protocol(German() ? "AUTO   Abbrechen: Eine andere Instanz aktualisierte nach " + minutes +
                                 " Minuten noch; kein Lauf."
                           : "AUTO   Abort: another instance was still updating after " + minutes +
                                 " minutes; no run was made.");
}

// False when the waiting was stopped or lasted too long; the run has then
// ended.
bool WaitForOurTurn() {
  const Turn turn = WaitForTurn(WaitLimitMs());
  if (turn == Turn::Ours) return true;
  RunState.ActivityState = Idle;
  LastRunExitCode = RunAborted;
  if (turn == Turn::TimedOut) {
    ReportWaitedTooLong();
    LastRunExitCode = RunWaitedTooLong;
  }
  if (RunState.CloseRequested || RunOptions.UnattendedFlag) {
    Host().EndProgram(LastRunExitCode);
  } else {
    RunState.QuitAtStartup = false;  // the program stays
  }
  return false;
}

void ComeToTheFront() {
  RunState.ActivityState = Updating;
  Host().BringToFront();
  Delay(SettleDelayMs);
}

void WriteStartDebugLines() {
  if (!RunOptions.DebugFlag) return;
  RunHost& host = Host();
  host.Debug(RunOptions.ProgramBaseName + " started");
  host.Debug("FileAge units:  OneHour = " + std::to_string(RunOptions.OneHour));
  host.Debug("Source = " + host.FieldText(InputField::EditSrcDir) + "\\" +
             host.FieldText(InputField::ComboBoxSrcFile));
}

// ---- the walk ----------------------------------------------------------------------------------

void WriteRunHeader() {
  if (RunOptions.QuietFlag) return;
  RunHost& host = Host();
  if (RunOptions.NoUpdateFlag) {
    host.Protocol(German() ? "Keine Aktualisierung (nur Trockenlauf mit Protokoll)."
                           : "No updating (dry run with protocol only).");
    host.Protocol("");
  }
  const CivilTime now = Sys().LocalNow();
  host.Protocol(Sys().ShortDateText(now) + "  " + Sys().LongTimeText(now));
  host.Protocol("");
  host.Protocol(RunOptions.SrcPath);
  host.Protocol("");
}

void Walk(RunContext& run) {
  Host().ProcessPending();
  ResetRunCounters();
  RunState.RunDialogAnswer = AnswerOk;
  run.failureLinesBefore = ProtocolFailureLines;
  const WalkJob job{RunOptions.SrcPath, RunOptions.DstPath, RunOptions, RunCounters, Host(),
                    static_cast<uint16_t>(std::clamp(ProtocolPathChars, 0, MaxProtocolPathWidth))};
  run.walk = WalkTree(job);
  RunState.RunDialogAnswer = run.walk.answer;
}

// The stop requests and the window given back; byUser: the user's own
// abort, which beeps while a run is active and writes its debug line.
void EndRunAndReset(bool byUser) {
  if (RunState.RunActive && RunState.KeepRunning && byUser) Sys().Beep(BeepKind::Default);
  RunState.RunActive = false;
  RunOptions.AutostartFlag = false;
  RunOptions.TerminateFlag = false;
  RunState.KeepRunning = true;
  RunState.AbortRequested = true;
  RunState.CopyAbortRequested = true;
  Host().ResetWindow(!RunState.ValidationFailed);
  if (RunOptions.DebugFlag && byUser) Host().Debug(RunOptions.ProgramBaseName + " aborted");
}

}  // namespace

// ---- the run -------------------------------------------------------------------------------------

void StartRun() {
  RunContext run;
  BeginRun(run);
  Host().LockInputs();
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

void AbortRun() { EndRunAndReset(true); }

void ResetAfterRun() { EndRunAndReset(false); }

void ButtonStartOnClick(NotifyEvent&) { StartRun(); }

void ButtonAbortOnClick(NotifyEvent&) { AbortRun(); }

// A mouse button pressed on the Abort button aborts at once, before the
// button is released.
void ButtonAbortOnMouseDown(MouseEvent&) { AbortRun(); }

}  // namespace plovik
