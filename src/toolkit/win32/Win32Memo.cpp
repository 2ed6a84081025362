// The memo: an EDIT control whose lines the object keeps as its model.
//
// An EDIT control takes milliseconds for every single append (it re-lays
// out and repaints), far too slow for a protocol that receives a line per
// copied file. Appended lines therefore go to the model at once and reach
// the control in batches: one replacement at the end of its text, with
// redraw off, at most every 50 ms from message processing (a timer covers
// an idle program), and at once before anybody reads the control's text or
// the user touches it. Replaced and deleted lines travel the same way: the
// push replaces the text from the first changed line on. Edits the user
// makes are read back into the model.
#include <algorithm>

#include "lib/Utf.h"
#include "lib/Wide.h"
#include "toolkit/win32/Win32Toolkit.h"

namespace plovik {

namespace {

constexpr UINT_PTR FlushTimerId = 1;
constexpr UINT FlushIntervalMs = 50;
// A flush costs the control a fixed time plus a little per line. Between two
// flushes at least this many times the last flush's cost passes, so that
// the program, not the control, keeps most of the time even when the
// control grows slow.
constexpr uint64_t FlushCostFactor = 3;
// One timed push brings at most about this many milliseconds' worth of
// lines (estimated from the last push), and at least MinPushLines lines.
constexpr uint64_t MaxPushMs = 100;
constexpr int MinPushLines = 200;

// The largest text limit an EDIT control accepts.
constexpr size_t MaxEditLimit = 0x7FFFFFFE;

// Splits the control's text into lines at CR LF; an empty text has none.
std::vector<std::string> SplitLines(const std::wstring& text) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(L"\r\n", start);
    if (end == std::wstring::npos) {
      lines.push_back(Narrow(text.substr(start)));
      return lines;
    }
    lines.push_back(Narrow(text.substr(start, end - start)));
    start = end + 2;
  }
}

// Messages before which the control must show every line: the user is
// about to act on it, or somebody reads or edits its text directly.
bool NeedsCurrentText(UINT message) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
    case WM_UNICHAR:
    case WM_IME_CHAR:
    case WM_IME_STARTCOMPOSITION:
    case WM_PASTE:
    case WM_CUT:
    case WM_COPY:
    case WM_CLEAR:
    case WM_UNDO:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_CONTEXTMENU:
    case WM_SETFOCUS:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
      return true;
    default:
      // Every EM_ message: selections, line queries, replacements.
      return message >= EM_GETSEL && message <= 0x00FF;
  }
}

}  // namespace

struct Win32Memo::SelfChange {
  explicit SelfChange(Win32Memo& memo) : memo_(memo) { ++memo_.selfChanges_; }
  ~SelfChange() { --memo_.selfChanges_; }
  SelfChange(const SelfChange&) = delete;
  SelfChange& operator=(const SelfChange&) = delete;
  Win32Memo& memo_;
};

Win32Memo::Win32Memo(Win32Toolkit& toolkit, Container& parent) : Win32Control<Memo>(toolkit) {
  // Word wrap: no horizontal scrolling. Not a tab stop.
  CreateControl(L"EDIT",
                WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN |
                    ES_NOHIDESEL,
                WS_EX_CLIENTEDGE, HandleOf(parent));
  SetCapacity(capacity_);
  toolkit.AddMemo(this);
}

Win32Memo::~Win32Memo() {
  Kit().RemoveMemo(this);
  if (Hwnd() != nullptr && timerSet_) KillTimer(Hwnd(), FlushTimerId);
}

size_t Win32Memo::LineCost(const std::string& line) { return CharCount(line) + 2; }

std::string Win32Memo::Line(int index) const {
  if (index < 0 || index >= Count()) return std::string();
  return lines_.At(index);
}

bool Win32Memo::Append(const std::string& line) {
  const size_t cost = LineCost(line);
  if (used_ > capacity_ || cost > capacity_ - used_) return false;
  lines_.Append(line);
  used_ += cost;
  StartFlushTimer();
  Changed();
  return true;
}

// Replacing and deleting lines change the model at once and the control
// with the next push: the protocol's memo-full workaround deletes lines
// in the middle of a long text for every new line, and one replacement of
// the text behind the first changed line costs the control about what a
// single deletion does.
void Win32Memo::SetLine(int index, const std::string& line) {
  if (index < 0 || index >= Count()) return;
  used_ = used_ - LineCost(lines_.At(index)) + LineCost(line);
  lines_.Set(index, line);
  MarkChanged(index);
  Changed();
}

void Win32Memo::DeleteLine(int index) {
  if (index < 0 || index >= Count()) return;
  used_ -= LineCost(lines_.At(index));
  lines_.Erase(index);
  if (index < shownCount_) --shownCount_;
  MarkChanged(index);
  Changed();
}

void Win32Memo::MarkChanged(int index) {
  changedFrom_ = std::min(changedFrom_, index);
  StartFlushTimer();
}

void Win32Memo::Clear() {
  lines_.Clear();
  used_ = 0;
  shownCount_ = 0;
  changedFrom_ = NoChange;
  if (Hwnd() != nullptr) {
    SelfChange self(*this);
    SetWindowTextW(Hwnd(), L"");
    if (timerSet_) KillTimer(Hwnd(), FlushTimerId);
    timerSet_ = false;
  }
  Changed();
}

void Win32Memo::SetCapacity(size_t characters) {
  capacity_ = characters;
  if (Hwnd() == nullptr) return;
  // The control's own limit counts UTF-16 units: a character takes at most
  // two. It stays above the capacity so that the model decides.
  const size_t limit = characters > (MaxEditLimit - 1024) / 2 ? MaxEditLimit : characters * 2 + 1024;
  SelfChange self(*this);
  SendMessageW(Hwnd(), EM_SETLIMITTEXT, static_cast<WPARAM>(limit), 0);
}

