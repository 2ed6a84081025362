// Copying one file block by block through two page-aligned buffers, with
// the system cache bypassed on both sides and every block read back and
// compared when asked; the plain copy through the cache; the outcome codes
// of a copy and their texts.
//
// The data never goes straight into the destination: it is written to a
// partial copy in the destination's directory, which replaces the
// destination only once it is complete, verified, trimmed, dated and given
// its attributes. Whatever happens before that (a failure, an abort, a
// killed process, a power failure), the destination is either its old
// complete self or the new complete file.
#include "engine/Files.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "lib/PackedDate.h"
#include "lib/WinErrors.h"
#include "platform/Platform.h"
#include "core/Drives.h"
#include "core/RunRecords.h"

namespace plovik {

namespace {

// Taken for a drive whose sector size cannot be queried.
constexpr uint32_t FallbackSectorSize = 2048;
constexpr const char* PartialCopyName = "~plovik-partial.tmp";
constexpr const char* PartialCopyNameAlt = "~plovik-partial-2.tmp";
constexpr FileShare ShareAll = FileShare::Read | FileShare::Write | FileShare::Delete;
constexpr uint32_t PlainCopyBufferSize = 1u << 20;
// The attributes for which the system refuses to replace, empty or remove
// a file (with 5) until they are cleared.
constexpr uint32_t RefusingAttributes = AttrReadOnly | AttrHidden | AttrSystem;
// Bytes compared at a time when a block is verified.
constexpr size_t ComparedWordBytes = 4;

// Where the file name of a path begins.
size_t NameStart(const std::string& path) {
  const size_t pos = path.find_last_of("\\/:");
  return pos == std::string::npos ? 0 : pos + 1;
}

// The size of an existing file, read from its directory entry (which can be
// read even while another program holds the file open without sharing).
bool ExistingFileSize(const std::string& path, uint64_t& size) {
  Result<std::unique_ptr<DirSearch>> search = Sys().StartSearch(path);
  if (!search) return false;
  const Result<std::optional<DirEntry>> entry = (*search)->Next();
  if (!entry || !*entry || ((*entry)->attributes & AttrDirectory) != 0) return false;
  size = (*entry)->size;
  return true;
}

// Gives dst the last-write time of src, as a PackedFileDate.
Result<void> CopyFileDateOf(const std::string& src, const std::string& dst) {
  if (const Result<uint32_t> found = Sys().GetAttributes(src); !found)
    return Failure(found.Error());
  if (const Result<uint32_t> found = Sys().GetAttributes(dst); !found)
    return Failure(found.Error());

  Result<FileHandle> source = Sys().OpenFile(src, FileAccess::Read, ShareAll,
                                             FileDisposition::OpenExisting, FileFlags::None);
  if (!source) return Failure(source.Error());
  const int32_t date = (*source)->PackedDate().ValueOr(MissingFileDate);
  source->reset();  // closes the source
  // The source's date could not be read: a read failure of the source.
  if (date == MissingFileDate) return Failure(ErrorReadFault);

  Result<FileHandle> target = Sys().OpenFile(dst, FileAccess::Write, ShareAll,
                                             FileDisposition::OpenExisting, FileFlags::None);
  if (!target) return Failure(target.Error());
  return (*target)->SetPackedDate(date);
}

int16_t AskAbout(RunHost& host, QuestionKind kind, const std::string& text, uint32_t buttons,
                 const std::string& subject) {
  Question question;
  question.kind = kind;
  question.text = text;
  question.buttons = buttons;
  question.subject = subject;
  return static_cast<int16_t>(host.Ask(question));
}

// Tells the host that a copy has begun, and on every way out that it
// ended.
class CopyReport {
 public:
  explicit CopyReport(RunHost* host) : host_(host) {}
  CopyReport(const CopyReport&) = delete;
  CopyReport& operator=(const CopyReport&) = delete;
  ~CopyReport() {
    if (begun_ && host_ != nullptr) host_->FileEnds(copied_);
  }
  void Begin(const std::string& src, uint64_t size) {
    begun_ = true;
    if (host_ != nullptr) host_->FileBegins(src, size);
  }
  // False when the user asked to stop after these bytes.
  bool Progress(uint64_t bytesDone) {
    return host_ == nullptr || host_->FileProgress(bytesDone) == HostSignal::GoOn;
  }
  void Copied() { copied_ = true; }

