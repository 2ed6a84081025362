#include "win/support/InstanceChild.h"

#include <cstdio>
#include <cwchar>
#include <memory>

#include "core/RunRecords.h"
#include "lib/Wide.h"
#include "platform/win32/Win32Platform.h"
#include "run/Instances.h"
#include "toolkit/headless/Headless.h"
#include "ui/WindowHost.h"

namespace plovik::test {

namespace {

constexpr int WrongArguments = 2;
constexpr int WaitFailed = 3;

uint64_t FileTimeNow() {
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  return (uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

int TakeTurn(const std::wstring& reportPath, DWORD holdMs) {
  HeadlessToolkit toolkit;
  InstallToolkit(&toolkit);
  RunOptions.InstanceNumber = GetInstanceNumber();
  // No window: the host only processes the messages while it waits.
  WindowHost host;
  InstallHost(&host);
  if (WaitForTurn() != Turn::Ours) return WaitFailed;
  const uint64_t start = FileTimeNow();
  ::Sleep(holdMs);
  const uint64_t end = FileTimeNow();
  CloseInstanceMutexes();
  InstallHost(nullptr);
  InstallToolkit(nullptr);
  std::FILE* report = _wfopen(reportPath.c_str(), L"w");
  if (report == nullptr) return WaitFailed;
  std::fprintf(report, "%d %llu %llu %d\n", RunOptions.InstanceNumber,
               static_cast<unsigned long long>(start), static_cast<unsigned long long>(end),
               toolkit.processCount);
  std::fclose(report);
  return 0;
}

}  // namespace

int RunInstanceChild(int argc, wchar_t** argv) {
  if (argc != 3) return WrongArguments;
  const std::wstring mode = argv[0];
  Win32Platform platform;
  InstallPlatform(&platform);
  RunOptions.ProgramBaseName = ExecutableBaseName(platform.ModulePath());
  ComposeWaitMutexName();
  if (mode == L"die-owning") {
    Result<MutexOpening> opening = platform.OpenMutex(InstanceHandles.WaitMutexName);
    if (!opening) return WaitFailed;
    const Result<NamedMutex::Take> taken = opening->mutex->TryTake();
    if (!taken || *taken == NamedMutex::Take::Busy) return WaitFailed;
    ::ExitProcess(0);  // owning it: the mutex is abandoned
  }
  if (mode != L"turn") return WrongArguments;
  return TakeTurn(argv[1], static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
}

InstanceChild::InstanceChild(const std::string& exePath, InstanceChildMode mode,
                             const std::string& reportPath, DWORD holdMs) {
  std::wstring commandLine = L"\"" + Wide(exePath) + L"\" " + InstanceChildSwitch + L" " +
                             (mode == InstanceChildMode::Turn ? L"turn" : L"die-owning") +
                             L" \"" + Wide(reportPath) + L"\" " + std::to_wstring(holdMs);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &child)) {
    ::CloseHandle(child.hThread);
    process_ = child.hProcess;
  }
}

InstanceChild::~InstanceChild() {
  if (process_ == nullptr) return;
  if (!Wait(0)) {
    ::TerminateProcess(process_, 99);
    ::WaitForSingleObject(process_, 30000);
  }
  ::CloseHandle(process_);
}

bool InstanceChild::Wait(DWORD milliseconds) {
  return process_ != nullptr && ::WaitForSingleObject(process_, milliseconds) == WAIT_OBJECT_0;
}

DWORD InstanceChild::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_ != nullptr) ::GetExitCodeProcess(process_, &code);
  return code;
}

}  // namespace plovik::test
