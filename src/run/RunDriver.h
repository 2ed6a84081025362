// The update run: the Start button's handler drives one run from locking
// the window to its end (the waiting for the other instances, the input
// checks, the drive checks and reconnections, the walk, the summary, the
// automatic save and, after an automatic run, the countdown to the
// program's end); the Abort button's handler stops a run and gives the
// window back to the user after every run.
#pragma once

#include <cstdint>

#include "toolkit/Toolkit.h"

namespace plovik {

// How the last update run went; the program's exit code, so that a task
// scheduler or "start /wait" sees it.
enum RunExitCode : int {
  RunCompleted = 0,         // completed without a failure line, or no run made
  RunCompletedWithFailures = 1,  // completed, but a failure line was written
  RunAborted = 2,           // stopped by the user or by closing the window
  RunRefused = 3,           // the input checks refused the run
};
extern int LastRunExitCode;

// The whole run; returns when it has ended or right after asking the
// application to end.
void ButtonStartOnClick(NotifyEvent& event);
// The abort request and the reset of the window. The sender is the Abort
// button when the user asks for it (the button, Escape, a mouse-down) and
// the Start button when the run resets the window itself: only the user's
// abort beeps during a run and writes its debug line.
void ButtonAbortOnClick(NotifyEvent& event);
// A mouse button pressed on the Abort button aborts at once, before the
// button is released.
void ButtonAbortOnMouseDown(MouseEvent& event);
// The cursor of the main window, the Start button, the protocol and the
// screen; then the pending messages are processed once.
void SetCursors(CursorKind cursor);

}  // namespace plovik
