// The verified file copy against real files: unbuffered, write-through I/O
// with sector padding and trimming, dates, attributes, a source held open by
// another handle, and an abort between blocks.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <string>

#include "engine/Files.h"
#include "lib/Utf.h"
#include "platform/win32/Win32Platform.h"
#include "run/RunRecords.h"
#include "toolkit/headless/Headless.h"

namespace plovik {
namespace {

std::wstring Wide(const std::string& text) {
  const std::u16string w = Utf8ToUtf16(text);
  return std::wstring(w.begin(), w.end());
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
  HANDLE h = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  size_t done = 0;
  bool ok = true;
  while (ok && done < content.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(content.size() - done, 1 << 20));
    DWORD written = 0;
    ok = ::WriteFile(h, content.data() + done, chunk, &written, nullptr) && written == chunk;
    done += written;
  }
  ::CloseHandle(h);
  return ok;
}

std::string ReadWholeFile(const std::string& path) {
  HANDLE h = ::CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string content;
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) content.append(buffer, got);
  ::CloseHandle(h);
  return content;
}

bool Exists(const std::string& path) {
  return ::GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

uint64_t WriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) return 0;
  return (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

// Sets a last-write time with odd seconds and a fraction, so that the copy's
// two-second rounding shows.
void SetOddWriteTime(const std::string& path) {
  SYSTEMTIME st{};
  st.wYear = 2021;
  st.wMonth = 3;
  st.wDay = 17;
  st.wHour = 10;
  st.wMinute = 41;
  st.wSecond = 37;
  st.wMilliseconds = 250;
  FILETIME ft{};
  ::SystemTimeToFileTime(&st, &ft);
  HANDLE h = ::CreateFileW(Wide(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(::SetFileTime(h, nullptr, nullptr, &ft));
  ::CloseHandle(h);
}

class FilesWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1];
    ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
    const std::u16string t(temp, temp + wcslen(temp));
    dir_ = Utf16ToUtf8(t) + "plovik-files-" + std::to_string(::GetCurrentProcessId()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
    ::CreateDirectoryW(Wide(dir_).c_str(), nullptr);
    src_ = dir_ + "source file.bin";
    dst_ = dir_ + "copy.bin";
    InstallPlatform(&platform_);
    InstallToolkit(&toolkit_);
    RunState = TRunState{};
  }

  void TearDown() override {
    InstallToolkit(nullptr);
    InstallPlatform(nullptr);
    for (const std::string& path : {src_, dst_, PartialCopyPath(dst_)}) {
      ::SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileW(Wide(path).c_str());
    }
    ::RemoveDirectoryW(Wide(dir_).c_str());
  }

  void Copy(int32_t& error, int32_t& result, int16_t& answer) {
    answer = 1;
    CopyFileVerified(src_, dst_, 65536, error, result, answer, true, true, 0, 0);
    EXPECT_FALSE(Exists(PartialCopyPath(dst_)));
    EXPECT_EQ(toolkit_.cursor, CursorKind::Default);
  }

  Win32Platform platform_;
  HeadlessToolkit toolkit_;
  std::string dir_, src_, dst_;
};

TEST_F(FilesWinTest, FilesArriveByteEqualWithTheSourcesDateInTwoSecondSteps) {
  for (size_t size : {size_t(0), size_t(1000), size_t(65536), size_t(20 * 1024 * 1024 + 777)}) {
    SCOPED_TRACE("size " + std::to_string(size));
    const std::string content = Pattern(size, static_cast<uint32_t>(size));
    ASSERT_TRUE(WriteWholeFile(src_, content));
    SetOddWriteTime(src_);
    ASSERT_TRUE(WriteWholeFile(dst_, "older copy"));

    int32_t error = -1, result = -1;
    int16_t answer = 0;
    Copy(error, result, answer);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(toolkit_.dialogs.empty());
    const std::string copied = ReadWholeFile(dst_);
    ASSERT_EQ(copied.size(), size);
    EXPECT_TRUE(copied == content);

    // The packed date drops the odd second and the fraction.
    const uint64_t srcTime = WriteTime(src_);
    const uint64_t dstTime = WriteTime(dst_);
    ASSERT_LE(dstTime, srcTime);
    EXPECT_EQ(srcTime - dstTime, 12500000u);  // 1.25 s: from :37.250 to :36
  }
}

TEST_F(FilesWinTest, AReadOnlyDestinationIsReplacedAndGetsTheSourcesAttributes) {
  ASSERT_TRUE(WriteWholeFile(src_, Pattern(5000, 1)));
  ASSERT_TRUE(::SetFileAttributesW(Wide(src_).c_str(), FILE_ATTRIBUTE_ARCHIVE));
  ASSERT_TRUE(WriteWholeFile(dst_, "old"));
  ASSERT_TRUE(::SetFileAttributesW(Wide(dst_).c_str(),
                                   FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  int32_t error = -1, result = -1;
  int16_t answer = 0;
  Copy(error, result, answer);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadWholeFile(dst_), Pattern(5000, 1));
  EXPECT_EQ(::GetFileAttributesW(Wide(dst_).c_str()), DWORD(FILE_ATTRIBUTE_ARCHIVE));
}

TEST_F(FilesWinTest, ASourceHeldWithoutSharingGives99AndTheSharingError) {
  ASSERT_TRUE(WriteWholeFile(src_, Pattern(3000, 2)));
  ASSERT_TRUE(WriteWholeFile(dst_, "old"));
  HANDLE lock = ::CreateFileW(Wide(src_).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  int32_t error = -1, result = -1;
  int16_t answer = 0;
  Copy(error, result, answer);
  ::CloseHandle(lock);
  EXPECT_EQ(result, 99);
  EXPECT_EQ(error, 32);
  EXPECT_TRUE(toolkit_.dialogs.empty());
  EXPECT_EQ(ReadWholeFile(dst_), "old");
}

TEST_F(FilesWinTest, AbortBetweenBlocksKeepsTheOldDestination) {
  ASSERT_TRUE(WriteWholeFile(src_, Pattern(4 * 1024 * 1024, 3)));
  ASSERT_TRUE(WriteWholeFile(dst_, "old"));
  toolkit_.actions.push_back([this] {
    if (toolkit_.processCount < 5) return false;
    RunState.CopyAbortRequested = true;
    return true;
  });
  int32_t error = -1, result = -1;
  int16_t answer = 0;
  Copy(error, result, answer);
  EXPECT_EQ(error, 240);
  EXPECT_EQ(result, 7);
  EXPECT_EQ(answer, 3);
  EXPECT_EQ(ReadWholeFile(dst_), "old");
}

}  // namespace
}  // namespace plovik
