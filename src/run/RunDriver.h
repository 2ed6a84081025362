// The update run: one call drives a run from locking the window to its end
// (the waiting for the other instances, the input checks, the drive checks
// and reconnections, the walk, the summary, the automatic save and, after
// an automatic run, the countdown to the program's end). Everything it
// needs from outside goes through the run host.
#pragma once

#include <cstdint>

#include "toolkit/Toolkit.h"

namespace plovik {

// How the last update run went; the program's exit code, so that a task
// scheduler or "start /wait" sees it.
enum RunExitCode : int {
  RunCompleted = 0,              // completed without a failure line, or no run made
  RunCompletedWithFailures = 1,  // completed, but a failure line was written
  RunAborted = 2,                // stopped by the user or by closing the window
  RunRefused = 3,                // the input checks refused the run
  RunWaitedTooLong = 4,          // unattended: another instance's run outlasted the waiting limit
};
extern int LastRunExitCode;

// The whole run; returns when it has ended or right after asking the
// application to end.
void StartRun();
// The user stops the run (the Abort button, a mouse button pressed on it,
// Escape): a beep while a run is active, the stop requests, the window
// given back, and the debug line.
void AbortRun();
// The end of every run that gives the window back to the user: the stop
// requests and the window reset, without the beep and the debug line.
void ResetAfterRun();

// The handlers of the Start and Abort buttons.
void ButtonStartOnClick(NotifyEvent& event);
void ButtonAbortOnClick(NotifyEvent& event);
void ButtonAbortOnMouseDown(MouseEvent& event);

}  // namespace plovik
