#include "run/PathChecks.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/FileSpecs.h"
#include "support/ProgramTest.h"

namespace plovik {
namespace {

class PathChecksTest : public test::ProgramTest {};

TEST_F(PathChecksTest, TypedPathsAreTrimmedExpandedAndLoseOneTrailingBackslash) {
  fs.SetCurrentDirectory("C:\\Work");
  EXPECT_EQ(CleanUpPath(" \t C:\\Data\\.  "), "C:\\Data");
  EXPECT_EQ(CleanUpPath("Data\\Sub\\..\\"), "C:\\Work\\Data");
  EXPECT_EQ(CleanUpPath("\\\\srv\\share\\dir\\"), "\\\\srv\\share\\dir");
  EXPECT_EQ(CleanUpPath("C:/Data/x"), "C:\\Data\\x");
  // Roots and other short texts stay as typed.
  EXPECT_EQ(CleanUpPath(" C:\\ "), "C:\\");
  EXPECT_EQ(CleanUpPath("ab"), "ab");
  EXPECT_EQ(CleanUpPath("C:\\."), "C:\\");
}

TEST_F(PathChecksTest, PathFormRefusalsNameTheFieldAndPutTheCaretOnTheFault) {
  struct Case {
    const char* path;
    PathRole role;
    const char* message;  // empty: accepted
    InputField field;
    int caret;
  };
  const Case cases[] = {
      {"", PathRole::Source, "Source directory not specified.", InputField::EditSrcDir, 0},
      {"", PathRole::Destination, "Destination directory not specified.", InputField::EditDstDir,
       0},
      {"C:\\Data\\.git", PathRole::Source,
       "Source path contains file specification:\rC:\\Data\\.git", InputField::EditSrcDir, 8},
      {"D:\\B\xC3\xA4r\\.x", PathRole::Destination,
       "Destination path contains file specification:\rD:\\B\xC3\xA4r\\.x", InputField::EditDstDir,
       7},
      {"C:\\Da?a\\*", PathRole::Source, "Source path contains wildcard specification:\rC:\\Da?a\\*",
       InputField::EditSrcDir, 9},
      {"C:\\Data?", PathRole::Destination,
       "Destination path contains wildcard specification:\rC:\\Data?", InputField::EditDstDir, 8},
      {"1:", PathRole::Source, "Source directory  1:  names neither a drive nor a network path.",
       InputField::EditSrcDir, 2},
      {"C:\\a\\..\\.b", PathRole::Source, "", InputField::EditSrcDir, 0},
      {"C:\\Data\\.", PathRole::Source, "", InputField::EditSrcDir, 0},
      {"\\\\srv\\share", PathRole::Destination, "", InputField::EditDstDir, 0},
      {"C:\\", PathRole::Source, "", InputField::EditSrcDir, 0},
      {"C:/", PathRole::Destination, "", InputField::EditDstDir, 0},
      // Drive-relative paths (the current directory of a drive, the root of
      // the current drive) name no drive or network path of their own.
      {"C:B", PathRole::Destination,
       "Destination directory  C:B  names neither a drive nor a network path.",
       InputField::EditDstDir, 3},
      {"c:", PathRole::Destination,
       "Destination directory  c:  names neither a drive nor a network path.",
       InputField::EditDstDir, 2},
      {"\\B", PathRole::Destination,
       "Destination directory  \\B  names neither a drive nor a network path.",
       InputField::EditDstDir, 2},
      {"d:x", PathRole::Source, "Source directory  d:x  names neither a drive nor a network path.",
       InputField::EditSrcDir, 3},
      {"\\", PathRole::Source, "Source directory  \\  names neither a drive nor a network path.",
       InputField::EditSrcDir, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const std::optional<InputRefusal> refusal = CheckPathForm(c.path, c.role);
    ASSERT_EQ(refusal.has_value(), *c.message != '\0');
    if (!refusal) continue;
    EXPECT_EQ(refusal->message, c.message);
    EXPECT_EQ(refusal->field, c.field);
    EXPECT_EQ(refusal->caret, c.caret);
  }
  LanguageIndex = 1;
  EXPECT_EQ(CheckPathForm("D:\\*", PathRole::Destination)->message,
            "Der Zielpfad enth\xC3\xA4lt ein Jokerzeichen:\rD:\\*");
  EXPECT_EQ(CheckPathForm("", PathRole::Source)->message, "Quell-Verzeichnis nicht angegeben.");
  EXPECT_EQ(CheckPathForm("C:B", PathRole::Source)->message,
            "Quell-Verzeichnis  C:B  nennt weder ein Laufwerk noch einen Netzwerkpfad.");
}

TEST_F(PathChecksTest, TheFirstSpecificationThatIsOnlyAnExtensionIsRefusedAtItsStart) {
  SpecList list;
  uint8_t count = 0;
  std::string text = "*.txt;BAK;A.B;.BAK;.*";
  SplitSpecList(text, ';', list, count);
  std::optional<InputRefusal> refusal = CheckSpecEntries(list, count, SpecRole::Source);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->message, "Invalid source file specification:  .BAK");
  EXPECT_EQ(refusal->field, InputField::ComboBoxSrcFile);
  EXPECT_EQ(refusal->caret, 14);

  LanguageIndex = 1;
  text = ".";
  SplitSpecList(text, ';', list, count);
  refusal = CheckSpecEntries(list, count, SpecRole::Ignore);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->message, "Ung\xC3\xBCltige Spezifikation der zu ignorierenden Dateien:  .");
  EXPECT_EQ(refusal->field, InputField::ComboBoxIgnFile);
  EXPECT_EQ(refusal->caret, 0);

