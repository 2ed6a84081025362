#include "ui/UnattendedHost.h"

#include "core/Delays.h"
#include "core/RunRecords.h"

namespace plovik {

namespace {

// The seven-character tag of an automatic answer's protocol line.
constexpr const char* AnswerTag = "AUTO   ";

std::string AnswerWord(int answer) {
  switch (answer) {
    case AnswerOk: return "OK";
    case AnswerAbort: return InLanguage("Abort", "Abbrechen");
    case AnswerRetry: return InLanguage("Retry", "Wiederholen");
    case AnswerIgnore: return InLanguage("Ignore", "Ignorieren");
    case AnswerYes: return InLanguage("Yes", "Ja");
    case AnswerNo: return InLanguage("No", "Nein");
    default: return std::to_string(answer);
  }
}

}  // namespace

std::string OneLine(const std::string& text) {
  std::string line;
  line.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      line += "  ";
    } else {
      line += c == '\t' ? ' ' : c;
    }
  }
  return line;
}

void UnattendedHost::WriteAnswer(int answer, const Question& question, const std::string& how) {
  ++answers_;
  Protocol(AnswerTag + AnswerWord(answer) + how + ": " + OneLine(question.text));
}

int UnattendedHost::RetryOrElse(const Question& question, int retries, int finalAnswer) {
  if (question.subject != retriedSubject_) {
    retriedSubject_ = question.subject;
    retried_ = 0;
  }
  if ((question.buttons & QuestionRetry) == 0 || retried_ >= retries) {
    retriedSubject_.clear();
    WriteAnswer(finalAnswer, question, "");
    return finalAnswer;
  }
  ++retried_;
  const std::string seconds = std::to_string(RetryPauseMs / 1000);
  WriteAnswer(AnswerRetry, question,
              " in " + seconds + " s (" + std::to_string(retried_) +
                  InLanguage(" of ", " von ") + std::to_string(retries) + ")");
  DelayAbortable(RetryPauseMs, RunState.AbortRequested);
  if (!RunState.AbortRequested) return AnswerRetry;
  WriteAnswer(AnswerAbort, question, "");
  return AnswerAbort;
}

int UnattendedHost::Ask(const Question& question) {
  switch (question.kind) {
    case QuestionKind::FileCopy:
    case QuestionKind::DirectoryCreate:
      return RetryOrElse(question, FileRetries, AnswerIgnore);
    case QuestionKind::NoRoom:
    case QuestionKind::CopyMemory:
      return RetryOrElse(question, 0, AnswerIgnore);
    case QuestionKind::DriveRetry:
      return RetryOrElse(question, DriveRetries, AnswerAbort);
    case QuestionKind::InputRefused:
      WriteAnswer(AnswerAbort, question, "");
      return AnswerAbort;
    case QuestionKind::SourceAsSpec:
      WriteAnswer(AnswerNo, question, "");
      return AnswerNo;
    case QuestionKind::CloseWhileBusy:
      WriteAnswer(AnswerYes, question, "");
      return AnswerYes;
    case QuestionKind::CommandLineError:
    case QuestionKind::FileNotWritten:
    case QuestionKind::Notice:
      break;
  }
  WriteAnswer(AnswerOk, question, "");
  return AnswerOk;
}

}  // namespace plovik
