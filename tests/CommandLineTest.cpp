#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/RunRecords.h"
#include "core/Settings.h"
#include "platform/Platform.h"
#include "support/ProgramTest.h"

namespace plovik {
namespace {

using Args = std::vector<std::string>;

const std::string Program = "C:\\Program Files\\Plovik\\plovik.exe";
const std::string StepThreeBox =
    "CommandLine parameter found after commandLine switch or I/O redirection:\r" + Program;
const std::string StepEightBox = "Too many commandLine parameters:\r" + Program;

class CommandLineTest : public test::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    Settings = TSettings{};
    Settings.StoredSrcPath = "C:\\Stored";
    Settings.StoredDstPath = "D:\\Backup";
    RunOptions.ProgramBaseName = "plovik";
    fs.AddDrive('D');
    for (const char* dir : {"C:\\Stored", "C:\\Src", "C:\\data"}) fs.MakeDir(dir);
    srcSpecs->SetItems({"-----", ""});
    ignoreSpecs->SetItems({"-----", Settings.MaxIgnoreFileSpec});
  }

  // Parses plovik.exe's command line with these arguments, then applies
  // the rule with stored options that differ from every default; returns
  // the eight options as flags in one text (S E V F I N Q R).
  std::string Parse(const std::string& arguments) {
    tk.dialogs.clear();
    fs.SetCommandLine("\"" + Program + "\" " + arguments);
    outcome = ApplyCommandLine(ParseCommandLine(Sys().CommandLine()),
                               CommandLineControls{*srcEdit, *dstEdit, *srcSpecs, *ignoreSpecs});
    ApplyCommandLineRule(outcome, stored);
    const TRunOptions& o = RunOptions;
    std::string flags;
    for (bool f : {o.SubDirFlag, o.EmptyFlag, o.VerifyFlag, o.IgnoreFileAgeOneHourDiffFlag,
                   o.IgnoreFlag, o.NoUpdateFlag, o.QuietFlag, o.ReportFlag})
      flags += f ? '1' : '0';
    return flags;
  }

  TStoredOptions stored{.SubDirFlag = false, .EmptyFlag = false,
                        .IgnoreFileAgeOneHourDiffFlag = true, .IgnoreFlag = false,
                        .NoUpdateFlag = true, .QuietFlag = true, .ReportFlag = true,
                        .VerifyFlag = false};
  const std::string storedFlags = "00010111";
  CommandLineOutcome outcome;
  std::unique_ptr<Edit> srcEdit = tk.CreateEdit(*form);
  std::unique_ptr<Edit> dstEdit = tk.CreateEdit(*form);
  std::unique_ptr<ComboBox> srcSpecs = tk.CreateComboBox(*form);
  std::unique_ptr<ComboBox> ignoreSpecs = tk.CreateComboBox(*form);
};

TEST(CommandLineSplitTest, BlanksAndControlsSeparateAndQuotesGroupWithoutEscape) {
  EXPECT_EQ(SplitCommandLine("  \"C:\\My Dir\\p.exe\"\ta\x01" "b  x\"y z\"w \"\" c\\\"d"),
            (Args{"C:\\My Dir\\p.exe", "a", "b", "xy zw", "c\\d"}));
  EXPECT_EQ(SplitCommandLine("p \"open to the end"), (Args{"p", "open to the end"}));
  EXPECT_TRUE(SplitCommandLine(" \r\n ").empty());
}

// Reading a command line needs nothing but its text.
TEST(CommandLineReadTest, UnattendedStartsAndEndsByItselfUnlessTheLineCannotRun) {
  const CommandLineRequest scheduled = ParseCommandLine("plovik.exe C:\\Src D:\\Out /s/v /U");
  EXPECT_TRUE(scheduled.given.unattended && scheduled.given.autostart && scheduled.given.terminate);
  EXPECT_TRUE(scheduled.given.subDirs && scheduled.given.verify && !scheduled.given.empty);
  EXPECT_EQ(scheduled.source, "C:\\Src");
  EXPECT_EQ(scheduled.destination, "D:\\Out");
  EXPECT_FALSE(scheduled.Malformed());

  // Without paths, with help or with a malformed line nothing starts, but
  // the line still asked for an unattended, automatic run.
  for (const char* line : {"plovik.exe /u", "plovik.exe C:\\Src D:\\Out /u /?",
                           "plovik.exe /u C:\\Src D:\\Out", "plovik.exe a b c /u"}) {
    const CommandLineRequest request = ParseCommandLine(line);
    EXPECT_TRUE(request.given.unattended && request.automaticAsked) << line;
    EXPECT_FALSE(request.given.autostart) << line;
    EXPECT_EQ(request.given.terminate, request.arguments.size() == 1) << line;
  }
  EXPECT_TRUE(ParseCommandLine("plovik.exe /u C:\\Src D:\\Out").parameterAfterSwitch);
  EXPECT_TRUE(ParseCommandLine("plovik.exe a b c /u").tooManyParameters);
}

