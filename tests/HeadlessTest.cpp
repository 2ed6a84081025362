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

TEST_F(HeadlessTest, LabelsSizeThemselvesAndContainersMoveAnchoredControls) {
  auto label = tk.CreateLabel(*form);
  label->SetCaption("&Größe\rab");
  label->SetFont(Font{"Lucida Console", 22});
  EXPECT_EQ(label->Width(), 5 * 14);  // the widest line, without the "&"
  EXPECT_EQ(label->Height(), 2 * HeadlessLineHeight(Font{"Lucida Console", 22}));

  auto panel = tk.CreatePanel(*form);
  panel->SetBounds(10, 10, 300, 30);
  panel->SetAnchors(Anchor::Left | Anchor::Top | Anchor::Right);
  auto stretched = tk.CreateEdit(*panel);
  stretched->SetBounds(0, 0, 270, 26);
  stretched->SetAnchors(Anchor::Left | Anchor::Right);
  auto moved = tk.CreateButton(*panel);
  moved->SetBounds(270, 0, 26, 26);
  moved->SetAnchors(Anchor::Right | Anchor::Top);
  auto memo = tk.CreateMemo(*form);
  memo->SetBounds(0, 100, 792, 469);
  memo->SetAnchors(Anchor::Left | Anchor::Top | Anchor::Right | Anchor::Bottom);
  int resizes = 0;
  form->SetOnResize([&](NotifyEvent&) { ++resizes; });

  form->SetBounds(0, 0, 900, 650);
  EXPECT_EQ(panel->Width(), 400);
  EXPECT_EQ(stretched->Width(), 370);
  EXPECT_EQ(moved->Left(), 370);
  EXPECT_EQ(memo->Height(), 519);
  EXPECT_EQ(memo->ClientWidth(), 892 - 2 * 2 - 17);
  EXPECT_EQ(resizes, 1);
  form->SetBounds(5, 5, 900, 650);  // moved, not resized
  EXPECT_EQ(resizes, 1);

  // Maximised, the form fills the screen and keeps its normal bounds.
  form->SetWindowState(WindowState::Maximized);
  EXPECT_EQ(form->Width(), 1024);
  EXPECT_EQ(form->ClientHeight(), 768 - 19 - 2 * 4);
  EXPECT_EQ(panel->Width(), 400 + 124);
  form->SetBounds(1, 2, 500, 100);  // while maximised: the normal bounds
  form->SetMinSize(768, 240);
  form->SetWindowState(WindowState::Normal);
  EXPECT_EQ(form->NormalBounds(), (Rect{1, 2, 768, 240}));
  EXPECT_EQ(panel->Width(), 400 + 768 - 900);
  EXPECT_EQ(resizes, 3);
}

TEST_F(HeadlessTest, CheckBoxHandlersRunOnEveryChangeOfTheStateAlsoFromCode) {
  auto subDirs = tk.CreateCheckBox(*form);
  auto empty = tk.CreateCheckBox(*form);
  empty->SetChecked(true);
  empty->SetOnClick([&](NotifyEvent& e) {
    log.push_back(static_cast<CheckBox&>(e.sender).Checked() ? "empty on" : "empty off");
  });
  // A handler that changes another box from code runs that box's handler
  // inside its own, and only when the state really changes.
  subDirs->SetOnClick([&](NotifyEvent&) {
    log.push_back("subdirs");
    empty->SetChecked(subDirs->Checked());
    empty->SetEnabled(subDirs->Checked());
  });
  subDirs->SetChecked(true);  // the other box is ticked already
  subDirs->SetChecked(true);  // no change, no handler
  EXPECT_EQ(log, (std::vector<std::string>{"subdirs"}));
  AsHeadless(*subDirs).UserClick();
  EXPECT_FALSE(empty->Checked());
  AsHeadless(*empty).UserClick();  // greyed: the user cannot click it
  EXPECT_EQ(TakeScriptErrors().size(), 1u);
  subDirs->SetChecked(true);
  EXPECT_TRUE(empty->Checked());
  EXPECT_EQ(log, (std::vector<std::string>{"subdirs", "subdirs", "empty off", "subdirs",
                                           "empty on"}));
}

