// The printer stream on a real printer: under Wine the default printer is
// a CUPS queue, and scripts/test makes CUPS-PDF's queue the default, so a
// printed document arrives as a PDF file whose pages and text can be
// checked. Without such a printer the test is skipped and says why.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ToolkitWinFixture.h"
#include "lib/Wide.h"
#include "toolkit/win32/Win32Printer.h"

namespace plovik::test {
namespace {

constexpr DWORD PdfWaitMs = 60000;
constexpr DWORD PollMs = 250;

// A folder given as a Unix path (as CUPS-PDF's configuration names it) or
// as a Windows path.
std::wstring WindowsFolder(const char* folder) {
  std::wstring path = Wide(folder);
  if (!path.empty() && path[0] == L'/') {
    for (wchar_t& c : path) {
      if (c == L'/') c = L'\\';
    }
    path = L"Z:" + path;
  }
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  return path;
}

std::string ReadWhole(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string bytes;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
  CloseHandle(file);
  return bytes;
}

// The PDF that CUPS-PDF made of the job (its name starts with the job's
// title), once it is complete.
std::string WaitForPdf(const std::wstring& folder, const std::wstring& title, std::wstring& found) {
  for (DWORD waited = 0; waited < PdfWaitMs; waited += PollMs) {
    WIN32_FIND_DATAW data{};
    HANDLE search = FindFirstFileW((folder + title + L"*.pdf").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
      FindClose(search);
      found = folder + data.cFileName;
      const std::string pdf = ReadWhole(found);
      if (pdf.find("%%EOF", pdf.size() > 64 ? pdf.size() - 64 : 0) != std::string::npos) return pdf;
    }
    Sleep(PollMs);
  }
  return std::string();
}

int CountPages(const std::string& pdf) {
  int pages = 0;
  for (size_t at = pdf.find("/Type"); at != std::string::npos; at = pdf.find("/Type", at + 1)) {
    size_t name = pdf.find_first_not_of(" \r\n", at + 5);
    if (pdf.compare(name, 5, "/Page") == 0 && pdf.compare(name, 6, "/Pages") != 0) ++pages;
  }
  return pages;
}

// The Unix path of a file on Wine's Z: drive.
std::wstring UnixPath(const std::wstring& path) {
  std::wstring unix = path.rfind(L"Z:", 0) == 0 ? path.substr(2) : path;
  for (wchar_t& c : unix) {
    if (c == L'\\') c = L'/';
  }
  return unix;
}

// The text of the PDF as poppler's pdftotext reads it (Wine runs the Unix
// program); empty when it cannot be run.
std::string PdfText(const std::wstring& pdf, const std::wstring& folder) {
  const std::wstring text = folder + L"plovik-printer-test.txt";
  std::wstring command =
      L"/usr/bin/pdftotext -layout \"" + UnixPath(pdf) + L"\" \"" + UnixPath(text) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return std::string();
  }
  WaitForSingleObject(process.hProcess, PdfWaitMs);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  std::string result;
  for (DWORD waited = 0; result.empty() && waited < PdfWaitMs; waited += PollMs) {
    result = ReadWhole(text);
    if (result.empty()) Sleep(PollMs);
  }
  DeleteFileW(text.c_str());
  return result;
}

int messagesDuringPrint = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++messagesDuringPrint; }

using PrinterWinTest = ToolkitWinFixture;

TEST_F(PrinterWinTest, PrintsAMultiPageDocumentThroughTheDefaultPrinter) {
  const char* folder = std::getenv("PLOVIK_PRINT_DIR");
  if (Win32Printer::DefaultPrinterName().empty() || folder == nullptr || *folder == 0) {
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

  std::wstring pdfPath;
  const std::wstring pdfFolder = WindowsFolder(folder);
  const std::string pdf = WaitForPdf(pdfFolder, Wide(title), pdfPath);
  ASSERT_FALSE(pdf.empty()) << "no PDF of the job arrived in " << folder;
  EXPECT_EQ(CountPages(pdf), 3);
  const std::string text = PdfText(pdfPath, pdfFolder);
  ASSERT_FALSE(text.empty()) << "pdftotext could not read " << Narrow(pdfPath);
  EXPECT_NE(text.find("Seite eins"), std::string::npos) << text;
  EXPECT_NE(text.find("Zeile " + std::to_string(linesPerPage + 2)), std::string::npos);
  // The wide line was wrapped: its end starts a line of its own.
  EXPECT_NE(text.find("\nUMBRUCH"), std::string::npos) << text.substr(text.size() > 400 ? text.size() - 400 : 0);
  EXPECT_NE(text.find("Ende \xC3\xA4\xC3\xB6\xC3\xBC"), std::string::npos);
  DeleteFileW(pdfPath.c_str());
}

}  // namespace
}  // namespace plovik::test
