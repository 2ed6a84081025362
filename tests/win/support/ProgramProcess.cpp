#include "win/support/ProgramProcess.h"

#include <cstdlib>
#include <vector>

#include "lib/Utf.h"

namespace plovik::test {

namespace {

constexpr DWORD PollMs = 20;

std::wstring WideOf(const std::string& text) {
  const std::u16string wide = Utf8ToUtf16(text);
  return std::wstring(wide.begin(), wide.end());
}

// The process's environment with APPDATA replaced, as a block for
// CreateProcessW.
std::vector<wchar_t> EnvironmentWith(const std::wstring& appData) {
  std::vector<wchar_t> block;
  wchar_t* strings = GetEnvironmentStringsW();
  for (const wchar_t* entry = strings; *entry != 0; entry += wcslen(entry) + 1) {
    if (_wcsnicmp(entry, L"APPDATA=", 8) == 0) continue;
    block.insert(block.end(), entry, entry + wcslen(entry) + 1);
  }
  FreeEnvironmentStringsW(strings);
  const std::wstring own = L"APPDATA=" + appData;
  block.insert(block.end(), own.c_str(), own.c_str() + own.size() + 1);
  block.push_back(0);
  return block;
}

struct WindowSearch {
  DWORD processId;
  const std::wstring* title;
  HWND found;
};

struct ShownTextSearch {
  DWORD processId;
  const std::wstring* text;
  HWND found;
};

struct ChildSearch {
  const std::wstring* text;
  HWND found;
};

BOOL CALLBACK MatchChild(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<ChildSearch*>(context);
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  if (IsWindowVisible(window) && *search->text == text) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK MatchWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  wchar_t title[256] = {};
  GetWindowTextW(window, title, 256);
  if (processId == search->processId && IsWindowVisible(window) && *search->title == title) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK MatchShownText(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<ShownTextSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  search->found = ProgramProcess::ChildWithText(window, *search->text);
  return search->found == nullptr;
}

}  // namespace

ProgramProcess::~ProgramProcess() {
  if (process_.hProcess == nullptr) return;
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  CloseHandle(process_.hProcess);
  CloseHandle(process_.hThread);
}

bool ProgramProcess::Start(const std::string& exe, const std::string& appData,
                           const std::string& arguments) {
  std::wstring command = L"\"" + WideOf(exe) + L"\"";
  if (!arguments.empty()) command += L" " + WideOf(arguments);
  std::vector<wchar_t> environment = EnvironmentWith(WideOf(appData));
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  return CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE,
                        CREATE_UNICODE_ENVIRONMENT, environment.data(), nullptr, &startup,
                        &process_) != 0;
}

bool ProgramProcess::WaitUntilIdle(DWORD timeoutMs) {
  return WaitForInputIdle(process_.hProcess, timeoutMs) == 0;
}

HWND ProgramProcess::WindowTitled(const std::wstring& title) const {
  WindowSearch search{process_.dwProcessId, &title, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND ProgramProcess::FindWindowTitled(const std::wstring& title, DWORD timeoutMs) {
  for (DWORD waited = 0; waited <= timeoutMs; waited += PollMs) {
    if (HWND found = WindowTitled(title)) return found;
    Sleep(PollMs);
  }
  return nullptr;
}

HWND ProgramProcess::ChildWithText(HWND window, const std::wstring& text) {
  ChildSearch search{&text, nullptr};
  EnumChildWindows(window, MatchChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND ProgramProcess::ShownText(const std::wstring& text) const {
  ShownTextSearch search{process_.dwProcessId, &text, nullptr};
  EnumWindows(MatchShownText, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool ProgramProcess::PressButton(const std::wstring& title, const std::wstring& caption,
                                 DWORD timeoutMs) {
  for (DWORD waited = 0; waited <= timeoutMs; waited += PollMs) {
    if (HWND window = WindowTitled(title)) {
      if (HWND button = ChildWithText(window, caption)) {
        PostMessageW(button, BM_CLICK, 0, 0);
        return true;
      }
    }
    Sleep(PollMs);
  }
  return false;
}

int ProgramProcess::Wait(DWORD timeoutMs) {
  if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return static_cast<int>(code);
}

bool ProgramProcess::Running() const {
  return process_.hProcess != nullptr && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

void ProgramProcess::Kill() {
  if (!Running()) return;
  TerminateProcess(process_.hProcess, 99);
  WaitForSingleObject(process_.hProcess, 30000);
}

int ProgramProcess::CloseAndWait(HWND window, DWORD timeoutMs) {
  PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return static_cast<int>(code);
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// A Unix path (as CMake gives it) lies on Wine's Z: drive.
std::string ProgramPath() {
  const char* given = std::getenv("PLOVIK_EXE");
  std::string path = given != nullptr ? given : "";
  if (!path.empty() && path[0] == '/') {
    for (char& c : path) {
      if (c == '/') c = '\\';
    }
    path = "Z:" + path;
  }
  return path;
}

std::string ProgramPathForBench() {
  const std::string given = ProgramPath();
  if (!given.empty()) return given;
  std::vector<wchar_t> path(32768);
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  std::wstring folder(path.data(), length);
  folder = folder.substr(0, folder.find_last_of(L'\\'));
  folder = folder.substr(0, folder.find_last_of(L'\\') + 1);
  const std::wstring exe = folder + L"plovik.exe";
  return Utf16ToUtf8(std::u16string(exe.begin(), exe.end()));
}

}  // namespace plovik::test
