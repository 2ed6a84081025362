// The main window: its layout on a 1024 x 768 screen, its texts in both
// languages, and the controls and menu commands that keep the run flags in
// step with it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/UnitMain.h"
#include "core/Protocol.h"
#include "core/RunRecords.h"
#include "core/Settings.h"
#include "support/WindowTest.h"
#include "ui/Language.h"
#include "ui/MainFormHandlers.h"

namespace plovik {
namespace {

class MainWindowTest : public test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Start();
  }

  // Every text SetLanguage sets, in one list.
  std::vector<std::string> WindowTexts() const {
    TFormMain& f = F();
    std::vector<std::string> texts;
    for (Label* label : {f.LabelSrcDir.get(), f.LabelDstDir.get(), f.LabelUpdateFiles.get(),
                         f.LabelIgnoreFiles.get()}) {
      texts.push_back(label->Caption());
    }
    for (CheckBox* box : {f.CheckBoxSubDir.get(), f.CheckBoxEmptySubDir.get(),
                          f.CheckBoxVerify.get(), f.CheckBoxReport.get(), f.CheckBoxIgnore.get(),
                          f.CheckBoxNoUpdate.get(), f.CheckBoxIgnoreFileAgeOneHourDiff.get(),
                          f.CheckBoxDebug.get()}) {
      texts.push_back(box->Caption());
    }
    for (Button* button : {f.ButtonStart.get(), f.ButtonAbort.get(), f.ButtonSwapDir.get(),
                           f.ButtonPrintLog.get(), f.ButtonSaveLog.get()}) {
      texts.push_back(button->Caption());
      texts.push_back(button->Hint());
    }
    for (Control* control : std::initializer_list<Control*>{
             f.EditSrcDir.get(), f.EditDstDir.get(), f.ComboBoxSrcFile.get(),
             f.ComboBoxIgnFile.get(), f.ButtonSrcDir.get(), f.ButtonDstDir.get(),
             f.BitBtnHelp.get(), f.BitBtnSettings.get()}) {
      texts.push_back(control->Hint());
    }
    for (const std::string& caption : AsHeadless(*f.PopupMenuFormMain).ShownCaptions()) {
      texts.push_back(caption);
    }
    return texts;
  }

  HeadlessComboBox& SrcBox() { return AsHeadless(*F().ComboBoxSrcFile); }
};

TEST_F(MainWindowTest, LaysItselfOutOnA1024By768Screen) {
  TFormMain& f = F();
  EXPECT_EQ(MainForm().NormalBounds(), (Rect{0, 0, 1024, 461}));
  EXPECT_TRUE(MainForm().Visible());
  EXPECT_EQ(MainForm().MinWidth(), 768);
  const int rowHeight = f.ComboBoxSrcFile->Height();
  ASSERT_EQ(rowHeight, 21);  // the headless "Courier" 11 drop-down box
  auto top = [](const std::unique_ptr<auto>& c) { return c->Top(); };
  EXPECT_EQ(top(f.PanelSrcDir), 4);
  EXPECT_EQ(top(f.PanelDstDir), 33);
  EXPECT_EQ(top(f.ComboBoxSrcFile), 62);
  EXPECT_EQ(top(f.ComboBoxIgnFile), 91);
  EXPECT_EQ(top(f.EditTest), 62);
  for (Control* c : std::initializer_list<Control*>{f.BitBtnHelp.get(), f.ButtonStart.get(),
                                                    f.ButtonSaveLog.get(), f.ButtonTest.get()}) {
    EXPECT_EQ(c->Top(), 120);
  }
  EXPECT_EQ(f.LabelSrcDir->Top(), 4 + (rowHeight - f.LabelSrcDir->Height()) / 2);
  EXPECT_EQ(f.LabelIgnoreFiles->Top(), 91 + (rowHeight - f.LabelIgnoreFiles->Height()) / 2);
  // Four check-box rows from the source box's top to the button row's
  // bottom: step (120 + 22 - 62 - 17) / 3 = 21.
  EXPECT_EQ(top(f.CheckBoxSubDir), 62);
  EXPECT_EQ(top(f.CheckBoxReport), 83);
  EXPECT_EQ(top(f.CheckBoxNoUpdate), 104);
  EXPECT_EQ(top(f.CheckBoxIgnoreFileAgeOneHourDiff), 125);
  EXPECT_EQ(top(f.CheckBoxDebug), 125);
  EXPECT_EQ(f.CheckBoxIgnoreFileAgeOneHourDiff->Top() + f.CheckBoxDebug->Height(), 142);
  // Panels reach the right edge; edit and square button fill them.
  const int clientWidth = MainForm().ClientWidth();
  EXPECT_EQ(f.PanelSrcDir->Left() + f.PanelSrcDir->Width(), clientWidth);
  EXPECT_EQ(f.PanelDstDir->Width(), f.PanelSrcDir->Width());
  const int h = f.PanelSrcDir->ClientHeight();
  EXPECT_EQ(f.EditDstDir->Width() + 1 + h, f.PanelDstDir->ClientWidth());
  EXPECT_EQ(f.ButtonDstDir->Left(), f.EditDstDir->Width() + 1);
  EXPECT_EQ(f.ButtonDstDir->Width(), h);
  EXPECT_EQ(f.EditTest->Left() + f.EditTest->Width(), clientWidth);
  EXPECT_EQ(f.MemoProtocol->Top(), 150);
  EXPECT_EQ(f.MemoProtocol->Width(), clientWidth);
  EXPECT_EQ(f.MemoProtocol->Top() + f.MemoProtocol->Height(), MainForm().ClientHeight());
  // No two controls of the visible rows overlap.
  for (Control* right : std::initializer_list<Control*>{f.CheckBoxSubDir.get(),
                                                        f.CheckBoxIgnoreFileAgeOneHourDiff.get()}) {
    EXPECT_GE(right->Left(), f.ComboBoxSrcFile->Left() + f.ComboBoxSrcFile->Width());
    EXPECT_GE(right->Left(), f.ButtonSaveLog->Left() + f.ButtonSaveLog->Width());
  }
}

