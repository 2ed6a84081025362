// The headless toolkit the native tests drive the program through: what the
// program relies on from its controls, forms, menus, printer and message
// loop, and that a script asking for something no user could do fails.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/ProgramTest.h"
#include "toolkit/headless/Headless.h"

namespace plovik {
namespace {

class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = tk.CreateForm();
    form->SetBounds(0, 0, 800, 600);
    form->SetVisible(true);
  }
  // A test that provokes script errors takes them out of the list.
  void TearDown() override { EXPECT_EQ(tk.scriptErrors, std::vector<std::string>{}); }
  std::vector<std::string> TakeScriptErrors() { return std::exchange(tk.scriptErrors, {}); }

  HeadlessToolkit tk;
  std::unique_ptr<Form> form;
  std::vector<std::string> log;
};

TEST_F(HeadlessTest, MemoRefusesAppendsBeyondItsCapacityAndReportsEveryChange) {
  auto memo = tk.CreateMemo(*form);
  int changes = 0;
  memo->SetOnChange([&](NotifyEvent&) { ++changes; });
  memo->SetCapacity(12);
  EXPECT_TRUE(memo->Append("äbc"));  // 3 characters + 2
  EXPECT_TRUE(memo->Append(""));
  EXPECT_FALSE(memo->Append("abcd"));  // would need 13
  EXPECT_TRUE(memo->Append("abc"));    // exactly 12
  memo->SetLine(1, "x");               // replacing is never refused
  EXPECT_FALSE(memo->Append(""));
  memo->DeleteLine(0);
  EXPECT_EQ(memo->Lines(), (std::vector<std::string>{"x", "abc"}));
  EXPECT_TRUE(memo->Append(""));  // 13 - 5 + 2 = 10
  memo->Clear();
  EXPECT_EQ(changes, 7);  // refusals and bad indexes are no change
  memo->SetLine(3, "x");
  memo->DeleteLine(-1);
  EXPECT_EQ(changes, 7);
  // Capacity lowered below what the memo holds: further appends are refused.
  memo->SetCapacity(100);
  ASSERT_TRUE(memo->Append(std::string(50, 'a')));
  memo->SetCapacity(10);
  EXPECT_FALSE(memo->Append(""));
}

// What the contract cannot say: how large the headless windows are.
TEST_F(HeadlessTest, AMaximisedFormFillsTheWorkAreaOfTheScreen) {
  auto panel = tk.CreatePanel(*form);
  panel->SetBounds(10, 10, 300, 30);
  panel->SetAnchors(Anchor::Left | Anchor::Top | Anchor::Right);
  form->SetWindowState(WindowState::Maximized);
  EXPECT_EQ(form->Width(), 1024);
  EXPECT_EQ(form->ClientHeight(), 768 - 19 - 2 * 4);
  EXPECT_EQ(panel->Width(), 300 + 224);
  form->SetWindowState(WindowState::Normal);
  tk.screen.workArea = Rect{0, 0, 1024, 728};  // a taskbar below
  form->SetWindowState(WindowState::Maximized);
  EXPECT_EQ(form->Height(), 728);
  EXPECT_EQ(form->NormalBounds(), (Rect{0, 0, 800, 600}));
}

TEST_F(HeadlessTest, EditsAndComboBoxesKeepCaretItemsAndChangeEvents) {
  auto edit = tk.CreateEdit(*form);
  int editChanges = 0;
  edit->SetOnChange([&](NotifyEvent&) { ++editChanges; });
  edit->SetText("C:\\Data");
  edit->SetText("C:\\Data");
  edit->SetSelStart(99);
  EXPECT_EQ(edit->SelStart(), 7);
  AsHeadless(*edit).UserType("D:\\Ü");
  EXPECT_EQ(edit->SelStart(), 4);
  EXPECT_EQ(editChanges, 2);  // from code too, but only when the text changes

  auto box = tk.CreateComboBox(*form);
  box->SetOnDropDown([&](NotifyEvent&) { log.push_back("dropdown"); });
  box->SetOnChange([&](NotifyEvent& e) {
    log.push_back("change " + static_cast<ComboBox&>(e.sender).Text());
  });
  box->SetText("old");
  box->SetItems({"----", "*.BAK", ""});
  EXPECT_EQ(box->Text(), "");
  box->InsertItem(0, "*.TXT");
  box->SetItemIndex(2);
  EXPECT_EQ(box->Text(), "*.BAK");
  box->InsertItem(0, "*.DOC");
  box->DeleteItem(1);
  EXPECT_EQ(box->ItemIndex(), 2);
  box->DeleteItem(2);  // the selected item: none selected, the text stays
  EXPECT_EQ(box->ItemIndex(), -1);
  EXPECT_EQ(box->Text(), "*.BAK");
  EXPECT_TRUE(log.empty());  // nothing from code runs the change event
  AsHeadless(*box).UserPick(2);
  AsHeadless(*box).UserType("*.TMP ");
  EXPECT_EQ(log, (std::vector<std::string>{"dropdown", "change ", "change *.TMP "}));
  AsHeadless(*box).UserPick(7);
  EXPECT_EQ(TakeScriptErrors().size(), 1u);
  box->SetFont(Font{"Courier", 11});
  EXPECT_EQ(box->Height(), HeadlessLineHeight(Font{"Courier", 11}) + HeadlessSizes::ComboBoxFrame);
}

