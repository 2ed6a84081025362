// The small GUI toolkit the program is written against. win32/ implements it
// on real windows, headless/ on plain objects for the tests. The program
// reaches the screen only through the process-wide Toolkit object (Tk()).
//
// Conventions:
// - Texts are UTF-8. A "\r" inside a caption, hint or message breaks the line.
// - Sizes and positions are pixels; a control's position is relative to the
//   client area of its parent (a form or a panel).
// - Events are typed and carry their sender. A handler may run nested inside
//   message processing (ProcessMessages) while an activity runs.
// - Setting a check box's state from code runs its click handler when the
//   state changes, as a click would.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lib/Flags.h"
#include "lib/Result.h"
#include "lib/TextLines.h"

namespace plovik {

class Control;
class Form;
class PopupMenu;
class MenuItem;

// ---- values ---------------------------------------------------------------------

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};

// A screen font: its face name and character height in pixels (the height of
// the characters without the internal leading, as a negative LOGFONT height).
struct Font {
  std::string name = "MS Sans Serif";
  int height = 11;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  bool operator==(const Font&) const = default;
};

// A font as the font dialog and the settings describe it: size in points.
struct FontChoice {
  std::string name;
  int points = 8;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  bool operator==(const FontChoice&) const = default;
};

enum class Anchor : uint8_t { None = 0, Left = 1, Top = 2, Right = 4, Bottom = 8 };
template <> struct IsFlagSet<Anchor> : std::true_type {};

enum class ShiftState : uint8_t { None = 0, Shift = 1, Ctrl = 2, Alt = 4 };
template <> struct IsFlagSet<ShiftState> : std::true_type {};

// Virtual key codes (the Windows VK_ values; letters and digits are their
// upper-case ASCII codes).
enum Key : uint16_t {
  KeyBack = 0x08,
  KeyReturn = 0x0D,
  KeyEscape = 0x1B,
  KeyPageUp = 0x21,
  KeyPageDown = 0x22,
  KeyEnd = 0x23,
  KeyHome = 0x24,
  KeyArrowLeft = 0x25,
  KeyArrowUp = 0x26,
  KeyArrowRight = 0x27,
  KeyArrowDown = 0x28,
  KeyInsert = 0x2D,
  KeyDelete = 0x2E,
  KeyF1 = 0x70,
  KeyF4 = 0x73,
};

enum class MouseButton { Left, Right, Middle };
enum class CursorKind { Default, Hourglass };
enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };
// The background of an input control: the normal window colour, or the
// greyed button face.
enum class Background { Window, ButtonFace };
// Images of the picture buttons, drawn by the toolkit.
enum class Glyph { Help, Settings, Folder };

// ---- events ------------------------------------------------------------------------

struct NotifyEvent {
  Control& sender;
};

struct KeyEvent {
  Control& sender;
  uint16_t key;
  ShiftState shift;
  bool handled = false;  // a handled key goes no further
};

struct MouseEvent {
  Control& sender;
  MouseButton button;
  ShiftState shift;
  int x, y;  // in the sender's client area
};

struct CloseQueryEvent {
  Form& sender;
  bool canClose = true;  // a handler sets false to refuse the close
};

// What happens to a form that closes: the main form is freed (which ends the
// message loop), every other form is hidden, unless the handler decides
// otherwise.
enum class CloseAction { None, Hide, Free };
struct CloseEvent {
  Form& sender;
  CloseAction action;
};

using NotifyHandler = std::function<void(NotifyEvent&)>;
using KeyHandler = std::function<void(KeyEvent&)>;
using MouseHandler = std::function<void(MouseEvent&)>;
using CloseQueryHandler = std::function<void(CloseQueryEvent&)>;
using CloseHandler = std::function<void(CloseEvent&)>;

// ---- controls ----------------------------------------------------------------------

