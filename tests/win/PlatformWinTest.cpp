// The Win32 platform layer and the drive and directory services on real
// files: runs under Wine (or Windows) in a temporary directory of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "lib/PackedDate.h"
#include "lib/Utf.h"
#include "lib/WinErrors.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinDates.h"
#include "platform/win32/WinHandles.h"
#include "platform/win32/WinText.h"
#include "core/Drives.h"
#include "core/SubDirs.h"
#include "win/support/WinTestFiles.h"

namespace plovik {
namespace {

using namespace test;

int32_t Packed(int year, int month, int day, int hour, int minute, int second) {
  return static_cast<int32_t>((static_cast<uint32_t>(year - 1980) << 25) |
                              (static_cast<uint32_t>(month) << 21) |
                              (static_cast<uint32_t>(day) << 16) |
                              (static_cast<uint32_t>(hour) << 11) |
                              (static_cast<uint32_t>(minute) << 5) |
                              static_cast<uint32_t>(second / 2));
}

// A drive letter that names no drive on this machine.
char UnusedLetter() {
  DWORD used = ::GetLogicalDrives();
  for (int i = 25; i >= 3; --i) {
    if (!(used & (1u << i))) return static_cast<char>('A' + i);
  }
  return '\0';
}

// ---- the fixture: a Win32Platform installed and a fresh directory -----------

class PlatformWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallPlatform(&platform_);
    const std::string dir = FreshTempDir("test");
    ASSERT_FALSE(dir.empty());
    root_ = dir + "\\";
  }

  void TearDown() override {
    if (!root_.empty()) RemoveTree(root_);
    InstallPlatform(nullptr);
  }

  std::string Path(const std::string& relative) const { return root_ + relative; }

  void WriteText(const std::string& path, const std::string& text) {
    uint32_t error = 0;
    FileHandle file = Sys().OpenFile(path, AccessWrite, 0, FileDisposition::CreateAlways,
                                     FlagNone, error);
    ASSERT_TRUE(file) << path << " error " << error;
    uint32_t done = 0;
    ASSERT_EQ(file->Write(text.data(), static_cast<uint32_t>(text.size()), done), 0u);
    ASSERT_EQ(done, text.size());
  }

  std::string ReadText(const std::string& path) {
    uint32_t error = 0;
    FileHandle file =
        Sys().OpenFile(path, AccessRead, ShareRead, FileDisposition::OpenExisting, FlagNone, error);
    if (!file) return "<error " + std::to_string(error) + ">";
    std::string text(4096, '\0');
    uint32_t done = 0;
    if (file->Read(text.data(), static_cast<uint32_t>(text.size()), done) != 0) return "<read>";
    text.resize(done);
    return text;
  }

  std::vector<DirEntry> Search(const std::string& pattern, uint32_t* error = nullptr) {
    std::vector<DirEntry> entries;
    std::unique_ptr<DirSearch> search = Sys().StartSearch(pattern);
    DirEntry entry;
    while (search->Next(entry)) entries.push_back(entry);
    if (error) *error = search->Error();
    return entries;
  }

  // The one entry of this name in the directory, searched by its own name.
  DirEntry Entry(const std::string& path) {
    std::vector<DirEntry> entries = Search(path);
    EXPECT_EQ(entries.size(), 1u) << path;
    return entries.empty() ? DirEntry{} : entries.front();
  }

  static std::set<std::string> Names(const std::vector<DirEntry>& entries) {
    std::set<std::string> names;
    for (const DirEntry& entry : entries) names.insert(entry.name);
    return names;
  }

  Win32Platform platform_;
  std::string root_;  // ends with a backslash
};

// ---- handle guards ---------------------------------------------------------

