// plovik.exe in a process of its own, for the Wine tests and the start-up
// benchmark: started with a private application-data folder, its main
// window found and closed as the user's close box would.
#pragma once

#include <windows.h>

#include <string>

namespace plovik::test {

class ProgramProcess {
 public:
  ProgramProcess() = default;
  ProgramProcess(const ProgramProcess&) = delete;
  ProgramProcess& operator=(const ProgramProcess&) = delete;
  // Ends the process if it still runs.
  ~ProgramProcess();

  // Starts the program with APPDATA set to appData; false when it cannot.
  bool Start(const std::string& exe, const std::string& appData);
  // Waits until the program waits for input with nothing left to do: its
  // window is up and idle.
  bool WaitUntilIdle(DWORD timeoutMs);
  // The program's visible top-level window with this title, once it shows.
  HWND FindWindowTitled(const std::wstring& title, DWORD timeoutMs);
  // Closes the window as the close box does and waits for the process to
  // end; its exit code, or -1 when it did not end in time.
  int CloseAndWait(HWND window, DWORD timeoutMs);

 private:
  PROCESS_INFORMATION process_{};
};

// The path of plovik.exe the build gives the tests (PLOVIK_EXE); empty
// when it is not set.
std::string ProgramPath();

}  // namespace plovik::test
