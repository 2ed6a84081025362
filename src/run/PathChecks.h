// The checks of the typed input that an update run makes before it touches
// a directory: the clean-up of the directory fields, the form of the paths,
// the specification lists, and the refusal of a destination inside the
// source. A failed check is returned as what the run shows and where it
// puts the caret; the run shows the box itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/RunHost.h"
#include "core/RunRecords.h"

namespace plovik {

struct InputRefusal {
  std::string message;  // the box's text, in the current language
  InputField field;
  int caret;            // the character index the caret is put before
};

enum class PathRole { Source, Destination };
enum class SpecRole { Source, Ignore };

// A typed directory path made usable: blanks and control characters trimmed
// from both ends; a result longer than three characters expanded to a full
// path against the current directory ("." and ".." resolved) and freed of
// one trailing backslash. Shorter texts (a drive root such as C:\) stay as
// typed.
std::string CleanUpPath(const std::string& typed);

// The form of a cleaned-up path, in this order: not empty; no file
// specification ("\." not at the end, unless the path holds "\.."); no
// wildcard; a drive letter with a colon and a backslash (or slash), or two
// leading backslashes (network). A drive-relative path ("C:", "C:B", "\B"),
// which the clean-up leaves as typed when it is that short, is refused.
std::optional<InputRefusal> CheckPathForm(const std::string& path, PathRole role);

// The entries list[1..count] of a split specification text: the first one
// that is nothing but an extension (".BAK", ".", ".*") is refused, with the
// caret at its start in the entries joined by ";".
std::optional<InputRefusal> CheckSpecEntries(const SpecList& list, uint8_t count, SpecRole role);

// Whether the destination lies inside the source, or is the source: the
// destination equals the source or begins with the source followed by a
// backslash (so C:\Data\Copy is inside C:\Data, C:\DataCopy is not; a
// drive's root C:\ holds every path of its drive, \\server\share every
// path below it but not \\server\share2). Compared by the file system's
// rules without regard to letter case, on the full paths with forward
// slashes made backslashes and short (8.3) names replaced by long ones as
// far as the paths exist.
bool DestinationInsideSource(const std::string& srcPath, const std::string& dstPath);

// The refusal of a destination inside the source, quoting both paths
// without a trailing backslash, with the caret at the destination's end.
std::optional<InputRefusal> CheckContainment(const std::string& srcPath,
                                             const std::string& dstPath);

}  // namespace plovik