TEST_F(CommandLineTest, WithoutArgumentsEverythingComesFromTheSettings) {
  EXPECT_EQ(Parse(""), storedFlags);
  EXPECT_TRUE(tk.dialogs.empty());
  EXPECT_FALSE(CmdLineGiven);
  EXPECT_EQ(RunOptions.SrcPath, "C:\\Stored");
  EXPECT_EQ(RunOptions.DstPath, "D:\\Backup");
  EXPECT_EQ(srcEdit->Text(), "C:\\Stored");
  EXPECT_EQ(srcEdit->SelStart(), 9);
  EXPECT_EQ(srcSpecs->Text(), "*.*");
  EXPECT_EQ(RunOptions.IgnoreFileSpecs, Settings.MaxIgnoreFileSpec);
  // A stored source that does not exist keeps the box's default text.
  Settings.StoredSrcPath = "C:\\Gone";
  Parse("");
  EXPECT_EQ(RunOptions.SrcFileSpecs, "");
}

TEST_F(CommandLineTest, PathsAndSwitchesMakeTheCommandLineDecideEveryOption) {
  EXPECT_EQ(Parse("Src"), "01000000");  // without "/s": EmptyFlag
  EXPECT_TRUE(CmdLineGiven);
  EXPECT_EQ(RunOptions.SrcPath, "C:\\Src");
  EXPECT_EQ(RunOptions.DstPath, "D:\\Backup");

  EXPECT_EQ(Parse("C:\\Src D:\\Out /A /S /V"), "10100000");
  EXPECT_EQ(RunOptions.DstPath, "D:\\Out");
  EXPECT_TRUE(RunOptions.AutostartFlag);
  EXPECT_EQ(RunOptions.IgnoreFileSpecs, "");

  EXPECT_EQ(Parse("C:\\Src D:\\Out /sv /e/f/n/q/r /l/t /xyz"), "11010111");
  EXPECT_TRUE(RunOptions.LogFlag && RunOptions.TerminateFlag);
  EXPECT_FALSE(RunOptions.AutostartFlag || RunOptions.DebugFlag);
  EXPECT_EQ(RunOptions.CmdLineSwitches, "/sv/e/f/n/q/r/l/t/xyz");
  EXPECT_EQ(Parse("C:\\Src D:\\Out /d/q"), "01000001");  // debug: report, not quiet
  EXPECT_TRUE(tk.dialogs.empty());
}

TEST_F(CommandLineTest, IgnoreSpecificationsRunUntilTheNextSlashOrColon) {
  Parse("C:\\Src D:\\Out \"/i:*.tmp;*.bak/v\"");
  EXPECT_EQ(RunOptions.IgnoreFileSpecs, "*.tmp;*.bak");
  EXPECT_EQ(RunOptions.IgnoreFileSpecCount, 2);
  EXPECT_TRUE(RunOptions.IgnoreFlag && RunOptions.VerifyFlag);
  Parse("C:\\Src D:\\Out /I:c:\\temp");
  EXPECT_EQ(RunOptions.IgnoreFileSpecs, "c");
  Parse("C:\\Src D:\\Out /i");
  EXPECT_FALSE(RunOptions.IgnoreFlag);
  EXPECT_EQ(ExtractIgnoreSwitchSpecs("/I:\"My *.x\"\t/s"), "\"My *.x\"");
  EXPECT_EQ(ExtractIgnoreSwitchSpecs(std::string(251, 'x') + "/i:*.x"), "*");
  EXPECT_EQ(ExtractIgnoreSwitchSpecs(std::string(252, 'x') + "/i:*.x"), "");
}

