// The headless controls: plain objects that keep their state, run their
// events as the real controls do, and offer the user's actions to tests
// (the User... functions). A user action on a control the user could not
// reach (hidden or disabled) is a script error and does nothing.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "toolkit/Toolkit.h"
#include "toolkit/headless/HeadlessWidget.h"

namespace plovik {

class HeadlessPopupMenu;

class HeadlessPanel : public HeadlessContainerOf<Panel> {
 public:
  HeadlessPanel(HeadlessToolkit& toolkit, HeadlessWidget* parent);
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  std::string Caption() const override { return caption_; }
  void SetBorder(bool border) override;
  bool Border() const { return border_; }
  std::string Describe() const override;

 protected:
  int InnerWidth() const override;
  int InnerHeight() const override;

 private:
  std::string caption_;
  bool border_ = true;
};

// Sizes itself to its caption: as wide as its widest line in its font, one
// line height per line.
class HeadlessLabel : public HeadlessControlOf<Label> {
 public:
  HeadlessLabel(HeadlessToolkit& toolkit, HeadlessWidget* parent);
  void SetCaption(const std::string& caption) override;
  std::string Caption() const override { return caption_; }
  void SetOnClick(NotifyHandler handler) override { onClick_ = std::move(handler); }
  std::string Describe() const override;

  void UserClick();

 protected:
  Rect ShownBounds() const override;

 private:
  std::string caption_;
  NotifyHandler onClick_;
};

// Caret and selection of a one-line text, in characters.
struct TextSelection {
  int start = 0;
  int length = 0;
};

class HeadlessEdit : public HeadlessControlOf<Edit> {
 public:
  HeadlessEdit(HeadlessToolkit& toolkit, HeadlessWidget* parent);
  void SetText(const std::string& text) override;
  std::string Text() const override { return text_; }
  void SetSelStart(int index) override;
  int SelStart() const override { return selection_.start; }
  void SelectAll() override;
  void SetBorder(bool border) override { border_ = border; }
  void SetOnChange(NotifyHandler handler) override { onChange_ = std::move(handler); }
  std::string Describe() const override;

  int SelLength() const { return selection_.length; }
  bool Border() const { return border_; }
  // The user clicks into the edit, selects its whole text and types `text`
  // over it.
  void UserType(const std::string& text);

 private:
  void ReplaceText(const std::string& text, int caret);
  std::string text_;
  TextSelection selection_;
  bool border_ = true;
  NotifyHandler onChange_;
};

// Setting the text or the item index from code runs no change event; only
// the user's typing and picking do.
class HeadlessComboBox : public HeadlessControlOf<ComboBox> {
 public:
  // How many lines the list shows unless told otherwise.
  static constexpr int DefaultDropDownCount = 8;

  HeadlessComboBox(HeadlessToolkit& toolkit, HeadlessWidget* parent);
  void SetText(const std::string& text) override;
  std::string Text() const override { return text_; }
  void SetSelStart(int index) override;
  int SelStart() const override { return selection_.start; }
  void SelectAll() override;

  int ItemCount() const override { return static_cast<int>(items_.size()); }
  std::string Item(int index) const override;
  std::vector<std::string> Items() const override { return items_; }
  void SetItems(const std::vector<std::string>& items) override;
  void InsertItem(int index, const std::string& text) override;
  void DeleteItem(int index) override;
  void SetItem(int index, const std::string& text) override;
  void SetItemIndex(int index) override;
  int ItemIndex() const override { return itemIndex_; }
  void SetDropDownCount(int lines) override { dropDownCount_ = lines; }
  int DropDownCount() const override { return dropDownCount_; }
  void SetTag(int tag) override { tag_ = tag; }
  int Tag() const override { return tag_; }
  void SetBackground(Background background) override { background_ = background; }
  Background GetBackground() const override { return background_; }

  void SetOnEnter(NotifyHandler handler) override { onEnter_ = std::move(handler); }
  void SetOnExit(NotifyHandler handler) override { onExit_ = std::move(handler); }
  void SetOnChange(NotifyHandler handler) override { onChange_ = std::move(handler); }
  void SetOnDropDown(NotifyHandler handler) override { onDropDown_ = std::move(handler); }
  std::string Describe() const override;

  int SelLength() const { return selection_.length; }
  // The user clicks into the box, selects its whole text and types `text`
  // over it.
  void UserType(const std::string& text);
  // The user opens the list (the box takes the focus first).
  void UserDropDown();
  // The user opens the list and picks the item at `index`.
  void UserPick(int index);

