// The file copies against real files. The verified copy: unbuffered,
// write-through I/O with sector padding and trimming, dates, attributes, a
// source held open by another handle, and an abort between blocks. The plain
// copy: exact dates, attributes, destinations that refuse to be replaced.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "engine/Files.h"
#include "platform/win32/Win32Platform.h"
#include "lib/Wide.h"
#include "core/RunRecords.h"
#include "toolkit/headless/Headless.h"
#include "ui/WindowHost.h"
#include "win/support/WinTestFiles.h"

namespace plovik {
namespace {

using namespace test;

// A last-write time with odd seconds and a fraction, so that the copy's
// two-second rounding shows.
FILETIME OddWriteTime() { return test::UtcFileTime(2021, 3, 17, 10, 41, 37, 250); }

class FilesWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = FreshTempDir("files");
    ASSERT_FALSE(dir_.empty());
    dir_ += "\\";
    src_ = dir_ + "source file.bin";
    dst_ = dir_ + "copy.bin";
    InstallPlatform(&platform_);
    InstallToolkit(&toolkit_);
    RunState = TRunState{};
  }

  void TearDown() override {
    InstallToolkit(nullptr);
    InstallPlatform(nullptr);
    if (!dir_.empty()) RemoveTree(dir_);
  }

  void Copy(int32_t& error, int32_t& result, int16_t& answer) {
    const CopyOutcome outcome = CopyFileVerified(src_, dst_, {}, {}, &host_);
    error = outcome.error;
    result = outcome.result;
    answer = outcome.answer;
    EXPECT_FALSE(Exists(PartialCopyPath(dst_)));
    EXPECT_EQ(toolkit_.cursor, CursorKind::Default);
  }

  Win32Platform platform_;
  HeadlessToolkit toolkit_;
  WindowHost host_;
  std::string dir_, src_, dst_;
};

TEST_F(FilesWinTest, FilesArriveByteEqualWithTheSourcesDateInTwoSecondSteps) {
  for (size_t size : {size_t(0), size_t(1000), size_t(65536), size_t(20 * 1024 * 1024 + 777)}) {
    SCOPED_TRACE("size " + std::to_string(size));
    const std::string content = Pattern(size, static_cast<uint32_t>(size));
    ASSERT_TRUE(WriteWholeFile(src_, content));
    ASSERT_TRUE(SetWriteTime(src_, OddWriteTime()));
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
    const int64_t srcTime = WriteTime(src_);
    const int64_t dstTime = WriteTime(dst_);
    ASSERT_LE(dstTime, srcTime);
    EXPECT_EQ(srcTime - dstTime, 12500000);  // 1.25 s: from :37.250 to :36
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
  EXPECT_EQ(Attributes(dst_), DWORD(FILE_ATTRIBUTE_ARCHIVE));
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

// ---- the plain copy ----------------------------------------------------------

TEST_F(FilesWinTest, PlainCopiesArriveByteEqualWithTheExactDateAndAttributes) {
  const DWORD attributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                           FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;
  for (size_t size : {size_t(0), size_t(1000), size_t(3 * 1024 * 1024 + 5)}) {
    SCOPED_TRACE("size " + std::to_string(size));
    const std::string content = Pattern(size, static_cast<uint32_t>(size) + 9);
    ::SetFileAttributesW(LongPath(src_).c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(WriteWholeFile(src_, content));
    ASSERT_TRUE(SetWriteTime(src_, OddWriteTime()));
    ASSERT_TRUE(::SetFileAttributesW(LongPath(src_).c_str(), attributes));
    // The old copy is read-only and hidden: it is replaced all the same.
    ::SetFileAttributesW(LongPath(dst_).c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(WriteWholeFile(dst_, "older copy"));
    ASSERT_TRUE(::SetFileAttributesW(LongPath(dst_).c_str(),
                                     FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));

    EXPECT_EQ(CopyFilePlain(src_, dst_).Error(), 0u);
    EXPECT_TRUE(ReadWholeFile(dst_) == content);
    EXPECT_EQ(WriteTime(dst_), WriteTime(src_));  // to the 100 ns
    EXPECT_EQ(Attributes(dst_), attributes);
    EXPECT_FALSE(Exists(PartialCopyPath(dst_)));
  }
}

TEST_F(FilesWinTest, PlainCopyFailuresKeepTheOldDestination) {
  ASSERT_TRUE(WriteWholeFile(src_, Pattern(2 * 1024 * 1024, 4)));
  ASSERT_TRUE(WriteWholeFile(dst_, "old"));
  // A leftover of an interrupted run, read-only, does not stand in the way.
  const std::string partial = PartialCopyPath(dst_);
  ASSERT_TRUE(WriteWholeFile(partial, "left over"));
  ASSERT_TRUE(::SetFileAttributesW(LongPath(partial).c_str(), FILE_ATTRIBUTE_READONLY));

  // Another program holds the destination open without sharing it.
  HANDLE held = ::CreateFileW(LongPath(dst_).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const uint32_t heldCode = CopyFilePlain(src_, dst_).Error();
  ::CloseHandle(held);
  EXPECT_EQ(heldCode, 32u);
  EXPECT_EQ(ReadWholeFile(dst_), "old");

  // A source held without sharing cannot be read at all.
  HANDLE lock = ::CreateFileW(LongPath(src_).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  EXPECT_EQ(CopyFilePlain(src_, dst_).Error(), 32u);
  ::CloseHandle(lock);
  EXPECT_EQ(ReadWholeFile(dst_), "old");
  // Neither failure began a copy: the leftover is as it was.
  EXPECT_EQ(ReadWholeFile(partial), "left over");

  EXPECT_EQ(CopyFilePlain(src_, dst_).Error(), 0u);
  EXPECT_TRUE(SameFileBytes(dst_, src_));
  EXPECT_FALSE(Exists(partial));
}

// ---- a destination another program holds open ---------------------------------

// Another program holds the destination open, sharing reading and writing,
// with and without delete sharing: both copies fail with the sharing
// violation (32) and leave the destination as it was, read-only and hidden
// included; once it is closed, it is replaced.
TEST_F(FilesWinTest, ADestinationHeldOpenGivesTheSharingViolationAndKeepsItsAttributes) {
  ASSERT_TRUE(WriteWholeFile(src_, Pattern(300000, 5)));
  ASSERT_TRUE(WriteWholeFile(dst_, "old"));
  ASSERT_TRUE(::SetFileAttributesW(LongPath(dst_).c_str(),
                                   FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  const DWORD kept = Attributes(dst_);
  for (const DWORD sharing : {DWORD(FILE_SHARE_READ | FILE_SHARE_WRITE),
                              DWORD(FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)}) {
    SCOPED_TRACE(sharing & FILE_SHARE_DELETE ? "delete shared" : "delete not shared");
    HANDLE held = ::CreateFileW(LongPath(dst_).c_str(), GENERIC_READ, sharing, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    int32_t error = -1, result = -1;
    int16_t answer = -1;
    Copy(error, result, answer);
    const uint32_t plainCode = CopyFilePlain(src_, dst_).Error();
    ::CloseHandle(held);
    EXPECT_EQ(result, 99);
    EXPECT_EQ(error, 32);
    EXPECT_TRUE(toolkit_.dialogs.empty());
    EXPECT_EQ(plainCode, 32u);
    EXPECT_EQ(ReadWholeFile(dst_), "old");
    EXPECT_EQ(Attributes(dst_), kept);
  }
  int32_t error = -1, result = -1;
  int16_t answer = -1;
  Copy(error, result, answer);
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(SameFileBytes(dst_, src_));
}

}  // namespace
}  // namespace plovik
