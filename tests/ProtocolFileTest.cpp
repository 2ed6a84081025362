// Saving and printing the protocol, and the debug window with its own print
// and save.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Protocol.h"
#include "core/RunRecords.h"
#include "core/Settings.h"
#include "core/TextFiles.h"
#include "support/WindowTest.h"
#include "ui/ProtocolFile.h"
#include "ui/UnitDebug.h"

namespace plovik {
namespace {

class ProtocolFileTest : public test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    fs.AddDrive('D');
    fs.MakeDir("D:\\Backup");
    Start();
  }
  void Fill(int lines, int longLine = -1) {
    for (int i = 0; i < lines; ++i) {
      ProtocolAdd(i == longLine ? "C:\\" + std::string(100, 'a') + "\\tail.txt"
                                : "line " + std::to_string(i));
    }
  }
  const PrintedDocument& LastDocument() const { return tk.printer.documents.back(); }
};

TEST_F(ProtocolFileTest, PageLayoutFollowsThePrinterFont) {
  const PrintLayout layout = ComputePrintLayout(HeadlessPrinter::DefaultMetrics);
  EXPECT_EQ(layout.LeftMarginBlanks, 3);
  EXPECT_EQ(layout.CharsPerPrintLine, 74);
  EXPECT_EQ(layout.LinesPerPage, 62);
  EXPECT_EQ(layout.Margin, "   ");
  PrinterMetrics tiny = HeadlessPrinter::DefaultMetrics;
  tiny.textWidthX = 1;  // 600 characters an inch: the margin stops at 16 blanks
  EXPECT_EQ(ComputePrintLayout(tiny).Margin.size(), 16u);
  PrinterMetrics huge = HeadlessPrinter::DefaultMetrics;
  huge.textHeightX = 2600;  // fewer than three lines a page
  EXPECT_FALSE(ComputePrintLayout(huge).Printable());
  EXPECT_FALSE(ComputePrintLayout(PrinterMetrics{}).Printable());
}

TEST_F(ProtocolFileTest, PrintsPagesWithHeadersMarginAndShortenedLines) {
  Fill(63, 5);
  ASSERT_TRUE(F().ButtonPrintLog->Enabled());
  AsHeadless(*F().ButtonPrintLog).UserClick();
  ASSERT_EQ(tk.printer.documents.size(), 1u);
  const PrintedDocument& doc = LastDocument();
  EXPECT_TRUE(doc.ended);
  EXPECT_EQ(doc.font.name, "Courier");
  ASSERT_EQ(doc.pages.size(), 2u);
  ASSERT_EQ(doc.pages[0].size(), 64u);
  EXPECT_EQ(doc.pages[0][0], "   page  1");
  EXPECT_EQ(doc.pages[0][1], "");
  EXPECT_EQ(doc.pages[0][2], "   line 0");
  EXPECT_EQ(doc.pages[0][7], "   C:\\...\\tail.txt");  // cut at its backslashes
  EXPECT_EQ(doc.pages[1], (std::vector<std::string>{"   page  2", "", "   line 62"}));
  EXPECT_EQ(RunState.ActivityState, Idle);
}

TEST_F(ProtocolFileTest, AnAbortedPrintEndsWithItsNoteAndAConfirmedCloseEndsTheProgram) {
  Fill(130);
  F().MenuItemLanguageGerman->Click();
  tk.actions.push_back([&] {
    if (tk.printer.documents.empty() || LastDocument().pages.size() < 2) return false;
    RunState.CloseRequested = true;  // as a confirmed close does
    return true;
  });
  AsHeadless(*F().ButtonPrintLog).UserClick();
  const PrintedDocument& doc = LastDocument();
  ASSERT_EQ(doc.pages.size(), 2u);
  EXPECT_EQ(doc.pages[1].front(), "   Seite  2");
  EXPECT_EQ(doc.pages[1].back(), "****** Ausdruck abgebrochen ******");
  EXPECT_TRUE(doc.ended);
  EXPECT_EQ(RunState.ActivityState, Idle);
  EXPECT_TRUE(tk.Terminated());
}

