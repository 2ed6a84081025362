#include "ToolkitWinFixture.h"

namespace plovik::test {

namespace {
TimerProbe* activeProbe = nullptr;  // one probe at a time
}

TimerProbe::TimerProbe(Step step, void* context, UINT intervalMs)
    : step_(step), context_(context) {
  activeProbe = this;
  timer_ = SetTimer(nullptr, 0, intervalMs, &TimerProbe::Tick);
}

TimerProbe::~TimerProbe() {
  if (timer_ != 0) KillTimer(nullptr, timer_);
  activeProbe = nullptr;
}

void CALLBACK TimerProbe::Tick(HWND, UINT, UINT_PTR, DWORD) {
  TimerProbe* probe = activeProbe;
  if (probe == nullptr || probe->done_) return;
  ++probe->calls_;
  probe->done_ = probe->step_(probe->context_);
}

}  // namespace plovik::test
