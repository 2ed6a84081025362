// The verified file copy over the fake platform: every outcome, the sector
// padding and its trimming, dates and attributes, the partial copy that
// protects the old destination, and the plain system copy.
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "engine/Files.h"
#include "core/RunRecords.h"
#include "support/ProgramTest.h"

namespace plovik::test {
namespace {

const std::string Src = "C:\\src\\data.bin";
const std::string Dst = "D:\\dst\\data.bin";
const std::string Partial = "D:\\dst\\~plovik-partial.tmp";
const std::string OldContent = "the old copy";
constexpr int32_t SourceDate = 0x50A76000;  // 2020-05-07 12:00:00
constexpr int32_t OldDate = 0x4F2E6000;     // 2019-09-14 12:00:00

// Deterministic content that differs from block to block.
std::string Bytes(size_t size) {
  std::string text(size, '\0');
  uint32_t state = 12345;
  for (size_t i = 0; i < size; ++i) {
    state = state * 1103515245u + 12345u;  // a linear congruential generator
    text[i] = static_cast<char>(state >> 16);
  }
  return text;
}

struct Outcome {
  int32_t error = -1;
  int32_t result = -1;
  int16_t answer = -1;
};

// The outcome as the walk takes it in, with the answer it had before (OK)
// where the copy gave none.
Outcome Summed(const CopyOutcome& copy) {
  return Outcome{copy.error, copy.result, copy.answer == NoCopyAnswer ? int16_t(ModalOk) : copy.answer};
}

class FilesTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    fs.AddDrive('D');
    fs.Drive('C').sectorSize = 512;
    fs.MakeDir("D:\\dst");
  }

  // One verified copy; afterwards nothing may be left open, allocated or
  // half-written, and the cursor is back at the default.
  Outcome Copy(const std::string& src = Src, const std::string& dst = Dst,
               uint32_t bufferSize = 65536, bool dialogs = true, bool verify = true,
               uint32_t dstSector = 0, uint32_t srcSector = 0) {
    const VerifiedCopyOptions options{bufferSize, dialogs, verify, dstSector, srcSector};
    const Outcome out = Summed(CopyFileVerified(src, dst, options, {}, &host));
    EXPECT_EQ(fs.OpenFiles(), 0);
    EXPECT_EQ(fs.AllocatedBuffers(), 0);
    EXPECT_FALSE(fs.Exists(PartialCopyPath(dst))) << "partial copy left behind";
    EXPECT_EQ(tk.cursor, CursorKind::Default);
    return out;
  }

  void MakeSource(size_t size, uint32_t attributes = AttrArchive) {
    fs.MakeFile(Src, Bytes(size), SourceDate, attributes);
  }
  void MakeOldDestination(uint32_t attributes = AttrArchive) {
    fs.MakeFile(Dst, OldContent, OldDate, attributes);
  }
  void ExpectOldDestinationKept() {
    EXPECT_EQ(fs.Content(Dst), OldContent);
    EXPECT_EQ(fs.Date(Dst), OldDate);
  }
  // Contents are compared without printing them: they are binary.
  static void ExpectSameContent(const std::string& actual, const std::string& expected) {
    EXPECT_TRUE(actual == expected) << "sizes " << actual.size() << " and " << expected.size();
  }
  void ExpectCopied() {
    ExpectSameContent(fs.Content(Dst), fs.Content(Src));
    EXPECT_EQ(fs.Date(Dst), fs.Date(Src));
    EXPECT_EQ(fs.Attributes(Dst), fs.Attributes(Src));
  }
};

// ---------------------------------------------------------------------------
// The outcome of every cause, with the dialog the copy shows for it.

enum class DstState { Copied, OldKeptIfAny, OldUntouched };

struct OutcomeCase {
  const char* name;
  std::function<void(FakePlatform&, HeadlessToolkit&)> arrange;
  int32_t error;
  int32_t result;
  DstState dst;
  // The copy's own dialog: empty when none is expected.
  std::function<std::string(FakePlatform&)> dialogText;
  uint32_t buttons = 0;
};

