#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/RunRecords.h"
#include "core/Settings.h"
#include "support/ProgramTest.h"

namespace plovik {
namespace {

using Args = std::vector<std::string>;

const char* const StepThreeBox =
    "CommandLine parameter found after commandLine switch or I/O redirection:\r";
const char* const StepEightBox = "Too many commandLine parameters:\r";
const std::string Program = "C:\\Program Files\\Plovik\\plovik.exe";

class CommandLineTest : public test::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    Settings = TSettings{};
    Settings.StoredSrcPath = "C:\\Stored";
    Settings.StoredDstPath = "D:\\Backup";
    RunOptions.ProgramBaseName = "plovik";
    fs.AddDrive('D');
    fs.MakeDir("C:\\Stored");
    fs.MakeDir("C:\\Src");
    fs.MakeDir("C:\\data");
    srcSpecs->SetItems({"-----", ""});
    ignoreSpecs->SetItems({"-----", Settings.MaxIgnoreFileSpec});
  }

  // Parses the command line of plovik.exe with these arguments, then
  // applies the rule with stored options that differ from every default.
  CommandLineOutcome Parse(const std::string& arguments) {
    fs.SetCommandLine("\"" + Program + "\" " + arguments);
    const CommandLineOutcome outcome =
        ParseCommandLine(CommandLineControls{*srcEdit, *dstEdit, *srcSpecs, *ignoreSpecs});
    ApplyCommandLineRule(outcome, stored);
    return outcome;
  }
  std::vector<std::string> DialogTexts() const {
    std::vector<std::string> texts;
    for (const DialogRecord& d : tk.dialogs) texts.push_back(d.text);
    return texts;
  }
  // The eight stored options, as flags in one text (S E V F I N Q R).
  static std::string OptionFlags() {
    const TRunOptions& o = RunOptions;
    std::string flags;
    for (bool f : {o.SubDirFlag, o.EmptyFlag, o.VerifyFlag, o.IgnoreFileAgeOneHourDiffFlag,
                   o.IgnoreFlag, o.NoUpdateFlag, o.QuietFlag, o.ReportFlag})
      flags += f ? '1' : '0';
    return flags;
  }

  TStoredOptions stored{.SubDirFlag = false,
                        .EmptyFlag = false,
                        .IgnoreFileAgeOneHourDiffFlag = true,
                        .IgnoreFlag = false,
                        .NoUpdateFlag = true,
                        .QuietFlag = true,
                        .ReportFlag = true,
                        .VerifyFlag = false};
  const std::string storedFlags = "00010111";  // `stored` in OptionFlags order
  std::unique_ptr<Edit> srcEdit = tk.CreateEdit(*form);
  std::unique_ptr<Edit> dstEdit = tk.CreateEdit(*form);
  std::unique_ptr<ComboBox> srcSpecs = tk.CreateComboBox(*form);
  std::unique_ptr<ComboBox> ignoreSpecs = tk.CreateComboBox(*form);
};

TEST(CommandLineSplitTest, BlanksAndControlsSeparateAndQuotesGroupWithoutEscape) {
  EXPECT_EQ(SplitCommandLine("  \"C:\\My Dir\\p.exe\"\ta\x01" "b  x\"y z\"w \"\" c\\\"d"),
            (Args{"C:\\My Dir\\p.exe", "a", "b", "xy zw", "c\\d"}));
  EXPECT_EQ(SplitCommandLine("p \"open to the end"), (Args{"p", "open to the end"}));
  EXPECT_EQ(SplitCommandLine(" \xC3\xA4 "), (Args{"\xC3\xA4"}));
  EXPECT_TRUE(SplitCommandLine(" \r\n ").empty());
}

TEST_F(CommandLineTest, WithoutArgumentsEverythingComesFromTheSettings) {
  const CommandLineOutcome outcome = Parse("");
  EXPECT_TRUE(tk.dialogs.empty());
  EXPECT_FALSE(CmdLineGiven);
  EXPECT_EQ(outcome.ParameterCount, 0);
  EXPECT_EQ(RunOptions.SrcPath, "C:\\Stored");
  EXPECT_EQ(RunOptions.DstPath, "D:\\Backup");
  EXPECT_EQ(srcEdit->Text(), "C:\\Stored");
  EXPECT_EQ(srcEdit->SelStart(), 9);
  EXPECT_EQ(OptionFlags(), storedFlags);
  EXPECT_EQ(RunOptions.SrcFileSpecs, "*.*");
  EXPECT_EQ(srcSpecs->Text(), "*.*");
  EXPECT_EQ(RunOptions.IgnoreFileSpecs, Settings.MaxIgnoreFileSpec);

  // A stored source that does not exist keeps the box's default text.
  Settings.StoredSrcPath = "C:\\Gone";
  Parse("");
  EXPECT_EQ(RunOptions.SrcFileSpecs, "");
  EXPECT_EQ(RunOptions.SrcPath, "C:\\Gone");
}

