// What the fake platform offers the engine's tests beyond the platform
// contract (tests/contract), which it shares with the Windows platform:
// injected faults, free-space accounting, the strictness of unbuffered
// access, the virtual clock. If these drift, the tests built on them prove
// nothing.
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "lib/PackedDate.h"

namespace plovik::test {
namespace {

FileHandle Open(FakePlatform& fs, const std::string& path, FileAccess access, FileShare share,
                FileDisposition disposition, FileFlags flags = FileFlags::None,
                uint32_t* error = nullptr) {
  Result<FileHandle> file = fs.OpenFile(path, access, share, disposition, flags);
  if (error != nullptr) *error = file.Error();
  return file ? std::move(*file) : nullptr;
}

TEST(FakePlatformFiles, LockedFilesRefuseOpeningRemovalAndReplacement) {
  FakePlatform fs;
  fs.MakeFile("C:\\F\\data.bin", "abc");
  fs.MakeFile("C:\\F\\new.bin", "new");
  fs.LockFile("C:\\F\\data.bin");
  uint32_t error = 0;
  EXPECT_FALSE(Open(fs, "C:\\F\\data.bin", FileAccess::Read, FileShare::Read | FileShare::Write,
                    FileDisposition::OpenExisting, FileFlags::None, &error));
  EXPECT_EQ(error, ErrorSharingViolation);
  EXPECT_EQ(fs.RemoveFile("C:\\F\\data.bin").Error(), ErrorSharingViolation);
  // Another program holds it open: the system refuses to replace it.
  EXPECT_EQ(fs.ReplaceFile("C:\\F\\new.bin", "C:\\F\\data.bin").Error(), ErrorAccessDenied);
  fs.ClearFaults();
  EXPECT_TRUE(fs.ReplaceFile("C:\\F\\new.bin", "C:\\F\\data.bin"));
  EXPECT_EQ(fs.Content("C:\\F\\data.bin"), "new");
}

TEST(FakePlatformFiles, UnbufferedAccessNeedsWholeSectors) {
  FakePlatform fs;
  Result<std::unique_ptr<PageBuffer>> pages = fs.AllocatePages(4096);
  ASSERT_TRUE(pages);
  EXPECT_EQ((*pages)->Data()[4095], 0);
  EXPECT_EQ(fs.AllocatedBuffers(), 1);
  FileHandle file = Open(fs, "C:\\u.bin", FileAccess::Read | FileAccess::Write, FileShare::None,
                         FileDisposition::CreateAlways, FileFlags::NoBuffering);
  ASSERT_TRUE(file);
  uint8_t* data = (*pages)->Data();
  EXPECT_EQ(file->Write(data, 1000).Error(), ErrorInvalidParameter);
  EXPECT_EQ(file->Write(data + 8, 512).Error(), ErrorInvalidParameter);  // misaligned
  std::fill(data, data + 1024, 'z');
  EXPECT_EQ(file->Write(data, 1024).ValueOr(0), 1024u);
  ASSERT_TRUE(file->Seek(700));
  EXPECT_EQ(file->SetEnd().Error(), ErrorInvalidParameter);  // not inside a sector
  ASSERT_TRUE(file->Seek(100));
  EXPECT_EQ(file->Read(data, 512).Error(), ErrorInvalidParameter);
  ASSERT_TRUE(file->Seek(512));
  EXPECT_EQ(file->Read(data, 1024).ValueOr(0), 512u);  // what remains before the end
  EXPECT_EQ(file->Position().ValueOr(0), 1024u);
  EXPECT_EQ(file->Read(data, 512).ValueOr(1), 0u);
  pages->reset();  // releases the buffer
  EXPECT_EQ(fs.AllocatedBuffers(), 0);
  fs.FailAllocations(1, ErrorNotEnoughMemory);
  EXPECT_EQ(fs.AllocatePages(4096).Error(), ErrorNotEnoughMemory);
  EXPECT_TRUE(fs.AllocatePages(4096));
}

TEST(FakePlatformDrives, FreeSpaceAccountingAndDriveStates) {
  FakePlatform fs;
  fs.AddDrive('D', FakeDrive{.totalBytes = 10000});
  fs.MakeFile("D:\\old.bin", std::string(3000, 'o'));
  const auto freeBytes = [&fs](char letter) {
    const Result<DiskSpace> space = fs.DiskFreeSpace(letter);
    return space ? space->freeBytes : -1;
  };
  EXPECT_EQ(freeBytes('d'), 7000);
  EXPECT_EQ(fs.DiskFreeSpace('D')->totalBytes, 10000);

  FileHandle file = Open(fs, "D:\\new.bin", FileAccess::Write, FileShare::None,
                         FileDisposition::CreateAlways);
  ASSERT_TRUE(file);
  std::string block(6000, 'n');
  EXPECT_TRUE(file->Write(block.data(), 6000));
  EXPECT_EQ(file->Write(block.data(), 1001).Error(), ErrorDiskFull);
  EXPECT_TRUE(file->Write(block.data(), 1000));
  EXPECT_EQ(freeBytes('D'), 0);
  EXPECT_EQ(fs.SystemCopy("D:\\old.bin", "D:\\copy.bin", false).Error(), ErrorDiskFull);
  EXPECT_TRUE(fs.RemoveFile("D:\\old.bin"));
  EXPECT_EQ(freeBytes('D'), 3000);

  // A drive with a fixed free figure, then one that is write protected, one
  // that is not ready and one that does not exist.
  fs.AddDrive('F', FakeDrive{.freeBytes = 0, .clusterSize = 32768});
  EXPECT_EQ(fs.Geometry('F')->bytesPerCluster, 32768u);
  EXPECT_EQ(fs.CreateDir("F:\\X").Error(), ErrorDiskFull);
  fs.Drive('F').freeBytes.reset();
  fs.Drive('F').writeProtected = true;
  EXPECT_EQ(fs.CreateDir("F:\\X").Error(), ErrorWriteProtect);
  uint32_t error = 0;
  EXPECT_FALSE(Open(fs, "F:\\x.txt", FileAccess::Write, FileShare::None,
                    FileDisposition::CreateAlways, FileFlags::None, &error));
  EXPECT_EQ(error, ErrorWriteProtect);
  fs.Drive('F').ready = false;
  EXPECT_EQ(fs.GetAttributes("F:\\").Error(), ErrorNotReady);
  EXPECT_FALSE(fs.DiskFreeSpace('F'));
  EXPECT_FALSE(fs.Geometry('F'));
  EXPECT_EQ(fs.DriveType('Q'), DriveNoRootDir);
  EXPECT_EQ(fs.GetAttributes("Q:\\A").Error(), ErrorPathNotFound);
}

TEST(FakePlatformFiles, DatesFaultsAndTheClock) {
  FakePlatform fs;
  const int32_t old = PackDate(2001, 2, 3, 4, 5, 6);
  fs.MakeFile("C:\\S\\a.txt", "source", old, AttrArchive | AttrSystem);
  fs.SetClock(PackDate(2020, 12, 31, 23, 59, 58));
  fs.AdvanceClock(2);
  EXPECT_EQ(fs.Clock(), PackDate(2021, 1, 1, 0, 0, 2));
  const uint64_t tick = fs.TickCount();
  ASSERT_TRUE(fs.TimerWait(250 * 10000));  // 250 ms
  EXPECT_EQ(fs.TickCount(), tick + 250);
  EXPECT_EQ(fs.TimerWait(70000ll * 10000).Error(), 258u);  // past the longest wait

  {
    FileHandle file = Open(fs, "C:\\S\\w.txt", FileAccess::Read | FileAccess::Write,
                           FileShare::None, FileDisposition::CreateAlways);
    ASSERT_TRUE(file->Write("ab", 2));
    EXPECT_EQ(fs.Date("C:\\S\\w.txt"), fs.Clock());  // dated by the write
    ASSERT_TRUE(file->SetPackedDate(old));
    ASSERT_TRUE(file->Write("cd", 2));
    EXPECT_EQ(file->PackedDate().ValueOr(0), old);  // an explicit date survives later writes
  }
  {
    FileHandle writeOnly = Open(fs, "C:\\S\\w.txt", FileAccess::Write, FileShare::None,
                                FileDisposition::OpenExisting);
    EXPECT_EQ(writeOnly->PackedDate().Error(), ErrorAccessDenied);  // reading needs read access
    fs.FailSetDate("C:\\S\\w.txt", ErrorAccessDenied);
    EXPECT_EQ(writeOnly->SetPackedDate(fs.Clock()).Error(), ErrorAccessDenied);
  }

  // Read faults, corrupted read-back and short writes.
  fs.FailRead("C:\\S\\a.txt", 4, ErrorReadFault);
  char buffer[16] = {};
  FileHandle reader = Open(fs, "C:\\S\\a.txt", FileAccess::Read, FileShare::Read,
                           FileDisposition::OpenExisting);
  EXPECT_TRUE(reader->Read(buffer, 4));
  EXPECT_EQ(reader->Read(buffer, 4).Error(), ErrorReadFault);
  reader.reset();
  fs.CorruptReadBack("C:\\S\\w.txt");
  FileHandle readBack = Open(fs, "C:\\S\\w.txt", FileAccess::Read | FileAccess::Write,
                             FileShare::None, FileDisposition::OpenExisting);
  EXPECT_EQ(readBack->Read(buffer, 4).ValueOr(0), 4u);
  EXPECT_NE(std::string(buffer, 4), "abcd");
  EXPECT_EQ(fs.Content("C:\\S\\w.txt"), "abcd");
  readBack.reset();
  fs.ShortWrite("C:\\S\\short.bin", 512);
  FileHandle shortFile = Open(fs, "C:\\S\\short.bin", FileAccess::Write, FileShare::None,
                              FileDisposition::CreateAlways);
  std::string block(1024, 'b');
  EXPECT_EQ(shortFile->Write(block.data(), 1024).ValueOr(0), 512u);
  shortFile.reset();

  // The system copy carries content, date and attributes.
  EXPECT_EQ(fs.SystemCopy("C:\\S\\a.txt", "C:\\T\\a.txt", false).Error(), ErrorPathNotFound);
  fs.MakeDir("C:\\T");
  ASSERT_TRUE(fs.SystemCopy("C:\\S\\a.txt", "C:\\T\\a.txt", false));
  EXPECT_EQ(fs.Content("C:\\T\\a.txt"), "source");
  EXPECT_EQ(fs.Date("C:\\T\\a.txt"), old);
  EXPECT_EQ(fs.Attributes("C:\\T\\a.txt"), uint32_t(AttrArchive | AttrSystem));
  EXPECT_TRUE(fs.SetAttributes("C:\\T\\a.txt", AttrHidden));
  EXPECT_EQ(fs.SystemCopy("C:\\S\\a.txt", "C:\\T\\a.txt", false).Error(), ErrorAccessDenied);
  EXPECT_EQ(fs.SystemCopies(), 3);
}

TEST(FakePlatformNetwork, ConnectionsAndErrorTexts) {
  FakePlatform fs;
  fs.SetNetConnection("N:", {"\\\\srv\\data", true, 0});
  fs.SetNetConnection("M:", {"\\\\srv\\old", false, 0});
  Result<NetConnection> connection = fs.NetGetConnection("N:");
  ASSERT_TRUE(connection);
  EXPECT_EQ(connection->remote, "\\\\srv\\data");
  EXPECT_TRUE(connection->connected);
  connection = fs.NetGetConnection("m:");
  ASSERT_TRUE(connection);
  EXPECT_EQ(connection->remote, "\\\\srv\\old");
  EXPECT_FALSE(connection->connected);
  EXPECT_EQ(fs.NetGetConnection("K:").Error(), ErrorNotConnected);
  EXPECT_TRUE(fs.NetAddConnection(0, "M:", "\\\\srv\\old"));
  EXPECT_EQ(fs.NetAddCalls(), (std::vector<std::string>{"M:=\\\\srv\\old"}));
  EXPECT_EQ(fs.DriveType('M'), DriveRemote);  // usable once connected

  EXPECT_EQ(fs.ErrorText(5), "Access is denied.\r\n");
  EXPECT_EQ(fs.ErrorText(112), "There is not enough space on the disk.\r\n");
  EXPECT_EQ(fs.ErrorText(999999), "");
}

}  // namespace
}  // namespace plovik::test