 private:
  RunHost* host_;
  bool begun_ = false;
  bool copied_ = false;
};

// ---- files that refuse to be replaced -----------------------------------------

// Whether another program holds the file open so that it cannot be
// replaced. Opening it for deletion fails with 32 exactly when another
// handle's sharing does not allow that access (with all sharing offered:
// a handle without delete sharing), or our sharing does not allow the other
// handle's access (with no sharing offered: any handle that reads, writes
// or deletes).
bool HeldByAnotherProgram(const std::string& path, FileShare offered) {
  const Result<FileHandle> probe = Sys().OpenFile(path, FileAccess::Delete, offered,
                                                  FileDisposition::OpenExisting, FileFlags::None);
  return !probe && probe.Error() == ErrorSharingViolation;
}

// A step on a file that failed with 5 for the file's read-only, hidden or
// system attributes is tried once more with them cleared; when it fails
// again, the file gets them back.
template <typename Step, typename Outcome>
Outcome RetriedWithoutAttributes(const std::string& path, Outcome failed, Step step) {
  if (failed.Error() != ErrorAccessDenied) return failed;
  const Result<uint32_t> attributes = Sys().GetAttributes(path);
  if (!attributes || (*attributes & RefusingAttributes) == 0 || !Sys().SetAttributes(path, 0))
    return failed;
  Outcome retried = step();
  if (!retried) (void)Sys().SetAttributes(path, *attributes);
  return retried;
}

template <typename Step>
auto WithAttributesClearedIfRefused(const std::string& path, Step step) -> decltype(step()) {
  return RetriedWithoutAttributes(path, step(), step);
}

Result<void> RemoveAnyFile(const std::string& path) {
  return WithAttributesClearedIfRefused(path, [&path] { return Sys().RemoveFile(path); });
}

void RemovePartialCopy(const std::string& partial) { (void)RemoveAnyFile(partial); }

// Puts the finished copy in place of the destination by the rename given.
// The system refuses with 5 both a read-only destination and one that
// another program holds open: the held one is reported as the sharing
// violation it is and keeps its attributes; the read-only one has them
// cleared for the rename.
template <typename Rename>
Result<void> ReplaceDestination(const std::string& dst, Rename rename) {
  Result<void> replaced = rename();
  if (replaced.Error() != ErrorAccessDenied) return replaced;
  if (HeldByAnotherProgram(dst, FileShare::None)) return Failure(ErrorSharingViolation);
  return RetriedWithoutAttributes(dst, std::move(replaced), rename);
}

// Checked before a copy, which would be made for nothing when another
// program holds the existing destination open without delete sharing.
bool DestinationHeld(const std::string& dst, const CopyHints& hints) {
  return hints.destination != DestinationState::Missing && HeldByAnotherProgram(dst, ShareAll);
}

// Creates (or empties) the partial copy. A read-only or hidden leftover of
// an interrupted run refuses that until its attributes are cleared.
Result<FileHandle> CreatePartialCopy(const std::string& partial, FileAccess access,
                                     FileFlags flags) {
  return WithAttributesClearedIfRefused(partial, [&] {
    return Sys().OpenFile(partial, access, FileShare::Read | FileShare::Write,
                          FileDisposition::CreateAlways, flags);
  });
}

// ---- the plain copy ---------------------------------------------------------------

// Copies the rest of source into copy through a buffer kept from one file
// to the next, reporting the bytes done after every full block.
Result<void> CopyBytes(File& source, File& copy, CopyReport& report) {
  static std::vector<uint8_t> buffer(PlainCopyBufferSize);
  uint64_t done = 0;
  for (;;) {
    const Result<uint32_t> got = source.Read(buffer.data(), PlainCopyBufferSize);
    if (!got) return Failure(got.Error());
    if (*got == 0) return Success();
    const Result<uint32_t> put = copy.Write(buffer.data(), *got);
    if (!put) return Failure(put.Error());
    if (*put != *got) return Failure(ErrorWriteFault);  // a short write without an error
    if (*got < PlainCopyBufferSize) return Success();   // a short block is the last one
    done += *got;
    if (!report.Progress(done)) return Failure(ErrorUserAbort);
  }
}

// After a copy failed for lack of space: true when the new copy fits once
// the old destination is gone (whose space counts as free, as with the
// verified copy).
bool RoomWithoutOldCopy(uint32_t code, uint64_t sourceSize, const std::string& dst) {
  if (code != ErrorDiskFull && code != ErrorHandleDiskFull) return false;
  const char letter = DriveLetterOf(dst);
  uint64_t oldSize = 0;
  if (letter < 'A' || letter > 'Z' || !ExistingFileSize(dst, oldSize) || oldSize == 0)
    return false;
  const int64_t freeBytes = DriveFreeSpace(letter);
  return freeBytes >= 0 &&
         static_cast<int64_t>(sourceSize) <= freeBytes + static_cast<int64_t>(oldSize);
}

// The system's own copy into the partial copy, renamed over the destination
// when complete: for files with more than their bytes (named data streams,
// encryption), which only the system knows how to carry over.
Result<void> SystemCopyThroughPartial(const std::string& src, const std::string& dst,
                                      const std::string& partial) {
  const auto copyIntoPartial = [&] { return Sys().SystemCopy(src, partial, false); };
  Result<void> copied = WithAttributesClearedIfRefused(partial, copyIntoPartial);
  if (copied.Error() == ErrorDiskFull || copied.Error() == ErrorHandleDiskFull) {
    RemovePartialCopy(partial);
    uint64_t sourceSize = 0;
    if (ExistingFileSize(src, sourceSize) &&
        RoomWithoutOldCopy(copied.Error(), sourceSize, dst)) {
      (void)RemoveAnyFile(dst);
      copied = copyIntoPartial();
    }
  }
  if (copied)
    copied = ReplaceDestination(dst, [&] { return Sys().ReplaceFile(partial, dst); });
  if (!copied) RemovePartialCopy(partial);
  return copied;
}

// Writes the source into a new partial copy; when the drive has room for
// it only without the old destination, that goes first and the copy is
// made once more.
Result<FileHandle> WritePlainPartialCopy(File& source, const std::string& partial,
                                         const std::string& dst, CopyReport& report) {
  for (int attempt = 0;; ++attempt) {
    if (attempt > 0) {
      if (const Result<void> rewound = source.Seek(0); !rewound) return Failure(rewound.Error());
    }
    Result<FileHandle> copy = CreatePartialCopy(
        partial, FileAccess::Write | FileAccess::Delete, FileFlags::SequentialScan);
    if (!copy) return copy;
    const Result<void> copied = CopyBytes(source, **copy, report);
    if (copied) return copy;
    copy->reset();
    RemovePartialCopy(partial);
    const Result<uint64_t> sourceSize = source.Size();
    if (attempt > 0 || !sourceSize || copied.Error() == ErrorUserAbort ||
        !RoomWithoutOldCopy(copied.Error(), *sourceSize, dst))
      return Failure(copied.Error());
    (void)RemoveAnyFile(dst);
  }
}

// ---- the verified copy -------------------------------------------------------------

// Compares a block as written with its read-back: whole 32-bit words, as far
// as both buffers hold the block's bytes.
bool BlockMatches(const uint8_t* written, const uint8_t* readBack, uint32_t count,
                  uint32_t writtenCount, uint32_t readBackCount) {
  size_t length = (size_t(count) + ComparedWordBytes - 1) / ComparedWordBytes * ComparedWordBytes;
  if (length > writtenCount || length > readBackCount) length = count;
  return std::memcmp(written, readBack, length) == 0;
}

uint32_t SectorSizeOr(uint32_t given, char letter) {
  uint32_t size = given != 0 ? given : DriveSectorSize(letter);
  return size != 0 ? size : FallbackSectorSize;
}

// One verified copy, step by step. Each step returns false when the copy
// ends there; the clean-up then releases whatever the copy holds.
class VerifiedCopy {
 public:
  VerifiedCopy(const std::string& src, const std::string& dst, const VerifiedCopyOptions& options,
               const CopyHints& hints, RunHost* host)
      : src_(src), dst_(dst), partialPath_(PartialCopyPath(dst)), options_(options),
        hints_(hints), host_(host), dstLetter_(DriveLetterOf(dst)),
        srcSector_(SectorSizeOr(options.srcSectorSize, DriveLetterOf(src))),
        dstSector_(SectorSizeOr(options.dstSectorSize, dstLetter_)) {}