TEST_F(PlatformWinTest, HandleGuardsCloseExactlyOnceAcrossMoves) {
  HANDLE raw = ::CreateFileW(SystemPath(Path("guarded")).c_str(), GENERIC_WRITE, 0, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(raw, INVALID_HANDLE_VALUE);
  DWORD info = 0;
  {
    UniqueFileHandle outer;
    {
      UniqueFileHandle first(raw);
      UniqueFileHandle second(std::move(first));
      EXPECT_FALSE(first.Valid());
      outer = std::move(second);
    }
    // The moved-from guards are gone; the handle must still be open.
    EXPECT_TRUE(::GetHandleInformation(raw, &info));
  }
  EXPECT_FALSE(::GetHandleInformation(raw, &info));

  // Neither of the values the system uses for "no handle" counts as open.
  EXPECT_FALSE(UniqueFileHandle(nullptr).Valid());
  EXPECT_FALSE(UniqueFileHandle(INVALID_HANDLE_VALUE).Valid());

  // A search handle is closed with FindClose when its guard lets go of it.
  WriteText(Path("one"), "1");
  WriteText(Path("two"), "2");
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW(SystemPath(Path("*")).c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  UniqueFindHandle search(find);
  UniqueFindHandle moved;
  moved = std::move(search);
  EXPECT_TRUE(::FindNextFileW(find, &data));
  moved.Reset();
  ::SetLastError(0);
  EXPECT_FALSE(::FindNextFileW(find, &data));
  EXPECT_NE(::GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
}

// ---- path forms ------------------------------------------------------------

TEST_F(PlatformWinTest, OnlyLongAbsolutePathsGetTheExtendedPrefix) {
  const std::wstring level(60, L'x');
  const std::wstring deep = level + L"\\" + level + L"\\" + level + L"\\" + level + L"\\f.txt";
  struct Case {
    std::wstring input;
    std::wstring expected;
  };
  const Case cases[] = {
      {L"C:\\short\\file.txt", L"C:\\short\\file.txt"},
      {L"", L""},
      {L"C:", L"C:"},
      {L"C:\\" + deep, L"\\\\?\\C:\\" + deep},
      {L"c:/" + level + L"/skip/../" + level + L"\\\\" + level + L"/" + level + L"/f.txt",
       L"\\\\?\\c:\\" + level + L"\\" + level + L"\\" + level + L"\\" + level + L"\\f.txt"},
      {L"\\\\server\\share\\" + deep, L"\\\\?\\UNC\\server\\share\\" + deep},
      {L"\\\\?\\C:\\" + deep, L"\\\\?\\C:\\" + deep},
      {deep, deep},  // relative: left to the system
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Narrow(SystemPath(c.input)), Narrow(c.expected)) << Narrow(c.input);
  }
}

// ---- dates -----------------------------------------------------------------

TEST_F(PlatformWinTest, PackLocalTimePacksAndClampsLikeTheDosFormat) {
  struct Case {
    CivilTime time;
    int32_t expected;
  };
  const Case cases[] = {
      {{2020, 6, 15, 12, 34, 56}, Packed(2020, 6, 15, 12, 34, 56)},
      {{2020, 6, 15, 12, 34, 57}, Packed(2020, 6, 15, 12, 34, 56)},  // two-second units
      {{1980, 1, 1, 0, 0, 0}, OldestPackedDate},
      {{2107, 12, 31, 23, 59, 59}, NewestPackedDate},
      {{1979, 12, 31, 23, 59, 59}, OldestPackedDate},
      {{1601, 1, 1, 0, 0, 0}, OldestPackedDate},
      {{2108, 1, 1, 0, 0, 0}, NewestPackedDate},
      {{2024, 2, 29, 23, 0, 0}, Packed(2024, 2, 29, 23, 0, 0)},
      {{2023, 2, 29, 23, 0, 0}, MissingFileDate},  // no such day
      {{2023, 4, 31, 12, 0, 0}, MissingFileDate},
      {{2023, 13, 1, 12, 0, 0}, MissingFileDate},
      {{2023, 1, 1, 24, 0, 0}, MissingFileDate},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Sys().PackLocalTime(c.time), c.expected)
        << c.time.year << "-" << c.time.month << "-" << c.time.day << " " << c.time.hour << ":"
        << c.time.minute << ":" << c.time.second;
  }
}

TEST_F(PlatformWinTest, FileDatesOutsideTheDosRangeClampInsteadOfGoingMissing) {
  struct Case {
    const char* name;
    FILETIME time;
    int32_t expected;
  };
  const Case cases[] = {
      {"old.txt", UtcFileTime(1975, 5, 5, 12, 0, 0), OldestPackedDate},
      {"ancient.txt", UtcFileTime(1601, 1, 2, 0, 0, 0), OldestPackedDate},
      {"future.txt", UtcFileTime(2150, 5, 5, 12, 0, 0), NewestPackedDate},
  };
  for (const Case& c : cases) {
    std::string path = Path(c.name);
    WriteText(path, "dated");
    ASSERT_TRUE(SetWriteTime(path, c.time)) << c.name;
    EXPECT_EQ(Entry(path).packedDate, c.expected) << c.name;
    uint32_t error = 0;
    FileHandle file =
        Sys().OpenFile(path, AccessRead, ShareRead, FileDisposition::OpenExisting, FlagNone, error);
    ASSERT_TRUE(file) << c.name;
    EXPECT_EQ(file->PackedDate(), c.expected) << c.name;
  }
}

TEST_F(PlatformWinTest, FileTimeConversionClampsBothEndsOfTheRange) {
  struct Case {
    const char* what;
    FILETIME local;
    int32_t expected;
  };
  const Case cases[] = {
      {"1601", FILETIME{0, 0}, OldestPackedDate},
      {"1979", UtcFileTime(1979, 12, 31, 23, 59, 59), OldestPackedDate},
      {"1980", UtcFileTime(1980, 1, 1, 0, 0, 0), OldestPackedDate},
      {"2107", UtcFileTime(2107, 12, 31, 23, 59, 59), NewestPackedDate},
      {"2108", UtcFileTime(2108, 1, 1, 0, 0, 0), NewestPackedDate},
      {"2150", UtcFileTime(2150, 5, 5, 12, 0, 0), NewestPackedDate},  // not wrapped to 2022
      {"30827", FILETIME{0xFFFFFFFFu, 0x7FFFFFFFu}, NewestPackedDate},
      {"2000", UtcFileTime(2000, 2, 29, 13, 14, 15), Packed(2000, 2, 29, 13, 14, 14)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PackLocalFileTime(c.local), c.expected) << c.what;
  }
}

TEST_F(PlatformWinTest, PackedDatesRoundTripThroughTheFileAndTheSearch) {
  std::string path = Path("dated.txt");
  WriteText(path, "content");
  const int32_t date = Sys().PackLocalTime({2001, 2, 3, 4, 5, 6});
  {
    uint32_t error = 0;
    FileHandle file = Sys().OpenFile(path, AccessRead | AccessWrite, ShareRead,
                                     FileDisposition::OpenExisting, FlagNone, error);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->SetPackedDate(date), 0u);
    EXPECT_EQ(file->PackedDate(), date);
    EXPECT_NE(file->SetPackedDate(MissingFileDate), 0u);
  }
  EXPECT_EQ(Entry(path).packedDate, date);

  // The search's exact stamp is the handle's, to the 100 ns.
  uint32_t error = 0;
  FileHandle file = Sys().OpenFile(path, AccessRead | AccessWrite, ShareRead,
                                   FileDisposition::OpenExisting, FlagNone, error);
  ASSERT_TRUE(file);
  FileStamp odd;
  odd.lastWrite = 132000000001234567ull;  // not a multiple of two seconds
  ASSERT_EQ(file->SetStamp(odd), 0u);
  file.reset();
  EXPECT_EQ(Entry(path).lastWrite, odd.lastWrite);
}

