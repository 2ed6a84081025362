// Keeping the protocol: saving it as a text file (by the user, or at the
// end of a run into the destination) and printing it page by page in the
// protocol printer font, with a left margin, page headers and an abort note.
#pragma once

#include <cstdint>
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

// What a save of the protocol came to: the file it went to, and the
// Windows error when it could not be written (0 when it was, or when the
// user cancelled the interactive save).
struct SaveOutcome {
  std::string path;
  uint32_t error = 0;
};

enum class SaveMode {
  Interactive,  // asks for the file name; a failure is shown in a box
  Automatic,    // the log file in the destination directory; a failure is only returned
};

// Saves the protocol as it stands. The automatic save is the end of a
// run's: it shows nothing, so that the run can give the turn to the other
// instances before it reports a failure.
SaveOutcome SaveProtocol(SaveMode mode);
// Prints the protocol; the run buttons are locked while it prints.
void PrintProtocol();

// The protocol line of an automatic save that failed, and its message
// (shown once the run has given the turn to the other instances).
std::string SaveFailureLine(const SaveOutcome& outcome);
void ReportSaveFailure(const SaveOutcome& outcome);

void ButtonSaveLogOnClick(NotifyEvent& event);
void ButtonPrintLogOnClick(NotifyEvent& event);

}  // namespace plovik
