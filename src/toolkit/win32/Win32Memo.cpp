// The memo's view on a window of our own: it keeps no text of its own but
// shows the bound lines, only those in sight. A line is laid out when it
// is shown (converted to UTF-16 and broken into rows at blanks, or inside
// a word too long for a row) and the layout is kept until the line, the
// width or the font changes. Lines that stream in cost the view a flag;
// the screen follows them a few times a second.
#include <algorithm>
#include <climits>
#include <cstring>

#include "lib/Utf.h"
#include "lib/Wide.h"
#include "toolkit/win32/Win32Toolkit.h"

namespace plovik {

namespace {

constexpr UINT_PTR UpdateTimerId = 1;
constexpr UINT_PTR DragTimerId = 2;
// While the mouse is held outside the view, the selection goes on this often.
constexpr UINT DragIntervalMs = 50;
// Pixels between the text and the left and right edges of the client area.
constexpr int Margin = 1;
constexpr int CaretWidth = 1;
// Layouts kept at most; the view needs those of a page and a few more.
constexpr size_t MaxCachedLayouts = 2048;
constexpr int ClipboardAttempts = 5;

bool IsHighUnit(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowUnit(wchar_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The UTF-16 units of a UTF-8 text: one per character, two for one beyond
// the BMP (Utf8ToUtf16 converts alike).
size_t Utf16Units(std::string_view text) {
  size_t units = 0;
  for (size_t pos = 0; pos < text.size();) {
    const size_t bytes = CharBytes(text, pos);
    units += bytes == 4 ? 2 : 1;
    pos += bytes;
  }
  return units;
}

// The byte column of a unit offset in a line (at a character's start).
size_t ByteColumn(std::string_view text, size_t unit) {
  size_t pos = 0, units = 0;
  while (pos < text.size()) {
    const size_t bytes = CharBytes(text, pos);
    const size_t width = bytes == 4 ? 2 : 1;
    if (units + width > unit) break;
    units += width;
    pos += bytes;
  }
  return pos;
}

size_t UnitOffset(std::string_view text, int column) {
  return Utf16Units(text.substr(0, static_cast<size_t>(column)));
}

POINT PointOfLParam(LPARAM position) {
  return POINT{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
}

}  // namespace

Win32Memo::Win32Memo(Win32Toolkit& toolkit, Container& parent) : Win32Control<Memo>(toolkit) {
  measureDc_.Reset(CreateCompatibleDC(nullptr));
  // Word wrap: no horizontal scroll bar. Not a tab stop.
  CreateOwnWindow(Win32Toolkit::MemoClassName, WS_CHILD | WS_VISIBLE | WS_VSCROLL, WS_EX_CLIENTEDGE,
                  HandleOf(parent));
  if (shownFont_ == nullptr) SetShownFont(toolkit.DialogFont());
  toolkit.AddMemo(this);
}

Win32Memo::~Win32Memo() {
  Kit().RemoveMemo(this);
  if (Hwnd() != nullptr) {
    if (timerSet_) KillTimer(Hwnd(), UpdateTimerId);
    if (dragging_) EndDrag();
  }
  if (measureDc_ && measureDcFont_ != nullptr) SelectObject(measureDc_.Get(), measureDcFont_);
}

void Win32Memo::SetShownFont(HFONT font) {
  shownFont_ = font;
  if (measureDc_) {
    const HGDIOBJ previous = SelectObject(measureDc_.Get(), font);
    if (measureDcFont_ == nullptr) measureDcFont_ = previous;
    TEXTMETRICW metrics{};
    if (GetTextMetricsW(measureDc_.Get(), &metrics)) {
      lineHeight_ = std::max<int>(1, metrics.tmHeight);
      averageCharWidth_ = std::max<int>(1, metrics.tmAveCharWidth);
      maxCharWidth_ = std::max<int>(averageCharWidth_, metrics.tmMaxCharWidth);
    }
  }
  layouts_.clear();
  ViewResized();
  // The caret takes the new line height.
  if (Hwnd() != nullptr && GetFocus() == Hwnd()) {
    DestroyCaret();
    CreateCaret(Hwnd(), nullptr, CaretWidth, lineHeight_);
    ::ShowCaret(Hwnd());
  }
  Update();
}

// ---- layout ------------------------------------------------------------------

int Win32Memo::TextWidth(const wchar_t* text, size_t length) const {
  SIZE size{};
  if (length == 0 ||
      !GetTextExtentPoint32W(measureDc_.Get(), text, static_cast<int>(length), &size)) {
    return 0;
  }
  return size.cx;
}

int Win32Memo::WrapWidth() const { return std::max(1, ClientWidthImpl() - 2 * Margin); }

// Where the rows of a line start: a row ends behind the last blank that
// fits (blanks at the break hang beyond the edge), or inside a word too
// long for a row.
std::vector<size_t> Win32Memo::WrapRows(const std::wstring& text) const {
  std::vector<size_t> starts{0};
  const int width = WrapWidth();
  // A line of the font's own characters that fits even at the widest of
  // them is one row: it needs no measuring (which costs a round trip to
  // the system a line). Other characters may come from another font.
  if (text.size() * static_cast<size_t>(maxCharWidth_) <= static_cast<size_t>(width) &&
      std::all_of(text.begin(), text.end(), [](wchar_t unit) { return unit < 0x80; })) {
    return starts;
  }
  for (size_t start = 0; start < text.size();) {
    const size_t rest = text.size() - start;
    // A stretch a little longer than a row holds, not the rest of a long line.
    size_t probe = std::min(rest, static_cast<size_t>(4 * width / averageCharWidth_ + 16));
    int fit = 0;
    SIZE size{};
    for (;;) {
      GetTextExtentExPointW(measureDc_.Get(), text.data() + start, static_cast<int>(probe), width,
                            &fit, nullptr, &size);
      if (static_cast<size_t>(fit) < probe || probe == rest) break;
      probe = std::min(rest, probe * 2);
    }
    if (static_cast<size_t>(fit) >= rest) break;
    size_t end = start + static_cast<size_t>(std::max(fit, 1));
    if (IsLowUnit(text[end]))
      end += end - 1 == start ? 1 : static_cast<size_t>(-1);  // pairs stay whole
    if (end >= text.size()) break;
    size_t next = end;
    if (text[end] == L' ') {
      while (next < text.size() && text[next] == L' ') ++next;
    } else {
      size_t blank = end;
      while (blank > start && text[blank - 1] != L' ') --blank;
      if (blank > start) next = blank;
    }
    if (next >= text.size()) break;
    starts.push_back(next);
    start = next;
  }
  return starts;
}

const Win32Memo::Layout& Win32Memo::LayoutOf(int line) const {
  const auto found = layouts_.find(line);
  if (found != layouts_.end()) return found->second;
  Layout layout;
  const std::u16string units = Utf8ToUtf16(Model().View(line));
  layout.text.assign(units.begin(), units.end());
  layout.rowStarts = WrapRows(layout.text);
  return layouts_.emplace(line, std::move(layout)).first->second;
}

size_t Win32Memo::RowIndex(const Layout& layout, size_t unit) const {
  const auto after = std::upper_bound(layout.rowStarts.begin(), layout.rowStarts.end(), unit);
  return static_cast<size_t>(after - layout.rowStarts.begin()) - 1;
}

int Win32Memo::RowsOf(int line) const { return static_cast<int>(LayoutOf(line).rowStarts.size()); }

int Win32Memo::RowOf(TextPlace place) const {
  return static_cast<int>(
      RowIndex(LayoutOf(place.line), UnitOffset(Model().View(place.line), place.column)));
}

int Win32Memo::PageRows() const { return std::max(1, ClientHeightImpl() / lineHeight_); }

TextPlace Win32Memo::PlaceInRow(TextRow row, int x) const {
  if (Count() == 0) return TextPlace{};
  const Layout& layout = LayoutOf(row.line);
  const auto index = static_cast<size_t>(row.row);
  const size_t from = layout.rowStarts[index];
  size_t last = layout.RowEnd(index);
  // Behind a wrapped row the caret stays in it, before the character the
  // row breaks behind.
  if (index + 1 < layout.rowStarts.size() && last > from) {
    --last;
    if (IsLowUnit(layout.text[last]) && last > from) --last;
  }
  size_t unit = last;
  if (x - Margin <= 0) {
    unit = from;
  } else if (last > from) {
    std::vector<int> extents(last - from);
    SIZE size{};
    GetTextExtentExPointW(measureDc_.Get(), layout.text.data() + from,
                          static_cast<int>(last - from), 0, nullptr, extents.data(), &size);
    for (size_t i = 0; i < extents.size(); ++i) {
      const int before = i == 0 ? 0 : extents[i - 1];
      if ((before + extents[i]) / 2 > x - Margin) {
        unit = from + i;
        break;
      }
    }
    if (unit > from && unit < layout.text.size() && IsLowUnit(layout.text[unit])) --unit;
  }
  return TextPlace{row.line, static_cast<int>(ByteColumn(Model().View(row.line), unit))};
}

TextPlace Win32Memo::PlaceAt(int x, int y) const {
  if (Count() == 0) return TextPlace{};
  const int rows = y >= 0 ? y / lineHeight_ : -((-y + lineHeight_ - 1) / lineHeight_);
  return PlaceInRow(RowsFrom(TopRow(), rows), x);
}

bool Win32Memo::PointOf(TextPlace place, POINT& point) const {
  if (Count() == 0) {
    point = POINT{Margin, 0};
    return true;
  }
  const TextRow top = TopRow();
  if (place.line < top.line) return false;
  int rows = 0;
  for (int line = top.line; line < place.line; ++line) {
    rows += RowsOf(line) - (line == top.line ? top.row : 0);
    if (rows > PageRows()) return false;
  }
  const Layout& layout = LayoutOf(place.line);
  const size_t unit = UnitOffset(Model().View(place.line), place.column);
  const size_t row = RowIndex(layout, unit);
  rows += static_cast<int>(row) - (place.line == top.line ? top.row : 0);
  if (rows < 0 || rows > PageRows()) return false;
  point.y = rows * lineHeight_;
  point.x =
      Margin + TextWidth(layout.text.data() + layout.rowStarts[row], unit - layout.rowStarts[row]);
  return true;
}

TextPlace Win32Memo::RowStep(TextPlace from, int direction, int& goal) const {
  if (Count() == 0) return from;
  const Layout& layout = LayoutOf(from.line);
  const size_t unit = UnitOffset(Model().View(from.line), from.column);
  const size_t row = RowIndex(layout, unit);
  if (goal < 0) {
    goal = Margin +
           TextWidth(layout.text.data() + layout.rowStarts[row], unit - layout.rowStarts[row]);
  }
  const TextRow here{from.line, static_cast<int>(row)};
  const TextRow there = RowsFrom(here, direction);
  if (there == here) return from;
  return PlaceInRow(there, goal);
}

// ---- bringing the screen up to date ------------------------------------------

void Win32Memo::LinesShown(const TextChange& change) {
  // Appended lines leave the others' layouts alone, and any change those of
  // the lines in front of it.
  const bool appended = change.removed == 0 && change.first + change.inserted == Count();
  if (!appended) {
    std::erase_if(layouts_, [&change](const auto& entry) { return entry.first >= change.first; });
  }
  dirty_ = true;
  if (Hwnd() != nullptr && !timerSet_) {
    timerSet_ = SetTimer(Hwnd(), UpdateTimerId, static_cast<UINT>(UpdateIntervalMs), nullptr) != 0;
  }
}

void Win32Memo::ViewMoved() { Update(); }

void Win32Memo::FlushIfDue(uint64_t nowMs) {
  if ((dirty_ || scrollBarStale_) && nowMs - lastUpdateMs_ >= UpdateIntervalMs) Update(false);
}

void Win32Memo::Flush() { Update(); }

void Win32Memo::Update(bool scrollBarNow) {
  const uint64_t now = GetTickCount64();
  const bool drawScrollBar = scrollBarNow || now - scrollBarDrawnMs_ >= ScrollBarIntervalMs;
  if (!dirty_ && !scrollBarNow && !(scrollBarStale_ && drawScrollBar)) return;
  dirty_ = false;
  lastUpdateMs_ = now;
  ++updateCount_;
  if (Hwnd() == nullptr) return;
  if (layouts_.size() > MaxCachedLayouts) layouts_.clear();
  UpdateScrollBar(drawScrollBar);
  if (drawScrollBar) scrollBarDrawnMs_ = now;
  scrollBarStale_ = !drawScrollBar;
  // The timer stays while the scroll bar waits to be drawn, so that it is
  // drawn when the lines stop coming.
  if (timerSet_ && !scrollBarStale_) {
    KillTimer(Hwnd(), UpdateTimerId);
    timerSet_ = false;
  } else if (!timerSet_ && scrollBarStale_) {
    timerSet_ = SetTimer(Hwnd(), UpdateTimerId, static_cast<UINT>(UpdateIntervalMs), nullptr) != 0;
  }
  InvalidateRect(Hwnd(), nullptr, FALSE);
  PlaceSystemCaret();
}

// The scroll bar counts lines: the top line is its position, a page of
// rows its page. It stays (greyed) when everything fits.
void Win32Memo::UpdateScrollBar(bool draw) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  info.nMax = std::max(0, Count() - 1);
  int page = PageRows();
  // A few lines that wrap into more rows than the page holds still scroll.
  if (page > info.nMax && Count() > 0 && EndTop() != TextRow{}) page = std::max(1, info.nMax);
  info.nPage = static_cast<UINT>(page);
  info.nPos = TopRow().line;
  SetScrollInfo(Hwnd(), SB_VERT, &info, draw ? TRUE : FALSE);
}

void Win32Memo::PlaceSystemCaret() {
  if (Hwnd() == nullptr || GetFocus() != Hwnd()) return;
  POINT point{};
  if (!PointOf(SelCaret(), point)) point = POINT{-100, -100};
  SetCaretPos(point.x, point.y);
}

// ---- painting ------------------------------------------------------------------

void Win32Memo::Paint() {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(Hwnd(), &paint);
  RECT client{};
  GetClientRect(Hwnd(), &client);
  if (dc != nullptr && client.right > 0 && client.bottom > 0) {
    // Drawn off screen first, so the rows do not flicker.
    OwnedDc memory(CreateCompatibleDC(dc));
    GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, client.right, client.bottom));
    if (memory && bitmap) {
      const SelectedObject selectedBitmap(memory.Get(), bitmap.Get());
      const SelectedObject selectedFont(memory.Get(), shownFont_);
      FillRect(memory.Get(), &client, GetSysColorBrush(COLOR_WINDOW));
      SetBkMode(memory.Get(), TRANSPARENT);
      const TextRow top = TopRow();
      int y = 0;
      for (int line = top.line; line < Count() && y < client.bottom; ++line) {
        const Layout& layout = LayoutOf(line);
        for (auto row = static_cast<size_t>(line == top.line ? top.row : 0);
             row < layout.rowStarts.size() && y < client.bottom; ++row, y += lineHeight_) {
          PaintRow(memory.Get(), line, layout, row, y);
        }
      }
      BitBlt(dc, 0, 0, client.right, client.bottom, memory.Get(), 0, 0, SRCCOPY);
    }
  }
  EndPaint(Hwnd(), &paint);
}

void Win32Memo::PaintRow(HDC dc, int line, const Layout& layout, size_t row, int y) const {
  const size_t from = layout.rowStarts[row], to = layout.RowEnd(row);
  const TextPlace first = std::min(SelAnchor(), SelCaret()),
                  last = std::max(SelAnchor(), SelCaret());
  size_t selectedFrom = 0, selectedTo = 0;
  if (first != last && line >= first.line && line <= last.line) {
    const std::string_view text = Model().View(line);
    selectedFrom = line == first.line ? UnitOffset(text, first.column) : 0;
    selectedTo = line == last.line ? UnitOffset(text, last.column) : layout.text.size();
  }
  const COLORREF normal = GetSysColor(EnabledImpl() ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
  int x = Margin;
  const bool breakSelected = row + 1 == layout.rowStarts.size() && first != last &&
                             line >= first.line && line < last.line;
  const auto piece = [&](size_t start, size_t end, bool selected) {
    if (end <= start) return;
    // Only what follows on the row needs to know where the piece ends.
    const bool measured = selected || end < to || breakSelected;
    const int width = measured ? TextWidth(layout.text.data() + start, end - start) : 0;
    if (selected) {
      const RECT area{x, y, x + width, y + lineHeight_};
      FillRect(dc, &area, GetSysColorBrush(COLOR_HIGHLIGHT));
    }
    SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : normal);
    ExtTextOutW(dc, x, y, 0, nullptr, layout.text.data() + start, static_cast<UINT>(end - start),
                nullptr);
    x += width;
  };
  const size_t selectedStart = std::clamp(selectedFrom, from, to);
  const size_t selectedEnd = std::clamp(selectedTo, from, to);
  piece(from, selectedStart, false);
  piece(selectedStart, selectedEnd, true);
  piece(selectedEnd, to, false);
  // A selected line break shows as a selected blank behind the line.
  if (breakSelected) {
    const RECT area{x, y, x + averageCharWidth_, y + lineHeight_};
    FillRect(dc, &area, GetSysColorBrush(COLOR_HIGHLIGHT));
  }
}

// ---- the clipboard ---------------------------------------------------------------

namespace {

// Opens the clipboard, which another program may hold for a moment.
bool OpenClipboardOf(HWND hwnd) {
  for (int attempt = 0; attempt < ClipboardAttempts; ++attempt) {
    if (OpenClipboard(hwnd)) return true;
    Sleep(10);
  }
  return false;
}

}  // namespace

// The selection goes to the clipboard as Unicode text, converted straight
// into the clipboard's memory: a selection of a million lines is not
// copied twice.
void Win32Memo::CopySelection() {
  size_t units = 0;
  VisitSelection([&units](std::string_view piece) { units += Utf16Units(piece); });
  if (units == 0) return;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (units + 1) * sizeof(wchar_t));
  if (memory == nullptr) return;
  auto* target = static_cast<wchar_t*>(GlobalLock(memory));
  if (target == nullptr) {
    GlobalFree(memory);
    return;
  }
  size_t at = 0;
  VisitSelection([&](std::string_view piece) {
    const std::u16string converted = Utf8ToUtf16(piece);
    std::memcpy(target + at, converted.data(), converted.size() * sizeof(wchar_t));
    at += converted.size();
  });
  target[at] = L'\0';
  GlobalUnlock(memory);
  if (!OpenClipboardOf(Hwnd())) {
    GlobalFree(memory);
    return;
  }
  EmptyClipboard();
  if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
  CloseClipboard();
}