TEST_F(MainWindowTest, LaterInstancesCascadeByTheCaptionHeight) {
  ASSERT_EQ(CaptionHeight, 23);  // headless title bar 19 and frame 4
  EXPECT_EQ(DefaultPlacement(CaptionHeight, 2).Left, 23);
  EXPECT_EQ(DefaultPlacement(CaptionHeight, 2).Top, 23);
  // (1024 - 768) div 23 + 1 = 12 places, then the cascade starts again.
  EXPECT_EQ(CascadeOffsetFor(CaptionHeight, 12), 11 * 23);
  EXPECT_EQ(DefaultPlacement(CaptionHeight, 13).Left, 0);
  // Without an instance number the remainder of -1 keeps its sign.
  EXPECT_EQ(DefaultPlacement(CaptionHeight, 0).Top, -23);
  EXPECT_EQ(DefaultPlacement(CaptionHeight, 0).Left, -23);
  tk.screen.width = 700;  // narrower than the window: one place
  EXPECT_EQ(DefaultPlacement(CaptionHeight, 5).Left, 0);
}

// Each cascaded window keeps its close box on the screen: it is cut off at
// the work area's right and bottom edges, and moved back in where the
// minimum size does not fit.
TEST_F(MainWindowTest, CascadedWindowsStayInsideTheWorkArea) {
  auto placements = [this](int last) {
    std::vector<Rect> all;
    for (int instance = 1; instance <= last; ++instance) {
      const TWindowPlacement p = DefaultPlacement(CaptionHeight, instance);
      all.push_back(Rect{p.Left, p.Top, p.Width, p.Height});
    }
    return all;
  };
  EXPECT_EQ(placements(4), (std::vector<Rect>{{0, 0, 1024, 461},
                                              {23, 23, 1001, 461},
                                              {46, 46, 978, 461},
                                              {69, 69, 955, 461}}));
  // 800 x 600 with the taskbar below: two places.
  tk.screen = ScreenMetrics{800, 600, 800, 600, 96, Rect{0, 0, 800, 560}};
  EXPECT_EQ(placements(4), (std::vector<Rect>{{0, 0, 800, 360},
                                              {23, 23, 777, 360},
                                              {0, 0, 800, 360},
                                              {23, 23, 777, 360}}));
  // 780 wide with the taskbar on the right: one place, cut off no further
  // than to the minimum width.
  tk.screen = ScreenMetrics{780, 600, 780, 600, 96, Rect{0, 0, 720, 600}};
  EXPECT_EQ(placements(2), (std::vector<Rect>{{0, 0, 768, 360}, {0, 0, 768, 360}}));
  // Wide and low: far down the cascade the window keeps its minimum height
  // and moves up.
  tk.screen = ScreenMetrics{1920, 400, 1920, 400, 96, Rect{}};
  EXPECT_EQ(placements(12).back(), (Rect{253, 160, 1667, 240}));
}

