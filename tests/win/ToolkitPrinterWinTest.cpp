// The printer stream on a real printer: under Wine the default printer is
// a CUPS queue, and scripts/test makes CUPS-PDF's queue the default, so a
// printed document arrives as a PDF file whose pages and text can be
// checked. Without such a printer the test is skipped and says why.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ToolkitWinFixture.h"
#include "lib/Wide.h"
#include "toolkit/win32/Win32Printer.h"
#include "win/support/PrintedPdf.h"

namespace plovik::test {
namespace {

int messagesDuringPrint = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++messagesDuringPrint; }

using PrinterWinTest = ToolkitWinFixture;

TEST_F(PrinterWinTest, PrintsAMultiPageDocumentThroughTheDefaultPrinter) {
  const std::string folder = PrintFolder();
  if (Win32Printer::DefaultPrinterName().empty() || folder.empty()) {
    GTEST_SKIP() << "No printer to print to: this test needs a default printer whose PDF files "
                    "arrive in the folder PLOVIK_PRINT_DIR names (scripts/test sets up CUPS-PDF "
                    "for that).";
  }
  Printer& printer = tk.DefaultPrinter();
  ASSERT_TRUE(printer.Probe());
  printer.SetFont(FontChoice{"Courier New", 12});
  const PrinterMetrics metrics = printer.Metrics();
  ASSERT_GT(metrics.textWidthX, 0);
  ASSERT_GT(metrics.pixelsPerInch, 0);
  // 12 points: a sixth of an inch high, in any resolution.
  EXPECT_NEAR(metrics.textHeightX * 6.0 / metrics.pixelsPerInch, 1.0, 0.25);
  const int linesPerPage = metrics.pageHeight / metrics.textHeightX;
  const int charsPerLine = metrics.pageWidth / metrics.textWidthX;
  ASSERT_GT(linesPerPage, 10);

  const std::string title = "PlovikPrinterTest" + std::to_string(GetTickCount64());
  ASSERT_TRUE(printer.BeginDoc(title).Ok());
  // Page 1 runs over onto page 2; a form feed starts page 3, where a line
  // wider than the page goes on in the next line.
  printer.Write("Seite eins\r\n");
  for (int line = 1; line <= linesPerPage + 2; ++line) {
    printer.Write("Zeile " + std::to_string(line) + "\r\n");
  }
  messagesDuringPrint = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 1, CountTick);
  Sleep(20);
  printer.Write("\f");
  KillTimer(nullptr, timer);
  printer.Write(std::string(static_cast<size_t>(charsPerLine), 'W') + "UMBRUCH\r\n");
  printer.Write("Ende \xC3\xA4\xC3\xB6\xC3\xBC");
  printer.Flush();
  ASSERT_TRUE(printer.EndDoc().Ok());
  EXPECT_GT(messagesDuringPrint, 0);
  EXPECT_EQ(static_cast<Win32Printer&>(printer).PageCount(), 3);

  const PrintedPdf pdf = WaitForPrintedPdf(folder, title);
  ASSERT_FALSE(pdf.path.empty()) << "no PDF of the job arrived in " << folder;
  EXPECT_EQ(pdf.pages, 3);
  const std::string& text = pdf.text;
  ASSERT_FALSE(text.empty()) << "pdftotext could not read " << pdf.path;
  EXPECT_NE(text.find("Seite eins"), std::string::npos) << text;
  EXPECT_NE(text.find("Zeile " + std::to_string(linesPerPage + 2)), std::string::npos);
  // The wide line was wrapped: its end starts a line of its own.
  EXPECT_NE(text.find("\nUMBRUCH"), std::string::npos) << text.substr(text.size() > 400 ? text.size() - 400 : 0);
  EXPECT_NE(text.find("Ende \xC3\xA4\xC3\xB6\xC3\xBC"), std::string::npos);
  DeleteFileW(Wide(pdf.path).c_str());
}

}  // namespace
}  // namespace plovik::test