std::optional<std::string> Win32Memo::ClipboardText() {
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboardOf(Hwnd())) return std::nullopt;
  std::optional<std::string> text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
      const size_t limit = GlobalSize(data) / sizeof(wchar_t);
      text = Narrow(units, wcsnlen(units, limit));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

// ---- the user's input -----------------------------------------------------------

void Win32Memo::VerticalScroll(WORD request) {
  switch (request) {
    case SB_LINEUP: ScrollRows(-1); break;
    case SB_LINEDOWN: ScrollRows(1); break;
    case SB_PAGEUP: ScrollRows(-PageRows()); break;
    case SB_PAGEDOWN: ScrollRows(PageRows()); break;
    case SB_TOP: ScrollToLine(0); break;
    case SB_BOTTOM: ScrollToLine(Count()); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      // The 32-bit position: the message carries only 16 bits of it.
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS | SIF_RANGE | SIF_PAGE;
      if (!GetScrollInfo(Hwnd(), SB_VERT, &info)) break;
      const int last = info.nMax - static_cast<int>(info.nPage) + 1;
      ScrollToLine(info.nTrackPos >= last ? Count() : info.nTrackPos);
      break;
    }
    default: break;
  }
}

void Win32Memo::Wheel(short delta) {
  UINT linesPerNotch = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &linesPerNotch, 0);
  const int rows = linesPerNotch == WHEEL_PAGESCROLL ? PageRows() : static_cast<int>(linesPerNotch);
  wheelRest_ += delta;
  const int notches = wheelRest_ / WHEEL_DELTA;
  wheelRest_ -= notches * WHEEL_DELTA;
  if (notches != 0) ScrollRows(-notches * rows);
}