TEST_F(FilesTest, EveryCauseGivesItsErrorResultDialogAndDestination) {
  const std::vector<OutcomeCase> cases = {
      {"copied", [](FakePlatform&, HeadlessToolkit&) {}, 0, 0, DstState::Copied, nullptr},
      {"sector size 3000 rejects the buffer",
       [](FakePlatform& f, HeadlessToolkit&) { f.Drive('D').sectorSize = 3000; }, 84, 1,
       DstState::OldUntouched,
       [](FakePlatform&) {
         return std::string(
             "Copy buffer not correctly allocated (invalid buffer size).\r   BufferSize=65536"
             "\r\rMinBufferSize=2048\rMaxBufferSize=65536\rSrcSectorSize=512\r"
             "DstSectorSize=3000");
       },
       ButtonAbort},
      {"source missing", [](FakePlatform& f, HeadlessToolkit&) { (void)f.RemoveFile(Src); }, 2, 99,
       DstState::OldUntouched, nullptr},
      {"source locked", [](FakePlatform& f, HeadlessToolkit&) { f.LockFile(Src); }, 32, 99,
       DstState::OldUntouched, nullptr},
      {"partial copy cannot be created",
       [](FakePlatform& f, HeadlessToolkit&) { f.FailOpen(Partial, 5); }, 5, 99,
       DstState::OldKeptIfAny, [](FakePlatform& f) { return f.ErrorText(5); },
       ButtonAbort | ButtonRetry | ButtonIgnore},
      {"no free byte",
       [](FakePlatform& f, HeadlessToolkit&) {
         (void)f.SetAttributes(Dst, 0);
         (void)f.RemoveFile(Dst);
         f.Drive('D').freeBytes = 0;
       },
       39, 5, DstState::OldKeptIfAny,
       [](FakePlatform&) { return std::string("Destination drive  D:  is full."); }, ButtonAbort},
      {"not enough space",
       [](FakePlatform& f, HeadlessToolkit&) { f.Drive('D').freeBytes = 1000; }, 112, 4,
       DstState::OldKeptIfAny,
       [](FakePlatform&) {
         return std::string("Not enough free space on drive  D:  for file  \rdata.bin");
       },
       ButtonAbort | ButtonIgnore},
      {"allocation fails",
       [](FakePlatform& f, HeadlessToolkit&) { f.FailAllocations(1, 8); }, 84, 1,
       DstState::OldKeptIfAny,
       [](FakePlatform& f) {
         return "Copy buffer memory allocation error.\rWinErrorCode=8\r" + f.ErrorText(8);
       },
       ButtonAbort},
      {"read-back differs", [](FakePlatform& f, HeadlessToolkit&) { f.CorruptReadBack(Partial); },
       29, 3, DstState::OldKeptIfAny, nullptr},
      {"write fault", [](FakePlatform& f, HeadlessToolkit&) { f.FailWrite(Partial, 0, 29); }, 29,
       3, DstState::OldKeptIfAny, nullptr},
      {"write: disk full",
       [](FakePlatform& f, HeadlessToolkit&) { f.FailWrite(Partial, 65536, 112); }, 112, 4,
       DstState::OldKeptIfAny, nullptr},
      {"write: access denied",
       [](FakePlatform& f, HeadlessToolkit&) { f.FailWrite(Partial, 0, 5); }, 5, 6,
       DstState::OldKeptIfAny, nullptr},
      {"write: write protected",
       [](FakePlatform& f, HeadlessToolkit&) { f.FailWrite(Partial, 0, 19); }, 19, 6,
       DstState::OldKeptIfAny, nullptr},
      {"write: other error",
       [](FakePlatform& f, HeadlessToolkit&) { f.FailWrite(Partial, 0, 1117); }, 1117, 99,
       DstState::OldKeptIfAny, nullptr},
      {"short write", [](FakePlatform& f, HeadlessToolkit&) { f.ShortWrite(Partial, 65536); }, 29,
       3, DstState::OldKeptIfAny, nullptr},
      {"read fault", [](FakePlatform& f, HeadlessToolkit&) { f.FailRead(Src, 65536, 30); }, 30, 2,
       DstState::OldKeptIfAny, nullptr},
      {"read: other error",
       [](FakePlatform& f, HeadlessToolkit&) { f.FailRead(Src, 0, 23); }, 23, 99,
       DstState::OldKeptIfAny, nullptr},
      {"user abort",
       [](FakePlatform&, HeadlessToolkit& t) {
         t.actions.push_back([&t] {
           if (t.processCount < 2) return false;
           RunState.CopyAbortRequested = true;
           return true;
         });
       },
       240, 7, DstState::OldKeptIfAny, nullptr},
      {"date cannot be set",
       [](FakePlatform& f, HeadlessToolkit&) { f.FailSetDate(Partial, 5); }, 5, 6,
       DstState::OldKeptIfAny, nullptr},
  };

  for (const OutcomeCase& c : cases) {
    SCOPED_TRACE(c.name);
    fs.ClearFaults();
    tk.dialogs.clear();
    tk.actions.clear();
    tk.processCount = 0;
    tk.answers = {ModalAbort};
    fs.Drive('D') = FakeDrive{};
    MakeSource(150000);
    MakeOldDestination(AttrReadOnly | AttrHidden);
    const size_t beepsBefore = fs.Beeps().size();
    c.arrange(fs, tk);

    const Outcome out = Copy();
    EXPECT_EQ(out.error, c.error);
    EXPECT_EQ(out.result, c.result);

    if (c.dialogText) {
      ASSERT_EQ(tk.dialogs.size(), 1u);
      EXPECT_EQ(tk.dialogs[0].text, c.dialogText(fs));
      EXPECT_EQ(tk.dialogs[0].buttons, c.buttons);
      EXPECT_EQ(tk.dialogs[0].type, DialogType::Error);
      EXPECT_EQ(tk.dialogs[0].helpContext, 0);
      ASSERT_EQ(fs.Beeps().size(), beepsBefore + 1);
      EXPECT_EQ(fs.Beeps().back(), BeepKind::Exclamation);
      EXPECT_EQ(out.answer, ModalAbort);
    } else {
      EXPECT_TRUE(tk.dialogs.empty());
      EXPECT_EQ(fs.Beeps().size(), beepsBefore);
      EXPECT_EQ(out.answer, c.result == 7 ? ModalAbort : ModalOk);
    }

    switch (c.dst) {
      case DstState::Copied:
        ExpectCopied();
        break;
      case DstState::OldUntouched:
        ExpectOldDestinationKept();
        EXPECT_EQ(fs.Attributes(Dst), AttrReadOnly | AttrHidden);
        break;
      case DstState::OldKeptIfAny:
        // A failed copy never touches the old destination, not even its
        // attributes.
        if (fs.Exists(Dst)) {
          ExpectOldDestinationKept();
          EXPECT_EQ(fs.Attributes(Dst), AttrReadOnly | AttrHidden);
        } else {
          EXPECT_EQ(c.result, 5) << "only the empty-drive case starts without a destination";
        }
        break;
    }
  }
}