TEST_F(CommandLineTest, ASourceThatIsNoDirectoryMayEndInTheSpecification) {
  Parse("C:\\data\\*.txt D:\\Out /a");
  EXPECT_EQ(RunOptions.SrcPath, "C:\\data");
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

  EXPECT_EQ(Parse("C:\\nosuchdir D:\\Out /a /t /s"), storedFlags);
  EXPECT_EQ(RunOptions.SrcPath, "C:\\nosuchdir");
  EXPECT_EQ(RunOptions.SrcFileSpecs, "*.*");
  EXPECT_TRUE(RunOptions.HelpFlag);
  EXPECT_FALSE(RunOptions.AutostartFlag || RunOptions.TerminateFlag);
  EXPECT_EQ(fs.Beeps(), (std::vector<BeepKind>{BeepKind::Question, BeepKind::Question}));
}

TEST_F(CommandLineTest, RedirectionIsToleratedOnlyAsTheLastArgument) {
  Parse("C:\\Src D:\\Out >out.txt");
  EXPECT_TRUE(RunOptions.RedirectionFlag);
  EXPECT_EQ(RunOptions.RedirectionTarget, "out.txt");
  Parse("C:\\Src D:\\Out /s \">> log.txt\"");
  EXPECT_EQ(RunOptions.RedirectionTarget, "log.txt");
  EXPECT_TRUE(tk.dialogs.empty());

  // The file name after a lone ">" is a third parameter.
  Parse("C:\\Src D:\\Out > out.txt");
  EXPECT_EQ(outcome.ParameterCount, 3);
  ASSERT_EQ(tk.dialogs.size(), 1u);
  EXPECT_EQ(tk.dialogs[0].text, StepEightBox + " C:\\Src D:\\Out > out.txt");
  EXPECT_TRUE(RunOptions.HelpFlag);
  Parse("C:\\Src >out.txt a b");
  EXPECT_EQ(tk.dialogs[0].text, StepThreeBox + " C:\\Src >out.txt a b");
}

TEST_F(CommandLineTest, MalformedCommandLinesOpenTheWindowForInteractiveUse) {
  EXPECT_EQ(Parse("/s C:\\Src D:\\Out /a"), storedFlags);
  ASSERT_EQ(tk.dialogs.size(), 2u);  // the second asks about the source C:\s
  EXPECT_EQ(tk.dialogs[0].text, StepThreeBox + " /s C:\\Src D:\\Out /a");
  EXPECT_EQ(tk.dialogs[0].type, DialogType::Error);
  EXPECT_EQ(tk.dialogs[0].buttons, ButtonOk);
  EXPECT_EQ(outcome.ParameterCount, 2);
  EXPECT_EQ(RunOptions.SrcPath, "C:\\s");  // the switch itself, taken as the source
  EXPECT_TRUE(RunOptions.HelpFlag);
  EXPECT_FALSE(RunOptions.AutostartFlag);

  EXPECT_EQ(Parse("/?"), storedFlags);
  EXPECT_TRUE(tk.dialogs.empty());
  EXPECT_TRUE(RunOptions.HelpFlag && CmdLineGiven);
  Parse("C:\\Src /?");
  EXPECT_EQ(tk.dialogs[0].text, StepEightBox + " C:\\Src /?");
  // A switch text beyond 255 characters.
  Parse("C:\\Src D:\\Out /a/t/" + std::string(252, 'x'));
  EXPECT_EQ(tk.dialogs.size(), 1u);
  EXPECT_FALSE(RunOptions.AutostartFlag || RunOptions.TerminateFlag);
  LanguageIndex = 1;
  Parse("a b c");
  EXPECT_EQ(tk.dialogs[0].text.rfind("Zu viele Kommandozeilen-Parameter:\r", 0), 0u);
}

TEST_F(CommandLineTest, DebugModeWritesItsLines) {
  Parse("C:\\Src D:\\Out /d /i:*.x");
  const Args expected = {"SrcPath=C:\\Src   DirectoryExists=True ",
                         "CmdLineSwitches=/d/i:*.x   CharCount=3", "plovik C:\\Src D:\\Out /d/i:*.x",
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
