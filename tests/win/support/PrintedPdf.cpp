#include "win/support/PrintedPdf.h"

#include <windows.h>

#include <cstdlib>

#include "lib/Utf.h"
#include "win/support/WinTestFiles.h"

namespace plovik::test {

namespace {

constexpr DWORD PdfWaitMs = 60000;
constexpr DWORD PollMs = 250;

std::wstring WideOf(const std::string& text) {
  const std::u16string wide = Utf8ToUtf16(text);
  return std::wstring(wide.begin(), wide.end());
}

std::string NarrowOf(const std::wstring& text) {
  return Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

std::string UnixPath(const std::string& path) {
  std::string unix = path.rfind("Z:", 0) == 0 ? path.substr(2) : path;
  for (char& c : unix) {
    if (c == '\\') c = '/';
  }
  return unix;
}

int CountPages(const std::string& pdf) {
  int pages = 0;
  for (size_t at = pdf.find("/Type"); at != std::string::npos; at = pdf.find("/Type", at + 1)) {
    const size_t name = pdf.find_first_not_of(" \r\n", at + 5);
    if (pdf.compare(name, 5, "/Page") == 0 && pdf.compare(name, 6, "/Pages") != 0) ++pages;
  }
  return pages;
}

// Runs pdftotext (a Unix program Wine starts) and reads what it wrote.
std::string RunPdfToText(const std::string& options, const std::string& pdf,
                         const std::string& output) {
  std::wstring command = WideOf("/usr/bin/pdftotext " + options + " \"" + UnixPath(pdf) + "\" \"" +
                                UnixPath(output) + "\"");
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
  std::string text;
  for (DWORD waited = 0; waited < PdfWaitMs; waited += PollMs) {
    text = ReadWholeFile(output);
    if (text != "<missing>" && !text.empty()) break;
    Sleep(PollMs);
  }
  DeleteFileW(WideOf(output).c_str());
  return text == "<missing>" ? std::string() : text;
}

// The words of pdftotext's -bbox output: <word xMin="..." ...>text</word>.
std::vector<std::pair<std::string, double>> Words(const std::string& html) {
  std::vector<std::pair<std::string, double>> words;
  for (size_t at = html.find("<word "); at != std::string::npos; at = html.find("<word ", at + 1)) {
    const size_t x = html.find("xMin=\"", at);
    const size_t close = html.find('>', at);
    const size_t end = html.find("</word>", close);
    if (x == std::string::npos || close == std::string::npos || end == std::string::npos) break;
    words.emplace_back(html.substr(close + 1, end - close - 1), std::atof(html.c_str() + x + 6));
  }
  return words;
}

}  // namespace

std::string PrintFolder() {
  const char* folder = std::getenv("PLOVIK_PRINT_DIR");
  if (folder == nullptr || *folder == 0) return std::string();
  std::string path = folder;
  if (path[0] == '/') {
    for (char& c : path) {
      if (c == '/') c = '\\';
    }
    path = "Z:" + path;
  }
  if (path.back() != '\\') path += '\\';
  return path;
}

PrintedPdf WaitForPrintedPdf(const std::string& folder, const std::string& namePrefix) {
  PrintedPdf printed;
  std::string pdf;
  for (DWORD waited = 0; waited < PdfWaitMs && printed.path.empty(); waited += PollMs) {
    WIN32_FIND_DATAW data{};
    HANDLE search = FindFirstFileW(WideOf(folder + namePrefix + "*.pdf").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
      FindClose(search);
      const std::string path = folder + NarrowOf(data.cFileName);
      pdf = ReadWholeFile(path);
      if (pdf.find("%%EOF", pdf.size() > 64 ? pdf.size() - 64 : 0) != std::string::npos) {
        printed.path = path;
        break;
      }
    }
    Sleep(PollMs);
  }
  if (printed.path.empty()) return printed;
  printed.pages = CountPages(pdf);
  printed.text = RunPdfToText("-layout", printed.path, folder + namePrefix + "-layout.txt");
  printed.words = Words(RunPdfToText("-bbox", printed.path, folder + namePrefix + "-bbox.html"));
  return printed;
}

}  // namespace plovik::test
