#include "core/Drives.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/PackedDate.h"
#include "core/SubDirs.h"
#include "support/ProgramTest.h"

namespace plovik {
namespace {

using test::FakeDrive;
using test::FakeNetConnection;

class DrivesTest : public test::ProgramTest {};

TEST_F(DrivesTest, MissingAndNotReadyDrives) {
  fs.AddDrive('E', FakeDrive{.type = DriveRemovable, .ready = false});
  fs.AddDrive('D', FakeDrive{.totalBytes = 5000});
  fs.MakeFile("D:\\f.bin", std::string(1000, 'x'));

  for (char letter : {'Q', 'q', '1'}) {
    EXPECT_FALSE(DriveExists(letter)) << letter;
    EXPECT_FALSE(DriveReady(letter)) << letter;
    EXPECT_FALSE(DriveFull(letter)) << letter;
    EXPECT_EQ(DriveFreeSpace(letter), -1) << letter;
    EXPECT_EQ(DriveSectorSize(letter), 0u) << letter;
  }
  // An empty removable drive exists but is not ready.
  EXPECT_TRUE(DriveExists('E'));
  EXPECT_FALSE(DriveReady('E'));
  EXPECT_EQ(DriveFreeSpace('E'), -1);
  EXPECT_FALSE(DriveFull('E'));

  EXPECT_TRUE(DriveReady('d'));
  EXPECT_EQ(DriveFreeSpace('d'), 4000);
  EXPECT_EQ(DriveSectorSize('D'), 512u);
  fs.Drive('D').freeQueryFails = true;
  EXPECT_EQ(DriveFreeSpace('D'), -1);
  EXPECT_FALSE(DriveFull('D'));
  fs.Drive('D').freeQueryFails = false;
  fs.Drive('D').freeBytes = 0;
  EXPECT_TRUE(DriveFull('D'));
  // A root whose attributes cannot be read is not ready.
  fs.FailGetAttributes("D:\\", ErrorAccessDenied);
  EXPECT_FALSE(DriveReady('D'));
}

TEST_F(DrivesTest, WriteProtectionProbe) {
  const std::string probe = std::string("F:\\") + WriteProtectProbeName;
  fs.AddDrive('F', FakeDrive{.type = DriveRemovable});
  EXPECT_FALSE(DriveWriteProtected('F'));
  EXPECT_FALSE(fs.Exists(probe));

  // An empty leftover probe is cleared away first.
  fs.MakeDir(probe);
  EXPECT_FALSE(DriveWriteProtected('F'));
  EXPECT_FALSE(fs.Exists(probe));

  // A leftover that holds something can be neither removed nor created.
  fs.MakeFile(probe + "\\keep.txt", "x");
  EXPECT_TRUE(DriveWriteProtected('F'));
  EXPECT_TRUE(fs.Exists(probe + "\\keep.txt"));

  fs.AddDrive('G', FakeDrive{.type = DriveRemovable, .writeProtected = true});
  EXPECT_TRUE(DriveWriteProtected('G'));
  EXPECT_EQ(fs.List("G:\\"), std::vector<std::string>{});
}

TEST_F(DrivesTest, ConnectNetworkDrive) {
  fs.SetNetConnection("N:", FakeNetConnection{"\\\\srv\\data", true, 0});
  fs.SetNetConnection("M:", FakeNetConnection{"\\\\srv\\old", false, 1223});
  EXPECT_EQ(ConnectNetworkDrive(0, 'N'), 0u);
  EXPECT_EQ(ConnectNetworkDrive(0, 'M'), 1223u);  // the reconnection's own answer
  EXPECT_EQ(ConnectNetworkDrive(0, 'K'), uint32_t(ErrorNotConnected));
  EXPECT_EQ(fs.NetAddCalls(),
            (std::vector<std::string>{"N:=\\\\srv\\data", "M:=\\\\srv\\old"}));
}

struct CreateCase {
  const char* path;
  int32_t expectedCode;
  int32_t expectedCreated;
};

TEST_F(DrivesTest, CreateSubDirResultCodes) {
  fs.AddDrive('D');
  fs.MakeDir("D:\\A");
  fs.MakeDir("D:\\Old");
  fs.AddDrive('E', FakeDrive{.type = DriveRemovable, .ready = false});
  fs.AddShare("\\\\server\\share");
  const std::vector<CreateCase> cases = {
      {"D:\\A\\B\\C\\", 0, 2},
      {"d:\\old\\", 1, 0},
      {"D:\\", 1, 0},
      {"\\\\server\\share\\new\\", 0, 1},
      {"Q:\\X\\", 5, 0},
      {"E:\\X\\", 4, 0},
      {"1:\\X\\", 5, 0},
      {"\\server\\share\\x\\", 5, 0},
      {"\\", 1, 0},  // the root of the current drive
      {"", 5, 0},
      {"D:X\\", 5, 0},
  };
  for (const auto& c : cases) {
    int32_t created = 7;
    int32_t code = -1;
    CreateSubDir(c.path, created, code);
    EXPECT_EQ(code, c.expectedCode) << c.path;
    EXPECT_EQ(created, 7 + c.expectedCreated) << c.path;
  }
  EXPECT_TRUE(fs.IsDir("D:\\A\\B\\C"));
  EXPECT_EQ(fs.List("\\\\server\\share"), std::vector<std::string>{"new"});
}

TEST_F(DrivesTest, CreateSubDirAsksTheDriveOnlyWhenTheParentIsMissing) {
  fs.AddDrive('D');
  fs.MakeDir("D:\\A");
  int32_t created = 0, code = -1;
  const int before = fs.DriveTypeQueries();
  CreateSubDir("D:\\A\\B\\", created, code);
  CreateSubDir("D:\\New\\", created, code);  // its parent is the root
  EXPECT_EQ(fs.DriveTypeQueries(), before);
  EXPECT_EQ(created, 2);

  CreateSubDir("D:\\X\\Y\\", created, code);
  EXPECT_EQ(code, SubDirCreated);
  EXPECT_GT(fs.DriveTypeQueries(), before);
  // A drive that went away while a directory below its root was being made.
  fs.Drive('D').ready = false;
  CreateSubDir("D:\\A\\C\\", created, code);
  EXPECT_EQ(code, SubDirDriveNotReady);
}

TEST_F(DrivesTest, CreateSubDirFailures) {
  fs.AddDrive('D', FakeDrive{.freeBytes = 0});
  fs.MakeDir("D:\\A");
  int32_t created = 0, code = -1;
  CreateSubDir("D:\\A\\B\\C\\", created, code);
  EXPECT_EQ(code, SubDirDriveFull);
  EXPECT_EQ(created, 0);
  EXPECT_EQ(fs.Tree("D:\\A"), std::vector<std::string>{"D:\\A\\"});

  // A refused level gives code 2, and its deeper level fails with it.
  fs.Drive('D').freeBytes.reset();
  fs.FailCreateDir("D:\\A\\B", ErrorAccessDenied);
  CreateSubDir("D:\\A\\B\\C\\", created, code);
  EXPECT_EQ(code, SubDirRefused);
  EXPECT_EQ(created, 0);
  EXPECT_FALSE(fs.Exists("D:\\A\\B"));

  // Without its final backslash the last level is still made, not skipped
  // while success is reported.
  fs.ClearFaults();
  CreateSubDir("D:\\A\\X\\Y", created, code);
  EXPECT_EQ(code, SubDirCreated);
  EXPECT_EQ(created, 2);
  EXPECT_TRUE(fs.IsDir("D:\\A\\X\\Y"));
}

TEST_F(DrivesTest, StripTrailingBackslashesAndDirectoryExists) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"C:\\", "C:\\"},      {"C:\\A\\\\", "C:\\A"}, {"C:\\A", "C:\\A"},
      {"C:\\\\\\", "C:\\"},  {"\\\\s\\t\\", "\\\\s\\t"}, {"", ""},
  };
  for (const auto& [path, expected] : cases) {
    EXPECT_EQ(StripTrailingBackslashes(path), expected) << path;
  }
  fs.MakeDir("C:\\Dir");
  fs.MakeFile("C:\\File", "");
  EXPECT_TRUE(DirectoryExists("C:\\Dir"));
  EXPECT_TRUE(DirectoryExists("C:\\dir\\"));
  EXPECT_TRUE(DirectoryExists("C:\\"));
  EXPECT_FALSE(DirectoryExists("C:\\File"));
  EXPECT_FALSE(DirectoryExists("C:\\None\\"));
}

