#include "engine/TreeWalk.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
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
#include "core/RunHost.h"
#include "core/RunRecords.h"
#include "core/SubDirs.h"

namespace plovik {

namespace {

constexpr uint32_t KeptDestinationBits = AttrTemporary | AttrCompressed | AttrOffline;
constexpr uint32_t CopyBufferSize = 65536;
constexpr int DryRunCreateResult = SubDirCreated;
// A source counts as newer only by more than this many units of the packed
// date (two seconds each), and a difference of one hour give or take this
// many units as the one-hour shift.
constexpr int64_t DateToleranceUnits = 3;
// "C:\\": a directory path of this length is a drive's root.
constexpr size_t DriveRootLength = 3;
// The free-space estimate proves that a file fits only with this much to
// spare: room for the file system's own records and for what other
// programs may write meanwhile.
constexpr int64_t FreeSpaceSafetyMargin = int64_t(16) << 20;
// Taken for a drive that does not tell its cluster size: the largest
// cluster that common drives use.
constexpr uint32_t UnknownClusterBytes = 65536;

// What the walk knows of the destination drive's free space: the drive's
// last answer less every file copied since, each rounded up to whole
// clusters (at least one), with nothing counted back for the files they
// replaced. That is a lower bound as long as no other program writes to
// the drive. The drive is asked again whenever the bound does not prove,
// with a safety margin, that a file fits, so a walk over many small files
// does not query the drive for each of them, while a drive that fills up
// gets the same answers as if it were asked for every file.
class FreeSpaceEstimate {
 public:
  bool ProvesRoom(char drive, int64_t needed) const {
    return known_ && drive_ == drive && lowerBound_ - FreeSpaceSafetyMargin >= needed;
  }
  // The bound itself, once ProvesRoom said yes: free bytes the drive has at
  // least.
  int64_t LowerBound() const { return lowerBound_; }
  // The drive's own answer (-1 when it cannot give one: not ready, or no
  // such drive), which the estimate starts from afresh. Asked directly: the
  // drive's readiness, which DriveFreeSpace checks first, costs two more
  // queries per file, and a drive that is not ready fails this one as well.
  int64_t AskDrive(char drive) {
    drive_ = drive;
    const Result<DiskSpace> space = Sys().DiskFreeSpace(drive);
    lowerBound_ = space ? space->freeBytes : -1;
    known_ = space.Ok();
    return lowerBound_;
  }
  void FileCopied(char drive, uint64_t size, uint32_t clusterBytes) {
    if (!known_ || drive_ != drive) return;
    const uint64_t clusters = size == 0 ? 1 : (size + clusterBytes - 1) / clusterBytes;
    lowerBound_ -= static_cast<int64_t>(clusters * clusterBytes);
  }

 private:
  char drive_ = '\0';
  bool known_ = false;
  int64_t lowerBound_ = 0;
};

// What the copy needs to know of the drives the walk copies between, asked
// once per walk instead of for every file: the sector size (0 when the
// drive does not tell; the copy then asks it itself), the cluster size and
// whether files there can carry named streams. A path without a drive
// letter is never cached.
class DriveFacts {
 public:
  uint32_t SectorSize(char letter) { return Ask(letter) ? drives_[letter - 'A'].sectorBytes : 0; }
  uint32_t ClusterSize(char letter) {
    return Ask(letter) ? drives_[letter - 'A'].clusterBytes : UnknownClusterBytes;
  }
  bool NamedStreams(char letter) { return Ask(letter) ? drives_[letter - 'A'].streams : true; }

