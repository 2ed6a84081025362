// What the toolkit contract (ToolkitContract*.cpp) needs around the toolkit
// it checks: the toolkit itself, and the user's actions done the way each
// side can (the headless toolkit's user actions natively, the messages the
// system would send under Wine). The same cases run over both.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Toolkit.h"

namespace plovik::contract {

// What the user saw of a message dialog.
struct DialogSeen {
  std::string caption;
  std::vector<std::string> buttons;  // labels from the left
  std::string defaultButton;         // the label Enter presses
};

// How the user answers a message dialog.
struct DialogAnswer {
  enum Kind { Button, Enter, Escape, CloseBox } kind = Enter;
  std::string label;  // the button's label, for Button
};

// What the user saw of a popup menu: its items from the top, a separator
// as "-", and the check marks.
struct MenuSeen {
  std::vector<std::string> captions;
  std::vector<bool> checks;
};

class ToolkitEnvironment {
 public:
  virtual ~ToolkitEnvironment() = default;
  // The toolkit under test; it is installed as Tk() while the environment
  // lives.
  virtual Toolkit& Kit() = 0;
  // Lets the system deliver what the last calls caused.
  virtual void Settle() = 0;

  // ---- the user's actions on a shown form
  virtual void ClickMinimizeBox(Form& form) = 0;
  virtual void ClickMaximizeBox(Form& form) = 0;
  // The taskbar button of a minimised form, or the restore box of a
  // maximised one.
  virtual void ClickRestore(Form& form) = 0;
  virtual void ClickCloseBox(Form& form) = 0;
  virtual void ClickCheckBox(CheckBox& box) = 0;
  // The left mouse button goes down on the button and up again.
  virtual void ClickButton(Button& button) = 0;
  // A key pressed in the form, into whichever control has the focus.
  virtual void PressKey(Form& form, uint16_t key, ShiftState shift = ShiftState::None) = 0;

  // ---- what the user sees
  // Whether the form has its taskbar button: it is shown, also minimised.
  virtual bool OnTaskbar(Form& form) = 0;
  // Whether the form is the active window.
  virtual bool Active(Form& form) = 0;

  // ---- modal windows, answered by the user while they show
  // Runs `show`, which shows one message dialog, and answers it; returns
  // what the dialog showed.
  virtual DialogSeen AnswerDialog(const std::function<void()>& show,
                                  const DialogAnswer& answer) = 0;
  // Opens the menu and chooses the item with this caption (as shown,
  // without its "&"), or closes it without a choice when the caption is
  // empty; returns what the menu showed.
  virtual MenuSeen ChooseFromMenu(PopupMenu& menu, const std::string& caption) = 0;
};

// Each test program provides its environment.
std::unique_ptr<ToolkitEnvironment> MakeToolkitEnvironment();

}  // namespace plovik::contract
