// The INI text model and the whole-file text writing the settings file and
// the logs rely on.
#include <gtest/gtest.h>

#include <string>

#include "core/TextFiles.h"
#include "lib/IniFile.h"
#include "support/FakePlatform.h"

namespace plovik {
namespace {

TEST(IniFileTest, ReadsTrimmedKeysCaseInsensitivelyAndDropsWhatIsNoKey) {
  const IniFile ini(
      "Orphan=1\r\n"
      "  [ General ]  \r\n"
      "; a comment\r\n"
      "\tKeepTime = 250 \t\n"
      "no key here\n"
      "Path=C:\\a=b\r"
      "[fonts]\r\n"
      "MemoFontName=Lucida Console\r\n"
      "[GENERAL]\r\n"
      "Language=1\r\n");
  EXPECT_EQ(ini.ReadInteger("general", "keeptime", 5), 250);
  EXPECT_EQ(ini.ReadString("GENERAL", "PATH", ""), "C:\\a=b");
  EXPECT_EQ(ini.ReadString("Fonts", "memofontname", ""), "Lucida Console");
  EXPECT_EQ(ini.ReadInteger("General", "Language", 0), 1);  // a section opened twice is one
  EXPECT_FALSE(ini.HasKey("General", "Orphan"));
  EXPECT_FALSE(ini.HasKey("General", "no key here"));
  EXPECT_EQ(ini.ReadString("Missing", "Key", "default"), "default");
}

TEST(IniFileTest, IntegersAreDecimalOrHexAndAnythingElseGivesTheDefault) {
  EXPECT_EQ(ParseIniInteger("-17"), -17);
  EXPECT_EQ(ParseIniInteger("$1F"), 31);
  EXPECT_EQ(ParseIniInteger("0x10"), 16);
  EXPECT_EQ(ParseIniInteger("0X0"), 0);
  EXPECT_EQ(ParseIniInteger("$FFFFFFFF"), -1);
  EXPECT_EQ(ParseIniInteger("2147483647"), 2147483647);
  EXPECT_EQ(ParseIniInteger("-2147483648"), INT32_MIN);
  for (const char* bad : {"", "yes", "2147483648", "$", "0x", "12a", "$123456789", " 1", "--1"}) {
    EXPECT_EQ(ParseIniInteger(bad), std::nullopt) << bad;
  }
  const IniFile ini("[General]\r\nCopySubDirectories=yes\r\nVerifyCopies=0x0\r\nDryRunOnly=-2\r\n");
  EXPECT_TRUE(ini.ReadBool("General", "CopySubDirectories", true));
  EXPECT_FALSE(ini.ReadBool("General", "CopySubDirectories", false));
  EXPECT_FALSE(ini.ReadBool("General", "VerifyCopies", true));
  EXPECT_TRUE(ini.ReadBool("General", "DryRunOnly", false));
}

TEST(IniFileTest, WritingKeepsPlacesAddsAtTheEndsAndDropsComments) {
  IniFile ini(
      "; written by hand\r\n"
      "[FormMain]\r\nLeft=3\r\n"
      "[general]\r\nlanguage=0\r\n; old\r\nSaveSettings=1\r\n");
  ini.WriteBool("General", "SaveSettings", false);
  ini.WriteInteger("General", "Language", 1);
  ini.WriteString("General", "MaxIgnoreFileSpec", "*.BAK");
  ini.WriteInteger("FormMain", "Top", -4);
  ini.WriteString("Directories", "SrcPath", "C:\\Data");
  EXPECT_EQ(ini.Text(),
            "[FormMain]\r\nLeft=3\r\nTop=-4\r\n\r\n"
            "[general]\r\nlanguage=1\r\nSaveSettings=0\r\nMaxIgnoreFileSpec=*.BAK\r\n\r\n"
            "[Directories]\r\nSrcPath=C:\\Data\r\n\r\n");
  EXPECT_EQ(IniFile(ini.Text()).Text(), ini.Text());
}

class TextFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallPlatform(&fs);
    fs.MakeDir("C:\\Logs");
  }
  void TearDown() override { InstallPlatform(nullptr); }
  test::FakePlatform fs;
};

TEST_F(TextFilesTest, WritesAnsiWhenEveryCharacterFitsElseUtf8WithAMarkAndReadsBoth) {
  ASSERT_TRUE(WriteLinesWhole("C:\\Logs\\a.txt", {"Größe", "", "x"}));
  EXPECT_EQ(fs.Content("C:\\Logs\\a.txt"), "Gr\xF6\xDF" "e\r\n\r\nx\r\n");
  EXPECT_EQ(*ReadTextFile("C:\\Logs\\a.txt"), "Größe\r\n\r\nx\r\n");

  ASSERT_TRUE(WriteTextFileWhole("C:\\Logs\\b.txt", "Größe Ω"));
  EXPECT_EQ(fs.Content("C:\\Logs\\b.txt"), "\xEF\xBB\xBFGröße Ω");
  EXPECT_EQ(*ReadTextFile("C:\\Logs\\b.txt"), "Größe Ω");
  EXPECT_EQ(ReadTextFile("C:\\Logs\\none.txt").Error(), 2u);
}

TEST_F(TextFilesTest, AFailedWriteLeavesTheOldFileAndNoTemporaryOne) {
  fs.MakeFile("C:\\Logs\\a.txt", "old");
  fs.FailWrite(TemporaryNameFor("C:\\Logs\\a.txt"), 3, 112);
  EXPECT_EQ(WriteTextFileWhole("C:\\Logs\\a.txt", "new and longer").Error(), 112u);
  EXPECT_EQ(fs.Content("C:\\Logs\\a.txt"), "old");
  EXPECT_EQ(fs.List("C:\\Logs"), std::vector<std::string>{"a.txt"});
  EXPECT_EQ(WriteTextFileWhole("C:\\Missing\\a.txt", "x").Error(), 3u);
}

}  // namespace
}  // namespace plovik