// Printing processes messages; nothing that starts a run, a print or a
// save can be pressed meanwhile, and everything is back afterwards.
TEST_F(ProtocolFileTest, WhilePrintingTheRunAndFileButtonsAreLocked) {
  Fill(130);
  bool locked = false;
  tk.actions.push_back([&] {
    if (RunState.ActivityState != Printing) return false;
    locked = !F().ButtonStart->Enabled() && !F().ButtonPrintLog->Enabled() &&
             !F().ButtonSaveLog->Enabled();
    return true;
  });
  AsHeadless(*F().ButtonPrintLog).UserClick();
  EXPECT_TRUE(locked);
  EXPECT_EQ(LastDocument().pages.size(), 3u);
  EXPECT_TRUE(F().ButtonStart->Enabled());
  EXPECT_TRUE(F().ButtonPrintLog->Enabled());
  EXPECT_TRUE(F().ButtonSaveLog->Enabled());
}

TEST_F(ProtocolFileTest, APrintThatCannotStartOrFitALineIsRefusedWithAMessage) {
  Fill(3);
  tk.printer.beginDocError = 5;
  AsHeadless(*F().ButtonPrintLog).UserClick();
  tk.printer.beginDocError = 0;
  tk.printer.metrics.textHeightX = 2600;
  AsHeadless(*F().ButtonPrintLog).UserClick();
  EXPECT_TRUE(tk.printer.documents.empty());
  EXPECT_EQ(DialogTexts(), (std::vector<std::string>{
                               "Printing could not be started.\rWindows error 5: Access is denied.",
                               "The printer font is too large for a page."}));
  EXPECT_EQ(RunState.ActivityState, Idle);
  EXPECT_TRUE(F().ButtonPrintLog->Enabled());
}

TEST_F(ProtocolFileTest, TheDebugPrintShowsTheLayoutFigures) {
  RunOptions.DebugFlag = true;
  Fill(1);
  AsHeadless(*F().ButtonPrintLog).UserClick();
  EXPECT_EQ(FormDebug->Memo->Lines(),
            (std::vector<std::string>{"CharWidth         = 0.1\" = 2.54 mm", "LeftMarginBlanks  = 3",
                                      "CharsPerPrintLine = 74", "LinesPerPage      = 62"}));
}

TEST_F(ProtocolFileTest, TheTestButtonWritesThePrinterGeometryWhenThereIsAPrinter) {
  MainForm().PressKey('D', ShiftState::Ctrl | ShiftState::Alt);
  AsHeadless(*F().ButtonTest).UserClick();
  PrinterAvailable = false;
  AsHeadless(*F().ButtonTest).UserClick();
  EXPECT_EQ(FormDebug->Memo->Lines(),
            std::vector<std::string>{"Pagewidth=4800   PageHeight=6600   "
                                     "Printer.Canvas.Font.PixelsPerInch=600   "
                                     "Printer.Canvas.ClipRect.Right=4800   "
                                     "Printer.Canvas.ClipRect.Left=0"});
}

TEST_F(ProtocolFileTest, AnInteractiveSaveWritesTheLinesOrNothingOnCancel) {
  RunOptions.DebugFlag = true;
  RunOptions.DstPath = "D:\\Backup";
  Fill(2);
  AsHeadless(*F().ButtonSaveLog).UserClick();  // cancelled
  EXPECT_EQ(tk.saveDialogs[0].title, "Save plovik protocol to log file");
  EXPECT_EQ(tk.saveDialogs[0].initialDir, "D:\\Backup");
  EXPECT_EQ(FormDebug->Memo->Line(0), "SaveFlag=False   SaveFileSpec=PLOVIK-LOG.TXT");
  EXPECT_FALSE(fs.Exists("D:\\Backup\\PLOVIK-LOG.TXT"));
  tk.saveAnswers = {std::string("PLOVIK-LOG.TXT")};
  AsHeadless(*F().ButtonSaveLog).UserClick();
  EXPECT_EQ(fs.Content("D:\\Backup\\PLOVIK-LOG.TXT"), "line 0\r\nline 1\r\n");
  EXPECT_TRUE(F().ButtonSaveLog->Enabled());
  EXPECT_EQ(RunState.ActivityState, Idle);
}