TEST_F(FilesTest, WithoutDialogsFailuresAreReportedSilently) {
  MakeSource(5000);
  MakeOldDestination();
  fs.Drive('D').sectorSize = 3000;
  Outcome out = Copy(Src, Dst, 65536, /*dialogs=*/false);
  EXPECT_EQ(out.result, 1);

  fs.Drive('D').sectorSize = 512;
  fs.Drive('D').freeBytes = 10;
  out = Copy(Src, Dst, 65536, false);
  EXPECT_EQ(out.result, 4);

  fs.Drive('D').freeBytes.reset();
  fs.FailOpen(Partial, 5);
  out = Copy(Src, Dst, 65536, false);
  EXPECT_EQ(out.result, 99);
  EXPECT_EQ(out.error, 5);

  EXPECT_TRUE(tk.dialogs.empty());
  EXPECT_TRUE(fs.Beeps().empty());
  ExpectOldDestinationKept();
}

TEST_F(FilesTest, RetryOpensThePartialCopyAgainUntilAnotherAnswer) {
  MakeSource(100);
  MakeOldDestination(AttrReadOnly);
  fs.FailOpen(Partial, 32);
  tk.answers = {ModalRetry, ModalRetry, ModalIgnore};
  const Outcome out = Copy();
  EXPECT_EQ(tk.dialogs.size(), 3u);
  EXPECT_EQ(out.answer, ModalIgnore);
  EXPECT_EQ(out.result, 99);
  EXPECT_EQ(out.error, 32);
  ExpectOldDestinationKept();
  EXPECT_EQ(fs.Attributes(Dst), AttrReadOnly);
}

