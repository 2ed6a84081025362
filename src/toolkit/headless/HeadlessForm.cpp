#include <algorithm>
#include <functional>
#include <vector>

#include "toolkit/headless/Headless.h"
#include "toolkit/headless/HeadlessControls.h"

namespace plovik {

namespace {
constexpr uint16_t KeyTab = 0x09;

// The controls inside a container, depth first in the order of creation.
void CollectWithin(const HeadlessWidget& container, std::vector<HeadlessWidget*>& widgets) {
  for (HeadlessWidget* child : container.Children()) {
    widgets.push_back(child);
    CollectWithin(*child, widgets);
  }
}

bool IsButton(const HeadlessWidget* widget) {
  return dynamic_cast<const HeadlessButton*>(widget) != nullptr ||
         dynamic_cast<const HeadlessPictureButton*>(widget) != nullptr;
}
}  // namespace

HeadlessForm::HeadlessForm(HeadlessToolkit& toolkit) : HeadlessContainerOf(toolkit, nullptr) {
  visible_ = false;
  OwnerToolkit().AddForm(*this);
}

HeadlessForm::~HeadlessForm() { OwnerToolkit().RemoveForm(*this); }

std::string HeadlessForm::Describe() const { return "form \"" + caption_ + "\""; }

// ---- visibility, order and focus --------------------------------------------

// A form shown minimised minimises the application when it is the main
// form, as the system's size message does.
void HeadlessForm::SetVisible(bool visible) {
  const bool shown = visible && !visible_;
  ChangeVisible(visible);
  if (!shown) return;
  OwnerToolkit().MoveToFront(*this);
  if (state_ == WindowState::Minimized) OwnerToolkit().FormStateChanged(*this);
}

void HeadlessForm::ShowMinimized() {
  if (visible_) return;
  if (state_ != WindowState::Minimized) {
    restoreState_ = state_;
    state_ = WindowState::Minimized;
  }
  ChangeVisible(true);
  OwnerToolkit().FormStateChanged(*this);
}

void HeadlessForm::SetFocus() {
  if (visible_ && enabled_) OwnerToolkit().Activate(*this);
}

bool HeadlessForm::Focused() const { return OwnerToolkit().ActiveForm() == this; }

void HeadlessForm::BringToFront() { OwnerToolkit().MoveToFront(*this); }

void HeadlessForm::SendToBack() { OwnerToolkit().MoveToBack(*this); }

Control* HeadlessForm::FocusedControl() const {
  return focused_ != nullptr ? &focused_->AsControl() : nullptr;
}

// The focus moves first; then the old control's exit event and the new
// one's enter event run. A handler may move the focus on.
void HeadlessForm::MoveFocus(HeadlessWidget* to) {
  if (focused_ == to) return;
  HeadlessWidget* from = focused_;
  focused_ = to;
  if (from != nullptr) from->FocusLeft();
  if (to != nullptr && focused_ == to) to->FocusEntered();
}

// ---- size and state ---------------------------------------------------------

Rect HeadlessForm::WithMinSize(Rect bounds) const {
  bounds.width = std::max(bounds.width, minWidth_);
  bounds.height = std::max(bounds.height, minHeight_);
  return bounds;
}

void HeadlessForm::StoreBounds(const Rect& bounds) { bounds_ = WithMinSize(bounds); }

void HeadlessForm::SetMinSize(int width, int height) {
  Reshape([&] {
    minWidth_ = width;
    minHeight_ = height;
    bounds_ = WithMinSize(bounds_);
  });
}

// Bounds set while the form is maximised or minimised are its normal
// bounds; a maximised form fills the screen.
Rect HeadlessForm::ShownBounds() const {
  if (state_ != WindowState::Maximized) return bounds_;
  return OwnerToolkit().Screen().workArea;
}

int HeadlessForm::InnerWidth() const {
  return std::max(0, ShownBounds().width - 2 * HeadlessSizes::FormBorder);
}

int HeadlessForm::InnerHeight() const {
  const int frame = HeadlessSizes::FormCaptionHeight + 2 * HeadlessSizes::FormBorder;
  return std::max(0, ShownBounds().height - frame);
}

// A shown form's change of state reaches the application when it is the
// main form; a hidden one keeps the state for its showing.
void HeadlessForm::SetWindowState(WindowState state) {
  if (state == state_) return;
  if (state == WindowState::Minimized) restoreState_ = state_;
  Reshape([&] { state_ = state; });
  if (visible_) OwnerToolkit().FormStateChanged(*this);
}

WindowState HeadlessForm::RestoreState() const {
  return state_ == WindowState::Minimized ? restoreState_ : state_;
}

void HeadlessForm::Resized() {
  NotifyEvent event{*this};
  if (onResize_) {
    const NotifyHandler handler = onResize_;
    handler(event);
  }
}

// ---- closing ----------------------------------------------------------------

void HeadlessForm::Close() {
  CloseQueryEvent query{*this};
  if (onCloseQuery_) {
    const CloseQueryHandler handler = onCloseQuery_;
    handler(query);
  }
  if (!query.canClose) return;
  const bool isMain = OwnerToolkit().MainForm() == this;
  CloseEvent event{*this, isMain ? CloseAction::Free : CloseAction::Hide};
  if (onClose_) {
    const CloseHandler handler = onClose_;
    handler(event);
  }
  if (event.action == CloseAction::None) return;
  SetVisible(false);
  if (event.action == CloseAction::Free) {
    freed_ = true;
    if (isMain) OwnerToolkit().MainFormFreed();
  }
}

void HeadlessForm::Forget(const PopupMenu* menu) {
  if (contextMenu_ == menu) contextMenu_ = nullptr;
}

// ---- the user's actions -----------------------------------------------------

void HeadlessForm::UserClose() {
  if (CheckReachable("close")) Close();
}

void HeadlessForm::UserMinimize() {
  if (CheckReachable("minimise")) SetWindowState(WindowState::Minimized);
}

void HeadlessForm::UserMaximize() {
  if (CheckReachable("maximise")) SetWindowState(WindowState::Maximized);
}

void HeadlessForm::UserRestore() {
  if (!visible_) {
    OwnerToolkit().ScriptError("restore the hidden " + Describe() + " (it has no taskbar button)");
    return;
  }
  SetWindowState(state_ == WindowState::Minimized ? restoreState_ : WindowState::Normal);
  SetFocus();
}

void HeadlessForm::OpenContextMenu(int screenX, int screenY) {
  if (!CheckReachable("right-click")) return;
  if (contextMenu_ != nullptr) contextMenu_->Popup(screenX, screenY);
}

void HeadlessForm::PressKey(uint16_t key, ShiftState shift) {
  if (!CheckReachable("press a key in")) return;
  if (onKeyDown_ && (keyPreview_ || focused_ == nullptr)) {
    KeyEvent event{*this, key, shift};
    const KeyHandler handler = onKeyDown_;
    handler(event);
    if (event.handled) return;
  }
  if (contextMenu_ != nullptr &&
      AsHeadless(*contextMenu_).ChooseByShortcut(key, shift)) {
    return;
  }
  if (focused_ != nullptr && focused_->KeyPressed(key, shift)) return;
  if (key == KeyReturn && shift == ShiftState::None) {
    PressFocusedOrDefaultButton();
  } else if (key == KeyTab && (shift == ShiftState::None || shift == ShiftState::Shift)) {
    MoveFocusByTab(shift == ShiftState::Shift);
  } else if (key == KeyF4 && shift == ShiftState::Alt) {
    Close();
  }
}

bool HeadlessForm::PressFocusedOrDefaultButton() {
  if (IsButton(focused_)) {
    if (auto* button = dynamic_cast<HeadlessButton*>(focused_)) button->Click();
    if (auto* button = dynamic_cast<HeadlessPictureButton*>(focused_)) button->Click();
    return true;
  }
  if (dynamic_cast<HeadlessMemo*>(focused_) != nullptr) return false;
  std::vector<HeadlessWidget*> widgets;
  CollectWithin(*this, widgets);
  for (HeadlessWidget* widget : widgets) {
    auto* button = dynamic_cast<HeadlessButton*>(widget);
    if (button != nullptr && button->IsDefault() && button->Reachable()) {
      button->Click();
      return true;
    }
  }
  return false;
}

void HeadlessForm::MoveFocusByTab(bool backward) {
  std::vector<HeadlessWidget*> stops;
  CollectWithin(*this, stops);
  std::erase_if(stops, [](HeadlessWidget* w) { return !w->TabStop() || !w->CanFocus(); });
  if (stops.empty()) return;
  if (backward) std::reverse(stops.begin(), stops.end());
  const auto current = std::find(stops.begin(), stops.end(), focused_);
  const auto next = current == stops.end() || current + 1 == stops.end() ? stops.begin()
                                                                         : current + 1;
  MoveFocus(*next);
}

}  // namespace plovik
