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
#include "toolkit/Toolkit.h"

namespace plovik {

namespace {

// Taken for a drive whose sector size cannot be queried.
constexpr uint32_t FallbackSectorSize = 2048;
constexpr const char* PartialCopyName = "~plovik-partial.tmp";
constexpr const char* PartialCopyNameAlt = "~plovik-partial-2.tmp";
constexpr uint32_t ShareAll = ShareRead | ShareWrite | ShareDelete;
constexpr uint32_t PlainCopyBufferSize = 1u << 20;

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  }
  return true;
}

// The upper-cased first character of a path: its drive letter.
char DriveLetterOf(const std::string& path) { return path.empty() ? '\0' : UpperAscii(path[0]); }

// Where the file name of a path begins.
size_t NameStart(const std::string& path) {
  const size_t pos = path.find_last_of("\\/:");
  return pos == std::string::npos ? 0 : pos + 1;
}

// An open call that failed without telling why still counts as a failure.
uint32_t OpenFailure(uint32_t code) { return code != 0 ? code : ErrorInvalidHandle; }

// The size of an existing file, read from its directory entry (which can be
// read even while another program holds the file open without sharing).
bool ExistingFileSize(const std::string& path, uint64_t& size) {
  std::unique_ptr<DirSearch> search = Sys().StartSearch(path);
  DirEntry entry;
  if (!search || !search->Next(entry) || (entry.attributes & AttrDirectory) != 0) return false;
  size = entry.size;
  return true;
}

// Gives dst the last-write time of src, as a PackedFileDate. Returns the
// Windows error of the step that failed, 0 on success.
uint32_t CopyFileDateCode(const std::string& src, const std::string& dst) {
  uint32_t attributes = 0;
  uint32_t code = Sys().GetAttributes(src, attributes);
  if (code != 0) return code;
  code = Sys().GetAttributes(dst, attributes);
  if (code != 0) return code;

  FileHandle source = Sys().OpenFile(src, AccessRead, ShareAll, FileDisposition::OpenExisting,
                                     FlagNone, code);
  if (!source) return OpenFailure(code);
  const int32_t date = source->PackedDate();
  source.reset();
  // The source's date could not be read: a read failure of the source.
  if (date == MissingFileDate) return ErrorReadFault;

  FileHandle target = Sys().OpenFile(dst, AccessWrite, ShareAll, FileDisposition::OpenExisting,
                                     FlagNone, code);
  if (!target) return OpenFailure(code);
  return target->SetPackedDate(date);
}

int16_t AskAfterBeep(const std::string& text, uint32_t buttons) {
  Sys().Beep(BeepKind::Exclamation);
  return static_cast<int16_t>(Tk().MessageDialog(text, DialogType::Error, buttons, 0));
}

// Removes a partial copy; a copy that was already given read-only
// attributes loses them first.
void RemovePartialCopy(const std::string& partial) {
  Sys().SetAttributes(partial, 0);
  Sys().RemoveFile(partial);
}

struct CopyRequest {
  const std::string& src;
  const std::string& dst;
  std::string partial;
  uint32_t bufferSize;
  bool dialogs;
  bool verify;
  uint32_t dstSectorSize;
  uint32_t srcSectorSize;
  CopyHints hints;
};

// Creates (or empties) the partial copy. A read-only or hidden leftover of
// an interrupted run refuses that; its attributes are then cleared and the
// creation is tried once more.
FileHandle CreatePartialCopy(const std::string& partial, uint32_t access, uint32_t flags,
                             uint32_t& code) {
  const uint32_t share = ShareRead | ShareWrite;
  FileHandle file =
      Sys().OpenFile(partial, access, share, FileDisposition::CreateAlways, flags, code);
  if (!file && code == ErrorAccessDenied && Sys().SetAttributes(partial, 0) == 0)
    file = Sys().OpenFile(partial, access, share, FileDisposition::CreateAlways, flags, code);
  return file;
}