TEST_F(MainWindowTest, TheSpecificationBoxesGetTheirSeparatorListsAndDropDownLengths) {
  const std::string separator(50, '-');  // (376 - 21) / 7 pixels of "-"
  EXPECT_EQ(SeparatorLine, separator);
  EXPECT_EQ(F().ComboBoxSrcFile->Items(), (std::vector<std::string>{separator, ""}));
  EXPECT_EQ(F().ComboBoxIgnFile->Items(),
            (std::vector<std::string>{separator, "*.BAK;*.TMP;*.WBK;*.$$$;~*.*;*.~*", "*.TMP",
                                      "*.$$$", "~*.*", "*.~*", ""}));
  EXPECT_EQ(F().ComboBoxSrcFile->DropDownCount(), 8);
  EXPECT_EQ(F().ComboBoxIgnFile->DropDownCount(), 12);
  EXPECT_EQ(F().ComboBoxSrcFile->Text(), "*.*");  // the stored source exists
  EXPECT_EQ(F().ComboBoxIgnFile->Text(), "*.BAK;*.TMP;*.WBK;*.$$$;~*.*;*.~*");
}

TEST_F(MainWindowTest, LanguageSwitchesRestoreTheExactTextsAndChooseTheHelpFile) {
  const std::vector<std::string> english = WindowTexts();
  EXPECT_EQ(english[3], "Ignore   files");
  EXPECT_EQ(F().MenuItemSaveSettings->Caption(), "  Save settings");
  EXPECT_EQ(MainForm().Caption(), " plovik");
  tk.popupChoices = {"Sprache   Deutsch"};
  MainForm().OpenContextMenu(10, 10);
  EXPECT_EQ(LanguageIndex, 1);
  EXPECT_EQ(F().ButtonStart->Caption(), "Start");
  EXPECT_EQ(F().LabelIgnoreFiles->Caption(), "Ignorieren");
  EXPECT_EQ(F().ButtonSwapDir->Hint(), "Quell- und Zielverzeichnis\rmiteinander vertauschen");
  EXPECT_EQ(tk.HelpFile(), "C:\\Plovik\\German.HLP");
  EXPECT_TRUE(F().MenuItemLanguageGerman->Checked());
  EXPECT_FALSE(F().MenuItemLanguageEnglish->Checked());
  MainForm().PressKey(KeyF1);
  EXPECT_EQ(tk.helpShown, std::vector<std::string>{"C:\\Plovik\\German.HLP"});
  F().MenuItemLanguageEnglish->Click();
  EXPECT_EQ(WindowTexts(), english);
  EXPECT_EQ(tk.HelpFile(), "C:\\Plovik\\English.HLP");

  // A later instance shows its number, in the language of its start.
  RunOptions.InstanceNumber = 2;
  InstanceText = InstanceTextFor(1);
  SetMainCaption();
  EXPECT_EQ(MainForm().Caption(), " plovik  (Instanz #2)");
}

TEST_F(MainWindowTest, AMissingHelpFileGetsAMessageThatNamesIt) {
  tk.helpAvailable = false;
  AsHeadless(*F().BitBtnHelp).UserClick();
  EXPECT_EQ(DialogTexts(), std::vector<std::string>{"Help file not found:\rC:\\Plovik\\English.HLP"});
}