// ---- searches --------------------------------------------------------------

TEST_F(PlatformWinTest, SearchesApplyWildcardsAndReportEveryEntryOnce) {
  WriteText(Path("b.txt"), "bb");
  WriteText(Path("a.txt"), "a");
  WriteText(Path("c.dat"), "ccc");
  WriteText(Path("hidden.txt"), "hhhh");
  ASSERT_EQ(Sys().SetAttributes(Path("hidden.txt"), AttrHidden), 0u);
  ASSERT_EQ(Sys().CreateDir(Path("sub")), 0u);

  EXPECT_EQ(Names(Search(Path("*.txt"))),
            (std::set<std::string>{"a.txt", "b.txt", "hidden.txt"}));
  EXPECT_EQ(Names(Search(Path("?.dat"))), (std::set<std::string>{"c.dat"}));

  std::vector<DirEntry> all = Search(Path("*"));
  EXPECT_EQ(Names(all),
            (std::set<std::string>{".", "..", "a.txt", "b.txt", "c.dat", "hidden.txt", "sub"}));
  EXPECT_EQ(all.size(), 7u);  // nothing delivered twice
  for (const DirEntry& entry : all) {
    if (entry.name == "sub") {
      EXPECT_TRUE(entry.attributes & AttrDirectory);
    }
    if (entry.name == "hidden.txt") {
      EXPECT_TRUE(entry.attributes & AttrHidden);
    }
    if (entry.name == "c.dat") {
      EXPECT_EQ(entry.size, 3u);
      EXPECT_FALSE(entry.attributes & AttrDirectory);
      EXPECT_NE(entry.packedDate, MissingFileDate);
    }
  }

  // The order is the file system's, and the same every time.
  std::vector<std::string> first, second;
  for (const DirEntry& entry : all) first.push_back(entry.name);
  for (const DirEntry& entry : Search(Path("*"))) second.push_back(entry.name);
  EXPECT_EQ(first, second);
}

