// Keeping the protocol: saving it as a text file (by the user, or at the
// end of a run into the destination) and printing it page by page in the
// protocol printer font, with a left margin, page headers and an abort note.
#pragma once

#include <string>

#include "toolkit/Toolkit.h"

namespace plovik {

constexpr const char* LogFileName = "PLOVIK-LOG.TXT";

// The full path of the log file of the last save.
extern std::string SaveFileSpec;
// The font last set on the printer's canvas; the debug window's print
// changes only its name and size.
extern FontChoice PrinterCanvasFont;

// The page layout of a print, from the printer font's measures.
struct PrintLayout {
  double CharWidth = 0;   // inches
  double CharHeight = 0;  // inches
  int LeftMarginBlanks = 0;
  int CharsPerPrintLine = 0;
  int LinesPerPage = 0;
  std::string Margin;  // LeftMarginBlanks blanks, at most 16
  // Whether a protocol can be printed with it: at least one character a
  // line and one protocol line a page.
  bool Printable() const { return CharsPerPrintLine >= 1 && LinesPerPage >= 1; }
};
PrintLayout ComputePrintLayout(const PrinterMetrics& metrics);

// Saves the protocol: interactively when the sender is ButtonSaveLog, else
// automatically into the destination directory (the run driver calls it
// with ButtonStart as the sender).
void ButtonSaveLogOnClick(NotifyEvent& event);
void ButtonPrintLogOnClick(NotifyEvent& event);

}  // namespace plovik