TEST_F(MainWindowTest, DisabledBoxesShowUntickedWhileTheirFlagsRememberTheChoice) {
  TFormMain& f = F();
  AsHeadless(*f.CheckBoxSubDir).UserClick();
  EXPECT_FALSE(f.CheckBoxEmptySubDir->Checked());
  EXPECT_FALSE(f.CheckBoxEmptySubDir->Enabled());
  EXPECT_TRUE(RunOptions.EmptyFlag);
  AsHeadless(*f.CheckBoxSubDir).UserClick();
  EXPECT_TRUE(f.CheckBoxEmptySubDir->Checked());

  RunOptions.LogFlag = true;
  AsHeadless(*f.CheckBoxNoUpdate).UserClick();
  EXPECT_FALSE(f.CheckBoxVerify->Checked());
  EXPECT_FALSE(f.CheckBoxVerify->Enabled());
  EXPECT_TRUE(RunOptions.VerifyFlag);
  EXPECT_FALSE(RunOptions.LogFlag);
  AsHeadless(*f.CheckBoxNoUpdate).UserClick();
  EXPECT_TRUE(f.CheckBoxVerify->Checked());
  EXPECT_FALSE(RunOptions.LogFlag);

  AsHeadless(*f.CheckBoxIgnore).UserClick();
  EXPECT_FALSE(f.ComboBoxIgnFile->Enabled());
  EXPECT_EQ(f.ComboBoxIgnFile->Text(), "");
  EXPECT_EQ(f.ComboBoxIgnFile->GetBackground(), Background::ButtonFace);
  EXPECT_EQ(RunOptions.IgnoreFileSpecs, "*.BAK;*.TMP;*.WBK;*.$$$;~*.*;*.~*");
  AsHeadless(*f.CheckBoxIgnore).UserClick();
  EXPECT_EQ(f.ComboBoxIgnFile->Text(), RunOptions.IgnoreFileSpecs);
  EXPECT_TRUE(f.ComboBoxIgnFile->Focused());
  EXPECT_EQ(f.ComboBoxIgnFile->SelStart(), static_cast<int>(RunOptions.IgnoreFileSpecs.size()));
}

TEST_F(MainWindowTest, ASpecificationBoxRemembersFiveTextsNewestFirstWithoutDuplicates) {
  for (const char* text : {"a", "b", " c ", "d", "e", "f"}) {
    SrcBox().UserType(text);
    F().EditSrcDir->SetFocus();  // leaving the box remembers its text
  }
  std::vector<std::string> items = F().ComboBoxSrcFile->Items();
  EXPECT_EQ(std::vector<std::string>(items.begin(), items.begin() + 6),
            (std::vector<std::string>{"f", "e", "d", "c", "b", SeparatorLine}));
  EXPECT_EQ(SpecHistoryCount[0], 5);
  SrcBox().UserType("d");
  F().EditSrcDir->SetFocus();
  items = F().ComboBoxSrcFile->Items();
  EXPECT_EQ(std::vector<std::string>(items.begin(), items.begin() + 6),
            (std::vector<std::string>{"d", "f", "e", "c", "b", SeparatorLine}));
  EXPECT_EQ(F().ComboBoxSrcFile->ItemCount(), 7);
  EXPECT_EQ(RunOptions.SrcFileSpecs, "d");
}

TEST_F(MainWindowTest, PickingTheSeparatorTakesTheEntryNextToIt) {
  // Without remembered entries the separator heads the list: the entry
  // below it is taken.
  ComboBox& ignore = *F().ComboBoxIgnFile;
  ignore.SetText(SeparatorLine);
  SpecBoxChanged(ignore);
  EXPECT_EQ(ignore.Text(), "*.BAK;*.TMP;*.WBK;*.$$$;~*.*;*.~*");
  EXPECT_EQ(RunOptions.IgnoreFileSpecs, ignore.Text());
  // With remembered entries, the newest one.
  SrcBox().UserType("*.txt");
  F().EditSrcDir->SetFocus();
  // The start's "*.*" was remembered when the box took the focus.
  ASSERT_EQ(F().ComboBoxSrcFile->Item(2), SeparatorLine);
  SrcBox().UserPick(2);
  EXPECT_EQ(SrcBox().Text(), "*.txt");
  EXPECT_EQ(RunOptions.SrcFileSpecs, "*.txt");
}

TEST_F(MainWindowTest, SwapDirTwiceRestoresThePathsAndLeavesADryRun) {
  F().EditDstDir->SetText("D:\\Backup");
  RunOptions.LogFlag = true;
  AsHeadless(*F().ButtonSwapDir).UserClick();
  EXPECT_EQ(F().EditSrcDir->Text(), "D:\\Backup");
  EXPECT_TRUE(F().CheckBoxNoUpdate->Checked());
  EXPECT_FALSE(RunOptions.LogFlag);
  EXPECT_TRUE(F().ButtonStart->Focused());
  AsHeadless(*F().ButtonSwapDir).UserClick();
  EXPECT_EQ(F().EditSrcDir->Text(), WorkDir);
  EXPECT_EQ(F().EditDstDir->Text(), "D:\\Backup");
  EXPECT_TRUE(RunOptions.NoUpdateFlag);
}