 protected:
  // The edit part's height follows the font, whatever height it is given.
  Rect ShownBounds() const override;
  void FocusEntered() override;
  void FocusLeft() override;

 private:
  void Notify(const NotifyHandler& handler);
  std::string text_;
  TextSelection selection_;
  std::vector<std::string> items_;
  int itemIndex_ = -1;
  int dropDownCount_ = DefaultDropDownCount;
  int tag_ = 0;
  Background background_ = Background::Window;
  NotifyHandler onEnter_, onExit_, onChange_, onDropDown_;
};

class HeadlessCheckBox : public HeadlessControlOf<CheckBox> {
 public:
  HeadlessCheckBox(HeadlessToolkit& toolkit, HeadlessWidget* parent);
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  std::string Caption() const override { return caption_; }
  void SetChecked(bool checked) override;
  bool Checked() const override { return checked_; }
  void SetOnClick(NotifyHandler handler) override { onClick_ = std::move(handler); }
  std::string Describe() const override;

  // The user clicks the box: it takes the focus and toggles.
  void UserClick();

 private:
  std::string caption_;
  bool checked_ = false;
  NotifyHandler onClick_;
};

class HeadlessButton : public HeadlessControlOf<Button> {
 public:
  HeadlessButton(HeadlessToolkit& toolkit, HeadlessWidget* parent);
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  std::string Caption() const override { return caption_; }
  void SetDefault(bool isDefault) override { default_ = isDefault; }
  bool IsDefault() const override { return default_; }
  void SetOnClick(NotifyHandler handler) override { onClick_ = std::move(handler); }
  void SetOnMouseDown(MouseHandler handler) override { onMouseDown_ = std::move(handler); }
  void Click() override;
  std::string Describe() const override;

  // The user clicks the button with the left mouse button: the mouse-down
  // event runs, the button takes the focus, and the click follows when the
  // button is still enabled and visible.
  void UserClick();

 private:
  std::string caption_;
  bool default_ = false;
  NotifyHandler onClick_;
  MouseHandler onMouseDown_;
};

class HeadlessPictureButton : public HeadlessControlOf<PictureButton> {
 public:
  HeadlessPictureButton(HeadlessToolkit& toolkit, HeadlessWidget* parent);
  void SetGlyph(Glyph glyph) override { glyph_ = glyph; }
  void SetOnClick(NotifyHandler handler) override { onClick_ = std::move(handler); }
  void Click() override;
  std::string Describe() const override;

  Glyph GetGlyph() const { return glyph_; }
  // The user clicks the button: it takes the focus and clicks.
  void UserClick();

 private:
  Glyph glyph_ = Glyph::Help;
  NotifyHandler onClick_;
};

// The memo shows its lines unwrapped, one row each, as many as its client
// height holds in its font. The clipboard is the toolkit's.
class HeadlessMemo : public HeadlessControlOf<Memo> {
 public:
  // Rows the wheel scrolls for every notch.
  static constexpr int WheelRows = 3;

  HeadlessMemo(HeadlessToolkit& toolkit, HeadlessWidget* parent);
  // The client area is the width less the borders and the scroll bar.
  int ClientWidth() const override;
  std::string Describe() const override { return "memo"; }

  // Whether the selection spans the whole text.
  bool WholeTextSelected() const;
  // The user clicks at a place (with Shift: the selection grows to it); the
  // memo takes the focus.
  void UserClick(TextPlace place, ShiftState shift = ShiftState::None);
  // The user drags the mouse from one place to another.
  void UserDrag(TextPlace from, TextPlace to);
  // The user turns the wheel by notches, towards the start of the text for
  // positive ones.
  void UserWheel(int notches);
  // The user types a text at the caret of the focused memo, character by
  // character; a line break is Enter.
  void UserType(const std::string& text);
  // A key pressed while the memo has the focus.
  bool KeyPressed(uint16_t key, ShiftState shift) override;
  // The rows the client height holds in the memo's font.
  int PageRows() const override;