void Win32Memo::MouseDown(WPARAM keys, LPARAM position) {
  if (GetFocus() != Hwnd()) ::SetFocus(Hwnd());
  lastMouse_ = PointOfLParam(position);
  PlaceCaret(PlaceAt(lastMouse_.x, lastMouse_.y), (keys & MK_SHIFT) != 0);
  SetCapture(Hwnd());
  dragging_ = true;
  SetTimer(Hwnd(), DragTimerId, DragIntervalMs, nullptr);
}

void Win32Memo::MouseMove(LPARAM position) {
  if (!dragging_) return;
  const POINT point = PointOfLParam(position);
  if (point.x == lastMouse_.x && point.y == lastMouse_.y) return;
  lastMouse_ = point;
  PlaceCaret(PlaceAt(point.x, point.y), true);
}

void Win32Memo::EndDrag() {
  if (!dragging_) return;
  dragging_ = false;
  KillTimer(Hwnd(), DragTimerId);
  if (GetCapture() == Hwnd()) ReleaseCapture();
}

void Win32Memo::TypedUnit(wchar_t unit) {
  if (IsHighUnit(unit)) {
    highSurrogate_ = unit;
    return;
  }
  std::wstring text;
  if (IsLowUnit(unit) && highSurrogate_ != 0) text += highSurrogate_;
  highSurrogate_ = 0;
  // Control characters (Enter, Backspace, Tab, Escape, Ctrl+letters) are
  // keys, not text.
  if (unit < 0x20 || unit == 0x7F) return;
  text += unit;
  TypeText(Narrow(text));
}

