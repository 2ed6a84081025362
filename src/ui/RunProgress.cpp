#include "ui/RunProgress.h"

#include <algorithm>

#include "lib/XStrings.h"
#include "ui/Language.h"

namespace plovik {

ProgressFigures TitleProgress;

namespace {

// Between the caption and the figures, and between the figures and the
// file; an en dash.
constexpr const char* Dash = "  \xE2\x80\x93  ";
// A longer file name is shortened in its middle, so that the percentage
// behind it stays in sight.
constexpr uint16_t MaxNameChars = 40;
constexpr const char* Units[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
constexpr int LastUnitShift = 60;  // EB
// Below this many units a size shows a tenth.
constexpr uint64_t TenthsBelow = 100;

std::string FileCountText(uint64_t files, bool german) {
  const std::string count = FormatBytes(static_cast<int64_t>(files), german ? '.' : ',');
  if (german) return count + (files == 1 ? " Datei" : " Dateien");
  return count + (files == 1 ? " file" : " files");
}

// Binary units as the system shows them (1 KB = 1024 bytes). The figure
// is cut, not rounded, so that it never runs ahead of the bytes.
std::string ByteCountText(uint64_t bytes, bool german) {
  if (bytes < 1024) {
    const char* unit = german ? (bytes == 1 ? " Byte" : " Bytes") : (bytes == 1 ? " byte" : " bytes");
    return std::to_string(bytes) + unit;
  }
  int shift = 10;  // 1 << shift bytes are one unit
  while ((bytes >> shift) >= 1024 && shift < LastUnitShift) shift += 10;
  const uint64_t whole = bytes >> shift;
  const std::string unitText = std::string(" ") + Units[shift / 10 - 1];
  if (whole >= TenthsBelow) {
    return FormatBytes(static_cast<int64_t>(whole), german ? '.' : ',') + unitText;
  }
  // The rest is below 2^60, so ten times it fits.
  const uint64_t rest = bytes & ((uint64_t(1) << shift) - 1);
  const uint64_t tenth = (rest * 10) >> shift;
  return std::to_string(whole) + (german ? "," : ".") + std::to_string(tenth) + unitText;
}

// Whole per cents; 100 only when the file is done.
int Percent(uint64_t done, uint64_t size) {
  if (done >= size) return 100;
  const double share = static_cast<double>(done) / static_cast<double>(size);
  return std::min(99, static_cast<int>(share * 100.0));
}

std::string LeafName(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string ProgressTitle(const std::string& caption, const ProgressFigures& figures,
                          uint8_t languageIndex) {
  if (!figures.shown) return caption;
  const bool german = languageIndex == 1;
  std::string title = caption + Dash + FileCountText(figures.filesCopied, german) + ", " +
                      ByteCountText(figures.bytesCopied, german) + (german ? " kopiert" : " copied");
  if (!figures.fileName.empty()) {
    title += Dash + ShortenPath(figures.fileName, MaxNameChars) + " " +
             std::to_string(figures.percent) + (german ? " %" : "%");
  }
  return title;
}

// ---- the display of one run ----------------------------------------------------------------

void ProgressDisplay::Begin() {
  filesCopied_ = 0;
  bytesCopied_ = 0;
  copying_ = false;
  nextShow_ = 0;
  if (TitleProgress.shown) {
    TitleProgress = ProgressFigures{};
    SetMainCaption();
  }
  SendTaskbar(TaskbarProgress::Indeterminate, 0, 0);
  taskbarInUse_ = true;
}

void ProgressDisplay::FileBegins(const std::string& path, uint64_t size) {
  path_ = path;
  size_ = size;
  bytesDone_ = 0;
  copying_ = true;
  beganAt_ = Sys().TickCount();
  if (beganAt_ >= nextShow_) Show(beganAt_);
}

// A file counts once, with the size its copy began with.
void ProgressDisplay::FileEnds(bool copied) {
  if (copied && copying_) {
    ++filesCopied_;
    bytesCopied_ += size_;
  }
  copying_ = false;
  ShowWhenDue();
}

void ProgressDisplay::Finish() {
  copying_ = false;
  nextShow_ = Never;
  Publish(false);
  ClearTaskbar();
}

void ProgressDisplay::End() {
  copying_ = false;
  nextShow_ = Never;
  if (TitleProgress.shown) {
    TitleProgress = ProgressFigures{};
    SetMainCaption();
  }
  ClearTaskbar();
}

void ProgressDisplay::Show(uint64_t now) {
  nextShow_ = now + ShowIntervalMs;
  const bool large = copying_ && (size_ >= LargeFileBytes || now - beganAt_ >= LargeFileMs);
  Publish(large);
  if (large) {
    SetTaskbar(TaskbarProgress::Normal, std::min(bytesDone_, size_), size_);
  } else {
    SetTaskbar(TaskbarProgress::Indeterminate, 0, 0);
  }
}

void ProgressDisplay::Publish(bool withFile) {
  TitleProgress.shown = true;
  TitleProgress.filesCopied = filesCopied_;
  TitleProgress.bytesCopied = bytesCopied_;
  TitleProgress.fileName = withFile ? LeafName(path_) : std::string();
  TitleProgress.percent = withFile ? Percent(bytesDone_, size_) : 0;
  SetMainCaption();
}

void ProgressDisplay::SetTaskbar(TaskbarProgress state, uint64_t done, uint64_t total) {
  if (taskbarKnown_ && state == taskbarState_ && done == taskbarDone_ && total == taskbarTotal_)
    return;
  SendTaskbar(state, done, total);
}

// A call the system did not take is made again at the next showing.
void ProgressDisplay::SendTaskbar(TaskbarProgress state, uint64_t done, uint64_t total) {
  taskbarKnown_ = Tk().SetTaskbarProgress(state, done, total);
  taskbarState_ = state;
  taskbarDone_ = done;
  taskbarTotal_ = total;
}

// Once per run: outside runs the program leaves the taskbar alone.
void ProgressDisplay::ClearTaskbar() {
  if (!taskbarInUse_) return;
  SendTaskbar(TaskbarProgress::None, 0, 0);
  taskbarInUse_ = false;
}

}  // namespace plovik
