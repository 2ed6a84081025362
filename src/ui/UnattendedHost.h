// The run host of an unattended run ("/u"): the window shows the run as
// usual, but no box ever waits for a person. Every question is answered by
// a fixed rule, and the answer becomes a protocol line, so the log tells
// what happened:
// - a file or a directory that cannot be copied, created, verified or
//   replaced: retried twice after two seconds each, then passed over;
// - a file that does not fit, or whose copy gets no memory: passed over;
// - a drive that is not ready, full or write protected before the run:
//   tested again every two seconds, five times, then the run is refused;
// - a refused input, a malformed command line, a message: no box;
// - the question whether the command line's source is a file name
//   specification: No; a close while busy: Yes.
#pragma once

#include <string>

#include "ui/WindowHost.h"

namespace plovik {

class UnattendedHost : public WindowHost {
 public:
  static constexpr int FileRetries = 2;
  static constexpr int DriveRetries = 5;
  static constexpr uint16_t RetryPauseMs = 2000;

  int Ask(const Question& question) override;
  // No person is there to answer a network logon prompt.
  uintptr_t DialogOwner() const override { return 0; }
  int AutomaticAnswers() const override { return answers_; }

 private:
  // Retry while the subject's retries last (after the pause, which the
  // user may cut short with Abort), else the final answer.
  int RetryOrElse(const Question& question, int retries, int finalAnswer);
  void WriteAnswer(int answer, const Question& question, const std::string& how);

  int answers_ = 0;
  std::string retriedSubject_;
  int retried_ = 0;
};

// The text of a question as one protocol line.
std::string OneLine(const std::string& text);

}  // namespace plovik
