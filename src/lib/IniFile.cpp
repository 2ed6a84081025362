#include "lib/IniFile.h"

#include <limits>

#include "lib/XStrings.h"

namespace plovik {

namespace {

constexpr const char* LineEnd = "\r\n";
constexpr size_t MaxHexDigits = 8;

bool SameIniName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const char lower = AsciiLower(c);
  if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
  return -1;
}

std::optional<int32_t> ParseHex(const std::string& digits, bool negative) {
  if (digits.empty() || digits.size() > MaxHexDigits) return std::nullopt;
  uint32_t value = 0;
  for (const char c : digits) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<uint32_t>(digit);
  }
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

std::optional<int32_t> ParseDecimal(const std::string& digits, bool negative) {
  if (digits.empty()) return std::nullopt;
  int64_t value = 0;
  const int64_t limit = int64_t(std::numeric_limits<int32_t>::max()) + (negative ? 1 : 0);
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > limit) return std::nullopt;
  }
  return static_cast<int32_t>(negative ? -value : value);
}

}  // namespace

std::optional<int32_t> ParseIniInteger(const std::string& text) {
  size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
    negative = text[pos] == '-';
    ++pos;
  }
  if (pos < text.size() && text[pos] == '$') return ParseHex(text.substr(pos + 1), negative);
  if (pos + 1 < text.size() && text[pos] == '0' && AsciiLower(text[pos + 1]) == 'x') {
    return ParseHex(text.substr(pos + 2), negative);
  }
  return ParseDecimal(text.substr(pos), negative);
}

IniFile::IniFile(const std::string& text) {
  Section* current = nullptr;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
      current = &SectionForWriting(Trim(line.substr(1, line.size() - 2)));
      continue;
    }
    const size_t equals = line.find('=');
    if (current == nullptr || equals == std::string::npos) continue;
    const std::string key = Trim(line.substr(0, equals));
    const std::string value = Trim(line.substr(equals + 1));
    // A key that stands twice keeps its first place and first value, as a
    // look-up finds the first one.
    bool known = false;
    for (const Entry& entry : current->entries) known = known || SameIniName(entry.key, key);
    if (!known) current->entries.push_back(Entry{key, value});
  }
}

const IniFile::Section* IniFile::FindSection(const std::string& name) const {
  for (const Section& section : sections_) {
    if (SameIniName(section.name, name)) return &section;
  }
  return nullptr;
}

IniFile::Section& IniFile::SectionForWriting(const std::string& name) {
  for (Section& section : sections_) {
    if (SameIniName(section.name, name)) return section;
  }
  sections_.push_back(Section{name, {}});
  return sections_.back();
}

const std::string* IniFile::FindValue(const std::string& section, const std::string& key) const {
  const Section* found = FindSection(section);
  if (found == nullptr) return nullptr;
  for (const Entry& entry : found->entries) {
    if (SameIniName(entry.key, key)) return &entry.value;
  }
  return nullptr;
}

bool IniFile::HasKey(const std::string& section, const std::string& key) const {
  return FindValue(section, key) != nullptr;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const {
  const std::string* value = FindValue(section, key);
  return value != nullptr ? *value : defaultValue;
}

int32_t IniFile::ReadInteger(const std::string& section, const std::string& key,
                             int32_t defaultValue) const {
  const std::string* value = FindValue(section, key);
  if (value == nullptr) return defaultValue;
  return ParseIniInteger(*value).value_or(defaultValue);
}

bool IniFile::ReadBool(const std::string& section, const std::string& key,
                       bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
  Section& target = SectionForWriting(section);
  for (Entry& entry : target.entries) {
    if (SameIniName(entry.key, key)) {
      entry.value = value;
      return;
    }
  }
  target.entries.push_back(Entry{key, value});
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

std::string IniFile::Text() const {
  std::string text;
  for (const Section& section : sections_) {
    text += "[" + section.name + "]" + LineEnd;
    for (const Entry& entry : section.entries) text += entry.key + "=" + entry.value + LineEnd;
    text += LineEnd;
  }
  return text;
}

}  // namespace plovik
