// The text model of an INI file: sections of keys kept in their order,
// looked up without regard to letter case (ASCII letters), read from and
// written to one text.
//
// Reading: every line is trimmed of blanks and control characters; empty
// lines and lines starting with ";" are dropped, "[name]" opens a section,
// a line with "=" is a key (text before the first "=", trimmed) with its
// value (the rest, trimmed); lines before the first section and other lines
// are dropped. Writing: each section as "[name]", one "key=value" line per
// key and one empty line, all ended by CR LF. Sections and keys keep their
// places; new keys go to the end of their section, new sections to the end.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plovik {

// An integer as the settings file writes it: decimal with an optional sign,
// or hexadecimal after "$", "0x" or "0X" (up to 8 digits, taken as the bits
// of a signed 32-bit value). nullopt for any other text.
std::optional<int32_t> ParseIniInteger(const std::string& text);

class IniFile {
 public:
  IniFile() = default;
  // Parses a whole file's text (lines ended by CR LF, LF or CR).
  explicit IniFile(const std::string& text);

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const;
  // A missing key, or a value that is no integer, gives the default.
  int32_t ReadInteger(const std::string& section, const std::string& key,
                      int32_t defaultValue) const;
  // Read as an integer: anything but 0 is true.
  bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;
  bool HasKey(const std::string& section, const std::string& key) const;

  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int32_t value);
  // "1" or "0".
  void WriteBool(const std::string& section, const std::string& key, bool value);

  // The whole file as text, every line ended by CR LF.
  std::string Text() const;

 private:
  struct Entry {
    std::string key;
    std::string value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };
  const Section* FindSection(const std::string& name) const;
  Section& SectionForWriting(const std::string& name);
  const std::string* FindValue(const std::string& section, const std::string& key) const;

  std::vector<Section> sections_;
};

}  // namespace plovik
