#include "core/Protocol.h"

#include <algorithm>

#include "lib/Utf.h"
#include "core/RunRecords.h"

namespace plovik {

int32_t ProtocolLastCount = 0;
int32_t ProtocolCutIndex = 0;
int32_t ProtocolDeletedLines = 0;
int ProtocolCharWidth = 7;
int ProtocolLineChars = 0;
int ProtocolPathChars = 0;
bool DebugWindowReady = false;
bool PrinterAvailable = false;
int32_t ProtocolFailureLines = 0;

namespace {

ProtocolControls bound;

// Lines removed behind the cut at every refusal, and the lines blanked in
// front of it at the first one.
constexpr int LinesPerCut = 20;
constexpr int BlankedLines = 3;
// The first cut needs the three lines in front of the cut and the twenty
// behind it.
constexpr int LinesNeededForCut = 26;

std::string CutNote() {
  static const char* const texts[2] = {
      " lines deleted (Dirty trick to work around a Windows 95/98/ME API bug. Use Windows "
      "NT/2000/XP to avoid this problem.)",
      " Zeilen gelöscht (Schmutziger Trick, um einen Windows 95/98/ME API bug zu umgehen. "
      "Verwenden Sie Windows NT/2000/XP zur Vermeidung dieses Problems.)",
  };
  return std::to_string(ProtocolDeletedLines) + texts[LanguageIndex == 1 ? 1 : 0];
}

void ForgetCut() {
  ProtocolCutIndex = 0;
  ProtocolDeletedLines = 0;
}

// Removes up to twenty lines behind the cut and rewrites the note in front
// of it with the new total.
void CutBehind(TextLines& lines) {
  const int count = std::clamp(lines.Count() - ProtocolCutIndex, 0, LinesPerCut);
  for (int i = 0; i < count; ++i) lines.Erase(ProtocolCutIndex);
  ProtocolDeletedLines += count;
  lines.Set(ProtocolCutIndex - 2, CutNote());
}

// The memo refused line: make room and append it. The regular way keeps the
// head of the protocol, marks the cut with a note and removes the oldest
// lines behind it. When that is not possible or not enough, the oldest lines
// of the memo go, and a line too long for the memo is cut down. Every loop
// removes a line or halves the text, so this always ends.
void MakeRoomFor(TextLines& lines, std::string line) {
  const size_t capacity = lines.Capacity();
  const size_t room = capacity > 2 ? capacity - 2 : 0;
  if (CharCount(line) > room) line = CharPrefix(line, room);

  // A cut that no longer fits the lines (the user may edit them) starts
  // afresh.
  if (ProtocolCutIndex != 0 &&
      (ProtocolCutIndex < BlankedLines || ProtocolCutIndex > lines.Count())) {
    ForgetCut();
  }
  if (ProtocolCutIndex == 0 && lines.Count() >= LinesNeededForCut) {
    ProtocolDeletedLines = BlankedLines;
    ProtocolCutIndex = (lines.Count() - LinesPerCut) / 2;
    for (int i = BlankedLines; i >= 1; --i) lines.Set(ProtocolCutIndex - i, "");
  }
  if (ProtocolCutIndex != 0) {
    do {
      CutBehind(lines);
      if (lines.Append(line)) return;
    } while (lines.Count() > ProtocolCutIndex);
  }

  while (lines.Count() > 0) {
    lines.Erase(0);
    if (ProtocolCutIndex != 0 && --ProtocolCutIndex < BlankedLines) ForgetCut();
    if (lines.Append(line)) return;
  }
  for (size_t chars = CharCount(line) / 2; chars > 0; chars /= 2) {
    if (lines.Append(CharPrefix(line, chars))) return;
  }
}

}  // namespace

void BindProtocol(const ProtocolControls& controls) {
  bound = controls;
  if (bound.MemoProtocol != nullptr) bound.MemoProtocol->Bind(&ProtocolText());
}

const ProtocolControls& BoundProtocol() { return bound; }

TextLines& ProtocolText() {
  static TextLines lines;
  return lines;
}

void ProtocolAdd(const std::string& line) {
  TextLines& lines = ProtocolText();
  const bool accepted = lines.Append(line);
  Tk().ProcessMessages();
  if (!accepted) MakeRoomFor(lines, line);
  ProtocolLastCount = lines.Count();
}

int ProtocolLineCount() { return ProtocolText().Count(); }

std::vector<std::string> CurrentProtocolLines() { return ProtocolText().All(); }

void DebugAdd(const std::string& line) {
  if (!DebugWindowReady) {
    ProtocolAdd(line);
    return;
  }
  if (bound.MemoDebug != nullptr) bound.MemoDebug->Append(line);
}

void ProtocolClear() {
  ProtocolText().Clear();
  ProtocolLastCount = 0;
  ForgetCut();
  Tk().ProcessMessages();
}

void MeasureProtocolCharWidth() {
  Label* label = bound.LabelMemoProtocolFont;
  Memo* memo = bound.MemoProtocol;
  if (label == nullptr || memo == nullptr) return;
  label->SetFont(memo->GetFont());
  Tk().ProcessMessages();
  label = bound.LabelMemoProtocolFont;
  if (label == nullptr) return;
  // At least one pixel: the widths are divided by it.
  ProtocolCharWidth = std::max(1, label->Width() / 10);
}

void ComputeProtocolWidths() {
  if (bound.MemoProtocol == nullptr) return;
  const int charWidth = std::max(1, ProtocolCharWidth);
  ProtocolLineChars = std::max(0, (bound.MemoProtocol->ClientWidth() - 2) / charWidth);
  ProtocolPathChars = std::max(0, ProtocolLineChars - 7);
}

void ProtocolFailure(const std::string& text) {
  if (ProtocolFailureLines < INT32_MAX) ++ProtocolFailureLines;
  ProtocolAdd("****** " + text + " ******");
  ProtocolAdd("");
}

}  // namespace plovik
