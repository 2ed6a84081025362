#include "toolkit/Toolkit.h"

namespace plovik {

namespace {
Toolkit* installedToolkit = nullptr;
}

Toolkit& Tk() { return *installedToolkit; }
void InstallToolkit(Toolkit* toolkit) { installedToolkit = toolkit; }

std::string DialogCaption(DialogType type) {
  switch (type) {
    case DialogType::Error: return "Fehler";
    case DialogType::Warning: return "Warnung";
    case DialogType::Confirmation: return "Bestätigung";
    case DialogType::Information: return "Information";
  }
  return "";
}

std::string DialogButtonLabel(DialogButton button) {
  switch (button) {
    case ButtonYes: return "&Ja";
    case ButtonNo: return "&Nein";
    case ButtonOk: return "OK";
    case ButtonCancel: return "Abbrechen";
    case ButtonAbort: return "&Abbrechen";
    case ButtonRetry: return "&Wiederholen";
    case ButtonIgnore: return "&Ignorieren";
  }
  return "";
}

std::string WithoutMnemonics(const std::string& caption) {
  std::string shown;
  shown.reserve(caption.size());
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    shown += caption[i];
  }
  return shown;
}

ModalResult DialogButtonResult(DialogButton button) {
  switch (button) {
    case ButtonYes: return ModalYes;
    case ButtonNo: return ModalNo;
    case ButtonOk: return ModalOk;
    case ButtonCancel: return ModalCancel;
    case ButtonAbort: return ModalAbort;
    case ButtonRetry: return ModalRetry;
    case ButtonIgnore: return ModalIgnore;
  }
  return ModalNone;
}

std::vector<DialogButton> MessageDialogButtons(uint32_t buttons) {
  std::vector<DialogButton> shown;
  for (const DialogButton button : {ButtonYes, ButtonNo, ButtonOk, ButtonCancel, ButtonAbort,
                                    ButtonRetry, ButtonIgnore}) {
    if ((buttons & button) != 0) shown.push_back(button);
  }
  if (shown.empty()) shown.push_back(ButtonOk);
  return shown;
}

}  // namespace plovik