TEST_F(PlatformWinTest, SearchErrorsTellWhatIsMissing) {
  uint32_t error = 0;
  EXPECT_TRUE(Search(Path("nothing-like-this.*"), &error).empty());
  EXPECT_EQ(error, ErrorFileNotFound);
  EXPECT_TRUE(Search(Path("no-dir\\*"), &error).empty());
  EXPECT_EQ(error, ErrorPathNotFound);
  WriteText(Path("x.txt"), "x");
  EXPECT_EQ(Search(Path("x.txt"), &error).size(), 1u);
  EXPECT_EQ(error, 0u);
}

TEST_F(PlatformWinTest, SizesBeyondFourGigabytesKeepTheirHighPart) {
  std::string path = Path("big.bin");
  const uint64_t size = (uint64_t(5) << 30) + 7;
  {
    uint32_t error = 0;
    FileHandle file = Sys().OpenFile(path, AccessRead | AccessWrite, 0,
                                     FileDisposition::CreateAlways, FlagNone, error);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->Seek(size), 0u);  // a sparse file on most file systems
    ASSERT_EQ(file->SetEnd(), 0u);
    uint64_t reported = 0;
    ASSERT_EQ(file->Size(reported), 0u);
    EXPECT_EQ(reported, size);
    EXPECT_EQ(file->Position(), size);
  }
  EXPECT_EQ(Entry(path).size, size);
  EXPECT_EQ(Sys().RemoveFile(path), 0u);
}

// ---- files -----------------------------------------------------------------

TEST_F(PlatformWinTest, FilesAreWrittenReadPositionedAndCut) {
  std::string path = Path("data.bin");
  uint32_t error = 0;
  FileHandle file = Sys().OpenFile(path, AccessRead | AccessWrite, 0,
                                   FileDisposition::CreateAlways, FlagSequentialScan, error);
  ASSERT_TRUE(file) << error;
  uint32_t done = 0;
  ASSERT_EQ(file->Write("0123456789", 10, done), 0u);
  EXPECT_EQ(file->Position(), 10u);
  ASSERT_EQ(file->Seek(4), 0u);
  char buffer[16] = {};
  ASSERT_EQ(file->Read(buffer, sizeof buffer, done), 0u);
  EXPECT_EQ(std::string(buffer, done), "456789");
  ASSERT_EQ(file->Read(buffer, sizeof buffer, done), 0u);  // end of file: no error
  EXPECT_EQ(done, 0u);
  ASSERT_EQ(file->Seek(3), 0u);
  ASSERT_EQ(file->SetEnd(), 0u);
  uint64_t size = 0;
  ASSERT_EQ(file->Size(size), 0u);
  EXPECT_EQ(size, 3u);
  file.reset();
  EXPECT_EQ(ReadText(path), "012");

  // Creating again empties the file.
  WriteText(path, "");
  EXPECT_EQ(ReadText(path), "");

  EXPECT_EQ(Sys().RemoveFile(path), 0u);
  EXPECT_EQ(Sys().RemoveFile(path), ErrorFileNotFound);
  Sys().OpenFile(path, AccessRead, ShareRead, FileDisposition::OpenExisting, FlagNone, error);
  EXPECT_EQ(error, ErrorFileNotFound);
  Sys().OpenFile(Path("no-dir\\f"), AccessRead, ShareRead, FileDisposition::OpenExisting,
                 FlagNone, error);
  EXPECT_EQ(error, ErrorPathNotFound);
}

TEST_F(PlatformWinTest, PageBuffersComeAlignedAndZeroedAgainAfterUse) {
  uint32_t error = 0;
  for (uint32_t size : {65536u, 4096u, 65536u}) {
    std::vector<std::unique_ptr<PageBuffer>> held;
    for (int i = 0; i < 6; ++i) {  // more than are kept for reuse
      held.push_back(Sys().AllocatePages(size, error));
      ASSERT_TRUE(held.back()) << error;
      PageBuffer& buffer = *held.back();
      EXPECT_EQ(buffer.Size(), size);
      EXPECT_EQ(reinterpret_cast<uintptr_t>(buffer.Data()) % 4096, 0u);
      uint32_t nonZero = 0;
      for (uint32_t k = 0; k < size; ++k) nonZero += buffer.Data()[k] != 0;
      EXPECT_EQ(nonZero, 0u) << "size " << size << ", buffer " << i;
      std::memset(buffer.Data(), 0xA5, size);
    }
  }
  EXPECT_EQ(Sys().AllocatePages(0, error), nullptr);
  EXPECT_EQ(error, uint32_t(ErrorInvalidParameter));
}

