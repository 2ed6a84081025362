#include "toolkit/headless/HeadlessMenu.h"

#include "toolkit/headless/Headless.h"

namespace plovik {

// ---- items ------------------------------------------------------------------

HeadlessMenuItem::HeadlessMenuItem(HeadlessPopupMenu& menu, const std::string& caption)
    : menu_(menu), caption_(caption) {}

void HeadlessMenuItem::SetShortcut(uint16_t key, ShiftState shift) {
  shortcutKey_ = key;
  shortcutShift_ = shift;
}

bool HeadlessMenuItem::HasShortcut(uint16_t key, ShiftState shift) const {
  return shortcutKey_ != 0 && shortcutKey_ == key && shortcutShift_ == shift;
}

void HeadlessMenuItem::SetChecked(bool checked) {
  checked_ = checked;
  if (checked && radioGroup_ > 0) menu_.ClearGroup(radioGroup_, *this);
}

void HeadlessMenuItem::Click() {
  if (autoCheck_) SetChecked(radioGroup_ > 0 ? true : !checked_);
  if (onClick_) {
    const std::function<void(MenuItem&)> handler = onClick_;
    handler(*this);
  }
}

// ---- the menu ---------------------------------------------------------------

HeadlessPopupMenu::HeadlessPopupMenu(HeadlessToolkit& toolkit) : toolkit_(toolkit) {}

HeadlessPopupMenu::~HeadlessPopupMenu() { toolkit_.ForgetMenu(*this); }

MenuItem& HeadlessPopupMenu::AddItem(const std::string& caption) {
  entries_.push_back(std::make_unique<HeadlessMenuItem>(*this, caption));
  return *entries_.back();
}

void HeadlessPopupMenu::AddSeparator() { entries_.push_back(nullptr); }

std::vector<HeadlessMenuItem*> HeadlessPopupMenu::Items() const {
  std::vector<HeadlessMenuItem*> items;
  for (const auto& entry : entries_) {
    if (entry) items.push_back(entry.get());
  }
  return items;
}

// A separator shows only between two shown items, once.
std::vector<const HeadlessMenuItem*> HeadlessPopupMenu::ShownEntries() const {
  std::vector<const HeadlessMenuItem*> shown;
  bool separatorDue = false;
  for (const auto& entry : entries_) {
    if (!entry) {
      separatorDue = !shown.empty();
    } else if (entry->Visible()) {
      if (separatorDue) shown.push_back(nullptr);
      separatorDue = false;
      shown.push_back(entry.get());
    }
  }
  return shown;
}

std::vector<std::string> HeadlessPopupMenu::ShownCaptions() const {
  std::vector<std::string> captions;
  for (const HeadlessMenuItem* item : ShownEntries()) {
    captions.push_back(item != nullptr ? item->Caption() : SeparatorCaption);
  }
  return captions;
}

std::vector<bool> HeadlessPopupMenu::ShownChecks() const {
  std::vector<bool> checks;
  for (const HeadlessMenuItem* item : ShownEntries()) checks.push_back(item != nullptr && item->Checked());
  return checks;
}

void HeadlessPopupMenu::ClearGroup(int group, const HeadlessMenuItem& except) {
  for (HeadlessMenuItem* item : Items()) {
    if (item != &except && item->RadioGroup() == group) item->checked_ = false;
  }
}

bool HeadlessPopupMenu::ChooseByShortcut(uint16_t key, ShiftState shift) {
  for (HeadlessMenuItem* item : Items()) {
    if (item->HasShortcut(key, shift)) {
      item->Click();
      return true;
    }
  }
  return false;
}

HeadlessMenuItem* HeadlessPopupMenu::FindVisible(const std::string& caption) const {
  for (HeadlessMenuItem* item : Items()) {
    const std::string shown = item->Caption();
    if (item->Visible() && (shown == caption || WithoutMnemonics(shown) == caption)) return item;
  }
  return nullptr;
}

void HeadlessPopupMenu::Popup(int screenX, int screenY) {
  if (onPopup_) {
    const std::function<void()> handler = onPopup_;
    handler();
  }
  toolkit_.popups.push_back(PopupRecord{this, screenX, screenY, ShownCaptions(), ShownChecks()});
  ChooseScripted();
}

void HeadlessPopupMenu::ChooseScripted() {
  const std::string choice = toolkit_.NextPopupChoice();
  if (choice.empty()) return;
  HeadlessMenuItem* item = FindVisible(choice);
  if (item == nullptr) {
    toolkit_.ScriptError("the popup menu shows no item \"" + choice + "\"");
    return;
  }
  item->Click();
}

}  // namespace plovik
