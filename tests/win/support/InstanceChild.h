// An instance of the program's coordination in a process of its own: the
// Wine test program (or a copy of it under another name, whose mutexes are
// then of its own) started again in its instance mode, so that named
// mutexes pass between real processes.
#pragma once

#include <windows.h>

#include <string>

namespace plovik::test {

// The first argument that puts the test program into its instance mode;
// the arguments after it are the mode, the report file and the
// milliseconds to hold the turn. The mutex names come from the
// executable's name, as in the program.
inline constexpr wchar_t InstanceChildSwitch[] = L"--instance-child";

enum class InstanceChildMode {
  // Takes an instance number, waits for its turn (WaitForTurn), holds it,
  // gives it back, and writes "number start end passes" to the report file:
  // the file times of the turn and how often the wait processed messages.
  Turn,
  // Takes the wait mutex and ends without giving it back.
  DieOwning,
};

// The instance mode. Exit code 0 when it did its part, 2 for wrong
// arguments, 3 when the wait failed.
int RunInstanceChild(int argc, wchar_t** argv);

// This program started in its instance mode. Ended when destroyed.
class InstanceChild {
 public:
  InstanceChild(const std::string& exePath, InstanceChildMode mode,
                const std::string& reportPath, DWORD holdMs);
  ~InstanceChild();
  InstanceChild(const InstanceChild&) = delete;
  InstanceChild& operator=(const InstanceChild&) = delete;

  bool Started() const { return process_ != nullptr; }
  bool Wait(DWORD milliseconds);
  DWORD ExitCode() const;

 private:
  HANDLE process_ = nullptr;
};

}  // namespace plovik::test
