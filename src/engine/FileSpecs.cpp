#include "engine/FileSpecs.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "core/RunHost.h"
#include "lib/Utf.h"
#include "lib/XStrings.h"
#include "platform/Platform.h"

namespace plovik {

namespace {

// Splits a UTF-8 text into its characters; a byte that starts no valid
// sequence stands for itself, so every byte sequence splits without loss.
std::vector<std::string_view> Characters(const std::string& text) {
  std::vector<std::string_view> result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t n = CharBytes(text, i);
    result.emplace_back(text.data() + i, n);
    i += n;
  }
  return result;
}

// The part of a name or specification as the matcher compares it: trimmed,
// upper-cased by the system's rules, without a leading dot.
std::string ComparablePart(const std::string& part) {
  std::string result = Sys().UpperCase(Trim(part));
  if (!result.empty() && result[0] == '.') result.erase(0, 1);
  return result;
}

}  // namespace

bool SpecListTooLong(const std::string& text) {
  return CharCount(Trim(text)) > MaxSpecListChars;
}

void SplitSpecList(std::string& text, char separator, SpecList& list, uint8_t& count) {
  count = 0;
  const std::string work = Trim(text);
  std::string rebuilt;
  size_t rebuiltChars = 0;
  size_t pos = 0;
  while (count < MaxSpecEntries) {
    while (pos < work.size() && work[pos] == separator) ++pos;
    size_t end = pos;
    while (end < work.size() && work[end] != separator) ++end;
    if (end == pos) break;
    std::string entry = work.substr(pos, end - pos);
    pos = end;

    // Whole entries only: one that would take the text past the limit ends
    // the list, as the 17th entry would.
    const size_t entryChars = CharCount(entry);
    const size_t newChars = rebuiltChars + (count > 0 ? 1 : 0) + entryChars;
    if (newChars > MaxSpecListChars) break;

    ++count;
    if (RunOptions.DebugFlag && HostInstalled()) Host().Debug(std::to_string(count) + "   " + entry);
    if (count > 1) rebuilt += separator;
    rebuilt += entry;
    rebuiltChars = newChars;
    list[count] = std::move(entry);
  }
  for (size_t i = size_t(count) + 1; i < list.size(); ++i) list[i].clear();
  text = rebuilt;
}

void SplitFileName(const std::string& path, std::string& base, std::string& extension) {
  const size_t nameStart = [&] {
    const size_t p = path.find_last_of("\\:");
    return p == std::string::npos ? size_t(0) : p + 1;
  }();
  const size_t mark = path.find_last_of(".\\:");
  if (mark != std::string::npos && path[mark] == '.') {
    extension = path.substr(mark);
  } else {
    extension.clear();
  }
  base = path.substr(nameStart, path.size() - nameStart - extension.size());
}

bool SpecIsValid(const std::string& spec) {
  std::string base;
  std::string extension;
  SplitFileName(spec, base, extension);
  return extension != spec;
}

namespace {

// Matches parts already made comparable (ComparablePart).
bool MatchComparableParts(const std::string& textPart, const std::string& patternPart) {
  const bool patternHasStar = patternPart.find('*') != std::string::npos;

  if (textPart.empty()) return patternPart.empty() || patternPart[0] == '*';

  const std::vector<std::string_view> t = Characters(textPart);
  const std::vector<std::string_view> p = Characters(patternPart);
  if (t.size() != p.size() && !patternHasStar) return false;

  for (size_t i = 0; i < p.size() && i < t.size(); ++i) {
    if (p[i] == "*") return true;
    if (p[i] != "?" && p[i] != t[i]) return false;
  }
  return true;
}

// A name's base and extension, made comparable once for all the
// specifications it is matched against.
struct ComparableName {
  std::string base;
  std::string extension;
};

ComparableName ComparableNameOf(const std::string& name) {
  std::string base, extension;
  SplitFileName(name, base, extension);
  return {ComparablePart(base), ComparablePart(extension)};
}

bool MatchComparable(const ComparableName& name, const std::string& spec) {
  std::string specBase, specExtension;
  SplitFileName(spec, specBase, specExtension);
  return MatchComparableParts(name.base, ComparablePart(specBase)) &&
         MatchComparableParts(name.extension, ComparablePart(specExtension));
}

}  // namespace

bool MatchNamePart(const std::string& text, const std::string& pattern) {
  return MatchComparableParts(ComparablePart(text), ComparablePart(pattern));
}

bool MatchFileSpec(const std::string& name, const std::string& spec) {
  return MatchComparable(ComparableNameOf(name), spec);
}

bool MatchSpecList(const std::string& name, const SpecList& list, uint8_t count) {
  const size_t last = std::min<size_t>(count, MaxSpecEntries);
  if (last == 0) return false;
  const ComparableName comparable = ComparableNameOf(name);
  for (size_t i = 1; i <= last; ++i) {
    if (MatchComparable(comparable, list[i])) return true;
  }
  return false;
}

}  // namespace plovik
