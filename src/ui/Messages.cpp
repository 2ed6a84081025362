#include "ui/Messages.h"

#include "core/RunRecords.h"
#include "lib/WinErrors.h"
#include "platform/Platform.h"
#include "toolkit/Toolkit.h"

namespace plovik {

void ShowErrorMessage(const std::string& text) {
  Sys().Beep(BeepKind::Exclamation);
  Tk().MessageDialog(text, DialogType::Error, ButtonOk, 0);
}

std::string WindowsErrorLine(uint32_t code) {
  return (LanguageIndex == 1 ? "Windows-Fehler " : "Windows error ") + std::to_string(code) +
         ": " + WinErrorText(code, true);
}

void ReportWriteFailure(const std::string& path, uint32_t code) {
  const char* what = LanguageIndex == 1 ? "Die Datei konnte nicht geschrieben werden:\r"
                                        : "The file could not be written:\r";
  ShowErrorMessage(what + path + "\r" + WindowsErrorLine(code));
}

}  // namespace plovik
