#include "engine/SkipList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ProgramTest.h"

namespace plovik {
namespace {

class SkipListTest : public test::ProgramTest {
 protected:
  static constexpr const char* Dir = "C:\\SRC\\";
  static constexpr const char* File = "C:\\SRC\\SKIPLIST.INI";

  static std::vector<std::string> EntriesOf(const SkipListEntries& read) {
    return std::vector<std::string>(read.entries.begin() + 1,
                                     read.entries.begin() + 1 + read.count);
  }
  std::vector<std::string> Read(int section, const std::string& dir = Dir) {
    const SkipListEntries read = ReadSkipList(dir, section);
    EXPECT_EQ(read.error, 0u);
    return EntriesOf(read);
  }
  static std::string Numbered(int from, int to) {
    std::string text;
    for (int i = from; i <= to; ++i) text += "F" + std::to_string(i) + ".TXT\r\n";
    return text;
  }
  using Lines = std::vector<std::string>;
};

TEST_F(SkipListTest, LinesOfTheFilesSection) {
  struct Case {
    std::string content;
    Lines expected;
  };
  const std::vector<Case> cases = {
      {"[files]\r\n*.LOG\r\n", {"*.LOG"}},
      {"[FILES]   ; files to leave out\r\n*.LOG\r\n", {"*.LOG"}},
      {"  x [Files] y\r\n*.LOG\r\n", {"*.LOG"}},
      {"[FILES]\r\nnotes.txt ; private\r\n", {"NOTES.TXT"}},
      {"[FILES]\r\n; only a comment\r\nA\r\n", {"A"}},
      {"[FILES]\r\n\r\n   \r\nA\r\n", {"A"}},
      {"[FILES]\r\nA\r\nDATA[1].TXT\r\nB\r\n", {"A"}},
      {"[FILES]\r\nA\r\n[SUBDIRECTORIES]\r\nB\r\n", {"A"}},
      {"[FILES]\r\n\tmy file.txt \r\n", {"MY FILE.TXT"}},
      {"[FILES]\r\närger.doc\r\n", {"ÄRGER.DOC"}},
      // Line ends: LF alone, CR alone, and a last line without one.
      {"[FILES]\nA\nB", {"A", "B"}},
      {"[FILES]\rA\rB\r", {"A", "B"}},
      {"[FILES]\r\nA\r\r\nB", {"A", "B"}},
      {"", {}},
      {"[FILES]", {}},
      {"*.LOG\r\n", {}},
  };
  for (const Case& c : cases) {
    fs.MakeFile(File, c.content);
    EXPECT_EQ(Read(SkipFiles), c.expected) << c.content;
  }
}

TEST_F(SkipListTest, SectionsAreReadSeparately) {
  fs.MakeFile(File,
              "ABOVE.TXT\r\n"
              "[SUBDIRECTORIES]\r\nTemp\r\nOld Stuff\r\n"
              "[FILES]\r\n*.log\r\n"
              "[OTHER]\r\nNOPE\r\n");
  EXPECT_EQ(Read(SkipSubDirectories), (Lines{"TEMP", "OLD STUFF"}));
  EXPECT_EQ(Read(SkipFiles), (Lines{"*.LOG"}));
  EXPECT_EQ(Read(2), Lines{});
  EXPECT_EQ(Read(-1), Lines{});
}

TEST_F(SkipListTest, AtMostSixteenEntries) {
  fs.MakeFile(File, "[FILES]\r\n" + Numbered(1, 20));
  const Lines read = Read(SkipFiles);
  ASSERT_EQ(read.size(), 16u);
  EXPECT_EQ(read.front(), "F1.TXT");
  EXPECT_EQ(read.back(), "F16.TXT");
}

TEST_F(SkipListTest, RepeatedSectionCollectsInFileOrder) {
  fs.MakeFile(File, "[FILES]\r\n" + Numbered(1, 3) + "[SUBDIRECTORIES]\r\nSUB\r\n[FILES]\r\n" +
                        Numbered(4, 6));
  EXPECT_EQ(Read(SkipFiles),
            (Lines{"F1.TXT", "F2.TXT", "F3.TXT", "F4.TXT", "F5.TXT", "F6.TXT"}));
  // A marker right after the section continues it; the limit spans both.
  fs.MakeFile(File, "[FILES]\r\n" + Numbered(1, 10) + "[FILES]\r\n" + Numbered(11, 20));
  const Lines read = Read(SkipFiles);
  ASSERT_EQ(read.size(), 16u);
  EXPECT_EQ(read[10], "F11.TXT");
}

TEST_F(SkipListTest, EntriesAboveTheFirstMarkerAreNotRead) {
  fs.MakeFile(File, "EARLY.TXT\r\n*.BAK\r\n[FILES]\r\nLATE.TXT\r\n");
  EXPECT_EQ(Read(SkipFiles), (Lines{"LATE.TXT"}));
}

TEST_F(SkipListTest, FileIsFoundWhateverItsCaseAndAttributes) {
  const uint32_t attributeSets[] = {AttrArchive, AttrReadOnly, AttrHidden,
                                    AttrSystem | AttrHidden | AttrReadOnly, AttrNormal};
  for (uint32_t attributes : attributeSets) {
    fs.MakeFile(File, "[FILES]\r\nA\r\n", {}, attributes);
    EXPECT_EQ(Read(SkipFiles), (Lines{"A"})) << attributes;
  }
  ASSERT_TRUE(fs.RemoveFile(File));
  fs.MakeFile("C:\\LOWER\\skiplist.ini", "[files]\r\nb\r\n");
  EXPECT_EQ(Read(SkipFiles, "C:\\LOWER\\"), (Lines{"B"}));
}

TEST_F(SkipListTest, DirectoryWithoutTrailingBackslash) {
  fs.MakeFile(File, "[FILES]\r\nA\r\n");
  EXPECT_EQ(Read(SkipFiles, "C:\\SRC"), (Lines{"A"}));
}

TEST_F(SkipListTest, MissingFileOrDirectoryOfThatNameGivesNothing) {
  fs.MakeDir("C:\\SRC");
  EXPECT_EQ(Read(SkipFiles), Lines{});
  fs.MakeDir("C:\\SRC\\SKIPLIST.INI");
  EXPECT_EQ(Read(SkipFiles), Lines{});
  EXPECT_EQ(Read(SkipFiles, "C:\\NOWHERE\\"), Lines{});
  EXPECT_EQ(fs.OpenSearches(), 0);
}

TEST_F(SkipListTest, UnreadableFileReportsItsErrorAndGivesNothing) {
  fs.MakeFile(File, "[FILES]\r\nA\r\n");
  fs.LockFile(File);
  SkipListEntries read = ReadSkipList(Dir, SkipFiles);
  EXPECT_EQ(read.error, uint32_t(ErrorSharingViolation));
  EXPECT_EQ(read.count, 0);

  fs.LockFile(File, false);
  fs.FailRead(File, 0, ErrorReadFault);
  read = ReadSkipList(Dir, SkipFiles);
  EXPECT_EQ(read.error, uint32_t(ErrorReadFault));
  EXPECT_EQ(read.count, 0);

  fs.ClearFaults();
  read = ReadSkipList(Dir, SkipFiles);
  EXPECT_EQ(read.error, 0u);
  EXPECT_EQ(read.count, 1);
  EXPECT_EQ(fs.OpenFiles(), 0);
}

// A search for the file that breaks off before the file came (here after a
// directory of that name) does not mean there is none.
TEST_F(SkipListTest, ASearchThatBreaksOffReportsItsError) {
  fs.MakeDir("C:\\SRC\\SKIPLIST.INI");
  fs.FailSearch("C:\\SRC\\SKIPLIST.INI", 1, ErrorNetNameDeleted);
  const SkipListEntries read = ReadSkipList(Dir, SkipFiles);
  EXPECT_EQ(read.error, uint32_t(ErrorNetNameDeleted));
  EXPECT_EQ(read.count, 0);
  EXPECT_EQ(fs.OpenSearches(), 0);
}

TEST_F(SkipListTest, TextEncodings) {
  struct Case {
    const char* what;
    std::string bytes;
    Lines expected;
  };
  const std::vector<Case> cases = {
      {"windows-1252", "[FILES]\r\n\xE4rger.doc\r\n\x80-Liste.txt\r\n",
       {"ÄRGER.DOC", "€-LISTE.TXT"}},
      {"utf-8", "[FILES]\r\n\xC3\xA4rger.doc\r\n", {"ÄRGER.DOC"}},
      {"utf-8 with mark", "\xEF\xBB\xBF[FILES]\r\n\xC3\xA4rger.doc\r\n", {"ÄRGER.DOC"}},
      {"utf-16", std::string("\xFF\xFE[\0F\0I\0L\0E\0S\0]\0\r\0\n\0\xE4\0.\0t\0x\0t\0", 30),
       {"Ä.TXT"}},
  };
  for (const Case& c : cases) {
    fs.MakeFile(File, c.bytes);
    EXPECT_EQ(Read(SkipFiles), c.expected) << c.what;
  }
}

}  // namespace
}  // namespace plovik