TEST_F(CommandLineTest, PathParametersMakeTheCommandLineDecideEveryOption) {
  Parse("Src");
  EXPECT_TRUE(CmdLineGiven);
  EXPECT_EQ(RunOptions.SrcPath, "C:\\Src");
  EXPECT_EQ(RunOptions.DstPath, "D:\\Backup");
  EXPECT_EQ(OptionFlags(), "01000000");  // "/s" absent: EmptyFlag

  Parse("C:\\Src D:\\Out /A /S /V");
  EXPECT_EQ(RunOptions.DstPath, "D:\\Out");
  EXPECT_EQ(OptionFlags(), "10100000");
  EXPECT_TRUE(RunOptions.AutostartFlag);
  EXPECT_EQ(RunOptions.IgnoreFileSpecs, "");

  Parse("C:\\Src D:\\Out /sv /e/f/n/q/r /l/t /xyz");
  EXPECT_EQ(OptionFlags(), "11010111");
  EXPECT_TRUE(RunOptions.LogFlag && RunOptions.TerminateFlag);
  EXPECT_FALSE(RunOptions.AutostartFlag || RunOptions.DebugFlag);
  EXPECT_EQ(RunOptions.CmdLineSwitches, "/sv/e/f/n/q/r/l/t/xyz");
  EXPECT_TRUE(tk.dialogs.empty());
}

TEST_F(CommandLineTest, IgnoreSpecificationsRunUntilTheNextSlashOrColon) {
  Parse("C:\\Src D:\\Out \"/i:*.tmp;*.bak/v\"");
  EXPECT_EQ(RunOptions.IgnoreFileSpecs, "*.tmp;*.bak");
  EXPECT_EQ(RunOptions.IgnoreFileSpecCount, 2);
  EXPECT_TRUE(RunOptions.IgnoreFlag && RunOptions.VerifyFlag);

  Parse("C:\\Src D:\\Out /I:c:\\temp");
  EXPECT_EQ(RunOptions.IgnoreFileSpecs, "c");
  Parse("C:\\Src D:\\Out /i:*.obj;*.lst /s");
  EXPECT_EQ(RunOptions.IgnoreFileSpecs, "*.obj;*.lst");
  Parse("C:\\Src D:\\Out /i");
  EXPECT_FALSE(RunOptions.IgnoreFlag);
  EXPECT_EQ(ExtractIgnoreSwitchSpecs("/I:\"My *.x\"\t/s"), "\"My *.x\"");
  EXPECT_EQ(ExtractIgnoreSwitchSpecs(std::string(251, 'x') + "/i:*.x"), "*");
  EXPECT_EQ(ExtractIgnoreSwitchSpecs(std::string(252, 'x') + "/i:*.x"), "");
}

TEST_F(CommandLineTest, ASourceThatIsNoDirectoryMayEndInTheSpecification) {
  Parse("C:\\data\\*.txt D:\\Out /a");
  EXPECT_EQ(RunOptions.SrcPath, "C:\\data");
  EXPECT_EQ(RunOptions.SrcFileSpecs, "*.txt");
  EXPECT_EQ(srcSpecs->Text(), "*.txt");
  EXPECT_TRUE(RunOptions.AutostartFlag);

  Parse("C:\\*.a;*.b;*.c;*.d;*.e;*.f;*.g;*.h;*.i;*.j;*.k;*.l;*.m;*.n;*.o;*.p;*.q D:\\Out");
  EXPECT_EQ(RunOptions.SrcPath, "C:\\");
  EXPECT_EQ(RunOptions.SrcFileSpecCount, 16);
  EXPECT_EQ(srcSpecs->Text().substr(srcSpecs->Text().size() - 4), ";*.p");
  EXPECT_TRUE(tk.dialogs.empty());

  // A last component without ".", "*", "?" or ";" is asked about.
  tk.answers = {ModalYes, ModalNo};
  Parse("C:\\nosuchdir D:\\Out /a /t");
  ASSERT_EQ(tk.dialogs.size(), 1u);
  EXPECT_EQ(tk.dialogs[0].text,
            "Source directory  C:\\nosuchdir  not found.\r"
            "Is  nosuchdir  to be considered as a file name specification?");
  EXPECT_EQ(tk.dialogs[0].buttons, ButtonYes | ButtonNo);
  EXPECT_EQ(RunOptions.SrcPath, "C:\\");
  EXPECT_EQ(RunOptions.SrcFileSpecs, "nosuchdir");
  EXPECT_FALSE(RunOptions.AutostartFlag || RunOptions.HelpFlag);
  EXPECT_TRUE(RunOptions.TerminateFlag);

  Parse("C:\\nosuchdir D:\\Out /a /t /s");
  EXPECT_EQ(RunOptions.SrcPath, "C:\\nosuchdir");
  EXPECT_EQ(RunOptions.SrcFileSpecs, "*.*");
  EXPECT_TRUE(RunOptions.ErrorFlag && RunOptions.HelpFlag);
  EXPECT_FALSE(RunOptions.AutostartFlag || RunOptions.TerminateFlag);
  EXPECT_EQ(OptionFlags(), storedFlags);
  EXPECT_EQ(fs.Beeps(), (std::vector<BeepKind>{BeepKind::Question, BeepKind::Question}));
}