bool Win32Memo::HandleInput(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_KEYDOWN: return KeyDown(static_cast<uint16_t>(wParam), CurrentShiftState());
    case WM_CHAR: TypedUnit(static_cast<wchar_t>(wParam)); return true;
    case WM_LBUTTONDOWN: MouseDown(wParam, lParam); return true;
    case WM_MOUSEMOVE: MouseMove(lParam); return true;
    case WM_LBUTTONUP: EndDrag(); return true;
    case WM_CAPTURECHANGED:
      if (dragging_) {
        dragging_ = false;
        KillTimer(Hwnd(), DragTimerId);
      }
      return true;
    case WM_MOUSEWHEEL: Wheel(GET_WHEEL_DELTA_WPARAM(wParam)); return true;
    case WM_VSCROLL: VerticalScroll(LOWORD(wParam)); return true;
    case WM_GETDLGCODE: {
      // Arrows and characters are the memo's, Enter too (a new line, not
      // the default button); Tab and Escape go to the window.
      result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      const auto* key = reinterpret_cast<const MSG*>(lParam);
      if (key != nullptr && (key->message == WM_KEYDOWN || key->message == WM_CHAR) &&
          key->wParam == VK_RETURN) {
        result |= DLGC_WANTMESSAGE;
      }
      return true;
    }
    default: return false;
  }
}

