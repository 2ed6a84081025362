// The process-wide records of an update run: the options that steer it, the
// counters it fills and the state of the application around it. There is
// one of each; they are read afresh after every message-processing point.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace plovik {

constexpr int MaxSpecEntries = 16;
// A specification list: entries numbered from 1 (index 0 is unused).
using SpecList = std::array<std::string, MaxSpecEntries + 1>;

struct TRunOptions {
  bool DebugFlag = false;
  bool HelpFlag = false;
  bool ErrorFlag = false;
  bool SubDirFlag = false;
  bool EmptyFlag = false;
  bool VerifyFlag = false;
  bool IgnoreFileAgeOneHourDiffFlag = false;
  bool IgnoreFlag = false;
  bool LogFlag = false;
  bool NoUpdateFlag = false;
  bool QuietFlag = false;
  bool ReportFlag = false;
  bool AutostartFlag = false;
  bool TerminateFlag = false;
  // "/u": no box ever waits for a person; the program always ends by itself.
  bool UnattendedFlag = false;

  std::string SrcPath;
  std::string DstPath;
  std::string SrcFileSpecs;
  SpecList SrcFileSpecList{};
  uint8_t SrcFileSpecCount = 0;
  std::string IgnoreFileSpecs;
  SpecList IgnoreFileSpecList{};
  uint8_t IgnoreFileSpecCount = 0;
  bool RedirectionFlag = false;
  std::string RedirectionTarget;
  std::string CmdLineSwitches;
  int32_t KeepTime = 5;
  int32_t OneHour = 2048;
  std::string ProgramBaseName;
  int32_t InstanceNumber = 0;
};

struct TRunCounters {
  int32_t SubDirsScanned = 1;
  int32_t SubDirsCreated = 0;
  int32_t SubDirsSkipped = 0;
  int32_t SubDirAttributesUpdated = 0;
  int32_t FilesFound = 0;
  int32_t FilesCopied = 0;
  int32_t FilesSkipped = 0;
  int32_t FilesIgnored = 0;
  int32_t FileAttributesUpdated = 0;
  int64_t DstBytesTotal = -1;
  int64_t DstBytesFree = -1;
  char DstDriveLetter = 0;  // 0: none (network destination)
};

enum ActivityStateValue : uint8_t {
  Idle = 0,
  Starting = 1,
  WaitingForInstances = 2,
  Updating = 3,
  CountingDown = 4,
  Printing = 6,
  Saving = 7,
};

struct TRunState {
  uint8_t ActivityState = Idle;
  bool RunActive = false;
  bool AbortRequested = false;
  bool CopyAbortRequested = false;
  bool CloseRequested = false;
  bool KeepRunning = true;
  bool ValidationFailed = false;
  bool QuitAtStartup = true;
  int16_t RunDialogAnswer = 1;
  // A close asked for while the window was still being created; carried
  // out once the creation has finished, so that the settings are never
  // written from a half-built window.
  bool CloseAfterStart = false;
  // The window is closing (its settings are being written); a further close
  // request meanwhile is refused.
  bool Closing = false;
};

extern TRunOptions RunOptions;
extern TRunCounters RunCounters;
extern TRunState RunState;
// 0 English, 1 German.
extern uint8_t LanguageIndex;
inline bool German() { return LanguageIndex == 1; }
// The text of the current language.
inline const char* InLanguage(const char* english, const char* german) {
  return German() ? german : english;
}

// Start values of the counters, as the driver sets them before a walk.
// DstDriveLetter is kept: the destination checks set it before the reset.
void ResetRunCounters();
// Adds one to a counter; past the largest value it stays there (counters
// never wrap).
void CountUp(int32_t& counter);

// OneHour from the system's packing of 2000-01-01 01:00:00 and 00:00:00.
int32_t ComputeOneHour();

// The 14 lines of the flag dump: name left-aligned in 29 characters, "= ",
// BoolText of the value.
std::vector<std::string> RunFlagDumpLines();

}  // namespace plovik
