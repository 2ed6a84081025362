// The run host: the one seam between the update work and the window. The
// engine and the run steps reach a person only through it: protocol lines,
// questions, pending messages, progress and the few window operations a
// run needs. ui/ implements it over the main window; the unattended host
// answers every question by a fixed rule instead of showing a box.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace plovik {

// What the user asked for while the pending messages were processed: go
// on, stop the activity, or stop it and end the program.
enum class HostSignal { GoOn, Abort, Close };

// Every kind of question the program may put to a person. The unattended
// host answers each kind by its own rule.
enum class QuestionKind {
  FileCopy,          // a file cannot be read, written, verified or replaced
  NoRoom,            // a file does not fit on the destination drive
  CopyMemory,        // the copy's buffers cannot be allocated
  DirectoryCreate,   // a destination directory cannot be created
  DriveRetry,        // a drive is not ready, full or write protected before a run
  InputRefused,      // the typed input keeps a run from starting
  SourceAsSpec,      // the command line's source is no directory: a file name specification?
  CommandLineError,  // a malformed command line
  FileNotWritten,    // the log, the settings or another file could not be written
  CloseWhileBusy,    // the window is closed while it is busy
  Notice,            // any other message
};

enum class QuestionStyle { Error, Warning, Confirmation, Information };

// The buttons a question offers (combine with |), and the answers as the
// modal-result numbers the program has always passed around.
enum QuestionButton : uint32_t {
  QuestionYes = 1,
  QuestionNo = 2,
  QuestionOk = 4,
  QuestionAbort = 16,
  QuestionRetry = 32,
  QuestionIgnore = 64,
};
enum Answer : int16_t {
  AnswerNone = 0,
  AnswerOk = 1,
  AnswerClosed = 2,  // closed without a button
  AnswerAbort = 3,
  AnswerRetry = 4,
  AnswerIgnore = 5,
  AnswerYes = 6,
  AnswerNo = 7,
};

struct Question {
  QuestionKind kind = QuestionKind::Notice;
  std::string text;  // in the current language; "\r" breaks the line
  uint32_t buttons = QuestionOk;
  QuestionStyle style = QuestionStyle::Error;
  BeepKind sound = BeepKind::Exclamation;  // played before the question
  // The file, directory or drive the question is about: repeated
  // questions about the same subject are retries of one another.
  std::string subject;
};

// The input fields of a run: the caret goes into the one a refusal is
// about.
enum class InputField { EditSrcDir, EditDstDir, ComboBoxSrcFile, ComboBoxIgnFile };

class RunHost {
 public:
  virtual ~RunHost() = default;

  // ---- the protocol
  virtual void Protocol(const std::string& line) = 0;
  // Several lines at once, such as the summary: the pending messages are
  // processed once before them, not for each line.
  virtual void ProtocolBlock(const std::vector<std::string>& lines) = 0;
  // A problem: "****** " + text + " ******" and a blank line.
  virtual void Failure(const std::string& text) = 0;
  // A debug line; the writer asks DebugFlag first.
  virtual void Debug(const std::string& line) = 0;

  // ---- questions: the answer as an Answer number
  virtual int Ask(const Question& question) = 0;

  // ---- pending messages
  // Processes the pending messages once and says what the user asked for.
  virtual HostSignal ProcessPending() = 0;
  // What the user has asked for so far, without processing messages.
  virtual HostSignal Requests() const = 0;

  // ---- progress of a run
  // The copy of a file begins; bytes of it are done (processing pending
  // messages when due: the signal is the user's); the file is finished.
  virtual void FileBegins(const std::string& path, uint64_t size) = 0;
  virtual HostSignal FileProgress(uint64_t bytesDone) = 0;
  virtual void FileEnds(bool copied) = 0;
  virtual void DirectoryEnds() = 0;

  // ---- the window during a run
  virtual void LockInputs() = 0;
  // Gives the window back to the user after a run (the enabling rules).
  virtual void ResetWindow(bool focusLongProtocol) = 0;
  virtual void ShowWaiting(bool shown) = 0;
  virtual std::string FieldText(InputField field) = 0;
  virtual void SetFieldText(InputField field, const std::string& text) = 0;
  // Enables the field, gives it the focus and puts the caret before the
  // character index.
  virtual void FocusField(InputField field, int caret) = 0;
  virtual void SetBusyCursor(bool busy) = 0;
  virtual void BringToFront() = 0;
  // One half second of the countdown to the program's end: "Keep" shown
  // or blanked on the Abort button.
  virtual void CountdownStep(bool shown) = 0;
  // The window that owns system dialogs a run may cause (the network's
  // logon prompt); 0 where no person may be asked.
  virtual uintptr_t DialogOwner() const = 0;
  // Ends the program with an exit code.
  virtual void EndProgram(int exitCode) = 0;
  // How many questions were answered without a person (unattended).
  virtual int AutomaticAnswers() const = 0;
};

// The process-wide host. Install before use; the caller keeps ownership.
RunHost& Host();
void InstallHost(RunHost* host);
bool HostInstalled();

}  // namespace plovik
