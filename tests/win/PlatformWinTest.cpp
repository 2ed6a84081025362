// What is the Win32 platform's own beyond the platform contract
// (tests/contract): handle guards, the extended-length form of paths, file
// time conversion, sizes past 4 GB; and the drive and directory services on
// real files. Runs under Wine (or Windows) in a temporary directory of its
// own.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "lib/PackedDate.h"
#include "lib/Wide.h"
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

  // The one entry of this name in the directory, searched by its own name.
  DirEntry Entry(const std::string& path) {
    Result<std::unique_ptr<DirSearch>> search = Sys().StartSearch(path);
    EXPECT_TRUE(search) << path;
    if (!search) return DirEntry{};
    Result<std::optional<DirEntry>> first = (*search)->Next();
    EXPECT_TRUE(first && *first) << path;
    return first && *first ? **first : DirEntry{};
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
  ASSERT_TRUE(WriteWholeFile(Path("one"), "1"));
  ASSERT_TRUE(WriteWholeFile(Path("two"), "2"));
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

// Every absolute path reaches the system with the extended-length prefix and
// otherwise exactly as given; nothing else is rewritten.
TEST_F(PlatformWinTest, EveryAbsolutePathGetsTheExtendedPrefixAndNothingElseChanges) {
  const std::string level(60, 'x');
  const std::string deep = level + "\\" + level + "\\" + level + "\\" + level + "\\f.txt";
  struct Case {
    std::string input;
    std::wstring expected;
  };
  const Case cases[] = {
      {"C:\\short\\file.txt", L"\\\\?\\C:\\short\\file.txt"},
      {"C:\\", L"\\\\?\\C:\\"},
      {"d:\\name. \\aux.c", L"\\\\?\\d:\\name. \\aux.c"},
      {"C:\\" + deep, L"\\\\?\\C:\\" + Wide(deep)},
      {"C:\\a\\..\\b\\.\\c", L"\\\\?\\C:\\a\\..\\b\\.\\c"},  // taken literally
      {"\\\\server\\share\\dir\\f.txt", L"\\\\?\\UNC\\server\\share\\dir\\f.txt"},
      {"\\\\?\\C:\\x", L"\\\\?\\C:\\x"},
      {"\\\\.\\pipe\\p", L"\\\\.\\pipe\\p"},
      {"", L""},
      {"C:", L"C:"},  // drive-relative: left to the system
      {"C:name", L"C:name"},
      {"C:/dir/file", L"C:/dir/file"},
      {"relative\\f.txt", L"relative\\f.txt"},
      {"x\xED\xA0\x80y", std::wstring{L'x', wchar_t(0xD800), L'y'}},  // WTF-8
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Narrow(SystemPath(c.input)), Narrow(c.expected)) << c.input;
  }
}

// ---- dates -----------------------------------------------------------------

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

TEST_F(PlatformWinTest, SizesBeyondFourGigabytesKeepTheirHighPart) {
  std::string path = Path("big.bin");
  const uint64_t size = (uint64_t(5) << 30) + 7;
  {
    Result<FileHandle> file =
        Sys().OpenFile(path, FileAccess::Read | FileAccess::Write, FileShare::None,
                       FileDisposition::CreateAlways, FileFlags::None);
    ASSERT_TRUE(file);
    ASSERT_TRUE((*file)->Seek(size));  // a sparse file on most file systems
    ASSERT_TRUE((*file)->SetEnd());
    EXPECT_EQ((*file)->Size().ValueOr(0), size);
    EXPECT_EQ((*file)->Position().ValueOr(0), size);
  }
  EXPECT_EQ(Entry(path).size, size);
  EXPECT_TRUE(Sys().RemoveFile(path));
}

// ---- drive and directory services -----------------------------------------------

TEST_F(PlatformWinTest, CreateSubDirMakesEachMissingLevelAndCountsIt) {
  ASSERT_TRUE(Sys().CreateDir(Path("a")));
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
  ASSERT_TRUE(WriteWholeFile(Path("a\\file"), "f"));
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
  ASSERT_TRUE(Sys().CreateDir(Path("src")));
  ASSERT_TRUE(Sys().CreateDir(Path("dst")));
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
  ASSERT_TRUE(WriteWholeFile(Path("plain-file"), "f"));
  EXPECT_FALSE(CopyDirDate(Path("plain-file"), Path("dst")));
}

TEST_F(PlatformWinTest, DriveServicesReportTypeSpaceAndSectorSize) {
  EXPECT_EQ(Sys().DriveType('C'), DriveFixed);
  EXPECT_TRUE(DriveExists('C'));
  EXPECT_TRUE(DriveReady('C'));
  EXPECT_FALSE(DriveFull('C'));
  EXPECT_FALSE(DriveWriteProtected('C'));

  const Result<DiskSpace> space = Sys().DiskFreeSpace('C');
  ASSERT_TRUE(space);
  EXPECT_GT(DriveFreeSpace('C'), 0);
  EXPECT_LE(DriveFreeSpace('C'), space->totalBytes);

  const uint32_t sector = DriveSectorSize('C');
  EXPECT_GE(sector, 512u);
  EXPECT_LE(sector, 65536u);
  EXPECT_EQ(sector & (sector - 1), 0u) << sector;  // a power of two

  const char unused = UnusedLetter();
  ASSERT_NE(unused, '\0');
  EXPECT_FALSE(DriveExists(unused));
  EXPECT_FALSE(DriveReady(unused));
  EXPECT_FALSE(DriveFull(unused));
  EXPECT_EQ(DriveFreeSpace(unused), -1);
  EXPECT_EQ(DriveSectorSize(unused), 0u);
}

}  // namespace
}  // namespace plovik
