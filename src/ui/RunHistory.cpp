#include "ui/RunHistory.h"

#include <algorithm>

#include "core/Protocol.h"
#include "core/RunRecords.h"
#include "core/Settings.h"
#include "core/TextFiles.h"
#include "platform/Platform.h"

namespace plovik {

namespace {

constexpr const char* HeadingStart = "==== ";
constexpr const char* HeadingEnd = " ====";
constexpr size_t LineBreakBytes = 2;

bool IsHeading(const std::string& line) {
  const std::string end = HeadingEnd;
  return line.rfind(HeadingStart, 0) == 0 && line.size() >= end.size() &&
         line.compare(line.size() - end.size(), end.size(), end) == 0;
}

size_t BytesOf(const std::vector<std::string>& lines, size_t from) {
  size_t bytes = 0;
  for (size_t i = from; i < lines.size(); ++i) bytes += lines[i].size() + LineBreakBytes;
  return bytes;
}

// Splits the text of the history file into its lines; an empty file has
// none.
std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    size_t cut = end;
    if (cut > start && text[cut - 1] == '\r') --cut;
    lines.push_back(text.substr(start, cut - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace

std::string RunHistoryFileName() {
  return Settings.SettingsFolder + RunOptions.ProgramBaseName + "-runs.log";
}

std::string RunHistoryHeading(const std::string& date, const std::string& time, int exitCode) {
  return HeadingStart + date + "  " + time + "  " + InLanguage("exit code ", "Exitcode ") +
         std::to_string(exitCode) + HeadingEnd;
}

std::vector<std::string> WithRunAppended(std::vector<std::string> history,
                                         const std::vector<std::string>& run, size_t maxBytes) {
  const size_t newest = history.size();
  history.insert(history.end(), run.begin(), run.end());
  history.push_back("");
  // Drop whole runs from the front: everything up to the next heading.
  size_t keepFrom = 0;
  while (keepFrom < newest && BytesOf(history, keepFrom) > maxBytes) {
    size_t next = keepFrom + 1;
    while (next < newest && !IsHeading(history[next])) ++next;
    keepFrom = next;
  }
  history.erase(history.begin(), history.begin() + static_cast<std::ptrdiff_t>(keepFrom));
  return history;
}

Result<void> AppendRunHistory(int exitCode) {
  const std::string path = RunHistoryFileName();
  std::vector<std::string> history;
  if (Sys().GetAttributes(path)) {
    const Result<std::string> text = ReadTextFile(path);
    if (!text) return Failure(text.Error());
    history = LinesOf(*text);
  }
  const CivilTime now = Sys().LocalNow();
  std::vector<std::string> run{
      RunHistoryHeading(Sys().ShortDateText(now), Sys().LongTimeText(now), exitCode)};
  const std::vector<std::string> protocol = CurrentProtocolLines();
  run.insert(run.end(), protocol.begin(), protocol.end());
  return WriteLinesWhole(path, WithRunAppended(std::move(history), run, MaxRunHistoryBytes));
}

}  // namespace plovik
