// The headless popup menu: items that keep their state, and a popup that
// records where it was shown and takes the user's choice from the
// toolkit's script (HeadlessToolkit::popupChoices).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Toolkit.h"

namespace plovik {

class HeadlessToolkit;
class HeadlessPopupMenu;

class HeadlessMenuItem : public MenuItem {
 public:
  HeadlessMenuItem(HeadlessPopupMenu& menu, const std::string& caption);
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  std::string Caption() const override { return caption_; }
  void SetShortcut(uint16_t key, ShiftState shift) override;
  // Checking an item of a radio group clears the others of the group.
  void SetChecked(bool checked) override;
  bool Checked() const override { return checked_; }
  void SetAutoCheck(bool autoCheck) override { autoCheck_ = autoCheck; }
  void SetRadioGroup(int group) override { radioGroup_ = group; }
  void SetVisible(bool visible) override { visible_ = visible; }
  bool Visible() const override { return visible_; }
  void SetTag(int tag) override { tag_ = tag; }
  int Tag() const override { return tag_; }
  void SetOnClick(std::function<void(MenuItem&)> handler) override { onClick_ = std::move(handler); }
  void Click() override;

  bool HasShortcut(uint16_t key, ShiftState shift) const;
  bool AutoCheck() const { return autoCheck_; }
  int RadioGroup() const { return radioGroup_; }

 private:
  friend class HeadlessPopupMenu;
  HeadlessPopupMenu& menu_;
  std::string caption_;
  uint16_t shortcutKey_ = 0;
  ShiftState shortcutShift_ = ShiftState::None;
  bool checked_ = false;
  bool autoCheck_ = false;
  int radioGroup_ = 0;
  bool visible_ = true;
  int tag_ = 0;
  std::function<void(MenuItem&)> onClick_;
};

class HeadlessPopupMenu : public PopupMenu {
 public:
  // How a separator shows in the list of shown captions.
  static constexpr const char* SeparatorCaption = "-";

  explicit HeadlessPopupMenu(HeadlessToolkit& toolkit);
  ~HeadlessPopupMenu() override;
  MenuItem& AddItem(const std::string& caption) override;
  void AddSeparator() override;
  void SetOnPopup(std::function<void()> handler) override { onPopup_ = std::move(handler); }
  // Runs the popup event, records the menu as shown (with the captions of
  // its visible items) and chooses what the script says.
  void Popup(int screenX, int screenY) override;

  // The items, separators left out.
  std::vector<HeadlessMenuItem*> Items() const;
  // The captions of the visible items in order, a separator as "-" (only
  // between two shown items, as the system shows it), and their checks.
  std::vector<std::string> ShownCaptions() const;
  std::vector<bool> ShownChecks() const;
  // Chooses the item whose shortcut is the key with exactly these
  // modifiers; false when no item has it.
  bool ChooseByShortcut(uint16_t key, ShiftState shift);

 private:
  friend class HeadlessMenuItem;
  void ClearGroup(int group, const HeadlessMenuItem& except);
  // The shown items in order, a separator as nullptr.
  std::vector<const HeadlessMenuItem*> ShownEntries() const;
  void ChooseScripted();
  HeadlessMenuItem* FindVisible(const std::string& caption) const;

  HeadlessToolkit& toolkit_;
  // nullptr stands for a separator.
  std::vector<std::unique_ptr<HeadlessMenuItem>> entries_;
  std::function<void()> onPopup_;
};

}  // namespace plovik
