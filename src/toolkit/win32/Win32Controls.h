// The controls of the Win32 toolkit: a registered window class for forms
// and panels, the standard STATIC, EDIT, COMBOBOX and BUTTON controls for
// the rest, and a popup menu built anew each time it opens.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "toolkit/Toolkit.h"
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

// The memo's view: a window of our own class that draws only the rows it
// shows, word-wrapped in the memo's font, from the bound lines (see Memo).
// Changes of the lines reach the screen a few times a second at most (from
// message processing, or a timer when none happens); the user's own
// actions at once. An append costs the view nothing but a flag.
class Win32Memo : public Win32Control<Memo> {
 public:
  // At most this often the screen follows lines that stream in, and their
  // scroll bar (whose drawing costs several milliseconds under Wine) at
  // most this often.
  static constexpr uint64_t UpdateIntervalMs = 200;
  static constexpr uint64_t ScrollBarIntervalMs = 1000;

  Win32Memo(Win32Toolkit& toolkit, Container& parent);
  ~Win32Memo() override;

  int ClientWidth() const override { return ClientWidthImpl(); }
  // Brings the screen up to date when lines changed and the last update is
  // UpdateIntervalMs ago; the message loops call it.
  void FlushIfDue(uint64_t nowMs);
  // Brings the screen up to date now.
  void Flush();
  // Whether changes (or the drawing of the scroll bar) wait for a later
  // update, and how many updates there were.
  bool UpdatePending() const { return dirty_ || scrollBarStale_; }
  int UpdateCount() const { return updateCount_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void CopySelection() override;
  std::optional<std::string> ClipboardText() override;
  int RowsOf(int line) const override;
  int RowOf(TextPlace place) const override;
  int PageRows() const override;
  TextPlace RowStep(TextPlace from, int direction, int& goal) const override;
  void LinesShown(const TextChange& change) override;
  void ViewMoved() override;

 private:
  // A line as shown: its UTF-16 text and where each of its rows starts.
  struct Layout {
    std::wstring text;
    std::vector<size_t> rowStarts;
    size_t RowEnd(size_t row) const {
      return row + 1 < rowStarts.size() ? rowStarts[row + 1] : text.size();
    }
  };
  const Layout& LayoutOf(int line) const;
  std::vector<size_t> WrapRows(const std::wstring& text) const;
  size_t RowIndex(const Layout& layout, size_t unit) const;
  int TextWidth(const wchar_t* text, size_t length) const;
  int WrapWidth() const;
  // The place at a row of the view and a horizontal pixel position.
  TextPlace PlaceInRow(TextRow row, int x) const;
  TextPlace PlaceAt(int x, int y) const;
  // Where a place shows, relative to the client area; false off screen.
  bool PointOf(TextPlace place, POINT& point) const;
  // Brings the screen up to date; the scroll bar is drawn at once, or
  // (for lines that stream in) once ScrollBarIntervalMs have passed since
  // it was drawn last.
  void Update(bool scrollBarNow = true);
  void UpdateScrollBar(bool draw);
  void PlaceSystemCaret();
  void Paint();
  void PaintRow(HDC dc, int line, const Layout& layout, size_t row, int y) const;
  void SetShownFont(HFONT font);
  void VerticalScroll(WORD request);
  void Wheel(short delta);
  void MouseDown(WPARAM keys, LPARAM position);
  void MouseMove(LPARAM position);
  void EndDrag();
  void TypedUnit(wchar_t unit);
  bool HandleInput(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  HFONT shownFont_ = nullptr;
  OwnedDc measureDc_;
  HGDIOBJ measureDcFont_ = nullptr;  // the font the measuring DC came with
  int lineHeight_ = 1;
  int averageCharWidth_ = 1;
  int maxCharWidth_ = 1;
  mutable std::unordered_map<int, Layout> layouts_;
  bool dirty_ = false;
  bool timerSet_ = false;
  uint64_t lastUpdateMs_ = 0;
  uint64_t scrollBarDrawnMs_ = 0;
  bool scrollBarStale_ = false;  // its figures set, not drawn yet
  int updateCount_ = 0;
  bool dragging_ = false;
  POINT lastMouse_{};
  int wheelRest_ = 0;
  wchar_t highSurrogate_ = 0;
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