TEST_F(PlatformWinTest, UnbufferedIoWorksOnPageAlignedBuffers) {
  const uint32_t sector = Sys().SectorSize('C') != 0 ? Sys().SectorSize('C') : 512;
  const uint32_t size = 8 * 4096;
  uint32_t error = 0;
  std::unique_ptr<PageBuffer> out = Sys().AllocatePages(size, error);
  std::unique_ptr<PageBuffer> in = Sys().AllocatePages(size, error);
  ASSERT_TRUE(out && in) << error;
  EXPECT_EQ(out->Size(), size);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(out->Data()) % 4096, 0u);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(in->Data()) % 4096, 0u);
  for (uint32_t i = 0; i < size; ++i) out->Data()[i] = static_cast<uint8_t>(i * 7 + i / 251);

  std::string path = Path("unbuffered.bin");
  {
    FileHandle file = Sys().OpenFile(path, AccessRead | AccessWrite, ShareRead | ShareWrite,
                                     FileDisposition::CreateAlways,
                                     FlagNoBuffering | FlagWriteThrough | FlagSequentialScan, error);
    ASSERT_TRUE(file) << error;
    uint32_t done = 0;
    ASSERT_EQ(file->Write(out->Data(), size, done), 0u);
    EXPECT_EQ(done, size);
    // Read back through the same handle from a sector-aligned position.
    ASSERT_EQ(file->Seek(sector), 0u);
    ASSERT_EQ(file->Read(in->Data(), size - sector, done), 0u);
    EXPECT_EQ(done, size - sector);
    EXPECT_EQ(std::memcmp(in->Data(), out->Data() + sector, size - sector), 0);
  }
  {
    FileHandle file = Sys().OpenFile(path, AccessRead, ShareRead | ShareWrite | ShareDelete,
                                     FileDisposition::OpenExisting,
                                     FlagNoBuffering | FlagSequentialScan, error);
    ASSERT_TRUE(file) << error;
    std::memset(in->Data(), 0, size);
    uint32_t done = 0;
    ASSERT_EQ(file->Read(in->Data(), size, done), 0u);
    EXPECT_EQ(done, size);
    EXPECT_EQ(std::memcmp(in->Data(), out->Data(), size), 0);
  }
  EXPECT_FALSE(Sys().AllocatePages(0, error));
  EXPECT_EQ(error, ErrorInvalidParameter);
}

TEST_F(PlatformWinTest, SharingRulesAreEnforcedBetweenHandles) {
  std::string path = Path("shared.txt");
  WriteText(path, "shared");
  uint32_t error = 0;
  FileHandle writer = Sys().OpenFile(path, AccessWrite, ShareRead,
                                     FileDisposition::OpenExisting, FlagNone, error);
  ASSERT_TRUE(writer);
  // A second writer is refused: the first one shares reading only.
  FileHandle second = Sys().OpenFile(path, AccessWrite, ShareRead | ShareWrite,
                                     FileDisposition::OpenExisting, FlagNone, error);
  EXPECT_FALSE(second);
  EXPECT_EQ(error, ErrorSharingViolation);
  // A reader that does not allow the existing writer is refused as well.
  FileHandle strictReader = Sys().OpenFile(path, AccessRead, ShareRead,
                                           FileDisposition::OpenExisting, FlagNone, error);
  EXPECT_FALSE(strictReader);
  EXPECT_EQ(error, ErrorSharingViolation);
  // A reader that allows writing gets in.
  FileHandle reader = Sys().OpenFile(path, AccessRead, ShareRead | ShareWrite,
                                     FileDisposition::OpenExisting, FlagNone, error);
  EXPECT_TRUE(reader);
  EXPECT_EQ(error, 0u);
  // While it is open without delete sharing the file cannot be removed.
  EXPECT_EQ(Sys().RemoveFile(path), ErrorSharingViolation);
  writer.reset();
  reader.reset();
  EXPECT_EQ(Sys().RemoveFile(path), 0u);
}

