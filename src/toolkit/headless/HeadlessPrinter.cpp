#include "toolkit/headless/HeadlessPrinter.h"

#include <algorithm>

#include "lib/Utf.h"
#include "toolkit/headless/Headless.h"

namespace plovik {

namespace {
// The Windows error of a call on a print document that is not open.
constexpr uint32_t ErrorNoDocument = 6;  // ERROR_INVALID_HANDLE
}  // namespace

int HeadlessPrinter::CharsPerLine() const {
  return std::max(1, metrics.pageWidth / std::max(1, metrics.textWidthX));
}

int HeadlessPrinter::LinesPerPage() const {
  return std::max(1, metrics.pageHeight / std::max(1, metrics.textHeightX));
}

Result<void> HeadlessPrinter::BeginDoc(const std::string& title) {
  if (beginDocError != 0) return Failure(beginDocError);
  if (open_) (void)EndDoc();
  documents.push_back(PrintedDocument{title, font, {{}}, false});
  open_ = true;
  line_ = 0;
  column_ = 0;
  return Success();
}

// Pending messages are processed whenever a page is finished, as the
// system's printing abort procedure does.
Result<void> HeadlessPrinter::EndDoc() {
  if (!open_) return Failure(ErrorNoDocument);
  open_ = false;
  documents.back().ended = true;
  toolkit_.ProcessMessages();
  return Success();
}

void HeadlessPrinter::Write(const std::string& text) {
  for (size_t pos = 0; pos < text.size() && open_;) {
    const size_t bytes = CharBytes(text, pos);
    const std::string character = text.substr(pos, bytes);
    pos += bytes;
    if (character == "\n") {
      ++line_;
      column_ = 0;
    } else if (character == "\f") {
      NewPage();
    } else if (character != "\r") {
      PutCharacter(character);
    }
  }
}

// A character beyond the printable width goes on in the next line, one
// below the last line of a page on the next page.
void HeadlessPrinter::PutCharacter(const std::string& character) {
  if (column_ >= CharsPerLine()) {
    ++line_;
    column_ = 0;
  }
  if (line_ >= LinesPerPage()) NewPage();
  std::vector<std::string>& page = documents.back().pages.back();
  if (page.size() <= static_cast<size_t>(line_)) page.resize(static_cast<size_t>(line_) + 1);
  page[static_cast<size_t>(line_)] += character;
  ++column_;
}

void HeadlessPrinter::NewPage() {
  documents.back().pages.emplace_back();
  line_ = 0;
  column_ = 0;
  toolkit_.ProcessMessages();
}

}  // namespace plovik
