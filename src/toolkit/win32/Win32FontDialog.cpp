// The font dialog (ChooseFontW): fixed-pitch fonts of the screen or of the
// default printer, sizes in points.
#include <cstdlib>

#include "lib/Wide.h"
#include "toolkit/win32/Win32Printer.h"
#include "toolkit/win32/Win32Toolkit.h"

#include <commdlg.h>

namespace plovik {

namespace {

constexpr int PointsPerInch = 72;
constexpr int TenthsPerPoint = 10;  // ChooseFont's iPointSize counts tenths

LOGFONTW LogFontOf(const FontChoice& font, HDC dc) {
  LOGFONTW logFont{};
  logFont.lfHeight = -MulDiv(font.points, GetDeviceCaps(dc, LOGPIXELSY), PointsPerInch);
  logFont.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
  logFont.lfItalic = font.italic ? TRUE : FALSE;
  logFont.lfUnderline = font.underline ? TRUE : FALSE;
  logFont.lfStrikeOut = font.strikeOut ? TRUE : FALSE;
  logFont.lfCharSet = DEFAULT_CHARSET;
  logFont.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  lstrcpynW(logFont.lfFaceName, Wide(font.name).c_str(), LF_FACESIZE);
  return logFont;
}

}  // namespace

bool Win32Toolkit::FontDialog(FontDevice device, FontChoice& font) {
  OwnedDc printerDc;
  if (device == FontDevice::Printer) printerDc = Win32Printer::InformationDc();
  const WindowDc screenDc(nullptr);
  const HDC measure = printerDc ? printerDc.Get() : screenDc.Get();
  LOGFONTW logFont = LogFontOf(font, measure);

  CHOOSEFONTW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = MainWindow();
  dialog.lpLogFont = &logFont;
  dialog.Flags = CF_FIXEDPITCHONLY | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS |
                 (printerDc ? CF_PRINTERFONTS : CF_SCREENFONTS);
  dialog.hDC = printerDc ? printerDc.Get() : nullptr;
  bool chosen = false;
  {
    const ModalScope modal;
    chosen = ChooseFontW(&dialog) != FALSE;
  }
  if (!chosen) return false;
  font.name = Narrow(logFont.lfFaceName, wcslen(logFont.lfFaceName));
  font.points = dialog.iPointSize > 0
                    ? (dialog.iPointSize + TenthsPerPoint / 2) / TenthsPerPoint
                    : MulDiv(std::abs(logFont.lfHeight), PointsPerInch,
                             GetDeviceCaps(measure, LOGPIXELSY));
  font.bold = logFont.lfWeight >= FW_BOLD;
  font.italic = logFont.lfItalic != 0;
  font.underline = logFont.lfUnderline != 0;
  font.strikeOut = logFont.lfStrikeOut != 0;
  return true;
}

}  // namespace plovik
