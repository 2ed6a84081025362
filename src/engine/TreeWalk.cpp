#include "engine/TreeWalk.h"

#include <cstdio>
#include <memory>
#include <unordered_map>
#include <utility>

#include "engine/FileSpecs.h"
#include "engine/Files.h"
#include "engine/SkipList.h"
#include "lib/PackedDate.h"
#include "lib/WinErrors.h"
#include "lib/XStrings.h"
#include "platform/Platform.h"
#include "core/Drives.h"
#include "core/RunRecords.h"
#include "core/SubDirs.h"
#include "toolkit/Toolkit.h"
#include "core/Protocol.h"

namespace plovik {

namespace {

constexpr uint32_t KeptDestinationBits = AttrTemporary | AttrCompressed | AttrOffline;
constexpr uint32_t CopyBufferSize = 65536;
constexpr int DryRunCreateResult = SubDirCreated;

bool German() { return LanguageIndex == 1; }

// What the walk knows of the destination drive's free space: the last
// answer of the drive, less what the walk has copied since. The drive is
// asked again only when that estimate does not prove that a file fits, so
// a walk over many small files does not query the drive for each of them.
struct FreeSpaceEstimate {
  char drive = '\0';
  bool known = false;
  int64_t bytes = 0;
};
FreeSpaceEstimate freeSpace;
int walkDepth = 0;

// What the copy needs to know of the drives the walk copies between, asked
// once per walk instead of for every file: the sector size (0 when the
// drive does not tell; the copy then asks it itself) and whether files there
// can carry named streams. A path without a drive letter is never cached.
struct DriveFacts {
  uint32_t sectorBytes[26] = {};
  bool streams[26] = {};
  bool asked[26] = {};
  bool Ask(char letter) {
    if (letter < 'A' || letter > 'Z') return false;
    const int i = letter - 'A';
    if (!asked[i]) {
      sectorBytes[i] = DriveSectorSize(letter);
      streams[i] = Sys().NamedStreamsPossible(letter);
      asked[i] = true;
    }
    return true;
  }
  uint32_t SectorSize(char letter) { return Ask(letter) ? sectorBytes[letter - 'A'] : 0; }
  bool NamedStreams(char letter) { return Ask(letter) ? streams[letter - 'A'] : true; }
};
DriveFacts driveFacts;

// WalkTree's work for one directory; the subdirectories go back through
// WalkTree.
void WalkDirectory(std::string srcDir, std::string dstDir);

int64_t FreeSpaceFor(char drive, int64_t needed) {
  if (freeSpace.known && freeSpace.drive == drive && freeSpace.bytes >= needed)
    return freeSpace.bytes;
  freeSpace.drive = drive;
  freeSpace.bytes = DriveFreeSpace(drive);
  freeSpace.known = freeSpace.bytes >= 0;
  return freeSpace.bytes;
}

void SpaceUsed(char drive, int64_t bytes) {
  if (freeSpace.known && freeSpace.drive == drive) freeSpace.bytes -= bytes;
}

bool RunEnded() { return RunState.AbortRequested || RunState.RunDialogAnswer == ModalAbort; }

std::string P(const std::string& path) {
  int width = ProtocolPathChars;
  if (width < 0) width = 0;
  if (width > 0xFFFF) width = 0xFFFF;
  return ShortenPath(path, static_cast<uint16_t>(width));
}

std::string WithoutTrailingBackslash(const std::string& dir) {
  if (!dir.empty() && dir.back() == '\\') return dir.substr(0, dir.size() - 1);
  return dir;
}

bool IsNetworkPath(const std::string& path) { return !path.empty() && path[0] == '\\'; }

bool ActionLinesWanted() { return !RunOptions.QuietFlag; }
bool ReportLinesWanted() { return RunOptions.ReportFlag && !RunOptions.QuietFlag; }

void Debug(const std::string& line) {
  if (RunOptions.DebugFlag) DebugAdd(line);
}

// Beeps, shows an error dialog with the buttons and keeps its answer as the
// run's dialog answer.
int16_t AskUser(const std::string& text, uint32_t buttons) {
  Sys().Beep(BeepKind::Exclamation);
  int answer = Tk().MessageDialog(text, DialogType::Error, buttons, 0);
  RunState.RunDialogAnswer = static_cast<int16_t>(answer);
  return RunState.RunDialogAnswer;
}

bool IsFileEntry(const DirEntry& entry) {
  return (entry.attributes & (AttrDirectory | AttrVolumeId)) == 0;
}

bool IsSubDirEntry(const DirEntry& entry) {
  return (entry.attributes & AttrDirectory) != 0 && entry.name != "." && entry.name != "..";
}

// The next entry of a search that passes the filter; false at the end.
template <typename Filter>
bool NextEntry(DirSearch& search, DirEntry& entry, Filter accept) {
  while (search.Next(entry)) {
    if (accept(entry)) return true;
  }
  return false;
}

// Reads one section of a directory's skip list. A list file that exists but
// cannot be read is reported and taken as empty, so the run goes on.
SkipListEntries ReadSkipSection(const std::string& srcDir, int section) {
  SkipListEntries list = ReadSkipList(srcDir, section);
  if (list.error != 0) {
    const std::string path = srcDir + "SKIPLIST.INI";
    const std::string reason = Trim(WinErrorText(list.error, true));
    if (German())
      ProtocolFailure("Die Skip-Liste  " + path + "  kann nicht gelesen werden: " + reason);
    else
      ProtocolFailure("Skip list file  " + path + "  cannot be read: " + reason);
    list.count = 0;
  }
  return list;
}

}  // namespace

std::string CreateSubDirFailureText(int32_t code, const std::string& dstDir) {
  const std::string x(1, DriveLetterOf(dstDir));
  if (German()) {
    switch (code) {
      case SubDirRefused:
        return "Das Zielverzeichnis " + dstDir + " kann nicht angelegt werden." + "\r" +
               "Zugriff verweigert (das Laufwerk oder Verzeichnis ist schreibgeschützt).";
      case SubDirDriveFull: return "Das Ziellaufwerk " + x + ": ist voll.";
      case SubDirDriveNotReady: return "Das Ziellaufwerk " + x + ": ist nicht bereit.";
      case SubDirNoDrive: return "Das Ziellaufwerk " + x + ": existiert nicht.";
      default:
        return "Das Zielverzeichnis " + dstDir + " kann nicht angelegt werden." + "\r" +
               "Fehlercode beim Erstellen des Unterverzeichnisses=" + std::to_string(code);
    }
  }
  switch (code) {
    case SubDirRefused:
      return "Destination subdirectory " + dstDir + " cannot be created." + "\r" +
             "Access denied (drive or directory is write protectetd).";
    case SubDirDriveFull: return "Destination drive " + x + ": is full.";
    case SubDirDriveNotReady: return "Destination drive " + x + ": is not ready.";
    case SubDirNoDrive: return "Destination drive " + x + ": does not exist.";
    default:
      return "Destination subdirectory " + dstDir + " cannot be created." + "\r" +
             "CreateSubDirError=" + std::to_string(code);
  }
}

namespace {

uint32_t CopyFailureButtons(int32_t result) {
  switch (result) {
    case CopyNoSpace:
    case CopyDriveFull: return ButtonAbort | ButtonIgnore;
    case CopyAccessDenied: return ButtonAbort | ButtonRetry;
    default: return ButtonAbort | ButtonRetry | ButtonIgnore;
  }
}

std::string CopyHeading(const std::string& srcDir, const std::string& dstDir,
                        const std::string& name) {
  if (German())
    return "Die Datei  " + srcDir + name + "\r" + "kann nicht nach  " + dstDir +
           "  kopiert werden";
  return "File  " + srcDir + name + "\r" + "cannot be copied to  " + dstDir;
}

// The copy decision: a missing destination is always copied; an existing one
// only when the source is newer by more than 3 units (about six seconds),
// and with the one-hour tolerance not when the sizes agree and the
// difference is one hour give or take 3 units.
bool FileNeedsCopy(const DirEntry& source, bool dstExists, int32_t dstDate, uint64_t dstSize) {
  if (!dstExists) return true;
  const int64_t diff = PackedDateDiff(source.packedDate, dstDate);
  if (diff <= 3) return false;
  if (!RunOptions.IgnoreFileAgeOneHourDiffFlag) return true;
  if (source.size != dstSize) return true;
  int64_t offHour = diff - RunOptions.OneHour;
  if (offHour < 0) offHour = -offHour;
  return offHour > 3;
}

// Copies one file with its attempt loop and reports the outcome. Returns
// after the failure line; the caller looks at RunDialogAnswer.
void CopyOneFile(const std::string& srcDir, const std::string& dstDir, const DirEntry& file,
                 uint64_t dstSize) {
  const std::string srcPath = srcDir + file.name;
  const std::string dstPath = dstDir + file.name;
  const char drive = DriveLetterOf(dstDir);
  const bool network = IsNetworkPath(dstDir);

  if (ActionLinesWanted()) {
    ProtocolAdd("COPY   " + P(srcPath));
    Debug("COPY   " + P(srcPath) + " " + dstPath);
  }
  std::string heading = CopyHeading(srcDir, dstDir, file.name);

  int32_t result = CopyOk;
  int32_t error = 0;
  bool spaceMissing = false;
  CopyHints hints;
  hints.dstOldSize = static_cast<int64_t>(dstSize);
  hints.sourceStamp.lastWrite = file.lastWrite;
  hints.sourceStamp.attributes = file.attributes;
  hints.streamsPossible = driveFacts.NamedStreams(DriveLetterOf(srcDir));
  if (!network) {
    const int64_t needed = static_cast<int64_t>(file.size) - static_cast<int64_t>(dstSize);
    const int64_t freeBytes = FreeSpaceFor(drive, needed);
    // Free space that the walk has just seen to be enough spares the copy
    // its own question; otherwise the copy asks the drive.
    if (freeBytes >= 0 && freeBytes >= needed && freeBytes > 0) hints.dstFreeBytes = freeBytes;
    if (needed > freeBytes) {
      AskUser(heading + "\r" + CopyResultText(CopyNoSpace, drive, 0), ButtonAbort | ButtonIgnore);
      result = CopyNoSpace;
      spaceMissing = true;
    }
  }

  if (!spaceMissing) {
    do {
      RunState.RunDialogAnswer = ModalRetry;
      error = 0;
      if (RunOptions.NoUpdateFlag) {
        result = CopyOk;
      } else if (RunOptions.VerifyFlag && !network) {
        CopyFileVerified(srcPath, dstPath, CopyBufferSize, error, result,
                         RunState.RunDialogAnswer, true, RunOptions.VerifyFlag,
                         driveFacts.SectorSize(drive), driveFacts.SectorSize(DriveLetterOf(srcDir)),
                         hints);
        // A retry asks the drive afresh.
        hints.dstFreeBytes = -1;
      } else {
        const uint32_t code = CopyFilePlain(srcPath, dstPath, hints).Error();
        error = static_cast<int32_t>(code);
        result = CopyResultFromWinError(code);
      }
      if (result > 0) {
        if (result != CopyAborted) Sys().Beep(BeepKind::Exclamation);
        if (dstDir.size() > 3 && !heading.empty() && heading.back() == '\\') heading.pop_back();
        const std::string text = CopyResultText(result, drive, static_cast<uint32_t>(error));
        std::string errorText;
        if (result == CopyWindowsError) errorText = WinErrorText(static_cast<uint32_t>(error), false);
        if (result != CopyAborted) {
          std::string message = heading + "\r" + text;
          if (result == CopyWindowsError) message += "\r" + errorText;
          const int answer =
              Tk().MessageDialog(message, DialogType::Error, CopyFailureButtons(result), 0);
          RunState.RunDialogAnswer = static_cast<int16_t>(answer);
        } else if (RunState.RunDialogAnswer == ModalRetry) {
          // An aborted copy that left no answer (the plain copy reports the
          // abort only through its error code) is passed over like Ignore,
          // so the attempt is never repeated by itself.
          RunState.RunDialogAnswer = ModalIgnore;
        }
        Debug(heading);
        Debug("CopyFileErrorCode=" + std::to_string(result));
        Debug(text);
        Debug(errorText);
        Debug("");
      }
    } while (result != CopyOk && RunState.RunDialogAnswer == ModalRetry);
  }

  if (!RunOptions.NoUpdateFlag) {
    if (result == CopyOk) {
      CountUp(RunCounters.FilesCopied);
      // Whole clusters are taken; a 4 KiB cluster per file is the common case.
      SpaceUsed(drive, static_cast<int64_t>(file.size) - static_cast<int64_t>(dstSize) + 4096);
    } else {
      ProtocolFailure(CopyResultText(result, drive, static_cast<uint32_t>(error)));
    }
  }
}

std::string HexAttributes(uint32_t attributes) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%02X", attributes);
  return buffer;
}

// The files of a destination directory, listed once when its source files
// are processed, so that a re-run with nothing to do needs no search per
// file. The listing only ever spares work: a file that it shows missing or
// older is looked up again right before the copy decision, so nothing is
// overwritten on the strength of a stale listing. Names are filed by their
// upper-case form and taken as the same name only when the system says so
// (several names may share an upper-case form and still differ).
class DestinationListing {
 public:
  explicit DestinationListing(const std::string& dstDir) : dstDir_(dstDir) {}
  bool Find(const std::string& name, DirEntry& found) {
    if (!listed_) List();
    const auto [first, last] = files_.equal_range(Sys().UpperCase(name));
    for (auto it = first; it != last; ++it) {
      if (Sys().SameName(it->second.name, name)) {
        found = it->second;
        return true;
      }
    }
    return false;
  }

