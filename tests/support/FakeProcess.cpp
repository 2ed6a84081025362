// The fake platform's processes, names and letter case, typed paths, ANSI
// texts, clock, named mutexes and error texts.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "lib/PackedDate.h"
#include "support/FakeSystem.h"

namespace plovik::test {

using fake::NodePtr;
using fake::ParsedPath;
using fake::State;

namespace {

constexpr uint16_t EnglishUnitedStates = 0x0409;
constexpr const char* DefaultModulePath = "C:\\Plovik\\plovik.exe";
constexpr uint32_t ErrorWaitTimeout = 258;
constexpr uint32_t LongestTimerWaitMs = 65535;
constexpr uint32_t Infinite = 0xFFFFFFFFu;
constexpr int64_t TicksPerMillisecond = 10000;

std::shared_ptr<fake::Process> NewProcess(State& state) {
  auto process = std::make_shared<fake::Process>();
  process->id = state.nextProcessId++;
  process->modulePath = DefaultModulePath;
  process->commandLine = std::string("\"") + DefaultModulePath + "\"";
  process->languageId = EnglishUnitedStates;
  return process;
}

std::string TwoDigits(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

}  // namespace

// ---- processes -----------------------------------------------------------------------

FakePlatform::FakePlatform(std::shared_ptr<State> state)
    : state_(std::move(state)), process_(NewProcess(*state_)) {}

FakePlatform::~FakePlatform() { EndProcess(); }

std::unique_ptr<FakePlatform> FakePlatform::StartProcess() {
  return std::unique_ptr<FakePlatform>(new FakePlatform(state_));
}

void FakePlatform::EndProcess() {
  if (!process_->alive) return;
  process_->alive = false;
  state_->AbandonMutexesOf(process_->id);
}

void FakePlatform::SetCommandLine(const std::string& commandLine) {
  process_->commandLine = commandLine;
}
void FakePlatform::SetModulePath(const std::string& path) { process_->modulePath = path; }
void FakePlatform::SetEnvironment(const std::string& name, std::optional<std::string> value) {
  const std::string key = fake::UpperText(name);
  if (value) {
    process_->environment[key] = {name, *value};
  } else {
    process_->environment.erase(key);
  }
}
void FakePlatform::SetUserLanguageId(uint16_t languageId) { process_->languageId = languageId; }
void FakePlatform::SetCurrentDirectory(const std::string& path) {
  process_->currentDirectory = path;
}
void FakePlatform::PostMessage() { ++process_->pendingMessages; }
void FakePlatform::DrainMessages() { process_->pendingMessages = 0; }
int FakePlatform::PendingMessages() const { return process_->pendingMessages; }

// ---- names and letter case --------------------------------------------------------------

bool FakePlatform::SameName(const std::string& a, const std::string& b) {
  return fake::NameKey(a) == fake::NameKey(b);
}

std::string FakePlatform::UpperCase(const std::string& text) { return fake::UpperText(text); }

// ---- paths a user typed -----------------------------------------------------------------

std::string FakePlatform::CurrentDirectory() { return process_->currentDirectory; }

Result<std::string> FakePlatform::FullPathName(const std::string& path) {
  return fake::FullPath(path, process_->currentDirectory);
}

Result<std::string> FakePlatform::LongPathName(const std::string& text) {
  const Result<std::string> full = fake::FullPath(text, process_->currentDirectory);
  if (!full) return full;
  ParsedPath path = fake::ParsePath(*full, process_->currentDirectory);
  NodePtr current = state_->SetupRoot(path);
  if (path.error != 0 || !current) return Failure(path.error != 0 ? path.error : ErrorPathNotFound);
  // Each level the path names by its short name is replaced by its long
  // name; the others stay as typed.
  std::string result = fake::RootText(*full);
  for (size_t i = 0; i < path.parts.size(); ++i) {
    const std::string& part = path.parts[i];
    NodePtr next = current->dir ? fake::FindChild(*current, part) : nullptr;
    if (!next) return Failure(i + 1 == path.parts.size() ? ErrorFileNotFound : ErrorPathNotFound);
    const bool byShortName = fake::NameKey(next->name) != fake::NameKey(part);
    result += (i > 0 ? "\\" : "") + (byShortName ? next->name : part);
    current = next;
  }
  if (path.trailingBackslash) result += "\\";
  return result;
}

// ---- the process and its user --------------------------------------------------------------

std::string FakePlatform::ModulePath() { return process_->modulePath; }
std::string FakePlatform::CommandLine() { return process_->commandLine; }

std::optional<std::string> FakePlatform::Environment(const std::string& name) {
  auto it = process_->environment.find(fake::UpperText(name));
  if (it == process_->environment.end()) return std::nullopt;
  return it->second.second;
}

uint16_t FakePlatform::UserLanguageId() { return process_->languageId; }

std::optional<std::string> FakePlatform::ToAnsi(const std::string& text) {
  return fake::ToCp1252(text);
}

std::string FakePlatform::FromAnsi(const std::string& bytes) { return fake::FromCp1252(bytes); }

// ---- time -----------------------------------------------------------------------------------

uint64_t FakePlatform::TickCount() { return state_->tickMs; }

CivilTime FakePlatform::LocalNow() { return fake::CivilOfTicks(state_->ClockTicks()); }

std::string FakePlatform::ShortDateText(const CivilTime& time) {
  return std::to_string(time.year) + "-" + TwoDigits(time.month) + "-" + TwoDigits(time.day);
}

std::string FakePlatform::LongTimeText(const CivilTime& time) {
  return TwoDigits(time.hour) + ":" + TwoDigits(time.minute) + ":" + TwoDigits(time.second);
}

Result<void> FakePlatform::TimerWait(int64_t dueIn100ns) {
  if (dueIn100ns <= 0) return Success();
  const uint64_t due = static_cast<uint64_t>((dueIn100ns + TicksPerMillisecond - 1) /
                                             TicksPerMillisecond);
  if (due > LongestTimerWaitMs) {
    state_->Advance(LongestTimerWaitMs);
    return Failure(ErrorWaitTimeout);
  }
  state_->Advance(due);
  return Success();
}

// ---- named mutexes and waiting -------------------------------------------------------------

Result<MutexOpening> FakePlatform::OpenMutex(const std::string& name) {
  if (!process_->alive) return Failure(ErrorInvalidHandle);
  std::weak_ptr<fake::MutexObject>& slot = state_->mutexes[name];
  std::shared_ptr<fake::MutexObject> object = slot.lock();
  MutexOpening opening;
  opening.existed = object != nullptr;
  if (!object) {
    object = std::make_shared<fake::MutexObject>();
    slot = object;
  }
  opening.mutex = fake::MakeFakeMutex(state_, process_, object);
  return opening;
}

Wake FakePlatform::WaitForMessageOrMutex(NamedMutex* mutex, uint32_t timeoutMs) {
  if (fake::ObjectOf(mutex, *state_) != nullptr) {
    const Result<NamedMutex::Take> taken = mutex->TryTake();
    if (taken && *taken == NamedMutex::Take::Taken) return Wake::Taken;
    if (taken && *taken == NamedMutex::Take::Abandoned) return Wake::Abandoned;
  }
  if (process_->pendingMessages > 0) return Wake::Message;
  // Nothing else runs while this process waits: nothing can change.
  if (timeoutMs == Infinite) {
    ADD_FAILURE() << "a fake process would wait for ever";
    return Wake::Timeout;
  }
  state_->Advance(timeoutMs);
  return Wake::Timeout;
}

// ---- errors, sounds and dates ----------------------------------------------------------------

std::string FakePlatform::ErrorText(uint32_t code) {
  static const std::map<uint32_t, const char*> texts = {
      {0, "The operation completed successfully."},
      {2, "The system cannot find the file specified."},
      {3, "The system cannot find the path specified."},
      {5, "Access is denied."},
      {6, "The handle is invalid."},
      {8, "Not enough memory resources are available to process this command."},
      {17, "The system cannot move the file to a different disk drive."},
      {18, "There are no more files."},
      {19, "The media is write protected."},
      {21, "The device is not ready."},
      {29, "The system cannot write to the specified device."},
      {30, "The system cannot read from the specified device."},
      {32, "The process cannot access the file because it is being used by another process."},
      {33, "The process cannot access the file because another process has locked a portion "
           "of the file."},
      {39, "The disk is full."},
      {53, "The network path was not found."},
      {64, "The specified network name is no longer available."},
      {67, "The network name cannot be found."},
      {80, "The file exists."},
      {84, "Storage to process this request is not available."},
      {87, "The parameter is incorrect."},
      {112, "There is not enough space on the disk."},
      {123, "The filename, directory name, or volume label syntax is incorrect."},
      {145, "The directory is not empty."},
      {183, "Cannot create a file when that file already exists."},
      {234, "More data is available."},
      {240, "The session was canceled."},
      {258, "The wait operation timed out."},
      {267, "The directory name is invalid."},
      {288, "Attempt to release mutex not owned by caller."},
      {1200, "The specified device name is invalid."},
      {1201, "The device is not currently connected but it is a remembered connection."},
      {1223, "The operation was canceled by the user."},
      {2250, "This network connection does not exist."},
  };
  auto it = texts.find(code);
  return it == texts.end() ? std::string() : std::string(it->second) + "\r\n";
}

void FakePlatform::Beep(BeepKind kind) { state_->beeps.push_back(kind); }

int32_t FakePlatform::PackLocalTime(const CivilTime& time) {
  if (time.year < 1980) return OldestPackedDate;
  if (time.year > 2107) return NewestPackedDate;
  // A time the calendar does not have has no file time, as the system's
  // conversion refuses it.
  if (!fake::ValidCivil(time)) return MissingFileDate;
  return PackDate(time.year, time.month, time.day, time.hour, time.minute, time.second);
}

}  // namespace plovik::test
