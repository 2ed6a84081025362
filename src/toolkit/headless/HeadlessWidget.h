// The common part of the headless controls: their state, their place in the
// window tree, focus, anchors, and the text measures they size themselves by.
#pragma once

#include <string>
#include <vector>

#include "toolkit/Toolkit.h"

namespace plovik {

class HeadlessToolkit;
class HeadlessForm;

// Pixel sizes of the headless windows' frames, as a classic Windows look
// has them.
struct HeadlessSizes {
  static constexpr int FormBorder = 4;          // the frame on each side and below
  static constexpr int FormCaptionHeight = 19;  // the title bar
  static constexpr int PanelBorder = 2;         // the edge of a bordered panel, each side
  static constexpr int MemoBorder = 2;          // the edge of a memo, each side
  static constexpr int ScrollBarWidth = 17;     // the memo's vertical scroll bar
  static constexpr int ComboBoxFrame = 8;       // edit part of a drop-down box: text height + this
};

// The average character width, in pixels, the headless controls assume for
// a font: roughly what a Windows dialog font of that height shows.
int HeadlessCharWidth(const Font& font);
// The height of one line of text in a font: the character height and the
// internal leading above it.
int HeadlessLineHeight(const Font& font);
// Width in pixels of a text as shown in a font: its widest line ("\r"
// breaks lines; mnemonics are not counted when `mnemonics` is set).
int HeadlessTextWidth(const Font& font, const std::string& text, bool mnemonics = false);

// State and tree links of every headless control. Controls register with
// their parent container; a control that outlives its parent is left
// without one. The toolkit outlives every control it made.
class HeadlessWidget {
 public:
  HeadlessWidget(const HeadlessWidget&) = delete;
  HeadlessWidget& operator=(const HeadlessWidget&) = delete;
  virtual ~HeadlessWidget();

  virtual Control& AsControl() = 0;
  HeadlessToolkit& OwnerToolkit() const { return toolkit_; }
  HeadlessWidget* Parent() const { return parent_; }
  const std::vector<HeadlessWidget*>& Children() const { return children_; }
  // The form the control stands on; a form is its own.
  HeadlessForm* OwnerForm() const;
  virtual HeadlessForm* AsForm() { return nullptr; }
  virtual const HeadlessForm* AsForm() const { return nullptr; }
  // What the control is, for script errors: its kind and caption.
  virtual std::string Describe() const { return "control"; }
  bool TabStop() const { return tabStop_; }
  CursorKind Cursor() const { return cursor_; }
  // Whether a user could click the control: it and every container up to
  // and including its form are visible and enabled.
  bool Reachable() const;
  // Whether the control can hold the focus: it and its containers below the
  // form are visible and enabled (the form itself may still be hidden).
  bool CanFocus() const;
  // Reports a user action that cannot happen on this control as a script
  // error and returns false when the control is not reachable.
  bool CheckReachable(const char* action);
  // A key pressed in the form while the control has the focus, after the
  // form's key preview and menu shortcuts; true when the control used it.
  virtual bool KeyPressed(uint16_t /*key*/, ShiftState /*shift*/) { return false; }

 protected:
  HeadlessWidget(HeadlessToolkit& toolkit, HeadlessWidget* parent);

  // The bounds as the control shows them; a label sizes itself, a form may
  // be maximised.
  virtual Rect ShownBounds() const { return bounds_; }
  virtual int InnerWidth() const { return ShownBounds().width; }
  virtual int InnerHeight() const { return ShownBounds().height; }
  // Sets the bounds the control was given, moves the anchored children
  // along and reports a change of size.
  void ChangeBounds(const Rect& bounds);
  // Runs after the shown size changed (the form's resize event).
  virtual void Resized() {}
  virtual void StoreBounds(const Rect& bounds) { bounds_ = bounds; }
  // Calls StoreBounds through `change` and then moves the children whose
  // container changed its inner size.
  template <class Change>
  void Reshape(Change change) {
    const Rect before = ShownBounds();
    const int innerWidth = InnerWidth(), innerHeight = InnerHeight();
    change();
    FollowInnerSize(innerWidth, innerHeight, before);
  }

  void ChangeVisible(bool visible);
  void ChangeEnabled(bool enabled);
  void TakeFocus();
  bool HasFocus() const;
  // Focus events: the control became or stopped being its form's focused
  // control.
  virtual void FocusEntered() {}
  virtual void FocusLeft() {}

  Rect bounds_;
  Anchor anchors_ = Anchor::Left | Anchor::Top;
  bool visible_ = true;
  bool enabled_ = true;
  bool tabStop_ = false;
  Font font_;
  std::string hint_;
  CursorKind cursor_ = CursorKind::Default;

 private:
  friend class HeadlessForm;
  void FollowInnerSize(int oldInnerWidth, int oldInnerHeight, const Rect& before);
  void FollowParent(int widthChange, int heightChange);
  void LoseFocusWithin();
  bool Contains(const HeadlessWidget* widget) const;

  HeadlessToolkit& toolkit_;
  HeadlessWidget* parent_;
  std::vector<HeadlessWidget*> children_;
};

// The Control interface on a HeadlessWidget, for every kind of control.
template <class Interface>
class HeadlessControlOf : public Interface, public HeadlessWidget {
 public:
  Control& AsControl() override { return *this; }
  void SetBounds(int left, int top, int width, int height) override {
    ChangeBounds(Rect{left, top, width, height});
  }
  int Left() const override { return ShownBounds().left; }
  int Top() const override { return ShownBounds().top; }
  int Width() const override { return ShownBounds().width; }
  int Height() const override { return ShownBounds().height; }
  void SetAnchors(Anchor anchors) override { anchors_ = anchors; }
  void SetVisible(bool visible) override { ChangeVisible(visible); }
  bool Visible() const override { return visible_; }
  void SetEnabled(bool enabled) override { ChangeEnabled(enabled); }
  bool Enabled() const override { return enabled_; }
  void SetFont(const Font& font) override { Reshape([&] { font_ = font; }); }
  Font GetFont() const override { return font_; }
  void SetHint(const std::string& hint) override { hint_ = hint; }
  std::string Hint() const override { return hint_; }
  void SetTabStop(bool tabStop) override { tabStop_ = tabStop; }
  void SetFocus() override { TakeFocus(); }
  bool Focused() const override { return HasFocus(); }
  void SetCursor(CursorKind cursor) override { cursor_ = cursor; }
  uintptr_t Handle() const override { return 0; }

  Anchor Anchors() const { return anchors_; }

 protected:
  HeadlessControlOf(HeadlessToolkit& toolkit, HeadlessWidget* parent)
      : HeadlessWidget(toolkit, parent) {}
};

// A control that holds others: its client area is its inner size.
template <class Interface>
class HeadlessContainerOf : public HeadlessControlOf<Interface> {
 public:
  int ClientWidth() const override { return this->InnerWidth(); }
  int ClientHeight() const override { return this->InnerHeight(); }

 protected:
  using HeadlessControlOf<Interface>::HeadlessControlOf;
};

}  // namespace plovik