LRESULT Win32Memo::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (HandleInput(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_PAINT: Paint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SETFONT:
      SetShownFont(wParam != 0 ? reinterpret_cast<HFONT>(wParam) : Kit().DialogFont());
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(shownFont_);
    case WM_SIZE:
      layouts_.clear();
      ViewResized();
      Update();
      return 0;
    case WM_TIMER:
      if (wParam == UpdateTimerId) Update(false);
      // The mouse held above or below the view: the selection goes on.
      if (wParam == DragTimerId && dragging_ &&
          (lastMouse_.y < 0 || lastMouse_.y >= ClientHeightImpl())) {
        PlaceCaret(PlaceAt(lastMouse_.x, lastMouse_.y), true);
      }
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) != HTCLIENT) break;
      ::SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
      return TRUE;
    case WM_SETFOCUS:
      CreateCaret(Hwnd(), nullptr, CaretWidth, lineHeight_);
      PlaceSystemCaret();
      ::ShowCaret(Hwnd());
      return 0;
    case WM_KILLFOCUS:
      EndDrag();
      DestroyCaret();
      return 0;
    case WM_ENABLE: InvalidateRect(Hwnd(), nullptr, FALSE); return 0;
    default: break;
  }
  return CallPrevious(message, wParam, lParam);
}

}  // namespace plovik
