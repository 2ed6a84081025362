#include "run/PathChecks.h"

#include "core/RunRecords.h"
#include "engine/FileSpecs.h"
#include "lib/Utf.h"
#include "lib/XStrings.h"
#include "platform/Platform.h"

namespace plovik {

namespace {

// Paths of this many characters or fewer (drive roots) are taken as typed.
constexpr size_t LongestRootChars = 3;

int CharIndex(const std::string& text, size_t byteOffset) {
  return static_cast<int>(CharCount(text.substr(0, byteOffset)));
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// A drive letter with a colon and a backslash, or a network path (two
// backslashes). Drive-relative forms are not: "C:" and "C:B" (the current
// directory of drive C:), "\\B" (the root of the current drive).
bool HasDriveOrNetworkForm(const std::string& path) {
  if (!path.empty() && path[0] == '\\') return path.size() >= 2 && path[1] == '\\';
  return path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == ':' && IsSeparator(path[2]);
}

std::string WithoutTrailingBackslash(std::string path) {
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

InputField FieldOf(PathRole role) {
  return role == PathRole::Source ? InputField::EditSrcDir : InputField::EditDstDir;
}

std::optional<InputRefusal> CheckNotEmpty(const std::string& path, PathRole role) {
  if (!path.empty()) return std::nullopt;
  const char* message = role == PathRole::Source
                            ? InLanguage("Source directory not specified.",
                                   "Quell-Verzeichnis nicht angegeben.")
                            : InLanguage("Destination directory not specified.",
                                   "Ziel-Verzeichnis nicht angegeben.");
  return InputRefusal{message, FieldOf(role), 0};
}

// "\." that is not the path's end, unless the path climbs with "\..".
std::optional<InputRefusal> CheckNoFileSpec(const std::string& path, PathRole role) {
  const size_t at = path.find("\\.");
  if (at == std::string::npos || at + 2 >= path.size()) return std::nullopt;
  if (path.find("\\..") != std::string::npos) return std::nullopt;
  const char* message = role == PathRole::Source
                            ? InLanguage("Source path contains file specification:",
                                   "Der Quellpfad enth\xC3\xA4lt eine Dateispezifikation:")
                            : InLanguage("Destination path contains file specification:",
                                   "Der Zielpfad enth\xC3\xA4lt eine Dateispezifikation:");
  return InputRefusal{std::string(message) + "\r" + path, FieldOf(role), CharIndex(path, at) + 1};
}

std::optional<InputRefusal> CheckNoWildcard(const std::string& path, PathRole role) {
  size_t at = path.find('*');
  if (at == std::string::npos) at = path.find('?');
  if (at == std::string::npos) return std::nullopt;
  const char* message = role == PathRole::Source
                            ? InLanguage("Source path contains wildcard specification:",
                                   "Der Quellpfad enth\xC3\xA4lt ein Jokerzeichen:")
                            : InLanguage("Destination path contains wildcard specification:",
                                   "Der Zielpfad enth\xC3\xA4lt ein Jokerzeichen:");
  return InputRefusal{std::string(message) + "\r" + path, FieldOf(role), CharIndex(path, at) + 1};
}

std::optional<InputRefusal> CheckDriveForm(const std::string& path, PathRole role) {
  if (HasDriveOrNetworkForm(path)) return std::nullopt;
  const std::string message =
      role == PathRole::Source
          ? InLanguage("Source directory  ", "Quell-Verzeichnis  ") + path +
                InLanguage("  names neither a drive nor a network path.",
                     "  nennt weder ein Laufwerk noch einen Netzwerkpfad.")
          : InLanguage("Destination directory  ", "Ziel-Verzeichnis  ") + path +
                InLanguage("  names neither a drive nor a network path.",
                     "  nennt weder ein Laufwerk noch einen Netzwerkpfad.");
  return InputRefusal{message, FieldOf(role), static_cast<int>(CharCount(path))};
}

// The longest leading part of a full path that exists, with its short
// names replaced by long ones, followed by the rest as it stands.
std::string WithLongNames(const std::string& path) {
  std::string head = path;
  std::string tail;
  for (;;) {
    const Result<std::string> longName = Sys().LongPathName(head);
    if (longName) return *longName + tail;
    const size_t cut = head.find_last_of('\\');
    // Stop before the root: "C:" alone would name the current directory.
    if (cut == std::string::npos || cut < LongestRootChars) return path;
    tail = head.substr(cut) + tail;
    head.erase(cut);
  }
}

std::string ComparableForm(const std::string& path) {
  std::string form = path;
  for (char& c : form)
    if (c == '/') c = '\\';
  if (CharCount(form) > LongestRootChars) {
    const Result<std::string> full = Sys().FullPathName(form);
    if (full) form = *full;
  }
  return WithLongNames(form);
}

// Whether text begins with prefix, the leading stretch of text compared
// with prefix by the file system's rules (whole characters, without regard
// to case).
bool BeginsWithSameName(const std::string& text, const std::string& prefix) {
  const size_t prefixChars = CharCount(prefix);
  size_t end = 0;
  size_t chars = 0;
  for (; chars < prefixChars && end < text.size(); ++chars) end += CharBytes(text, end);
  return chars == prefixChars && Sys().SameName(text.substr(0, end), prefix);
}

std::string WithoutTrailingBackslashes(std::string path) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

}  // namespace

std::string CleanUpPath(const std::string& typed) {
  std::string path = Trim(typed);
  if (CharCount(path) <= LongestRootChars) return path;
  const Result<std::string> full = Sys().FullPathName(path);
  if (full) path = *full;
  if (CharCount(path) > LongestRootChars) path = WithoutTrailingBackslash(path);
  return path;
}

std::optional<InputRefusal> CheckPathForm(const std::string& path, PathRole role) {
  if (auto refusal = CheckNotEmpty(path, role)) return refusal;
  if (auto refusal = CheckNoFileSpec(path, role)) return refusal;
  if (auto refusal = CheckNoWildcard(path, role)) return refusal;
  return CheckDriveForm(path, role);
}

std::optional<InputRefusal> CheckSpecEntries(const SpecList& list, uint8_t count,
                                             SpecRole role) {
  int caret = 0;
  for (int i = 1; i <= count && i <= MaxSpecEntries; ++i) {
    const std::string& entry = list[static_cast<size_t>(i)];
    if (!SpecIsValid(entry)) {
      const char* message =
          role == SpecRole::Source
              ? InLanguage("Invalid source file specification:  ",
                     "Ung\xC3\xBCltige Quelldateispezifikation:  ")
              : InLanguage("Invalid ignore file specification:  ",
                     "Ung\xC3\xBCltige Spezifikation der zu ignorierenden Dateien:  ");
      const InputField field =
          role == SpecRole::Source ? InputField::ComboBoxSrcFile : InputField::ComboBoxIgnFile;
      return InputRefusal{message + entry, field, caret};
    }
    caret += static_cast<int>(CharCount(entry)) + 1;
  }
  return std::nullopt;
}

bool DestinationInsideSource(const std::string& srcPath, const std::string& dstPath) {
  // A drive's root loses its backslash here ("C:"), so that it is followed
  // by one in every path of its drive.
  const std::string src = WithoutTrailingBackslashes(ComparableForm(srcPath));
  const std::string dst = WithoutTrailingBackslashes(ComparableForm(dstPath));
  if (src.empty()) return false;
  if (CharCount(dst) == CharCount(src)) return Sys().SameName(dst, src);
  return BeginsWithSameName(dst, src + "\\");
}

std::optional<InputRefusal> CheckContainment(const std::string& srcPath,
                                             const std::string& dstPath) {
  if (!DestinationInsideSource(srcPath, dstPath)) return std::nullopt;
  const std::string src = WithoutTrailingBackslash(srcPath);
  const std::string dst = WithoutTrailingBackslash(dstPath);
  const std::string message =
      LanguageIndex == 1
          ? "Ziel  \t\t" + dst + "\rin der Quelle  \t" + src + "  enthalten"
          : "Destination  \t\t" + dst + "\rcontained in source  \t" + src;
  return InputRefusal{message, InputField::EditDstDir, static_cast<int>(CharCount(dstPath))};
}

}  // namespace plovik