  CopyOutcome Run() {
    (void)(BufferSizeFits() && OpenSource() && TakeSourceStamp() && DestinationReplaceable() &&
           OpenPartialCopy() && SpaceSuffices() && AllocateBuffers() && CopyBlocks() &&
           TrimPadding() && PutInPlace());
    CleanUp();
    return outcome_;
  }

 private:
  bool Fail(uint32_t code) {
    outcome_.error = static_cast<int32_t>(code);
    return false;
  }
  bool Asks() const { return options_.dialogs && host_ != nullptr; }
  void Ask(QuestionKind kind, const std::string& text, uint32_t buttons) {
    if (Asks()) outcome_.answer = AskAbout(*host_, kind, text, buttons, src_);
  }

  bool BufferSizeFits() {
    const uint32_t size = options_.bufferSize;
    if (size >= MinCopyBufferSize && size <= MaxCopyBufferSize && size % srcSector_ == 0 &&
        size % dstSector_ == 0)
      return true;
    Ask(QuestionKind::CopyMemory, "Copy buffer not correctly allocated (invalid buffer size).\r   BufferSize=" +
            std::to_string(size) + "\r" + "\r" +
            "MinBufferSize=" + std::to_string(MinCopyBufferSize) + "\r" +
            "MaxBufferSize=" + std::to_string(MaxCopyBufferSize) + "\r" +
            "SrcSectorSize=" + std::to_string(srcSector_) + "\r" +
            "DstSectorSize=" + std::to_string(dstSector_),
        QuestionAbort);
    return Fail(ErrorOutOfStructures);
  }

