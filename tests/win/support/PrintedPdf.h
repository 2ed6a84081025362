// What a print became on paper: the Wine tests print to a CUPS-PDF queue
// (scripts/test makes it the default printer and names its folder in
// PLOVIK_PRINT_DIR) and read the PDF back with poppler's pdftotext.
#pragma once

#include <string>
#include <vector>

namespace plovik::test {

// The folder the PDF files arrive in, as a Windows path with a trailing
// backslash; empty when the tests have no printer.
std::string PrintFolder();

struct PrintedPdf {
  std::string path;  // empty when no PDF arrived
  int pages = 0;
  std::string text;  // pdftotext -layout, pages separated by form feeds
  // The left edge of every word, in points from the page's left edge, in
  // reading order.
  std::vector<std::pair<std::string, double>> words;
};

// Waits for the PDF whose file name starts with the prefix (CUPS-PDF names
// it after the job's title) to be complete, and reads it.
PrintedPdf WaitForPrintedPdf(const std::string& folder, const std::string& namePrefix);

}  // namespace plovik::test