TEST_F(HeadlessTest, FocusMovesWithinItsFormAndRunsExitBeforeEnter) {
  auto source = tk.CreateComboBox(*form);
  auto ignore = tk.CreateComboBox(*form);
  auto start = tk.CreateButton(*form);
  for (auto* box : {source.get(), ignore.get()}) {
    const std::string name = box == source.get() ? "source" : "ignore";
    box->SetOnEnter([this, name](NotifyEvent&) { log.push_back("enter " + name); });
    box->SetOnExit([this, name](NotifyEvent&) { log.push_back("exit " + name); });
  }
  start->SetOnMouseDown([&](MouseEvent&) { log.push_back("down"); });
  start->SetOnClick([&](NotifyEvent&) { log.push_back("click"); });
  auto other = tk.CreateForm();
  auto elsewhere = tk.CreateEdit(*other);

  source->SetFocus();
  ignore->SetFocus();
  elsewhere->SetFocus();  // another form's focus: this one keeps its own
  EXPECT_TRUE(ignore->Focused());
  EXPECT_TRUE(elsewhere->Focused());
  AsHeadless(*start).UserClick();  // the click takes the focus first
  EXPECT_EQ(log, (std::vector<std::string>{"enter source", "exit source", "enter ignore",
                                           "exit ignore", "down", "click"}));
  log.clear();
  source->SetFocus();
  source->SetEnabled(false);  // a disabled control loses the focus
  EXPECT_FALSE(source->Focused());
  ignore->SetVisible(false);
  ignore->SetFocus();  // hidden: cannot take the focus
  EXPECT_EQ(AsHeadless(*form).FocusedControl(), nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"enter source", "exit source"}));

  // The mouse-down of the Abort button stops the run and disables the
  // button: its click does not follow.
  start->SetOnMouseDown([&](MouseEvent& e) { static_cast<Button&>(e.sender).SetEnabled(false); });
  AsHeadless(*start).UserClick();
  EXPECT_EQ(log.size(), 2u);
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

TEST_F(HeadlessTest, KeysGoToThePreviewThenMenuShortcutsThenTheDefaultButton) {
  auto start = tk.CreateButton(*form);
  start->SetDefault(true);
  start->SetOnClick([&](NotifyEvent&) { log.push_back("start"); });
  auto other = tk.CreateButton(*form);
  other->SetOnClick([&](NotifyEvent&) { log.push_back("other"); });
  auto box = tk.CreateComboBox(*form);
  auto menu = tk.CreatePopupMenu(*form);
  MenuItem& help = menu->AddItem("&Help");
  help.SetShortcut(KeyF1, ShiftState::None);
  help.SetOnClick([&](MenuItem&) { log.push_back("help"); });
  help.SetVisible(false);  // its shortcut still works
  form->SetContextMenu(menu.get());
  form->SetOnKeyDown([&](KeyEvent& e) {
    log.push_back("key " + std::to_string(e.key));
    e.handled = e.key == KeyEscape;
  });
  HeadlessForm& window = AsHeadless(*form);

  box->SetFocus();
  window.PressKey(KeyReturn);  // no preview, a control has the focus
  window.PressKey(KeyF1, ShiftState::Shift);
  EXPECT_EQ(log, (std::vector<std::string>{"start"}));
  form->SetKeyPreview(true);
  window.PressKey(KeyEscape);  // handled by the form
  window.PressKey(KeyF1);
  other->SetFocus();
  window.PressKey(KeyReturn);  // the focused button
  EXPECT_EQ(log, (std::vector<std::string>{"start", "key 27", "key 112", "help", "key 13",
                                           "other"}));
  log.clear();
  box->SetFocus();
  start->SetEnabled(false);
  window.PressKey(KeyReturn);  // a disabled default button does nothing
  int closes = 0;
  form->SetOnClose([&](CloseEvent&) { ++closes; });
  window.PressKey(KeyF4, ShiftState::Alt);  // no item has it: the system closes
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(form->Visible());
  window.PressKey(KeyReturn);  // a hidden form gets no keys
  EXPECT_EQ(TakeScriptErrors().size(), 1u);
  EXPECT_EQ(log, (std::vector<std::string>{"key 13", "key 115"}));
}

