// The Win32 controls' events as the program relies on them, where the
// toolkit contract (tests/contract) does not reach: mouse positions, label
// clicks, drop-down boxes, their background, hints.
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