// Renames the finished partial copy over the destination. The destination's
// attributes are cleared first when a read-only, hidden or system file
// refuses to be replaced.
uint32_t PutPartialInPlace(const std::string& partial, const std::string& dst) {
  uint32_t code = Sys().ReplaceFile(partial, dst);
  if (code == ErrorAccessDenied && Sys().SetAttributes(dst, 0) == 0)
    code = Sys().ReplaceFile(partial, dst);
  return code;
}

// Copies the rest of source into copy through a buffer kept from one file
// to the next.
uint32_t CopyBytes(File& source, File& copy) {
  static std::vector<uint8_t> buffer(PlainCopyBufferSize);
  for (;;) {
    uint32_t got = 0;
    uint32_t code = source.Read(buffer.data(), PlainCopyBufferSize, got);
    if (code != 0) return code;
    if (got == 0) return 0;
    uint32_t put = 0;
    code = copy.Write(buffer.data(), got, put);
    if (code != 0) return code;
    if (put != got) return ErrorWriteFault;  // a short write without an error
    if (got < PlainCopyBufferSize) return 0;  // a short block is the last one
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
uint32_t SystemCopyThroughPartial(const std::string& src, const std::string& dst,
                                  const std::string& partial) {
  uint32_t code = Sys().SystemCopy(src, partial, false);
  // A read-only or hidden leftover of an interrupted run refuses to be
  // replaced.
  if (code == ErrorAccessDenied && Sys().SetAttributes(partial, 0) == 0)
    code = Sys().SystemCopy(src, partial, false);
  if (code == ErrorDiskFull || code == ErrorHandleDiskFull) {
    RemovePartialCopy(partial);
    uint64_t sourceSize = 0;
    if (ExistingFileSize(src, sourceSize) && RoomWithoutOldCopy(code, sourceSize, dst)) {
      Sys().SetAttributes(dst, 0);
      Sys().RemoveFile(dst);
      code = Sys().SystemCopy(src, partial, false);
    }
  }
  if (code == 0) code = PutPartialInPlace(partial, dst);
  if (code != 0) RemovePartialCopy(partial);
  return code;
}

// What one copy holds while it runs; released by the clean-up.
struct CopyHoldings {
  FileHandle source;
  FileHandle partial;
  std::unique_ptr<PageBuffer> bufferA;  // the data as read and written
  std::unique_ptr<PageBuffer> bufferB;  // the data as read back
  bool deletePartial = false;
};

// Compares a block as written with its read-back: ceil(count / 4) 32-bit
// words, as far as both buffers hold the block's bytes.
bool BlockMatches(const uint8_t* written, const uint8_t* readBack, uint32_t count,
                  uint32_t writtenCount, uint32_t readBackCount) {
  size_t length = (size_t(count) + 3) / 4 * 4;
  if (length > writtenCount || length > readBackCount) length = count;
  return std::memcmp(written, readBack, length) == 0;
}

// The copy up to the clean-up: every way out returns from here, leaving the
// holdings for the caller to release.
void RunCopy(const CopyRequest& rq, CopyHoldings& hold, int32_t& error, int32_t& result,
             int16_t& answer) {
  const char srcLetter = DriveLetterOf(rq.src);
  const char dstLetter = DriveLetterOf(rq.dst);
  auto setError = [&error](uint32_t code) { error = static_cast<int32_t>(code); };

  uint32_t srcSector = rq.srcSectorSize != 0 ? rq.srcSectorSize : DriveSectorSize(srcLetter);
  if (srcSector == 0) srcSector = FallbackSectorSize;
  uint32_t dstSector = rq.dstSectorSize != 0 ? rq.dstSectorSize : DriveSectorSize(dstLetter);
  if (dstSector == 0) dstSector = FallbackSectorSize;
  const uint32_t bufferSize = rq.bufferSize;

  if (bufferSize < MinCopyBufferSize || bufferSize > MaxCopyBufferSize ||
      bufferSize % srcSector != 0 || bufferSize % dstSector != 0) {
    setError(ErrorOutOfStructures);
    if (rq.dialogs) {
      answer = AskAfterBeep(
          "Copy buffer not correctly allocated (invalid buffer size).\r   BufferSize=" +
              std::to_string(bufferSize) + "\r" + "\r" +
              "MinBufferSize=" + std::to_string(MinCopyBufferSize) + "\r" +
              "MaxBufferSize=" + std::to_string(MaxCopyBufferSize) + "\r" +
              "SrcSectorSize=" + std::to_string(srcSector) + "\r" +
              "DstSectorSize=" + std::to_string(dstSector),
          ButtonAbort);
    }
    return;
  }

  uint32_t code = 0;
  hold.source = Sys().OpenFile(rq.src, AccessRead, ShareAll, FileDisposition::OpenExisting,
                               FlagNoBuffering | FlagSequentialScan, code);
  if (!hold.source) {
    setError(OpenFailure(code));
    result = CopyWindowsError;
    return;
  }

  // The old destination keeps its attributes until the new copy replaces
  // it; a read-only one has them cleared only when it refuses that.
  for (;;) {
    result = CopyOk;
    error = 0;
    answer = ModalOk;
    hold.partial = CreatePartialCopy(
        rq.partial, AccessRead | AccessWrite | AccessDelete, FlagWriteThrough | FlagNoBuffering | FlagSequentialScan, code);
    if (hold.partial) break;
    setError(OpenFailure(code));
    result = CopyWindowsError;
    if (!rq.dialogs) return;
    answer = AskAfterBeep(WinErrorText(static_cast<uint32_t>(error), false),
                          ButtonAbort | ButtonRetry | ButtonIgnore);
    if (answer != ModalRetry) return;
  }
  hold.deletePartial = true;

  // The old destination stays until the new copy replaces it, so its space
  // counts as free.
  uint64_t oldSize = 0;
  if (rq.hints.dstOldSize >= 0)
    oldSize = static_cast<uint64_t>(rq.hints.dstOldSize);
  else if (!ExistingFileSize(rq.dst, oldSize))
    oldSize = 0;
  const int64_t oldBytes = static_cast<int64_t>(oldSize);
  const int64_t freeBytes =
      rq.hints.dstFreeBytes >= 0 ? rq.hints.dstFreeBytes : DriveFreeSpace(dstLetter);
  if (freeBytes == 0 && oldBytes == 0) {
    setError(ErrorHandleDiskFull);
    if (rq.dialogs) {
      answer = AskAfterBeep(std::string("Destination drive  ") + dstLetter + ":  is full.",
                            ButtonAbort);
    }
    return;
  }
  uint64_t sourceSize = 0;
  code = hold.source->Size(sourceSize);
  if (code != 0) {
    setError(code);
    return;
  }
  const int64_t sourceBytes = static_cast<int64_t>(sourceSize);
  if (freeBytes + oldBytes < sourceBytes) {
    setError(ErrorDiskFull);
    if (rq.dialogs) {
      answer = AskAfterBeep(std::string("Not enough free space on drive  ") + dstLetter +
                                ":  for file  " + "\r" + rq.src.substr(NameStart(rq.src)),
                            ButtonAbort | ButtonIgnore);
    }
    return;
  }
  // The new copy fits only once the old destination is gone.
  const bool removeOldFirst = freeBytes >= 0 && freeBytes < sourceBytes && oldBytes > 0;

  hold.bufferA = Sys().AllocatePages(bufferSize, code);
  if (hold.bufferA) hold.bufferB = Sys().AllocatePages(bufferSize, code);
  if (!hold.bufferA || !hold.bufferB) {
    setError(ErrorOutOfStructures);
    if (rq.dialogs) {
      answer = AskAfterBeep("Copy buffer memory allocation error.\rWinErrorCode=" +
                                std::to_string(code) + "\r" + WinErrorText(code, false),
                            ButtonAbort);
    }
    return;
  }

  // When this removal fails, the writes report the lack of space.
  if (removeOldFirst) Sys().RemoveFile(rq.dst);

  uint8_t* const dataA = hold.bufferA->Data();
  uint8_t* const dataB = hold.bufferB->Data();
  uint64_t blockStart = 0;
  uint64_t totalRead = 0;
  uint64_t totalWritten = 0;
  RunState.CopyAbortRequested = false;
  for (;;) {
    Tk().SetScreenCursor(CursorKind::Default);
    Tk().ProcessMessages();
    if (RunState.CopyAbortRequested) {
      setError(ErrorUserAbort);
      answer = ModalAbort;
      return;
    }
    Tk().SetScreenCursor(CursorKind::Hourglass);

    uint32_t readCount = 0;
    code = hold.source->Read(dataA, bufferSize, readCount);
    if (code != 0) {
      setError(code);
      return;
    }
    if (readCount == 0) break;
    totalRead += readCount;

    // Unbuffered writes take whole sectors: pad the last block with zeros.
    const uint32_t writeCount = (readCount + dstSector - 1) / dstSector * dstSector;
    std::memset(dataA + readCount, 0, writeCount - readCount);
    uint32_t written = 0;
    code = hold.partial->Write(dataA, writeCount, written);
    if (code != 0) {
      setError(code);
      return;
    }
    totalWritten += written;
    if (written < writeCount) {
      // A short write without an error is still a write failure.
      setError(ErrorWriteFault);
      return;
    }

    if (rq.verify) {
      const uint64_t blockEnd = hold.partial->Position();
      uint32_t readBack = 0;
      code = hold.partial->Seek(blockStart);
      if (code == 0) code = hold.partial->Read(dataB, bufferSize, readBack);
      const uint32_t seekBack = hold.partial->Seek(blockEnd);
      blockStart = blockEnd;
      if (code != 0 || readBack < readCount ||
          !BlockMatches(dataA, dataB, readCount, writeCount, readBack)) {
        setError(ErrorWriteFault);
        return;
      }
      if (seekBack != 0) {
        setError(seekBack);
        return;
      }
    }
    if (readCount != bufferSize) break;  // a short block is the last one
  }
  // The copy gets the source's date through the last handle that changes
  // it, after its last change, so that closing it keeps that date. An
  // undated copy would look newer than its source: a date that cannot be
  // read or set fails the copy.
  const int32_t sourceDate = hold.source->PackedDate();
  FileStamp sourceStamp = rq.hints.sourceStamp;
  if (sourceStamp.lastWrite == 0 && hold.source->Stamp(sourceStamp) != 0)
    sourceStamp.attributes = 0;
  hold.source.reset();
  if (sourceDate == MissingFileDate) {
    setError(ErrorReadFault);  // a read failure of the source
    return;
  }
  // Cut the sector padding of the last block away, back to the bytes read:
  // through the handle that wrote it where the system allows an end inside
  // a sector on an unbuffered handle, otherwise through a second, buffered
  // handle.
  bool trimmed = totalWritten == totalRead;
  if (!trimmed && hold.partial->Seek(totalRead) == 0 && hold.partial->SetEnd() == 0)
    trimmed = true;
  if (!trimmed) {
    hold.partial.reset();
    hold.partial = Sys().OpenFile(rq.partial, AccessRead | AccessWrite | AccessDelete,
                                  ShareRead | ShareWrite, FileDisposition::OpenExisting,
                                  FlagWriteThrough | FlagSequentialScan, code);
    if (!hold.partial) {
      setError(OpenFailure(code));
      return;
    }
    code = hold.partial->Seek(totalRead);
    if (code == 0) code = hold.partial->SetEnd();
    if (code != 0) {
      setError(code);
      return;
    }
  }
  code = hold.partial->SetPackedDate(sourceDate);
  if (code != 0) {
    setError(code);
    return;
  }
  // The source's attributes, unless a new file has them already (the date
  // stays as set); a copy that cannot take them is still complete.
  if (sourceStamp.attributes != 0 && sourceStamp.attributes != AttrArchive) {
    FileStamp attributesOnly;
    attributesOnly.attributes = sourceStamp.attributes;
    hold.partial->SetStamp(attributesOnly);
  }

  code = hold.partial->RenameTo(rq.dst);
  // A read-only destination refuses to be replaced.
  if (code == ErrorAccessDenied && Sys().SetAttributes(rq.dst, 0) == 0)
    code = hold.partial->RenameTo(rq.dst);
  hold.partial.reset();
  if (code != 0) {
    setError(code);
    return;
  }
  hold.deletePartial = false;
}

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
  return CopyFileDateCode(src, dst) == 0;
}

std::string PartialCopyPath(const std::string& dst) {
  const size_t nameStart = NameStart(dst);
  const std::string name = dst.substr(nameStart);
  return dst.substr(0, nameStart) +
         (EqualNoCase(name, PartialCopyName) ? PartialCopyNameAlt : PartialCopyName);
}

uint32_t CopyFilePlain(const std::string& src, const std::string& dst, const CopyHints& hints) {
  const std::string partial = PartialCopyPath(dst);
  uint32_t code = 0;
  FileHandle source = Sys().OpenFile(src, AccessRead, ShareAll, FileDisposition::OpenExisting,
                                     FlagSequentialScan, code);
  if (!source) return OpenFailure(code);
  // Taken before the data: a source that changes while it is copied leaves
  // a copy dated before the change, which the next run replaces.
  FileStamp stamp = hints.sourceStamp;
  if (stamp.lastWrite == 0 && (code = source->Stamp(stamp)) != 0) return code;
  if ((stamp.attributes & AttrEncrypted) != 0 ||
      (hints.streamsPossible && source->HasNamedStreams())) {
    source.reset();
    return SystemCopyThroughPartial(src, dst, partial);
  }

  FileHandle copy;
  for (int attempt = 0;; ++attempt) {
    if (attempt > 0 && (code = source->Seek(0)) != 0) return code;
    copy = CreatePartialCopy(partial, AccessWrite | AccessDelete, FlagSequentialScan, code);
    if (!copy) return OpenFailure(code);
    code = CopyBytes(*source, *copy);
    if (code == 0) break;
    copy.reset();
    RemovePartialCopy(partial);
    uint64_t sourceSize = 0;
    if (attempt > 0 || source->Size(sourceSize) != 0 ||
        !RoomWithoutOldCopy(code, sourceSize, dst))
      return code;
    Sys().SetAttributes(dst, 0);
    Sys().RemoveFile(dst);
  }
  source.reset();

  // A new file has the archive attribute already: the common source that
  // has no other needs its date only, which is quicker to set alone.
  if (stamp.attributes == AttrArchive) stamp.attributes = 0;
  code = copy->SetStamp(stamp);
  if (code == 0) {
    code = copy->RenameTo(dst);
    // A read-only destination refuses to be replaced.
    if (code == ErrorAccessDenied && Sys().SetAttributes(dst, 0) == 0) code = copy->RenameTo(dst);
  }
  copy.reset();
  if (code != 0) RemovePartialCopy(partial);
  return code;
}

void CopyFileVerified(const std::string& src, const std::string& dst, uint32_t bufferSize,
                      int32_t& error, int32_t& result, int16_t& answer, bool dialogs,
                      bool verify, uint32_t dstSectorSize, uint32_t srcSectorSize,
                      const CopyHints& hints) {
  result = CopyOk;
  error = 0;
  const CopyRequest request{src,     dst,    PartialCopyPath(dst), bufferSize,
                            dialogs, verify, dstSectorSize,        srcSectorSize,
                            hints};
  CopyHoldings hold;
  RunCopy(request, hold, error, result, answer);

  // Clean-up: every way out ends here.
  hold.source.reset();
  hold.partial.reset();
  hold.bufferA.reset();
  hold.bufferB.reset();
  if (hold.deletePartial) RemovePartialCopy(request.partial);
  if (result == CopyOk) result = CopyResultFromWinError(static_cast<uint32_t>(error));
  Tk().SetScreenCursor(CursorKind::Default);
}

}  // namespace plovik