 private:
  void List() {
    listed_ = true;
    Result<std::unique_ptr<DirSearch>> search = Sys().StartSearch(dstDir_ + "*");
    if (!search) return;
    DirEntry entry;
    while ((*search)->Next(entry)) {
      if (IsFileEntry(entry)) files_.emplace(Sys().UpperCase(entry.name), entry);
    }
  }
  const std::string& dstDir_;
  bool listed_ = false;
  std::unordered_multimap<std::string, DirEntry> files_;
};

// Looks the file up in the destination directory: the search may deliver
// other files as well (one whose short 8.3 alias is the name, or "name"
// for a search for "name."), so only the one the system takes for the same
// name counts.
bool FindDestinationFile(const std::string& dstDir, const std::string& name, DirEntry& found) {
  Result<std::unique_ptr<DirSearch>> search = Sys().StartSearch(dstDir + name);
  if (!search) return false;
  DirEntry entry;
  while (NextEntry(**search, entry, IsFileEntry)) {
    if (Sys().SameName(entry.name, name)) {
      found = entry;
      return true;
    }
  }
  return false;
}

// Gives a destination file the source's attributes (keeping its own
// temporary, compressed and offline bits).
void UpdateFileAttributes(const std::string& dstPath, uint32_t sourceAttributes,
                          uint32_t dstAttributes) {
  if (dstAttributes == sourceAttributes) return;
  const uint32_t merged = MergeAttributes(sourceAttributes, dstAttributes);
  if (merged == dstAttributes) return;
  if (ActionLinesWanted())
    ProtocolAdd("ATTRIB " + AttributeChangeText(dstAttributes, merged) + " " + dstPath);
  const uint32_t error =
      RunOptions.NoUpdateFlag ? 0 : Sys().SetAttributes(dstPath, merged).Error();
  if (error == 0) {
    if (!RunOptions.NoUpdateFlag) CountUp(RunCounters.FileAttributesUpdated);
  } else {
    ProtocolFailure(Trim(WinErrorText(error, false)));
  }
}

// Gives an existing destination directory the source directory's date and
// attributes.
void UpdateDirectory(const std::string& srcDir, const std::string& dstDir, bool created) {
  if (srcDir.size() <= 3 || dstDir.size() <= 3) return;

  const std::string srcPath = WithoutTrailingBackslash(srcDir);
  const std::string dstPath = WithoutTrailingBackslash(dstDir);
  const Result<uint32_t> source = Sys().GetAttributes(srcPath);
  if (!source) {
    ProtocolFailure(Trim(WinErrorText(source.Error(), false)));
    return;
  }
  const Result<uint32_t> destination = Sys().GetAttributes(dstPath);
  if (!destination) {
    ProtocolFailure(Trim(WinErrorText(destination.Error(), false)));
    return;
  }
  const uint32_t sourceAttributes = *source;
  const uint32_t dstAttributes = *destination;
  if (dstAttributes == sourceAttributes) return;
  const uint32_t merged = MergeAttributes(sourceAttributes, dstAttributes);
  if (merged == dstAttributes) return;
  const uint32_t error =
      RunOptions.NoUpdateFlag ? 0 : Sys().SetAttributes(dstPath, merged).Error();
  if (error != 0) {
    ProtocolFailure(Trim(WinErrorText(error, false)));
    return;
  }
  if (created) return;
  if (!RunOptions.NoUpdateFlag) CountUp(RunCounters.SubDirAttributesUpdated);
  if (ActionLinesWanted())
    ProtocolAdd("ATTRIB " + AttributeChangeText(dstAttributes, merged) + " " + P(dstPath));
}

// Makes sure the destination directory exists. False when the user chose to
// leave this directory (Ignore) or to end the run (Abort).
bool EnsureDestinationDirectory(const std::string& dstDir, bool& created) {
  created = false;
  if (DirectoryExists(dstDir)) return true;
  for (;;) {
    int32_t code = DryRunCreateResult;
    if (!RunOptions.NoUpdateFlag) CreateSubDir(dstDir, RunCounters.SubDirsCreated, code);
    if (code == SubDirCreated) {
      created = true;
      if (ActionLinesWanted()) ProtocolAdd("MKDIR  " + P(WithoutTrailingBackslash(dstDir)));
      return true;
    }
    const int16_t answer =
        AskUser(CreateSubDirFailureText(code, dstDir), ButtonAbort | ButtonRetry | ButtonIgnore);
    if (answer == ModalIgnore || answer == ModalAbort) return false;
    if (code == SubDirExists) return true;
  }
}

}  // namespace