TEST_F(HeadlessTest, RunEndsOnTerminateAndReportsALoopThatWouldWaitForEver) {
  int rounds = 0;
  tk.actions.push_back([&] {
    if (++rounds < 3) return false;
    tk.Terminate(4);
    return true;
  });
  EXPECT_EQ(tk.Run(), 4);
  EXPECT_EQ(rounds, 3);

  // Terminated before the loop starts: the loop still takes one round.
  HeadlessToolkit early;
  early.Terminate(0);
  early.actions.push_back([&] { return ++rounds > 0; });
  early.Run();
  EXPECT_EQ(rounds, 4);
  EXPECT_TRUE(early.scriptErrors.empty());

  std::vector<std::string> reported;
  HeadlessToolkit idle;
  idle.onScriptError = [&](const std::string& what) { reported.push_back(what); };
  idle.Run();  // nothing scripted, nothing can end it
  EXPECT_EQ(reported.size(), 1u);
  HeadlessToolkit stuck;
  stuck.runRoundLimit = 50;
  stuck.actions.push_back([] { return false; });
  stuck.Run();
  EXPECT_EQ(stuck.scriptErrors.size(), 1u);
  EXPECT_EQ(stuck.processCount, 50);
}

TEST_F(HeadlessTest, ActionsRunNestedButNeverInsideThemselves) {
  // The first action is a button press whose handler runs a long activity
  // that processes messages itself; the second presses Abort during it.
  tk.actions.push_back([&] {
    log.push_back("start");
    for (int i = 0; i < 3; ++i) {
      log.push_back("step");
      tk.ProcessMessages();
    }
    return true;
  });
  int steps = 0;
  tk.actions.push_back([&] {
    if (++steps < 2) return false;
    log.push_back("abort");
    return true;
  });
  tk.ProcessMessages();
  EXPECT_EQ(log, (std::vector<std::string>{"start", "step", "step", "abort", "step"}));
  EXPECT_TRUE(tk.actions.empty());
}

TEST_F(HeadlessTest, MessageDialogsAcceptOnlyAnswersTheyOffer) {
  tk.answers = {ModalRetry, ModalIgnore, ModalCancel};
  tk.defaultAnswer = ModalYes;
  EXPECT_EQ(tk.MessageDialog("one", DialogType::Error, ButtonAbort | ButtonRetry, 0), ModalRetry);
  EXPECT_EQ(tk.MessageDialog("two", DialogType::Error, ButtonAbort | ButtonRetry, 0), ModalCancel);
  EXPECT_EQ(TakeScriptErrors().size(), 1u);  // Ignore was not offered
  EXPECT_EQ(tk.MessageDialog("three", DialogType::Warning, ButtonOk, 7), ModalCancel);
  EXPECT_EQ(tk.MessageDialog("four", DialogType::Confirmation, ButtonYes | ButtonNo, 0),
            ModalYes);
  EXPECT_EQ(tk.MessageDialog("five", DialogType::Information, ButtonOk, 0), ModalCancel);
  EXPECT_EQ(TakeScriptErrors().size(), 1u);  // the default Yes was not offered
  ASSERT_EQ(tk.dialogs.size(), 5u);
  EXPECT_EQ(tk.dialogs[2].text, "three");
  EXPECT_EQ(tk.dialogs[2].helpContext, 7);
}

TEST_F(HeadlessTest, PopupMenusTakeTheScriptedChoiceOfAShownItemOnly) {
  auto menu = tk.CreatePopupMenu(*form);
  MenuItem& help = menu->AddItem("&Help");
  MenuItem& save = menu->AddItem("&Save settings");
  save.SetAutoCheck(true);
  bool fromButton = true;
  menu->SetOnPopup([&] { help.SetVisible(!fromButton); });
  help.SetOnClick([&](MenuItem&) { log.push_back("help"); });
  save.SetOnClick([&](MenuItem&) { log.push_back("save"); });

  tk.popupChoices = {"&Save settings", "Help"};
  menu->Popup(20, 30);  // with or without its "&"
  menu->Popup(0, 0);    // Help is hidden: the user cannot choose it
  EXPECT_EQ(TakeScriptErrors().size(), 1u);
  ASSERT_EQ(tk.popups.size(), 2u);
  EXPECT_EQ(tk.popups[0].screenX, 20);
  EXPECT_EQ(tk.popups[0].captions, std::vector<std::string>{"&Save settings"});
  fromButton = false;
  tk.popupChoices = {"Help"};
  AsHeadless(*form).OpenContextMenu(5, 5);  // not the form's menu yet: nothing shows
  form->SetContextMenu(menu.get());
  AsHeadless(*form).OpenContextMenu(5, 5);
  EXPECT_EQ(log, (std::vector<std::string>{"save", "help"}));
}