// ---------------------------------------------------------------------------
// Sizes, sector padding and trimming.

TEST_F(FilesTest, FilesOfEverySizeArriveWholeWithTheSourcesDate) {
  struct SizeCase {
    size_t size;
    uint32_t sector;
    uint32_t bufferSize;
  };
  const SizeCase cases[] = {
      {0, 512, 65536},      {1, 512, 65536},     {1000, 512, 65536},   {1024, 512, 65536},
      {65536, 512, 65536},  {65537, 512, 65536}, {300001, 512, 65536}, {5000, 4096, 65536},
      {65535, 4096, 65536}, {10001, 512, 2048},  {8192, 2048, 2048},
  };
  for (const SizeCase& c : cases) {
    SCOPED_TRACE("size " + std::to_string(c.size) + ", sector " + std::to_string(c.sector) +
                 ", buffer " + std::to_string(c.bufferSize));
    fs.Drive('D').sectorSize = c.sector;
    MakeSource(c.size);
    MakeOldDestination();
    tk.hourglassCount = 0;
    const Outcome out = Copy(Src, Dst, c.bufferSize);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.error, 0);
    ASSERT_EQ(fs.Content(Dst).size(), c.size);
    ExpectCopied();
    // The hourglass shows once a full block is done, and the
    // cursor is the default one again afterwards.
    EXPECT_EQ(tk.hourglassCount > 0, c.size >= c.bufferSize);
    EXPECT_EQ(tk.cursor, CursorKind::Default);
  }
}

TEST_F(FilesTest, AFailedTrimFailsTheCopyInsteadOfLeavingItTooLong) {
  MakeSource(65536 + 1000);
  MakeOldDestination();
  // The partial copy is open while messages are processed between the
  // blocks; from then on it cannot be opened again, so the trim cannot
  // reopen it.
  tk.actions.push_back([&] {
    fs.FailOpen(Partial, 33);
    return true;
  });
  const Outcome out = Copy();
  EXPECT_EQ(out.error, 33);
  EXPECT_EQ(out.result, 99);
  ExpectOldDestinationKept();
}

TEST_F(FilesTest, WithoutVerificationNothingIsReadBack) {
  MakeSource(70000);
  fs.CorruptReadBack(Partial);
  const Outcome out = Copy(Src, Dst, 65536, true, /*verify=*/false);
  EXPECT_EQ(out.result, 0);
  ExpectCopied();
}

TEST_F(FilesTest, SectorSizesFromArgumentsOrDrivesOrTheFallback) {
  MakeSource(100);
  MakeOldDestination();
  tk.answers = {ModalAbort, ModalAbort, ModalAbort};

  // Given sector sizes take precedence over the drives'.
  Outcome out = Copy(Src, Dst, 2048, true, true, /*dstSector=*/4096, /*srcSector=*/0);
  EXPECT_EQ(out.result, 1);
  ASSERT_EQ(tk.dialogs.size(), 1u);
  EXPECT_NE(tk.dialogs.back().text.find("SrcSectorSize=512\rDstSectorSize=4096"),
            std::string::npos);

  // A drive that cannot tell its sector size counts as 2048.
  fs.Drive('D').sectorSize = 0;
  fs.Drive('C').sectorSize = 3000;
  out = Copy();
  EXPECT_EQ(out.result, 1);
  EXPECT_NE(tk.dialogs.back().text.find("SrcSectorSize=3000\rDstSectorSize=2048"),
            std::string::npos);

  // Buffer sizes outside 2048..65536.
  fs.Drive('C').sectorSize = 512;
  fs.Drive('D').sectorSize = 512;
  EXPECT_EQ(Copy(Src, Dst, 1536).result, 1);
  EXPECT_EQ(Copy(Src, Dst, 65536 + 512, false).result, 1);
  ExpectOldDestinationKept();

  fs.Drive('D').sectorSize = 0;
  EXPECT_EQ(Copy(Src, Dst, 2048).result, 0);
  ExpectCopied();
}

