#include "toolkit/headless/HeadlessControls.h"

#include <algorithm>
#include <utility>

#include "lib/Utf.h"
#include "toolkit/headless/Headless.h"

namespace plovik {

namespace {

// Runs an event handler through a copy: the handler may replace itself
// while it runs.
template <class Handler, class Event>
void Fire(const Handler& handler, Event& event) {
  if (!handler) return;
  const Handler copy = handler;
  copy(event);
}

void FireNotify(const NotifyHandler& handler, Control& sender) {
  NotifyEvent event{sender};
  Fire(handler, event);
}

std::string Quoted(const std::string& kind, const std::string& caption) {
  return kind + " \"" + WithoutMnemonics(caption) + "\"";
}

int TextLength(const std::string& text) { return static_cast<int>(CharCount(text)); }

TextSelection CaretAt(const std::string& text, int index) {
  return TextSelection{std::clamp(index, 0, TextLength(text)), 0};
}

}  // namespace

// ---- panel ------------------------------------------------------------------

HeadlessPanel::HeadlessPanel(HeadlessToolkit& toolkit, HeadlessWidget* parent)
    : HeadlessContainerOf(toolkit, parent) {}

void HeadlessPanel::SetBorder(bool border) {
  Reshape([&] { border_ = border; });
}

int HeadlessPanel::InnerWidth() const {
  const int edges = border_ ? 2 * HeadlessSizes::PanelBorder : 0;
  return std::max(0, bounds_.width - edges);
}

int HeadlessPanel::InnerHeight() const {
  const int edges = border_ ? 2 * HeadlessSizes::PanelBorder : 0;
  return std::max(0, bounds_.height - edges);
}

std::string HeadlessPanel::Describe() const { return Quoted("panel", caption_); }

// ---- label ------------------------------------------------------------------

HeadlessLabel::HeadlessLabel(HeadlessToolkit& toolkit, HeadlessWidget* parent)
    : HeadlessControlOf(toolkit, parent) {}

void HeadlessLabel::SetCaption(const std::string& caption) {
  Reshape([&] { caption_ = caption; });
}

Rect HeadlessLabel::ShownBounds() const {
  const int lines = 1 + static_cast<int>(std::count(caption_.begin(), caption_.end(), '\r'));
  return Rect{bounds_.left, bounds_.top, HeadlessTextWidth(font_, caption_, true),
              lines * HeadlessLineHeight(font_)};
}

std::string HeadlessLabel::Describe() const { return Quoted("label", caption_); }

void HeadlessLabel::UserClick() {
  if (CheckReachable("click")) FireNotify(onClick_, *this);
}

// ---- edit -------------------------------------------------------------------

HeadlessEdit::HeadlessEdit(HeadlessToolkit& toolkit, HeadlessWidget* parent)
    : HeadlessControlOf(toolkit, parent) {
  tabStop_ = true;
}

void HeadlessEdit::SetText(const std::string& text) {
  if (text == text_) return;
  ReplaceText(text, 0);
}

void HeadlessEdit::ReplaceText(const std::string& text, int caret) {
  text_ = text;
  selection_ = CaretAt(text_, caret);
  FireNotify(onChange_, *this);
}

void HeadlessEdit::SetSelStart(int index) { selection_ = CaretAt(text_, index); }

void HeadlessEdit::SelectAll() { selection_ = TextSelection{0, TextLength(text_)}; }

std::string HeadlessEdit::Describe() const { return "edit \"" + text_ + "\""; }

void HeadlessEdit::UserType(const std::string& text) {
  if (!CheckReachable("type into")) return;
  TakeFocus();
  if (!Reachable()) return;  // the focus events may have disabled it
  ReplaceText(text, TextLength(text));
}

// ---- combo box --------------------------------------------------------------

HeadlessComboBox::HeadlessComboBox(HeadlessToolkit& toolkit, HeadlessWidget* parent)
    : HeadlessControlOf(toolkit, parent) {
  tabStop_ = true;
}

void HeadlessComboBox::SetText(const std::string& text) {
  text_ = text;
  selection_ = CaretAt(text_, 0);
  const auto match = std::find(items_.begin(), items_.end(), text_);
  itemIndex_ = match == items_.end() ? -1 : static_cast<int>(match - items_.begin());
}

void HeadlessComboBox::SetSelStart(int index) { selection_ = CaretAt(text_, index); }

void HeadlessComboBox::SelectAll() { selection_ = TextSelection{0, TextLength(text_)}; }

std::string HeadlessComboBox::Item(int index) const {
  if (index < 0 || index >= ItemCount()) return std::string();
  return items_[static_cast<size_t>(index)];
}

// Replacing the list empties the box, as resetting a drop-down box does.
void HeadlessComboBox::SetItems(const std::vector<std::string>& items) {
  items_ = items;
  itemIndex_ = -1;
  text_.clear();
  selection_ = TextSelection{};
}

void HeadlessComboBox::InsertItem(int index, const std::string& text) {
  if (index < 0 || index > ItemCount()) return;
  items_.insert(items_.begin() + index, text);
  if (itemIndex_ >= index) ++itemIndex_;
}

// Deleting the selected item leaves the text and selects none.
void HeadlessComboBox::DeleteItem(int index) {
  if (index < 0 || index >= ItemCount()) return;
  items_.erase(items_.begin() + index);
  if (itemIndex_ == index) {
    itemIndex_ = -1;
  } else if (itemIndex_ > index) {
    --itemIndex_;
  }
}

void HeadlessComboBox::SetItem(int index, const std::string& text) {
  if (index < 0 || index >= ItemCount()) return;
  items_[static_cast<size_t>(index)] = text;
}

void HeadlessComboBox::SetItemIndex(int index) {
  if (index < -1 || index >= ItemCount()) return;
  itemIndex_ = index;
  text_ = index == -1 ? std::string() : items_[static_cast<size_t>(index)];
  selection_ = TextSelection{0, TextLength(text_)};
}

Rect HeadlessComboBox::ShownBounds() const {
  return Rect{bounds_.left, bounds_.top, bounds_.width,
              HeadlessLineHeight(font_) + HeadlessSizes::ComboBoxFrame};
}

void HeadlessComboBox::FocusEntered() { Notify(onEnter_); }
void HeadlessComboBox::FocusLeft() { Notify(onExit_); }
void HeadlessComboBox::Notify(const NotifyHandler& handler) { FireNotify(handler, *this); }

std::string HeadlessComboBox::Describe() const {
  return "drop-down box " + std::to_string(tag_) + " \"" + text_ + "\"";
}

void HeadlessComboBox::UserType(const std::string& text) {
  if (!CheckReachable("type into")) return;
  TakeFocus();
  if (!Reachable()) return;
  SetText(text);
  selection_ = CaretAt(text_, TextLength(text_));
  Notify(onChange_);
}

void HeadlessComboBox::UserDropDown() {
  if (!CheckReachable("open the list of")) return;
  TakeFocus();
  if (Reachable()) Notify(onDropDown_);
}

void HeadlessComboBox::UserPick(int index) {
  UserDropDown();
  if (!Reachable()) return;
  if (index < 0 || index >= ItemCount()) {
    OwnerToolkit().ScriptError("the list of " + Describe() + " has no item " +
                               std::to_string(index));
    return;
  }
  SetItemIndex(index);
  Notify(onChange_);
}

// ---- check box --------------------------------------------------------------

HeadlessCheckBox::HeadlessCheckBox(HeadlessToolkit& toolkit, HeadlessWidget* parent)
    : HeadlessControlOf(toolkit, parent) {
  tabStop_ = true;
}

void HeadlessCheckBox::SetChecked(bool checked) {
  if (checked_ == checked) return;
  checked_ = checked;
  FireNotify(onClick_, *this);
}

std::string HeadlessCheckBox::Describe() const { return Quoted("check box", caption_); }

void HeadlessCheckBox::UserClick() {
  if (!CheckReachable("click")) return;
  TakeFocus();
  if (Reachable()) SetChecked(!checked_);
}

// ---- buttons ----------------------------------------------------------------

HeadlessButton::HeadlessButton(HeadlessToolkit& toolkit, HeadlessWidget* parent)
    : HeadlessControlOf(toolkit, parent) {
  tabStop_ = true;
}

void HeadlessButton::Click() {
  if (enabled_) FireNotify(onClick_, *this);
}

std::string HeadlessButton::Describe() const { return Quoted("button", caption_); }

void HeadlessButton::UserClick() {
  if (!CheckReachable("click")) return;
  const Rect shown = ShownBounds();
  MouseEvent down{*this, MouseButton::Left, ShiftState::None, shown.width / 2, shown.height / 2};
  Fire(onMouseDown_, down);
  TakeFocus();
  // A button that the mouse-down disabled or hid is not clicked.
  if (Reachable()) Click();
}

HeadlessPictureButton::HeadlessPictureButton(HeadlessToolkit& toolkit, HeadlessWidget* parent)
    : HeadlessControlOf(toolkit, parent) {
  tabStop_ = true;
}

void HeadlessPictureButton::Click() {
  if (enabled_) FireNotify(onClick_, *this);
}

std::string HeadlessPictureButton::Describe() const {
  return "picture button " + std::to_string(static_cast<int>(glyph_));
}

void HeadlessPictureButton::UserClick() {
  if (!CheckReachable("click")) return;
  TakeFocus();
  if (Reachable()) Click();
}

// ---- memo -------------------------------------------------------------------

HeadlessMemo::HeadlessMemo(HeadlessToolkit& toolkit, HeadlessWidget* parent)
    : HeadlessControlOf(toolkit, parent) {}

int HeadlessMemo::ClientWidth() const {
  const int chrome = 2 * HeadlessSizes::MemoBorder + HeadlessSizes::ScrollBarWidth;
  return std::max(0, bounds_.width - chrome);
}

int HeadlessMemo::PageRows() const {
  const int height = bounds_.height - 2 * HeadlessSizes::MemoBorder;
  return std::max(1, height / std::max(1, HeadlessLineHeight(font_)));
}

bool HeadlessMemo::WholeTextSelected() const {
  return std::min(SelAnchor(), SelCaret()) == TextPlace{} &&
         std::max(SelAnchor(), SelCaret()) == End();
}

void HeadlessMemo::UserClick(TextPlace place, ShiftState shift) {
  if (!CheckReachable("click")) return;
  TakeFocus();
  PlaceCaret(place, Has(shift, ShiftState::Shift));
}

void HeadlessMemo::UserDrag(TextPlace from, TextPlace to) {
  if (!CheckReachable("drag the mouse over")) return;
  TakeFocus();
  PlaceCaret(from, false);
  PlaceCaret(to, true);
}

void HeadlessMemo::UserWheel(int notches) {
  if (CheckReachable("turn the wheel over")) ScrollRows(-WheelRows * notches);
}

void HeadlessMemo::UserType(const std::string& text) {
  if (!CheckReachable("type into")) return;
  if (!HasFocus()) {
    OwnerToolkit().ScriptError("type into " + Describe() + " without the focus");
    return;
  }
  // One character after the other, as the keyboard delivers them: each is
  // an edit of its own, refused on its own.
  for (size_t pos = 0; pos < text.size();) {
    size_t bytes = CharBytes(text, pos);
    if (text.compare(pos, 2, "\r\n") == 0) bytes = 2;
    TypeText(text.substr(pos, bytes));
    pos += bytes;
  }
}

bool HeadlessMemo::KeyPressed(uint16_t key, ShiftState shift) { return KeyDown(key, shift); }

void HeadlessMemo::CopySelection() {
  const std::string text = SelText();
  if (!text.empty()) OwnerToolkit().clipboard = text;
}

std::optional<std::string> HeadlessMemo::ClipboardText() { return OwnerToolkit().clipboard; }

}  // namespace plovik
