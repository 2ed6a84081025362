#include "win/support/WinTestFiles.h"

#include <algorithm>
#include <vector>

#include "lib/Wide.h"

namespace plovik::test {

namespace {

// Closes a file handle when it goes out of scope.
struct OpenFile {
  HANDLE handle;
  explicit OpenFile(HANDLE h) : handle(h) {}
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  ~OpenFile() {
    if (Valid()) ::CloseHandle(handle);
  }
  bool Valid() const { return handle != INVALID_HANDLE_VALUE; }
};

HANDLE OpenForReading(const std::string& path) {
  return ::CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

std::string WithoutTrailingBackslash(std::string path) {
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

void CollectFiles(const std::string& root, const std::string& rel,
                  std::map<std::string, std::string>& files) {
  const std::string dir = rel.empty() ? root : root + "\\" + rel;
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((LongPath(dir) + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = Narrow(data.cFileName);
    if (name == "." || name == "..") continue;
    const std::string sub = rel.empty() ? name : rel + "\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      CollectFiles(root, sub, files);
    else
      files[sub] = root + "\\" + sub;
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
}

}  // namespace

std::wstring LongPath(const std::string& path) {
  const std::wstring wide = Wide(path);
  if (wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  if (wide.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + wide.substr(2);
  return L"\\\\?\\" + wide;
}

std::string Pattern(size_t size, uint32_t seed) {
  std::string text(size, '\0');
  uint32_t x = seed;
  for (size_t i = 0; i < size; ++i) {
    x = x * 1664525u + 1013904223u;
    text[i] = static_cast<char>(x >> 24);
  }
  return text;
}

bool WriteWholeFile(const std::string& path, const std::string& content) {
  OpenFile file(::CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  size_t done = 0;
  while (done < content.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(content.size() - done, 1 << 20));
    DWORD written = 0;
    if (!::WriteFile(file.handle, content.data() + done, chunk, &written, nullptr) ||
        written != chunk)
      return false;
    done += written;
  }
  return true;
}

std::string ReadWholeFile(const std::string& path) {
  OpenFile file(OpenForReading(path));
  if (!file.Valid()) return "<missing>";
  std::string content;
  std::vector<char> buffer(1 << 20);
  DWORD got = 0;
  while (::ReadFile(file.handle, buffer.data(), static_cast<DWORD>(buffer.size()), &got,
                    nullptr) &&
         got > 0)
    content.append(buffer.data(), got);
  return content;
}

bool SameFileBytes(const std::string& a, const std::string& b) {
  OpenFile fa(OpenForReading(a));
  OpenFile fb(OpenForReading(b));
  if (!fa.Valid() || !fb.Valid()) return false;
  std::vector<char> ba(1 << 20), bb(1 << 20);
  for (;;) {
    DWORD ga = 0, gb = 0;
    if (!::ReadFile(fa.handle, ba.data(), static_cast<DWORD>(ba.size()), &ga, nullptr) ||
        !::ReadFile(fb.handle, bb.data(), static_cast<DWORD>(bb.size()), &gb, nullptr) ||
        ga != gb || !std::equal(ba.begin(), ba.begin() + ga, bb.begin()))
      return false;
    if (ga == 0) return true;
  }
}

DWORD Attributes(const std::string& path) { return ::GetFileAttributesW(LongPath(path).c_str()); }

bool Exists(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

uint64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(LongPath(path).c_str(), GetFileExInfoStandard, &data)) return 0;
  return (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

FILETIME UtcFileTime(int year, int month, int day, int hour, int minute, int second,
                     int milliseconds) {
  SYSTEMTIME civil{};
  civil.wYear = static_cast<WORD>(year);
  civil.wMonth = static_cast<WORD>(month);
  civil.wDay = static_cast<WORD>(day);
  civil.wHour = static_cast<WORD>(hour);
  civil.wMinute = static_cast<WORD>(minute);
  civil.wSecond = static_cast<WORD>(second);
  civil.wMilliseconds = static_cast<WORD>(milliseconds);
  FILETIME time{};
  ::SystemTimeToFileTime(&civil, &time);
  return time;
}

int64_t Ticks(const FILETIME& time) {
  return static_cast<int64_t>((uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

int64_t WriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(LongPath(path).c_str(), GetFileExInfoStandard, &data)) return 0;
  return Ticks(data.ftLastWriteTime);
}

bool SetWriteTime(const std::string& path, const FILETIME& time) {
  // Backup semantics open directories as well as files.
  OpenFile file(::CreateFileW(LongPath(WithoutTrailingBackslash(path)).c_str(),
                              FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return file.Valid() && ::SetFileTime(file.handle, nullptr, nullptr, &time);
}

void RemoveTree(const std::string& dir) {
  const std::string base = WithoutTrailingBackslash(dir);
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((LongPath(base) + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::string path = base + "\\" + Narrow(name);
      ::SetFileAttributesW(LongPath(path).c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path);
      else
        ::DeleteFileW(LongPath(path).c_str());
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
  }
  ::SetFileAttributesW(LongPath(base).c_str(), FILE_ATTRIBUTE_NORMAL);
  ::RemoveDirectoryW(LongPath(base).c_str());
}

std::string FreshTempDir(const std::string& tag) {
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
  if (length == 0 || length > MAX_PATH) return "";
  static int counter = 0;
  const std::string dir = WithoutTrailingBackslash(Narrow(temp, length)) + "\\plovik-" + tag +
                          "-" + std::to_string(::GetCurrentProcessId()) + "-" +
                          std::to_string(++counter);
  RemoveTree(dir);
  if (!::CreateDirectoryW(LongPath(dir).c_str(), nullptr)) return "";
  return dir;
}

bool HoldsUnpairedSurrogates(const std::string& dir) {
  const std::wstring probe = LongPath(dir) + L"\\probe-\xD800";
  HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  return true;
}

std::map<std::string, std::string> ListFiles(const std::string& root) {
  std::map<std::string, std::string> files;
  CollectFiles(WithoutTrailingBackslash(root), "", files);
  return files;
}

}  // namespace plovik::test
