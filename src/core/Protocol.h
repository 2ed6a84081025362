// The protocol: the line log of the program, with its debug twin, the
// memo-full workaround and the width measurements. The protocol's lines
// live here; the main window's memo MemoProtocol shows and edits them, so
// the protocol exists without a window, and saving and printing take the
// lines as the user left them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/Toolkit.h"

namespace plovik {

// The controls the protocol works on; the main window binds them. Any of
// them may be null while it does not exist. Binding MemoProtocol makes it
// show the protocol's lines.
struct ProtocolControls {
  Memo* MemoProtocol = nullptr;
  Label* LabelMemoProtocolFont = nullptr;  // hidden measuring label
  Memo* MemoDebug = nullptr;               // the debug window's memo
};
void BindProtocol(const ProtocolControls& controls);
const ProtocolControls& BoundProtocol();

// The protocol's lines, with their capacity (the memo-full workaround
// makes room when an append is refused).
TextLines& ProtocolText();

extern int32_t ProtocolLastCount;
extern int32_t ProtocolCutIndex;
extern int32_t ProtocolDeletedLines;
extern int ProtocolCharWidth;
extern int ProtocolLineChars;
extern int ProtocolPathChars;
extern bool DebugWindowReady;
extern bool PrinterAvailable;

void ProtocolAdd(const std::string& line);
// How many lines the protocol holds, and the lines as they stand (edits
// of the user included).
int ProtocolLineCount();
std::vector<std::string> CurrentProtocolLines();
void DebugAdd(const std::string& line);
void ProtocolClear();
// Measures ProtocolCharWidth on the hidden label in the memo's font.
void MeasureProtocolCharWidth();
// ProtocolLineChars and ProtocolPathChars from the memo's client width.
void ComputeProtocolWidths();

// The failure line "****** " + text + " ******" followed by a blank line.
void ProtocolFailure(const std::string& text);
// How many failure lines the process has written; a run compares it before
// and after its walk.
extern int32_t ProtocolFailureLines;

}  // namespace plovik