  bool OpenSource() {
    Result<FileHandle> source =
        Sys().OpenFile(src_, FileAccess::Read, ShareAll, FileDisposition::OpenExisting,
                       FileFlags::NoBuffering | FileFlags::SequentialScan);
    if (!source) {
      outcome_.result = CopyWindowsError;
      return Fail(source.Error());
    }
    source_ = std::move(*source);
    return true;
  }

  // The date and attributes the copy gets: those the directory search
  // delivered, else the source's own before its first byte is read. A
  // source that changes during the copy thus leaves a copy dated before the
  // change, which the next run replaces. An undated copy would look newer
  // than its source: a date that cannot be read fails the copy.
  bool TakeSourceStamp() {
    sourceDate_ = hints_.sourceDate;
    if (sourceDate_ == MissingFileDate)
      sourceDate_ = source_->PackedDate().ValueOr(MissingFileDate);
    if (sourceDate_ == MissingFileDate) return Fail(ErrorReadFault);
    sourceAttributes_ = hints_.sourceStamp.attributes;
    if (hints_.sourceStamp.lastWrite == 0) {
      const Result<FileStamp> stamp = source_->Stamp();
      sourceAttributes_ = stamp ? stamp->attributes : 0;
    }
    return true;
  }

  bool DestinationReplaceable() {
    if (!DestinationHeld(dst_, hints_)) return true;
    outcome_.result = CopyWindowsError;
    return Fail(ErrorSharingViolation);
  }

  // Creates the partial copy, asking the user while that fails. The old
  // destination stays as it is until the finished copy replaces it.
  bool OpenPartialCopy() {
    for (;;) {
      outcome_ = CopyOutcome{};
      outcome_.answer = AnswerOk;
      Result<FileHandle> partial = CreatePartialCopy(
          partialPath_, FileAccess::Read | FileAccess::Write | FileAccess::Delete,
          FileFlags::WriteThrough | FileFlags::NoBuffering | FileFlags::SequentialScan);
      if (partial) {
        partial_ = std::move(*partial);
        deletePartial_ = true;
        return true;
      }
      outcome_.result = CopyWindowsError;
      Fail(partial.Error());
      if (!Asks()) return false;
      outcome_.answer = AskAbout(*host_, QuestionKind::FileCopy, WinErrorText(partial.Error(), false),
                                 QuestionAbort | QuestionRetry | QuestionIgnore, src_);
      if (outcome_.answer != AnswerRetry) return false;
    }
  }