// Common part of every window and control.
class Control {
 public:
  virtual ~Control() = default;
  virtual void SetBounds(int left, int top, int width, int height) = 0;
  virtual int Left() const = 0;
  virtual int Top() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Which edges of the parent the control keeps its distance to when the
  // parent is resized (Left | Top by default): Left | Right stretches it.
  virtual void SetAnchors(Anchor anchors) = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Visible() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetFont(const Font& font) = 0;
  virtual Font GetFont() const = 0;
  // The tooltip shown when the mouse rests on the control; empty for none.
  virtual void SetHint(const std::string& hint) = 0;
  virtual std::string Hint() const = 0;
  virtual void SetTabStop(bool tabStop) = 0;
  virtual void SetFocus() = 0;
  virtual bool Focused() const = 0;
  // The mouse cursor over the control.
  virtual void SetCursor(CursorKind cursor) = 0;
  // Opaque window handle for the system calls that want an owner; 0 headless.
  virtual uintptr_t Handle() const = 0;
};

// A control that holds others: a form or a panel.
class Container : public Control {
 public:
  virtual int ClientWidth() const = 0;
  virtual int ClientHeight() const = 0;
};

// A top-level window, created hidden.
class Form : public Container {
 public:
  virtual void SetCaption(const std::string& caption) = 0;
  virtual std::string Caption() const = 0;
  // The form sees every key before the focused control.
  virtual void SetKeyPreview(bool preview) = 0;
  virtual void SetMinSize(int width, int height) = 0;
  // The menu a right-click on the form or on any of its controls opens; its
  // items' shortcuts work in the whole form.
  virtual void SetContextMenu(PopupMenu* menu) = 0;
  // A hidden form keeps the state and takes it along when it is shown. The
  // main form's minimising and restoring are the application's (Toolkit::
  // Minimize, Restore and their events).
  virtual void SetWindowState(WindowState state) = 0;
  virtual WindowState GetWindowState() const = 0;
  // The state a restore brings the form back to: while it is minimised, the
  // state it had before (normal or maximised); otherwise its state.
  virtual WindowState RestoreState() const = 0;
  // The bounds the form has in the normal state, also while it is maximised
  // or minimised.
  virtual Rect NormalBounds() const = 0;
  // Asks the form to close, as the close box does: the close query runs, then
  // the close event.
  virtual void Close() = 0;
  virtual void BringToFront() = 0;
  virtual void SendToBack() = 0;

  virtual void SetOnCloseQuery(CloseQueryHandler handler) = 0;
  virtual void SetOnClose(CloseHandler handler) = 0;
  virtual void SetOnKeyDown(KeyHandler handler) = 0;
  virtual void SetOnResize(NotifyHandler handler) = 0;
};

// A bordered panel holding other controls; its caption is centred in it.
class Panel : public Container {
 public:
  virtual void SetCaption(const std::string& caption) = 0;
  virtual std::string Caption() const = 0;
  virtual void SetBorder(bool border) = 0;
};

// A label that sizes itself to its caption in its font.
class Label : public Control {
 public:
  virtual void SetCaption(const std::string& caption) = 0;
  virtual std::string Caption() const = 0;
  virtual void SetOnClick(NotifyHandler handler) = 0;
};

// A one-line text input.
class Edit : public Control {
 public:
  virtual void SetText(const std::string& text) = 0;
  virtual std::string Text() const = 0;
  // The caret: the character index before which it stands (the start of the
  // selection), counted from 0.
  virtual void SetSelStart(int index) = 0;
  virtual int SelStart() const = 0;
  virtual void SelectAll() = 0;
  virtual void SetBorder(bool border) = 0;
  // The text changed, typed or set from code.
  virtual void SetOnChange(NotifyHandler handler) = 0;
};

// An editable drop-down box: a one-line text input with a list.
class ComboBox : public Control {
 public:
  virtual void SetText(const std::string& text) = 0;
  virtual std::string Text() const = 0;
  virtual void SetSelStart(int index) = 0;
  virtual int SelStart() const = 0;
  virtual void SelectAll() = 0;

