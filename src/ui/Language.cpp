#include "ui/Language.h"

#include "core/RunRecords.h"
#include "platform/Platform.h"
#include "ui/MainForm.h"
#include "ui/RunProgress.h"

namespace plovik {

const char* const LanguageTexts[6] = {
    "English",
    "German",
    " Default ignore file specs",
    " Zu ignorierende Dateien",
    "Default ignore file specs separated by semicolon:",
    "Standardspezifikationen der zu ignorierenden\rDateien durch Semikolon getrennt:",
};

std::string HelpFileName;
std::string InstanceText;

namespace {

constexpr const char* HelpFileExtension = ".HLP";

int Chosen(uint8_t index) { return index == 1 ? 1 : 0; }

// One text of the window in both languages.
struct Texts {
  const char* english;
  const char* german;
  const char* In(uint8_t index) const { return Chosen(index) == 1 ? german : english; }
};

void SetLabelTexts(TFormMain& f, uint8_t i) {
  f.LabelSrcDir->SetCaption(Texts{"Source", "Quelle"}.In(i));
  f.LabelDstDir->SetCaption(Texts{"Destination", "Ziel"}.In(i));
  f.LabelUpdateFiles->SetCaption(Texts{"Update files", "Dateien"}.In(i));
  f.LabelIgnoreFiles->SetCaption(Texts{"Ignore   files", "Ignorieren"}.In(i));
  f.EditSrcDir->SetHint(Texts{"Edit source directory entry point\r(without source file specification)",
                              "Startverzeichnis der Quelle editieren\r(ohne Quelldateinamen)"}
                            .In(i));
  f.EditDstDir->SetHint(
      Texts{"Edit destination directory entry point", "Startverzeichnis des Ziels editieren"}.In(i));
  f.ComboBoxSrcFile->SetHint(Texts{"Source file specification(s)\r(separated by semicolon)",
                                   "Quelldateispezifikation(en)\r(durch Semikolon getrennt)"}
                                 .In(i));
  f.ComboBoxIgnFile->SetHint(
      Texts{"File specification(s) of\rthe files to be ignored\r(separated by semicolon)",
            "Spezifikation(en) der zu\rignorierenden Dateien\r(durch Semikolon getrennt)"}
          .In(i));
}

void SetCheckBoxTexts(TFormMain& f, uint8_t i) {
  f.CheckBoxSubDir->SetCaption(Texts{"Copy subdirectories", "Unterverzeichnisse kopieren"}.In(i));
  f.CheckBoxEmptySubDir->SetCaption(
      Texts{"Copy empty subdirectories", "Leere Unterverzeichnisse kopieren"}.In(i));
  f.CheckBoxVerify->SetCaption(Texts{"Verify file copies", "Kopien verifizieren"}.In(i));
  f.CheckBoxReport->SetCaption(
      Texts{"Report ignore and skip messages", "Ignorieren u. Übergehen protokollieren"}.In(i));
  f.CheckBoxIgnore->SetCaption(
      Texts{"Ignore specified files", "Spezifizierte Dateien ignorieren"}.In(i));
  f.CheckBoxNoUpdate->SetCaption(
      Texts{"No update (protocol only)", "Keine Dateien kopieren (nur Protokoll)"}.In(i));
  f.CheckBoxIgnoreFileAgeOneHourDiff->SetCaption(
      Texts{"Ignore 1 hour file age difference  (NTFS daylight saving time correction)",
            "1 Stunde Zeitdifferenz ignorieren  (NTFS-Sommerzeit-Korrektur)"}
          .In(i));
  f.CheckBoxDebug->SetCaption(Texts{"Debug window", "Debug-Fenster"}.In(i));
}

void SetButtonTexts(TFormMain& f, uint8_t i) {
  f.ButtonSrcDir->SetHint(
      Texts{"Select source directory entry point", "Startverzeichnis der Quelle auswählen"}.In(i));
  f.ButtonDstDir->SetHint(
      Texts{"Select destination directory entry point", "Startverzeichnis des Ziels auswählen"}
          .In(i));
  f.BitBtnHelp->SetHint(Texts{"Help (F1)", "Hilfe (F1)"}.In(i));
  f.BitBtnSettings->SetHint(Texts{"Settings", "Einstellungen"}.In(i));
  f.ButtonStart->SetCaption(Texts{"Start", "Start"}.In(i));
  f.ButtonStart->SetHint(Texts{"Start updating", "Update starten"}.In(i));
  f.ButtonAbort->SetCaption(Texts{"Abort", "Abbrechen"}.In(i));
  f.ButtonAbort->SetHint(Texts{"Stop updating", "Update abbrechen"}.In(i));
  f.ButtonSwapDir->SetCaption(Texts{"Swap Dir", "Vertauschen"}.In(i));
  f.ButtonSwapDir->SetHint(Texts{"Swap source and destination directory",
                                 "Quell- und Zielverzeichnis\rmiteinander vertauschen"}
                               .In(i));
  f.ButtonPrintLog->SetCaption(Texts{"Print Log", "Log drucken"}.In(i));
  f.ButtonPrintLog->SetHint(Texts{"Print protocol", "Protokoll drucken"}.In(i));
  f.ButtonSaveLog->SetCaption(Texts{"Save Log", "Log sichern"}.In(i));
  f.ButtonSaveLog->SetHint(
      Texts{"Save protocol to log file", "Protokoll als Log-Datei speichern"}.In(i));
}

void SetMenuTexts(TFormMain& f, uint8_t i) {
  f.MenuItemHelp->SetCaption(Texts{"Help", "Hilfe"}.In(i));
  f.MenuItemDefaultIgnoreFileSpecs->SetCaption(
      Texts{"Define default ignore file specs",
            "Standardspezifikationen der zu ignorierenden Dateien festlegen"}
          .In(i));
  f.MenuItemProtocolScreenFont->SetCaption(
      Texts{"Select protocol screen font", "Protokoll-Bildschirmschriftart wählen"}.In(i));
  f.MenuItemProtocolPrinterFont->SetCaption(
      Texts{"Select protocol printer font", "Protokoll-Druckerschriftart wählen"}.In(i));
  f.MenuItemKeepTime->SetCaption(
      Texts{"Set waiting time before program auto termination",
            "Wartezeit vor der automatischen Beendigung des Programms"}
          .In(i));
  f.MenuItemSaveSettings->SetCaption(Texts{"  Save settings", "  Einstellungen speichern"}.In(i));
  f.MenuItemExit->SetCaption(Texts{"Exit", "Beenden"}.In(i));
}

}  // namespace

const char* LanguageText(LanguageTextPair pair) {
  return LanguageTexts[static_cast<int>(pair) + Chosen(LanguageIndex)];
}

std::string ExecutableDirectory() {
  const std::string module = Sys().ModulePath();
  const size_t slash = module.find_last_of("\\:");
  return slash == std::string::npos ? std::string() : module.substr(0, slash + 1);
}

std::string HelpFileNameFor(uint8_t languageIndex) {
  return ExecutableDirectory() + LanguageTexts[TextHelpFileBase + Chosen(languageIndex)] +
         HelpFileExtension;
}

std::string InstanceTextFor(uint8_t languageIndex) {
  return Chosen(languageIndex) == 1 ? "  (Instanz #" : "  (Instance #";
}

void SetLanguage(uint8_t index) {
  if (FormMain != nullptr) {
    SetLabelTexts(*FormMain, index);
    SetCheckBoxTexts(*FormMain, index);
    SetButtonTexts(*FormMain, index);
    SetMenuTexts(*FormMain, index);
  }
  HelpFileName = HelpFileNameFor(index);
  Tk().SetHelpFile(HelpFileName);
  SetMainCaption();
}

std::string MainCaption() {
  std::string title = " " + RunOptions.ProgramBaseName;
  if (RunOptions.InstanceNumber != 1) {
    title += InstanceText + std::to_string(RunOptions.InstanceNumber) + ")";
  }
  return title;
}

// During a run the title carries its progress, in the language in force.
void SetMainCaption() {
  if (FormMain == nullptr) return;
  const std::string title = ProgressTitle(MainCaption(), TitleProgress, LanguageIndex);
  if (FormMain->Self->Caption() != title) FormMain->Self->SetCaption(title);
}

void MenuItemLanguageOnClick(MenuItem& item) {
  LanguageIndex = static_cast<uint8_t>(item.Tag() == 1 ? 1 : 0);
  SetLanguage(LanguageIndex);
}

}  // namespace plovik
