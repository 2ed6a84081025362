// The controls of the Win32 toolkit: a registered window class for forms
// and panels, the standard STATIC, EDIT, COMBOBOX and BUTTON controls for
// the rest, and a popup menu built anew each time it opens.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Toolkit.h"
#include "toolkit/win32/MemoLines.h"
#include "toolkit/win32/Win32Window.h"

namespace plovik {

class Win32Button;
class Win32PopupMenu;

// A top-level window. Closing it (close box, Alt+F4, Close) asks the close
// query, then runs the close event with its action.
class Win32Form : public Win32Container<Form> {
 public:
  explicit Win32Form(Win32Toolkit& toolkit);
  ~Win32Form() override;

  void SetBounds(int left, int top, int width, int height) override;
  void SetVisible(bool visible) override;
  void SetFocus() override;
  bool Focused() const override;
  void SetCaption(const std::string& caption) override { SetTextImpl(caption); }
  std::string Caption() const override { return TextImpl(); }
  void SetKeyPreview(bool preview) override { keyPreview_ = preview; }
  void SetMinSize(int width, int height) override;
  void SetContextMenu(PopupMenu* menu) override;
  void SetWindowState(WindowState state) override;
  WindowState GetWindowState() const override;
  WindowState RestoreState() const override;
  Rect NormalBounds() const override;
  void Close() override;
  void BringToFront() override;
  void SendToBack() override;
  void SetOnCloseQuery(CloseQueryHandler handler) override { onCloseQuery_ = std::move(handler); }
  void SetOnClose(CloseHandler handler) override { onClose_ = std::move(handler); }
  void SetOnKeyDown(KeyHandler handler) override { onKeyDown_ = std::move(handler); }
  void SetOnResize(NotifyHandler handler) override { onResize_ = std::move(handler); }

  // A key that goes to `target` (the form or one of its controls), offered
  // to the form first: its key handler (with key preview, or when the form
  // itself has the focus), then the shortcuts of its context menu. True when
  // the key was consumed.
  bool PreviewKey(HWND target, uint16_t key, ShiftState shift);
  // Opens the context menu at the position of a WM_CONTEXTMENU message;
  // false when the form has none.
  bool ShowContextMenu(LPARAM position);
  void ForgetMenu(const PopupMenu* menu);
  // Shows the hidden form minimised without activating it: it gets its
  // taskbar button, and a restore brings it back in the state it was given
  // while hidden.
  void ShowMinimizedInactive();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Sized(WPARAM kind);
  void Activated(WPARAM state);
  Win32Button* DefaultButton() const;

  bool keyPreview_ = false;
  int minWidth_ = 0, minHeight_ = 0;
  Win32PopupMenu* contextMenu_ = nullptr;
  WindowState hiddenState_ = WindowState::Normal;  // shown with the form
  // The last state other than minimised the window had (WM_SIZE tells).
  WindowState restoreState_ = WindowState::Normal;
  HWND lastFocus_ = nullptr;  // the control that gets the focus back
  CloseQueryHandler onCloseQuery_;
  CloseHandler onClose_;
  KeyHandler onKeyDown_;
  NotifyHandler onResize_;
};

// A bordered panel with a centred caption.
class Win32Panel : public Win32Container<Panel> {
 public:
  Win32Panel(Win32Toolkit& toolkit, Container& parent);
  void SetCaption(const std::string& caption) override;
  std::string Caption() const override { return caption_; }
  void SetBorder(bool border) override { Ref().SetExStyle(WS_EX_STATICEDGE, border); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint();
  std::string caption_;
};

// A STATIC control that sizes itself to its caption in its font.
class Win32Label : public Win32Control<Label> {
 public:
  Win32Label(Win32Toolkit& toolkit, Container& parent);
  void SetBounds(int left, int top, int width, int height) override;
  void SetFont(const Font& font) override;
  void SetCaption(const std::string& caption) override;
  std::string Caption() const override { return caption_; }
  void SetOnClick(NotifyHandler handler) override { onClick_ = std::move(handler); }
  void OnCommand(WORD notification) override;

 private:
  void AutoSize();
  void Repaint();
  std::string caption_;
  NotifyHandler onClick_;
};

class Win32Edit : public Win32Control<Edit> {
 public:
  Win32Edit(Win32Toolkit& toolkit, Container& parent);
  void SetText(const std::string& text) override;
  std::string Text() const override { return TextImpl(); }
  void SetSelStart(int index) override;
  int SelStart() const override;
  void SelectAll() override;
  void SetBorder(bool border) override { Ref().SetExStyle(WS_EX_CLIENTEDGE, border); }
  void SetOnChange(NotifyHandler handler) override { onChange_ = std::move(handler); }
  void OnCommand(WORD notification) override;

