// How far an update run has come, as a person sees it: the title bar shows
// the files and bytes copied so far and, while a large file is copied, its
// name and percentage; the taskbar button shows that file's progress, or
// that the program is busy. The window host feeds the progress events in;
// the display changes at most every ShowIntervalMs, so that an event costs
// a clock read and a compare when nothing is due.
#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "platform/Platform.h"
#include "toolkit/Toolkit.h"

namespace plovik {

// What the title bar shows of the run behind its normal caption.
struct ProgressFigures {
  bool shown = false;  // false: the normal caption alone
  uint64_t filesCopied = 0;
  uint64_t bytesCopied = 0;
  std::string fileName;  // the large file being copied; empty for none
  int percent = 0;       // of that file
};

// The figures the title shows now; SetMainCaption puts them behind the
// caption, in the language in force.
extern ProgressFigures TitleProgress;

// The title with the figures behind the normal caption, e.g. in English
// " plovik  (Instance #2)  –  1,234 files, 5.6 GB copied  –  big.iso 42%".
std::string ProgressTitle(const std::string& caption, const ProgressFigures& figures,
                          uint8_t languageIndex);

class ProgressDisplay {
 public:
  static constexpr uint64_t ShowIntervalMs = 250;
  // A file shows its percentage when it is this large, or once its copy
  // has lasted LargeFileMs.
  static constexpr uint64_t LargeFileBytes = uint64_t(16) << 20;
  static constexpr uint64_t LargeFileMs = 500;

  // A run begins: nothing copied yet, the normal title, the taskbar busy.
  void Begin();
  void FileBegins(const std::string& path, uint64_t size);
  void FileProgress(uint64_t bytesDone) {
    bytesDone_ = bytesDone;
    ShowWhenDue();
  }
  void FileEnds(bool copied);
  void ShowWhenDue() {
    const uint64_t now = Sys().TickCount();
    if (now >= nextShow_) Show(now);
  }
  // The copying is over (the countdown to the program's end): the title
  // keeps the final figures, the taskbar shows no progress.
  void Finish();
  // The run has ended: the normal title, no progress on the taskbar.
  void End();

 private:
  static constexpr uint64_t Never = std::numeric_limits<uint64_t>::max();

  void Show(uint64_t now);
  void Publish(bool withFile);
  // Only a change goes to the system; Send always does.
  void SetTaskbar(TaskbarProgress state, uint64_t done, uint64_t total);
  void SendTaskbar(TaskbarProgress state, uint64_t done, uint64_t total);
  void ClearTaskbar();

  uint64_t nextShow_ = Never;
  uint64_t filesCopied_ = 0;
  uint64_t bytesCopied_ = 0;
  bool copying_ = false;
  std::string path_;
  uint64_t size_ = 0;
  uint64_t bytesDone_ = 0;
  uint64_t beganAt_ = 0;
  // The taskbar button shows this run's progress (from its begin to its
  // end or its countdown).
  bool taskbarInUse_ = false;
  // What the system took last, when it took the last call.
  bool taskbarKnown_ = false;
  TaskbarProgress taskbarState_ = TaskbarProgress::None;
  uint64_t taskbarDone_ = 0;
  uint64_t taskbarTotal_ = 0;
};

}  // namespace plovik