  virtual int ItemCount() const = 0;
  virtual std::string Item(int index) const = 0;
  virtual std::vector<std::string> Items() const = 0;
  virtual void SetItems(const std::vector<std::string>& items) = 0;
  virtual void InsertItem(int index, const std::string& text) = 0;
  virtual void DeleteItem(int index) = 0;
  virtual void SetItem(int index, const std::string& text) = 0;
  // Selects an item: the text becomes the item's. -1 selects none.
  virtual void SetItemIndex(int index) = 0;
  virtual int ItemIndex() const = 0;
  // How many lines the dropped-down list shows.
  virtual void SetDropDownCount(int lines) = 0;
  virtual int DropDownCount() const = 0;
  virtual void SetTag(int tag) = 0;
  virtual int Tag() const = 0;
  virtual void SetBackground(Background background) = 0;
  virtual Background GetBackground() const = 0;

  virtual void SetOnEnter(NotifyHandler handler) = 0;     // the box gets the focus
  virtual void SetOnExit(NotifyHandler handler) = 0;      // the box loses the focus
  virtual void SetOnChange(NotifyHandler handler) = 0;    // the text changed (typed or picked)
  virtual void SetOnDropDown(NotifyHandler handler) = 0;  // the list is about to open
};

class CheckBox : public Control {
 public:
  virtual void SetCaption(const std::string& caption) = 0;
  virtual std::string Caption() const = 0;
  // Runs the click handler when the state changes.
  virtual void SetChecked(bool checked) = 0;
  virtual bool Checked() const = 0;
  virtual void SetOnClick(NotifyHandler handler) = 0;
};

class Button : public Control {
 public:
  virtual void SetCaption(const std::string& caption) = 0;
  virtual std::string Caption() const = 0;
  // The default button of its form: Enter presses it.
  virtual void SetDefault(bool isDefault) = 0;
  virtual bool IsDefault() const = 0;
  virtual void SetOnClick(NotifyHandler handler) = 0;
  // A mouse button went down on the button (before the click).
  virtual void SetOnMouseDown(MouseHandler handler) = 0;
  // Runs the click handler as a press of the button would (only when enabled).
  virtual void Click() = 0;
};

// A small button showing one of the toolkit's images instead of a caption.
class PictureButton : public Control {
 public:
  virtual void SetGlyph(Glyph glyph) = 0;
  virtual void SetOnClick(NotifyHandler handler) = 0;
  virtual void Click() = 0;
};

// A place in a memo's text: a line, and a byte offset into the line's
// UTF-8 text that stands at the start of a character (the line's length is
// its end).
struct TextPlace {
  int line = 0;
  int column = 0;
  auto operator<=>(const TextPlace&) const = default;
};

// A row of the screen a memo shows: a line and one of the rows the line is
// wrapped into.
struct TextRow {
  int line = 0;
  int row = 0;
  auto operator<=>(const TextRow&) const = default;
};

// A multi-line text view over lines (TextLines): its own, or lines the
// program owns and binds, which then outlive the memo. An empty string is a
// blank line. The line methods act on the bound lines, and so do their
// capacity and refusal. The change handler runs after every change of the
// lines, programmatic ones and those made without the memo included.
//
// The view shows the lines word-wrapped, only the visible ones, with a
// vertical scroll bar. It follows the newest line while it shows the end of
// the text; a user who scrolled away from the end stays where he is. The
// user selects, copies and edits the text:
// - a click places the caret and takes the focus, a drag or a click with
//   Shift selects, the wheel scrolls;
// - the arrow keys, Home, End (with Ctrl: the start and end of the text)
//   and Page Up and Down move the caret, and select with Shift; Ctrl+A
//   selects everything;
// - Ctrl+C and Ctrl+Insert copy the selection to the clipboard, lines
//   joined by CR LF; Ctrl+X and Shift+Delete cut; Ctrl+V and Shift+Insert
//   paste;
// - typing, Enter, Backspace and Delete edit the lines. An edit that would
//   exceed the capacity is refused.
// Escape and Tab mean nothing to the memo; the memo has no menu of its own.
class Memo : public Control, private TextLinesListener {
 public:
  static constexpr size_t DefaultCapacity = TextLines::DefaultCapacity;