 private:
  int selfChanges_ = 0;
  NotifyHandler onChange_;
};

// An editable drop-down box (CBS_DROPDOWN). Its height is the height of
// the edit part; the list below shows DropDownCount lines.
class Win32ComboBox : public Win32Control<ComboBox> {
 public:
  Win32ComboBox(Win32Toolkit& toolkit, Container& parent);
  void SetBounds(int left, int top, int width, int height) override;
  bool Focused() const override;
  void SetText(const std::string& text) override;
  std::string Text() const override { return TextImpl(); }
  void SetSelStart(int index) override;
  int SelStart() const override;
  void SelectAll() override;
  int ItemCount() const override;
  std::string Item(int index) const override;
  std::vector<std::string> Items() const override;
  void SetItems(const std::vector<std::string>& items) override;
  void InsertItem(int index, const std::string& text) override;
  void DeleteItem(int index) override;
  void SetItem(int index, const std::string& text) override;
  void SetItemIndex(int index) override;
  int ItemIndex() const override;
  void SetDropDownCount(int lines) override;
  int DropDownCount() const override { return dropDownCount_; }
  void SetTag(int tag) override { tag_ = tag; }
  int Tag() const override { return tag_; }
  void SetBackground(Background background) override;
  Background GetBackground() const override { return background_; }
  void SetOnEnter(NotifyHandler handler) override { onEnter_ = std::move(handler); }
  void SetOnExit(NotifyHandler handler) override { onExit_ = std::move(handler); }
  void SetOnChange(NotifyHandler handler) override { onChange_ = std::move(handler); }
  void SetOnDropDown(NotifyHandler handler) override { onDropDown_ = std::move(handler); }
  void OnCommand(WORD notification) override;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  HWND EditPart() const;
  void ApplyDropDownHeight();
  int selfChanges_ = 0;
  int dropDownCount_ = 8;
  int tag_ = 0;
  int listHeight_ = 0;  // the height given to SetBounds, kept for the list
  Background background_ = Background::Window;
  NotifyHandler onEnter_, onExit_, onChange_, onDropDown_;
};

class Win32CheckBox : public Win32Control<CheckBox> {
 public:
  Win32CheckBox(Win32Toolkit& toolkit, Container& parent);
  void SetCaption(const std::string& caption) override { SetTextImpl(caption); }
  std::string Caption() const override { return TextImpl(); }
  void SetChecked(bool checked) override;
  bool Checked() const override { return checked_; }
  void SetOnClick(NotifyHandler handler) override { onClick_ = std::move(handler); }
  void OnCommand(WORD notification) override;

 private:
  bool checked_ = false;
  NotifyHandler onClick_;
};

class Win32Button : public Win32Control<Button> {
 public:
  Win32Button(Win32Toolkit& toolkit, Container& parent);
  void SetCaption(const std::string& caption) override { SetTextImpl(caption); }
  std::string Caption() const override { return TextImpl(); }
  void SetDefault(bool isDefault) override;
  bool IsDefault() const override { return default_; }
  void SetOnClick(NotifyHandler handler) override { onClick_ = std::move(handler); }
  void SetOnMouseDown(MouseHandler handler) override { onMouseDown_ = std::move(handler); }
  void Click() override;
  void OnCommand(WORD notification) override;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  bool default_ = false;
  NotifyHandler onClick_;
  MouseHandler onMouseDown_;
};

// An owner-drawn button showing one of the program's images.
class Win32PictureButton : public Win32Control<PictureButton> {
 public:
  Win32PictureButton(Win32Toolkit& toolkit, Container& parent);
  void SetGlyph(Glyph glyph) override;
  Glyph GetGlyph() const { return glyph_; }
  void SetOnClick(NotifyHandler handler) override { onClick_ = std::move(handler); }
  void Click() override;
  void OnCommand(WORD notification) override;
  void OnDrawItem(const DRAWITEMSTRUCT& item) override;

 private:
  Glyph glyph_ = Glyph::Help;
  NotifyHandler onClick_;
};

// Draws a glyph into a square (the picture button's face).
void DrawGlyph(HDC dc, const RECT& area, Glyph glyph, bool enabled);

// A multi-line EDIT control whose lines are kept as the model. Appended
// lines reach the control in batches (see Flush), because an EDIT control
// takes milliseconds per single append; Count, Line and Lines answer from
// the model at every moment.
class Win32Memo : public Win32Control<Memo> {
 public:
  Win32Memo(Win32Toolkit& toolkit, Container& parent);
  ~Win32Memo() override;

  int Count() const override { return lines_.Count(); }
  std::string Line(int index) const override;
  std::vector<std::string> Lines() const override { return lines_.All(); }
  bool Append(const std::string& line) override;
  void SetLine(int index, const std::string& line) override;
  void DeleteLine(int index) override;
  void Clear() override;
  void SetCapacity(size_t characters) override;
  size_t Capacity() const override { return capacity_; }
  int ClientWidth() const override { return ClientWidthImpl(); }
  void SelectAll() override;
  void SetOnChange(NotifyHandler handler) override { onChange_ = std::move(handler); }
  void OnCommand(WORD notification) override;