// ---------------------------------------------------------------------------
// The partial copy and the old destination.

TEST_F(FilesTest, AReadOnlyHiddenDestinationIsReplacedAndGetsTheSourcesAttributes) {
  MakeSource(3000, AttrReadOnly | AttrArchive);
  MakeOldDestination(AttrReadOnly | AttrHidden | AttrSystem);
  const Outcome out = Copy();
  EXPECT_EQ(out.result, 0);
  ExpectCopied();
  EXPECT_EQ(fs.Attributes(Dst), AttrReadOnly | AttrArchive);
}

TEST_F(FilesTest, APartialCopyLeftByAnInterruptedRunIsOverwritten) {
  MakeSource(3000);
  fs.MakeFile(Partial, "left over", OldDate, AttrReadOnly | AttrHidden);
  EXPECT_EQ(Copy().result, 0);
  ExpectCopied();
}

TEST_F(FilesTest, TheOldDestinationIsRemovedFirstOnlyWhenTheCopyFitsWithoutIt) {
  // free = total - used; the old destination's space is counted as free.
  fs.Drive('D').totalBytes = 10000;
  fs.MakeFile(Dst, std::string(6000, 'o'), OldDate);
  MakeSource(7000);  // 4000 free < 7000 <= 4000 + 6000
  Outcome out = Copy();
  EXPECT_EQ(out.result, 0);
  ExpectCopied();

  // When it fits beside the old destination, that stays until the rename
  // (seen between the blocks).
  fs.Drive('D').totalBytes = 100000;
  fs.MakeFile(Dst, std::string(6000, 'o'), OldDate);
  MakeSource(70000);
  bool oldPresentDuringCopy = false;
  tk.actions.push_back([&] {
    oldPresentDuringCopy = fs.Exists(Dst);
    return true;
  });
  out = Copy();
  EXPECT_EQ(out.result, 0);
  EXPECT_TRUE(oldPresentDuringCopy);
  ExpectCopied();

  // A drive filled up by the old destination is not "full" for its
  // replacement.
  fs.Drive('D').totalBytes = 6000;
  fs.MakeFile(Dst, std::string(6000, 'o'), OldDate);
  MakeSource(5000);
  out = Copy();
  EXPECT_EQ(out.result, 0);
  ExpectCopied();

  // Not even without it: 112, the old destination is kept.
  fs.Drive('D').totalBytes = 10000;
  fs.MakeFile(Dst, std::string(2000, 'o'), OldDate);
  MakeSource(12000);
  tk.answers = {ModalIgnore};
  out = Copy();
  EXPECT_EQ(out.result, 4);
  EXPECT_EQ(out.answer, ModalIgnore);
  EXPECT_EQ(fs.Content(Dst), std::string(2000, 'o'));
}

TEST_F(FilesTest, AFailedRenameFailsTheCopyAndRemovesThePartialCopy) {
  MakeSource(3000);
  fs.MakeDir(Dst);  // a directory where the file should go cannot be replaced
  const Outcome out = Copy();
  EXPECT_NE(out.error, 0);
  EXPECT_EQ(out.result, CopyResultFromWinError(static_cast<uint32_t>(out.error)));
  EXPECT_TRUE(fs.IsDir(Dst));
}

TEST_F(FilesTest, AFileNamedLikeThePartialCopyUsesTheOtherName) {
  const std::string dst = "D:\\dst\\~Plovik-Partial.TMP";
  EXPECT_EQ(PartialCopyPath(dst), "D:\\dst\\~plovik-partial-2.tmp");
  EXPECT_EQ(PartialCopyPath("D:\\a.txt"), "D:\\~plovik-partial.tmp");
  EXPECT_EQ(PartialCopyPath("\\\\srv\\share\\x\\a.txt"), "\\\\srv\\share\\x\\~plovik-partial.tmp");

  MakeSource(700);
  const Outcome out = Copy(Src, dst);
  EXPECT_EQ(out.result, 0);
  ExpectSameContent(fs.Content(dst), fs.Content(Src));
  EXPECT_FALSE(fs.Exists("D:\\dst\\~plovik-partial-2.tmp"));
}

