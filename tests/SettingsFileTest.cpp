// The settings file: where it lives, what a start reads from it, what a
// close writes into it, and the values it refuses.
#include <gtest/gtest.h>

#include "app/Settings.h"
#include "app/UnitMain.h"
#include "core/RunRecords.h"
#include "core/TextFiles.h"
#include "support/WindowTest.h"

namespace plovik {
namespace {

const char* const ExampleFile =
    "[General]\r\nSaveSettings=1\r\nCopyEmptySubDirectories=1\r\n"
    "IgnoreFileAgeOneHourDifference=0\r\nIgnoreSpecifiedFiles=1\r\nDryRunOnly=0\r\n"
    "QuietMode=0\r\nReportMode=0\r\nCopySubDirectories=1\r\nVerifyCopies=1\r\nKeepTime=5\r\n"
    "MaxIgnoreFileSpec=*.BAK;*.TMP;*.WBK;*.$$$;~*.*;*.~*\r\nLanguage=0\r\n\r\n"
    "[Fonts]\r\nMemoFontName=Courier\r\nMemoFontSize=8\r\nMemoFontBold=0\r\n"
    "MemoFontItalic=0\r\nPrinterFontName=Courier\r\nPrinterFontSize=8\r\n"
    "PrinterFontBold=0\r\nPrinterFontItalic=0\r\n\r\n"
    "[Directories]\r\nSrcPath=C:\\Data\r\nDstPath=D:\\Backup\r\n\r\n"
    "[FormMain]\r\nWindowState=0\r\nLeft=0\r\nWidth=1024\r\nTop=0\r\nHeight=461\r\n\r\n";

class SettingsFileTest : public test::WindowTest {};

TEST_F(SettingsFileTest, LivesInTheUsersApplicationDataAndTakesOverTheFileBesideTheProgram) {
  fs.MakeFile(LegacyPath, "[General]\r\nLanguage=1\r\n");
  EXPECT_EQ(LocateSettingsFile(), SettingsPath);
  EXPECT_EQ(RunOptions.ProgramBaseName, "plovik");
  EXPECT_EQ(SettingsText(), "[General]\r\nLanguage=1\r\n");
  ReadLanguageEarly();
  EXPECT_EQ(LanguageIndex, 1);
  // Once there, the file in the user's folder is never replaced.
  fs.MakeFile(LegacyPath, "[General]\r\nLanguage=0\r\n");
  LocateSettingsFile();
  EXPECT_EQ(SettingsText(), "[General]\r\nLanguage=1\r\n");
}

TEST_F(SettingsFileTest, WithoutAUsableApplicationDataFolderTheFileBesideTheProgramIsUsed) {
  fs.SetEnvironment("APPDATA", std::string("  "));
  EXPECT_EQ(LocateSettingsFile(), LegacyPath);
  fs.SetEnvironment("APPDATA", std::string("Q:\\Nowhere"));  // cannot be created
  EXPECT_EQ(LocateSettingsFile(), LegacyPath);
  EXPECT_FALSE(Settings.AppDataAvailable);
}

TEST_F(SettingsFileTest, AFirstStartHasTheDefaultsAndItsCloseWritesTheExampleFileByteForByte) {
  Start();
  EXPECT_TRUE(RunOptions.SubDirFlag && RunOptions.EmptyFlag && RunOptions.VerifyFlag &&
              RunOptions.IgnoreFlag);
  EXPECT_FALSE(RunOptions.IgnoreFileAgeOneHourDiffFlag || RunOptions.NoUpdateFlag ||
               RunOptions.QuietFlag || RunOptions.ReportFlag || RunOptions.LogFlag);
  EXPECT_EQ(RunOptions.KeepTime, 5);
  EXPECT_EQ(F().EditSrcDir->Text(), WorkDir);
  EXPECT_EQ(F().EditDstDir->Text(), WorkDir);
  EXPECT_EQ(Settings.MemoFont.Name, "Courier");
  EXPECT_EQ(Settings.PrinterFont.Size, 8);
  F().EditSrcDir->SetText("C:\\Data");
  F().EditDstDir->SetText("D:\\Backup");
  Close();
  EXPECT_TRUE(tk.Terminated());
  EXPECT_EQ(SettingsText(), ExampleFile);
}

TEST_F(SettingsFileTest, ValuesOutsideTheirRangeAreTakenAsDefaultsOrClamped) {
  GiveSettings(
      "[General]\r\nLanguage=7\r\nKeepTime=200000\r\nCopySubDirectories=yes\r\n"
      "VerifyCopies=0x0\r\n[FormMain]\r\nWindowState=5\r\nLeft=3000\r\nWidth=800\r\nTop=10\r\n"
      "Height=300\r\n");
  Start();
  EXPECT_EQ(LanguageIndex, 0);
  EXPECT_EQ(RunOptions.KeepTime, MaxKeepTime);
  EXPECT_TRUE(RunOptions.SubDirFlag);
  EXPECT_FALSE(RunOptions.VerifyFlag);
  // A window placed wholly beyond the screen opens at the default place.
  EXPECT_EQ(MainForm().NormalBounds(), (Rect{0, 0, 1024, 461}));
  EXPECT_EQ(MainForm().GetWindowState(), WindowState::Normal);
  TearDownWindows();
  GiveSettings("[General]\r\nKeepTime=-1\r\nLanguage=1\r\n[FormMain]\r\nLeft=-790\r\nTop=5\r\n");
  Start();
  EXPECT_EQ(RunOptions.KeepTime, 0);
  EXPECT_EQ(LanguageIndex, 1);
  EXPECT_EQ(MainForm().NormalBounds(), (Rect{-790, 5, 1024, 461}));  // partly on the screen
}

TEST_F(SettingsFileTest, TheUsersChangesCarryOverToTheNextStart) {
  Start();
  AsHeadless(*F().CheckBoxNoUpdate).UserClick();
  AsHeadless(*F().CheckBoxSubDir).UserClick();
  F().MenuItemLanguageGerman->Click();
  MainForm().SetBounds(20, 30, 900, 500);
  MainForm().SetWindowState(WindowState::Maximized);
  Close();
  TearDownWindows();
  Start();
  EXPECT_TRUE(RunOptions.NoUpdateFlag);
  EXPECT_FALSE(RunOptions.SubDirFlag);
  EXPECT_TRUE(RunOptions.EmptyFlag);  // kept while its box is greyed
  EXPECT_EQ(LanguageIndex, 1);
  EXPECT_EQ(MainForm().GetWindowState(), WindowState::Maximized);
  EXPECT_EQ(MainForm().NormalBounds(), (Rect{20, 30, 900, 500}));
}

TEST_F(SettingsFileTest, SaveSettingsOffWritesOnlyThatKeyAndLeavesTheOthersAlone) {
  GiveSettings("[General]\r\nKeepTime=700\r\n[Directories]\r\nSrcPath=C:\\Old\r\n");
  Start();
  tk.popupChoices.push_back("  Save settings");
  AsHeadless(*F().BitBtnSettings).UserClick();
  EXPECT_FALSE(Settings.SaveSettings);
  AsHeadless(*F().EditSrcDir).UserType("C:\\New");
  Close();
  EXPECT_EQ(SettingsText(),
            "[General]\r\nKeepTime=700\r\nSaveSettings=0\r\n\r\n"
            "[Directories]\r\nSrcPath=C:\\Old\r\n\r\n");
}

TEST_F(SettingsFileTest, AnInstanceWithoutNumberWritesNoPlacementAndLaterInstancesWriteNothing) {
  GiveSettings("[FormMain]\r\nLeft=7\r\n");
  Start();
  RunOptions.InstanceNumber = 0;
  Settings.UseStoredPlacement = false;
  Close();
  EXPECT_NE(SettingsText().find("[FormMain]\r\nLeft=7\r\n\r\n"), std::string::npos);
  EXPECT_NE(SettingsText().find("[General]"), std::string::npos);
  TearDownWindows();
  GiveSettings("");
  Start();
  RunOptions.InstanceNumber = 2;
  Close();
  EXPECT_EQ(SettingsText(), "");
}

TEST_F(SettingsFileTest, AMinimisedCloseStoresStateOneAndAFailedWriteIsReportedWithItsCode) {
  GiveSettings("[General]\r\nKeepTime=9\r\n");
  Start();
  tk.Minimize();
  fs.FailWrite(TemporaryNameFor(SettingsPath), 0, 5);
  Close();
  EXPECT_EQ(SettingsText(), "[General]\r\nKeepTime=9\r\n");
  ASSERT_EQ(tk.dialogs.size(), 1u);
  EXPECT_EQ(tk.dialogs[0].text, std::string("The file could not be written:\r") + SettingsPath +
                                    "\rWindows error 5: Access is denied.");
  fs.ClearFaults();
  // The failed close has set the window back to normal (which restored the
  // application) and hidden it: minimised again, the write stores 1.
  EXPECT_FALSE(MinimizedFlag);
  tk.Minimize();
  WriteSettings();
  EXPECT_NE(SettingsText().find("WindowState=1\r\n"), std::string::npos);
}

}  // namespace
}  // namespace plovik
