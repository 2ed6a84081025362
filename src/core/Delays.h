// Delays that keep the window responsive: they wait in short steps on a
// waitable timer and process the pending window messages after each step,
// so that the Abort button, the Escape key and the close box work while
// the program waits.
#pragma once

#include <cstdint>

namespace plovik {

// The length of one step of Delay and DelayAbortable, in milliseconds.
constexpr uint16_t DelayStepMs = 10;

// Waits once on a waitable timer: 0 ms returns at once, 1 ms waits half a
// millisecond, larger values wait ms - 1 milliseconds (the timer's own
// latency makes up the rest). True when the wait completed.
bool TimerSleep(uint16_t ms);

// Waits ms milliseconds in steps of DelayStepMs, then the remainder,
// processing the pending window messages after each step.
void Delay(uint16_t ms);

// As Delay, but returns right after a DelayStepMs step that leaves the flag
// set (a handler that ran during the messages may have set it). The flag
// is not looked at after the final remainder step.
void DelayAbortable(uint16_t ms, const bool& flag);

}  // namespace plovik
