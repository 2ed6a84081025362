#include "ui/ProtocolFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/Protocol.h"
#include "core/RunRecords.h"
#include "core/Settings.h"
#include "core/TextFiles.h"
#include "lib/XStrings.h"
#include "ui/MainForm.h"
#include "ui/Messages.h"
#include "ui/WindowHost.h"

namespace plovik {

std::string SaveFileSpec;
FontChoice PrinterCanvasFont;

namespace {

constexpr double MillimetresPerInch = 25.4;
// 8 mm of left margin, 188 mm of line and 269 mm of page, in inches.
constexpr double MarginInches = 0.31496062992125984;
constexpr double LineInches = 7.4015748031496065;
constexpr double PageInches = 10.590551181102363;
// The page header line and the blank line below it.
constexpr int HeaderLines = 2;
constexpr int MaxMarginBlanks = 16;
constexpr const char* LineEnd = "\r\n";

// Rounds to the nearest integer, exact halves to the even one; values out
// of range end up at the range's ends.
int RoundEven(double value) {
  if (!(value > -1e9)) return -1000000000;
  if (value > 1e9) return 1000000000;
  return static_cast<int>(std::nearbyint(value));
}

// A number in the general floating-point form with up to 15 significant
// digits.
std::string GeneralNumber(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.15g", value);
  return text;
}

// The protocol's lines as they stand, edits of the user included.
std::vector<std::string> ProtocolLinesNow() { return ProtocolText().All(); }

// Asks for the file name; true when the user confirmed.
bool AskForLogFile() {
  SaveDialogOptions options;
  const std::string& base = RunOptions.ProgramBaseName;
  options.title = German() ? "Das " + base + "-Protokoll als Log-Datei speichern"
                           : "Save " + base + " protocol to log file";
  options.initialDir = RunOptions.DstPath;
  options.fileName = LogFileName;
  options.defaultExt = "TXT";
  options.filter = "PLOVIK log file  (*.TXT)|*.TXT";
  options.overwritePrompt = true;
  options.pathMustExist = true;
  const SaveDialogResult result = Tk().SaveFileDialog(options);
  SaveFileSpec = result.fileName;
  return result.confirmed;
}

std::string AutomaticLogFile() {
  std::string path = RunOptions.DstPath;
  if (path.empty() || path.back() != '\\') path += '\\';
  return path + LogFileName;
}

void WritePrintDebugLines(const PrintLayout& layout) {
  DebugAdd("CharWidth         = " + GeneralNumber(layout.CharWidth) + "\" = " +
           GeneralNumber(layout.CharWidth * MillimetresPerInch) + " mm");
  DebugAdd("LeftMarginBlanks  = " + std::to_string(layout.LeftMarginBlanks));
  DebugAdd("CharsPerPrintLine = " + std::to_string(layout.CharsPerPrintLine));
  DebugAdd("LinesPerPage      = " + std::to_string(layout.LinesPerPage));
}

FontChoice PrinterFontChoice() {
  const TFontSetting& f = Settings.PrinterFont;
  return FontChoice{f.Name, f.Size, f.Bold, f.Italic, f.Underline, f.StrikeOut};
}

// Locks the buttons that start a run, a print or a save for the life of a
// print, and ends the print on every way out: the window idle again, the
// buttons back as the protocol's lines have them, and a close the user
// confirmed meanwhile carried out.
class RunButtonsLock {
 public:
  RunButtonsLock() {
    if (FormMain == nullptr) return;
    startWasEnabled_ = FormMain->ButtonStart->Enabled();
    for (Button* button : Buttons()) button->SetEnabled(false);
  }
  RunButtonsLock(const RunButtonsLock&) = delete;
  RunButtonsLock& operator=(const RunButtonsLock&) = delete;
  ~RunButtonsLock() {
    RunState.ActivityState = Idle;
    if (FormMain != nullptr) FormMain->ButtonStart->SetEnabled(startWasEnabled_);
    UpdateLogButtons();
    if (RunState.CloseRequested) Tk().Terminate();
  }

 private:
  static std::vector<Button*> Buttons() {
    TFormMain& f = *FormMain;
    return {f.ButtonStart.get(), f.ButtonPrintLog.get(), f.ButtonSaveLog.get()};
  }
  bool startWasEnabled_ = false;
};

// Prints the lines; false when the user stopped it.
bool PrintPages(Printer& printer, const PrintLayout& layout, const std::vector<std::string>& lines) {
  const uint16_t width = static_cast<uint16_t>(std::min(layout.CharsPerPrintLine, 65535));
  int page = 1;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i % static_cast<size_t>(layout.LinesPerPage) == 0) {
      if (i > 0) {
        printer.Write("\f");
        printer.Flush();
      }
      printer.Write(layout.Margin + (German() ? "Seite  " : "page  ") + std::to_string(page) +
                    "\n" + LineEnd);
      ++page;
    }
    if (RunState.AbortRequested || RunState.CloseRequested) {
      printer.Write(std::string("\n\n") +
                    (German() ? "****** Ausdruck abgebrochen ******"
                              : "****** Printing aborted ******") +
                    LineEnd);
      return false;
    }
    printer.Write(layout.Margin + ShortenPath(lines[i], width) + LineEnd);
  }
  return true;
}

}  // namespace

