#include "toolkit/win32/Win32Taskbar.h"

#include <objbase.h>
#include <shobjidl.h>

#include "toolkit/win32/Win32Toolkit.h"

namespace plovik {

namespace {

TBPFLAG FlagOf(TaskbarProgress state) {
  switch (state) {
    case TaskbarProgress::Indeterminate: return TBPF_INDETERMINATE;
    case TaskbarProgress::Normal: return TBPF_NORMAL;
    case TaskbarProgress::Error: return TBPF_ERROR;
    case TaskbarProgress::Paused: return TBPF_PAUSED;
    case TaskbarProgress::None: break;
  }
  return TBPF_NOPROGRESS;
}

bool HasValue(TaskbarProgress state) {
  return state == TaskbarProgress::Normal || state == TaskbarProgress::Error ||
         state == TaskbarProgress::Paused;
}

}  // namespace

// COM may have been set up on this thread already, in another apartment
// (RPC_E_CHANGED_MODE): the interface can be made all the same, but that
// set-up is not ours to undo.
Win32Taskbar::Win32Taskbar() {
  comInitialized_ =
      SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  void* list = nullptr;
  if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                              &list)) ||
      list == nullptr) {
    return;
  }
  list_ = static_cast<ITaskbarList3*>(list);
  if (FAILED(list_->HrInit())) {
    list_->Release();
    list_ = nullptr;
  }
}

Win32Taskbar::~Win32Taskbar() {
  if (list_ != nullptr) list_->Release();
  if (comInitialized_) CoUninitialize();
}

// The state first: a value set while the button shows no progress or an
// indeterminate one would turn it to the normal state.
bool Win32Taskbar::Show(HWND window, TaskbarProgress state, uint64_t done, uint64_t total) {
  if (list_ == nullptr || window == nullptr) return false;
  if (FAILED(list_->SetProgressState(window, FlagOf(state)))) return false;
  if (!HasValue(state)) return true;
  if (total == 0) {
    done = 0;
    total = 1;
  }
  return SUCCEEDED(list_->SetProgressValue(window, done < total ? done : total, total));
}

// ---- the application's call ------------------------------------------------------------

bool Win32Toolkit::SetTaskbarProgress(TaskbarProgress state, uint64_t done, uint64_t total) {
  HWND main = MainWindow();
  if (main == nullptr) return false;
  if (!taskbar_) taskbar_ = std::make_unique<Win32Taskbar>();
  return taskbar_->Show(main, state, done, total);
}

}  // namespace plovik