TEST_F(MainWindowTest, TheWaitingTimeAcceptsWholeNumbersFromZeroAndClampsLargeOnes) {
  tk.inputAnswers = {"-1", "soon", "0"};
  F().MenuItemKeepTime->Click();
  EXPECT_EQ(RunOptions.KeepTime, 0);
  EXPECT_EQ(fs.Beeps(), (std::vector<BeepKind>{BeepKind::Exclamation, BeepKind::Exclamation}));
  ASSERT_EQ(tk.inputQueries.size(), 3u);
  EXPECT_EQ(tk.inputQueries[2].preset, "5");  // asked again with the unchanged value
  EXPECT_EQ(tk.inputQueries[0].title, "Enter wait-to-keep time");
  tk.inputAnswers = {"500000"};
  F().MenuItemKeepTime->Click();
  EXPECT_EQ(RunOptions.KeepTime, MaxKeepTime);
  F().MenuItemKeepTime->Click();  // cancelled
  EXPECT_EQ(RunOptions.KeepTime, MaxKeepTime);
}

TEST_F(MainWindowTest, TheSettingsButtonOffersOnlyTheSettingsBelowTheProtocolsCorner) {
  AsHeadless(*F().BitBtnSettings).UserClick();
  MainForm().OpenContextMenu(300, 300);
  ASSERT_EQ(tk.popups.size(), 2u);
  const std::vector<std::string>& settings = tk.popups[0].captions;
  EXPECT_EQ(std::count(settings.begin(), settings.end(), "Help"), 0);
  EXPECT_EQ(std::count(settings.begin(), settings.end(), "Exit"), 0);
  EXPECT_EQ(std::count(tk.popups[1].captions.begin(), tk.popups[1].captions.end(), "Exit"), 1);
  // Frame 4, title bar 19: the memo's corner lies at (4, 4 + 19 + 150).
  EXPECT_EQ(tk.popups[0].screenX, 4 + 4);
  EXPECT_EQ(tk.popups[0].screenY, 23 + 150 + 4);
  EXPECT_FALSE(SettingsMenuOpen);
}

TEST_F(MainWindowTest, FolderButtonsTakeTheChoiceAndACancelResetsToAnExistingStart) {
  tk.folderAnswers = {std::string("C:\\Plovik")};
  AsHeadless(*F().ButtonSrcDir).UserClick();
  EXPECT_EQ(RunOptions.SrcPath, "C:\\Plovik");
  EXPECT_EQ(F().EditSrcDir->Text(), "C:\\Plovik");
  EXPECT_TRUE(F().EditSrcDir->Focused());
  EXPECT_EQ(tk.folderDialogs[0].title, "Select source directory entry point");
  EXPECT_EQ(tk.folderDialogs[0].preset, WorkDir);
  F().EditSrcDir->SetText("typed");
  AsHeadless(*F().ButtonSrcDir).UserClick();  // cancelled
  EXPECT_EQ(F().EditSrcDir->Text(), "C:\\Plovik");
  RunOptions.DstPath = "Q:\\gone";
  F().EditDstDir->SetText("typed");
  AsHeadless(*F().ButtonDstDir).UserClick();  // cancelled from a missing start
  EXPECT_EQ(F().EditDstDir->Text(), "typed");
}

TEST_F(MainWindowTest, LabelsFocusTheirInputExceptDuringARun) {
  AsHeadless(*F().LabelUpdateFiles).UserClick();
  EXPECT_TRUE(F().ComboBoxSrcFile->Focused());
  EXPECT_EQ(SrcBox().SelLength(), 3);
  RunState.RunActive = true;
  AsHeadless(*F().LabelDstDir).UserClick();
  EXPECT_TRUE(F().ComboBoxSrcFile->Focused());
}

