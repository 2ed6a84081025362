// The small GUI toolkit the program is written against. win32/ implements it
// on real windows, headless/ on plain objects for the tests. The program
// reaches the screen only through the process-wide Toolkit object.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace plovik {

struct Font {
  std::string name = "MS Sans Serif";
  int height = 11;  // character height in pixels
  bool bold = false;
  bool italic = false;
  bool operator==(const Font&) const = default;
};

// Common part of every window and control.
class Control {
 public:
  virtual ~Control() = default;
  virtual void SetBounds(int left, int top, int width, int height) = 0;
  virtual int Left() const = 0;
  virtual int Top() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Visible() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetFont(const Font& font) = 0;
  virtual Font GetFont() const = 0;
  // Opaque window handle for the system calls that want an owner; 0 headless.
  virtual uintptr_t Handle() const = 0;
};

// A top-level window.
class Form : public Control {
 public:
  virtual void SetCaption(const std::string& caption) = 0;
  virtual std::string Caption() const = 0;
  virtual int ClientWidth() const = 0;
  virtual int ClientHeight() const = 0;
};

class Button : public Control {
 public:
  virtual void SetCaption(const std::string& caption) = 0;
  virtual std::string Caption() const = 0;
  virtual void SetOnClick(std::function<void()> handler) = 0;
  // Runs the click handler as a press of the button would (only when enabled).
  virtual void Click() = 0;
};

// A label that sizes itself to its caption in its font.
class Label : public Control {
 public:
  virtual void SetCaption(const std::string& caption) = 0;
  virtual std::string Caption() const = 0;
};

// A multi-line text control holding an ordered list of lines; an empty
// string is a blank line. It has a capacity in characters (text plus two
// for each line break): an append that would exceed it is refused and
// leaves the lines unchanged. The change handler runs after every change of
// the text, programmatic ones included.
class Memo : public Control {
 public:
  // Generous default capacity: 64 MiB of text, about 800,000 lines.
  static constexpr size_t DefaultCapacity = size_t(64) << 20;

  virtual int Count() const = 0;
  virtual std::string Line(int index) const = 0;
  virtual std::vector<std::string> Lines() const = 0;
  // Appends a line; false (and nothing changed) when the memo is full.
  virtual bool Append(const std::string& line) = 0;
  virtual void SetLine(int index, const std::string& line) = 0;
  virtual void DeleteLine(int index) = 0;
  virtual void Clear() = 0;
  virtual void SetCapacity(size_t characters) = 0;
  virtual size_t Capacity() const = 0;
  virtual int ClientWidth() const = 0;
  virtual void SetOnChange(std::function<void()> handler) = 0;
};

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

enum class CursorKind { Default, Hourglass };

class Toolkit {
 public:
  virtual ~Toolkit() = default;

  // Processes the pending window messages once and returns.
  virtual void ProcessMessages() = 0;

  virtual std::unique_ptr<Form> CreateForm() = 0;
  virtual std::unique_ptr<Memo> CreateMemo(Form& parent) = 0;
  virtual std::unique_ptr<Button> CreateButton(Form& parent) = 0;
  virtual std::unique_ptr<Label> CreateLabel(Form& parent) = 0;

  // A modal message dialog: its caption and button labels are German in
  // both interface languages ("Fehler", "Warnung", "Bestätigung", "&Ja",
  // "&Nein", "OK", "&Abbrechen", "&Wiederholen", "&Ignorieren"); the text is
  // the caller's. Returns the modal result of the button pressed, 2 when the
  // dialog was closed without a button.
  virtual int MessageDialog(const std::string& text, DialogType type, uint32_t buttons,
                            int helpContext) = 0;

  virtual void SetScreenCursor(CursorKind cursor) = 0;
};

// The process-wide toolkit. Install before use; the caller keeps ownership.
Toolkit& Tk();
void InstallToolkit(Toolkit* toolkit);

// German caption of a dialog type and label of a button, as every message
// dialog shows them.
std::string DialogCaption(DialogType type);
std::string DialogButtonLabel(DialogButton button);
ModalResult DialogButtonResult(DialogButton button);

}  // namespace plovik