TEST_F(CommandLineTest, RedirectionIsToleratedOnlyAsTheLastArgument) {
  Parse("C:\\Src D:\\Out >out.txt");
  EXPECT_TRUE(tk.dialogs.empty());
  EXPECT_TRUE(RunOptions.RedirectionFlag);
  EXPECT_EQ(RunOptions.RedirectionTarget, "out.txt");

  Parse("C:\\Src D:\\Out /s \">> log.txt\"");
  EXPECT_EQ(RunOptions.RedirectionTarget, "log.txt");
  EXPECT_TRUE(tk.dialogs.empty());

  // The file name after a lone ">" is a third parameter.
  const CommandLineOutcome outcome = Parse("C:\\Src D:\\Out > out.txt");
  EXPECT_EQ(outcome.ParameterCount, 3);
  EXPECT_EQ(DialogTexts(),
            Args{std::string(StepEightBox) + (Program + " C:\\Src D:\\Out > out.txt")});
  EXPECT_TRUE(RunOptions.HelpFlag);

  tk.dialogs.clear();
  Parse("C:\\Src >out.txt a b");
  ASSERT_FALSE(tk.dialogs.empty());
  EXPECT_EQ(tk.dialogs[0].text.rfind(StepThreeBox, 0), 0u);
}

TEST_F(CommandLineTest, MalformedCommandLinesOpenTheWindowForInteractiveUse) {
  const CommandLineOutcome outcome = Parse("/s C:\\Src D:\\Out /a");
  ASSERT_EQ(tk.dialogs.size(), 2u);  // the second asks about the source C:\s
  EXPECT_EQ(tk.dialogs[0].text,
            std::string(StepThreeBox) + (Program + " /s C:\\Src D:\\Out /a"));
  EXPECT_EQ(tk.dialogs[0].type, DialogType::Error);
  EXPECT_EQ(tk.dialogs[0].buttons, ButtonOk);
  EXPECT_EQ(outcome.ParameterCount, 2);
  EXPECT_EQ(RunOptions.SrcPath, "C:\\s");  // the switch itself, taken as the source
  EXPECT_TRUE(RunOptions.HelpFlag);
  EXPECT_FALSE(RunOptions.AutostartFlag);
  EXPECT_EQ(OptionFlags(), storedFlags);

  tk.dialogs.clear();
  Parse("/?");
  EXPECT_TRUE(tk.dialogs.empty());
  EXPECT_TRUE(RunOptions.HelpFlag && CmdLineGiven);
  EXPECT_EQ(OptionFlags(), storedFlags);

  Parse("C:\\Src /?");
  EXPECT_EQ(DialogTexts(),
            Args{std::string(StepEightBox) + (Program + " C:\\Src /?")});

  // A switch text beyond 255 characters.
  tk.dialogs.clear();
  Parse("C:\\Src D:\\Out /a/t/" + std::string(252, 'x'));
  EXPECT_EQ(tk.dialogs.size(), 1u);
  EXPECT_FALSE(RunOptions.AutostartFlag || RunOptions.TerminateFlag);

  LanguageIndex = 1;
  tk.dialogs.clear();
  Parse("a b c");
  EXPECT_EQ(tk.dialogs[0].text.rfind("Zu viele Kommandozeilen-Parameter:\r", 0), 0u);
}

TEST_F(CommandLineTest, DebugModeReportsAndForcesReportLines) {
  Parse("C:\\Src D:\\Out /d/q /i:*.x");
  EXPECT_FALSE(RunOptions.QuietFlag);
  EXPECT_TRUE(RunOptions.ReportFlag);
  const Args expected = {"SrcPath=C:\\Src   DirectoryExists=True ",
                        "CmdLineSwitches=/d/q/i:*.x   CharCount=3",
                        "plovik C:\\Src D:\\Out /d/q/i:*.x",
                        "ParameterCount = 2    ParamCount = 4", "C:\\Src< >*.*<"};
  // In this order, among the lines of the specification lists.
  const Args lines = ProtocolLines();
  auto at = lines.begin();
  for (const std::string& line : expected) {
    at = std::find(at, lines.end(), line);
    ASSERT_NE(at, lines.end()) << line;
  }
  EXPECT_EQ(lines.back(), expected.back());
}

}  // namespace
}  // namespace plovik