TEST_F(ProtocolFileTest, AnAutomaticSaveGoesIntoTheDestinationAndLeavesTheButtonOff) {
  Fill(1);
  RunState.ActivityState = Updating;
  for (const char* destination : {"D:\\Backup", "D:\\"}) {
    RunOptions.DstPath = destination;
    EXPECT_EQ(SaveProtocol(SaveMode::Automatic).error, 0u);
  }
  EXPECT_EQ(fs.Content("D:\\Backup\\PLOVIK-LOG.TXT"), "line 0\r\n");
  EXPECT_EQ(fs.Content("D:\\PLOVIK-LOG.TXT"), "line 0\r\n");
  EXPECT_FALSE(F().ButtonSaveLog->Enabled());
  EXPECT_EQ(RunState.ActivityState, Updating);
  EXPECT_TRUE(tk.saveDialogs.empty());
}

TEST_F(ProtocolFileTest, AFailedSaveIsReportedAndTheWindowStaysUsable) {
  Fill(1);
  fs.FailWrite(TemporaryNameFor("C:\\Work\\x.txt"), 0, 112);
  tk.saveAnswers = {std::string("x.txt")};
  RunOptions.DstPath = WorkDir;
  AsHeadless(*F().ButtonSaveLog).UserClick();
  EXPECT_EQ(DialogTexts(),
            std::vector<std::string>{"The file could not be written:\rC:\\Work\\x.txt\rWindows "
                                     "error 112: There is not enough space on the disk."});
  EXPECT_EQ(RunState.ActivityState, Idle);
  EXPECT_TRUE(F().ButtonSaveLog->Enabled());
  EXPECT_TRUE(F().ButtonPrintLog->Enabled());
}

TEST_F(ProtocolFileTest, SaveAndPrintTakeTheProtocolAsTheUserEditedIt) {
  Fill(70);
  HeadlessMemo& memo = AsHeadless(*F().MemoProtocol);
  EXPECT_TRUE(memo.FollowsEnd());
  EXPECT_GT(memo.TopRow().line, 0);
  // "line 0" becomes "line zero"; "line 2" goes.
  memo.UserClick(TextPlace{0, 4});
  EXPECT_FALSE(memo.FollowsEnd());
  MainForm().PressKey(KeyEnd, ShiftState::Shift);
  memo.UserType(" zero");
  memo.UserClick(TextPlace{2, 0});
  MainForm().PressKey(KeyArrowDown, ShiftState::Shift);
  MainForm().PressKey(KeyDelete);
  MainForm().PressKey(KeyHome, ShiftState::Ctrl);
  MainForm().PressKey(KeyEnd, ShiftState::Shift);
  MainForm().PressKey('C', ShiftState::Ctrl);
  EXPECT_EQ(tk.clipboard, "line zero");

  RunOptions.DstPath = "D:\\Backup";
  tk.saveAnswers = {std::string("PLOVIK-LOG.TXT")};
  ASSERT_TRUE(F().ButtonSaveLog->Enabled());
  AsHeadless(*F().ButtonSaveLog).UserClick();
  std::string expected = "line zero\r\nline 1\r\n";
  for (int i = 3; i < 70; ++i) expected += "line " + std::to_string(i) + "\r\n";
  EXPECT_EQ(fs.Content("D:\\Backup\\PLOVIK-LOG.TXT"), expected);
  AsHeadless(*F().ButtonPrintLog).UserClick();
  const PrintedDocument& doc = LastDocument();
  ASSERT_EQ(doc.pages.size(), 2u);
  EXPECT_EQ(doc.pages[0][2], "   line zero");
  EXPECT_EQ(doc.pages[0][4], "   line 3");
  EXPECT_EQ(doc.pages[1].back(), "   line 69");
}

