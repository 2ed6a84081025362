// Named mutexes, waiting for messages or a mutex, and waitable timers.
#include <windows.h>

#include "lib/Wide.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinHandles.h"
#include "platform/win32/WinResult.h"

namespace plovik {

namespace {

// The longest a timer wait may take, in milliseconds.
constexpr DWORD LongestTimerWait = 65535;

class Win32Mutex : public NamedMutex {
 public:
  explicit Win32Mutex(UniqueKernelHandle handle) : handle_(std::move(handle)) {}

  Result<Take> TryTake() override {
    switch (::WaitForSingleObject(handle_.Get(), 0)) {
      case WAIT_OBJECT_0: return Take::Taken;
      case WAIT_ABANDONED: return Take::Abandoned;
      case WAIT_TIMEOUT: return Take::Busy;
      default: return LastFailure();
    }
  }

  Result<void> Release() override { return Checked(::ReleaseMutex(handle_.Get())); }

  HANDLE Handle() const { return handle_.Get(); }

 private:
  UniqueKernelHandle handle_;
};

}  // namespace

Result<MutexOpening> Win32Platform::OpenMutex(const std::string& name) {
  UniqueKernelHandle handle(::CreateMutexW(nullptr, FALSE, Wide(name).c_str()));
  if (!handle) return LastFailure();
  MutexOpening opening;
  opening.existed = ::GetLastError() == ERROR_ALREADY_EXISTS;
  opening.mutex = std::make_unique<Win32Mutex>(std::move(handle));
  return opening;
}

Wake Win32Platform::WaitForMessageOrMutex(NamedMutex* mutex, uint32_t timeoutMs) {
  // Only a mutex of this platform can be waited for; any other counts as
  // none.
  const auto* own = dynamic_cast<Win32Mutex*>(mutex);
  HANDLE handle = own != nullptr ? own->Handle() : nullptr;
  const DWORD count = handle != nullptr ? 1 : 0;
  // Input that arrived before the call and is still unread counts as well.
  const DWORD result = ::MsgWaitForMultipleObjectsEx(count, count != 0 ? &handle : nullptr,
                                                     timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  if (count != 0 && result == WAIT_OBJECT_0) return Wake::Taken;
  if (count != 0 && result == WAIT_ABANDONED_0) return Wake::Abandoned;
  if (result == WAIT_OBJECT_0 + count) return Wake::Message;
  return Wake::Timeout;
}

Result<void> Win32Platform::TimerWait(int64_t dueIn100ns) {
  UniqueKernelHandle timer(::CreateWaitableTimerW(nullptr, FALSE, nullptr));
  if (!timer) return LastFailure();
  LARGE_INTEGER due;
  due.QuadPart = -dueIn100ns;  // negative: relative to now
  if (!::SetWaitableTimer(timer.Get(), &due, 0, nullptr, nullptr, FALSE)) return LastFailure();
  const DWORD waited = ::WaitForSingleObject(timer.Get(), LongestTimerWait);
  const DWORD waitError = waited == WAIT_FAILED ? ::GetLastError() : ERROR_SUCCESS;
  const Result<void> cancelled = Checked(::CancelWaitableTimer(timer.Get()));
  if (waited == WAIT_FAILED) return Failure(waitError);
  if (waited != WAIT_OBJECT_0) return Failure(waited);  // WAIT_TIMEOUT (258)
  return cancelled;
}

}  // namespace plovik
