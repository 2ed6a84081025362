#include "lib/WinErrors.h"

#include "lib/Utf.h"
#include "lib/XStrings.h"

namespace plovik {

namespace {
ErrorTextSource errorTextSource = nullptr;
// The system's texts are fetched into a buffer of 256 characters, of which
// at most 255 are filled.
constexpr size_t MaxErrorTextChars = 255;
}  // namespace

void SetErrorTextSource(ErrorTextSource source) { errorTextSource = source; }

std::string WinErrorText(uint32_t code, bool oneLine) {
  if (errorTextSource == nullptr) return std::string();
  std::string text = CharPrefix(errorTextSource(code), MaxErrorTextChars);
  if (!oneLine) return text;
  text = Trim(text);
  std::string joined;
  joined.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      joined += ' ';
      ++i;
    } else {
      joined += text[i];
    }
  }
  return joined;
}

}  // namespace plovik