 private:
  struct Drive {
    uint32_t sectorBytes = 0;
    uint32_t clusterBytes = 0;
    bool streams = false;
    bool asked = false;
  };
  bool Ask(char letter) {
    if (letter < 'A' || letter > 'Z') return false;
    Drive& drive = drives_[letter - 'A'];
    if (!drive.asked) {
      drive.sectorBytes = DriveSectorSize(letter);
      drive.clusterBytes = DriveClusterSize(letter);
      if (drive.clusterBytes == 0) drive.clusterBytes = UnknownClusterBytes;
      drive.streams = Sys().NamedStreamsPossible(letter);
      drive.asked = true;
    }
    return true;
  }
  Drive drives_['Z' - 'A' + 1];
};
// The walk under way: what it works on, what it knows of the drives, and
// how it is going. One walk at a time; its directories go through it
// depth first.
struct Walk {
  explicit Walk(const WalkJob& walkJob) : job(walkJob) {}
  const WalkJob& job;
  const TRunOptions& options = job.options;
  TRunCounters& counters = job.counters;
  RunHost& host = job.host;
  WalkOutcome outcome;
  FreeSpaceEstimate freeSpace;
  DriveFacts driveFacts;
};
Walk* current = nullptr;

Walk& W() { return *current; }
const TRunOptions& Options() { return current->options; }
TRunCounters& Counters() { return current->counters; }
RunHost& Out() { return current->host; }

// The walk's work for one directory; the subdirectories go through
// WalkSubtree.
void WalkDirectory(std::string srcDir, std::string dstDir);

// Whether the walk is to end: the user asked to stop (also during a nested
// call that processed messages), or answered a question with Abort.
bool RunEnded() {
  if (Out().Requests() != HostSignal::GoOn) W().outcome.stopped = true;
  return W().outcome.Aborted();
}

// Processes the pending messages; true when the user asked to stop.
bool StopAsked() {
  if (Out().ProcessPending() == HostSignal::GoOn) return false;
  W().outcome.stopped = true;
  return true;
}

// A path as the protocol shows it: shortened to the protocol's width.
std::string ProtocolPath(const std::string& path) { return ShortenPath(path, W().job.pathChars); }

std::string WithoutTrailingBackslash(const std::string& dir) {
  if (!dir.empty() && dir.back() == '\\') return dir.substr(0, dir.size() - 1);
  return dir;
}

bool IsNetworkPath(const std::string& path) { return !path.empty() && path[0] == '\\'; }

bool ActionLinesWanted() { return !Options().QuietFlag; }
bool ReportLinesWanted() { return Options().ReportFlag && !Options().QuietFlag; }

void Debug(const std::string& line) {
  if (Options().DebugFlag) Out().Debug(line);
}

// Asks the user (an error box with the buttons) about the subject and
// keeps the answer as the walk's last answer.
int16_t AskUser(QuestionKind kind, const std::string& text, uint32_t buttons,
                const std::string& subject) {
  W().outcome.answer = static_cast<int16_t>(
      Out().Ask(Question{.kind = kind, .text = text, .buttons = buttons, .subject = subject}));
  if (W().outcome.answer == AnswerIgnore) W().outcome.ignored = true;
  return W().outcome.answer;
}

bool IsFileEntry(const DirEntry& entry) {
  return (entry.attributes & (AttrDirectory | AttrVolumeId)) == 0;
}

bool IsSubDirEntry(const DirEntry& entry) {
  return (entry.attributes & AttrDirectory) != 0 && entry.name != "." && entry.name != "..";
}

// The next entry of a search that passes the filter; nullopt at the end.
// A search that broke off fails with its error.
template <typename Filter>
Result<std::optional<DirEntry>> NextEntry(DirSearch& search, Filter accept) {
  for (;;) {
    Result<std::optional<DirEntry>> next = search.Next();
    if (!next || !*next || accept(**next)) return next;
  }
}

// "Windows error 64: The specified network name is no longer available."
std::string WindowsErrorText(uint32_t code) {
  const std::string text = WinErrorText(code, true);
  return InLanguage("Windows error ", "Windows-Fehler ") + std::to_string(code) +
         (text.empty() ? "" : ": " + text);
}

// A directory whose search broke off: what was found before is all the
// walk knows of it.
void ReportIncompleteDirectory(const std::string& dir, uint32_t error) {
  const std::string path = StripTrailingBackslashes(dir);
  if (German())
    Out().Failure("Das Verzeichnis  " + path +
                    "  konnte nicht vollst\xC3\xA4ndig gelesen werden. " + WindowsErrorText(error));
  else
    Out().Failure("Directory  " + path + "  could not be read completely. " +
                    WindowsErrorText(error));
}

// The next entry of a search of the directory that passes the filter;
// nullopt at the end and when the search broke off, which is reported.
template <typename Filter>
std::optional<DirEntry> NextOrReport(DirSearch& search, Filter accept, const std::string& dir) {
  Result<std::optional<DirEntry>> next = NextEntry(search, accept);
  if (next) return std::move(*next);
  ReportIncompleteDirectory(dir, next.Error());
  return std::nullopt;
}

// Reads one section of a directory's skip list. A list file that exists but
// cannot be read is reported and taken as empty, so the run goes on.
SkipListEntries ReadSkipSection(const std::string& srcDir, int section) {
  SkipListEntries list = ReadSkipList(srcDir, section);
  if (list.error != 0) {
    const std::string path = srcDir + "SKIPLIST.INI";
    const std::string reason = Trim(WinErrorText(list.error, true));
    if (German())
      Out().Failure("Die Skip-Liste  " + path + "  kann nicht gelesen werden: " + reason);
    else
      Out().Failure("Skip list file  " + path + "  cannot be read: " + reason);
    list.count = 0;
  }
  return list;
}

}  // namespace

std::string CreateSubDirFailureText(int32_t code, const std::string& dstDir) {
  const std::string letter(1, DriveLetterOf(dstDir));
  if (German()) {
    switch (code) {
      case SubDirRefused:
        return "Das Zielverzeichnis " + dstDir + " kann nicht angelegt werden." + "\r" +
               "Zugriff verweigert (das Laufwerk oder Verzeichnis ist schreibgeschützt).";
      case SubDirDriveFull: return "Das Ziellaufwerk " + letter + ": ist voll.";
      case SubDirDriveNotReady: return "Das Ziellaufwerk " + letter + ": ist nicht bereit.";
      case SubDirNoDrive: return "Das Ziellaufwerk " + letter + ": existiert nicht.";
      default:
        return "Das Zielverzeichnis " + dstDir + " kann nicht angelegt werden." + "\r" +
               "Fehlercode beim Erstellen des Unterverzeichnisses=" + std::to_string(code);
    }
  }
  switch (code) {
    case SubDirRefused:
      return "Destination subdirectory " + dstDir + " cannot be created." + "\r" +
             "Access denied (drive or directory is write protectetd).";
    case SubDirDriveFull: return "Destination drive " + letter + ": is full.";
    case SubDirDriveNotReady: return "Destination drive " + letter + ": is not ready.";
    case SubDirNoDrive: return "Destination drive " + letter + ": does not exist.";
    default:
      return "Destination subdirectory " + dstDir + " cannot be created." + "\r" +
             "CreateSubDirError=" + std::to_string(code);
  }
}

namespace {

uint32_t CopyFailureButtons(int32_t result) {
  switch (result) {
    case CopyNoSpace:
    case CopyDriveFull: return QuestionAbort | QuestionIgnore;
    case CopyAccessDenied: return QuestionAbort | QuestionRetry;
    default: return QuestionAbort | QuestionRetry | QuestionIgnore;
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
  if (diff <= DateToleranceUnits) return false;
  if (!Options().IgnoreFileAgeOneHourDiffFlag) return true;
  if (source.size != dstSize) return true;
  int64_t offHour = diff - Options().OneHour;
  if (offHour < 0) offHour = -offHour;
  return offHour > DateToleranceUnits;
}

// What the walk found of a file in the destination directory.
struct DestinationFile {
  bool exists = false;
  DirEntry entry;
  // No file there has the name itself, but the name leads to another file
  // (one whose short 8.3 name it is): a copy under that name would replace
  // the other file.
  bool nameTakenByOther = false;
};

// Looks the file up in the destination directory. The search may deliver
// other files as well (one whose short 8.3 name is the name, or "name" for
// a search for "name."), so only the one the system takes for the same
// name counts; when another one came and the name itself reaches a file,
// the name belongs to that other file. Fails when the search broke off
// before the file itself came: whether it is there is then not known.
Result<DestinationFile> FindDestinationFile(const std::string& dstDir, const std::string& name) {
  DestinationFile found;
  Result<std::unique_ptr<DirSearch>> search = Sys().StartSearch(dstDir + name);
  if (!search) return found;
  bool otherDelivered = false;
  for (;;) {
    Result<std::optional<DirEntry>> next = NextEntry(**search, IsFileEntry);
    if (!next) return Failure(next.Error());
    if (!*next) break;
    if (Sys().SameName((*next)->name, name)) {
      found.exists = true;
      found.entry = std::move(**next);
      return found;
    }
    otherDelivered = true;
  }
  found.nameTakenByOther = otherDelivered && Sys().GetAttributes(dstDir + name).Ok();
  return found;
}

// One file to copy and what the walk knows of it.
struct FileCopy {
  const std::string& srcDir;
  const std::string& dstDir;
  const DirEntry& file;
  const DestinationFile& destination;
  std::string srcPath = srcDir + file.name;
  std::string dstPath = dstDir + file.name;
  char drive = DriveLetterOf(dstDir);
  bool network = IsNetworkPath(dstDir);
  bool verified = Options().VerifyFlag && !network;
};

struct AttemptOutcome {
  int32_t result = CopyOk;
  int32_t error = 0;
};

uint64_t OldDestinationSize(const FileCopy& job) {
  return job.destination.exists ? job.destination.entry.size : 0;
}

CopyHints HintsFor(const FileCopy& job) {
  CopyHints hints;
  hints.destination =
      job.destination.exists ? DestinationState::Present : DestinationState::Missing;
  hints.dstOldSize = OldDestinationSize(job);
  hints.sourceStamp.lastWrite = job.file.lastWrite;
  hints.sourceStamp.attributes = job.file.attributes;
  hints.sourceDate = job.file.packedDate;
  hints.sourceSize = static_cast<int64_t>(job.file.size);
  hints.streamsPossible = W().driveFacts.NamedStreams(DriveLetterOf(job.srcDir));
  return hints;
}

// The free-space pre-check (also in a dry run; not for a network path).
// The space of the file to be replaced counts as free. The verified copy
// checks the space once more with the free bytes it is handed (it would
// ask the drive itself without them), and takes the old copy's place as
// room only by removing the old copy first: it is handed the estimate only
// when that proves room for the whole file beside the old copy, so that it
// decides as the drive's own answer would make it decide. False, after the
// dialog, when the file does not fit.
bool PassesFreeSpaceCheck(const FileCopy& job, const std::string& heading, CopyHints& hints) {
  if (job.network) return true;
  const int64_t size = static_cast<int64_t>(job.file.size);
  const int64_t needed = size - static_cast<int64_t>(OldDestinationSize(job));
  if (W().freeSpace.ProvesRoom(job.drive, job.verified ? size : needed)) {
    if (job.verified) hints.dstFreeBytes = W().freeSpace.LowerBound();
    return true;
  }
  const int64_t freeBytes = W().freeSpace.AskDrive(job.drive);
  hints.dstFreeBytes = freeBytes;
  if (needed <= freeBytes) return true;
  AskUser(QuestionKind::NoRoom, heading + "\r" + CopyResultText(CopyNoSpace, job.drive, 0),
          QuestionAbort | QuestionIgnore, job.srcPath);
  return false;
}

// One attempt of the copy. A dry run copies nothing.
AttemptOutcome AttemptCopy(const FileCopy& job, CopyHints& hints) {
  AttemptOutcome attempt;
  if (Options().NoUpdateFlag) return attempt;
  if (job.destination.nameTakenByOther) {
    // The name belonged to another file: the copy waits until the name is
    // free, and never goes ahead on a look that broke off.
    const Result<DestinationFile> again = FindDestinationFile(job.dstDir, job.file.name);
    if (!again || again->nameTakenByOther) {
      attempt.result = CopyWindowsError;
      attempt.error = static_cast<int32_t>(again ? uint32_t(ErrorFileExists) : again.Error());
      return attempt;
    }
  }
  if (job.verified) {
    VerifiedCopyOptions options;
    options.bufferSize = CopyBufferSize;
    options.dstSectorSize = W().driveFacts.SectorSize(job.drive);
    options.srcSectorSize = W().driveFacts.SectorSize(DriveLetterOf(job.srcDir));
    const CopyOutcome outcome =
        CopyFileVerified(job.srcPath, job.dstPath, options, hints, &Out());
    if (outcome.answer != NoCopyAnswer) W().outcome.answer = outcome.answer;
    if (outcome.answer == AnswerIgnore) W().outcome.ignored = true;
    attempt.result = outcome.result;
    attempt.error = outcome.error;
    // A retry asks the drive afresh.
    hints.dstFreeBytes = -1;
  } else {
    const uint32_t code = CopyFilePlain(job.srcPath, job.dstPath, hints, &Out()).Error();
    attempt.error = static_cast<int32_t>(code);
    attempt.result = CopyResultFromWinError(code);
  }
  return attempt;
}

// The question and debug lines of a failed attempt; the answer becomes the
// walk's last answer.
void ReportFailedAttempt(const FileCopy& job, std::string& heading, const AttemptOutcome& attempt) {
  if (job.dstDir.size() > DriveRootLength && !heading.empty() && heading.back() == '\\')
    heading.pop_back();
  const uint32_t error = static_cast<uint32_t>(attempt.error);
  const std::string text = CopyResultText(attempt.result, job.drive, error);
  std::string errorText;
  if (attempt.result == CopyWindowsError) errorText = WinErrorText(error, false);
  if (attempt.result != CopyAborted) {
    std::string message = heading + "\r" + text;
    if (attempt.result == CopyWindowsError) message += "\r" + errorText;
    AskUser(QuestionKind::FileCopy, message, CopyFailureButtons(attempt.result), job.srcPath);
  } else if (W().outcome.answer == AnswerRetry) {
    // An aborted copy that left no answer (the plain copy reports the abort
    // only through its error code) is passed over like Ignore, so the
    // attempt is never repeated by itself.
    W().outcome.answer = AnswerIgnore;
  }
  Debug(heading);
  Debug("CopyFileErrorCode=" + std::to_string(attempt.result));
  Debug(text);
  Debug(errorText);
  Debug("");
}

// Copies one file with its attempt loop and reports the outcome. Returns
// after the failure line; the caller looks at the walk's last answer.
void CopyOneFile(const FileCopy& job) {
  if (ActionLinesWanted()) {
    Out().Protocol("COPY   " + ProtocolPath(job.srcPath));
    Debug("COPY   " + ProtocolPath(job.srcPath) + " " + job.dstPath);
  }
  std::string heading = CopyHeading(job.srcDir, job.dstDir, job.file.name);
  CopyHints hints = HintsFor(job);

  AttemptOutcome attempt;
  if (!PassesFreeSpaceCheck(job, heading, hints)) {
    attempt.result = CopyNoSpace;
  } else {
    do {
      W().outcome.answer = AnswerRetry;
      attempt = AttemptCopy(job, hints);
      if (attempt.result > 0) ReportFailedAttempt(job, heading, attempt);
    } while (attempt.result != CopyOk && W().outcome.answer == AnswerRetry);
  }

  if (Options().NoUpdateFlag) return;
  if (attempt.result == CopyOk) {
    CountUp(Counters().FilesCopied);
    W().freeSpace.FileCopied(job.drive, job.file.size, W().driveFacts.ClusterSize(job.drive));
  } else {
    const uint32_t error = static_cast<uint32_t>(attempt.error);
    Out().Failure(CopyResultText(attempt.result, job.drive, error));
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
// overwritten on the strength of a stale listing. A listing that broke off
// is reported and dropped: every file is then looked up. Names are filed by
// their upper-case form and taken as the same name only when the system
// says so (several names may share an upper-case form and still differ).
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
    for (;;) {
      Result<std::optional<DirEntry>> next = NextEntry(**search, IsFileEntry);
      if (!next) {
        ReportIncompleteDirectory(dstDir_, next.Error());
        files_.clear();
        return;
      }
      if (!*next) return;
      files_.emplace(Sys().UpperCase((*next)->name), std::move(**next));
    }
  }
  const std::string& dstDir_;
  bool listed_ = false;
  std::unordered_multimap<std::string, DirEntry> files_;
};

// Gives a destination file the source's attributes (keeping its own
// temporary, compressed and offline bits).
void UpdateFileAttributes(const std::string& dstPath, uint32_t sourceAttributes,
                          uint32_t dstAttributes) {
  if (dstAttributes == sourceAttributes) return;
  const uint32_t merged = MergeAttributes(sourceAttributes, dstAttributes);
  if (merged == dstAttributes) return;
  if (ActionLinesWanted())
    Out().Protocol("ATTRIB " + AttributeChangeText(dstAttributes, merged) + " " + dstPath);
  const uint32_t error =
      Options().NoUpdateFlag ? 0 : Sys().SetAttributes(dstPath, merged).Error();
  if (error == 0) {
    if (!Options().NoUpdateFlag) CountUp(Counters().FileAttributesUpdated);
  } else {
    Out().Failure(Trim(WinErrorText(error, false)));
  }
}

// Gives an existing destination directory the source directory's date and
// attributes.
void UpdateDirectory(const std::string& srcDir, const std::string& dstDir, bool created) {
  if (srcDir.size() <= DriveRootLength || dstDir.size() <= DriveRootLength) return;

  const std::string srcPath = WithoutTrailingBackslash(srcDir);
  const std::string dstPath = WithoutTrailingBackslash(dstDir);
  const Result<uint32_t> source = Sys().GetAttributes(srcPath);
  if (!source) {
    Out().Failure(Trim(WinErrorText(source.Error(), false)));
    return;
  }
  const Result<uint32_t> destination = Sys().GetAttributes(dstPath);
  if (!destination) {
    Out().Failure(Trim(WinErrorText(destination.Error(), false)));
    return;
  }
  const uint32_t sourceAttributes = *source;
  const uint32_t dstAttributes = *destination;
  if (dstAttributes == sourceAttributes) return;
  const uint32_t merged = MergeAttributes(sourceAttributes, dstAttributes);
  if (merged == dstAttributes) return;
  const uint32_t error =
      Options().NoUpdateFlag ? 0 : Sys().SetAttributes(dstPath, merged).Error();
  if (error != 0) {
    Out().Failure(Trim(WinErrorText(error, false)));
    return;
  }
  if (created) return;
  if (!Options().NoUpdateFlag) CountUp(Counters().SubDirAttributesUpdated);
  if (ActionLinesWanted())
    Out().Protocol("ATTRIB " + AttributeChangeText(dstAttributes, merged) + " " +
                ProtocolPath(dstPath));
}

// Makes sure the destination directory exists. False when the user chose to
// leave this directory (Ignore) or to end the run (Abort).
bool EnsureDestinationDirectory(const std::string& dstDir, bool& created) {
  created = false;
  if (DirectoryExists(dstDir)) return true;
  for (;;) {
    int32_t code = DryRunCreateResult;
    if (!Options().NoUpdateFlag) CreateSubDir(dstDir, Counters().SubDirsCreated, code);
    if (code == SubDirCreated) {
      created = true;
      if (ActionLinesWanted())
        Out().Protocol("MKDIR  " + ProtocolPath(WithoutTrailingBackslash(dstDir)));
      return true;
    }
    const int16_t answer =
        AskUser(QuestionKind::DirectoryCreate, CreateSubDirFailureText(code, dstDir),
                QuestionAbort | QuestionRetry | QuestionIgnore, dstDir);
    if (answer == AnswerIgnore || answer == AnswerAbort) return false;
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

namespace {

// A skipped or ignored file is counted and passed over.
bool PassedOver(const std::string& srcDir, const DirEntry& file, const SkipListEntries& skip) {
  if (skip.count > 0 && MatchSpecList(file.name, skip.entries, skip.count)) {
    if (ReportLinesWanted()) Out().Protocol("skip   " + ProtocolPath(srcDir + file.name));
    CountUp(Counters().FilesSkipped);
    return true;
  }
  if (Options().IgnoreFlag &&
      MatchSpecList(file.name, Options().IgnoreFileSpecList, Options().IgnoreFileSpecCount)) {
    if (ReportLinesWanted()) Out().Protocol("ignore " + ProtocolPath(srcDir + file.name));
    CountUp(Counters().FilesIgnored);
    return true;
  }
  return false;
}

// The destination's copy of the file. The listing spares the search where
// it shows a copy that is up to date; anything else is looked up afresh.
Result<DestinationFile> LookUpDestination(const std::string& dstDir, const DirEntry& file,
                                          DestinationListing& listing) {
  DestinationFile listed;
  listed.exists = listing.Find(file.name, listed.entry);
  if (listed.exists &&
      !FileNeedsCopy(file, true, listed.entry.packedDate, listed.entry.size))
    return listed;
  return FindDestinationFile(dstDir, file.name);
}

// A destination file whose lookup broke off is left alone: it may be newer
// than the source.
void ReportUncheckedDestination(const std::string& dstPath, uint32_t error) {
  if (German())
    Out().Failure("Die Zieldatei  " + dstPath +
                    "  konnte nicht gepr\xC3\xBC" "ft werden und wurde nicht kopiert. " +
                    WindowsErrorText(error));
  else
    Out().Failure("Destination file  " + dstPath + "  could not be checked and was not copied. " +
                    WindowsErrorText(error));
}

// The copy decision, the copy and the attribute step for one source file
// (dstEmpty: the destination directory is known to hold no file). False
// when the user chose to end the run.
bool ProcessFile(const std::string& srcDir, const std::string& dstDir, const DirEntry& file,
                 DestinationListing& listing, bool dstEmpty) {
  const std::string dstPath = dstDir + file.name;
  const Result<DestinationFile> lookup =
      dstEmpty ? DestinationFile{} : LookUpDestination(dstDir, file, listing);
  if (!lookup) {
    ReportUncheckedDestination(dstPath, lookup.Error());
    return true;
  }
  const DestinationFile& destination = *lookup;
  const int32_t dstDate = destination.exists ? destination.entry.packedDate : MissingFileDate;
  const uint64_t dstSize = destination.exists ? destination.entry.size : 0;
  const uint32_t dstAttributes =
      destination.exists ? destination.entry.attributes : file.attributes;
  if (destination.exists) Debug(dstPath + " exists");
  Debug(dstPath + "   ATTRIBUTE = $" + HexAttributes(file.attributes) +
        "   Dates&Times:  SRC = " + std::to_string(file.packedDate) +
        "  DST = " + std::to_string(dstDate));

  if (FileNeedsCopy(file, destination.exists, dstDate, dstSize)) {
    CopyOneFile(FileCopy{srcDir, dstDir, file, destination});
    if (W().outcome.answer == AnswerAbort) return false;
  }
  UpdateFileAttributes(dstPath, file.attributes, dstAttributes);
  return true;
}

// The directory's files that match the specification, beginning with the
// first (in first); null when there is none, or when the search broke off
// before it (which is reported). An empty specification matches no file;
// it is not handed to the system, which would take the bare directory path
// for a search of its own.
std::unique_ptr<DirSearch> StartFileSearch(const std::string& srcDir, const std::string& spec,
                                           std::optional<DirEntry>& first) {
  if (spec.empty()) return nullptr;
  Result<std::unique_ptr<DirSearch>> started = Sys().StartSearch(srcDir + spec);
  if (!started) return nullptr;
  first = NextOrReport(**started, IsFileEntry, srcDir);
  if (!first) return nullptr;
  return std::move(*started);
}

// The files of one directory that match one specification.
void ProcessDirectory(const std::string& srcDir, const std::string& dstDir,
                      const std::string& spec) {
  const SkipListEntries skip = ReadSkipSection(srcDir, SkipFiles);
  Debug("SkipFileListEntries=" + std::to_string(skip.count));

  std::optional<DirEntry> file;
  const std::unique_ptr<DirSearch> search = StartFileSearch(srcDir, spec, file);
  if (!Options().EmptyFlag && !search) return;

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
  } dateOnExit{srcDir, dstDir, dstExists && !Options().NoUpdateFlag};

  if (dstExists) UpdateDirectory(srcDir, dstDir, created);
  if (!search) return;
  // A directory made just now, or one that is missing (in a dry run), holds
  // no file: its lookups can be spared.
  const bool dstEmpty = created || !dstExists;
  DestinationListing listing(dstDir);
  for (; file; file = NextOrReport(*search, IsFileEntry, srcDir)) {
    if (StopAsked()) return;
    CountUp(Counters().FilesFound);
    if (PassedOver(srcDir, *file, skip)) continue;
    if (!ProcessFile(srcDir, dstDir, *file, listing, dstEmpty)) return;
  }
}

// A directory and everything below it.
void WalkSubtree(std::string srcDir, std::string dstDir) {
  if (RunEnded()) return;
  WalkDirectory(std::move(srcDir), std::move(dstDir));
  Out().DirectoryEnds();
}

void WalkDirectory(std::string srcDir, std::string dstDir) {
  if (srcDir.empty() || srcDir.back() != '\\') srcDir += '\\';
  if (dstDir.empty() || dstDir.back() != '\\') dstDir += '\\';
  Debug(WithoutTrailingBackslash(srcDir) + ":");

  if (Options().SubDirFlag) {
    const SkipListEntries skip = ReadSkipSection(srcDir, SkipSubDirectories);
    Result<std::unique_ptr<DirSearch>> search = Sys().StartSearch(srcDir + "*.*");
    std::optional<DirEntry> entry;
    while (search && (entry = NextOrReport(**search, IsSubDirEntry, srcDir))) {
      if (StopAsked()) return;
      if (skip.count > 0 && MatchSpecList(entry->name, skip.entries, skip.count)) {
        if (ReportLinesWanted()) Out().Protocol("skip   " + ProtocolPath(srcDir + entry->name));
        CountUp(Counters().SubDirsSkipped);
      } else {
        WalkSubtree(srcDir + entry->name + "\\", dstDir + entry->name + "\\");
        CountUp(Counters().SubDirsScanned);
      }
      if (RunEnded()) break;
    }
    if (RunEnded()) return;
  }

  if (Options().SrcFileSpecCount == 0) {
    ProcessDirectory(srcDir, dstDir, "");
    return;
  }
  for (int i = 1; i <= Options().SrcFileSpecCount && i <= MaxSpecEntries; ++i) {
    ProcessDirectory(srcDir, dstDir, Options().SrcFileSpecList[static_cast<size_t>(i)]);
    if (RunEnded()) return;
  }
}

}  // namespace

WalkOutcome WalkTree(const WalkJob& job) {
  Walk walk{job};
  current = &walk;
  WalkSubtree(job.srcDir, job.dstDir);
  current = nullptr;
  return walk.outcome;
}

}  // namespace plovik
