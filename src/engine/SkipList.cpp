#include "engine/SkipList.h"

#include <vector>

#include "lib/Utf.h"
#include "lib/XStrings.h"
#include "platform/Platform.h"

namespace plovik {

namespace {

constexpr const char* SkipListFileName = "SKIPLIST.INI";
constexpr uint32_t ReadChunk = 64 * 1024;
constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view Utf16LeByteOrderMark = "\xFF\xFE";
constexpr std::string_view Utf16BeByteOrderMark = "\xFE\xFF";

// The code points of Windows-1252 for the bytes 0x80..0x9F; the five bytes
// the code page leaves undefined map to the control code of the same value,
// as the system's conversion does.
constexpr char32_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::string Cp1252ToUtf8(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char ch : bytes) {
    const unsigned char b = static_cast<unsigned char>(ch);
    if (b >= 0x80 && b < 0xA0) {
      AppendUtf8(out, Cp1252High[b - 0x80]);
    } else {
      AppendUtf8(out, b);
    }
  }
  return out;
}

std::u16string Utf16Units(const std::string& bytes, size_t start, bool bigEndian) {
  std::u16string units;
  units.reserve((bytes.size() - start) / 2);
  for (size_t i = start; i + 1 < bytes.size(); i += 2) {
    const auto lo = static_cast<unsigned char>(bytes[i + (bigEndian ? 1 : 0)]);
    const auto hi = static_cast<unsigned char>(bytes[i + (bigEndian ? 0 : 1)]);
    units += static_cast<char16_t>(lo | (hi << 8));
  }
  return units;
}

// The file's text as UTF-8. UTF-8 (with or without its byte-order mark) is
// taken as it is; a file that starts with a UTF-16 byte-order mark is
// converted from UTF-16; any other bytes are read as Windows-1252.
std::string DecodeText(const std::string& bytes) {
  if (bytes.compare(0, Utf8ByteOrderMark.size(), Utf8ByteOrderMark) == 0) {
    const std::string rest = bytes.substr(Utf8ByteOrderMark.size());
    return IsValidUtf8(rest) ? rest : Cp1252ToUtf8(rest);
  }
  if (bytes.compare(0, Utf16LeByteOrderMark.size(), Utf16LeByteOrderMark) == 0)
    return Utf16ToUtf8(Utf16Units(bytes, Utf16LeByteOrderMark.size(), false));
  if (bytes.compare(0, Utf16BeByteOrderMark.size(), Utf16BeByteOrderMark) == 0)
    return Utf16ToUtf8(Utf16Units(bytes, Utf16BeByteOrderMark.size(), true));
  return IsValidUtf8(bytes) ? bytes : Cp1252ToUtf8(bytes);
}

// Lines ended by CR LF, LF or CR; text after the last break is a line too.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.push_back(text.substr(start, i - start));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = ++i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// A line without its comment and without blanks at both ends.
std::string LineContent(const std::string& line) { return Trim(line.substr(0, line.find(';'))); }

// Finds the skip list file of a directory (any letter case; read-only,
// hidden, system and archive files, never a directory). Empty when none;
// fails when the search broke off before the file came.
Result<std::string> FindSkipListFile(const std::string& directory) {
  // Most directories have none: the quick question for the name settles
  // that without a search (which takes far longer on some systems).
  if (Sys().GetAttributes(directory + SkipListFileName).Error() == ErrorFileNotFound)
    return std::string();
  Result<std::unique_ptr<DirSearch>> search = Sys().StartSearch(directory + SkipListFileName);
  if (!search) return std::string();
  for (;;) {
    const Result<std::optional<DirEntry>> next = (*search)->Next();
    if (!next) return Failure(next.Error());
    if (!*next) return std::string();
    if (((*next)->attributes & (AttrDirectory | AttrVolumeId)) == 0)
      return directory + (*next)->name;
  }
}

// Reads a whole file.
Result<std::string> ReadWholeFile(const std::string& path) {
  Result<FileHandle> file =
      Sys().OpenFile(path, FileAccess::Read, FileShare::Read | FileShare::Write,
                     FileDisposition::OpenExisting, FileFlags::SequentialScan);
  if (!file) return Failure(file.Error());
  std::string bytes;
  std::vector<char> chunk(ReadChunk);
  for (;;) {
    const Result<uint32_t> done = (*file)->Read(chunk.data(), ReadChunk);
    if (!done) return Failure(done.Error());
    if (*done == 0) return bytes;
    bytes.append(chunk.data(), *done);
  }
}

}  // namespace

SkipListEntries ReadSkipList(const std::string& directory, int section) {
  SkipListEntries result;
  std::string dir = directory;
  if (dir.empty() || dir.back() != '\\') dir += '\\';

  const Result<std::string> found = FindSkipListFile(dir);
  if (!found) {
    result.error = found.Error();
    return result;
  }
  const std::string& path = *found;
  if (path.empty()) return result;

  std::string marker;
  if (section == SkipSubDirectories) {
    marker = "[SUBDIRECTORIES]";
  } else if (section == SkipFiles) {
    marker = "[FILES]";
  } else {
    return result;
  }

  const Result<std::string> bytes = ReadWholeFile(path);
  if (!bytes) {
    result.error = bytes.Error();
    return result;
  }
  const std::vector<std::string> lines = SplitLines(DecodeText(*bytes));

  size_t next = 0;
  std::string line;
  while (next < lines.size() && result.count < MaxSpecEntries) {
    // Section search; the line that ended the previous section is tested
    // first, so a repeated marker continues the entry list directly.
    while (next < lines.size() && Sys().UpperCase(line).find(marker) == std::string::npos) {
      line = LineContent(lines[next++]);
    }
    bool ended = false;
    while (!ended && next < lines.size() && result.count < MaxSpecEntries) {
      line = LineContent(lines[next++]);
      ended = line.find('[') != std::string::npos;
      if (!ended && !line.empty()) result.entries[++result.count] = Sys().UpperCase(line);
    }
  }
  return result;
}

}  // namespace plovik
