// The platform contract over the Win32 platform on real files: a fresh
// temporary directory per test, whose other owner of mutexes is a second
// thread (a mutex belongs to a thread, and is abandoned when it ends).
#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "contract/PlatformEnvironment.h"
#include "lib/Wide.h"
#include "platform/win32/Win32Platform.h"
#include "win/support/WinTestFiles.h"

namespace plovik::contract {

namespace {

class ThreadOwner : public OtherOwner {
 public:
  explicit ThreadOwner(Platform& platform)
      : platform_(platform), thread_([this] { Serve(); }) {}
  // The thread ends; a mutex it owns is then abandoned.
  ~ThreadOwner() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      quit_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  void Run(const std::function<void(Platform&)>& work) override {
    std::unique_lock<std::mutex> lock(mutex_);
    job_ = &work;
    changed_.notify_all();
    changed_.wait(lock, [this] { return job_ == nullptr; });
  }

 private:
  void Serve() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return quit_ || job_ != nullptr; });
      if (job_ != nullptr) {
        (*job_)(platform_);
        job_ = nullptr;
        changed_.notify_all();
      } else if (quit_) {
        return;
      }
    }
  }

  Platform& platform_;
  std::mutex mutex_;
  std::condition_variable changed_;
  const std::function<void(Platform&)>* job_ = nullptr;
  bool quit_ = false;
  std::thread thread_;  // last: starts when the rest is ready
};

class Win32PlatformEnvironment : public PlatformEnvironment {
 public:
  Win32PlatformEnvironment() {
    const std::string dir = test::FreshTempDir("contract");
    if (!dir.empty()) root_ = dir + "\\";
    InstallPlatform(&platform_);
  }
  ~Win32PlatformEnvironment() override {
    DrainMessages();
    InstallPlatform(nullptr);
    if (!root_.empty()) test::RemoveTree(root_);
  }

  Platform& System() override { return platform_; }
  std::string Root() override { return root_; }

  std::string ShortName(const std::string& path) override {
    wchar_t buffer[32768];
    const DWORD length = ::GetShortPathNameW(test::LongPath(path).c_str(), buffer, 32768);
    if (length == 0 || length >= 32768) return std::string();
    const std::wstring shortPath(buffer, length);
    const std::string name = Narrow(shortPath.substr(shortPath.rfind(L'\\') + 1));
    return name == path.substr(path.rfind('\\') + 1) ? std::string() : name;
  }

  void SetWriteTime(const std::string& path, const CivilTime& time) override {
    test::SetWriteTime(path, test::UtcFileTime(time.year, time.month, time.day, time.hour,
                                               time.minute, time.second));
  }

  void SetVariable(const std::string& name, const std::optional<std::string>& value) override {
    ::SetEnvironmentVariableW(Wide(name).c_str(), value ? Wide(*value).c_str() : nullptr);
  }

  std::unique_ptr<OtherOwner> StartOtherOwner() override {
    return std::make_unique<ThreadOwner>(platform_);
  }

  void PostMessageToSelf() override {
    MSG message;
    ::PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // makes the queue
    ::PostThreadMessageW(::GetCurrentThreadId(), WM_APP, 0, 0);
  }

  void DrainMessages() override {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  bool HoldsUnpairedSurrogates() override { return test::HoldsUnpairedSurrogates(root_); }

  bool EnforcesReadOnly() override {
    const std::string probe = root_ + "read-only probe";
    if (!test::WriteWholeFile(probe, "r")) return true;
    ::SetFileAttributesW(test::LongPath(probe).c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE file = ::CreateFileW(test::LongPath(probe).c_str(), GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const bool refused = file == INVALID_HANDLE_VALUE;
    if (!refused) ::CloseHandle(file);
    ::SetFileAttributesW(test::LongPath(probe).c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(test::LongPath(probe).c_str());
    return refused;
  }

  // Wine tells itself by an export of its ntdll.
  bool AppliesDosWildcards() override {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll == nullptr || ::GetProcAddress(ntdll, "wine_get_version") == nullptr;
  }
  unsigned AnsiCodePage() override { return ::GetACP(); }

  char MissingDrive() override {
    const DWORD used = ::GetLogicalDrives();
    for (int i = 25; i >= 3; --i) {
      if (!(used & (1u << i))) return static_cast<char>('A' + i);
    }
    return '\0';
  }

 private:
  Win32Platform platform_;
  std::string root_;
};

}  // namespace

std::unique_ptr<PlatformEnvironment> MakePlatformEnvironment() {
  return std::make_unique<Win32PlatformEnvironment>();
}

}  // namespace plovik::contract