TEST_F(HeadlessTest, PrinterLaysTextOutOnLinesAndPages) {
  HeadlessPrinter& printer = tk.printer;
  // 10 characters across, 3 lines down.
  printer.metrics.pageWidth = 10 * printer.metrics.textWidthX;
  printer.metrics.pageHeight = 3 * printer.metrics.textHeightX + 1;
  int processed = 0;
  tk.actions.push_back([&] { return ++processed < 0; });
  ASSERT_TRUE(printer.BeginDoc("Plovik").Ok());
  printer.Write("page  1\n\r\n");
  printer.Write("0123456789abcdefghij.\r\n");  // wraps into the next line and page
  printer.Write("x\fnext\r\n\f");
  printer.Write("äöü\n\n\n\n");  // a full page goes on on the next
  printer.Write("last");
  ASSERT_TRUE(printer.EndDoc().Ok());
  ASSERT_EQ(printer.documents.size(), 1u);
  const PrintedDocument& doc = printer.documents[0];
  EXPECT_EQ(doc.pages, (std::vector<std::vector<std::string>>{
                           {"page  1", "", "0123456789"},
                           {"abcdefghij", ".", "x"},
                           {"next"},
                           {"äöü"},
                           {"last"}}));
  EXPECT_TRUE(doc.ended);
  EXPECT_EQ(processed, 5);  // four page turns and the end
  EXPECT_FALSE(printer.EndDoc().Ok());

  printer.beginDocError = 1804;
  const Result<void> failed = printer.BeginDoc("again");
  EXPECT_EQ(failed.Error(), 1804u);
  printer.Write("lost");
  EXPECT_EQ(printer.documents.size(), 1u);
}

TEST_F(HeadlessTest, CommonDialogsRecordTheirPresetsAndAnswerFromScripts) {
  SaveDialogOptions options;
  options.initialDir = "D:\\Backup";
  options.fileName = "PLOVIK-LOG.TXT";
  options.defaultExt = "TXT";
  tk.saveAnswers = {"mylog", "C:\\a.b\\log", std::nullopt};
  EXPECT_EQ(tk.SaveFileDialog(options).fileName, "D:\\Backup\\mylog.TXT");
  EXPECT_EQ(tk.SaveFileDialog(options).fileName, "C:\\a.b\\log.TXT");
  const SaveDialogResult cancelled = tk.SaveFileDialog(options);
  EXPECT_FALSE(cancelled.confirmed);
  EXPECT_EQ(cancelled.fileName, "PLOVIK-LOG.TXT");

  tk.directoryExists = [](const std::string& path) { return path == "C:\\src"; };
  std::string directory = "C:\\gone";
  tk.folderAnswers = {std::nullopt, "E:\\chosen"};
  EXPECT_FALSE(tk.BrowseForFolder("Source", directory));
  EXPECT_EQ(directory, "");  // a start that does not exist is emptied
  directory = "C:\\src";
  EXPECT_TRUE(tk.BrowseForFolder("Source", directory));
  EXPECT_EQ(directory, "E:\\chosen");
  EXPECT_EQ(tk.folderDialogs[1].preset, "C:\\src");

  std::string keepTime = "5000";
  tk.inputAnswers = {std::nullopt};
  EXPECT_FALSE(tk.InputQuery("Wartezeit eingeben", "Wartezeit in Millisekunden:", keepTime));
  EXPECT_EQ(keepTime, "5000");
  FontChoice font{"Courier New", 10, true};
  tk.fontAnswers = {FontChoice{"Lucida Console", 9}};
  EXPECT_TRUE(tk.FontDialog(FontDevice::Printer, font));
  EXPECT_EQ(font.name, "Lucida Console");
  EXPECT_EQ(tk.fontDialogs[0].preset.points, 10);
}

// Program tests fail on a script error.
class ProgramScriptTest : public test::ProgramTest {};

TEST_F(ProgramScriptTest, AnAnswerTheDialogDidNotOfferFailsTheTest) {
  tk.answers = {ModalIgnore};
  EXPECT_NONFATAL_FAILURE(
      tk.MessageDialog("Drive not ready", DialogType::Error, ButtonAbort | ButtonRetry, 0),
      "offers no button with the result 5");
  tk.popupChoices = {"Exit"};
  auto menu = tk.CreatePopupMenu(*form);
  EXPECT_NONFATAL_FAILURE(menu->Popup(0, 0), "shows no item \"Exit\"");
}

}  // namespace
}  // namespace plovik
