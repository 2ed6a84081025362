// The Win32 controls' events as the program relies on them: check boxes,
// drop-down boxes, keys reaching the form first, Tab and Enter, closing,
// size limits and anchors, hints.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ToolkitWinFixture.h"
#include "lib/Wide.h"

namespace plovik::test {
namespace {

using ControlsWinTest = ToolkitWinFixture;

std::wstring TooltipText(HWND tooltip, HWND control) {
  wchar_t text[256] = {};
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = GetParent(control);
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text;
  SendMessageW(tooltip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
  return text;
}

TEST_F(ControlsWinTest, CheckBoxRunsItsClickHandlerForClicksAndForChangesFromCode) {
  auto box = tk.CreateCheckBox(*form);
  box->SetBounds(8, 8, 120, 20);
  box->SetCaption("&Verify");
  std::vector<bool> seen;  // the state each handler run saw
  box->SetOnClick([&](NotifyEvent& event) {
    EXPECT_EQ(&event.sender, box.get());
    seen.push_back(box->Checked());
  });
  box->SetChecked(true);
  box->SetChecked(true);  // no change, no handler
  EXPECT_EQ(seen, std::vector<bool>{true});
  EXPECT_EQ(SendMessageW(HandleOf(*box), BM_GETCHECK, 0, 0), BST_CHECKED);
  // The user's click: the box as the system delivers it.
  SendMessageW(HandleOf(*box), BM_CLICK, 0, 0);
  EXPECT_EQ(seen, (std::vector<bool>{true, false}));
  EXPECT_FALSE(box->Checked());
  EXPECT_EQ(SendMessageW(HandleOf(*box), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(ControlsWinTest, MouseDownComesBeforeTheClickAndCanPreventIt) {
  auto button = tk.CreateButton(*form);
  button->SetBounds(8, 8, 80, 24);
  auto label = tk.CreateLabel(*form);
  label->SetCaption("Quelle:");
  label->SetBounds(8, 40, 0, 0);
  std::vector<std::string> events;
  bool disableOnDown = false;
  button->SetOnMouseDown([&](MouseEvent& event) {
    events.push_back("down " + std::to_string(event.x) + "," + std::to_string(event.y));
    if (disableOnDown) button->SetEnabled(false);
  });
  button->SetOnClick([&](NotifyEvent&) { events.push_back("click"); });
  label->SetOnClick([&](NotifyEvent&) { events.push_back("label"); });
  const HWND hwnd = HandleOf(*button);
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
  SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(10, 5));
  disableOnDown = true;
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 6));
  SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(12, 6));
  SendMessageW(HandleOf(*label), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageW(HandleOf(*label), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(events, (std::vector<std::string>{"down 10,5", "click", "down 12,6", "label"}));
}

TEST_F(ControlsWinTest, MinimisingTheMainFormRunsTheApplicationsEvents) {
  std::vector<std::string> events;
  tk.SetOnMinimize([&] { events.push_back("minimize"); });
  tk.SetOnRestore([&] { events.push_back("restore"); });
  tk.SetMainForm(form.get());
  tk.Minimize();
  EXPECT_TRUE(tk.Minimized());
  EXPECT_TRUE(IsIconic(HandleOf(*form)));
  tk.Minimize();  // no change, no event
  tk.Restore();
  EXPECT_FALSE(tk.Minimized());
  // The user's minimise box acts alike.
  SendMessageW(HandleOf(*form), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  SendMessageW(HandleOf(*form), WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_EQ(events, (std::vector<std::string>{"minimize", "restore", "minimize", "restore"}));
}

TEST_F(ControlsWinTest, DropDownBoxRunsItsEventsForTheUserOnly) {
  auto box = tk.CreateComboBox(*form);
  box->SetBounds(8, 8, 200, 21);
  auto edit = tk.CreateEdit(*form);
  edit->SetBounds(8, 60, 200, 21);
  std::vector<std::string> events;
  auto record = [&](const char* name) {
    return [&events, &box, name](NotifyEvent&) {
      std::string entry = name;
      entry += ' ';
      entry += box->Text();
      events.push_back(entry);
    };
  };
  box->SetOnEnter(record("enter"));
  box->SetOnExit(record("exit"));
  box->SetOnChange(record("change"));
  box->SetOnDropDown(record("dropdown"));

  // The program's changes run no event.
  box->SetItems({"*.*", "*.txt", "*.doc"});
  box->SetText("*.txt");
  EXPECT_EQ(box->ItemIndex(), 1);
  box->SetText("*.TXT");
  EXPECT_EQ(box->ItemIndex(), -1);
  box->SetItemIndex(0);
  EXPECT_EQ(box->Text(), "*.*");
  box->InsertItem(0, "*.bak");
  EXPECT_EQ(box->ItemIndex(), 1);
  box->SetItem(1, "*.* ");
  box->DeleteItem(1);
  EXPECT_EQ(box->ItemIndex(), -1);
  EXPECT_EQ(box->Items(), (std::vector<std::string>{"*.bak", "*.txt", "*.doc"}));
  EXPECT_TRUE(events.empty()) << events.front();

  // The user's: focus, typing, opening the list, picking with a key.
  box->SetText("");
  box->SetFocus();
  EXPECT_TRUE(box->Focused());
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(GetComboBoxInfo(HandleOf(*box), &info));
  SendMessageW(info.hwndItem, WM_CHAR, L'ä', 1);
  SendMessageW(HandleOf(*box), CB_SHOWDROPDOWN, TRUE, 0);
  SendMessageW(HandleOf(*box), CB_SHOWDROPDOWN, FALSE, 0);
  SendMessageW(info.hwndItem, WM_KEYDOWN, VK_DOWN, 1);
  edit->SetFocus();
  EXPECT_EQ(events, (std::vector<std::string>{"enter ", "change ä", "dropdown ä", "change *.bak",
                                              "exit *.bak"}));
  EXPECT_EQ(box->ItemIndex(), 0);
}

TEST_F(ControlsWinTest, DropDownBoxCanShowTheButtonFaceBehindItsText) {
  auto box = tk.CreateComboBox(*form);
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(GetComboBoxInfo(HandleOf(*box), &info));
  HDC dc = GetDC(info.hwndItem);
  auto colour = [&] {
    return SendMessageW(HandleOf(*box), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                        reinterpret_cast<LPARAM>(info.hwndItem));
  };
  const LRESULT normal = colour();
  box->SetBackground(Background::ButtonFace);
  EXPECT_EQ(colour(), reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE)));
  EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_BTNFACE));
  box->SetBackground(Background::Window);
  EXPECT_EQ(colour(), normal);
  ReleaseDC(info.hwndItem, dc);
}

struct KeyScene {
  std::unique_ptr<Edit> edit;
  std::unique_ptr<Button> other, start;
  std::unique_ptr<PopupMenu> menu;
  std::vector<uint16_t> formKeys;
  std::vector<std::string> chosen;
  bool handleF1 = false;
};

TEST_F(ControlsWinTest, KeysReachTheFormFirstThenItsShortcutsThenTheDialogKeys) {
  KeyScene s;
  s.edit = tk.CreateEdit(*form);
  s.edit->SetBounds(8, 8, 200, 21);
  s.other = tk.CreateButton(*form);
  s.other->SetBounds(8, 40, 80, 24);
  s.start = tk.CreateButton(*form);
  s.start->SetBounds(100, 40, 80, 24);
  s.start->SetDefault(true);
  s.other->SetOnClick([&](NotifyEvent&) { s.chosen.push_back("other"); });
  s.start->SetOnClick([&](NotifyEvent&) { s.chosen.push_back("start"); });
  s.menu = tk.CreatePopupMenu(*form);
  MenuItem& help = s.menu->AddItem("&Hilfe");
  help.SetShortcut(KeyF1, ShiftState::None);
  help.SetVisible(false);  // hidden items' shortcuts work too
  help.SetOnClick([&](MenuItem&) { s.chosen.push_back("help"); });
  MenuItem& close = s.menu->AddItem("&Beenden");
  close.SetShortcut(KeyF4, ShiftState::Alt);
  close.SetOnClick([&](MenuItem&) { s.chosen.push_back("close"); });
  form->SetContextMenu(s.menu.get());
  form->SetOnKeyDown([&](KeyEvent& event) {
    s.formKeys.push_back(event.key);
    if (event.key == KeyF1 && s.handleF1) event.handled = true;
  });
  const HWND edit = HandleOf(*s.edit);
  s.edit->SetFocus();

  // Without key preview the form sees no key of its controls.
  PressKey(edit, VK_F1);
  EXPECT_TRUE(s.formKeys.empty());
  form->SetKeyPreview(true);
  PressKey(edit, VK_F1);
  s.handleF1 = true;
  PressKey(edit, VK_F1);  // handled by the form: no shortcut
  PressKey(edit, VK_F4, true);
  PressKey(edit, VK_ESCAPE);
  PressKey(edit, VK_RETURN);
  EXPECT_EQ(s.formKeys, (std::vector<uint16_t>{KeyF1, KeyF1, KeyF4, KeyEscape, KeyReturn}));
  EXPECT_EQ(s.chosen, (std::vector<std::string>{"help", "help", "close", "start"}));
  // Escape closes nothing, in the memo neither.
  auto memo = tk.CreateMemo(*form);
  memo->SetBounds(8, 80, 200, 60);
  int closeQueries = 0;
  form->SetOnCloseQuery([&](CloseQueryEvent&) { ++closeQueries; });
  memo->SetFocus();
  PressKey(HandleOf(*memo), VK_ESCAPE);
  tk.ProcessPendingMessages();
  EXPECT_EQ(s.formKeys.back(), KeyEscape);
  EXPECT_EQ(closeQueries, 0);
  EXPECT_TRUE(form->Visible());
  s.edit->SetFocus();

  // Tab goes on to the next control; Enter on a focused button presses it.
  PressKey(edit, VK_TAB);
  EXPECT_TRUE(s.other->Focused());
  PressKey(HandleOf(*s.other), VK_RETURN);
  EXPECT_EQ(s.chosen.back(), "other");
}

TEST_F(ControlsWinTest, CloseQueryCanRefuseAndTheCloseActionDecides) {
  auto second = tk.CreateForm();
  second->SetBounds(100, 100, 300, 200);
  second->SetVisible(true);
  bool allow = false;
  std::optional<CloseAction> decision;  // what the close handler decides, if anything
  std::vector<CloseAction> offered;
  for (Form* f : {form.get(), second.get()}) {
    f->SetOnCloseQuery([&](CloseQueryEvent& event) { event.canClose = allow; });
    f->SetOnClose([&](CloseEvent& event) {
      offered.push_back(event.action);
      if (decision) event.action = *decision;
    });
  }
  tk.SetMainForm(form.get());
  // The close box of the second form: refused, then hidden.
  SendMessageW(HandleOf(*second), WM_CLOSE, 0, 0);
  EXPECT_TRUE(second->Visible());
  EXPECT_TRUE(offered.empty());
  allow = true;
  SendMessageW(HandleOf(*second), WM_CLOSE, 0, 0);
  EXPECT_FALSE(second->Visible());
  EXPECT_NE(second->Handle(), 0u);
  // The main form: refused, kept or hidden by the handler, then freed.
  allow = false;
  form->Close();
  allow = true;
  decision = CloseAction::None;
  form->Close();
  EXPECT_TRUE(form->Visible());
  decision = CloseAction::Hide;
  form->Close();
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(tk.Terminated());
  decision.reset();
  form->SetVisible(true);
  form->Close();
  EXPECT_EQ(form->Handle(), 0u);
  EXPECT_TRUE(tk.Terminated());
  EXPECT_EQ(offered, (std::vector<CloseAction>{CloseAction::Hide, CloseAction::Free,
                                               CloseAction::Free, CloseAction::Free}));
  MSG quit;
  ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 0u);
}

TEST_F(ControlsWinTest, FormKeepsItsMinimumSizeNormalBoundsAndAnchoredControls) {
  auto stretched = tk.CreateEdit(*form);
  stretched->SetBounds(8, 8, 200, 21);
  stretched->SetAnchors(Anchor::Left | Anchor::Top | Anchor::Right);
  auto corner = tk.CreateButton(*form);
  corner->SetBounds(300, 200, 80, 24);
  corner->SetAnchors(Anchor::Right | Anchor::Bottom);
  auto panel = tk.CreatePanel(*form);
  panel->SetBounds(8, 40, 200, 100);
  panel->SetAnchors(Anchor::Left | Anchor::Top | Anchor::Bottom);
  auto inPanel = tk.CreateButton(*panel);
  inPanel->SetBounds(10, 60, 60, 24);
  inPanel->SetAnchors(Anchor::Left | Anchor::Bottom);

  form->SetMinSize(400, 300);
  form->SetBounds(40, 40, 600, 400);  // 120 wider, 80 higher than at the start
  EXPECT_EQ(stretched->Width(), 320);
  EXPECT_EQ(corner->Left(), 420);
  EXPECT_EQ(corner->Top(), 280);
  EXPECT_EQ(panel->Height(), 180);
  EXPECT_EQ(inPanel->Top(), 140);
  form->SetBounds(40, 40, 100, 100);
  EXPECT_EQ(form->Width(), 400);
  EXPECT_EQ(form->Height(), 300);

  // Checked before messages are processed: under Xvfb no window manager
  // keeps a window maximised.
  form->SetWindowState(WindowState::Maximized);
  EXPECT_EQ(form->GetWindowState(), WindowState::Maximized);
  EXPECT_EQ(form->NormalBounds(), (Rect{40, 40, 400, 300}));
  form->SetBounds(60, 50, 500, 350);  // the bounds it gets back
  EXPECT_EQ(form->GetWindowState(), WindowState::Maximized);
  EXPECT_EQ(form->NormalBounds(), (Rect{60, 50, 500, 350}));
  form->SetWindowState(WindowState::Normal);
  EXPECT_EQ((Rect{form->Left(), form->Top(), form->Width(), form->Height()}),
            (Rect{60, 50, 500, 350}));
  // A hidden form takes its state along when it is shown.
  form->SetVisible(false);
  form->SetWindowState(WindowState::Maximized);
  EXPECT_FALSE(IsZoomed(HandleOf(*form)));
  form->SetVisible(true);
  EXPECT_TRUE(IsZoomed(HandleOf(*form)));
}

TEST_F(ControlsWinTest, HintsShowSeveralLinesWithTheDelaysSet) {
  tk.SetHintTimes(700, 6000, 150);
  auto button = tk.CreateButton(*form);
  button->SetBounds(8, 8, 80, 24);
  button->SetHint("Startet den Lauf\rmit den Optionen");
  const HWND tooltip = tk.Tooltip();
  ASSERT_NE(tooltip, nullptr);
  EXPECT_EQ(button->Hint(), "Startet den Lauf\rmit den Optionen");
  EXPECT_EQ(TooltipText(tooltip, HandleOf(*button)), L"Startet den Lauf\r\nmit den Optionen");
  EXPECT_EQ(SendMessageW(tooltip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 700);
  EXPECT_EQ(SendMessageW(tooltip, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 6000);
  EXPECT_EQ(SendMessageW(tooltip, TTM_GETDELAYTIME, TTDT_RESHOW, 0), 150);
  EXPECT_GT(SendMessageW(tooltip, TTM_GETMAXTIPWIDTH, 0, 0), 0);  // several lines
  // A control with a hint still reports its clicks to its object.
  int clicks = 0;
  button->SetOnClick([&](NotifyEvent&) { ++clicks; });
  SendMessageW(HandleOf(*button), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  auto label = tk.CreateLabel(*form);
  label->SetHint("x");
  EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 2);
  button->SetHint("");
  label.reset();
  EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 0);
}

}  // namespace
}  // namespace plovik::test