uint32_t MergeAttributes(uint32_t src, uint32_t dst) {
  uint32_t merged = src & ~KeptDestinationBits;
  const uint32_t kept = dst & KeptDestinationBits;
  if (kept != 0) merged = (kept | merged) & ~static_cast<uint32_t>(AttrNormal);
  return merged;
}

std::string AttributeChangeText(uint32_t oldAttributes, uint32_t newAttributes) {
  if (oldAttributes == newAttributes) return "";
  static constexpr struct {
    uint32_t bit;
    char letter;
  } Letters[] = {{AttrReadOnly, 'R'},  {AttrHidden, 'H'},     {AttrSystem, 'S'},
                 {AttrVolumeId, 'V'},  {AttrDirectory, 'D'},  {AttrArchive, 'A'},
                 {AttrNormal, 'N'},    {AttrTemporary, 'T'},  {AttrCompressed, 'C'},
                 {AttrOffline, 'O'}};
  std::string text;
  for (const auto& item : Letters) {
    const bool before = (oldAttributes & item.bit) != 0;
    const bool after = (newAttributes & item.bit) != 0;
    if (before && !after) text += std::string("-") + item.letter + " ";
    if (after && !before) text += std::string("+") + item.letter + " ";
  }
  if (text.empty()) return "?";
  text.pop_back();
  return text;
}

