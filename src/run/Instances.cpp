#include "run/Instances.h"

#include "core/Delays.h"
#include "core/RunHost.h"
#include "toolkit/Toolkit.h"
#include "core/RunRecords.h"

namespace plovik {

const char* const WaitMutexSuffix = "WaitingToGo";
TInstanceHandles InstanceHandles;

namespace {

// How long one wait for the mutex or a message may last before the loop
// looks at the abort request again anyway.
constexpr uint32_t WaitSliceMs = 500;
constexpr uint16_t RetryDelayPerNumberMs = 100;

// Any answer but "busy" counts as this instance's turn: a mutex that is
// taken over from an ended owner, and one that cannot be waited for at all.
bool TakeWithoutWaiting(NamedMutex& mutex) {
  const Result<NamedMutex::Take> taken = mutex.TryTake();
  return !taken || *taken != NamedMutex::Take::Busy;
}

NamedMutex* OpenWaitMutex() {
  if (!InstanceHandles.WaitMutex) {
    if (InstanceHandles.WaitMutexName.empty()) ComposeWaitMutexName();
    Result<MutexOpening> opening = Sys().OpenMutex(InstanceHandles.WaitMutexName);
    if (opening) InstanceHandles.WaitMutex = std::move(opening->mutex);
  }
  return InstanceHandles.WaitMutex.get();
}

Turn StopWaiting(Turn how) {
  RunState.ActivityState = Idle;
  Host().ShowWaiting(false);
  return how;
}

}  // namespace

std::string ExecutableBaseName(const std::string& modulePath) {
  const size_t slash = modulePath.find_last_of("\\/:");
  std::string name = slash == std::string::npos ? modulePath : modulePath.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

int32_t GetInstanceNumber() {
  const std::string base = ExecutableBaseName(Sys().ModulePath());
  int32_t number = 1;
  for (;; ++number) {
    Result<MutexOpening> opening = Sys().OpenMutex(base + std::to_string(number));
    // The handle of a number found taken closes here at once. A mutex that
    // cannot be created at all counts as free.
    if (opening && opening->existed && number <= MaxInstanceNumber) continue;
    InstanceHandles.InstanceMutex = opening ? std::move(opening->mutex) : nullptr;
    break;
  }
  Tk().SetName(base + std::to_string(number));
  return number <= MaxInstanceNumber ? number : 0;
}

void ComposeWaitMutexName() {
  InstanceHandles.WaitMutexName = RunOptions.ProgramBaseName + WaitMutexSuffix;
}

uint16_t RetryDelayMs(int32_t instanceNumber) {
  const int32_t number =
      instanceNumber >= 1 && instanceNumber <= MaxInstanceNumber ? instanceNumber
                                                                 : MaxInstanceNumber;
  return static_cast<uint16_t>((number - 1) * RetryDelayPerNumberMs);
}

Turn WaitForTurn(uint64_t limitMs) {
  NamedMutex* mutex = OpenWaitMutex();
  if (mutex == nullptr || TakeWithoutWaiting(*mutex)) return Turn::Ours;
  RunState.ActivityState = WaitingForInstances;
  Host().ShowWaiting(true);
  const uint64_t start = Sys().TickCount();
  const auto timedOut = [&] { return Sys().TickCount() - start >= limitMs; };
  for (;;) {
    if (Host().ProcessPending() != HostSignal::GoOn) return StopWaiting(Turn::Stopped);
    if (timedOut()) return StopWaiting(Turn::TimedOut);
    const Wake wake = Sys().WaitForMessageOrMutex(mutex, WaitSliceMs);
    if (wake != Wake::Taken && wake != Wake::Abandoned) continue;
    // The mutex came free and is ours for the moment. Every waiting
    // instance gets it in turn like this; each gives it back at once and
    // tries again after its own delay, so the lowest number goes first.
    ReleaseWaitMutex();
    DelayAbortable(RetryDelayMs(RunOptions.InstanceNumber), RunState.AbortRequested);
    if (RunState.AbortRequested) return StopWaiting(Turn::Stopped);
    if (TakeWithoutWaiting(*mutex)) {
      Host().ShowWaiting(false);
      return Turn::Ours;
    }
  }
}

void ReleaseWaitMutex() {
  if (!InstanceHandles.WaitMutex) return;
  while (InstanceHandles.WaitMutex->Release().Ok()) {
  }
}

bool OtherInstanceRunning(int32_t own) {
  for (int32_t number = 1; number <= MaxInstanceNumber; ++number) {
    if (number == own) continue;
    const Result<MutexOpening> probe =
        Sys().OpenMutex(RunOptions.ProgramBaseName + std::to_string(number));
    if (probe && probe->existed) return true;
  }
  return false;
}

void CloseInstanceMutexes() {
  ReleaseWaitMutex();
  InstanceHandles.WaitMutex.reset();
  if (InstanceHandles.InstanceMutex) (void)InstanceHandles.InstanceMutex->Release();
  InstanceHandles.InstanceMutex.reset();
}

}  // namespace plovik
