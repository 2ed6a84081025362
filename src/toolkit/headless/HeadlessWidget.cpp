#include "toolkit/headless/HeadlessWidget.h"

#include <algorithm>
#include <cstdlib>

#include "lib/Utf.h"
#include "toolkit/headless/Headless.h"

namespace plovik {

namespace {
// A dialog font of 11 pixels shows characters 7 pixels wide on average and
// has 2 pixels of internal leading; other heights scale from there.
constexpr int ReferenceHeight = 11;
constexpr int ReferenceCharWidth = 7;
constexpr int ReferenceLeading = 2;

int Scaled(int height, int reference) {
  return (height * reference + ReferenceHeight / 2) / ReferenceHeight;
}

// Moves one edge pair of a control along with its parent's inner size:
// anchored on both sides it stretches, on the far side only it moves, on
// neither it keeps its place in the middle.
void FollowEdges(int& position, int& size, int change, bool nearEdge, bool farEdge) {
  if (nearEdge && farEdge) {
    size = std::max(0, size + change);
  } else if (farEdge) {
    position += change;
  } else if (!nearEdge) {
    position += change / 2;
  }
}
}  // namespace

int HeadlessCharWidth(const Font& font) {
  return std::max(1, Scaled(std::abs(font.height), ReferenceCharWidth));
}

int HeadlessLineHeight(const Font& font) {
  const int height = std::abs(font.height);
  return height + Scaled(height, ReferenceLeading);
}

int HeadlessTextWidth(const Font& font, const std::string& text, bool mnemonics) {
  size_t widest = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\r', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    widest = std::max(widest, CharCount(mnemonics ? WithoutMnemonics(line) : line));
    start = end + 1;
  }
  return static_cast<int>(widest) * HeadlessCharWidth(font);
}

// ---- the tree -------------------------------------------------------------

HeadlessWidget::HeadlessWidget(HeadlessToolkit& toolkit, HeadlessWidget* parent)
    : toolkit_(toolkit), parent_(parent) {
  if (parent_ != nullptr) parent_->children_.push_back(this);
}

HeadlessWidget::~HeadlessWidget() {
  if (HeadlessForm* form = OwnerForm(); form != nullptr && Contains(form->focused_)) {
    form->focused_ = nullptr;
  }
  for (HeadlessWidget* child : children_) child->parent_ = nullptr;
  if (parent_ != nullptr) std::erase(parent_->children_, this);
}

HeadlessForm* HeadlessWidget::OwnerForm() const {
  for (const HeadlessWidget* widget = this; widget != nullptr; widget = widget->parent_) {
    if (const HeadlessForm* form = widget->AsForm()) return const_cast<HeadlessForm*>(form);
  }
  return nullptr;
}

bool HeadlessWidget::Contains(const HeadlessWidget* widget) const {
  for (; widget != nullptr; widget = widget->parent_) {
    if (widget == this) return true;
  }
  return false;
}

bool HeadlessWidget::Reachable() const {
  const HeadlessWidget* widget = this;
  for (; widget->parent_ != nullptr; widget = widget->parent_) {
    if (!widget->visible_ || !widget->enabled_) return false;
  }
  return widget->AsForm() != nullptr && widget->visible_ && widget->enabled_;
}

bool HeadlessWidget::CanFocus() const {
  const HeadlessWidget* widget = this;
  for (; widget != nullptr && widget->AsForm() == nullptr; widget = widget->parent_) {
    if (!widget->visible_ || !widget->enabled_) return false;
  }
  return widget != nullptr;
}

bool HeadlessWidget::CheckReachable(const char* action) {
  if (Reachable()) return true;
  toolkit_.ScriptError(std::string("a user cannot ") + action + " " + Describe() +
                       ": it or its window is hidden or disabled");
  return false;
}

// ---- geometry -------------------------------------------------------------

void HeadlessWidget::ChangeBounds(const Rect& bounds) {
  Reshape([&] { StoreBounds(bounds); });
}

void HeadlessWidget::FollowInnerSize(int oldInnerWidth, int oldInnerHeight, const Rect& before) {
  const int widthChange = InnerWidth() - oldInnerWidth;
  const int heightChange = InnerHeight() - oldInnerHeight;
  if (widthChange != 0 || heightChange != 0) {
    // A copy: a handler run by a resize may create or destroy controls.
    const std::vector<HeadlessWidget*> children = children_;
    for (HeadlessWidget* child : children) child->FollowParent(widthChange, heightChange);
  }
  const Rect after = ShownBounds();
  if (after.width != before.width || after.height != before.height) Resized();
}

void HeadlessWidget::FollowParent(int widthChange, int heightChange) {
  Rect bounds = bounds_;
  FollowEdges(bounds.left, bounds.width, widthChange, Has(anchors_, Anchor::Left),
              Has(anchors_, Anchor::Right));
  FollowEdges(bounds.top, bounds.height, heightChange, Has(anchors_, Anchor::Top),
              Has(anchors_, Anchor::Bottom));
  ChangeBounds(bounds);
}

// ---- visibility, enabling and focus ----------------------------------------

// As on Windows, a control that is hidden keeps the focus (nothing moves
// it); one that is disabled loses it.
void HeadlessWidget::ChangeVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
}

void HeadlessWidget::ChangeEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  if (!enabled) LoseFocusWithin();
}

// A control that can no longer hold the focus gives it up, and so do the
// controls inside it. A form keeps the focus of its controls while hidden.
void HeadlessWidget::LoseFocusWithin() {
  if (AsForm() != nullptr) return;
  HeadlessForm* form = OwnerForm();
  if (form != nullptr && Contains(form->focused_)) form->MoveFocus(nullptr);
}

void HeadlessWidget::TakeFocus() {
  HeadlessForm* form = OwnerForm();
  if (form == nullptr || !CanFocus()) return;
  form->MoveFocus(this);
}

bool HeadlessWidget::HasFocus() const {
  const HeadlessForm* form = OwnerForm();
  return form != nullptr && form->focused_ == this;
}

}  // namespace plovik