void ProcessDirectory(const std::string& srcDir, const std::string& dstDir,
                      const std::string& spec) {
  const SkipListEntries skip = ReadSkipSection(srcDir, SkipFiles);
  Debug("SkipFileListEntries=" + std::to_string(skip.count));

  // An empty specification matches no file; it is not handed to the system,
  // which would take the bare directory path for a search of its own.
  std::unique_ptr<DirSearch> search;
  DirEntry file;
  bool found = false;
  if (!spec.empty()) {
    Result<std::unique_ptr<DirSearch>> started = Sys().StartSearch(srcDir + spec);
    if (started) search = std::move(*started);
    found = search && NextEntry(*search, file, IsFileEntry);
  }
  if (!RunOptions.EmptyFlag && !found) return;

  bool created = false;
  if (!EnsureDestinationDirectory(dstDir, created)) return;
  const bool dstExists = DirectoryExists(dstDir);

  // The destination directory gets the source's date when the work in it is
  // done, on every way out: writing files into a directory changes its date
  // on most file systems, so a date given before the files would not last.
  struct DateOnExit {
    const std::string& src;
    const std::string& dst;
    bool wanted;
    ~DateOnExit() {
      if (wanted) CopyDirDate(src, dst);
    }
  } dateOnExit{srcDir, dstDir, dstExists && !RunOptions.NoUpdateFlag};

  if (dstExists) UpdateDirectory(srcDir, dstDir, created);
  if (!found) return;
  // A directory made just now, or one that is missing (in a dry run), holds
  // no file: its lookups can be spared.
  const bool dstEmpty = created || !dstExists;
  DestinationListing listing(dstDir);

  do {
    Tk().ProcessMessages();
    if (RunState.AbortRequested) return;
    CountUp(RunCounters.FilesFound);

    if (skip.count > 0 && MatchSpecList(file.name, skip.entries, skip.count)) {
      if (ReportLinesWanted()) ProtocolAdd("skip   " + P(srcDir + file.name));
      CountUp(RunCounters.FilesSkipped);
      continue;
    }
    if (RunOptions.IgnoreFlag &&
        MatchSpecList(file.name, RunOptions.IgnoreFileSpecList, RunOptions.IgnoreFileSpecCount)) {
      if (ReportLinesWanted()) ProtocolAdd("ignore " + P(srcDir + file.name));
      CountUp(RunCounters.FilesIgnored);
      continue;
    }

    const std::string dstPath = dstDir + file.name;
    DirEntry existing;
    bool dstExists = false;
    if (!dstEmpty) {
      dstExists = listing.Find(file.name, existing);
      if (!dstExists || FileNeedsCopy(file, true, existing.packedDate, existing.size))
        dstExists = FindDestinationFile(dstDir, file.name, existing);
    }
    const int32_t dstDate = dstExists ? existing.packedDate : MissingFileDate;
    const uint64_t dstSize = dstExists ? existing.size : 0;
    const uint32_t dstAttributes = dstExists ? existing.attributes : file.attributes;
    if (dstExists) Debug(dstPath + " exists");
    Debug(dstPath + "   ATTRIBUTE = $" + HexAttributes(file.attributes) +
          "   Dates&Times:  SRC = " + std::to_string(file.packedDate) +
          "  DST = " + std::to_string(dstDate));

    if (FileNeedsCopy(file, dstExists, dstDate, dstSize)) {
      CopyOneFile(srcDir, dstDir, file, dstSize);
      if (RunState.RunDialogAnswer == ModalAbort) return;
    }
    UpdateFileAttributes(dstPath, file.attributes, dstAttributes);
  } while (NextEntry(*search, file, IsFileEntry));
}

