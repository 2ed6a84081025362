// plovik.exe in a process of its own, for the Wine tests and the
// benchmarks: started with a private application-data folder and a command
// line, its windows found, their buttons pressed and the main window closed
// as a user would, its end and exit code awaited, or the process killed.
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

  // Starts the program with APPDATA set to appData and the arguments
  // after its own quoted path; false when it cannot.
  bool Start(const std::string& exe, const std::string& appData,
             const std::string& arguments = "");
  // Waits until the program waits for input with nothing left to do: its
  // window is up and idle.
  bool WaitUntilIdle(DWORD timeoutMs);
  // The program's visible top-level window with this title, once it shows.
  HWND FindWindowTitled(const std::wstring& title, DWORD timeoutMs);
  // Closes the window as the close box does and waits for the process to
  // end; its exit code, or -1 when it did not end in time.
  int CloseAndWait(HWND window, DWORD timeoutMs);
  // Waits for the process to end; its exit code, or -1 when it did not end
  // in time.
  int Wait(DWORD timeoutMs);
  bool Running() const;
  // Ends the process at once, as a crash or the task manager would.
  void Kill();
  DWORD Id() const { return process_.dwProcessId; }

  // A visible top-level window of the program whose title is the given
  // one, or null.
  HWND WindowTitled(const std::wstring& title) const;
  // A visible child window of a top-level window with this text, or null.
  static HWND ChildWithText(HWND window, const std::wstring& text);
  // A visible child window with this text in any visible top-level window
  // of the program (a panel's caption, a button), or null.
  HWND ShownText(const std::wstring& text) const;
  // Presses the button with this caption (with its "&") in a visible
  // window of the program titled `title`, once one shows; false when none
  // showed in time.
  bool PressButton(const std::wstring& title, const std::wstring& caption, DWORD timeoutMs);

 private:
  PROCESS_INFORMATION process_{};
};

// The path of plovik.exe the build gives the tests (PLOVIK_EXE); empty
// when it is not set.
std::string ProgramPath();
// For the benchmarks: ProgramPath(), or else the plovik.exe of the build
// folder above the folder of the running program (build/<preset>/bench/).
std::string ProgramPathForBench();
// A path as one argument of a command line, in double quotes.
std::string Quoted(const std::string& path);

}  // namespace plovik::test
