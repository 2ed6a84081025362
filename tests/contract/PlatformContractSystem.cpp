// The platform contract, the rest of the system: letter case, typed paths,
// drives, the process and its user, ANSI texts, time, named mutexes and
// waiting, error texts.
#include "contract/PlatformContract.h"

#include "core/Drives.h"
#include "lib/PackedDate.h"
#include "lib/Utf.h"
#include "lib/WinErrors.h"

namespace plovik::contract {
namespace {

// ---- letter case ---------------------------------------------------------------------

TEST_F(PlatformContract, NamesCompareAndUpperCaseByTheSystemsRules) {
  struct Pair {
    const char* what;
    std::string a, b;
    bool same;
  };
  const Pair pairs[] = {
      {"ASCII", "Report.TXT", "report.txt", true},
      {"Latin-1", "\xC3\x84rger", "\xC3\xA4rger", true},                                // Ärger
      {"Vietnamese", "\xE1\xBA\xA2nh.jpg", "\xE1\xBA\xA3nh.jpg", true},                 // Ảnh
      {"Latin Extended-B", "\xC7\x8D" "bc", "\xC7\x8E" "bc", true},                     // Ǎbc
      {"Armenian", "\xD4\xB2\xD5\xA1\xD5\xBC", "\xD5\xA2\xD5\xA1\xD5\xBC", true},       // Բառ
      {"full-width", "\xEF\xBC\xA1\xEF\xBC\xA2", "\xEF\xBD\x81\xEF\xBD\x82", true},     // ＡＢ
      {"Glagolitic", "\xE2\xB0\x80", "\xE2\xB0\xB0", true},                             // Ⰰ
      {"Greek", "\xCE\xA9\xCE\xA3", "\xCF\x89\xCF\x83", true},                          // ΩΣ
      {"Cyrillic", "\xD0\x81\xD0\x96", "\xD1\x91\xD0\xB6", true},                       // ЁЖ
      {"Deseret, beyond 16 bits", "\xF0\x90\x90\x80", "\xF0\x90\x90\xA8", false},       // 𐐀
      {"sharp s", "stra\xC3\x9F" "e", "STRASSE", false},
      {"final sigma", "\xCF\x82", "\xCE\xA3", false},
      {"trailing dot", "name.", "name", false},
      {"trailing blank", "name ", "name", false},
  };
  for (const Pair& pair : pairs) {
    EXPECT_EQ(sys().SameName(pair.a, pair.b), pair.same) << pair.what;
    EXPECT_EQ(sys().SameName(pair.b, pair.a), pair.same) << pair.what;
    if (pair.same) {
      EXPECT_EQ(sys().UpperCase(pair.a), sys().UpperCase(pair.b)) << pair.what;
    }
  }
  const std::pair<std::string, std::string> upper[] = {
      {"abc xyz 123", "ABC XYZ 123"},
      {"\xC3\xA4\xC3\xB6\xC3\xBC", "\xC3\x84\xC3\x96\xC3\x9C"},  // äöü
      {"\xC3\xA9 \xC3\xA8 \xC3\xAA \xC3\xA0 \xC3\xA7 \xC3\xB1 \xC3\xB8 \xC3\xA5 \xC3\xA6 \xC3\xBE",
       "\xC3\x89 \xC3\x88 \xC3\x8A \xC3\x80 \xC3\x87 \xC3\x91 \xC3\x98 \xC3\x85 \xC3\x86 \xC3\x9E"},
      {"\xC3\xBF", "\xC5\xB8"},                       // ÿ, Ÿ
      {"stra\xC3\x9F" "e", "STRA\xC3\x9F" "E"},       // ß stays
      {"\xC3\xB7", "\xC3\xB7"},                       // ÷
      {"\xC4\x81 \xC4\x85 \xC4\x8D \xC4\x8F \xC5\x82 \xC5\x84 \xC5\x91 \xC5\x93 \xC5\x9B \xC5\xB1 "
       "\xC5\xBA \xC5\xBC \xC5\xBE",
       "\xC4\x80 \xC4\x84 \xC4\x8C \xC4\x8E \xC5\x81 \xC5\x83 \xC5\x90 \xC5\x92 \xC5\x9A \xC5\xB0 "
       "\xC5\xB9 \xC5\xBB \xC5\xBD"},                 // ā ą č ď ł ń ő œ ś ű ź ż ž
      // αβγ άέήίόύώ
      {"\xCE\xB1\xCE\xB2\xCE\xB3 \xCE\xAC\xCE\xAD\xCE\xAE\xCE\xAF\xCF\x8C\xCF\x8D\xCF\x8E",
       "\xCE\x91\xCE\x92\xCE\x93 \xCE\x86\xCE\x88\xCE\x89\xCE\x8A\xCE\x8C\xCE\x8E\xCE\x8F"},
      // привет ёж ђ
      {"\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xD1\x91\xD0\xB6 \xD1\x92",
       "\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92\xD0\x95\xD0\xA2 \xD0\x81\xD0\x96 \xD0\x82"},
      {"ALREADY \xC3\x84\xC3\x96", "ALREADY \xC3\x84\xC3\x96"},
      {"\xE1\xBA\xA3nh", "\xE1\xBA\xA2NH"},          // ảnh
      {"\xD5\xA2\xD5\xA1\xD5\xBC", "\xD4\xB2\xD4\xB1\xD5\x8C"},  // բառ, ԲԱՌ
      {"\xEF\xBD\x81", "\xEF\xBC\xA1"},              // full-width a
  };
  for (const auto& [text, expected] : upper) EXPECT_EQ(sys().UpperCase(text), expected) << text;
}

// ---- paths a user typed -------------------------------------------------------------------

TEST_F(PlatformContract, TypedPathsAreMadeAbsoluteAndShortNamesLong) {
  const std::string current = sys().CurrentDirectory();
  ASSERT_FALSE(current.empty());
  const std::string base = current.back() == '\\' ? current : current + "\\";
  EXPECT_EQ(sys().FullPathName("rel\\x").ValueOr(""), base + "rel\\x");
  EXPECT_EQ(sys().FullPathName(Path("a\\.\\b\\..\\c")).ValueOr(""), Path("a\\c"));
  EXPECT_EQ(sys().FullPathName(Path("a/b/c")).ValueOr(""), Path("a\\b\\c"));
  EXPECT_EQ(sys().FullPathName(Path("last. ")).ValueOr(""), Path("last"));
  EXPECT_EQ(sys().FullPathName(Path("dir\\")).ValueOr(""), Path("dir\\"));

  // A short name typed for a level is replaced by its long name.
  ASSERT_TRUE(sys().CreateDir(Path("a directory with a long name")));
  WriteText(Path("a directory with a long name\\longfilename.txt"), "x");
  const std::string shortDir = env().ShortName(Path("a directory with a long name"));
  const std::string shortFile =
      env().ShortName(Path("a directory with a long name\\longfilename.txt"));
  ASSERT_FALSE(shortDir.empty());
  ASSERT_FALSE(shortFile.empty());
  EXPECT_EQ(sys().LongPathName(Path(shortDir + "\\" + shortFile)).ValueOr(""),
            Path("a directory with a long name\\longfilename.txt"));
  // The short name opens the file as well.
  EXPECT_EQ(ReadText(Path(shortDir + "\\" + shortFile)), "x");
  EXPECT_FALSE(sys().LongPathName(Path("missing\\file")));
}

// ---- drives -------------------------------------------------------------------------------

TEST_F(PlatformContract, DrivesReportTypeFreeSpaceAndGeometry) {
  const char drive = root_[0];
  EXPECT_EQ(sys().DriveType(drive), DriveFixed);
  const Result<DiskSpace> space = sys().DiskFreeSpace(drive);
  ASSERT_TRUE(space);
  EXPECT_GT(space->freeBytes, 0);
  EXPECT_GE(space->totalBytes, space->freeBytes);
  const Result<DriveGeometry> geometry = sys().Geometry(drive);
  ASSERT_TRUE(geometry);
  const uint32_t sector = geometry->bytesPerSector;
  EXPECT_GE(sector, 512u);
  EXPECT_LE(sector, 65536u);
  EXPECT_EQ(sector & (sector - 1), 0u) << sector;  // a power of two
  EXPECT_GE(geometry->bytesPerCluster, sector);
  EXPECT_EQ(geometry->bytesPerCluster % sector, 0u);

  const char missing = env().MissingDrive();
  EXPECT_EQ(sys().DriveType(missing), DriveNoRootDir);
  EXPECT_FALSE(sys().DiskFreeSpace(missing));
  EXPECT_FALSE(sys().Geometry(missing));
  // A drive that cannot tell leaves the question to each file.
  EXPECT_TRUE(sys().NamedStreamsPossible(missing));
}

// ---- the process and its user -----------------------------------------------------------------

TEST_F(PlatformContract, TheProcessKnowsItsProgramEnvironmentAndUser) {
  const std::string module = sys().ModulePath();
  const std::string program = module.substr(module.rfind('\\') + 1);
  EXPECT_EQ(module.substr(1, 2), ":\\");
  EXPECT_FALSE(program.empty());
  EXPECT_NE(sys().CommandLine().find(program), std::string::npos);
  EXPECT_NE(sys().UserLanguageId(), 0u);

  env().SetVariable("PLOVIK_CONTRACT", std::string("v\xC3\xA4lue"));
  EXPECT_EQ(sys().Environment("PLOVIK_CONTRACT"), std::optional<std::string>("v\xC3\xA4lue"));
  EXPECT_EQ(sys().Environment("plovik_contract"), std::optional<std::string>("v\xC3\xA4lue"));
  env().SetVariable("PLOVIK_CONTRACT", std::string());
  EXPECT_EQ(sys().Environment("PLOVIK_CONTRACT"), std::optional<std::string>(""));
  env().SetVariable("PLOVIK_CONTRACT", std::nullopt);
  EXPECT_EQ(sys().Environment("PLOVIK_CONTRACT"), std::nullopt);
}

TEST_F(PlatformContract, AnsiTextsHoldWhatTheCodePageHas) {
  if (env().AnsiCodePage() != 1252) GTEST_SKIP() << "written for the Western code page";
  const std::string text = "Gr\xC3\xB6\xC3\x9F" "e \xE2\x82\xAC \xC5\x93";  // Größe € œ
  const std::optional<std::string> ansi = sys().ToAnsi(text);
  ASSERT_TRUE(ansi);
  EXPECT_EQ(*ansi, "Gr\xF6\xDF" "e \x80 \x9C");
  EXPECT_EQ(sys().FromAnsi(*ansi), text);
  EXPECT_EQ(sys().ToAnsi(""), std::optional<std::string>(""));
  EXPECT_EQ(sys().ToAnsi("\xCE\xA9"), std::nullopt);  // Ω has no place in it
  EXPECT_EQ(sys().ToAnsi("\xE6\xBC\xA2"), std::nullopt);
}

// ---- time --------------------------------------------------------------------------------------

TEST_F(PlatformContract, TheClockTellsTheTimeAndPassesWithAWait) {
  const CivilTime now = sys().LocalNow();
  EXPECT_GE(now.year, 2020);
  EXPECT_NE(sys().PackLocalTime(now), MissingFileDate);

  const CivilTime sample{2020, 6, 15, 13, 4, 5};
  const std::string date = sys().ShortDateText(sample);
  const std::string time = sys().LongTimeText(sample);
  EXPECT_NE(date.find("2020"), std::string::npos) << date;
  EXPECT_NE(date.find("15"), std::string::npos) << date;
  EXPECT_NE(time.find("04"), std::string::npos) << time;
  EXPECT_NE(time.find("05"), std::string::npos) << time;
  EXPECT_NE(sys().ShortDateText({2021, 6, 15, 13, 4, 5}), date);

  const uint64_t before = sys().TickCount();
  ASSERT_TRUE(sys().TimerWait(50 * 10000));  // 50 ms
  const uint64_t after = sys().TickCount();
  EXPECT_GE(after - before, 40u);
  EXPECT_TRUE(sys().TimerWait(0));
}

// ---- named mutexes and waiting ------------------------------------------------------------------

TEST_F(PlatformContract, NamedMutexesAreSharedTakenReleasedAndAbandoned) {
  const std::string name = MutexName("take");
  Result<MutexOpening> first = sys().OpenMutex(name);
  ASSERT_TRUE(first);
  EXPECT_FALSE(first->existed);
  Result<MutexOpening> second = sys().OpenMutex(name);
  ASSERT_TRUE(second);
  EXPECT_TRUE(second->existed);
  NamedMutex& mine = *first->mutex;

  EXPECT_EQ(mine.TryTake().ValueOr(NamedMutex::Take::Busy), NamedMutex::Take::Taken);
  EXPECT_EQ(mine.TryTake().ValueOr(NamedMutex::Take::Busy), NamedMutex::Take::Taken);  // again
  std::unique_ptr<OtherOwner> other = env().StartOtherOwner();
  std::unique_ptr<NamedMutex> theirs;
  NamedMutex::Take seen = NamedMutex::Take::Taken;
  other->Run([&](Platform& platform) {
    Result<MutexOpening> opening = platform.OpenMutex(name);
    ASSERT_TRUE(opening);
    EXPECT_TRUE(opening->existed);
    theirs = std::move(opening->mutex);
    seen = theirs->TryTake().ValueOr(NamedMutex::Take::Taken);
  });
  EXPECT_EQ(seen, NamedMutex::Take::Busy);
  // Ownership is the owner's, not the handle's: one level goes through the
  // second handle, the other through the first.
  EXPECT_TRUE(second->mutex->Release());
  other->Run([&](Platform&) { seen = theirs->TryTake().ValueOr(NamedMutex::Take::Taken); });
  EXPECT_EQ(seen, NamedMutex::Take::Busy);
  EXPECT_TRUE(mine.Release());
  other->Run([&](Platform&) {
    seen = theirs->TryTake().ValueOr(NamedMutex::Take::Busy);
    EXPECT_TRUE(theirs->Release());
    EXPECT_FALSE(theirs->Release());  // taken once: a second release fails
  });
  EXPECT_EQ(seen, NamedMutex::Take::Taken);
  EXPECT_FALSE(mine.Release());  // not owned

  // The other owner takes it and ends without giving it back.
  other->Run([&](Platform&) { seen = theirs->TryTake().ValueOr(NamedMutex::Take::Busy); });
  EXPECT_EQ(seen, NamedMutex::Take::Taken);
  EXPECT_EQ(mine.TryTake().ValueOr(NamedMutex::Take::Taken), NamedMutex::Take::Busy);
  other.reset();
  theirs.reset();
  EXPECT_EQ(mine.TryTake().ValueOr(NamedMutex::Take::Busy), NamedMutex::Take::Abandoned);
  EXPECT_TRUE(mine.Release());
  EXPECT_EQ(mine.TryTake().ValueOr(NamedMutex::Take::Busy), NamedMutex::Take::Taken);
  EXPECT_TRUE(mine.Release());

  // Once every handle is closed, the name is free again.
  first = Failure(ErrorInvalidHandle);
  second = Failure(ErrorInvalidHandle);
  Result<MutexOpening> fresh = sys().OpenMutex(name);
  ASSERT_TRUE(fresh);
  EXPECT_FALSE(fresh->existed);
}

TEST_F(PlatformContract, WaitsEndForAMutexAMessageOrTheTime) {
  const std::string name = MutexName("wait");
  Result<MutexOpening> opening = sys().OpenMutex(name);
  ASSERT_TRUE(opening);
  NamedMutex& mine = *opening->mutex;
  std::unique_ptr<OtherOwner> other = env().StartOtherOwner();
  std::unique_ptr<NamedMutex> theirs;
  other->Run([&](Platform& platform) {
    theirs = std::move(platform.OpenMutex(name)->mutex);
    EXPECT_EQ(theirs->TryTake().ValueOr(NamedMutex::Take::Busy), NamedMutex::Take::Taken);
  });

  env().DrainMessages();
  const uint64_t before = sys().TickCount();
  EXPECT_EQ(sys().WaitForMessageOrMutex(&mine, 60), Wake::Timeout);
  EXPECT_GE(sys().TickCount() - before, 40u);
  env().PostMessageToSelf();
  EXPECT_EQ(sys().WaitForMessageOrMutex(&mine, 5000), Wake::Message);
  EXPECT_EQ(sys().WaitForMessageOrMutex(nullptr, 5000), Wake::Message);
  env().DrainMessages();
  EXPECT_EQ(sys().WaitForMessageOrMutex(nullptr, 20), Wake::Timeout);

  other->Run([&](Platform&) { EXPECT_TRUE(theirs->Release()); });
  EXPECT_EQ(sys().WaitForMessageOrMutex(&mine, 5000), Wake::Taken);
  // Owned now: the other owner finds it taken.
  other->Run([&](Platform&) {
    EXPECT_EQ(theirs->TryTake().ValueOr(NamedMutex::Take::Taken), NamedMutex::Take::Busy);
  });
  EXPECT_TRUE(mine.Release());

  other->Run([&](Platform&) {
    EXPECT_EQ(theirs->TryTake().ValueOr(NamedMutex::Take::Busy), NamedMutex::Take::Taken);
  });
  other.reset();
  theirs.reset();
  EXPECT_EQ(sys().WaitForMessageOrMutex(&mine, 5000), Wake::Abandoned);
  EXPECT_TRUE(mine.Release());
}

// ---- errors and network -------------------------------------------------------------------

TEST_F(PlatformContract, ErrorTextsComeFromTheSystemAndLocalDrivesHaveNoRemoteName) {
  const std::string accessDenied = sys().ErrorText(ErrorAccessDenied);
  EXPECT_FALSE(accessDenied.empty());
  EXPECT_LE(CharCount(accessDenied), 255u);
  EXPECT_FALSE(sys().ErrorText(ErrorFileNotFound).empty());
  EXPECT_NE(sys().ErrorText(ErrorFileNotFound), accessDenied);
  EXPECT_TRUE(sys().ErrorText(0x20001234u).empty());
  // The installed platform feeds the program's error texts.
  EXPECT_EQ(WinErrorText(ErrorAccessDenied, false), accessDenied);

  // A local drive has no remote name: the query fails, and no connection
  // is tried.
  const Result<NetConnection> connection = sys().NetGetConnection(root_.substr(0, 2));
  EXPECT_FALSE(connection);
  EXPECT_NE(connection.Error(), uint32_t(ErrorConnectionUnavail));
  EXPECT_EQ(ConnectNetworkDrive(0, root_[0]), connection.Error());
}

}  // namespace
}  // namespace plovik::contract
