// The popup menu. Windows menus have no hidden items, so the menu is built
// anew from the items each time it opens; the items' shortcuts work in the
// whole form through the form's key handling (Win32Form::PreviewKey).
#include "lib/Wide.h"
#include "toolkit/win32/Win32Toolkit.h"

namespace plovik {

namespace {

// Menu ids start above the ids the dialog manager uses.
constexpr UINT FirstItemId = 100;

std::wstring KeyName(uint16_t key) {
  if (key >= KeyF1 && key < KeyF1 + 24) return L"F" + std::to_wstring(key - KeyF1 + 1);
  switch (key) {
    case KeyReturn: return L"Enter";
    case KeyEscape: return L"Esc";
    case VK_DELETE: return L"Del";
    case VK_INSERT: return L"Ins";
    case VK_TAB: return L"Tab";
    case VK_SPACE: return L"Space";
    default: break;
  }
  return std::wstring(1, static_cast<wchar_t>(key));
}

// A menu that is destroyed when the popup ends.
class MenuHandle {
 public:
  MenuHandle() : menu_(CreatePopupMenu()) {}
  MenuHandle(const MenuHandle&) = delete;
  MenuHandle& operator=(const MenuHandle&) = delete;
  ~MenuHandle() {
    if (menu_ != nullptr) DestroyMenu(menu_);
  }
  HMENU Get() const { return menu_; }

 private:
  HMENU menu_;
};

}  // namespace

std::wstring ShortcutText(uint16_t key, ShiftState shift) {
  std::wstring text;
  if (Has(shift, ShiftState::Ctrl)) text += L"Ctrl+";
  if (Has(shift, ShiftState::Shift)) text += L"Shift+";
  if (Has(shift, ShiftState::Alt)) text += L"Alt+";
  return text + KeyName(key);
}

// ---- items ------------------------------------------------------------------

void Win32MenuItem::SetShortcut(uint16_t key, ShiftState shift) {
  shortcutKey_ = key;
  shortcutShift_ = shift;
}

bool Win32MenuItem::HasShortcut(uint16_t key, ShiftState shift) const {
  return shortcutKey_ != 0 && shortcutKey_ == key && shortcutShift_ == shift;
}

void Win32MenuItem::SetChecked(bool checked) {
  checked_ = checked;
  if (checked && radioGroup_ > 0) menu_.ClearGroup(radioGroup_, *this);
}

void Win32MenuItem::Click() {
  if (autoCheck_) SetChecked(radioGroup_ > 0 ? true : !checked_);
  if (onClick_) {
    const std::function<void(MenuItem&)> handler = onClick_;
    handler(*this);
  }
}

std::wstring Win32MenuItem::MenuText() const {
  std::wstring text = Wide(caption_);
  if (shortcutKey_ != 0) text += L"\t" + ShortcutText(shortcutKey_, shortcutShift_);
  return text;
}

// ---- the menu ---------------------------------------------------------------

Win32PopupMenu::Win32PopupMenu(Win32Toolkit& toolkit, Form& owner)
    : toolkit_(toolkit), owner_(owner) {}

Win32PopupMenu::~Win32PopupMenu() { toolkit_.ForgetMenu(this); }

MenuItem& Win32PopupMenu::AddItem(const std::string& caption) {
  const auto id = FirstItemId + static_cast<UINT>(entries_.size());
  entries_.push_back(std::make_unique<Win32MenuItem>(*this, caption, id));
  return *entries_.back();
}

void Win32PopupMenu::AddSeparator() { entries_.push_back(nullptr); }

bool Win32PopupMenu::ChooseByShortcut(uint16_t key, ShiftState shift) {
  for (const auto& entry : entries_) {
    if (entry && entry->HasShortcut(key, shift)) {
      entry->Click();
      return true;
    }
  }
  return false;
}

void Win32PopupMenu::ClearGroup(int group, const Win32MenuItem& except) {
  for (const auto& entry : entries_) {
    if (entry && entry.get() != &except && entry->RadioGroup() == group) {
      entry->SetCheckMark(false);
    }
  }
}

void Win32PopupMenu::Popup(int screenX, int screenY) {
  if (onPopup_) {
    const std::function<void()> handler = onPopup_;
    handler();
  }
  const MenuHandle menu;
  if (menu.Get() == nullptr) return;
  bool separatorDue = false;
  for (const auto& entry : entries_) {
    if (!entry) {
      separatorDue = GetMenuItemCount(menu.Get()) > 0;
      continue;
    }
    if (!entry->Visible()) continue;
    if (separatorDue) AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
    separatorDue = false;
    std::wstring text = entry->MenuText();
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
    info.fType = MFT_STRING | (entry->RadioGroup() > 0 ? MFT_RADIOCHECK : 0);
    info.fState = entry->Checked() ? MFS_CHECKED : MFS_UNCHECKED;
    info.wID = entry->Id();
    info.dwTypeData = text.data();
    InsertMenuItemW(menu.Get(), static_cast<UINT>(GetMenuItemCount(menu.Get())), TRUE, &info);
  }
  // The owner must be the foreground window, or the menu does not close
  // when the user clicks elsewhere.
  HWND owner = HandleOf(owner_);
  if (owner != nullptr) SetForegroundWindow(owner);
  const UINT chosen = static_cast<UINT>(TrackPopupMenuEx(
      menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, screenX,
      screenY, owner, nullptr));
  if (owner != nullptr) PostMessageW(owner, WM_NULL, 0, 0);
  for (const auto& entry : entries_) {
    if (entry && chosen != 0 && entry->Id() == chosen) {
      entry->Click();
      break;
    }
  }
}

}  // namespace plovik