  // The old destination stays until the new copy replaces it, so its space
  // counts as free.
  bool SpaceSuffices() {
    uint64_t oldSize = 0;
    if (hints_.destination == DestinationState::Present)
      oldSize = hints_.dstOldSize;
    else if (hints_.destination == DestinationState::Unknown && !ExistingFileSize(dst_, oldSize))
      oldSize = 0;
    const int64_t oldBytes = static_cast<int64_t>(oldSize);
    const int64_t freeBytes =
        hints_.dstFreeBytes >= 0 ? hints_.dstFreeBytes : DriveFreeSpace(dstLetter_);
    if (freeBytes == 0 && oldBytes == 0) {
      Ask(QuestionKind::NoRoom, std::string("Destination drive  ") + dstLetter_ + ":  is full.",
          QuestionAbort);
      return Fail(ErrorHandleDiskFull);
    }
    // The size the search delivered with the date the copy gets; asked of
    // the source only when no search came before.
    if (hints_.sourceSize >= 0) {
      sourceSize_ = static_cast<uint64_t>(hints_.sourceSize);
    } else {
      const Result<uint64_t> sourceSize = source_->Size();
      if (!sourceSize) return Fail(sourceSize.Error());
      sourceSize_ = *sourceSize;
    }
    const int64_t sourceBytes = static_cast<int64_t>(sourceSize_);
    if (freeBytes + oldBytes < sourceBytes) {
      Ask(QuestionKind::NoRoom,
          std::string("Not enough free space on drive  ") + dstLetter_ + ":  for file  " + "\r" +
              src_.substr(NameStart(src_)),
          QuestionAbort | QuestionIgnore);
      return Fail(ErrorDiskFull);
    }
    // The new copy fits only once the old destination is gone. When that
    // removal fails, the writes report the lack of space.
    if (freeBytes >= 0 && freeBytes < sourceBytes && oldBytes > 0) (void)RemoveAnyFile(dst_);
    return true;
  }

  bool AllocateBuffers() {
    uint32_t code = 0;
    for (std::unique_ptr<PageBuffer>* buffer : {&written_, &readBack_}) {
      Result<std::unique_ptr<PageBuffer>> pages = Sys().AllocatePages(options_.bufferSize);
      if (!pages) {
        code = pages.Error();
        break;
      }
      *buffer = std::move(*pages);
    }
    if (written_ && readBack_) return true;
    Ask(QuestionKind::CopyMemory,
        "Copy buffer memory allocation error.\rWinErrorCode=" + std::to_string(code) + "\r" +
            WinErrorText(code, false),
        QuestionAbort);
    return Fail(ErrorOutOfStructures);
  }

  // Lets the window answer between blocks; false when the user aborted.
  bool NotAborted() {
    if (report_.Progress(totalRead_)) return true;
    outcome_.answer = AnswerAbort;
    return Fail(ErrorUserAbort);
  }

  // The window is served between blocks: the walk served it right before
  // the file, so a file of one block goes without.
  bool CopyBlocks() {
    const uint32_t bufferSize = options_.bufferSize;
    uint8_t* const data = written_->Data();
    report_.Begin(src_, sourceSize_);
    for (bool first = true;; first = false) {
      if (!first && !NotAborted()) return false;
      const Result<uint32_t> read = source_->Read(data, bufferSize);
      if (!read) return Fail(read.Error());
      const uint32_t readCount = *read;
      if (readCount == 0) return true;
      totalRead_ += readCount;

      // Unbuffered writes take whole sectors: pad the last block with zeros.
      const uint32_t writeCount = (readCount + dstSector_ - 1) / dstSector_ * dstSector_;
      std::memset(data + readCount, 0, writeCount - readCount);
      const Result<uint32_t> write = partial_->Write(data, writeCount);
      if (!write) return Fail(write.Error());
      totalWritten_ += *write;
      // A short write without an error is still a write failure.
      if (*write < writeCount) return Fail(ErrorWriteFault);
      if (options_.verify && !BlockReadsBack(readCount, writeCount)) return false;
      if (readCount != bufferSize) return true;  // a short block is the last one
    }
  }

  // Reads the block just written back from the partial copy and compares it.
  bool BlockReadsBack(uint32_t readCount, uint32_t writeCount) {
    const uint64_t blockEnd = partial_->Position().ValueOr(0);
    bool readBackOk = false;
    uint32_t readBack = 0;
    if (partial_->Seek(blockStart_)) {
      const Result<uint32_t> back = partial_->Read(readBack_->Data(), options_.bufferSize);
      readBackOk = back.Ok();
      readBack = back.ValueOr(0);
    }
    const Result<void> seekBack = partial_->Seek(blockEnd);
    blockStart_ = blockEnd;
    if (!readBackOk || readBack < readCount ||
        !BlockMatches(written_->Data(), readBack_->Data(), readCount, writeCount, readBack))
      return Fail(ErrorWriteFault);
    if (!seekBack) return Fail(seekBack.Error());
    return true;
  }