TEST_F(DrivesTest, CopyDirDate) {
  const int32_t srcDate = PackDate(2015, 3, 4, 5, 6, 8);
  fs.MakeDir("C:\\Src", srcDate);
  fs.MakeDir("C:\\Dst", PackDate(2020, 1, 1, 0, 0, 0));
  EXPECT_TRUE(CopyDirDate("C:\\Src\\", "C:\\Dst\\"));
  EXPECT_EQ(fs.Date("C:\\Dst"), srcDate);
  EXPECT_EQ(fs.OpenFiles(), 0);

  // Equal dates: nothing is written, so a refused date change goes unnoticed.
  fs.FailSetDate("C:\\Dst", ErrorAccessDenied);
  EXPECT_TRUE(CopyDirDate("C:\\Src", "C:\\Dst"));
  // Two seconds apart is a different packed date and needs the write.
  fs.SetDate("C:\\Src", srcDate + 1);
  EXPECT_FALSE(CopyDirDate("C:\\Src", "C:\\Dst"));
  fs.ClearFaults();
  EXPECT_TRUE(CopyDirDate("C:\\Src", "C:\\Dst"));
  EXPECT_EQ(fs.Date("C:\\Dst"), srcDate + 1);

  EXPECT_FALSE(CopyDirDate("C:\\Src", "C:\\Missing"));
  EXPECT_FALSE(CopyDirDate("C:\\Missing", "C:\\Dst"));
  fs.FailOpen("C:\\Src", ErrorSharingViolation);
  EXPECT_FALSE(CopyDirDate("C:\\Src", "C:\\Dst"));
  EXPECT_EQ(fs.OpenFiles(), 0);
}

}  // namespace
}  // namespace plovik