TEST_F(MainWindowTest, FontAndDefaultIgnoreCommandsChangeTheSettingsAndTheWindow) {
  tk.screen.pixelsPerInch = 120;
  tk.fontAnswers = {FontChoice{"Consolas", 12, true, false}};
  F().MenuItemProtocolScreenFont->Click();
  EXPECT_EQ(tk.fontDialogs[0].device, FontDevice::Screen);
  EXPECT_EQ(tk.fontDialogs[0].preset.name, "Courier");
  EXPECT_EQ(F().MemoProtocol->GetFont(), (Font{"Consolas", 20, true, false}));
  EXPECT_TRUE(Settings.MemoFont.Bold);
  EXPECT_EQ(ProtocolCharWidth, HeadlessCharWidth(Font{"Consolas", 20}));
  tk.fontAnswers = {FontChoice{"Lucida Console", 10, false, true}};
  F().MenuItemProtocolPrinterFont->Click();
  EXPECT_EQ(Settings.PrinterFont.Name, "Lucida Console");
  EXPECT_TRUE(Settings.PrinterFont.Italic);
  EXPECT_EQ(F().MemoProtocol->GetFont().name, "Consolas");

  tk.inputAnswers = {"  *.OBJ  "};
  F().MenuItemDefaultIgnoreFileSpecs->Click();
  EXPECT_EQ(tk.inputQueries[0].title, " Default ignore file specs");
  EXPECT_EQ(Settings.MaxIgnoreFileSpec, "  *.OBJ  ");
  EXPECT_EQ(F().ComboBoxIgnFile->Text(), "*.OBJ");
  EXPECT_EQ(F().ComboBoxIgnFile->Item(0), "*.OBJ");
}

TEST_F(MainWindowTest, WindowKeysToggleDebugSelectTheProtocolAndPressAbort) {
  TFormMain& f = F();
  MainForm().PressKey('D', ShiftState::Ctrl | ShiftState::Alt);
  EXPECT_TRUE(RunOptions.DebugFlag);
  EXPECT_TRUE(f.CheckBoxDebug->Visible() && f.CheckBoxDebug->Checked());
  EXPECT_TRUE(f.ButtonTest->Visible() && f.EditTest->Visible());
  // The debug-only controls stand clear of each other and of the wide box.
  EXPECT_LE(f.CheckBoxDebug->Left() + f.CheckBoxDebug->Width(), f.ButtonTest->Left());
  EXPECT_LE(f.CheckBoxIgnoreFileAgeOneHourDiff->Left() + f.CheckBoxIgnoreFileAgeOneHourDiff->Width(),
            f.CheckBoxDebug->Left());
  MainForm().PressKey('D', ShiftState::Ctrl | ShiftState::Alt);
  EXPECT_FALSE(RunOptions.DebugFlag);
  EXPECT_FALSE(f.CheckBoxDebug->Visible() || f.ButtonTest->Visible());
  MainForm().PressKey('A', ShiftState::Ctrl | ShiftState::Shift);
  EXPECT_FALSE(f.MemoProtocol->Focused());
  MainForm().PressKey('A', ShiftState::Ctrl);
  EXPECT_TRUE(f.MemoProtocol->Focused());
  EXPECT_TRUE(AsHeadless(*f.MemoProtocol).WholeTextSelected());

  // Escape aborts only while the Abort button can be pressed; an abort
  // during a run beeps and gives the window back.
  MainForm().PressKey(KeyEscape);
  EXPECT_FALSE(RunState.AbortRequested);
  f.ButtonAbort->SetEnabled(true);
  RunState.RunActive = true;
  MainForm().PressKey(KeyEscape);
  EXPECT_TRUE(RunState.AbortRequested);
  EXPECT_FALSE(RunState.RunActive);
  EXPECT_FALSE(f.ButtonAbort->Enabled());
  EXPECT_EQ(fs.Beeps(), std::vector<BeepKind>{BeepKind::Default});
}

// Save and Print follow the protocol's lines while the window is idle,
// the user's own typing included; during a run they stay as the run set
// them, except that the run's fresh protocol turns them off.
TEST_F(MainWindowTest, SaveAndPrintFollowTheProtocolWhileIdleAndStayPutDuringARun) {
  TFormMain& f = F();
  Memo& memo = *f.MemoProtocol;
  EXPECT_FALSE(f.ButtonSaveLog->Enabled());
  EXPECT_FALSE(f.ButtonPrintLog->Enabled());
  ProtocolAdd("line");
  EXPECT_TRUE(f.ButtonSaveLog->Enabled());
  EXPECT_EQ(f.ButtonPrintLog->Enabled(), PrinterAvailable);
  PrinterAvailable = true;
  ProtocolAdd("");
  EXPECT_TRUE(f.ButtonPrintLog->Enabled());
  ProtocolClear();
  EXPECT_FALSE(f.ButtonSaveLog->Enabled());
  EXPECT_FALSE(f.ButtonPrintLog->Enabled());
  memo.Append("typed by the user");
  EXPECT_TRUE(f.ButtonSaveLog->Enabled());
  memo.Clear();
  EXPECT_FALSE(f.ButtonSaveLog->Enabled());

  RunState.ActivityState = Updating;
  ProtocolAdd("during the run");
  EXPECT_FALSE(f.ButtonSaveLog->Enabled());
  f.ButtonSaveLog->SetEnabled(true);
  f.ButtonPrintLog->SetEnabled(true);
  ProtocolAdd("more");
  EXPECT_TRUE(f.ButtonSaveLog->Enabled());
  ProtocolClear();
  EXPECT_FALSE(f.ButtonSaveLog->Enabled());
  EXPECT_FALSE(f.ButtonPrintLog->Enabled());
  RunState.ActivityState = Idle;
}

