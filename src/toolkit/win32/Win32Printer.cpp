// The default printer as a text stream: characters go onto the page in the
// canvas font; "\n" starts a new line, "\f" a new page, "\r" nothing; a
// character beyond the printable width goes on in the next line, a line
// below the page on the next page. While the document prints, the abort
// procedure lets the program process its window messages.
#include "toolkit/win32/Win32Printer.h"

#include <winspool.h>

#include <algorithm>

#include <cstdlib>
#include <vector>

#include "lib/Wide.h"
#include "toolkit/win32/ScopeExit.h"
#include "toolkit/win32/Win32Toolkit.h"

namespace plovik {

namespace {

constexpr int PointsPerInch = 72;
constexpr uint32_t ErrorNoDocument = ERROR_INVALID_HANDLE;

// The toolkit whose messages the abort procedure processes (one document
// prints at a time).
Win32Toolkit* printingToolkit = nullptr;

BOOL CALLBACK AbortProc(HDC, int) {
  try {
    if (printingToolkit != nullptr) printingToolkit->ProcessPendingMessages();
  } catch (...) {
    // No exception goes back into the system's printing code.
  }
  return TRUE;
}

uint32_t LastErrorOr(uint32_t fallback) {
  const DWORD error = GetLastError();
  return error != 0 ? error : fallback;
}

bool IsHighSurrogate(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

}  // namespace

Win32Printer::~Win32Printer() {
  if (open_) (void)EndDoc();
}

std::wstring Win32Printer::DefaultPrinterName() {
  DWORD size = 0;
  GetDefaultPrinterW(nullptr, &size);
  if (size == 0) return std::wstring();
  std::wstring name(size, L'\0');
  if (!GetDefaultPrinterW(name.data(), &size)) return std::wstring();
  name.resize(wcslen(name.c_str()));
  return name;
}

OwnedDc Win32Printer::InformationDc() {
  const std::wstring name = DefaultPrinterName();
  if (name.empty()) return OwnedDc();
  return OwnedDc(CreateICW(L"WINSPOOL", name.c_str(), nullptr, nullptr));
}

bool Win32Printer::Probe() {
  std::wstring name = DefaultPrinterName();
  if (name.empty()) return false;
  HANDLE printer = nullptr;
  if (!OpenPrinterW(name.data(), &printer, nullptr)) return false;
  const ScopeExit close([printer] { ClosePrinter(printer); });
  const LONG size = DocumentPropertiesW(nullptr, printer, name.data(), nullptr, nullptr, 0);
  if (size <= 0) return false;
  std::vector<BYTE> buffer(static_cast<size_t>(size));
  auto* mode = reinterpret_cast<DEVMODEW*>(buffer.data());
  if (DocumentPropertiesW(nullptr, printer, name.data(), mode, nullptr, DM_OUT_BUFFER) != IDOK) {
    return false;
  }
  return (mode->dmFields & DM_ORIENTATION) != 0;
}

GdiObject<HFONT> Win32Printer::CanvasFont(HDC dc) const {
  const int height = -MulDiv(font_.points, GetDeviceCaps(dc, LOGPIXELSY), PointsPerInch);
  return GdiObject<HFONT>(CreateFontW(
      height, 0, 0, 0, font_.bold ? FW_BOLD : FW_NORMAL, font_.italic ? TRUE : FALSE,
      font_.underline ? TRUE : FALSE, font_.strikeOut ? TRUE : FALSE, DEFAULT_CHARSET,
      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
      Wide(font_.name).c_str()));
}

PrinterMetrics Win32Printer::Metrics() {
  PrinterMetrics metrics;
  OwnedDc information;
  HDC dc = dc_.Get();
  if (dc == nullptr) {
    information = InformationDc();
    dc = information.Get();
  }
  if (dc == nullptr) return metrics;
  const GdiObject<HFONT> font = CanvasFont(dc);
  const SelectedObject selected(dc, font.Get());
  SIZE x{};
  GetTextExtentPoint32W(dc, L"X", 1, &x);
  metrics.textWidthX = x.cx;
  metrics.textHeightX = x.cy;
  metrics.pixelsPerInch = GetDeviceCaps(dc, LOGPIXELSY);
  metrics.pageWidth = GetDeviceCaps(dc, HORZRES);
  metrics.pageHeight = GetDeviceCaps(dc, VERTRES);
  metrics.clipLeft = 0;
  metrics.clipRight = metrics.pageWidth;
  return metrics;
}

Result<void> Win32Printer::BeginDoc(const std::string& title) {
  if (open_) (void)EndDoc();
  const std::wstring name = DefaultPrinterName();
  if (name.empty()) return Failure(ERROR_INVALID_PRINTER_NAME);
  dc_.Reset(CreateDCW(L"WINSPOOL", name.c_str(), nullptr, nullptr));
  if (!dc_) return Failure(LastErrorOr(ERROR_INVALID_PRINTER_NAME));
  printingToolkit = &toolkit_;
  SetAbortProc(dc_.Get(), &AbortProc);
  const std::wstring documentName = Wide(title);
  DOCINFOW document{};
  document.cbSize = sizeof(document);
  document.lpszDocName = documentName.c_str();
  if (StartDocW(dc_.Get(), &document) <= 0) {
    const uint32_t error = LastErrorOr(ERROR_PRINT_CANCELLED);
    dc_.Reset();
    return Failure(error);
  }
  canvasFont_ = CanvasFont(dc_.Get());
  pageWidth_ = GetDeviceCaps(dc_.Get(), HORZRES);
  pageHeight_ = GetDeviceCaps(dc_.Get(), VERTRES);
  open_ = true;
  pages_ = 0;
  widths_.clear();
  StartPageWithFont();
  SIZE x{};
  GetTextExtentPoint32W(dc_.Get(), L"X", 1, &x);
  lineHeight_ = std::max<int>(1, x.cy);
  return Success();
}

void Win32Printer::StartPageWithFont() {
  StartPage(dc_.Get());
  ++pages_;
  // A new page starts with the device's default objects.
  SelectObject(dc_.Get(), canvasFont_.Get());
  SetBkMode(dc_.Get(), TRANSPARENT);
  x_ = y_ = pendingX_ = 0;
}

void Win32Printer::Write(const std::string& text) {
  if (!open_) return;
  const std::wstring wide = Wide(text);
  for (size_t i = 0; i < wide.size() && open_;) {
    const size_t units = IsHighSurrogate(wide[i]) && i + 1 < wide.size() ? 2 : 1;
    const wchar_t first = wide[i];
    if (first == L'\n') {
      NewLine();
    } else if (first == L'\f') {
      NewPage();
    } else if (first != L'\r') {
      PutCharacter(wide.substr(i, units));
    }
    i += units;
  }
}

int Win32Printer::CharacterWidth(const std::wstring& character) {
  const auto known = widths_.find(character);
  if (known != widths_.end()) return known->second;
  SIZE size{};
  GetTextExtentPoint32W(dc_.Get(), character.c_str(), static_cast<int>(character.size()), &size);
  widths_.emplace(character, size.cx);
  return size.cx;
}

void Win32Printer::PutCharacter(const std::wstring& character) {
  const int width = CharacterWidth(character);
  if (x_ > 0 && x_ + width > pageWidth_) NewLine();
  if (y_ + lineHeight_ > pageHeight_) NewPage();
  if (pending_.empty()) pendingX_ = x_;
  pending_ += character;
  x_ += width;
}

void Win32Printer::DrawPendingText() {
  if (pending_.empty() || !dc_) return;
  TextOutW(dc_.Get(), pendingX_, y_, pending_.c_str(), static_cast<int>(pending_.size()));
  pending_.clear();
}

void Win32Printer::NewLine() {
  DrawPendingText();
  x_ = 0;
  y_ += lineHeight_;
}

void Win32Printer::NewPage() {
  DrawPendingText();
  EndPage(dc_.Get());
  StartPageWithFont();
  toolkit_.ProcessPendingMessages();
}

void Win32Printer::Flush() {
  if (open_) DrawPendingText();
}

Result<void> Win32Printer::EndDoc() {
  if (!open_) return Failure(ErrorNoDocument);
  DrawPendingText();
  open_ = false;
  const bool pageEnded = ::EndPage(dc_.Get()) > 0;
  const bool documentEnded = ::EndDoc(dc_.Get()) > 0;
  const uint32_t error = pageEnded && documentEnded ? 0 : LastErrorOr(ERROR_PRINT_CANCELLED);
  dc_.Reset();
  canvasFont_.Reset();
  printingToolkit = nullptr;
  toolkit_.ProcessPendingMessages();
  return FromCode(error);
}

}  // namespace plovik