void Win32Memo::Flush() { Push(Count()); }

void Win32Memo::Push(int maxLines) {
  const HWND hwnd = Hwnd();
  if (hwnd == nullptr) {
    shownCount_ = Count();
    changedFrom_ = NoChange;
    return;
  }
  const int end = Count() - shownCount_ > maxLines ? shownCount_ + maxLines : Count();
  if (timerSet_ && end == Count()) {
    KillTimer(hwnd, FlushTimerId);
    timerSet_ = false;
  }
  const uint64_t start = GetTickCount64();
  lastFlushMs_ = start;
  // The control's text is right up to the first changed line, or up to
  // the last line it has; everything behind that is replaced.
  const int first = std::min(changedFrom_, shownCount_);
  if (first >= end && changedFrom_ == NoChange) return;
  std::wstring text;
  for (int i = first; i < end; ++i) {
    if (i > 0) text += L"\r\n";
    text += Wide(lines_.At(i));
  }
  const size_t from = first > 0 ? lines_.Offset(first) - 2 : 0;  // behind line first - 1
  lastFlushLines_ = end - first;
  shownCount_ = end;
  changedFrom_ = NoChange;
  {
    SelfChange self(*this);
    SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
    const LRESULT length = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
    SendMessageW(hwnd, EM_SETSEL, static_cast<WPARAM>(from), length);
    SendMessageW(hwnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
    SendMessageW(hwnd, EM_SCROLLCARET, 0, 0);
    InvalidateRect(hwnd, nullptr, TRUE);
  }
  // The rest follows on the timer when nobody processes messages.
  if (shownCount_ < Count()) StartFlushTimer();
  lastFlushMs_ = GetTickCount64();
  lastFlushCostMs_ = lastFlushMs_ - start;
  ++flushCount_;
  flushMsTotal_ += lastFlushCostMs_;
}

void Win32Memo::FlushIfDue(uint64_t nowMs) {
  if (shownCount_ >= Count() && changedFrom_ == NoChange) return;
  const uint64_t pause = std::max<uint64_t>(FlushIntervalMs, FlushCostFactor * lastFlushCostMs_);
  if (nowMs - lastFlushMs_ < pause) return;
  // One push takes about MaxPushMs, so that the program stays responsive
  // while the control catches up with a fast stream of lines.
  int chunk = MinPushLines;
  if (lastFlushLines_ >= MinPushLines && lastFlushCostMs_ > 0) {
    const uint64_t fitting = MaxPushMs * static_cast<uint64_t>(lastFlushLines_) / lastFlushCostMs_;
    chunk = static_cast<int>(std::min<uint64_t>(std::max<uint64_t>(fitting, MinPushLines), 1u << 30));
  } else if (lastFlushCostMs_ == 0 && lastFlushLines_ > 0) {
    chunk = std::max(MinPushLines, 2 * lastFlushLines_);
  }
  Push(chunk);
}

void Win32Memo::OnCommand(WORD notification) {
  if (notification != EN_CHANGE || selfChanges_ > 0) return;
  ReadBackUserText(true);
  Changed();
}

LRESULT Win32Memo::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == FlushTimerId) {
    FlushIfDue(GetTickCount64());
    return 0;
  }
  // Escape means nothing to the memo. Passed on, a multi-line edit in a
  // window with dialog keys would close the form.
  if ((message == WM_KEYDOWN || message == WM_CHAR) && wParam == VK_ESCAPE) return 0;
  if (selfChanges_ == 0) {
    if (message == WM_SETTEXT) {
      // A new text from outside replaces every line, the pending ones too.
      LRESULT result;
      {
        SelfChange self(*this);
        result = CallPrevious(message, wParam, lParam);
      }
      ReadBackUserText(false);
      Changed();
      return result;
    }
    if (NeedsCurrentText(message)) Flush();
  }
  return CallPrevious(message, wParam, lParam);
}

void Win32Memo::ReadBackUserText(bool keepPending) {
  if (Hwnd() == nullptr) return;
  std::vector<std::string> pending;
  if (keepPending) {
    for (int i = shownCount_; i < Count(); ++i) pending.push_back(lines_.At(i));
  }
  std::wstring text;
  {
    SelfChange self(*this);
    const LRESULT length = SendMessageW(Hwnd(), WM_GETTEXTLENGTH, 0, 0);
    text.assign(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(Hwnd(), WM_GETTEXT, static_cast<WPARAM>(length) + 1,
                                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(got));
  }
  std::vector<std::string> lines = SplitLines(text);
  shownCount_ = static_cast<int>(lines.size());
  changedFrom_ = NoChange;
  lines.insert(lines.end(), pending.begin(), pending.end());
  used_ = 0;
  for (const std::string& line : lines) used_ += LineCost(line);
  lines_.Assign(std::move(lines));
}

void Win32Memo::Changed() { FireNotify(onChange_, *this); }

void Win32Memo::StartFlushTimer() {
  if (Hwnd() != nullptr && !timerSet_) {
    timerSet_ = SetTimer(Hwnd(), FlushTimerId, FlushIntervalMs, nullptr) != 0;
  }
}

void Win32Memo::SelectAll() {
  Flush();
  if (Hwnd() == nullptr) return;
  SelfChange self(*this);
  SendMessageW(Hwnd(), EM_SETSEL, 0, -1);
}

}  // namespace plovik