  // Cuts the sector padding of the last block away, back to the bytes read:
  // through the handle that wrote it where the system allows an end inside
  // a sector on an unbuffered handle, otherwise through a second, buffered
  // handle.
  bool TrimPadding() {
    if (totalWritten_ == totalRead_) return true;
    if (partial_->Seek(totalRead_) && partial_->SetEnd()) return true;
    partial_.reset();
    Result<FileHandle> reopened =
        Sys().OpenFile(partialPath_, FileAccess::Read | FileAccess::Write | FileAccess::Delete,
                       FileShare::Read | FileShare::Write, FileDisposition::OpenExisting,
                       FileFlags::WriteThrough | FileFlags::SequentialScan);
    if (!reopened) return Fail(reopened.Error());
    partial_ = std::move(*reopened);
    Result<void> cut = partial_->Seek(totalRead_);
    if (cut) cut = partial_->SetEnd();
    return cut ? true : Fail(cut.Error());
  }

  // Dates the finished copy through the last handle that changes it, so
  // that closing it keeps that date, gives it the source's attributes and
  // renames it over the destination.
  bool PutInPlace() {
    source_.reset();
    if (const Result<void> dated = partial_->SetPackedDate(sourceDate_); !dated)
      return Fail(dated.Error());
    // A new file has the archive attribute already (the date stays as set);
    // a copy that cannot take the attributes is still complete.
    if (sourceAttributes_ != 0 && sourceAttributes_ != AttrArchive) {
      FileStamp attributesOnly;
      attributesOnly.attributes = sourceAttributes_;
      (void)partial_->SetStamp(attributesOnly);
    }
    const Result<void> renamed =
        ReplaceDestination(dst_, [this] { return partial_->RenameTo(dst_); });
    partial_.reset();
    if (!renamed) return Fail(renamed.Error());
    deletePartial_ = false;
    return true;
  }

  // Every way out ends here.
  void CleanUp() {
    source_.reset();
    partial_.reset();
    written_.reset();
    readBack_.reset();
    if (deletePartial_) RemovePartialCopy(partialPath_);
    if (outcome_.result == CopyOk)
      outcome_.result = CopyResultFromWinError(static_cast<uint32_t>(outcome_.error));
    if (outcome_.result == CopyOk) report_.Copied();
  }

  const std::string& src_;
  const std::string& dst_;
  const std::string partialPath_;
  const VerifiedCopyOptions& options_;
  const CopyHints& hints_;
  RunHost* const host_;
  const char dstLetter_;
  const uint32_t srcSector_;
  const uint32_t dstSector_;

