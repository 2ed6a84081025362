// The debug window: a second top-level window that collects the debug lines
// apart from the protocol, with buttons to clear it, add a separator line,
// print it, save it and dump three environment variables. It hands its keys
// to the main window, and closing it ends debug output.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "toolkit/Toolkit.h"

namespace plovik {

struct TFormDebug {
  std::unique_ptr<Form> Self;
  std::unique_ptr<plovik::Memo> Memo;
  std::unique_ptr<Button> ButtonClearMemo;
  std::unique_ptr<Button> ButtonSeparateMemo;
  std::unique_ptr<Button> ButtonPrintMemo;
  std::unique_ptr<Button> ButtonSaveMemo;
  std::unique_ptr<Button> Button1;

  // Unbinds the debug memo from the protocol.
  ~TFormDebug();
};

// The process-wide debug window; null until created.
extern TFormDebug* FormDebug;

// Creates the debug window below the main window (FormDebugOnCreate) and
// sets DebugWindowReady.
TFormDebug& CreateFormDebug();
void DestroyFormDebug();

// The text when it has at most width characters, else its first width - 3
// characters and "...".
std::string TruncateText(const std::string& text, uint16_t width);

// Appends a line straight to the debug window's memo, when it exists.
void AppendToDebugMemo(const std::string& line);

void FormDebugOnKeyDown(KeyEvent& event);
void FormDebugOnClose(CloseEvent& event);
void MemoOnChange(NotifyEvent& event);
void ButtonClearMemoOnClick(NotifyEvent& event);
void ButtonSeparateMemoOnClick(NotifyEvent& event);
void ButtonPrintMemoOnClick(NotifyEvent& event);
void ButtonSaveMemoOnClick(NotifyEvent& event);
void Button1OnClick(NotifyEvent& event);

}  // namespace plovik
