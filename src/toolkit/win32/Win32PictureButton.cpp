// The picture button: an owner-drawn push button whose images the program
// draws itself (help, settings, folder), so that no bitmap resource is
// needed and the images follow the system's colours.
#include <algorithm>
#include <cmath>
#include <vector>

#include "toolkit/win32/Win32Toolkit.h"

namespace plovik {

namespace {

// The images are drawn on a grid of 16 x 16 units scaled into the button.
constexpr int GlyphGrid = 16;
constexpr double Pi = 3.14159265358979323846;
constexpr int GearTeeth = 8;
constexpr int GearOuter = 7;  // radius of the teeth, in grid units
constexpr int GearInner = 5;  // radius between the teeth
constexpr int GearHole = 2;
constexpr int HelpMarkHeight = 12;  // the question mark's height, in grid units
// The folder's paper colour; a disabled folder is drawn in the face colour.
constexpr COLORREF FolderColour = RGB(240, 200, 80);

class Canvas {
 public:
  Canvas(HDC dc, const RECT& area, COLORREF ink)
      : dc_(dc), pen_(CreatePen(PS_SOLID, 1, ink)), brush_(CreateSolidBrush(ink)),
        penSelected_(dc, pen_.Get()), brushSelected_(dc, brush_.Get()) {
    // Whole pixels per unit where the button is large enough, a fraction of
    // one where it is smaller than the grid (the 16-pixel folder buttons), so
    // that an image always fits inside its button.
    const int side = std::min(area.right - area.left, area.bottom - area.top);
    unit_ = side >= GlyphGrid ? static_cast<double>(side / GlyphGrid)
                              : static_cast<double>(std::max(side, 1)) / GlyphGrid;
    const int drawn = static_cast<int>(std::lround(unit_ * GlyphGrid));
    left_ = area.left + (area.right - area.left - drawn) / 2;
    top_ = area.top + (area.bottom - area.top - drawn) / 2;
  }
  POINT At(double x, double y) const {
    return POINT{left_ + static_cast<int>(std::lround(x * unit_)),
                 top_ + static_cast<int>(std::lround(y * unit_))};
  }
  void Polygon(const std::vector<POINT>& points) const {
    ::Polygon(dc_, points.data(), static_cast<int>(points.size()));
  }
  void Polygon(const std::vector<POINT>& points, HBRUSH fill) const {
    const HGDIOBJ old = SelectObject(dc_, fill);
    Polygon(points);
    SelectObject(dc_, old);
  }
  void Circle(double x, double y, double radius, HBRUSH fill) const {
    const POINT from = At(x - radius, y - radius), to = At(x + radius, y + radius);
    const HGDIOBJ old = SelectObject(dc_, fill);
    Ellipse(dc_, from.x, from.y, to.x, to.y);
    SelectObject(dc_, old);
  }
  HDC Dc() const { return dc_; }
  double Unit() const { return unit_; }

 private:
  HDC dc_;
  GdiObject<HPEN> pen_;
  GdiObject<HBRUSH> brush_;
  SelectedObject penSelected_, brushSelected_;
  double unit_ = 1;
  int left_ = 0, top_ = 0;
};

void DrawHelp(const Canvas& canvas, COLORREF ink) {
  // A question mark in a ring.
  canvas.Circle(8, 8, 7, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
  LOGFONTW logFont{};
  logFont.lfHeight = -static_cast<LONG>(std::lround(HelpMarkHeight * canvas.Unit()));
  logFont.lfWeight = FW_BOLD;
  lstrcpynW(logFont.lfFaceName, L"Arial", LF_FACESIZE);
  const GdiObject<HFONT> font(CreateFontIndirectW(&logFont));
  const SelectedObject selected(canvas.Dc(), font.Get());
  SetBkMode(canvas.Dc(), TRANSPARENT);
  SetTextColor(canvas.Dc(), ink);
  const POINT from = canvas.At(0, 0), to = canvas.At(16, 16);
  RECT box{from.x, from.y, to.x, to.y};
  DrawTextW(canvas.Dc(), L"?", 1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void DrawSettings(const Canvas& canvas, COLORREF face) {
  // A gear wheel with a hole.
  std::vector<POINT> outline;
  for (int step = 0; step < GearTeeth * 4; ++step) {
    const double angle = 2 * Pi * step / (GearTeeth * 4);
    const double radius = (step % 4) < 2 ? GearOuter : GearInner;
    outline.push_back(canvas.At(8 + radius * std::cos(angle), 8 + radius * std::sin(angle)));
  }
  canvas.Polygon(outline);
  const GdiObject<HBRUSH> hole(CreateSolidBrush(face));
  canvas.Circle(8, 8, GearHole, hole.Get());
}

void DrawFolder(const Canvas& canvas, COLORREF paper) {
  // A folder outlined in the ink: the tab, then the body.
  const GdiObject<HBRUSH> fill(CreateSolidBrush(paper));
  canvas.Polygon({canvas.At(1, 3), canvas.At(6, 3), canvas.At(7, 5), canvas.At(1, 5)}, fill.Get());
  canvas.Polygon({canvas.At(1, 5), canvas.At(15, 5), canvas.At(15, 14), canvas.At(1, 14)},
                 fill.Get());
}

}  // namespace

void DrawGlyph(HDC dc, const RECT& area, Glyph glyph, bool enabled) {
  const COLORREF ink = GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const Canvas canvas(dc, area, ink);
  switch (glyph) {
    case Glyph::Help: DrawHelp(canvas, ink); break;
    case Glyph::Settings: DrawSettings(canvas, face); break;
    case Glyph::Folder: DrawFolder(canvas, enabled ? FolderColour : face); break;
  }
}

Win32PictureButton::Win32PictureButton(Win32Toolkit& toolkit, Container& parent)
    : Win32Control<PictureButton>(toolkit) {
  CreateControl(L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0, HandleOf(parent));
}

void Win32PictureButton::SetGlyph(Glyph glyph) {
  glyph_ = glyph;
  if (Hwnd() != nullptr) InvalidateRect(Hwnd(), nullptr, TRUE);
}

void Win32PictureButton::Click() {
  if (Enabled()) FireNotify(onClick_, *this);
}

void Win32PictureButton::OnCommand(WORD notification) {
  if (notification == BN_CLICKED) Click();
}

void Win32PictureButton::OnDrawItem(const DRAWITEMSTRUCT& item) {
  RECT face = item.rcItem;
  const bool pushed = (item.itemState & ODS_SELECTED) != 0;
  DrawFrameControl(item.hDC, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
  const int inset = GetSystemMetrics(SM_CXEDGE) + 1;
  RECT glyphArea{face.left + inset, face.top + inset, face.right - inset, face.bottom - inset};
  if (pushed) OffsetRect(&glyphArea, 1, 1);
  DrawGlyph(item.hDC, glyphArea, glyph_, (item.itemState & ODS_DISABLED) == 0);
  if ((item.itemState & ODS_FOCUS) != 0) {
    RECT focus = face;
    InflateRect(&focus, -inset, -inset);
    DrawFocusRect(item.hDC, &focus);
  }
}

}  // namespace plovik