TEST_F(PlatformWinTest, ReplaceAndSystemCopyPutWholeFilesInPlace) {
  WriteText(Path("target.ini"), "old contents");
  WriteText(Path("target.tmp"), "new contents");
  ASSERT_EQ(Sys().ReplaceFile(Path("target.tmp"), Path("target.ini")), 0u);
  EXPECT_EQ(ReadText(Path("target.ini")), "new contents");
  uint32_t attributes = 0;
  EXPECT_EQ(Sys().GetAttributes(Path("target.tmp"), attributes), ErrorFileNotFound);
  EXPECT_EQ(Sys().ReplaceFile(Path("target.tmp"), Path("target.ini")), ErrorFileNotFound);

  WriteText(Path("source.txt"), "source text");
  ASSERT_TRUE(SetWriteTime(Path("source.txt"), UtcFileTime(2010, 7, 8, 9, 10, 12)));
  WriteText(Path("copy.txt"), "older");
  EXPECT_EQ(Sys().SystemCopy(Path("source.txt"), Path("copy.txt"), true), ErrorFileExists);
  EXPECT_EQ(ReadText(Path("copy.txt")), "older");
  ASSERT_EQ(Sys().SystemCopy(Path("source.txt"), Path("copy.txt"), false), 0u);
  EXPECT_EQ(ReadText(Path("copy.txt")), "source text");
  EXPECT_EQ(Entry(Path("copy.txt")).packedDate, Entry(Path("source.txt")).packedDate);
  EXPECT_EQ(Sys().SystemCopy(Path("missing.txt"), Path("copy2.txt"), false), ErrorFileNotFound);
}

// ---- attributes and directories ---------------------------------------------

TEST_F(PlatformWinTest, AttributesAndDirectoriesAnswerWithWindowsCodes) {
  std::string file = Path("attr.txt");
  WriteText(file, "a");
  ASSERT_EQ(Sys().SetAttributes(file, AttrReadOnly | AttrHidden | AttrArchive), 0u);
  uint32_t attributes = 0;
  ASSERT_EQ(Sys().GetAttributes(file, attributes), 0u);
  EXPECT_EQ(attributes & (AttrReadOnly | AttrHidden | AttrSystem | AttrArchive | AttrDirectory),
            uint32_t(AttrReadOnly | AttrHidden | AttrArchive));
  EXPECT_EQ(Sys().RemoveFile(file), ErrorAccessDenied);  // read-only
  ASSERT_EQ(Sys().SetAttributes(file, AttrNormal), 0u);
  ASSERT_EQ(Sys().GetAttributes(file, attributes), 0u);
  EXPECT_EQ(attributes & (AttrReadOnly | AttrHidden), 0u);

  EXPECT_EQ(Sys().GetAttributes(Path("missing"), attributes), ErrorFileNotFound);
  EXPECT_EQ(attributes, InvalidAttributes);
  EXPECT_EQ(Sys().GetAttributes(Path("missing\\deeper"), attributes), ErrorPathNotFound);

  ASSERT_EQ(Sys().CreateDir(Path("dir")), 0u);
  EXPECT_EQ(Sys().CreateDir(Path("dir")), ErrorAlreadyExists);
  ASSERT_EQ(Sys().GetAttributes(Path("dir"), attributes), 0u);
  EXPECT_TRUE(attributes & AttrDirectory);
  WriteText(Path("dir\\inside"), "i");
  EXPECT_EQ(Sys().RemoveDir(Path("dir")), ErrorDirNotEmpty);
  ASSERT_EQ(Sys().RemoveFile(Path("dir\\inside")), 0u);
  EXPECT_EQ(Sys().RemoveDir(Path("dir")), 0u);
  EXPECT_EQ(Sys().GetAttributes(Path("dir"), attributes), ErrorFileNotFound);
}

// ---- long paths and names outside the code page ------------------------------