// ---- the debug window -----------------------------------------------------------------

TEST_F(ProtocolFileTest, TheDebugWindowStandsBelowTheMainWindowAndFollowsTheDebugBox) {
  HeadlessForm& debug = AsHeadless(*FormDebug->Self);
  EXPECT_FALSE(debug.Visible());
  EXPECT_EQ(debug.NormalBounds(), (Rect{0, 465, 1024, 239}));
  EXPECT_EQ(debug.Caption(), " plovik debug form");
  EXPECT_TRUE(DebugWindowReady);
  EXPECT_EQ(tk.ZOrder().front(), &MainForm());

  MainForm().PressKey('D', ShiftState::Ctrl | ShiftState::Alt);
  EXPECT_TRUE(debug.Visible());
  DebugAdd("seen");
  EXPECT_EQ(FormDebug->Memo->Lines(), std::vector<std::string>{"seen"});
  EXPECT_TRUE(F().MemoProtocol->Lines().empty());
  debug.PressKey('A', ShiftState::Ctrl);  // handed to the main window
  EXPECT_TRUE(F().MemoProtocol->Focused());
  debug.UserClose();
  EXPECT_FALSE(debug.Visible());
  EXPECT_FALSE(F().CheckBoxDebug->Checked());
  EXPECT_FALSE(RunOptions.DebugFlag);
}

TEST_F(ProtocolFileTest, TheDebugMemoPrintsInAFixedLayoutAndItsButtonsFollowItsLines) {
  TFormDebug& d = *FormDebug;
  AsHeadless(*FormDebug->Self).SetVisible(true);
  tk.printer.metrics = PrinterMetrics{60, 50, 600, 7200, 6600, 0, 7200};
  for (int i = 0; i < 250; ++i) d.Memo->Append(i == 1 ? std::string(200, 'x') : "d");
  EXPECT_TRUE(d.ButtonPrintMemo->Enabled() && d.ButtonSaveMemo->Enabled());
  AsHeadless(*d.ButtonPrintMemo).UserClick();
  const PrintedDocument& doc = LastDocument();
  ASSERT_EQ(doc.pages.size(), 3u);
  EXPECT_EQ(doc.font.name, "Courier");
  EXPECT_EQ(doc.font.points, 8);
  EXPECT_EQ(doc.pages[2][0], "     Seite  3");
  EXPECT_EQ(doc.pages[0][3], "     " + std::string(102, 'x') + "...");
  EXPECT_EQ(doc.pages[1].size(), 102u);

  AsHeadless(*d.ButtonClearMemo).UserClick();
  EXPECT_FALSE(d.ButtonPrintMemo->Enabled() || d.ButtonSaveMemo->Enabled());
  AsHeadless(*d.Button1).UserClick();
  EXPECT_EQ(d.Memo->Line(1), std::string("APPDATA         = \"") + AppData + "\"");
  EXPECT_EQ(d.Memo->Line(2), "USERPROFILE     = \"\"");
  AsHeadless(*d.ButtonSeparateMemo).UserClick();
  EXPECT_EQ(d.Memo->Line(4), std::string(80, '-'));

  AsHeadless(*d.ButtonSaveMemo).UserClick();  // cancelled: nothing written
  EXPECT_EQ(fs.List("C:\\Plovik"), std::vector<std::string>{});
  tk.saveAnswers = {std::string("DebugPlovik-1")};
  AsHeadless(*d.ButtonSaveMemo).UserClick();
  EXPECT_EQ(tk.saveDialogs[1].initialDir, "C:\\Plovik\\");
  EXPECT_EQ(fs.Content("C:\\Plovik\\DebugPlovik-1.LOG").substr(0, 24), "Environment variables:\r\n");
}

}  // namespace
}  // namespace plovik
