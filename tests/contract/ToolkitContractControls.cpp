// The toolkit contract, controls: check boxes, enabled and visible state,
// focus, labels sized to their captions, keys, the message dialog and the
// popup menu.
#include <string>
#include <vector>

#include "contract/ToolkitContract.h"

namespace plovik::contract {
namespace {

TEST_F(ToolkitContract, CheckBoxRunsItsClickHandlerForClicksAndForChangesFromCode) {
  auto subDirs = Kit().CreateCheckBox(*form);
  subDirs->SetBounds(8, 8, 160, 20);
  subDirs->SetCaption("&Copy subdirectories");
  auto empty = Kit().CreateCheckBox(*form);
  empty->SetBounds(8, 32, 160, 20);
  std::vector<std::string> log;
  bool emptyFlag = true;
  empty->SetChecked(true);
  empty->SetOnClick([&](NotifyEvent& e) {
    EXPECT_EQ(&e.sender, empty.get());
    log.push_back(std::string("empty ") + (empty->Checked() ? "on" : "off"));
    emptyFlag = empty->Checked();
  });
  // Like the program's subdirectory box: it forces the other box and
  // restores the flag the other box's handler changed.
  subDirs->SetOnClick([&](NotifyEvent&) {
    log.push_back(std::string("subdirs ") + (subDirs->Checked() ? "on" : "off"));
    const bool saved = emptyFlag;
    empty->SetChecked(subDirs->Checked() && emptyFlag);
    empty->SetEnabled(subDirs->Checked());
    emptyFlag = saved;
  });
  subDirs->SetChecked(true);
  subDirs->SetChecked(true);  // no change, no handler
  env().ClickCheckBox(*subDirs);
  EXPECT_FALSE(subDirs->Checked());
  EXPECT_FALSE(empty->Checked());
  EXPECT_FALSE(empty->Enabled());
  EXPECT_TRUE(emptyFlag);
  subDirs->SetChecked(true);
  EXPECT_TRUE(empty->Checked());
  EXPECT_TRUE(empty->Enabled());
  EXPECT_EQ(subDirs->Caption(), "&Copy subdirectories");
  EXPECT_EQ(log, (std::vector<std::string>{"subdirs on", "subdirs off", "empty off", "subdirs on",
                                           "empty on"}));
}

TEST_F(ToolkitContract, FocusMovesWithinItsFormAndADisabledControlGivesItUp) {
  auto source = Kit().CreateComboBox(*form);
  source->SetBounds(8, 8, 200, 21);
  auto ignore = Kit().CreateComboBox(*form);
  ignore->SetBounds(8, 40, 200, 21);
  auto start = Kit().CreateButton(*form);
  start->SetBounds(8, 80, 80, 24);
  std::vector<std::string> log;
  for (ComboBox* box : {source.get(), ignore.get()}) {
    const std::string name = box == source.get() ? "source" : "ignore";
    box->SetOnEnter([&log, name](NotifyEvent&) { log.push_back("enter " + name); });
    box->SetOnExit([&log, name](NotifyEvent&) { log.push_back("exit " + name); });
  }
  start->SetOnMouseDown([&](MouseEvent&) { log.push_back("down"); });
  start->SetOnClick([&](NotifyEvent&) { log.push_back("click"); });

  source->SetFocus();
  ignore->SetFocus();
  EXPECT_TRUE(ignore->Focused());
  EXPECT_FALSE(source->Focused());
  env().ClickButton(*start);
  EXPECT_TRUE(start->Focused());
  EXPECT_EQ(log, (std::vector<std::string>{"enter source", "exit source", "enter ignore", "down",
                                           "exit ignore", "click"}));
  log.clear();
  source->SetFocus();
  source->SetEnabled(false);  // a disabled control loses the focus
  EXPECT_FALSE(source->Enabled());
  EXPECT_FALSE(source->Focused());
  ignore->SetFocus();
  ignore->SetVisible(false);  // a hidden one keeps it: nothing moves it
  EXPECT_FALSE(ignore->Visible());
  EXPECT_TRUE(ignore->Focused());
  ignore->SetVisible(true);
  EXPECT_EQ(log, (std::vector<std::string>{"enter source", "exit source", "enter ignore"}));

  // A button clicks only while it is enabled.
  start->SetEnabled(false);
  start->Click();
  start->SetEnabled(true);
  start->Click();
  // The mouse-down of the Abort button stops the run and disables the
  // button: its click does not follow.
  start->SetOnMouseDown([&](MouseEvent&) { start->SetEnabled(false); });
  env().ClickButton(*start);
  EXPECT_EQ(log, (std::vector<std::string>{"enter source", "exit source", "enter ignore", "click"}));
}

TEST_F(ToolkitContract, LabelsSizeThemselvesToEveryNewCaption) {
  const Font font{"Courier New", 13};
  auto label = Kit().CreateLabel(*form);
  label->SetFont(font);
  label->SetBounds(8, 8, 1, 1);  // the size stays the caption's
  label->SetCaption("Ignore   files");
  const int english = label->Width();
  EXPECT_EQ(english, Kit().TextWidth(font, "Ignore   files"));
  label->SetCaption("Ignorieren");
  EXPECT_EQ(label->Width(), Kit().TextWidth(font, "Ignorieren"));
  EXPECT_LT(label->Width(), english);
  label->SetCaption("Ignore   files");
  EXPECT_EQ(label->Width(), english);
  EXPECT_EQ(label->Left(), 8);
  const int oneLine = label->Height();
  label->SetCaption("&Quelle");  // the mnemonic sign takes no room
  EXPECT_EQ(label->Width(), Kit().TextWidth(font, "Quelle"));
  label->SetCaption("Quelle\rZiel und Quelle");  // the widest of two lines
  EXPECT_EQ(label->Width(), Kit().TextWidth(font, "Ziel und Quelle"));
  EXPECT_EQ(label->Height(), 2 * oneLine);
  label->SetFont(Font{"Courier New", 26});
  EXPECT_GT(label->Width(), Kit().TextWidth(font, "Ziel und Quelle") * 3 / 2);
  label->SetCaption("");
  EXPECT_EQ(label->Width(), 0);
}

struct KeyScene {
  std::unique_ptr<Edit> edit;
  std::unique_ptr<Button> other, start;
  std::unique_ptr<PopupMenu> menu;
  std::vector<std::string> seen;
  bool handleF1 = false;
};

TEST_F(ToolkitContract, KeysReachTheFormFirstThenItsShortcutsThenTheDialogKeys) {
  KeyScene s;
  s.edit = Kit().CreateEdit(*form);
  s.edit->SetBounds(8, 8, 200, 21);
  s.edit->SetTabStop(true);
  s.other = Kit().CreateButton(*form);
  s.other->SetBounds(8, 40, 80, 24);
  s.other->SetTabStop(true);
  s.start = Kit().CreateButton(*form);
  s.start->SetBounds(100, 40, 80, 24);
  s.start->SetDefault(true);
  s.other->SetOnClick([&](NotifyEvent&) { s.seen.push_back("other"); });
  s.start->SetOnClick([&](NotifyEvent&) { s.seen.push_back("start"); });
  s.menu = Kit().CreatePopupMenu(*form);
  MenuItem& help = s.menu->AddItem("&Hilfe");
  help.SetShortcut(KeyF1, ShiftState::None);
  help.SetVisible(false);  // hidden items' shortcuts work too
  help.SetOnClick([&](MenuItem&) { s.seen.push_back("help"); });
  MenuItem& exit = s.menu->AddItem("&Beenden");
  exit.SetShortcut(KeyF4, ShiftState::Alt);
  exit.SetOnClick([&](MenuItem&) { s.seen.push_back("exit"); });
  form->SetContextMenu(s.menu.get());
  form->SetOnKeyDown([&](KeyEvent& event) {
    s.seen.push_back("key " + std::to_string(event.key));
    if (event.key == KeyF1 && s.handleF1) event.handled = true;
  });
  int closeQueries = 0;
  form->SetOnCloseQuery([&](CloseQueryEvent&) { ++closeQueries; });
  s.edit->SetFocus();

  env().PressKey(*form, KeyF1);  // without key preview the form sees no key of its controls
  form->SetKeyPreview(true);
  env().PressKey(*form, KeyF1);
  s.handleF1 = true;
  env().PressKey(*form, KeyF1);  // handled by the form: no shortcut
  env().PressKey(*form, KeyF4, ShiftState::Alt);
  env().PressKey(*form, KeyEscape);  // closes nothing
  env().PressKey(*form, KeyReturn);  // the default button
  EXPECT_EQ(s.seen, (std::vector<std::string>{"help", "key 112", "help", "key 112", "key 115",
                                              "exit", "key 27", "key 13", "start"}));
  EXPECT_EQ(closeQueries, 0);
  EXPECT_TRUE(form->Visible());
  // Tab goes on to the next tab stop; Enter on a focused button presses it.
  env().PressKey(*form, 0x09);
  EXPECT_TRUE(s.other->Focused());
  env().PressKey(*form, KeyReturn);
  EXPECT_EQ(s.seen.back(), "other");
  // A disabled default button takes no Enter.
  s.edit->SetFocus();
  s.start->SetEnabled(false);
  s.seen.clear();
  env().PressKey(*form, KeyReturn);
  EXPECT_EQ(s.seen, std::vector<std::string>{"key 13"});
}

TEST_F(ToolkitContract, MessageDialogShowsGermanLabelsWithTheFirstAsDefaultAndEscapeCancels) {
  Kit().SetMainForm(form.get());
  struct Case {
    DialogType type;
    uint32_t buttons;
    DialogAnswer::Kind answer;
    const char* press;  // the button's label, for a press
    const char* caption;
    std::vector<std::string> labels;
    int result;
  };
  const Case cases[] = {
      {DialogType::Confirmation, ButtonNo | ButtonYes, DialogAnswer::Button, "&Nein",
       "Bestätigung", {"&Ja", "&Nein"}, ModalNo},
      {DialogType::Confirmation, ButtonNo | ButtonYes, DialogAnswer::Escape, "",
       "Bestätigung", {"&Ja", "&Nein"}, ModalCancel},
      {DialogType::Error, ButtonIgnore | ButtonRetry | ButtonAbort, DialogAnswer::Enter, "",
       "Fehler", {"&Abbrechen", "&Wiederholen", "&Ignorieren"}, ModalAbort},
      {DialogType::Error, ButtonIgnore | ButtonRetry | ButtonAbort,
       DialogAnswer::Button, "&Ignorieren", "Fehler",
       {"&Abbrechen", "&Wiederholen", "&Ignorieren"}, ModalIgnore},
      {DialogType::Warning, ButtonOk, DialogAnswer::CloseBox, "", "Warnung", {"OK"},
       ModalCancel},
      {DialogType::Warning, ButtonOk | ButtonCancel, DialogAnswer::Enter, "", "Warnung",
       {"OK", "Abbrechen"}, ModalOk},
      {DialogType::Information, 0, DialogAnswer::Enter, "", "Information", {"OK"}, ModalOk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.caption) + " answered with " + std::to_string(c.result));
    int result = -1;
    const DialogSeen seen = env().AnswerDialog(
        [&] { result = Kit().MessageDialog("Datei fehlt:\rC:\\x.txt", c.type, c.buttons, 0); },
        DialogAnswer{c.answer, c.press});
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(seen.caption, c.caption);
    EXPECT_EQ(seen.buttons, c.labels);
    EXPECT_EQ(seen.defaultButton, c.labels.front());
    EXPECT_TRUE(form->Enabled());
  }
}

TEST_F(ToolkitContract, PopupMenuShowsTheVisibleItemsWithTheirChecksAndChoosesOne) {
  auto menu = Kit().CreatePopupMenu(*form);
  MenuItem& help = menu->AddItem("&Hilfe");
  menu->AddSeparator();
  MenuItem& english = menu->AddItem("&English");
  MenuItem& german = menu->AddItem("&Deutsch");
  menu->AddSeparator();
  MenuItem& save = menu->AddItem("&Save settings");
  menu->AddSeparator();
  MenuItem& debug = menu->AddItem("Debug");
  for (MenuItem* item : {&english, &german}) {
    item->SetRadioGroup(1);
    item->SetAutoCheck(true);
  }
  english.SetChecked(true);
  german.SetTag(2);
  save.SetAutoCheck(true);
  help.SetShortcut(KeyF1, ShiftState::None);
  bool fromButton = true;
  std::vector<std::string> events;
  menu->SetOnPopup([&] {
    events.push_back("popup");
    help.SetVisible(!fromButton);
    debug.SetVisible(false);
  });
  german.SetOnClick([&](MenuItem& item) {
    events.push_back("click " + std::to_string(item.Tag()) + (item.Checked() ? " checked" : ""));
  });
  save.SetOnClick([&](MenuItem& item) { events.push_back(item.Checked() ? "save on" : "save off"); });

  // A separator shows only between two shown items.
  MenuSeen seen = env().ChooseFromMenu(*menu, "Deutsch");
  EXPECT_EQ(seen.captions,
            (std::vector<std::string>{"English", "Deutsch", "-", "Save settings"}));
  EXPECT_EQ(seen.checks, (std::vector<bool>{true, false, false, false}));
  EXPECT_TRUE(german.Checked());
  EXPECT_FALSE(english.Checked());
  fromButton = false;
  seen = env().ChooseFromMenu(*menu, "Save settings");
  EXPECT_EQ(seen.captions, (std::vector<std::string>{"Hilfe", "-", "English", "Deutsch", "-",
                                                     "Save settings"}));
  EXPECT_EQ(seen.checks, (std::vector<bool>{false, false, false, true, false, false}));
  seen = env().ChooseFromMenu(*menu, "");  // closed without a choice
  EXPECT_EQ(seen.checks.back(), true);
  EXPECT_EQ(events, (std::vector<std::string>{"popup", "click 2 checked", "popup", "save on",
                                              "popup"}));
  // Choosing from code works alike; a radio item stays checked.
  german.Click();
  EXPECT_TRUE(german.Checked());
  english.Click();
  EXPECT_FALSE(german.Checked());
  save.Click();
  EXPECT_FALSE(save.Checked());
}

}  // namespace
}  // namespace plovik::contract
