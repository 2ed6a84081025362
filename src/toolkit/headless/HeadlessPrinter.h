// The headless printer: a probe answer and metrics a test sets, and the
// documents printed, recorded as pages of lines by the text-stream rules.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/Toolkit.h"

namespace plovik {

class HeadlessToolkit;

struct PrintedDocument {
  std::string title;
  FontChoice font;  // the canvas font when the document began
  // The pages, each a list of lines; lines at the end of a page that were
  // never written on are left out, so an empty page has no lines.
  std::vector<std::vector<std::string>> pages;
  bool ended = false;
};

class HeadlessPrinter : public Printer {
 public:
  // A printer at 600 pixels per inch with a printable area of 8 x 11
  // inches, whose font prints 10 characters per inch and 6 lines per inch.
  static constexpr PrinterMetrics DefaultMetrics{60, 100, 600, 4800, 6600, 0, 4800};

  explicit HeadlessPrinter(HeadlessToolkit& toolkit) : toolkit_(toolkit) {}
  bool Probe() override { return available; }
  void SetFont(const FontChoice& newFont) override { font = newFont; }
  PrinterMetrics Metrics() override { return metrics; }
  // Fails with beginDocError when that is set; a document still open is
  // ended first.
  Result<void> BeginDoc(const std::string& title) override;
  // Text outside a document is lost.
  void Write(const std::string& text) override;
  // The headless printer holds nothing back: every character is on its
  // page when written.
  void Flush() override {}
  Result<void> EndDoc() override;

  // Characters of the printer font across the printable width, and lines
  // down a page (at least one each).
  int CharsPerLine() const;
  int LinesPerPage() const;
  bool DocumentOpen() const { return open_; }

  bool available = true;
  PrinterMetrics metrics = DefaultMetrics;
  uint32_t beginDocError = 0;  // a Windows error code for BeginDoc to fail with
  FontChoice font;
  std::vector<PrintedDocument> documents;

 private:
  void PutCharacter(const std::string& character);
  void NewPage();

  HeadlessToolkit& toolkit_;
  bool open_ = false;
  int line_ = 0;    // on the current page, from 0
  int column_ = 0;  // characters on the current line
};

}  // namespace plovik
