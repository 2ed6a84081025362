#include "core/Delays.h"

#include "platform/Platform.h"
#include "core/RunHost.h"

namespace plovik {

namespace {

// Due times of the waitable timer are counted in 100-nanosecond units.
constexpr int64_t UnitsPerMillisecond = 10000;
// The shortest wait: half a millisecond.
constexpr int64_t HalfMillisecondUnits = UnitsPerMillisecond / 2;

void SleepAndProcessMessages(uint16_t ms) {
  TimerSleep(ms);
  Host().ProcessPending();
}

}  // namespace

bool TimerSleep(uint16_t ms) {
  if (ms == 0) return true;
  const int64_t due = ms == 1 ? HalfMillisecondUnits : (int64_t(ms) - 1) * UnitsPerMillisecond;
  return Sys().TimerWait(due).Ok();
}

void Delay(uint16_t ms) {
  for (int step = 0; step < ms / DelayStepMs; ++step) SleepAndProcessMessages(DelayStepMs);
  if (ms % DelayStepMs > 0) SleepAndProcessMessages(ms % DelayStepMs);
}

void DelayAbortable(uint16_t ms, const bool& flag) {
  for (int step = 0; step < ms / DelayStepMs; ++step) {
    SleepAndProcessMessages(DelayStepMs);
    if (flag) return;
  }
  if (ms % DelayStepMs > 0) SleepAndProcessMessages(ms % DelayStepMs);
}

}  // namespace plovik