  Memo() { model_->AddListener(this); }
  ~Memo() override;
  Memo(const Memo&) = delete;
  Memo& operator=(const Memo&) = delete;

  // Shows and edits `lines` from now on; null: the memo's own lines.
  void Bind(TextLines* lines);
  TextLines& Model() const { return *model_; }

  int Count() const { return model_->Count(); }
  std::string Line(int index) const { return model_->Line(index); }
  std::vector<std::string> Lines() const { return model_->All(); }
  // Appends a line; false (and nothing changed) when the lines are full.
  bool Append(const std::string& line) { return model_->Append(line); }
  void SetLine(int index, const std::string& line) { model_->Set(index, line); }
  void DeleteLine(int index) { model_->Erase(index); }
  void Clear() { model_->Clear(); }
  void SetCapacity(size_t characters) { model_->SetCapacity(characters); }
  size_t Capacity() const { return model_->Capacity(); }
  virtual int ClientWidth() const = 0;
  void SetOnChange(NotifyHandler handler) { onChange_ = std::move(handler); }

  // The selection lies between its anchor and the caret.
  void SelectAll();
  void Select(TextPlace anchor, TextPlace caret);
  TextPlace SelAnchor() const { return anchor_; }
  TextPlace SelCaret() const { return caret_; }
  std::string SelText() const;
  // The place behind the last character of the text.
  TextPlace End() const;

  // The row at the top of the view, and whether the view follows the end.
  TextRow TopRow() const { return following_ ? EndTop() : top_; }
  bool FollowsEnd() const { return following_; }

 protected:
  // ---- the user's actions, as the views pass them on
  // A key went down while the memo had the focus; true when it used it.
  bool KeyDown(uint16_t key, ShiftState shift);
  // Typed text replaces the selection; false when it was refused.
  bool TypeText(const std::string& text);
  // A click or drag: the caret goes to `place`; the anchor too unless the
  // selection is extended.
  void PlaceCaret(TextPlace place, bool extend);
  void ScrollRows(int rows);
  void ScrollToLine(int line);
  // The view changed its size or font: a view that does not follow the
  // end keeps its top row within the text and follows once it shows the
  // end.
  void ViewResized();
  // Calls `piece` with the selected text in pieces, "\r\n" between lines.
  void VisitSelection(const std::function<void(std::string_view)>& piece) const;

  // ---- what a view provides
  // The selected text goes to the clipboard; the clipboard's text comes.
  virtual void CopySelection() = 0;
  virtual std::optional<std::string> ClipboardText() = 0;
  // The rows a line is wrapped into (at least 1), the row a place stands
  // in, and how many rows the view shows at once (at least 1).
  virtual int RowsOf(int /*line*/) const { return 1; }
  virtual int RowOf(TextPlace /*place*/) const { return 0; }
  virtual int PageRows() const = 0;
  // The place one row up (direction -1) or down (+1); `goal` keeps the
  // horizontal position over several steps (-1: take it from `from`).
  // The default keeps the character count on the neighbouring line.
  virtual TextPlace RowStep(TextPlace from, int direction, int& goal) const;
  // The lines changed (after the memo adjusted its selection and top).
  virtual void LinesShown(const TextChange& change) = 0;
  // The user moved the caret, the selection or the view, or edited.
  virtual void ViewMoved() = 0;

  // The start of the character before / after a place in its line.
  TextPlace CharBefore(TextPlace place) const;
  TextPlace CharAfter(TextPlace place) const;
  // The row `rows` rows below (above, for negative ones) a row, within the
  // text.
  TextRow RowsFrom(TextRow from, int rows) const;
  // The top row of a view that shows the end of the text.
  TextRow EndTop() const;