void WalkTree(std::string srcDir, std::string dstDir) {
  if (RunEnded()) return;
  if (walkDepth == 0) {
    freeSpace = FreeSpaceEstimate{};
    driveFacts = DriveFacts{};
  }
  ++walkDepth;
  WalkDirectory(std::move(srcDir), std::move(dstDir));
  --walkDepth;
}

namespace {

void WalkDirectory(std::string srcDir, std::string dstDir) {
  if (srcDir.empty() || srcDir.back() != '\\') srcDir += '\\';
  if (dstDir.empty() || dstDir.back() != '\\') dstDir += '\\';
  Debug(WithoutTrailingBackslash(srcDir) + ":");

  if (RunOptions.SubDirFlag) {
    const SkipListEntries skip = ReadSkipSection(srcDir, SkipSubDirectories);
    Result<std::unique_ptr<DirSearch>> search = Sys().StartSearch(srcDir + "*.*");
    DirEntry entry;
    while (search && NextEntry(**search, entry, IsSubDirEntry)) {
      Tk().ProcessMessages();
      if (RunState.AbortRequested) return;
      if (skip.count > 0 && MatchSpecList(entry.name, skip.entries, skip.count)) {
        if (ReportLinesWanted()) ProtocolAdd("skip   " + P(srcDir + entry.name));
        CountUp(RunCounters.SubDirsSkipped);
      } else {
        WalkTree(srcDir + entry.name + "\\", dstDir + entry.name + "\\");
        CountUp(RunCounters.SubDirsScanned);
      }
      if (RunEnded()) break;
    }
    if (RunEnded()) return;
  }

  if (RunOptions.SrcFileSpecCount == 0) {
    ProcessDirectory(srcDir, dstDir, "");
    return;
  }
  for (int i = 1; i <= RunOptions.SrcFileSpecCount && i <= MaxSpecEntries; ++i) {
    ProcessDirectory(srcDir, dstDir, RunOptions.SrcFileSpecList[static_cast<size_t>(i)]);
    if (RunEnded()) return;
  }
}

}  // namespace

}  // namespace plovik
