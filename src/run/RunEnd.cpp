// The end of an update run after its walk: the abort line, the summary and
// the automatic save, then either the window given back to the user or the
// program ended, at once or after a countdown the user can stop.
#include <string>

#include "core/Delays.h"
#include "core/Protocol.h"
#include "core/RunHost.h"
#include "core/RunRecords.h"
#include "core/Settings.h"
#include "platform/Platform.h"
#include "run/Instances.h"
#include "run/RunDriver.h"
#include "run/RunSteps.h"
#include "run/RunSummary.h"
#include "ui/ProtocolFile.h"

namespace plovik {

namespace {

// A run longer than this ends with a beep.
constexpr uint64_t LongRunMs = 60000;
// The countdown blinks "Keep" in half seconds: shown for one quarter,
// hidden for the next.
constexpr int32_t CountdownStepMs = 500;
constexpr uint16_t BlinkMs = 250;

bool RunWasAborted(const RunContext& run) {
  return RunState.AbortRequested || run.walk.answer == AnswerAbort;
}

void WriteAbortLine(const RunContext& run) {
  if (!RunWasAborted(run)) return;
  Host().Protocol("");
  const std::string& base = RunOptions.ProgramBaseName;
  Host().Protocol(German() ? "****** " + base + " abgebrochen ******"
                           : "****** " + base + " aborted ******");
}

// Two empty lines part the summary from the run's lines when there are
// lines to part it from.
void WriteSpacing(const RunContext& run) {
  const TRunOptions& o = RunOptions;
  const TRunCounters& c = RunCounters;
  const int64_t changes = int64_t(c.SubDirsCreated) + c.SubDirAttributesUpdated + c.FilesCopied +
                          c.FileAttributesUpdated;
  const int64_t passedOver = int64_t(c.SubDirsSkipped) + c.FilesIgnored + c.FilesSkipped;
  const int16_t answer = run.walk.answer;
  const bool lines = !o.QuietFlag && (changes > 0 || (o.ReportFlag && passedOver > 0));
  if (lines || answer == AnswerAbort || answer == AnswerIgnore || o.NoUpdateFlag) {
    Host().Protocol("");
    Host().Protocol("");
  }
}

void MeasureDestination(const RunContext& run) {
  RunCounters.DstBytesTotal = -1;
  RunCounters.DstBytesFree = -1;
  if (run.dstDriveNumber == NoDriveNumber) return;
  const char letter = static_cast<char>('A' + run.dstDriveNumber - 1);
  const Result<DiskSpace> space = Sys().DiskFreeSpace(letter);
  if (!space) return;
  RunCounters.DstBytesTotal = space->totalBytes;
  RunCounters.DstBytesFree = space->freeBytes;
}

// The save clears the requests for its own use; the run's requests are in
// force again after it, and so is a close the user confirmed meanwhile. A
// failed save becomes a failure line; its box waits until the turn has
// gone to the other instances.
SaveOutcome SaveLogAutomatically() {
  if (!RunOptions.LogFlag || ProtocolLineCount() == 0) return SaveOutcome{};
  const bool abortRequested = RunState.AbortRequested;
  const bool closeRequested = RunState.CloseRequested;
  const SaveOutcome outcome = SaveProtocol(SaveMode::Automatic);
  RunState.AbortRequested = RunState.AbortRequested || abortRequested;
  RunState.CloseRequested = RunState.CloseRequested || closeRequested;
  if (outcome.error != 0) Host().Failure(SaveFailureLine(outcome));
  return outcome;
}

// Something failed, or was passed over after a question, when a failure
// line was written or a question answered with Ignore.
int OutcomeOf(const RunContext& run) {
  if (RunWasAborted(run)) return RunAborted;
  if (run.walk.ignored) return RunCompletedWithFailures;
  return ProtocolFailureLines != run.failureLinesBefore ? RunCompletedWithFailures : RunCompleted;
}

void EndProgram() { Host().EndProgram(LastRunExitCode); }

// Blinks "Keep" on the Abort button for the waiting time; the user keeps
// the program open by pressing it. True when the program is to end.
bool CountDown() {
  RunState.ActivityState = CountingDown;
  RunState.KeepRunning = false;
  const int32_t steps = ClampKeepTime(RunOptions.KeepTime) / CountdownStepMs;
  for (int32_t step = 0; step < steps; ++step) {
    Host().CountdownStep(true);
    DelayAbortable(BlinkMs, RunState.KeepRunning);
    if (RunState.KeepRunning) break;
    Host().CountdownStep(false);
    DelayAbortable(BlinkMs, RunState.KeepRunning);
    if (RunState.KeepRunning) break;
  }
  return !RunState.KeepRunning || RunState.CloseRequested;
}

// What follows the run: the window back to the user, or the program's end.
void LeaveRun(const RunContext& run) {
  // Unattended, the program ends right after its run, whatever happened.
  if (RunState.CloseRequested || RunOptions.UnattendedFlag) return EndProgram();
  if (Sys().TickCount() - run.startTick > LongRunMs) Sys().Beep(BeepKind::Default);
  const TRunOptions& o = RunOptions;
  // With other instances about, an automatic run leaves at once: its
  // window would only cover theirs.
  if (o.AutostartFlag && o.TerminateFlag && OtherInstanceRunning(o.InstanceNumber))
    return EndProgram();
  if (!o.TerminateFlag || run.walk.answer == AnswerAbort || o.DebugFlag ||
      RunState.AbortRequested || RunState.CloseRequested) {
    // The run is over: a close while the window is given back closes an
    // idle window, without asking whether to abort the update.
    RunState.QuitAtStartup = false;
    RunState.ActivityState = Idle;
    ResetAfterRun();
    return;
  }
  if (CountDown()) return EndProgram();
  // The Keep button has reset the window.
  RunState.QuitAtStartup = false;
  RunState.ActivityState = Idle;
}

}  // namespace

void FinishRun(const RunContext& run) {
  WriteAbortLine(run);
  WriteSpacing(run);
  MeasureDestination(run);
  WriteRunSummary(RunCounters);
  if (RunOptions.UnattendedFlag) {
    Host().Protocol(UnattendedSummaryLine(Host().AutomaticAnswers(),
                                          ProtocolFailureLines - run.failureLinesBefore,
                                          Sys().TickCount() - run.startTick));
  }
  const SaveOutcome saved = SaveLogAutomatically();
  ReleaseWaitMutex();
  RunState.RunActive = false;
  LastRunExitCode = OutcomeOf(run);
  if (saved.error != 0) ReportSaveFailure(saved);
  LeaveRun(run);
}

}  // namespace plovik