TEST_F(FilesTest, AnAbortRequestedBeforeTheCopyStartsIsForgotten) {
  MakeSource(200000);
  RunState.CopyAbortRequested = true;
  const Outcome out = Copy();
  EXPECT_EQ(out.result, 0);
  ExpectCopied();
  EXPECT_GT(tk.hourglassCount, 0);
}

TEST_F(FilesTest, AbortBetweenBlocksStopsAtOnce) {
  MakeSource(10 * 65536);
  MakeOldDestination();
  int blocksSeen = 0;
  tk.actions.push_back([&] {
    ++blocksSeen;
    if (blocksSeen < 4) return false;
    RunState.CopyAbortRequested = true;
    return true;
  });
  const Outcome out = Copy();
  EXPECT_EQ(blocksSeen, 4);
  EXPECT_EQ(out.error, 240);
  EXPECT_EQ(out.result, 7);
  EXPECT_EQ(out.answer, ModalAbort);
  ExpectOldDestinationKept();
}

// ---------------------------------------------------------------------------
// Dates, the plain copy and the texts of the outcomes.

TEST_F(FilesTest, CopyFileDateNeedsBothFilesAndASettableDate) {
  fs.MakeFile("C:\\a", "a", SourceDate);
  fs.MakeFile("C:\\b", "b", OldDate);
  EXPECT_TRUE(CopyFileDate("C:\\a", "C:\\b"));
  EXPECT_EQ(fs.Date("C:\\b"), SourceDate);

  EXPECT_FALSE(CopyFileDate("C:\\missing", "C:\\b"));
  EXPECT_FALSE(CopyFileDate("C:\\a", "C:\\missing"));
  EXPECT_FALSE(fs.Exists("C:\\missing"));

  fs.SetDate("C:\\b", OldDate);
  fs.FailSetDate("C:\\b", 5);
  EXPECT_FALSE(CopyFileDate("C:\\a", "C:\\b"));
  EXPECT_EQ(fs.Date("C:\\b"), OldDate);
  EXPECT_EQ(fs.OpenFiles(), 0);
}

TEST_F(FilesTest, ThePlainCopyGoesThroughThePartialCopyWithoutTheSystemCopy) {
  MakeSource(3 << 20, AttrArchive | AttrReadOnly | AttrHidden);
  MakeOldDestination(AttrReadOnly);
  EXPECT_EQ(CopyFilePlain(Src, Dst).Error(), 0u);
  EXPECT_EQ(fs.SystemCopies(), 0);
  ExpectCopied();
  EXPECT_FALSE(fs.Exists(Partial));
  EXPECT_EQ(fs.OpenFiles(), 0);

  // A leftover of an interrupted run, read-only and hidden, is overwritten.
  MakeOldDestination();
  fs.MakeFile(Partial, "left over", OldDate, AttrReadOnly | AttrHidden);
  EXPECT_EQ(CopyFilePlain(Src, Dst).Error(), 0u);
  ExpectCopied();
  EXPECT_FALSE(fs.Exists(Partial));
}

// Every failure keeps the old destination whole and leaves no partial copy.
TEST_F(FilesTest, ThePlainCopyFailsWithoutTouchingTheOldDestination) {
  struct Case {
    const char* name;
    std::function<void()> fault;
    uint32_t error;
  };
  const std::vector<Case> cases = {
      {"source locked", [&] { fs.LockFile(Src); }, ErrorSharingViolation},
      {"read fault after two blocks", [&] { fs.FailRead(Src, 2 << 20, 1117); }, 1117},
      {"write fault", [&] { fs.FailWrite(Partial, 1 << 20, ErrorWriteFault); }, ErrorWriteFault},
      {"partial cannot be created", [&] { fs.FailOpen(Partial, ErrorAccessDenied); },
       ErrorAccessDenied},
      {"date refused", [&] { fs.FailSetDate(Partial, ErrorAccessDenied); }, ErrorAccessDenied},
      // Found before the copy: another program holds the destination open.
      {"destination held open", [&] { fs.LockFile(Dst); }, ErrorSharingViolation},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs.ClearFaults();
    MakeSource((2 << 20) + 100);
    MakeOldDestination();
    c.fault();
    EXPECT_EQ(CopyFilePlain(Src, Dst).Error(), c.error);
    fs.ClearFaults();
    ExpectOldDestinationKept();
    EXPECT_FALSE(fs.Exists(Partial));
    EXPECT_EQ(fs.OpenFiles(), 0);
  }

  // A directory in the way: the rename fails, the partial copy goes.
  ASSERT_TRUE(fs.RemoveFile(Dst));
  fs.MakeDir(Dst);
  EXPECT_NE(CopyFilePlain(Src, Dst).Error(), 0u);
  EXPECT_TRUE(fs.IsDir(Dst));
  EXPECT_FALSE(fs.Exists(Partial));
}

