#include "win/support/ProgramTrials.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <random>

#include "win/support/ProgramProcess.h"
#include "win/support/WinTestFiles.h"

namespace plovik::test {

namespace {

constexpr DWORD RunWaitMs = 180000;
constexpr size_t SmallFileBytes = 3000;
constexpr int SmallFilesPerLevel = 3;
constexpr DWORD EarliestKillMs = 100;
// Files large enough that an update takes a good part of a second.
constexpr size_t TogetherFileBytes = size_t(16) << 20;
constexpr const char* PartialCopyName = "~plovik-partial.tmp";

// What a killed run left in its destination: how many of the source's
// files were in place and whether a partial copy was left behind.
std::string LeftBehind(const std::string& source, const std::string& backup) {
  const std::map<std::string, std::string> want = ListFiles(source);
  int inPlace = 0;
  bool partial = false;
  for (const auto& [relative, path] : ListFiles(backup)) {
    inPlace += want.count(relative) ? 1 : 0;
    const size_t slash = relative.find_last_of('\\');
    partial = partial || relative.substr(slash == std::string::npos ? 0 : slash + 1) ==
                             PartialCopyName;
  }
  return std::to_string(inPlace) + " of " + std::to_string(want.size()) + " files in place" +
         (partial ? ", a partial copy" : "");
}

std::string UpdateSwitches(bool log) {
  return log ? " /s /e /v /l /a /t" : " /s /e /v /a /t";
}

void AddTimes(Activity& activity, int64_t since, std::initializer_list<int64_t> times) {
  for (int64_t time : times) {
    if (time < since) continue;
    activity.first = activity.marks == 0 ? time : std::min(activity.first, time);
    activity.last = activity.marks == 0 ? time : std::max(activity.last, time);
    ++activity.marks;
  }
}

// The change time (the last change of the entry's data or attributes),
// which the system keeps beside the creation and write times.
int64_t ChangeTime(const std::string& path) {
  HANDLE handle = CreateFileW(LongPath(path).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return 0;
  FILE_BASIC_INFO info{};
  const bool ok = GetFileInformationByHandleEx(handle, FileBasicInfo, &info, sizeof info) != 0;
  CloseHandle(handle);
  return ok ? info.ChangeTime.QuadPart : 0;
}

void CollectActivity(const std::string& dir, int64_t since, Activity& activity) {
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(LongPath(dir + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    char narrow[MAX_PATH * 3] = {};
    WideCharToMultiByte(CP_UTF8, 0, name.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
    const std::string path = dir + "\\" + narrow;
    AddTimes(activity, since,
             {Ticks(found.ftCreationTime), Ticks(found.ftLastWriteTime), ChangeTime(path)});
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) CollectActivity(path, since, activity);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

std::string Seconds(int64_t ticks, int64_t origin) {
  char text[32];
  snprintf(text, sizeof text, "%.3f", static_cast<double>(ticks - origin) / 1e7);
  return text;
}

}  // namespace

int64_t FileTimeNow() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return Ticks(now);
}

void MakeSourceTree(const std::string& root, int bigFiles, size_t bigBytes, uint32_t seed) {
  const FILETIME old = UtcFileTime(2020, 5, 4, 3, 2, 1);
  std::string dir = root;
  CreateDirectoryW(LongPath(dir).c_str(), nullptr);
  for (int level = 0; level < bigFiles; ++level) {
    WriteWholeFile(dir + "\\big" + std::to_string(level) + ".bin",
                   Pattern(bigBytes, seed + static_cast<uint32_t>(level)));
    for (int i = 0; i < SmallFilesPerLevel; ++i) {
      WriteWholeFile(dir + "\\small" + std::to_string(i) + ".txt",
                     Pattern(SmallFileBytes, seed * 31 + static_cast<uint32_t>(level * 7 + i)));
    }
    dir += "\\level" + std::to_string(level + 1);
    CreateDirectoryW(LongPath(dir).c_str(), nullptr);
  }
  for (const auto& [relative, path] : ListFiles(root)) SetWriteTime(path, old);
}

bool SameTrees(const std::string& expected, const std::string& actual, std::string& difference) {
  const std::map<std::string, std::string> want = ListFiles(expected);
  const std::map<std::string, std::string> have = ListFiles(actual);
  for (const auto& [relative, path] : want) {
    auto it = have.find(relative);
    if (it == have.end()) {
      difference = relative + " is missing";
      return false;
    }
    if (!SameFileBytes(path, it->second)) {
      difference = relative + " differs";
      return false;
    }
  }
  for (const auto& [relative, path] : have) {
    if (!want.count(relative)) {
      difference = relative + " is left over";
      return false;
    }
  }
  return true;
}

Activity ActivityIn(const std::string& root, int64_t since) {
  Activity activity;
  CollectActivity(root, since, activity);
  return activity;
}

TrialResult RunInstancesTogether(const std::string& exe, const std::string& workDir, int count,
                                 uint32_t seed) {
  TrialResult result;
  const std::string source = workDir + "\\source";
  MakeSourceTree(source, 3, TogetherFileBytes, seed);
  const int64_t since = FileTimeNow();
  std::vector<std::unique_ptr<ProgramProcess>> programs;
  for (int i = 0; i < count; ++i) {
    const std::string appData = workDir + "\\appdata" + std::to_string(i);
    CreateDirectoryW(LongPath(appData).c_str(), nullptr);
    programs.push_back(std::make_unique<ProgramProcess>());
    programs.back()->Start(exe, appData, Quoted(source) + " " +
                                             Quoted(workDir + "\\backup" + std::to_string(i)) +
                                             UpdateSwitches(true));
  }
  std::vector<std::pair<Activity, int>> spans;
  result.ok = true;
  for (int i = 0; i < count; ++i) {
    const int code = programs[static_cast<size_t>(i)]->Wait(RunWaitMs);
    const std::string backup = workDir + "\\backup" + std::to_string(i);
    std::string difference;
    // The log, saved at the run's end while it still held its turn, marks
    // the end of the span; then it goes, as the source has no such file.
    const Activity activity = ActivityIn(backup, since);
    if (!Exists(backup + "\\PLOVIK-LOG.TXT")) difference = "no log saved";
    DeleteFileW(LongPath(backup + "\\PLOVIK-LOG.TXT").c_str());
    if (code != 0 || !difference.empty() || !SameTrees(source, backup, difference) ||
        activity.marks == 0) {
      result.ok = false;
      result.report += "instance " + std::to_string(i) + ": exit code " + std::to_string(code) +
                       (difference.empty() ? "" : ", " + difference) + "; ";
    }
    spans.emplace_back(activity, i);
  }
  std::sort(spans.begin(), spans.end(),
            [](const auto& a, const auto& b) { return a.first.first < b.first.first; });
  for (size_t i = 0; i < spans.size(); ++i) {
    const Activity& span = spans[i].first;
    result.report += "run " + std::to_string(spans[i].second) + " " + Seconds(span.first, since) +
                     "-" + Seconds(span.last, since) + " s";
    result.report += i + 1 < spans.size() ? ", " : "";
    if (i > 0 && span.first < spans[i - 1].first.last) {
      result.ok = false;
      result.report += "(OVERLAP) ";
    }
  }
  return result;
}

uint32_t TimeFullRun(const std::string& exe, const std::string& source,
                     const std::string& workDir) {
  const std::string appData = workDir + "\\appdata";
  CreateDirectoryW(LongPath(appData).c_str(), nullptr);
  const std::string backup = workDir + "\\backup";
  const int64_t start = FileTimeNow();
  ProgramProcess program;
  if (!program.Start(exe, appData, Quoted(source) + " " + Quoted(backup) + UpdateSwitches(true)) ||
      program.Wait(RunWaitMs) != 0)
    return 0;
  const int64_t saved = WriteTime(backup + "\\PLOVIK-LOG.TXT");
  constexpr int64_t TicksPerMs = 10000;
  return saved > start ? static_cast<uint32_t>((saved - start) / TicksPerMs) : 0;
}

TrialResult RunKilledThenNormal(const std::string& exe, const std::string& source,
                                const std::string& workDir, uint32_t latestKillMs, uint32_t seed) {
  TrialResult result;
  std::mt19937 random(seed);
  const DWORD killAfter = std::uniform_int_distribution<DWORD>(
      EarliestKillMs, std::max<DWORD>(EarliestKillMs, latestKillMs))(random);
  const std::string backup = workDir + "\\backup";
  const std::string appData = workDir + "\\appdata";
  CreateDirectoryW(LongPath(appData).c_str(), nullptr);
  const std::string arguments = Quoted(source) + " " + Quoted(backup) + UpdateSwitches(false);
  bool killedRunning = false;
  {
    ProgramProcess killed;
    killed.Start(exe, appData, arguments);
    Sleep(killAfter);
    killedRunning = killed.Running();
    killed.Kill();
  }
  const std::string left = LeftBehind(source, backup);
  ProgramProcess normal;
  normal.Start(exe, appData, arguments);
  const int code = normal.Wait(RunWaitMs);
  std::string difference;
  result.ok = code == 0 && SameTrees(source, backup, difference);
  result.report = "killed after " + std::to_string(killAfter) + " ms" +
                  (killedRunning ? " while running" : " (it had ended)") + " (" + left +
                  "); the next run's exit code " + std::to_string(code) +
                  (difference.empty() ? "" : "; " + difference);
  return result;
}

}  // namespace plovik::test
