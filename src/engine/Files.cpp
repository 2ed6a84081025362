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
constexpr FileShare ShareAll = FileShare::Read | FileShare::Write | FileShare::Delete;
constexpr uint32_t PlainCopyBufferSize = 1u << 20;

// Where the file name of a path begins.
size_t NameStart(const std::string& path) {
  const size_t pos = path.find_last_of("\\/:");
  return pos == std::string::npos ? 0 : pos + 1;
}

// The size of an existing file, read from its directory entry (which can be
// read even while another program holds the file open without sharing).
bool ExistingFileSize(const std::string& path, uint64_t& size) {
  Result<std::unique_ptr<DirSearch>> search = Sys().StartSearch(path);
  DirEntry entry;
  if (!search || !(*search)->Next(entry) || (entry.attributes & AttrDirectory) != 0) return false;
  size = entry.size;
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

int16_t AskAfterBeep(const std::string& text, uint32_t buttons) {
  Sys().Beep(BeepKind::Exclamation);
  return static_cast<int16_t>(Tk().MessageDialog(text, DialogType::Error, buttons, 0));
}

// Removes a partial copy; a copy that was already given read-only
// attributes loses them first.
void RemovePartialCopy(const std::string& partial) {
  (void)Sys().SetAttributes(partial, 0);
  (void)Sys().RemoveFile(partial);
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
Result<FileHandle> CreatePartialCopy(const std::string& partial, FileAccess access,
                                     FileFlags flags) {
  const FileShare share = FileShare::Read | FileShare::Write;
  Result<FileHandle> file =
      Sys().OpenFile(partial, access, share, FileDisposition::CreateAlways, flags);
  if (!file && file.Error() == ErrorAccessDenied && Sys().SetAttributes(partial, 0))
    file = Sys().OpenFile(partial, access, share, FileDisposition::CreateAlways, flags);
  return file;
}

// Renames the finished partial copy over the destination. The destination's
// attributes are cleared first when a read-only, hidden or system file
// refuses to be replaced.
Result<void> PutPartialInPlace(const std::string& partial, const std::string& dst) {
  Result<void> replaced = Sys().ReplaceFile(partial, dst);
  if (replaced.Error() == ErrorAccessDenied && Sys().SetAttributes(dst, 0))
    replaced = Sys().ReplaceFile(partial, dst);
  return replaced;
}

// Copies the rest of source into copy through a buffer kept from one file
// to the next.
Result<void> CopyBytes(File& source, File& copy) {
  static std::vector<uint8_t> buffer(PlainCopyBufferSize);
  for (;;) {
    const Result<uint32_t> got = source.Read(buffer.data(), PlainCopyBufferSize);
    if (!got) return Failure(got.Error());
    if (*got == 0) return Success();
    const Result<uint32_t> put = copy.Write(buffer.data(), *got);
    if (!put) return Failure(put.Error());
    if (*put != *got) return Failure(ErrorWriteFault);  // a short write without an error
    if (*got < PlainCopyBufferSize) return Success();   // a short block is the last one
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
  Result<void> copied = Sys().SystemCopy(src, partial, false);
  // A read-only or hidden leftover of an interrupted run refuses to be
  // replaced.
  if (copied.Error() == ErrorAccessDenied && Sys().SetAttributes(partial, 0))
    copied = Sys().SystemCopy(src, partial, false);
  if (copied.Error() == ErrorDiskFull || copied.Error() == ErrorHandleDiskFull) {
    RemovePartialCopy(partial);
    uint64_t sourceSize = 0;
    if (ExistingFileSize(src, sourceSize) &&
        RoomWithoutOldCopy(copied.Error(), sourceSize, dst)) {
      (void)Sys().SetAttributes(dst, 0);
      (void)Sys().RemoveFile(dst);
      copied = Sys().SystemCopy(src, partial, false);
    }
  }
  if (copied) copied = PutPartialInPlace(partial, dst);
  if (!copied) RemovePartialCopy(partial);
  return copied;
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

  Result<FileHandle> source =
      Sys().OpenFile(rq.src, FileAccess::Read, ShareAll, FileDisposition::OpenExisting,
                     FileFlags::NoBuffering | FileFlags::SequentialScan);
  if (!source) {
    setError(source.Error());
    result = CopyWindowsError;
    return;
  }
  hold.source = std::move(*source);

  // The old destination keeps its attributes until the new copy replaces
  // it; a read-only one has them cleared only when it refuses that.
  for (;;) {
    result = CopyOk;
    error = 0;
    answer = ModalOk;
    Result<FileHandle> partial = CreatePartialCopy(
        rq.partial, FileAccess::Read | FileAccess::Write | FileAccess::Delete,
        FileFlags::WriteThrough | FileFlags::NoBuffering | FileFlags::SequentialScan);
    if (partial) {
      hold.partial = std::move(*partial);
      break;
    }
    setError(partial.Error());
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
  const Result<uint64_t> sourceSize = hold.source->Size();
  if (!sourceSize) {
    setError(sourceSize.Error());
    return;
  }
  const int64_t sourceBytes = static_cast<int64_t>(*sourceSize);
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

  uint32_t code = 0;
  for (std::unique_ptr<PageBuffer>* buffer : {&hold.bufferA, &hold.bufferB}) {
    Result<std::unique_ptr<PageBuffer>> pages = Sys().AllocatePages(bufferSize);
    if (!pages) {
      code = pages.Error();
      break;
    }
    *buffer = std::move(*pages);
  }
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
  if (removeOldFirst) (void)Sys().RemoveFile(rq.dst);

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

    const Result<uint32_t> read = hold.source->Read(dataA, bufferSize);
    if (!read) {
      setError(read.Error());
      return;
    }
    const uint32_t readCount = *read;
    if (readCount == 0) break;
    totalRead += readCount;

    // Unbuffered writes take whole sectors: pad the last block with zeros.
    const uint32_t writeCount = (readCount + dstSector - 1) / dstSector * dstSector;
    std::memset(dataA + readCount, 0, writeCount - readCount);
    const Result<uint32_t> write = hold.partial->Write(dataA, writeCount);
    if (!write) {
      setError(write.Error());
      return;
    }
    const uint32_t written = *write;
    totalWritten += written;
    if (written < writeCount) {
      // A short write without an error is still a write failure.
      setError(ErrorWriteFault);
      return;
    }

    if (rq.verify) {
      const uint64_t blockEnd = hold.partial->Position().ValueOr(0);
      bool readBackOk = false;
      uint32_t readBack = 0;
      if (hold.partial->Seek(blockStart)) {
        const Result<uint32_t> back = hold.partial->Read(dataB, bufferSize);
        readBackOk = back.Ok();
        readBack = back.ValueOr(0);
      }
      const Result<void> seekBack = hold.partial->Seek(blockEnd);
      blockStart = blockEnd;
      if (!readBackOk || readBack < readCount ||
          !BlockMatches(dataA, dataB, readCount, writeCount, readBack)) {
        setError(ErrorWriteFault);
        return;
      }
      if (!seekBack) {
        setError(seekBack.Error());
        return;
      }
    }
    if (readCount != bufferSize) break;  // a short block is the last one
  }
  // The copy gets the source's date through the last handle that changes
  // it, after its last change, so that closing it keeps that date. An
  // undated copy would look newer than its source: a date that cannot be
  // read or set fails the copy.
  const int32_t sourceDate = hold.source->PackedDate().ValueOr(MissingFileDate);
  FileStamp sourceStamp = rq.hints.sourceStamp;
  if (sourceStamp.lastWrite == 0) {
    const Result<FileStamp> stamp = hold.source->Stamp();
    if (stamp)
      sourceStamp = *stamp;
    else
      sourceStamp.attributes = 0;
  }
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
  if (!trimmed && hold.partial->Seek(totalRead) && hold.partial->SetEnd()) trimmed = true;
  if (!trimmed) {
    hold.partial.reset();
    Result<FileHandle> reopened =
        Sys().OpenFile(rq.partial, FileAccess::Read | FileAccess::Write | FileAccess::Delete,
                       FileShare::Read | FileShare::Write, FileDisposition::OpenExisting,
                       FileFlags::WriteThrough | FileFlags::SequentialScan);
    if (!reopened) {
      setError(reopened.Error());
      return;
    }
    hold.partial = std::move(*reopened);
    Result<void> cut = hold.partial->Seek(totalRead);
    if (cut) cut = hold.partial->SetEnd();
    if (!cut) {
      setError(cut.Error());
      return;
    }
  }
  if (const Result<void> dated = hold.partial->SetPackedDate(sourceDate); !dated) {
    setError(dated.Error());
    return;
  }
  // The source's attributes, unless a new file has them already (the date
  // stays as set); a copy that cannot take them is still complete.
  if (sourceStamp.attributes != 0 && sourceStamp.attributes != AttrArchive) {
    FileStamp attributesOnly;
    attributesOnly.attributes = sourceStamp.attributes;
    (void)hold.partial->SetStamp(attributesOnly);
  }

  Result<void> renamed = hold.partial->RenameTo(rq.dst);
  // A read-only destination refuses to be replaced.
  if (renamed.Error() == ErrorAccessDenied && Sys().SetAttributes(rq.dst, 0))
    renamed = hold.partial->RenameTo(rq.dst);
  hold.partial.reset();
  if (!renamed) {
    setError(renamed.Error());
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
  return CopyFileDateOf(src, dst).Ok();
}

std::string PartialCopyPath(const std::string& dst) {
  const size_t nameStart = NameStart(dst);
  const std::string name = dst.substr(nameStart);
  return dst.substr(0, nameStart) +
         (Sys().SameName(name, PartialCopyName) ? PartialCopyNameAlt : PartialCopyName);
}

Result<void> CopyFilePlain(const std::string& src, const std::string& dst,
                           const CopyHints& hints) {
  const std::string partial = PartialCopyPath(dst);
  Result<FileHandle> opened = Sys().OpenFile(src, FileAccess::Read, ShareAll,
                                             FileDisposition::OpenExisting,
                                             FileFlags::SequentialScan);
  if (!opened) return Failure(opened.Error());
  FileHandle source = std::move(*opened);
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

  FileHandle copy;
  for (int attempt = 0;; ++attempt) {
    if (attempt > 0) {
      if (const Result<void> rewound = source->Seek(0); !rewound) return rewound;
    }
    Result<FileHandle> created =
        CreatePartialCopy(partial, FileAccess::Write | FileAccess::Delete,
                          FileFlags::SequentialScan);
    if (!created) return Failure(created.Error());
    copy = std::move(*created);
    const Result<void> copied = CopyBytes(*source, *copy);
    if (copied) break;
    copy.reset();
    RemovePartialCopy(partial);
    const Result<uint64_t> sourceSize = source->Size();
    if (attempt > 0 || !sourceSize || !RoomWithoutOldCopy(copied.Error(), *sourceSize, dst))
      return copied;
    (void)Sys().SetAttributes(dst, 0);
    (void)Sys().RemoveFile(dst);
  }
  source.reset();

  // A new file has the archive attribute already: the common source that
  // has no other needs its date only, which is quicker to set alone.
  if (stamp.attributes == AttrArchive) stamp.attributes = 0;
  Result<void> placed = copy->SetStamp(stamp);
  if (placed) {
    placed = copy->RenameTo(dst);
    // A read-only destination refuses to be replaced.
    if (placed.Error() == ErrorAccessDenied && Sys().SetAttributes(dst, 0))
      placed = copy->RenameTo(dst);
  }
  copy.reset();
  if (!placed) RemovePartialCopy(partial);
  return placed;
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
