#include "ui/Messages.h"

#include "core/RunHost.h"
#include "core/RunRecords.h"
#include "lib/WinErrors.h"

namespace plovik {

namespace {

void Tell(QuestionKind kind, const std::string& text) {
  Question question;
  question.kind = kind;
  question.text = text;
  Host().Ask(question);
}

}  // namespace

void ShowErrorMessage(const std::string& text) { Tell(QuestionKind::Notice, text); }

std::string WindowsErrorLine(uint32_t code) {
  return (LanguageIndex == 1 ? "Windows-Fehler " : "Windows error ") + std::to_string(code) +
         ": " + WinErrorText(code, true);
}

void ReportWriteFailure(const std::string& path, uint32_t code) {
  const char* what = LanguageIndex == 1 ? "Die Datei konnte nicht geschrieben werden:\r"
                                        : "The file could not be written:\r";
  Tell(QuestionKind::FileNotWritten, what + path + "\r" + WindowsErrorLine(code));
}

}  // namespace plovik