TEST_F(FilesTest, ASourceWithNamedStreamsGoesThroughTheSystemCopy) {
  MakeSource(5000, AttrArchive | AttrReadOnly);
  fs.MarkNamedStreams(Src);
  MakeOldDestination(AttrReadOnly);
  EXPECT_EQ(CopyFilePlain(Src, Dst).Error(), 0u);
  EXPECT_EQ(fs.SystemCopies(), 1);
  ExpectCopied();
  EXPECT_FALSE(fs.Exists(Partial));

  MakeOldDestination();
  fs.FailSystemCopy(Src, 1117);
  EXPECT_EQ(CopyFilePlain(Src, Dst).Error(), 1117u);
  ExpectOldDestinationKept();
  EXPECT_FALSE(fs.Exists(Partial));
  EXPECT_EQ(fs.OpenFiles(), 0);
}

// What the walk's search saw stands in for the source's own answers: a
// source changed since then gets the earlier date, so the next run copies it
// again.
TEST_F(FilesTest, BothCopiesTakeTheStampTheSearchDeliveredWhenGiven) {
  constexpr int32_t SearchDate = 0x50A75000;  // 2020-05-07 10:00:00, before SourceDate
  MakeSource(5000, AttrArchive);
  fs.MarkNamedStreams(Src);
  CopyHints hints;
  hints.sourceStamp.lastWrite = FakeFileTime(SearchDate);
  hints.sourceStamp.attributes = AttrArchive | AttrHidden;
  hints.streamsPossible = false;
  EXPECT_EQ(CopyFilePlain(Src, Dst, hints).Error(), 0u);
  EXPECT_EQ(fs.SystemCopies(), 0);
  EXPECT_EQ(fs.NamedStreamQueries(), 0);
  ExpectSameContent(fs.Content(Dst), fs.Content(Src));
  EXPECT_EQ(fs.Date(Dst), SearchDate);
  EXPECT_EQ(fs.Attributes(Dst), uint32_t(AttrArchive | AttrHidden));

  // Without a stamp the source's handle tells; streams are looked for.
  ASSERT_TRUE(fs.RemoveFile(Dst));
  EXPECT_EQ(CopyFilePlain(Src, Dst, CopyHints{}).Error(), 0u);
  EXPECT_EQ(fs.SystemCopies(), 1);
  ExpectCopied();

  ASSERT_TRUE(fs.RemoveFile(Dst));
  hints.sourceDate = SearchDate;
  EXPECT_EQ(CopyFileVerified(Src, Dst, {}, hints, &host).result, CopyOk);
  ExpectSameContent(fs.Content(Dst), fs.Content(Src));
  EXPECT_EQ(fs.Date(Dst), SearchDate);
  EXPECT_EQ(fs.Attributes(Dst), uint32_t(AttrArchive | AttrHidden));
}

// The size the search delivered serves the space check and the progress
// only: a source that grew or shrank since is copied as it is now, to its
// last byte and not beyond, whether its end falls inside a sector or on a
// block's border.
TEST_F(FilesTest, ASourceWhoseSizeChangedSinceTheSearchIsCopiedAsItIsNow) {
  for (const size_t actual : {size_t(1000), size_t(65536), size_t(65536 + 700), size_t(3 * 65536)}) {
    for (const int64_t searched : {int64_t(0), int64_t(512), int64_t(actual) * 2}) {
      SCOPED_TRACE(std::to_string(actual) + " bytes, searched " + std::to_string(searched));
      MakeSource(actual);
      CopyHints hints;
      hints.sourceSize = searched;
      (void)fs.RemoveFile(Dst);
      EXPECT_EQ(CopyFileVerified(Src, Dst, {}, hints, &host).result, CopyOk);
      EXPECT_EQ(fs.Content(Dst), fs.Content(Src));
      (void)fs.RemoveFile(Dst);
      EXPECT_EQ(CopyFilePlain(Src, Dst, hints, &host).Error(), 0u);
      EXPECT_EQ(fs.Content(Dst), fs.Content(Src));
    }
  }
}

