// The part of the memo every view shares: the bound lines, the selection,
// the keys and edits of the user, and which row the view shows at its top.
#include <algorithm>

#include "lib/Utf.h"
#include "toolkit/Toolkit.h"

namespace plovik {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// A text split at its line breaks (CR LF, LF or CR): one piece more than
// it has breaks.
std::vector<std::string> SplitAtBreaks(const std::string& text) {
  std::vector<std::string> pieces(1);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      pieces.emplace_back();
    } else {
      pieces.back() += c;
    }
  }
  return pieces;
}

// The start of the word behind or before a column: blanks, then the word.
size_t WordEndAfter(std::string_view text, size_t column) {
  while (column < text.size() && !IsBlank(text[column])) ++column;
  while (column < text.size() && IsBlank(text[column])) ++column;
  return column;
}

size_t WordStartBefore(std::string_view text, size_t column) {
  while (column > 0 && IsBlank(text[column - 1])) --column;
  while (column > 0 && !IsBlank(text[column - 1])) --column;
  return column;
}

}  // namespace

Memo::~Memo() { model_->RemoveListener(this); }

void Memo::Bind(TextLines* lines) {
  TextLines* next = lines != nullptr ? lines : &own_;
  if (next == model_) return;
  model_->RemoveListener(this);
  const int before = model_->Count();
  model_ = next;
  model_->AddListener(this);
  anchor_ = caret_ = TextPlace{};
  top_ = TextRow{};
  following_ = true;
  goal_ = -1;
  LinesChanged(TextChange{0, before, model_->Count()});
}

void Memo::LinesChanged(const TextChange& change) {
  const bool appended = change.removed == 0 && change.first + change.inserted == Count();
  if (!appended) {
    anchor_ = Follow(anchor_, change);
    caret_ = Follow(caret_, change);
    if (Count() == 0) {
      top_ = TextRow{};
      following_ = true;
    } else if (!following_) {
      const TextPlace topLine = Follow(TextPlace{top_.line, 0}, change);
      top_.row = topLine.line == top_.line ? std::min(top_.row, RowsOf(topLine.line) - 1) : 0;
      top_.line = topLine.line;
      if (top_ > EndTop()) top_ = EndTop();
      following_ = ShowsEnd(top_);
    }
  }
  // Lines appended behind the end move neither the selection nor a view
  // that does not follow the end; one that follows finds the end anew.
  LinesShown(change);
  if (onChange_) {
    NotifyEvent event{*this};
    const NotifyHandler handler = onChange_;
    handler(event);
  }
}

// Where a place stands after a change of the lines.
TextPlace Memo::Follow(TextPlace place, const TextChange& change) const {
  if (place.line < change.first) return place;
  if (place.line >= change.first + change.removed) {
    return TextPlace{place.line - change.removed + change.inserted, place.column};
  }
  if (change.inserted > 0) {
    return Clamped(
        TextPlace{std::min(place.line, change.first + change.inserted - 1), place.column});
  }
  return Clamped(TextPlace{change.first, 0});
}

// The place within the text, at the start of a character.
TextPlace Memo::Clamped(TextPlace place) const {
  if (Count() == 0 || place.line < 0) return TextPlace{};
  if (place.line >= Count()) return End();
  const std::string_view text = model_->View(place.line);
  auto column = static_cast<size_t>(std::clamp(place.column, 0, static_cast<int>(text.size())));
  while (column > 0 && column < text.size() && IsContinuation(text[column])) --column;
  return TextPlace{place.line, static_cast<int>(column)};
}

TextPlace Memo::End() const {
  if (Count() == 0) return TextPlace{};
  return TextPlace{Count() - 1, static_cast<int>(model_->View(Count() - 1).size())};
}

TextPlace Memo::CharBefore(TextPlace place) const {
  if (place.column == 0) {
    return place.line > 0
               ? TextPlace{place.line - 1, static_cast<int>(model_->View(place.line - 1).size())}
               : place;
  }
  const std::string_view text = model_->View(place.line);
  const auto column = static_cast<size_t>(place.column);
  size_t start = column - 1;
  while (start > 0 && column - start < 4 && IsContinuation(text[start])) --start;
  // A stray continuation byte is a character of its own.
  if (start + CharBytes(text, start) != column) start = column - 1;
  return TextPlace{place.line, static_cast<int>(start)};
}

TextPlace Memo::CharAfter(TextPlace place) const {
  const std::string_view text = model_->View(place.line);
  if (static_cast<size_t>(place.column) < text.size()) {
    return TextPlace{place.line, place.column + static_cast<int>(CharBytes(text, place.column))};
  }
  return place.line + 1 < Count() ? TextPlace{place.line + 1, 0} : place;
}

// ---- selection -------------------------------------------------------------

