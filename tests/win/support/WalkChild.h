// A walk in a process of its own: the Wine test program started again in
// its walk mode. A test can end such a walk half-way (by ending the
// process) or give it a time limit, which a walk inside the test program
// could not have.
#pragma once

#include <windows.h>

#include <string>

namespace plovik::test {

// The first argument that puts the test program into its walk mode; the
// arguments after it are the source, the destination and "verify" or
// "plain".
inline constexpr wchar_t WalkChildSwitch[] = L"--walk-child";

// The walk mode: one walk as WalkEnvironment makes it, the protocol lines
// on the standard output. Returns the program's exit code: 0 when the walk
// came to its end, 2 for wrong arguments.
int RunWalkChild(int argc, wchar_t** argv);

// This program started in its walk mode. The child's output goes into the
// file protocolPath (nowhere when it is empty). Ended when destroyed.
class WalkChild {
 public:
  WalkChild(const std::string& src, const std::string& dst, bool verify,
            const std::string& protocolPath = "");
  ~WalkChild();
  WalkChild(const WalkChild&) = delete;
  WalkChild& operator=(const WalkChild&) = delete;

  bool Started() const { return process_ != nullptr; }
  // True when the child ended within the time; false while it still runs.
  bool Wait(DWORD milliseconds);
  // Ends the child at once, wherever it is.
  void Kill();
  // The exit code once the child has ended.
  DWORD ExitCode() const;

 private:
  HANDLE process_ = nullptr;
};

}  // namespace plovik::test
