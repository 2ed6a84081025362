#include "win/support/WalkChild.h"

#include <cstdio>

#include "core/RunRecords.h"
#include "lib/Wide.h"
#include "win/support/RealFilesEnvironment.h"

namespace plovik::test {

namespace {

// Where the child's output goes: the protocol file, or NUL.
HANDLE OutputFor(const std::string& protocolPath) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const std::wstring path = protocolPath.empty() ? L"NUL" : Wide(protocolPath);
  return ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       protocolPath.empty() ? OPEN_EXISTING : CREATE_ALWAYS, 0, nullptr);
}

}  // namespace

int RunWalkChild(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  WalkEnvironment environment;
  RunOptions.VerifyFlag = std::wstring(argv[2]) == L"verify";
  environment.Walk(Narrow(argv[0], wcslen(argv[0])), Narrow(argv[1], wcslen(argv[1])));
  for (const std::string& line : environment.Lines()) std::printf("%s\n", line.c_str());
  std::fflush(stdout);
  return 0;
}

WalkChild::WalkChild(const std::string& src, const std::string& dst, bool verify,
                     const std::string& protocolPath) {
  wchar_t exe[MAX_PATH + 1] = {};
  if (::GetModuleFileNameW(nullptr, exe, MAX_PATH) == 0) return;
  std::wstring commandLine = L"\"" + std::wstring(exe) + L"\" " + WalkChildSwitch + L" \"" +
                             Wide(src) + L"\" \"" + Wide(dst) + L"\" " +
                             (verify ? L"verify" : L"plain");
  HANDLE output = OutputFor(protocolPath);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = output;
  startup.hStdOutput = output;
  startup.hStdError = output;
  PROCESS_INFORMATION child{};
  if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &child)) {
    ::CloseHandle(child.hThread);
    process_ = child.hProcess;
  }
  if (output != INVALID_HANDLE_VALUE) ::CloseHandle(output);
}

WalkChild::~WalkChild() {
  if (process_ == nullptr) return;
  Kill();
  ::CloseHandle(process_);
}

bool WalkChild::Wait(DWORD milliseconds) {
  return process_ != nullptr && ::WaitForSingleObject(process_, milliseconds) == WAIT_OBJECT_0;
}

void WalkChild::Kill() {
  if (process_ == nullptr || Wait(0)) return;
  ::TerminateProcess(process_, 99);
  ::WaitForSingleObject(process_, 30000);
}

DWORD WalkChild::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_ != nullptr) ::GetExitCodeProcess(process_, &code);
  return code;
}

}  // namespace plovik::test
