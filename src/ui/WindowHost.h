// The run host over the main window: protocol lines into the protocol, a
// question as a message box, pending messages through the toolkit, progress
// in the title bar and on the taskbar button, and the window's enabling rules during and after a run in
// one place.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/RunHost.h"
#include "toolkit/Toolkit.h"
#include "ui/RunProgress.h"

namespace plovik {

struct TFormMain;

class WindowHost : public RunHost {
 public:
  void Protocol(const std::string& line) override;
  void ProtocolBlock(const std::vector<std::string>& lines) override;
  void Failure(const std::string& text) override;
  void Debug(const std::string& line) override;

  int Ask(const Question& question) override;

  HostSignal ProcessPending() override;
  HostSignal Requests() const override;

  void FileBegins(const std::string& path, uint64_t size) override;
  HostSignal FileProgress(uint64_t bytesDone) override;
  void FileEnds(bool copied) override;
  void DirectoryEnds() override;

  void LockInputs() override;
  void ResetWindow(bool focusLongProtocol) override;
  void ShowWaiting(bool shown) override;
  std::string FieldText(InputField field) override;
  void SetFieldText(InputField field, const std::string& text) override;
  void FocusField(InputField field, int caret) override;
  void SetBusyCursor(bool busy) override;
  void BringToFront() override;
  void CountdownStep(bool shown) override;
  uintptr_t DialogOwner() const override;
  void EndProgram(int exitCode) override;
  int AutomaticAnswers() const override { return 0; }

 protected:
  // The box itself, after its sound.
  static int ShowBox(const Question& question);

 private:
  bool copying_ = false;
  bool hourglass_ = false;  // set by this file's copy
  ProgressDisplay progress_;
};

// The buttons that save and print the protocol follow its lines: both off
// while it is empty; with lines, and only while the window is idle, Save
// on and Print on when there is a printer.
void UpdateLogButtons();
// The same rule regardless of the window's state (at the end of a run and
// of the start-up).
void SetLogButtons(TFormMain& f);

}  // namespace plovik