TEST_F(HeadlessTest, CloseQueryCanRefuseAndTheMainFormsFreeingEndsTheLoop) {
  tk.SetMainForm(form.get());
  auto debug = tk.CreateForm();
  debug->SetVisible(true);
  bool busy = true;
  form->SetOnCloseQuery([&](CloseQueryEvent& e) { e.canClose = !busy; });
  CloseAction mainAction = CloseAction::None;
  form->SetOnClose([&](CloseEvent& e) { mainAction = e.action; });
  CloseAction debugAction = CloseAction::None;
  debug->SetOnClose([&](CloseEvent& e) { debugAction = e.action; });

  AsHeadless(*debug).UserClose();
  EXPECT_EQ(debugAction, CloseAction::Hide);
  EXPECT_FALSE(debug->Visible());
  tk.actions.push_back([&] {
    AsHeadless(*form).UserClose();  // refused while busy
    EXPECT_EQ(mainAction, CloseAction::None);
    EXPECT_TRUE(form->Visible());
    busy = false;
    AsHeadless(*form).UserClose();
    return true;
  });
  EXPECT_EQ(tk.Run(), 0);
  EXPECT_EQ(mainAction, CloseAction::Free);
  EXPECT_TRUE(AsHeadless(*form).Freed());
  EXPECT_TRUE(tk.Terminated());
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

TEST_F(HeadlessTest, PopupMenusRunTheirEventShowTheVisibleItemsAndTakeTheScriptedChoice) {
  auto menu = tk.CreatePopupMenu(*form);
  MenuItem& help = menu->AddItem("&Help");
  menu->AddSeparator();
  MenuItem& english = menu->AddItem("&English");
  MenuItem& german = menu->AddItem("&Deutsch");
  MenuItem& save = menu->AddItem("&Save settings");
  for (MenuItem* item : {&english, &german}) {
    item->SetRadioGroup(1);
    item->SetAutoCheck(true);
  }
  english.SetChecked(true);
  save.SetAutoCheck(true);
  bool fromButton = true;
  menu->SetOnPopup([&] { help.SetVisible(!fromButton); });
  save.SetOnClick([&](MenuItem& item) { log.push_back(item.Checked() ? "save on" : "save off"); });
  german.SetOnClick([&](MenuItem&) { log.push_back(english.Checked() ? "both" : "german"); });

  tk.popupChoices = {"Deutsch", "&Save settings", "", "Help"};
  menu->Popup(20, 30);
  menu->Popup(20, 30);
  menu->Popup(20, 30);  // closed without a choice
  EXPECT_EQ(log, (std::vector<std::string>{"german", "save on"}));
  EXPECT_FALSE(english.Checked());
  ASSERT_EQ(tk.popups.size(), 3u);
  EXPECT_EQ(tk.popups[0].captions,
            (std::vector<std::string>{"-", "&English", "&Deutsch", "&Save settings"}));
  EXPECT_EQ(tk.popups[0].screenX, 20);
  menu->Popup(0, 0);  // Help is hidden: the user cannot choose it
  EXPECT_EQ(TakeScriptErrors().size(), 1u);
  fromButton = false;
  tk.popupChoices = {"Help"};
  help.SetOnClick([&](MenuItem&) { log.push_back("help"); });
  AsHeadless(*form).OpenContextMenu(5, 5);  // not the form's menu yet: nothing shows
  form->SetContextMenu(menu.get());
  AsHeadless(*form).OpenContextMenu(5, 5);
  EXPECT_EQ(log.back(), "help");
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
