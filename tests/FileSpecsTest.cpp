#include "engine/FileSpecs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ProgramTest.h"

namespace plovik {
namespace {

struct MatchCase {
  std::string name;
  std::string spec;
  bool expected;
};

// Letter case is the platform's: the matcher runs over the fake one.
class FileSpecsMatch : public test::ProgramTest {};

TEST_F(FileSpecsMatch, NamesAgainstSpecifications) {
  const std::string longBase(300, 'A');
  const std::string longExtension(200, 'X');
  const std::vector<MatchCase> cases = {
      {"BACKUP.BAK", "*.BAK", true},
      {"backup.bak", "*.BAK", true},
      {"BACKUP.BAKE", "*.BAK", false},
      {"~WRL0001.TMP", "~*.*", true},
      {"A~B.TMP", "~*.*", false},
      {"FILE.~DO", "*.~*", true},
      {"TEST.$$$", "*.$$$", true},
      {"MAKEFILE", "*.*", true},
      {"MAKEFILE", "*", true},
      {"MAKE.LOG", "*", false},
      {"DATA1.TXT", "DATA?.TXT", true},
      {"DATA12.TXT", "DATA?.TXT", false},
      {"AB.TXT", "ABCD*.TXT", true},
      {"ÄRGER.DOC", "ä*.doc", true},
      // A star matches nothing too; what follows it is not looked at.
      {"~.TMP", "~*.TMP", true},
      {"~LONGER.TMP", "~*X.TMP", true},
      // Without a star the lengths must agree.
      {"TEST.$$$$", "*.$$$", false},
      {"AB.TXT", "ABCD.TXT", false},
      // Names without extension.
      {"README", "README.", true},
      {"README", "README.*", true},
      {"README", "README.TXT", false},
      {"README.TXT", "*", false},
      // Blanks around a part do not count.
      {"BACKUP.BAK", " *.BAK", true},
      {"BACKUP.BAK", "*.BAK ", true},
      // Characters, not bytes: an umlaut is one character for "?" and for
      // the length comparison.
      {"ÄBC.TXT", "?BC.TXT", true},
      {"ÄBC.TXT", "??BC.TXT", false},
      {"DATEI.ÜÖ", "DATEI.??", true},
      {"DATEI.ÜÖ", "DATEI.???", false},
      {"öl.txt", "ÖL.TXT", true},
      {"OL.TXT", "ÖL.TXT", false},
      // Name parts of any length.
      {(longBase + ".TXT"), (longBase + ".TXT"), true},
      {(longBase + "B.TXT"), (longBase + "?.TXT"), true},
      {(longBase + ".TXT"), (longBase + "B.TXT"), false},
      {("F." + longExtension), "F.X*", true},
      {("F." + longExtension + "Y"), ("F." + longExtension + "Z"), false},
  };
  for (const MatchCase& c : cases) {
    EXPECT_EQ(MatchFileSpec(c.name, c.spec), c.expected) << c.name << " vs " << c.spec;
  }
}

TEST_F(FileSpecsMatch, ListStopsAtCountAndEmptyListMatchesNothing) {
  SpecList list{};
  list[1] = "*.BAK";
  list[2] = "*.TMP";
  EXPECT_FALSE(MatchSpecList("A.BAK", list, 0));
  EXPECT_TRUE(MatchSpecList("A.BAK", list, 1));
  EXPECT_FALSE(MatchSpecList("A.TMP", list, 1));
  EXPECT_TRUE(MatchSpecList("a.tmp", list, 2));
  EXPECT_FALSE(MatchSpecList("A.DOC", list, 2));
  // A count beyond the list's size is held to the 16 entries it can have.
  list[16] = "*.LAST";
  EXPECT_TRUE(MatchSpecList("X.LAST", list, 200));
}

TEST(FileSpecsValid, SpecificationsEqualToTheirExtensionAreInvalid) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {".", false},        {".TXT", false},  {"", false},     {"*.TXT", true},
      {"*", true},         {"A.B.C", true},  {"NAME.", true}, {"..TXT", true},
      {"DIR\\.TXT", true}, {"C:.TXT", true},
  };
  for (const auto& [spec, valid] : cases) EXPECT_EQ(SpecIsValid(spec), valid) << spec;
}

