// The progress on the main form's taskbar button, through the taskbar's
// progress interface (ITaskbarList3). The interface is made on first use,
// on the thread of the windows, with COM set up for that thread; where the
// system has none (older Windows, no shell), every call says false and
// nothing else happens.
#pragma once

#include <windows.h>

#include <cstdint>

#include "toolkit/Toolkit.h"

struct ITaskbarList3;

namespace plovik {

class Win32Taskbar {
 public:
  Win32Taskbar();
  ~Win32Taskbar();
  Win32Taskbar(const Win32Taskbar&) = delete;
  Win32Taskbar& operator=(const Win32Taskbar&) = delete;

  // Whether the system offers the taskbar's progress.
  bool Available() const { return list_ != nullptr; }
  // Shows the state (and for Normal, Error and Paused done of total) on
  // the window's taskbar button; false when the system did not take it.
  bool Show(HWND window, TaskbarProgress state, uint64_t done, uint64_t total);

 private:
  ITaskbarList3* list_ = nullptr;
  bool comInitialized_ = false;
};

}  // namespace plovik