TEST_F(PlatformWinTest, PathsBeyondTheClassicLimitWorkEverywhere) {
  std::string dir = root_;
  for (int level = 0; level < 5; ++level) dir += std::string(55, char('a' + level)) + "\\";
  ASSERT_GT(dir.size(), 280u);

  int32_t created = 0;
  int32_t code = -1;
  CreateSubDir(dir, created, code);
  EXPECT_EQ(code, SubDirCreated);
  EXPECT_EQ(created, 5);
  EXPECT_TRUE(DirectoryExists(dir));

  std::string file = dir + "long-file-name.txt";
  WriteText(file, "far down");
  EXPECT_EQ(ReadText(file), "far down");

  const int32_t date = Sys().PackLocalTime({2012, 12, 12, 12, 12, 12});
  {
    uint32_t error = 0;
    FileHandle handle = Sys().OpenFile(file, AccessWrite, ShareRead,
                                       FileDisposition::OpenExisting, FlagNone, error);
    ASSERT_TRUE(handle) << error;
    ASSERT_EQ(handle->SetPackedDate(date), 0u);
  }
  std::vector<DirEntry> found = Search(dir + "*.txt");
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].name, "long-file-name.txt");
  EXPECT_EQ(found[0].size, 8u);
  EXPECT_EQ(found[0].packedDate, date);

  ASSERT_EQ(Sys().SystemCopy(file, dir + "copy.txt", true), 0u);
  ASSERT_EQ(Sys().SetAttributes(dir + "copy.txt", AttrReadOnly), 0u);
  uint32_t attributes = 0;
  ASSERT_EQ(Sys().GetAttributes(dir + "copy.txt", attributes), 0u);
  EXPECT_TRUE(attributes & AttrReadOnly);
  ASSERT_EQ(Sys().SetAttributes(dir + "copy.txt", AttrNormal), 0u);
  EXPECT_EQ(Sys().RemoveFile(dir + "copy.txt"), 0u);

  // A directory date copies onto a long destination path as well.
  std::string other = dir + std::string(40, 'z') + "\\";
  CreateSubDir(other, created, code);
  ASSERT_EQ(code, SubDirCreated);
  ASSERT_TRUE(SetWriteTime(dir, UtcFileTime(2005, 5, 5, 5, 5, 6)));
  EXPECT_TRUE(CopyDirDate(dir, other));
  EXPECT_EQ(Entry(StripTrailingBackslashes(other)).packedDate,
            Entry(StripTrailingBackslashes(dir)).packedDate);
}

TEST_F(PlatformWinTest, NamesOutsideTheAnsiCodePageAreFoundAndDated) {
  const std::string name = "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC-"
                           "\xE6\xBC\xA2\xE5\xAD\x97-\xC3\x9F.txt";  // Ελληνικά-漢字-ß.txt
  const std::string path = Path(name);
  WriteText(path, "unicode");
  EXPECT_EQ(ReadText(path), "unicode");

  std::vector<DirEntry> all = Search(Path("*.txt"));
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].name, name);
  EXPECT_EQ(Entry(path).name, name);

  const int32_t date = Sys().PackLocalTime({1999, 9, 9, 9, 9, 10});
  {
    uint32_t error = 0;
    FileHandle file = Sys().OpenFile(path, AccessRead | AccessWrite, ShareRead,
                                     FileDisposition::OpenExisting, FlagNone, error);
    ASSERT_TRUE(file) << error;
    ASSERT_EQ(file->SetPackedDate(date), 0u);
    EXPECT_EQ(file->PackedDate(), date);
  }
  EXPECT_EQ(Entry(path).packedDate, date);

  // A directory with such a name, created level by level.
  const std::string dir = Path("\xD0\x9A\xD0\xB8\xD1\x80\xD0\xB8\xD0\xBB\xD0\xBB\xD0\xB8\xD1\x86"
                               "\xD0\xB0\\\xE6\x97\xA5\xE6\x9C\xAC\\");  // Кириллица\日本\ .
  int32_t created = 0;
  int32_t code = -1;
  CreateSubDir(dir, created, code);
  EXPECT_EQ(code, SubDirCreated);
  EXPECT_EQ(created, 2);
  EXPECT_TRUE(DirectoryExists(dir));
  ASSERT_EQ(Sys().SystemCopy(path, dir + name, true), 0u);
  EXPECT_EQ(ReadText(dir + name), "unicode");
}

// ---- drive and directory services -----------------------------------------------

TEST_F(PlatformWinTest, CreateSubDirMakesEachMissingLevelAndCountsIt) {
  ASSERT_EQ(Sys().CreateDir(Path("a")), 0u);
  int32_t created = 10;
  int32_t code = -1;
  CreateSubDir(Path("a\\b\\c\\"), created, code);
  EXPECT_EQ(code, SubDirCreated);
  EXPECT_EQ(created, 12);
  EXPECT_TRUE(DirectoryExists(Path("a\\b\\c\\")));

  CreateSubDir(Path("a\\b\\c\\"), created, code);
  EXPECT_EQ(code, SubDirExists);
  EXPECT_EQ(created, 12);

  CreateSubDir("C:\\", created, code);
  EXPECT_EQ(code, SubDirExists);

  // A level whose name is taken by a file cannot be made, nor anything below.
  WriteText(Path("a\\file"), "f");
  CreateSubDir(Path("a\\file\\deeper\\"), created, code);
  EXPECT_EQ(code, SubDirRefused);
  EXPECT_EQ(created, 12);

  const char unused = UnusedLetter();
  ASSERT_NE(unused, '\0');
  CreateSubDir(std::string(1, unused) + ":\\x\\", created, code);
  EXPECT_EQ(code, SubDirNoDrive);
  EXPECT_EQ(created, 12);
}

