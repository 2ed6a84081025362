#include "core/TextFiles.h"

#include <algorithm>
#include <optional>

#include "platform/Platform.h"

namespace plovik {

namespace {

constexpr const char* Utf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr size_t ByteOrderMarkSize = 3;
constexpr const char* TemporarySuffix = ".plovik-new";
// Bytes per write call: large enough for any settings file or log in a few
// calls, small enough that the count fits a 32-bit parameter.
constexpr size_t WriteChunk = size_t(1) << 20;

std::string Encoded(const std::string& text) {
  const std::optional<std::string> ansi = Sys().ToAnsi(text);
  if (ansi) return *ansi;
  return Utf8ByteOrderMark + text;
}

Result<void> WriteAll(File& file, const std::string& bytes) {
  for (size_t done = 0; done < bytes.size();) {
    const uint32_t count = static_cast<uint32_t>(std::min(WriteChunk, bytes.size() - done));
    const Result<uint32_t> written = file.Write(bytes.data() + done, count);
    if (!written) return Failure(written.Error());
    // A write that takes nothing would loop for ever: the disk is full.
    if (*written == 0) return Failure(ErrorDiskFull);
    done += *written;
  }
  return Success();
}

Result<void> WriteTemporary(const std::string& temporary, const std::string& bytes) {
  Result<FileHandle> file = Sys().OpenFile(temporary, FileAccess::Write, FileShare::None,
                                           FileDisposition::CreateAlways, FileFlags::None);
  if (!file) return Failure(file.Error());
  return WriteAll(**file, bytes);
}

}  // namespace

std::string TemporaryNameFor(const std::string& path) { return path + TemporarySuffix; }

Result<void> WriteTextFileWhole(const std::string& path, const std::string& text) {
  const std::string temporary = TemporaryNameFor(path);
  Result<void> written = WriteTemporary(temporary, Encoded(text));
  if (written) written = Sys().ReplaceFile(temporary, path);
  if (!written) (void)Sys().RemoveFile(temporary);
  return written;
}

Result<void> WriteLinesWhole(const std::string& path, const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return WriteTextFileWhole(path, text);
}

Result<void> WriteLinesWhole(const std::string& path, const TextLines& lines) {
  std::string text;
  text.reserve(lines.Used());
  lines.ForEach([&text](std::string_view line) {
    text += line;
    text += "\r\n";
  });
  return WriteTextFileWhole(path, text);
}

Result<std::string> ReadTextFile(const std::string& path) {
  Result<FileHandle> file = Sys().OpenFile(path, FileAccess::Read, FileShare::Read,
                                           FileDisposition::OpenExisting, FileFlags::None);
  if (!file) return Failure(file.Error());
  std::string bytes;
  char buffer[1 << 14];
  for (;;) {
    const Result<uint32_t> read = (*file)->Read(buffer, sizeof buffer);
    if (!read) return Failure(read.Error());
    if (*read == 0) break;
    bytes.append(buffer, *read);
  }
  if (bytes.compare(0, ByteOrderMarkSize, Utf8ByteOrderMark) == 0) {
    return bytes.substr(ByteOrderMarkSize);
  }
  return Sys().FromAnsi(bytes);
}

}  // namespace plovik