PrintLayout ComputePrintLayout(const PrinterMetrics& metrics) {
  PrintLayout layout;
  if (metrics.pixelsPerInch <= 0 || metrics.textWidthX <= 0 || metrics.textHeightX <= 0) {
    return layout;  // nothing fits: not printable
  }
  layout.CharWidth = static_cast<double>(metrics.textWidthX) / metrics.pixelsPerInch;
  layout.CharHeight = static_cast<double>(metrics.textHeightX) / metrics.pixelsPerInch;
  layout.LeftMarginBlanks = RoundEven(MarginInches / layout.CharWidth);
  layout.CharsPerPrintLine = RoundEven(LineInches / layout.CharWidth);
  layout.LinesPerPage = RoundEven(PageInches / layout.CharHeight) - HeaderLines;
  layout.Margin.assign(static_cast<size_t>(std::clamp(layout.LeftMarginBlanks, 0, MaxMarginBlanks)),
                       ' ');
  return layout;
}

SaveOutcome SaveProtocol(SaveMode mode) {
  const bool interactive = mode == SaveMode::Interactive;
  if (interactive) RunState.ActivityState = Saving;
  RunState.AbortRequested = false;
  RunState.CloseRequested = false;
  if (FormMain != nullptr) FormMain->ButtonSaveLog->SetEnabled(false);

  bool saveFlag = true;
  if (interactive) {
    saveFlag = AskForLogFile();
  } else {
    SaveFileSpec = AutomaticLogFile();
  }
  if (RunOptions.DebugFlag) {
    DebugAdd("SaveFlag=" + BoolText(saveFlag) + "   SaveFileSpec=" + SaveFileSpec);
  }
  SaveOutcome outcome{SaveFileSpec, 0};
  if (saveFlag) {
    const Result<void> written = WriteLinesWhole(SaveFileSpec, ProtocolText());
    if (!written) outcome.error = written.Error();
  }
  const bool hasLines = ProtocolText().Count() > 0;
  if (FormMain != nullptr) FormMain->ButtonSaveLog->SetEnabled(hasLines && interactive);
  if (!interactive) return outcome;
  if (outcome.error != 0) ReportWriteFailure(outcome.path, outcome.error);
  RunState.ActivityState = Idle;
  if (RunState.CloseRequested) Tk().Terminate();
  return outcome;
}

std::string SaveFailureLine(const SaveOutcome& outcome) {
  return (German() ? "Das Protokoll konnte nicht gespeichert werden:  "
                   : "The protocol could not be saved:  ") +
         outcome.path + "  " + WindowsErrorLine(outcome.error);
}

void ReportSaveFailure(const SaveOutcome& outcome) {
  ReportWriteFailure(outcome.path, outcome.error);
}

void ButtonSaveLogOnClick(NotifyEvent&) { SaveProtocol(SaveMode::Interactive); }

void PrintProtocol() {
  RunState.ActivityState = Printing;
  RunState.AbortRequested = false;
  RunState.CloseRequested = false;
  // Printing processes messages: nothing may start a run or another print
  // or save meanwhile.
  const RunButtonsLock lock;
  Printer& printer = Tk().DefaultPrinter();
  PrinterCanvasFont = PrinterFontChoice();
  printer.SetFont(PrinterCanvasFont);
  const PrintLayout layout = ComputePrintLayout(printer.Metrics());
  if (RunOptions.DebugFlag) WritePrintDebugLines(layout);
  if (!layout.Printable()) {
    ShowErrorMessage(German() ? "Die Drucker-Schriftart ist zu groß für eine Seite."
                              : "The printer font is too large for a page.");
    return;
  }
  const std::string title = RunOptions.ProgramBaseName + (German() ? " Protokoll" : " protocol");
  const Result<void> begun = printer.BeginDoc(title);
  if (!begun) {
    ShowErrorMessage((German() ? "Der Ausdruck konnte nicht gestartet werden.\r"
                               : "Printing could not be started.\r") +
                     WindowsErrorLine(begun.Error()));
    return;
  }
  PrintPages(printer, layout, ProtocolLinesNow());
  (void)printer.EndDoc();
}

void ButtonPrintLogOnClick(NotifyEvent&) { PrintProtocol(); }

}  // namespace plovik