TEST(FileSpecsSplitName, BaseAndExtension) {
  struct Case {
    const char* path;
    const char* base;
    const char* extension;
  };
  const std::vector<Case> cases = {
      {"REPORT.DOC", "REPORT", ".DOC"},
      {"ARCHIVE.TAR.GZ", "ARCHIVE.TAR", ".GZ"},
      {"README", "README", ""},
      {".PROFILE", "", ".PROFILE"},
      {"NAME.", "NAME", "."},
      {"*", "*", ""},
      {"C:\\DIR.X\\FILE", "FILE", ""},
      {"C:\\DIR\\FILE.TXT", "FILE", ".TXT"},
      {"C:FILE.TXT", "FILE", ".TXT"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    std::string base = "old";
    std::string extension = "old";
    SplitFileName(c.path, base, extension);
    EXPECT_EQ(base, c.base) << c.path;
    EXPECT_EQ(extension, c.extension) << c.path;
  }
}

std::string Entries(int count, const std::string& prefix) {
  std::string text;
  for (int i = 1; i <= count; ++i) {
    if (i > 1) text += ";";
    text += prefix + std::to_string(i);
  }
  return text;
}

class FileSpecsSplitList : public test::ProgramTest {};

TEST_F(FileSpecsSplitList, EmptyEntriesAreDroppedAndTheTextRebuilt) {
  struct Case {
    std::string text;
    std::vector<std::string> entries;
    std::string rebuilt;
  };
  const std::vector<Case> cases = {
      {"*.BAK;;*.TMP;", {"*.BAK", "*.TMP"}, "*.BAK;*.TMP"},
      {";;;*.BAK", {"*.BAK"}, "*.BAK"},
      {"; ;*.a;;", {" ", "*.a"}, " ;*.a"},
      {"*.bak; *.tmp", {"*.bak", " *.tmp"}, "*.bak; *.tmp"},
      {"  \t*.BAK;*.TMP \r\n", {"*.BAK", "*.TMP"}, "*.BAK;*.TMP"},
      {"", {}, ""},
      {" ;; ", {}, ""},
      {"*.*", {"*.*"}, "*.*"},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    SpecList list{};
    list[5] = "stale";
    uint8_t count = 99;
    SplitSpecList(text, ';', list, count);
    ASSERT_EQ(count, c.entries.size()) << c.text;
    for (size_t i = 0; i < c.entries.size(); ++i) EXPECT_EQ(list[i + 1], c.entries[i]) << c.text;
    EXPECT_EQ(list[c.entries.size() + 1], "") << c.text;
    EXPECT_EQ(text, c.rebuilt) << c.text;
  }
}

TEST_F(FileSpecsSplitList, KeepsTheFirstSixteenEntries) {
  for (int total : {16, 17, 20}) {
    std::string text = Entries(total, "*.E");
    SpecList list{};
    uint8_t count = 0;
    SplitSpecList(text, ';', list, count);
    EXPECT_EQ(count, 16) << total;
    EXPECT_EQ(list[1], "*.E1");
    EXPECT_EQ(list[16], "*.E16");
    EXPECT_EQ(text, Entries(16, "*.E")) << total;
  }
}

TEST_F(FileSpecsSplitList, OverLongTextKeepsOnlyWholeEntriesWithinTheLimit) {
  // Ten entries of 30 characters: eight of them with their separators take
  // 247 characters, a ninth would take 278.
  std::vector<std::string> entries;
  std::string text;
  for (int i = 0; i < 10; ++i) {
    entries.push_back("*." + std::string(27, char('A' + i)) + "X");
    text += (i ? ";" : "") + entries.back();
  }
  ASSERT_TRUE(SpecListTooLong(text));
  SpecList list{};
  uint8_t count = 0;
  SplitSpecList(text, ';', list, count);
  EXPECT_EQ(count, 8);
  EXPECT_EQ(list[8], entries[7]);
  EXPECT_EQ(list[9], "");
  EXPECT_EQ(text.size(), 247u);
  EXPECT_FALSE(SpecListTooLong(text));
  // Nothing kept was cut: every kept entry is one of the given ones.
  for (int i = 1; i <= count; ++i) EXPECT_EQ(list[i], entries[i - 1]);
}

TEST_F(FileSpecsSplitList, LimitCountsCharactersNotBytes) {
  // 254 characters, 2 bytes each for the umlauts: within the limit.
  const std::string first = "*." + std::string(120, 'A');  // 122 characters
  std::string second = "*.";
  for (int i = 0; i < 129; ++i) second += "Ä";  // 131 characters
  std::string text = first + ";" + second;
  EXPECT_FALSE(SpecListTooLong(text));
  EXPECT_FALSE(SpecListTooLong("   " + text + "   "));
  SpecList list{};
  uint8_t count = 0;
  SplitSpecList(text, ';', list, count);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(text, first + ";" + second);

  // One character more and the second entry no longer fits.
  std::string longer = first + ";" + second + "Ä";
  EXPECT_TRUE(SpecListTooLong(longer));
  SplitSpecList(longer, ';', list, count);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(longer, first);

  // A single entry longer than the limit leaves nothing.
  std::string single = "*." + std::string(300, 'Z');
  SplitSpecList(single, ';', list, count);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(single, "");
}

TEST_F(FileSpecsSplitList, DebugLinesNameEachKeptEntryOnlyWithDebugFlag) {
  RunOptions.DebugFlag = true;
  std::string text = ";*.BAK;; *.TMP";
  SpecList list{};
  uint8_t count = 0;
  SplitSpecList(text, ';', list, count);
  EXPECT_EQ(ProtocolLines(), (std::vector<std::string>{"1   *.BAK", "2    *.TMP"}));

  // Entries dropped past the 16th get no line.
  memo->Clear();
  std::string many = Entries(18, "*.E");
  SplitSpecList(many, ';', list, count);
  ASSERT_EQ(ProtocolLines().size(), 16u);
  EXPECT_EQ(ProtocolLines().back(), "16   *.E16");

  memo->Clear();
  RunOptions.DebugFlag = false;
  std::string again = "*.BAK;*.TMP";
  SplitSpecList(again, ';', list, count);
  EXPECT_TRUE(ProtocolLines().empty());
}

}  // namespace
}  // namespace plovik