 protected:
  void CopySelection() override;
  std::optional<std::string> ClipboardText() override;
  void LinesShown(const TextChange& /*change*/) override {}
  void ViewMoved() override {}
  void Resized() override { ViewResized(); }
};

// A top-level window. It keeps the focus of its controls: SetFocus on a
// control runs the exit event of the control that had the focus and the
// enter event of the new one. A control that is disabled loses the focus
// (its exit event runs); one that is hidden keeps it, as on Windows. A maximised form fills the work area of
// the toolkit's screen. The main form's minimising and restoring are the
// application's: they run its events, as on Windows.
class HeadlessForm : public HeadlessContainerOf<Form> {
 public:
  explicit HeadlessForm(HeadlessToolkit& toolkit);
  ~HeadlessForm() override;
  HeadlessForm* AsForm() override { return this; }
  const HeadlessForm* AsForm() const override { return this; }

  // Showing a form brings it to the front. SetFocus activates the form.
  void SetVisible(bool visible) override;
  void SetFocus() override;
  bool Focused() const override;

  void SetCaption(const std::string& caption) override { caption_ = caption; }
  std::string Caption() const override { return caption_; }
  void SetKeyPreview(bool preview) override { keyPreview_ = preview; }
  void SetMinSize(int width, int height) override;
  void SetContextMenu(PopupMenu* menu) override { contextMenu_ = menu; }
  void SetWindowState(WindowState state) override;
  WindowState GetWindowState() const override { return state_; }
  WindowState RestoreState() const override;
  // A freed form has no window left: it answers neutral bounds, as a
  // destroyed window does.
  Rect NormalBounds() const override { return freed_ ? Rect{} : bounds_; }
  void Close() override;
  void BringToFront() override;
  void SendToBack() override;
  void SetOnCloseQuery(CloseQueryHandler handler) override { onCloseQuery_ = std::move(handler); }
  void SetOnClose(CloseHandler handler) override { onClose_ = std::move(handler); }
  void SetOnKeyDown(KeyHandler handler) override { onKeyDown_ = std::move(handler); }
  void SetOnResize(NotifyHandler handler) override { onResize_ = std::move(handler); }
  std::string Describe() const override;

  bool KeyPreview() const { return keyPreview_; }
  PopupMenu* ContextMenu() const { return contextMenu_; }
  int MinWidth() const { return minWidth_; }
  int MinHeight() const { return minHeight_; }
  // The control that has the form's focus, if any.
  Control* FocusedControl() const;
  // The form was closed with the action Free.
  bool Freed() const { return freed_; }

  // The user presses a key in the form. With key preview on, the form's
  // key event sees it first and may mark it handled; otherwise the key
  // event sees only keys that no control takes (none has the focus). Then
  // the shortcuts of the context menu, Enter for the focused button or else
  // the default button (a focused memo keeps Enter), Tab and Shift+Tab
  // between the tab stops, and Alt+F4, which closes the form.
  void PressKey(uint16_t key, ShiftState shift = ShiftState::None);
  // The user clicks the close box.
  void UserClose();
  // The user clicks the minimise or the maximise box of the shown form.
  void UserMinimize();
  void UserMaximize();
  // The user restores the form: its taskbar button when it is minimised
  // (back to its RestoreState), else its restore box (back to normal). The
  // form becomes the active one.
  void UserRestore();
  // The user right-clicks the form or one of its controls: the context
  // menu shows at the screen point.
  void OpenContextMenu(int screenX, int screenY);

 protected:
  Rect ShownBounds() const override;
  int InnerWidth() const override;
  int InnerHeight() const override;
  void StoreBounds(const Rect& bounds) override;
  void Resized() override;

 private:
  friend class HeadlessWidget;
  void MoveFocus(HeadlessWidget* to);
  bool PressFocusedOrDefaultButton();
  void MoveFocusByTab(bool backward);
  void Forget(const PopupMenu* menu);
  Rect WithMinSize(Rect bounds) const;
  // Shows the hidden form minimised without activating it.
  void ShowMinimized();

  std::string caption_;
  bool keyPreview_ = false;
  int minWidth_ = 0;
  int minHeight_ = 0;
  PopupMenu* contextMenu_ = nullptr;
  WindowState state_ = WindowState::Normal;
  WindowState restoreState_ = WindowState::Normal;  // the state before minimising
  HeadlessWidget* focused_ = nullptr;
  bool freed_ = false;
  CloseQueryHandler onCloseQuery_;
  CloseHandler onClose_;
  KeyHandler onKeyDown_;
  NotifyHandler onResize_;
  friend class HeadlessToolkit;
};

}  // namespace plovik
