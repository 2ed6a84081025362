// Letter case and names, the paths a user typed, the process and its user,
// texts in the ANSI code page, and the clock.
#include <windows.h>

#include <cwchar>
#include <vector>

#include "lib/Wide.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinDates.h"
#include "platform/win32/WinResult.h"
#include "platform/win32/WinText.h"

namespace plovik {

namespace {

// Room for the texts the system fills in; a call that needs more says so
// and is asked again with that much.
constexpr DWORD InitialChars = 260;
// GetModuleFileName says nothing about the length it would need: the buffer
// doubles up to the longest path there is.
constexpr DWORD LongestPathChars = 32768;
constexpr int HexBase = 16;

// Calls fill(buffer, capacity), which returns the length it wrote or, when
// the buffer was too small, the capacity it needs (above the one given);
// 0 is a failure. Returns the text, or the failure.
template <typename Fill>
Result<std::wstring> FilledText(Fill fill) {
  std::vector<wchar_t> buffer(InitialChars);
  for (;;) {
    const DWORD capacity = static_cast<DWORD>(buffer.size());
    const DWORD length = fill(buffer.data(), capacity);
    if (length == 0) return LastFailure();
    if (length < capacity) return std::wstring(buffer.data(), length);
    buffer.assign(static_cast<size_t>(length) + 1, L'\0');
  }
}

}  // namespace

// ---- names and letter case ----------------------------------------------------

bool Win32Platform::SameName(const std::string& a, const std::string& b) {
  const std::wstring wideA = Wide(a);
  const std::wstring wideB = Wide(b);
  return ::CompareStringOrdinal(wideA.c_str(), static_cast<int>(wideA.size()), wideB.c_str(),
                                static_cast<int>(wideB.size()), TRUE) == CSTR_EQUAL;
}

std::string Win32Platform::UpperCase(const std::string& text) {
  const std::wstring wide = Wide(text);
  if (wide.empty()) return std::string();
  const int length = static_cast<int>(wide.size());
  // Upper-casing keeps the length as a rule: one call does; a text that
  // needs more room is asked for its length first.
  std::wstring upper(wide.size(), L'\0');
  int written = ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_UPPERCASE, wide.c_str(), length,
                                upper.data(), length, nullptr, nullptr, 0);
  if (written <= 0) {
    const int needed = ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_UPPERCASE, wide.c_str(),
                                       length, nullptr, 0, nullptr, nullptr, 0);
    if (needed <= 0) return text;
    upper.assign(static_cast<size_t>(needed), L'\0');
    written = ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_UPPERCASE, wide.c_str(), length,
                              upper.data(), needed, nullptr, nullptr, 0);
    if (written <= 0) return text;
  }
  upper.resize(static_cast<size_t>(written));
  return Narrow(upper);
}

// ---- paths a user typed ----------------------------------------------------------

std::string Win32Platform::CurrentDirectory() {
  const Result<std::wstring> directory =
      FilledText([](wchar_t* buffer, DWORD capacity) {
        return ::GetCurrentDirectoryW(capacity, buffer);
      });
  return directory ? Narrow(*directory) : std::string();
}

Result<std::string> Win32Platform::FullPathName(const std::string& path) {
  const std::wstring wide = Wide(path);
  const Result<std::wstring> full = FilledText([&wide](wchar_t* buffer, DWORD capacity) {
    return ::GetFullPathNameW(wide.c_str(), capacity, buffer, nullptr);
  });
  if (!full) return Failure(full.Error());
  return Narrow(*full);
}

Result<std::string> Win32Platform::LongPathName(const std::string& path) {
  // A path short enough goes as it is: not every implementation expands
  // the short names of a prefixed path.
  const std::wstring plain = Wide(path);
  const std::wstring asked = plain.size() < MAX_PATH ? plain : SystemPath(path);
  const Result<std::wstring> expanded = FilledText([&asked](wchar_t* buffer, DWORD capacity) {
    return ::GetLongPathNameW(asked.c_str(), buffer, capacity);
  });
  if (!expanded) return Failure(expanded.Error());
  return Narrow(asked == plain ? *expanded : WithoutSystemPrefix(*expanded));
}