 private:
  void LinesChanged(const TextChange& change) override;
  TextPlace Follow(TextPlace place, const TextChange& change) const;
  TextPlace Clamped(TextPlace place) const;
  bool ShowsEnd(TextRow top) const;
  void MoveCaret(TextPlace to, bool extend);
  void ShowCaret();
  bool MoveKey(uint16_t key, bool ctrl, bool extend);
  std::optional<TextPlace> LineTarget(uint16_t key, bool ctrl, bool extend) const;
  bool ReplaceSelection(const std::string& text);
  void DeleteNext(bool forward);
  void Paste();

  TextLines own_;
  TextLines* model_ = &own_;
  TextPlace anchor_, caret_;
  int goal_ = -1;
  TextRow top_;  // while the view does not follow the end
  bool following_ = true;
  NotifyHandler onChange_;
};

// ---- menus -----------------------------------------------------------------------

class MenuItem {
 public:
  virtual ~MenuItem() = default;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual std::string Caption() const = 0;
  // A key that chooses the item in the whole form (e.g. KeyF1, or KeyF4
  // with Alt); shown beside the caption. It works while the item is hidden
  // too.
  virtual void SetShortcut(uint16_t key, ShiftState shift) = 0;
  virtual void SetChecked(bool checked) = 0;
  virtual bool Checked() const = 0;
  // Choosing the item toggles its check mark (or, in a radio group, sets it
  // and clears the others of the group) before the click handler runs.
  virtual void SetAutoCheck(bool autoCheck) = 0;
  // Items of the same group number above 0 form one radio group.
  virtual void SetRadioGroup(int group) = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Visible() const = 0;
  virtual void SetTag(int tag) = 0;
  virtual int Tag() const = 0;
  // The handler's sender is the menu's form (the item is not a control);
  // use Tag or the item itself to tell items apart.
  virtual void SetOnClick(std::function<void(MenuItem&)> handler) = 0;
  // Chooses the item as the user would (check mark, then the handler).
  virtual void Click() = 0;
};

class PopupMenu {
 public:
  virtual ~PopupMenu() = default;
  virtual MenuItem& AddItem(const std::string& caption) = 0;
  virtual void AddSeparator() = 0;
  // Runs before the menu shows.
  virtual void SetOnPopup(std::function<void()> handler) = 0;
  // Shows the menu at a screen point and returns when it has closed (after
  // the chosen item's handler, if any, has run).
  virtual void Popup(int screenX, int screenY) = 0;
};

// ---- printer -----------------------------------------------------------------------

// What printing needs to know of the printer font and the page, in printer
// pixels.
struct PrinterMetrics {
  int textWidthX = 0;   // width of "X" in the printer font
  int textHeightX = 0;  // height of "X"
  int pixelsPerInch = 0;
  int pageWidth = 0;
  int pageHeight = 0;
  int clipLeft = 0;
  int clipRight = 0;
};

// The default printer as a text stream.
class Printer {
 public:
  virtual ~Printer() = default;
  // Whether the default printer can be asked for its paper orientation.
  virtual bool Probe() = 0;
  // The canvas font: always fixed pitch.
  virtual void SetFont(const FontChoice& font) = 0;
  virtual PrinterMetrics Metrics() = 0;
  // Opens the print document.
  virtual Result<void> BeginDoc(const std::string& title) = 0;
  // Writes text: "\n" starts a new line, "\f" a new page, "\r" starts no new
  // line; text wider than the printable width goes on in the next line, and
  // a full page goes on on the next. Pending window messages are processed
  // while the document prints.
  virtual void Write(const std::string& text) = 0;
  // Hands what was written so far to the printer.
  virtual void Flush() = 0;
  // Ends the print document.
  virtual Result<void> EndDoc() = 0;
};

// ---- dialogs ----------------------------------------------------------------------

enum class DialogType { Error, Warning, Confirmation, Information };

// Buttons of a message dialog; combine with |.
enum DialogButton : uint32_t {
  ButtonYes = 1,
  ButtonNo = 2,
  ButtonOk = 4,
  ButtonCancel = 8,
  ButtonAbort = 16,
  ButtonRetry = 32,
  ButtonIgnore = 64,
};