TEST_F(FilesTest, ThePlainCopyMakesRoomByRemovingTheOldDestinationOnlyWhenNeeded) {
  fs.Drive('D').totalBytes = 10000;
  fs.MakeFile(Dst, std::string(6000, 'o'), OldDate);
  MakeSource(7000);
  EXPECT_EQ(CopyFilePlain(Src, Dst).Error(), 0u);
  ExpectSameContent(fs.Content(Dst), fs.Content(Src));

  fs.MakeFile(Dst, std::string(1000, 'o'), OldDate);
  MakeSource(10500);
  EXPECT_NE(CopyFilePlain(Src, Dst).Error(), 0u);
  EXPECT_EQ(fs.Content(Dst), std::string(1000, 'o'));
  EXPECT_FALSE(fs.Exists(Partial));
}

TEST_F(FilesTest, ResultTextsFollowTheLanguageAndQuoteLetterAndCode) {
  LanguageIndex = 0;
  EXPECT_EQ(CopyResultText(4, 'E', 0), "Not enough free space on drive  E:");
  EXPECT_EQ(CopyResultText(5, 'E', 0), "Destination drive  E:  is full.");
  EXPECT_EQ(CopyResultText(99, 'E', 1117), "Mysterious Windows error  (error code=1117)");
  EXPECT_EQ(CopyResultText(6, 'E', 5),
            "Access denied (destination drive or directory is write protectetd).");
  EXPECT_EQ(CopyResultText(0, 'E', 0), "");
  LanguageIndex = 1;
  EXPECT_EQ(CopyResultText(4, 'E', 0),
            "Nicht gen\xC3\xBCgend freier Speicherplatz auf dem Laufwerk E:");
  EXPECT_EQ(CopyResultText(5, 'E', 0), "Das Ziellaufwerk E: ist voll.");
  EXPECT_EQ(CopyResultText(99, 'E', 1117), "Mysteri\xC3\xB6ser Windows-Fehler  (Fehlercode=1117)");
  EXPECT_EQ(CopyResultText(7, 'E', 240),
            "COPY durch den Benutzer abgebrochen (Zieldatei gel\xC3\xB6scht)");
  for (int32_t result : {1, 2, 3, 6}) {
    LanguageIndex = 0;
    const std::string english = CopyResultText(result, 'E', 0);
    LanguageIndex = 1;
    EXPECT_NE(CopyResultText(result, 'E', 0), english) << result;
  }
}

}  // namespace
}  // namespace plovik::test

namespace plovik::test {
namespace {

// What the walk already knows stands in for the copy's own queries: a free
// space that is known to be short still stops the copy, and a known old size
// counts as free room.
TEST_F(FilesTest, KnownFreeSpaceAndOldSizeStandInForTheDrivesAnswers) {
  MakeSource(1000);
  CopyHints hints;
  hints.dstFreeBytes = 999;
  hints.destination = DestinationState::Missing;
  tk.answers = {ModalIgnore};
  CopyOutcome out = CopyFileVerified(Src, Dst, {}, hints, &host);
  EXPECT_EQ(out.error, 112);
  EXPECT_EQ(out.result, CopyNoSpace);
  EXPECT_FALSE(fs.Exists(Dst));

  MakeOldDestination();
  hints.destination = DestinationState::Present;
  hints.dstOldSize = 1;  // 999 free + 1 byte of the old copy: just enough
  out = CopyFileVerified(Src, Dst, {}, hints, &host);
  EXPECT_EQ(out.result, CopyOk);
  ExpectCopied();
}

}  // namespace
}  // namespace plovik::test