// ---- the process and its user ------------------------------------------------------

std::string Win32Platform::ModulePath() {
  std::vector<wchar_t> buffer(InitialChars);
  for (;;) {
    const DWORD capacity = static_cast<DWORD>(buffer.size());
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), capacity);
    if (length == 0) return std::string();
    if (length < capacity || capacity >= LongestPathChars)
      return Narrow(buffer.data(), length);
    buffer.assign(static_cast<size_t>(capacity) * 2, L'\0');
  }
}

std::string Win32Platform::CommandLine() {
  const wchar_t* line = ::GetCommandLineW();
  return line != nullptr ? Narrow(line, ::wcslen(line)) : std::string();
}

std::optional<std::string> Win32Platform::Environment(const std::string& name) {
  const std::wstring wideName = Wide(name);
  std::vector<wchar_t> buffer(InitialChars);
  for (;;) {
    const DWORD capacity = static_cast<DWORD>(buffer.size());
    ::SetLastError(ERROR_SUCCESS);
    const DWORD length = ::GetEnvironmentVariableW(wideName.c_str(), buffer.data(), capacity);
    // An empty value has the length 0 as well, but leaves no error.
    if (length == 0 && ::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    if (length < capacity) return Narrow(buffer.data(), length);
    buffer.assign(static_cast<size_t>(length) + 1, L'\0');
  }
}

uint16_t Win32Platform::UserLanguageId() {
  wchar_t text[16] = {};
  if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_ILANGUAGE, text, 16) > 0)
    return static_cast<uint16_t>(std::wcstoul(text, nullptr, HexBase));
  return ::GetUserDefaultLangID();
}

// ---- texts in the system's ANSI code page ----------------------------------------------

std::optional<std::string> Win32Platform::ToAnsi(const std::string& text) {
  if (text.empty()) return std::string();
  const std::wstring wide = Wide(text);
  const int length = static_cast<int>(wide.size());
  BOOL defaultUsed = FALSE;
  const int needed = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), length,
                                           nullptr, 0, nullptr, &defaultUsed);
  if (needed <= 0 || defaultUsed) return std::nullopt;
  std::string bytes(static_cast<size_t>(needed), '\0');
  ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), length, bytes.data(), needed,
                        nullptr, &defaultUsed);
  if (defaultUsed) return std::nullopt;
  return bytes;
}

std::string Win32Platform::FromAnsi(const std::string& bytes) {
  if (bytes.empty()) return std::string();
  const int length = static_cast<int>(bytes.size());
  const int needed = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
  if (needed <= 0) return std::string();
  std::wstring wide(static_cast<size_t>(needed), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, wide.data(), needed);
  return Narrow(wide);
}

// ---- time ----------------------------------------------------------------------------------

uint64_t Win32Platform::TickCount() { return ::GetTickCount64(); }

CivilTime Win32Platform::LocalNow() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  CivilTime time;
  time.year = now.wYear;
  time.month = now.wMonth;
  time.day = now.wDay;
  time.hour = now.wHour;
  time.minute = now.wMinute;
  time.second = now.wSecond;
  return time;
}

std::string Win32Platform::ShortDateText(const CivilTime& time) {
  const SYSTEMTIME civil = SystemTimeOf(time);
  const Result<std::wstring> text = FilledText([&civil](wchar_t* buffer, DWORD capacity) {
    const int length = ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &civil, nullptr,
                                        buffer, static_cast<int>(capacity));
    return length > 0 ? static_cast<DWORD>(length - 1) : DWORD(0);  // without the final zero
  });
  return text ? Narrow(*text) : std::string();
}

std::string Win32Platform::LongTimeText(const CivilTime& time) {
  const SYSTEMTIME civil = SystemTimeOf(time);
  const Result<std::wstring> text = FilledText([&civil](wchar_t* buffer, DWORD capacity) {
    const int length = ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &civil, nullptr, buffer,
                                        static_cast<int>(capacity));
    return length > 0 ? static_cast<DWORD>(length - 1) : DWORD(0);
  });
  return text ? Narrow(*text) : std::string();
}

}  // namespace plovik
