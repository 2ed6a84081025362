#include "run/RunSummary.h"

#include <cstdio>
#include <string>
#include <vector>

#include "lib/XStrings.h"
#include "core/RunHost.h"
#include "core/RunRecords.h"

namespace plovik {

namespace {

constexpr char Separator = ',';
constexpr uint8_t CountWidth = 7;

// A counter of the block, right-aligned in its column.
std::string CountText(int32_t value) { return FormatCount(value, Separator, CountWidth); }

// The attribute line: the count right-aligned in width, then the text; for
// exactly one the character at singularAt (0-based) becomes a blank, so the
// singular keeps the plural's length.
std::string AttributeLine(int32_t value, uint8_t width, std::string text, size_t singularAt) {
  if (value == 1) text[singularAt] = ' ';
  return FormatCount(value, Separator, width) + text;
}

std::vector<std::string> EnglishBlock(const TRunCounters& c) {
  std::vector<std::string> lines;
  lines.push_back("Subdirectories: " + CountText(c.SubDirsScanned) + " scanned" +
                  CountText(c.SubDirsCreated) + " created" + CountText(c.SubDirsSkipped) +
                  " skipped");
  lines.push_back("");
  lines.push_back(AttributeLine(c.SubDirAttributesUpdated, 23, " attributes updated", 10));
  lines.push_back("");
  lines.push_back("Files:          " + CountText(c.FilesFound) + " found  " +
                  CountText(c.FilesCopied) + " copied " + CountText(c.FilesSkipped) +
                  " skipped" + CountText(c.FilesIgnored) + " ignored");
  lines.push_back("");
  lines.push_back(AttributeLine(c.FileAttributesUpdated, 23, " attributes updated", 10));
  lines.push_back("");
  return lines;
}

std::vector<std::string> GermanBlock(const TRunCounters& c) {
  std::vector<std::string> lines;
  lines.push_back("Unterverzeichnisse: " + CountText(c.SubDirsScanned) + " durchsucht" +
                  CountText(c.SubDirsCreated) + " erzeugt   " + CountText(c.SubDirsSkipped) +
                  " übergangen");
  lines.push_back("");
  lines.push_back(AttributeLine(c.SubDirAttributesUpdated, 27, " Attribute aktualisiert", 9));
  lines.push_back("");
  lines.push_back("Dateien:            " + CountText(c.FilesFound) + " gefunden  " +
                  CountText(c.FilesCopied) + " kopiert   " + CountText(c.FilesSkipped) +
                  " übergangen" + CountText(c.FilesIgnored) + " ignoriert ");
  lines.push_back("");
  lines.push_back(AttributeLine(c.FileAttributesUpdated, 27, " Attribute aktualisiert", 9));
  lines.push_back("");
  return lines;
}

// The drive line needs both byte counts and a drive letter; a network
// destination has none of them.
bool HasDestinationLine(const TRunCounters& c) {
  return c.DstBytesTotal >= 0 && c.DstBytesFree >= 0 && c.DstDriveLetter != 0;
}

std::string DestinationLine(const TRunCounters& c) {
  const std::string letter(1, c.DstDriveLetter);
  const std::string total = FormatBytes(c.DstBytesTotal, Separator);
  const std::string free = FormatBytes(c.DstBytesFree, Separator);
  if (LanguageIndex == 1) {
    return "Ziel  " + letter + ":                  " + total + " Byte gesamt          " + free +
           " Byte frei";
  }
  return "Destination " + letter + ":        " + total + " bytes total       " + free +
         " bytes free";
}

}  // namespace

std::string UnattendedSummaryLine(int automaticAnswers, int failureLines, uint64_t elapsedMs) {
  const uint64_t seconds = elapsedMs / 1000;
  char elapsed[32];
  std::snprintf(elapsed, sizeof elapsed, "%llu:%02llu:%02llu",
                static_cast<unsigned long long>(seconds / 3600),
                static_cast<unsigned long long>(seconds / 60 % 60),
                static_cast<unsigned long long>(seconds % 60));
  return InLanguage("Unattended: automatic answers ", "Unbeaufsichtigt: automatische Antworten ") +
         std::to_string(automaticAnswers) + InLanguage(", failure lines ", ", Fehlerzeilen ") +
         std::to_string(failureLines) + InLanguage(", elapsed ", ", Laufzeit ") + elapsed;
}

void WriteRunSummary(const TRunCounters& counters) {
  std::vector<std::string> lines =
      LanguageIndex == 1 ? GermanBlock(counters) : EnglishBlock(counters);
  if (HasDestinationLine(counters)) lines.push_back(DestinationLine(counters));
  Host().ProtocolBlock(lines);
}

}  // namespace plovik