// Modal results as numbers.
enum ModalResult : int {
  ModalNone = 0,
  ModalOk = 1,
  ModalCancel = 2,  // closed without a button
  ModalAbort = 3,
  ModalRetry = 4,
  ModalIgnore = 5,
  ModalYes = 6,
  ModalNo = 7,
};

struct SaveDialogOptions {
  std::string title;
  std::string initialDir;
  std::string fileName;
  std::string defaultExt;   // without the dot
  std::string filter;       // "description|pattern", e.g. "Log files (*.TXT)|*.TXT"
  bool overwritePrompt = true;
  bool pathMustExist = true;
};

struct SaveDialogResult {
  bool confirmed = false;
  std::string fileName;  // the dialog's file name, also after Cancel
};

enum class FontDevice { Screen, Printer };

struct ScreenMetrics {
  int width = 0;          // SM_CXSCREEN
  int height = 0;         // SM_CYSCREEN
  int virtualWidth = 0;   // SM_CXVIRTUALSCREEN
  int virtualHeight = 0;  // SM_CYVIRTUALSCREEN
  int pixelsPerInch = 96;
  // The primary monitor's work area: the screen less the taskbar.
  Rect workArea;
};

// What the taskbar button of the main form shows of a long activity: no
// progress, busy without a measure, or a share of a total (in the normal
// colour, as failed, or as paused).
enum class TaskbarProgress { None, Indeterminate, Normal, Error, Paused };

// ---- the application ---------------------------------------------------------------

class Toolkit {
 public:
  virtual ~Toolkit() = default;

  // ---- message loop
  // Processes the pending window messages once and returns.
  virtual void ProcessMessages() = 0;
  // Runs the message loop until the application terminates (Terminate, or
  // the main form was freed); returns the exit code.
  virtual int Run() = 0;
  // Asks the application to end: the message loop ends at its next message.
  virtual void Terminate(int exitCode = 0) = 0;
  virtual bool Terminated() const = 0;
  // The form whose freeing ends the message loop, and which owns the message
  // dialogs.
  virtual void SetMainForm(Form* form) = 0;
  virtual Form* MainForm() const = 0;

  // ---- the application object
  virtual void SetName(const std::string& name) = 0;
  virtual std::string Name() const = 0;
  // The text of the taskbar button.
  virtual void SetTitle(const std::string& title) = 0;
  virtual std::string Title() const = 0;
  // The application is minimised and restored with its main form: by these
  // calls, by the form's SetWindowState, or by the user (the minimise box,
  // the taskbar button). The events run once per change, after it: the
  // minimise event while the form is minimised already (its RestoreState
  // tells what it was before), the restore event when it is back.
  virtual void SetOnMinimize(std::function<void()> handler) = 0;
  virtual void SetOnRestore(std::function<void()> handler) = 0;
  // Shows the main form minimised, also a hidden one (so that it has a
  // taskbar button), without activating it.
  virtual void Minimize() = 0;
  // Brings a minimised main form back to its RestoreState and activates it;
  // nothing when the application is not minimised.
  virtual void Restore() = 0;
  virtual bool Minimized() const = 0;
  // Brings the application's main form to the front and activates it; a
  // minimised one is restored first.
  virtual void BringToFront() = 0;
  // The help file, and opening it in the help window without a topic.
  virtual void SetHelpFile(const std::string& path) = 0;
  virtual std::string HelpFile() const = 0;
  virtual bool ShowHelp() = 0;
  // Hints: shown after the mouse rested pauseMs, hidden after hideMs, shown
  // after shortPauseMs when the mouse moves on while a hint is showing.
  virtual void SetHintTimes(int pauseMs, int hideMs, int shortPauseMs) = 0;
  // The progress on the main form's taskbar button: the state, and for
  // Normal, Error and Paused `done` of `total`. False when the system did
  // not take it (no main form, no taskbar button, a system without the
  // taskbar's progress); nothing else follows from that.
  virtual bool SetTaskbarProgress(TaskbarProgress state, uint64_t done, uint64_t total) = 0;