TEST_F(MainWindowTest, AClosingWhileBusyIsRefusedAndTurnedIntoRequests) {
  RunState.ActivityState = Printing;
  tk.answers = {ModalNo, ModalYes};
  Close();
  EXPECT_EQ(tk.dialogs[0].text,
            "Printing of protocol still in progress.\r\rAbort and terminate application?");
  EXPECT_FALSE(RunState.CloseRequested);
  Close();
  EXPECT_TRUE(RunState.CloseRequested);
  EXPECT_EQ(RunState.ActivityState, Idle);
  EXPECT_FALSE(tk.Terminated());
  EXPECT_EQ(fs.Content(SettingsPath), "");  // nothing written on the way
}

TEST_F(MainWindowTest, MinimiseAndRestoreKeepThePlacement) {
  MainForm().SetBounds(10, 20, 800, 400);
  tk.Minimize();
  EXPECT_TRUE(MinimizedFlag);
  EXPECT_EQ(Settings.WindowPlacement.Left, 10);
  MainForm().SetBounds(0, 0, 900, 300);  // as a restore by the system might leave it
  tk.Restore();
  EXPECT_FALSE(MinimizedFlag);
  EXPECT_EQ(MainForm().NormalBounds(), (Rect{10, 20, 800, 400}));
}

// Minimised, restored by the user's taskbar button: the state it had
// before comes back, maximised too, and is what the close writes.
TEST_F(MainWindowTest, AMaximisedWindowComesBackMaximisedFromTheTaskbar) {
  MainForm().SetBounds(10, 20, 800, 400);
  MainForm().UserMaximize();
  MainForm().UserMinimize();
  EXPECT_TRUE(MinimizedFlag);
  EXPECT_EQ(RememberedWindowState, WindowMaximized);
  EXPECT_EQ(Settings.WindowPlacement.Width, 800);
  MainForm().UserRestore();
  EXPECT_FALSE(MinimizedFlag);
  EXPECT_EQ(MainForm().GetWindowState(), WindowState::Maximized);
  EXPECT_EQ(MainForm().NormalBounds(), (Rect{10, 20, 800, 400}));
  Close();
  EXPECT_NE(SettingsText().find("WindowState=2\r\nLeft=10\r\nWidth=800\r\nTop=20\r\n"),
            std::string::npos)
      << SettingsText();
}

class MinimisedStartTest : public test::WindowTest {};

// A stored minimised window starts minimised on the taskbar, not hidden:
// hidden, nothing could bring it back. The taskbar button restores it in
// the normal state.
TEST_F(MinimisedStartTest, AStoredMinimisedWindowStartsOnTheTaskbarAndRestoresNormal) {
  GiveSettings("[FormMain]\r\nWindowState=1\r\nLeft=5\r\nTop=6\r\nWidth=800\r\nHeight=300\r\n");
  Start();
  EXPECT_TRUE(MainForm().Visible());
  EXPECT_EQ(MainForm().GetWindowState(), WindowState::Minimized);
  EXPECT_FALSE(MainForm().Focused());
  EXPECT_TRUE(tk.Minimized());
  EXPECT_TRUE(MinimizedFlag);
  EXPECT_EQ(RunState.ActivityState, Idle);
  MainForm().UserRestore();
  EXPECT_TRUE(MainForm().Visible());
  EXPECT_FALSE(MinimizedFlag);
  EXPECT_EQ(MainForm().GetWindowState(), WindowState::Normal);
  EXPECT_EQ(MainForm().NormalBounds(), (Rect{5, 6, 800, 300}));
  // Closed while minimised, it starts minimised the next time too.
  MainForm().UserMinimize();
  Close();
  EXPECT_NE(SettingsText().find("WindowState=1\r\nLeft=5\r\n"), std::string::npos)
      << SettingsText();
}

}  // namespace
}  // namespace plovik