void Memo::SelectAll() { Select(TextPlace{}, End()); }

void Memo::Select(TextPlace anchor, TextPlace caret) {
  anchor_ = Clamped(anchor);
  caret_ = Clamped(caret);
  goal_ = -1;
  ViewMoved();
}

void Memo::VisitSelection(const std::function<void(std::string_view)>& piece) const {
  const TextPlace from = std::min(anchor_, caret_), to = std::max(anchor_, caret_);
  if (from == to) return;
  for (int line = from.line; line <= to.line; ++line) {
    const std::string_view text = model_->View(line);
    const size_t start = line == from.line ? static_cast<size_t>(from.column) : 0;
    const size_t end = line == to.line ? static_cast<size_t>(to.column) : text.size();
    piece(text.substr(start, end - start));
    if (line < to.line) piece("\r\n");
  }
}

std::string Memo::SelText() const {
  std::string text;
  VisitSelection([&text](std::string_view piece) { text += piece; });
  return text;
}

// ---- rows of the view ------------------------------------------------------

TextRow Memo::RowsFrom(TextRow from, int rows) const {
  TextRow at = from;
  at.row += rows;
  if (rows > 0) {
    for (int rowsOfLine = RowsOf(at.line); at.row >= rowsOfLine && at.line + 1 < Count();
         rowsOfLine = RowsOf(at.line)) {
      at.row -= rowsOfLine;
      ++at.line;
    }
    at.row = std::min(at.row, RowsOf(at.line) - 1);
  } else {
    while (at.row < 0 && at.line > 0) {
      --at.line;
      at.row += RowsOf(at.line);
    }
    at.row = std::max(at.row, 0);
  }
  return at;
}

// The top row of a view that shows the end: the last rows fill the page.
TextRow Memo::EndTop() const {
  int needed = std::max(1, PageRows());
  for (int line = Count() - 1; line >= 0; --line) {
    const int rows = RowsOf(line);
    if (rows >= needed) return TextRow{line, rows - needed};
    needed -= rows;
  }
  return TextRow{};
}

bool Memo::ShowsEnd(TextRow top) const {
  const int page = std::max(1, PageRows());
  int rows = -top.row;
  for (int line = top.line; line < Count() && rows <= page; ++line) rows += RowsOf(line);
  return rows <= page;
}

void Memo::ScrollRows(int rows) {
  if (Count() == 0) return;
  top_ = std::min(RowsFrom(TopRow(), rows), EndTop());
  following_ = ShowsEnd(top_);
  ViewMoved();
}

void Memo::ScrollToLine(int line) {
  if (Count() == 0) return;
  top_ = std::min(TextRow{std::clamp(line, 0, Count() - 1), 0}, EndTop());
  following_ = ShowsEnd(top_);
  ViewMoved();
}

void Memo::ViewResized() {
  if (following_ || Count() == 0) return;
  top_.row = std::min(top_.row, RowsOf(top_.line) - 1);
  top_ = std::min(top_, EndTop());
  following_ = ShowsEnd(top_);
}

// Scrolls as little as needed to show the caret's row.
void Memo::ShowCaret() {
  if (Count() == 0) return;
  const TextRow caretRow{caret_.line, RowOf(caret_)};
  const TextRow top = TopRow();
  TextRow wanted = top;
  if (caretRow < top) {
    wanted = caretRow;
  } else if (caretRow > RowsFrom(top, std::max(1, PageRows()) - 1)) {
    wanted = RowsFrom(caretRow, 1 - std::max(1, PageRows()));
  }
  if (wanted == top) return;
  top_ = std::min(wanted, EndTop());
  following_ = ShowsEnd(top_);
}

TextPlace Memo::RowStep(TextPlace from, int direction, int& goal) const {
  const int line = from.line + direction;
  if (line < 0 || line >= Count()) return from;
  if (goal < 0) goal = static_cast<int>(CharCount(model_->View(from.line).substr(0, from.column)));
  const std::string_view text = model_->View(line);
  size_t column = 0;
  for (int n = 0; n < goal && column < text.size(); ++n) column += CharBytes(text, column);
  return TextPlace{line, static_cast<int>(column)};
}

// ---- keys and edits --------------------------------------------------------

void Memo::PlaceCaret(TextPlace place, bool extend) {
  goal_ = -1;
  MoveCaret(place, extend);
}

void Memo::MoveCaret(TextPlace to, bool extend) {
  caret_ = Clamped(to);
  if (!extend) anchor_ = caret_;
  ShowCaret();
  ViewMoved();
}