TEST_F(PlatformWinTest, CopyDirDateCarriesTheDateAtTwoSecondPrecision) {
  ASSERT_EQ(Sys().CreateDir(Path("src")), 0u);
  ASSERT_EQ(Sys().CreateDir(Path("dst")), 0u);
  const FILETIME odd = UtcFileTime(2003, 4, 5, 6, 7, 9);
  ASSERT_TRUE(SetWriteTime(Path("src"), odd));

  EXPECT_TRUE(CopyDirDate(Path("src\\"), Path("dst\\")));
  const int32_t srcDate = Entry(Path("src")).packedDate;
  EXPECT_EQ(Entry(Path("dst")).packedDate, srcDate);
  // The packed form keeps even seconds: the destination lands one second early.
  EXPECT_EQ(Ticks(odd) - WriteTime(Path("dst")), 10000000);

  // Equal dates: still true, and the destination is left as it is.
  EXPECT_TRUE(CopyDirDate(Path("src"), Path("dst")));
  EXPECT_EQ(Entry(Path("dst")).packedDate, srcDate);

  EXPECT_FALSE(CopyDirDate(Path("src"), Path("missing")));
  EXPECT_FALSE(CopyDirDate(Path("missing"), Path("dst")));
  WriteText(Path("plain-file"), "f");
  EXPECT_FALSE(CopyDirDate(Path("plain-file"), Path("dst")));
}

TEST_F(PlatformWinTest, DrivesReportTypeSpaceAndSectorSize) {
  EXPECT_EQ(Sys().DriveType('C'), uint32_t(DriveFixed));
  EXPECT_TRUE(DriveExists('C'));
  EXPECT_TRUE(DriveReady('C'));
  EXPECT_FALSE(DriveFull('C'));
  EXPECT_FALSE(DriveWriteProtected('C'));

  int64_t freeBytes = -1;
  int64_t totalBytes = -1;
  ASSERT_TRUE(Sys().DiskFreeSpace('C', freeBytes, totalBytes));
  EXPECT_GT(freeBytes, 0);
  EXPECT_GE(totalBytes, freeBytes);
  EXPECT_GT(DriveFreeSpace('C'), 0);
  EXPECT_LE(DriveFreeSpace('C'), totalBytes);

  const uint32_t sector = DriveSectorSize('C');
  EXPECT_GE(sector, 512u);
  EXPECT_LE(sector, 65536u);
  EXPECT_EQ(sector & (sector - 1), 0u) << sector;  // a power of two

  const char unused = UnusedLetter();
  ASSERT_NE(unused, '\0');
  EXPECT_EQ(Sys().DriveType(unused), uint32_t(DriveNoRootDir));
  EXPECT_FALSE(DriveExists(unused));
  EXPECT_FALSE(DriveReady(unused));
  EXPECT_FALSE(DriveFull(unused));
  EXPECT_EQ(DriveFreeSpace(unused), -1);
  EXPECT_FALSE(Sys().DiskFreeSpace(unused, freeBytes, totalBytes));
  EXPECT_EQ(DriveSectorSize(unused), 0u);
  // A drive that cannot tell leaves the question to each file.
  EXPECT_TRUE(Sys().NamedStreamsPossible(unused));
}

TEST_F(PlatformWinTest, NetworkAndErrorTextQueriesAnswerForLocalDrives) {
  // A local drive has no remote name: the query fails, and no connection is tried.
  std::string remote = "unchanged";
  const uint32_t code = Sys().NetGetConnection("C:", remote);
  EXPECT_NE(code, 0u);
  EXPECT_NE(code, uint32_t(ErrorConnectionUnavail));
  EXPECT_TRUE(remote.empty());
  EXPECT_EQ(ConnectNetworkDrive(0, 'C'), code);

  const std::string accessDenied = Sys().ErrorText(ErrorAccessDenied);
  EXPECT_FALSE(accessDenied.empty());
  EXPECT_LE(CharCount(accessDenied), 255u);
  EXPECT_FALSE(Sys().ErrorText(ErrorFileNotFound).empty());
  EXPECT_NE(Sys().ErrorText(ErrorFileNotFound), accessDenied);
  EXPECT_TRUE(Sys().ErrorText(0x20001234u).empty());
  // The installed platform feeds the program's error texts.
  EXPECT_EQ(WinErrorText(ErrorAccessDenied, false), accessDenied);
}

}  // namespace
}  // namespace plovik