  // Lines appended to the model but not yet shown by the control.
  int PendingCount() const { return Count() - shownCount_; }
  // Whether lines were replaced or deleted in the model only so far.
  bool HasPendingChanges() const { return changedFrom_ != NoChange; }
  // Brings the control up to date (pending lines and changes) in one
  // replacement.
  void Flush();
  // How often the control was brought up to date, and the time it took.
  int FlushCount() const { return flushCount_; }
  uint64_t FlushMilliseconds() const { return flushMsTotal_; }
  // Pushes pending lines when the last push is 50 ms ago or more (longer
  // when pushes grow slow), about 100 ms worth of lines at a time, so that a
  // fast stream of lines never freezes the window for long.
  void FlushIfDue(uint64_t nowMs);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // A guard for changes the program makes to the control itself: their
  // notifications are not user edits.
  struct SelfChange;
  void Changed();
  // Pushes up to maxLines pending lines in one replacement at the end.
  void Push(int maxLines);
  void StartFlushTimer();
  // Line `index` and the lines behind it differ in the control.
  void MarkChanged(int index);
  // Takes the control's text as the lines; the pending lines stay behind it
  // when keepPending.
  void ReadBackUserText(bool keepPending);
  static size_t LineCost(const std::string& line);

  MemoLines lines_;
  static constexpr int NoChange = 0x7FFFFFFF;
  int shownCount_ = 0;  // lines [0, shownCount_) are in the control
  int changedFrom_ = NoChange;  // from this line on the control's text is stale
  size_t used_ = 0;
  size_t capacity_ = DefaultCapacity;
  uint64_t lastFlushMs_ = 0;      // when the last flush ended
  uint64_t lastFlushCostMs_ = 0;  // how long it took
  int lastFlushLines_ = 0;        // and how many lines it pushed
  int flushCount_ = 0;
  uint64_t flushMsTotal_ = 0;
  bool timerSet_ = false;
  int selfChanges_ = 0;
  NotifyHandler onChange_;
};

// ---- menus -----------------------------------------------------------------

class Win32MenuItem : public MenuItem {
 public:
  Win32MenuItem(Win32PopupMenu& menu, const std::string& caption, UINT id)
      : menu_(menu), caption_(caption), id_(id) {}
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  std::string Caption() const override { return caption_; }
  void SetShortcut(uint16_t key, ShiftState shift) override;
  void SetChecked(bool checked) override;
  bool Checked() const override { return checked_; }
  void SetAutoCheck(bool autoCheck) override { autoCheck_ = autoCheck; }
  void SetRadioGroup(int group) override { radioGroup_ = group; }
  int RadioGroup() const { return radioGroup_; }
  void SetVisible(bool visible) override { visible_ = visible; }
  bool Visible() const override { return visible_; }
  void SetTag(int tag) override { tag_ = tag; }
  int Tag() const override { return tag_; }
  void SetOnClick(std::function<void(MenuItem&)> handler) override { onClick_ = std::move(handler); }
  void Click() override;

  UINT Id() const { return id_; }
  bool HasShortcut(uint16_t key, ShiftState shift) const;
  // The caption as the menu shows it: the shortcut's name behind a tab.
  std::wstring MenuText() const;
  // Sets the check mark without clearing the rest of the radio group.
  void SetCheckMark(bool checked) { checked_ = checked; }

 private:
  Win32PopupMenu& menu_;
  std::string caption_;
  UINT id_;
  uint16_t shortcutKey_ = 0;
  ShiftState shortcutShift_ = ShiftState::None;
  bool checked_ = false;
  bool autoCheck_ = false;
  bool visible_ = true;
  int radioGroup_ = 0;
  int tag_ = 0;
  std::function<void(MenuItem&)> onClick_;
};

class Win32PopupMenu : public PopupMenu {
 public:
  Win32PopupMenu(Win32Toolkit& toolkit, Form& owner);
  ~Win32PopupMenu() override;
  MenuItem& AddItem(const std::string& caption) override;
  void AddSeparator() override;
  void SetOnPopup(std::function<void()> handler) override { onPopup_ = std::move(handler); }
  void Popup(int screenX, int screenY) override;

  // Chooses the item with this shortcut; false when none has it.
  bool ChooseByShortcut(uint16_t key, ShiftState shift);
  void ClearGroup(int group, const Win32MenuItem& except);
  // The items in order; a separator is null.
  const std::vector<std::unique_ptr<Win32MenuItem>>& Entries() const { return entries_; }

 private:
  Win32Toolkit& toolkit_;
  Form& owner_;
  std::vector<std::unique_ptr<Win32MenuItem>> entries_;
  std::function<void()> onPopup_;
};

// The name of a key with its shift state as a menu shows it ("Alt+F4").
std::wstring ShortcutText(uint16_t key, ShiftState shift);

}  // namespace plovik