  CopyOutcome outcome_;
  FileHandle source_;
  FileHandle partial_;
  std::unique_ptr<PageBuffer> written_;   // the data as read and written
  std::unique_ptr<PageBuffer> readBack_;  // the data as read back
  CopyReport report_{host_};  // from the first block on
  bool deletePartial_ = false;
  uint64_t sourceSize_ = 0;
  int32_t sourceDate_ = MissingFileDate;
  uint32_t sourceAttributes_ = 0;
  uint64_t blockStart_ = 0;  // where the current block starts in the copy
  uint64_t totalRead_ = 0;
  uint64_t totalWritten_ = 0;
};

}  // namespace

int32_t CopyResultFromWinError(uint32_t code) {
  switch (code) {
    case ErrorSuccess: return CopyOk;
    case ErrorAccessDenied:
    case ErrorWriteProtect: return CopyAccessDenied;
    case ErrorWriteFault: return CopyWriteError;
    case ErrorReadFault: return CopyReadError;
    case ErrorHandleDiskFull: return CopyDriveFull;
    case ErrorOutOfStructures: return CopyBufferError;
    case ErrorDiskFull: return CopyNoSpace;
    case ErrorUserAbort: return CopyAborted;
    default: return CopyWindowsError;
  }
}

std::string CopyResultText(int32_t result, char dstLetter, uint32_t error) {
  const bool german = LanguageIndex == 1;
  const std::string letter(1, dstLetter);
  switch (result) {
    case CopyOk:
      return "";
    case CopyBufferError:
      return german ? "Kopier-Puffer nicht Korrekt zugewiesen."
                    : "Copy buffer not correctly allocated.";
    case CopyReadError:
      return german ? "Fehler beim Lesen der Quelldatei" : "Source file read error";
    case CopyWriteError:
      return german ? "Fehler beim Schreiben der Zieldatei (keine Verifikation)"
                    : "Destination file write error (verify failed)";
    case CopyNoSpace:
      return german ? "Nicht gen\xC3\xBC" "gend freier Speicherplatz auf dem Laufwerk " + letter + ":"
                    : "Not enough free space on drive  " + letter + ":";
    case CopyDriveFull:
      return german ? "Das Ziellaufwerk " + letter + ": ist voll."
                    : "Destination drive  " + letter + ":  is full.";
    case CopyAccessDenied:
      return german ? "Zugriff verweigert (das Ziel-Laufwerk oder -Verzeichnis ist "
                      "schreibgesch\xC3\xBC" "tzt)."
                    : "Access denied (destination drive or directory is write protectetd).";
    case CopyAborted:
      return german ? "COPY durch den Benutzer abgebrochen (Zieldatei gel\xC3\xB6" "scht)"
                    : "COPY aborted by user. (Destination file deleted)";
    default:
      return german ? "Mysteri\xC3\xB6" "ser Windows-Fehler  (Fehlercode=" + std::to_string(error) + ")"
                    : "Mysterious Windows error  (error code=" + std::to_string(error) + ")";
  }
}

bool CopyFileDate(const std::string& src, const std::string& dst) {
  return CopyFileDateOf(src, dst).Ok();
}

std::string PartialCopyPath(const std::string& dst) {
  const size_t nameStart = NameStart(dst);
  const std::string name = dst.substr(nameStart);
  return dst.substr(0, nameStart) +
         (Sys().SameName(name, PartialCopyName) ? PartialCopyNameAlt : PartialCopyName);
}

Result<void> CopyFilePlain(const std::string& src, const std::string& dst,
                           const CopyHints& hints, RunHost* host) {
  const std::string partial = PartialCopyPath(dst);
  Result<FileHandle> opened = Sys().OpenFile(src, FileAccess::Read, ShareAll,
                                             FileDisposition::OpenExisting,
                                             FileFlags::SequentialScan);
  if (!opened) return Failure(opened.Error());
  FileHandle source = std::move(*opened);
  if (DestinationHeld(dst, hints)) return Failure(ErrorSharingViolation);
  // Taken before the data: a source that changes while it is copied leaves
  // a copy dated before the change, which the next run replaces.
  FileStamp stamp = hints.sourceStamp;
  if (stamp.lastWrite == 0) {
    const Result<FileStamp> own = source->Stamp();
    if (!own) return Failure(own.Error());
    stamp = *own;
  }
  if ((stamp.attributes & AttrEncrypted) != 0 ||
      (hints.streamsPossible && source->HasNamedStreams())) {
    source.reset();
    return SystemCopyThroughPartial(src, dst, partial);
  }

  const uint64_t size = host == nullptr         ? 0
                        : hints.sourceSize >= 0 ? static_cast<uint64_t>(hints.sourceSize)
                                                : source->Size().ValueOr(0);
  CopyReport report(host);
  report.Begin(src, size);
  Result<FileHandle> copy = WritePlainPartialCopy(*source, partial, dst, report);
  source.reset();
  if (!copy) return Failure(copy.Error());

  // A new file has the archive attribute already: the common source that
  // has no other needs its date only, which is quicker to set alone.
  if (stamp.attributes == AttrArchive) stamp.attributes = 0;
  Result<void> placed = (*copy)->SetStamp(stamp);
  if (placed) placed = ReplaceDestination(dst, [&copy, &dst] { return (*copy)->RenameTo(dst); });
  copy->reset();
  if (!placed) RemovePartialCopy(partial);
  if (placed) report.Copied();
  return placed;
}

CopyOutcome CopyFileVerified(const std::string& src, const std::string& dst,
                             const VerifiedCopyOptions& options, const CopyHints& hints,
                             RunHost* host) {
  return VerifiedCopy(src, dst, options, hints, host).Run();
}

}  // namespace plovik