  text = "*.txt;txt";
  SplitSpecList(text, ';', list, count);
  EXPECT_FALSE(CheckSpecEntries(list, count, SpecRole::Source));
}

// The destination is inside the source when it is the source or lies below
// it, whole names compared: a sibling whose name begins with the source's
// is not inside.
TEST_F(PathChecksTest, ADestinationInsideTheSourceIsFoundInAnySpelling) {
  fs.MakeDir("C:\\Program Files\\Data");
  fs.SetShortName("C:\\Program Files", "PROGRA~1");
  fs.MakeDir("C:\\\xC3\x84rger");
  struct Case {
    const char* src;
    const char* dst;
    bool inside;
  };
  const Case cases[] = {
      {"C:\\Data", "C:\\Data\\Copy", true},
      {"c:\\data", "C:\\DATA\\Copy", true},
      {"C:\\Data", "C:\\Data", true},
      {"C:\\Data", "C:\\Data\\", true},
      {"C:\\", "C:\\Backup", true},  // a drive's root holds the whole drive
      {"c:\\", "C:\\", true},
      {"C:/Data", "C:\\Data\\Copy", true},
      {"C:\\Data", "c:/data/copy", true},
      {"C:\\PROGRA~1\\Data", "C:\\Program Files\\Data\\Backup", true},
      {"C:\\Program Files\\Data", "c:\\progra~1\\DATA\\New\\Deeper", true},
      {"C:\\\xC3\x84rger", "c:\\\xC3\xA4RGER\\x", true},
      {"\\\\server\\share", "\\\\SERVER\\Share\\Backup", true},
      {"\\\\server\\share", "\\\\server\\share", true},
      {"C:\\Data", "C:\\DataCopy", false},
      {"D:\\Data", "D:\\DataBackup\\Data", false},
      {"C:\\Program Files\\Data", "C:\\PROGRA~1\\Data2", false},
      {"\\\\server\\share", "\\\\server\\share2", false},
      {"\\\\server\\share", "\\\\server\\share2\\share", false},
      {"C:\\", "D:\\Backup", false},
      {"C:\\Data", "D:\\Data", false},
      {"C:\\Data\\Copy", "C:\\Data", false},
      {"C:\\Program Files\\Data", "C:\\PROGRA~1\\Dat", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.src) + " -> " + c.dst);
    EXPECT_EQ(DestinationInsideSource(c.src, c.dst), c.inside);
  }
}

TEST_F(PathChecksTest, TheContainmentBoxQuotesBothPathsWithTabs) {
  std::optional<InputRefusal> refusal = CheckContainment("C:\\Data", "c:\\data\\Copy");
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->message, "Destination  \t\tc:\\data\\Copy\rcontained in source  \tC:\\Data");
  EXPECT_EQ(refusal->field, InputField::EditDstDir);
  EXPECT_EQ(refusal->caret, 12);
  LanguageIndex = 1;
  EXPECT_EQ(CheckContainment("C:\\", "C:\\Sicherung")->message,
            "Ziel  \t\tC:\\Sicherung\rin der Quelle  \tC:  enthalten");
  EXPECT_FALSE(CheckContainment("C:\\Data", "D:\\Data"));
}

}  // namespace
}  // namespace plovik