  // ---- creation (forms are created hidden)
  virtual std::unique_ptr<Form> CreateForm() = 0;
  virtual std::unique_ptr<Panel> CreatePanel(Container& parent) = 0;
  virtual std::unique_ptr<Label> CreateLabel(Container& parent) = 0;
  virtual std::unique_ptr<Edit> CreateEdit(Container& parent) = 0;
  virtual std::unique_ptr<ComboBox> CreateComboBox(Container& parent) = 0;
  virtual std::unique_ptr<CheckBox> CreateCheckBox(Container& parent) = 0;
  virtual std::unique_ptr<Button> CreateButton(Container& parent) = 0;
  virtual std::unique_ptr<PictureButton> CreatePictureButton(Container& parent) = 0;
  virtual std::unique_ptr<Memo> CreateMemo(Container& parent) = 0;
  virtual std::unique_ptr<PopupMenu> CreatePopupMenu(Form& owner) = 0;

  // ---- message boxes
  // A modal message dialog owned by the main form: every top-level window of
  // the program is disabled while it shows. Its caption and button labels are
  // German in both interface languages ("Fehler", "Warnung", "Bestätigung",
  // "&Ja", "&Nein", "OK", "&Abbrechen", "&Wiederholen", "&Ignorieren"); the
  // text is the caller's. Returns the modal result of the button pressed, 2
  // when the dialog was closed without a button.
  virtual int MessageDialog(const std::string& text, DialogType type, uint32_t buttons,
                            int helpContext) = 0;
  // The system's plain message box with an OK button and the error icon.
  virtual void SystemErrorBox(const std::string& text, const std::string& caption) = 0;
  // The message box that reports an unexpected error, with an OK button.
  virtual void ShowException(const std::string& text) = 0;

  // ---- common dialogs
  virtual SaveDialogResult SaveFileDialog(const SaveDialogOptions& options) = 0;
  // Fixed-pitch fonts of the screen or of the default printer; preset with
  // and returning into `font`. False when cancelled.
  virtual bool FontDialog(FontDevice device, FontChoice& font) = 0;
  // A one-line input; preset with and returning into `value`. False when
  // cancelled (value unchanged).
  virtual bool InputQuery(const std::string& title, const std::string& prompt,
                          std::string& value) = 0;
  // The system's folder selection, file-system folders only, preset with
  // `directory` when that exists (else `directory` is emptied first), with
  // the critical-error boxes of the system suppressed. True and the chosen
  // folder's full path in `directory` when a folder was chosen.
  virtual bool BrowseForFolder(const std::string& title, std::string& directory) = 0;

  // ---- printer, screen, cursor, text
  virtual Printer& DefaultPrinter() = 0;
  virtual ScreenMetrics Screen() = 0;
  virtual void SetScreenCursor(CursorKind cursor) = 0;
  // Width in pixels of a text in a font on the screen.
  virtual int TextWidth(const Font& font, const std::string& text) = 0;
};

// The process-wide toolkit. Install before use; the caller keeps ownership.
Toolkit& Tk();
void InstallToolkit(Toolkit* toolkit);

// German caption of a dialog type and label of a button, as every message
// dialog shows them.
std::string DialogCaption(DialogType type);
std::string DialogButtonLabel(DialogButton button);
ModalResult DialogButtonResult(DialogButton button);
// The buttons a message dialog shows for a set of buttons, from the left;
// the first is the default button (Enter presses it). A dialog without
// buttons shows OK. Escape and the close box end a dialog with 2.
std::vector<DialogButton> MessageDialogButtons(uint32_t buttons);
// A caption as shown: "&x" marks x as the mnemonic, "&&" is one "&".
std::string WithoutMnemonics(const std::string& caption);

}  // namespace plovik
