// The Windows behaviour of the fake platform that the engine's tests rely on:
// if the fake drifts from it, those tests prove nothing.
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/PackedDate.h"

namespace plovik::test {
namespace {

struct WildcardCase {
  const char* name;
  const char* pattern;
  bool expected;
};

TEST(FakePlatformWildcard, WindowsMatchingRules) {
  const std::vector<WildcardCase> cases = {
      {"README", "*.*", true},  // "*.*" takes names without a dot as well
      {"a.b.c", "*.*", true},
      {"x", "*", true},
      {"Report.TXT", "*.txt", true},
      {"a.b.txt", "*.txt", true},
      {"a.txt.bak", "*.txt", false},
      {"a.txtx", "*.txt", false},
      {"README", "*.", true},  // a final dot asks for names without extension
      {"read.me", "*.", false},
      {"file", "file.*", true},
      {"file.c", "file.*", true},
      {"abc", "a?c", true},
      {"ac", "a?c", false},
      {"a.c", "a?c", false},  // "?" never takes the dot
      {"ab", "a??", true},    // trailing "?" may match nothing at the end
      {"abcd", "a??", false},
      {"data1.txt", "DATA?.TXT", true},
      {"data12.txt", "data?.txt", false},
      {"\xC3\xA4rger.doc", "\xC3\x84*.DOC", true},  // case-insensitive beyond ASCII
      {"exact.txt", "EXACT.TXT", true},
      {"exact.txt", "exact", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WindowsWildcardMatch(c.name, c.pattern), c.expected)
        << c.name << " against " << c.pattern;
  }
}

std::vector<std::string> SearchNames(FakePlatform& fs, const std::string& pattern,
                                     uint32_t* error = nullptr) {
  std::vector<std::string> names;
  auto search = fs.StartSearch(pattern);
  DirEntry entry;
  while (search->Next(entry)) names.push_back(entry.name);
  if (error) *error = search->Error();
  return names;
}

TEST(FakePlatformSearch, OrderDotEntriesAndErrors) {
  FakePlatform fs;
  fs.MakeFile("C:\\D\\b.txt", "12345", PackDate(2019, 1, 2, 3, 4, 6));
  fs.MakeFile("C:\\D\\A.txt", "");
  fs.MakeFile("C:\\D\\c.TXT", "");
  fs.MakeDir("C:\\D\\Sub");
  uint32_t error = 0;
  EXPECT_EQ(SearchNames(fs, "C:\\D\\*.*", &error),
            (std::vector<std::string>{".", "..", "A.txt", "b.txt", "c.TXT", "Sub"}));
  EXPECT_EQ(error, ErrorNoMoreFiles);
  EXPECT_EQ(SearchNames(fs, "c:\\d\\B.*"), (std::vector<std::string>{"b.txt"}));
  EXPECT_EQ(SearchNames(fs, "C:\\*"), (std::vector<std::string>{"D"}));  // no dots in a root

  auto search = fs.StartSearch("C:\\D\\*");
  EXPECT_EQ(fs.OpenSearches(), 1);
  std::vector<DirEntry> entries;
  DirEntry entry;
  while (search->Next(entry)) entries.push_back(entry);
  ASSERT_EQ(entries.size(), 6u);
  for (size_t i : {0u, 1u, 5u}) EXPECT_NE(entries[i].attributes & AttrDirectory, 0u) << i;
  EXPECT_EQ(entries[3].size, 5u);
  EXPECT_EQ(entries[3].packedDate, PackDate(2019, 1, 2, 3, 4, 6));
  EXPECT_EQ(entries[3].attributes, uint32_t(AttrArchive));
  search.reset();
  EXPECT_EQ(fs.OpenSearches(), 0);

  EXPECT_TRUE(SearchNames(fs, "C:\\D\\*.doc", &error).empty());
  EXPECT_EQ(error, ErrorFileNotFound);
  EXPECT_TRUE(SearchNames(fs, "C:\\Missing\\*", &error).empty());
  EXPECT_EQ(error, ErrorPathNotFound);
  fs.AddDrive('E', FakeDrive{.type = DriveRemovable, .ready = false});
  EXPECT_TRUE(SearchNames(fs, "E:\\*", &error).empty());
  EXPECT_EQ(error, ErrorNotReady);
}

TEST(FakePlatformFiles, SharingLocksAndOpenErrors) {
  FakePlatform fs;
  fs.MakeFile("C:\\F\\data.bin", "abc");
  fs.MakeFile("C:\\F\\ro.txt", "x", {}, AttrReadOnly);
  fs.MakeFile("C:\\F\\hidden.txt", "x", {}, AttrHidden);
  uint32_t error = 0;
  auto reader = fs.OpenFile("c:\\f\\DATA.BIN", AccessRead, ShareRead,
                            FileDisposition::OpenExisting, FlagNone, error);
  ASSERT_TRUE(reader);
  EXPECT_EQ(fs.OpenFiles(), 1);

  struct Case {
    const char* path;
    uint32_t access, share;
    FileDisposition disposition;
    uint32_t expected;
  };
  const std::vector<Case> cases = {
      {"C:\\F\\data.bin", AccessRead, ShareRead, FileDisposition::OpenExisting, 0},
      // the reader does not share writing
      {"C:\\F\\data.bin", AccessWrite, ShareRead | ShareWrite, FileDisposition::OpenExisting, 32},
      // the reader reads, which this open does not share
      {"C:\\F\\data.bin", AccessRead, ShareWrite, FileDisposition::OpenExisting, 32},
      {"C:\\F\\none.bin", AccessRead, ShareRead, FileDisposition::OpenExisting, 2},
      {"C:\\G\\none.bin", AccessWrite, 0, FileDisposition::CreateAlways, 3},
      {"C:\\F\\ro.txt", AccessWrite, 0, FileDisposition::CreateAlways, 5},
      {"C:\\F\\ro.txt", AccessRead, ShareRead, FileDisposition::OpenExisting, 0},
      {"C:\\F\\hidden.txt", AccessWrite, 0, FileDisposition::CreateAlways, 5},
      {"C:\\F", AccessWrite, 0, FileDisposition::CreateAlways, 5},
  };
  for (const auto& c : cases) {
    auto file = fs.OpenFile(c.path, c.access, c.share, c.disposition, FlagNone, error);
    EXPECT_EQ(error, c.expected) << c.path;
    EXPECT_EQ(file != nullptr, c.expected == 0) << c.path;
  }
  reader.reset();
  EXPECT_EQ(fs.OpenFiles(), 0);

  fs.LockFile("C:\\F\\data.bin");
  EXPECT_FALSE(fs.OpenFile("C:\\F\\data.bin", AccessRead, ShareRead | ShareWrite,
                           FileDisposition::OpenExisting, FlagNone, error));
  EXPECT_EQ(error, ErrorSharingViolation);
  EXPECT_EQ(fs.RemoveFile("C:\\F\\data.bin"), ErrorSharingViolation);
  fs.ClearFaults();
  auto writer = fs.OpenFile("C:\\F\\data.bin", AccessWrite, 0, FileDisposition::CreateAlways,
                            FlagNone, error);
  ASSERT_TRUE(writer);
  EXPECT_EQ(fs.Content("C:\\F\\data.bin"), "");  // emptied by creation
  EXPECT_EQ(fs.RemoveFile("C:\\F\\data.bin"), ErrorSharingViolation);
}

TEST(FakePlatformFiles, UnbufferedAccessNeedsWholeSectors) {
  FakePlatform fs;
  uint32_t error = 0;
  auto pages = fs.AllocatePages(4096, error);
  ASSERT_TRUE(pages);
  EXPECT_EQ(pages->Data()[4095], 0);
  EXPECT_EQ(fs.AllocatedBuffers(), 1);
  auto file = fs.OpenFile("C:\\u.bin", AccessRead | AccessWrite, 0,
                          FileDisposition::CreateAlways, FlagNoBuffering, error);
  ASSERT_TRUE(file);
  uint32_t done = 0;
  EXPECT_EQ(file->Write(pages->Data(), 1000, done), ErrorInvalidParameter);
  EXPECT_EQ(file->Write(pages->Data() + 8, 512, done), ErrorInvalidParameter);  // misaligned
  std::fill(pages->Data(), pages->Data() + 1024, 'z');
  EXPECT_EQ(file->Write(pages->Data(), 1024, done), 0u);
  EXPECT_EQ(done, 1024u);
  file->Seek(700);
  EXPECT_EQ(file->SetEnd(), ErrorInvalidParameter);  // not inside a sector
  file->Seek(100);
  EXPECT_EQ(file->Read(pages->Data(), 512, done), ErrorInvalidParameter);
  file->Seek(512);
  EXPECT_EQ(file->Read(pages->Data(), 1024, done), 0u);
  EXPECT_EQ(done, 512u);  // what remains before the end
  EXPECT_EQ(file->Position(), 1024u);
  file->Seek(1024);
  EXPECT_EQ(file->Read(pages->Data(), 512, done), 0u);
  EXPECT_EQ(done, 0u);
  pages.reset();
  EXPECT_EQ(fs.AllocatedBuffers(), 0);
  fs.FailAllocations(1, ErrorNotEnoughMemory);
  EXPECT_FALSE(fs.AllocatePages(4096, error));
  EXPECT_EQ(error, ErrorNotEnoughMemory);
  EXPECT_TRUE(fs.AllocatePages(4096, error));
}

TEST(FakePlatformDrives, FreeSpaceAccountingAndDriveStates) {
  FakePlatform fs;
  fs.AddDrive('D', FakeDrive{.totalBytes = 10000});
  fs.MakeFile("D:\\old.bin", std::string(3000, 'o'));
  int64_t freeBytes = 0, totalBytes = 0;
  ASSERT_TRUE(fs.DiskFreeSpace('d', freeBytes, totalBytes));
  EXPECT_EQ(freeBytes, 7000);
  EXPECT_EQ(totalBytes, 10000);

  uint32_t error = 0;
  auto file = fs.OpenFile("D:\\new.bin", AccessWrite, 0, FileDisposition::CreateAlways,
                          FlagNone, error);
  ASSERT_TRUE(file);
  std::string block(6000, 'n');
  uint32_t done = 0;
  EXPECT_EQ(file->Write(block.data(), 6000, done), 0u);
  EXPECT_EQ(file->Write(block.data(), 1001, done), ErrorDiskFull);
  EXPECT_EQ(done, 0u);
  EXPECT_EQ(file->Write(block.data(), 1000, done), 0u);
  fs.DiskFreeSpace('D', freeBytes, totalBytes);
  EXPECT_EQ(freeBytes, 0);
  EXPECT_EQ(fs.SystemCopy("D:\\old.bin", "D:\\copy.bin", false), ErrorDiskFull);
  EXPECT_EQ(fs.RemoveFile("D:\\old.bin"), 0u);
  fs.DiskFreeSpace('D', freeBytes, totalBytes);
  EXPECT_EQ(freeBytes, 3000);

  // A drive with a fixed free figure, then one that is write protected, one
  // that is not ready and one that does not exist.
  fs.AddDrive('F', FakeDrive{.freeBytes = 0});
  EXPECT_EQ(fs.CreateDir("F:\\X"), ErrorDiskFull);
  fs.Drive('F').freeBytes.reset();
  fs.Drive('F').writeProtected = true;
  EXPECT_EQ(fs.CreateDir("F:\\X"), ErrorWriteProtect);
  EXPECT_FALSE(fs.OpenFile("F:\\x.txt", AccessWrite, 0, FileDisposition::CreateAlways,
                           FlagNone, error));
  EXPECT_EQ(error, ErrorWriteProtect);
  fs.Drive('F').ready = false;
  uint32_t attributes = 0;
  EXPECT_EQ(fs.GetAttributes("F:\\", attributes), ErrorNotReady);
  EXPECT_FALSE(fs.DiskFreeSpace('F', freeBytes, totalBytes));
  EXPECT_EQ(fs.SectorSize('F'), 0u);
  EXPECT_EQ(fs.DriveType('Q'), uint32_t(DriveNoRootDir));
  EXPECT_EQ(fs.GetAttributes("Q:\\A", attributes), ErrorPathNotFound);
}

TEST(FakePlatformFiles, DatesFaultsAndCopies) {
  FakePlatform fs;
  const int32_t old = PackDate(2001, 2, 3, 4, 5, 6);
  fs.MakeFile("C:\\S\\a.txt", "source", old, AttrArchive | AttrSystem);
  fs.SetClock(PackDate(2020, 12, 31, 23, 59, 58));
  fs.AdvanceClock(2);
  EXPECT_EQ(fs.Clock(), PackDate(2021, 1, 1, 0, 0, 2));

  uint32_t error = 0;
  {
    auto file = fs.OpenFile("C:\\S\\w.txt", AccessRead | AccessWrite, 0,
                            FileDisposition::CreateAlways, FlagNone, error);
    uint32_t done = 0;
    file->Write("ab", 2, done);
    EXPECT_EQ(fs.Date("C:\\S\\w.txt"), fs.Clock());  // dated by the write
    EXPECT_EQ(file->SetPackedDate(old), 0u);
    file->Write("cd", 2, done);
    EXPECT_EQ(file->PackedDate(), old);  // an explicit date survives later writes
  }
  {
    auto writeOnly = fs.OpenFile("C:\\S\\w.txt", AccessWrite, 0, FileDisposition::OpenExisting,
                                 FlagNone, error);
    EXPECT_EQ(writeOnly->PackedDate(), -1);  // reading a date needs read access
    fs.FailSetDate("C:\\S\\w.txt", ErrorAccessDenied);
    EXPECT_EQ(writeOnly->SetPackedDate(fs.Clock()), ErrorAccessDenied);
  }

  // Read faults, corrupted read-back and short writes.
  fs.FailRead("C:\\S\\a.txt", 4, ErrorReadFault);
  char buffer[16] = {};
  uint32_t done = 0;
  auto reader = fs.OpenFile("C:\\S\\a.txt", AccessRead, ShareRead, FileDisposition::OpenExisting,
                            FlagNone, error);
  EXPECT_EQ(reader->Read(buffer, 4, done), 0u);
  EXPECT_EQ(reader->Read(buffer, 4, done), ErrorReadFault);
  reader.reset();
  fs.CorruptReadBack("C:\\S\\w.txt");
  auto readBack = fs.OpenFile("C:\\S\\w.txt", AccessRead | AccessWrite, 0,
                              FileDisposition::OpenExisting, FlagNone, error);
  EXPECT_EQ(readBack->Read(buffer, 4, done), 0u);
  EXPECT_NE(std::string(buffer, 4), "abcd");
  EXPECT_EQ(fs.Content("C:\\S\\w.txt"), "abcd");
  readBack.reset();
  fs.ShortWrite("C:\\S\\short.bin", 512);
  auto shortFile = fs.OpenFile("C:\\S\\short.bin", AccessWrite, 0, FileDisposition::CreateAlways,
                               FlagNone, error);
  std::string block(1024, 'b');
  EXPECT_EQ(shortFile->Write(block.data(), 1024, done), 0u);
  EXPECT_EQ(done, 512u);
  shortFile.reset();

  // The system copy carries content, date and attributes; it refuses a
  // read-only or hidden target as CopyFile does.
  EXPECT_EQ(fs.SystemCopy("C:\\S\\a.txt", "C:\\T\\a.txt", false), ErrorPathNotFound);
  fs.MakeDir("C:\\T");
  EXPECT_EQ(fs.SystemCopy("C:\\S\\a.txt", "C:\\T\\a.txt", false), 0u);
  EXPECT_EQ(fs.Content("C:\\T\\a.txt"), "source");
  EXPECT_EQ(fs.Date("C:\\T\\a.txt"), old);
  EXPECT_EQ(fs.Attributes("C:\\T\\a.txt"), uint32_t(AttrArchive | AttrSystem));
  EXPECT_EQ(fs.SystemCopy("C:\\S\\a.txt", "C:\\T\\a.txt", true), ErrorFileExists);
  EXPECT_EQ(fs.SetAttributes("C:\\T\\a.txt", AttrReadOnly), 0u);
  EXPECT_EQ(fs.SystemCopy("C:\\S\\a.txt", "C:\\T\\a.txt", false), ErrorAccessDenied);
  EXPECT_EQ(fs.ReplaceFile("C:\\S\\w.txt", "C:\\T\\a.txt"), ErrorAccessDenied);
  EXPECT_EQ(fs.SetAttributes("C:\\T\\a.txt", AttrHidden), 0u);
  EXPECT_EQ(fs.SystemCopy("C:\\S\\a.txt", "C:\\T\\a.txt", false), ErrorAccessDenied);
  EXPECT_EQ(fs.SetAttributes("C:\\T\\a.txt", 0), 0u);
  EXPECT_EQ(fs.Attributes("C:\\T\\a.txt"), uint32_t(AttrNormal));
  EXPECT_EQ(fs.ReplaceFile("C:\\S\\w.txt", "C:\\T\\A.TXT"), 0u);
  EXPECT_EQ(fs.List("C:\\T"), (std::vector<std::string>{"A.TXT"}));
  EXPECT_EQ(fs.Content("C:\\T\\a.txt"), "abcd");
  EXPECT_FALSE(fs.Exists("C:\\S\\w.txt"));
  EXPECT_EQ(fs.SystemCopies(), 5);
}

TEST(FakePlatformNetwork, ConnectionsAndErrorTexts) {
  FakePlatform fs;
  fs.SetNetConnection("N:", {"\\\\srv\\data", true, 0});
  fs.SetNetConnection("M:", {"\\\\srv\\old", false, 0});
  std::string remote;
  EXPECT_EQ(fs.NetGetConnection("N:", remote), 0u);
  EXPECT_EQ(remote, "\\\\srv\\data");
  EXPECT_EQ(fs.NetGetConnection("m:", remote), uint32_t(ErrorConnectionUnavail));
  EXPECT_EQ(remote, "\\\\srv\\old");
  EXPECT_EQ(fs.NetGetConnection("K:", remote), uint32_t(ErrorNotConnected));
  EXPECT_EQ(fs.NetAddConnection(0, "M:", "\\\\srv\\old"), 0u);
  EXPECT_EQ(fs.NetAddCalls(), (std::vector<std::string>{"M:=\\\\srv\\old"}));
  EXPECT_EQ(fs.DriveType('M'), uint32_t(DriveRemote));  // usable once connected

  EXPECT_EQ(fs.ErrorText(5), "Access is denied.\r\n");
  EXPECT_EQ(fs.ErrorText(112), "There is not enough space on the disk.\r\n");
  EXPECT_EQ(fs.ErrorText(999999), "");
}

}  // namespace
}  // namespace plovik::test
