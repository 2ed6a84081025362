// The editable drop-down box (CBS_DROPDOWN). The program's changes to it
// run none of its events; the user's do: focus (enter, exit), typing and
// picking (change), opening the list (drop-down).

#include <algorithm>

#include "lib/Wide.h"
#include "toolkit/win32/TextIndex.h"
#include "toolkit/win32/Win32Toolkit.h"

namespace plovik {

namespace {

// A change the program makes: the notifications it causes are not the user's.
class SelfChange {
 public:
  explicit SelfChange(int& depth) : depth_(depth) { ++depth_; }
  SelfChange(const SelfChange&) = delete;
  SelfChange& operator=(const SelfChange&) = delete;
  ~SelfChange() { --depth_; }

 private:
  int& depth_;
};

std::wstring ListText(HWND box, UINT lengthMessage, UINT textMessage, int index) {
  const LRESULT length = SendMessageW(box, lengthMessage, static_cast<WPARAM>(index), 0);
  if (length <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT got = SendMessageW(box, textMessage, static_cast<WPARAM>(index),
                                   reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(std::max<LRESULT>(got, 0)));
  return text;
}

}  // namespace

Win32ComboBox::Win32ComboBox(Win32Toolkit& toolkit, Container& parent)
    : Win32Control<ComboBox>(toolkit) {
  CreateControl(L"COMBOBOX", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN |
                                 CBS_AUTOHSCROLL,
                0, HandleOf(parent));
}

HWND Win32ComboBox::EditPart() const {
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  if (Hwnd() == nullptr || !GetComboBoxInfo(Hwnd(), &info)) return nullptr;
  return info.hwndItem;
}

// The height given is the edit part's (the system decides it from the
// font); the window gets the list's height below it.
void Win32ComboBox::SetBounds(int left, int top, int width, int height) {
  listHeight_ = height;
  SetBoundsImpl(left, top, width, height);
  ApplyDropDownHeight();
}

void Win32ComboBox::ApplyDropDownHeight() {
  if (Hwnd() == nullptr) return;
  Ref().Send(CB_SETMINVISIBLE, static_cast<WPARAM>(dropDownCount_), 0);
  const auto editHeight = static_cast<int>(Ref().Send(CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
  const auto itemHeight = static_cast<int>(Ref().Send(CB_GETITEMHEIGHT, 0, 0));
  const int frame = 2 * GetSystemMetrics(SM_CYEDGE) + 2;
  const int height = editHeight + frame + dropDownCount_ * itemHeight + frame;
  const RECT bounds = BoundsImpl();
  SetWindowPos(Hwnd(), nullptr, 0, 0, bounds.right - bounds.left, std::max(height, listHeight_),
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

void Win32ComboBox::SetDropDownCount(int lines) {
  dropDownCount_ = std::max(1, lines);
  ApplyDropDownHeight();
}

bool Win32ComboBox::Focused() const {
  HWND focus = GetFocus();
  return Hwnd() != nullptr && focus != nullptr && (focus == Hwnd() || IsChild(Hwnd(), focus));
}

void Win32ComboBox::SetText(const std::string& text) {
  const SelfChange self(selfChanges_);
  const std::wstring wide = Wide(text);
  const LRESULT match = Ref().Send(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(wide.c_str()));
  // An item of the same text (letter case included) becomes the selected one.
  if (match >= 0 && ListText(Hwnd(), CB_GETLBTEXTLEN, CB_GETLBTEXT, static_cast<int>(match)) == wide) {
    Ref().Send(CB_SETCURSEL, static_cast<WPARAM>(match), 0);
  } else {
    Ref().Send(CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  }
  Ref().SetText(wide);
  Ref().Send(CB_SETEDITSEL, 0, MAKELPARAM(0, 0));
}

void Win32ComboBox::SetSelStart(int index) {
  const auto unit = static_cast<WORD>(UnitIndex(Ref().Text(), index));
  Ref().Send(CB_SETEDITSEL, 0, MAKELPARAM(unit, unit));
}

int Win32ComboBox::SelStart() const {
  DWORD start = 0;
  Ref().Send(CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), 0);
  return CharIndex(Ref().Text(), start);
}

void Win32ComboBox::SelectAll() { Ref().Send(CB_SETEDITSEL, 0, MAKELPARAM(0, 0xFFFF)); }

int Win32ComboBox::ItemCount() const {
  return std::max(0, static_cast<int>(Ref().Send(CB_GETCOUNT)));
}

std::string Win32ComboBox::Item(int index) const {
  if (index < 0 || index >= ItemCount()) return std::string();
  return Narrow(ListText(Hwnd(), CB_GETLBTEXTLEN, CB_GETLBTEXT, index));
}

std::vector<std::string> Win32ComboBox::Items() const {
  std::vector<std::string> items;
  const int count = ItemCount();
  for (int i = 0; i < count; ++i) items.push_back(Item(i));
  return items;
}

// Replacing the list empties the box, as resetting a drop-down box does.
void Win32ComboBox::SetItems(const std::vector<std::string>& items) {
  const SelfChange self(selfChanges_);
  Ref().Send(CB_RESETCONTENT);
  for (const std::string& item : items) {
    Ref().Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
  }
  Ref().SetText(std::wstring());
}

void Win32ComboBox::InsertItem(int index, const std::string& text) {
  if (index < 0 || index > ItemCount()) return;
  const SelfChange self(selfChanges_);
  Ref().Send(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

// Deleting the selected item leaves the text and selects none.
void Win32ComboBox::DeleteItem(int index) {
  if (index < 0 || index >= ItemCount()) return;
  const SelfChange self(selfChanges_);
  const std::wstring text = Ref().Text();
  const bool selected = ItemIndex() == index;
  Ref().Send(CB_DELETESTRING, static_cast<WPARAM>(index));
  if (selected) {
    Ref().Send(CB_SETCURSEL, static_cast<WPARAM>(-1));
    Ref().SetText(text);
  }
}

void Win32ComboBox::SetItem(int index, const std::string& text) {
  if (index < 0 || index >= ItemCount()) return;
  const SelfChange self(selfChanges_);
  const std::wstring shown = Ref().Text();
  const bool selected = ItemIndex() == index;
  Ref().Send(CB_DELETESTRING, static_cast<WPARAM>(index));
  Ref().Send(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(Wide(text).c_str()));
  if (selected) Ref().Send(CB_SETCURSEL, static_cast<WPARAM>(index));
  Ref().SetText(shown);
}

void Win32ComboBox::SetItemIndex(int index) {
  if (index < -1 || index >= ItemCount()) return;
  const SelfChange self(selfChanges_);
  Ref().Send(CB_SETCURSEL, static_cast<WPARAM>(index));
  if (index == -1) Ref().SetText(std::wstring());
  SelectAll();
}

int Win32ComboBox::ItemIndex() const {
  return Hwnd() != nullptr ? static_cast<int>(Ref().Send(CB_GETCURSEL)) : -1;
}

void Win32ComboBox::SetBackground(Background background) {
  background_ = background;
  if (Hwnd() == nullptr) return;
  InvalidateRect(Hwnd(), nullptr, TRUE);
  if (HWND edit = EditPart()) InvalidateRect(edit, nullptr, TRUE);
}

void Win32ComboBox::OnCommand(WORD notification) {
  if (selfChanges_ > 0) return;
  switch (notification) {
    case CBN_SETFOCUS: FireNotify(onEnter_, *this); break;
    case CBN_KILLFOCUS: FireNotify(onExit_, *this); break;
    case CBN_DROPDOWN: FireNotify(onDropDown_, *this); break;
    case CBN_EDITCHANGE: FireNotify(onChange_, *this); break;
    case CBN_SELCHANGE: {
      // The edit part takes the picked item's text only after this
      // notification: the handler sees it already.
      const int index = ItemIndex();
      if (index >= 0) {
        const SelfChange self(selfChanges_);
        Ref().SetText(Wide(Item(index)));
      }
      FireNotify(onChange_, *this);
      break;
    }
    default:
      break;
  }
}

LRESULT Win32ComboBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // The edit part asks the box for its colours.
  if (message == WM_CTLCOLOREDIT && background_ == Background::ButtonFace) {
    const auto dc = reinterpret_cast<HDC>(wParam);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  }
  return CallPrevious(message, wParam, lParam);
}

}  // namespace plovik