bool Memo::KeyDown(uint16_t key, ShiftState shift) {
  if (Has(shift, ShiftState::Alt)) return false;
  const bool ctrl = Has(shift, ShiftState::Ctrl), withShift = Has(shift, ShiftState::Shift);
  if (MoveKey(key, ctrl, withShift)) return true;
  const bool cut = (ctrl && !withShift && key == 'X') || (withShift && !ctrl && key == KeyDelete);
  const bool paste = (ctrl && !withShift && key == 'V') || (withShift && !ctrl && key == KeyInsert);
  if (cut) {
    if (anchor_ != caret_) {
      CopySelection();
      ReplaceSelection(std::string());
    }
  } else if (paste) {
    Paste();
  } else if (ctrl && !withShift && (key == 'C' || key == KeyInsert)) {
    CopySelection();
  } else if (ctrl && !withShift && key == 'A') {
    SelectAll();
  } else if (!ctrl && (key == KeyDelete || key == KeyBack)) {
    DeleteNext(key == KeyDelete);
  } else if (!ctrl && key == KeyReturn) {
    TypeText("\r\n");
  } else {
    return false;
  }
  return true;
}

// Where Left, Right, Home and End take the caret; nullopt for other keys.
// Without Shift an arrow ends a selection at its start or end.
std::optional<TextPlace> Memo::LineTarget(uint16_t key, bool ctrl, bool extend) const {
  const TextPlace from = std::min(anchor_, caret_), to = std::max(anchor_, caret_);
  const bool collapse = !extend && !ctrl && from != to;
  const std::string_view text = model_->View(caret_.line);
  const auto column = static_cast<size_t>(caret_.column);
  const auto at = [this](size_t newColumn) {
    return TextPlace{caret_.line, static_cast<int>(newColumn)};
  };
  switch (key) {
    case KeyArrowLeft:
      if (collapse) return from;
      return ctrl && column > 0 ? at(WordStartBefore(text, column)) : CharBefore(caret_);
    case KeyArrowRight:
      if (collapse) return to;
      return ctrl && column < text.size() ? at(WordEndAfter(text, column)) : CharAfter(caret_);
    case KeyHome: return ctrl ? TextPlace{} : at(0);
    case KeyEnd: return ctrl ? End() : at(text.size());
    default: return std::nullopt;
  }
}

bool Memo::MoveKey(uint16_t key, bool ctrl, bool extend) {
  int rows = 0;
  switch (key) {
    case KeyArrowUp: rows = -1; break;
    case KeyArrowDown: rows = 1; break;
    case KeyPageUp: rows = -std::max(1, PageRows()); break;
    case KeyPageDown: rows = std::max(1, PageRows()); break;
    default: break;
  }
  if (rows == 0) {
    const std::optional<TextPlace> target = LineTarget(key, ctrl, extend);
    if (!target) return false;
    goal_ = -1;
    MoveCaret(*target, extend);
    return true;
  }
  // A page scrolls the view by as many rows as the caret moves.
  if (rows < -1 || rows > 1) ScrollRows(rows);
  TextPlace target = caret_;
  for (int i = 0; i < std::abs(rows); ++i) target = RowStep(target, rows < 0 ? -1 : 1, goal_);
  MoveCaret(target, extend);
  return true;
}

bool Memo::TypeText(const std::string& text) { return ReplaceSelection(text); }

// Replaces the selection by a text whose line breaks start new lines; the
// caret stands behind the text.
bool Memo::ReplaceSelection(const std::string& text) {
  const TextPlace from = std::min(anchor_, caret_), to = std::max(anchor_, caret_);
  std::vector<std::string> lines = SplitAtBreaks(text);
  int count = 0;
  std::string prefix, suffix;
  if (Count() > 0) {
    count = to.line - from.line + 1;
    prefix = model_->View(from.line).substr(0, static_cast<size_t>(from.column));
    suffix = model_->View(to.line).substr(static_cast<size_t>(to.column));
  }
  lines.front().insert(0, prefix);
  const TextPlace after{from.line + static_cast<int>(lines.size()) - 1,
                        static_cast<int>(lines.back().size())};
  lines.back() += suffix;
  // A whole text emptied has no lines left, as an empty text control.
  if (lines.size() == 1 && lines.front().empty() && count == Count()) lines.clear();
  if (!model_->Replace(from.line, count, lines)) return false;
  anchor_ = caret_ = Clamped(after);
  goal_ = -1;
  ShowCaret();
  ViewMoved();
  return true;
}

void Memo::DeleteNext(bool forward) {
  if (anchor_ == caret_) {
    const TextPlace other = forward ? CharAfter(caret_) : CharBefore(caret_);
    if (other == caret_) return;
    anchor_ = other;
  }
  ReplaceSelection(std::string());
}

void Memo::Paste() {
  const std::optional<std::string> text = ClipboardText();
  if (text && !text->empty()) ReplaceSelection(*text);
}

}  // namespace plovik
