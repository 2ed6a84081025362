#include "ui/MainFormHandlers.h"

#include <algorithm>
#include <cmath>

#include "core/Protocol.h"
#include "core/RunRecords.h"
#include "lib/IniFile.h"
#include "lib/XStrings.h"
#include "platform/Platform.h"
#include "ui/Language.h"
#include "ui/MainForm.h"
#include "ui/Messages.h"
#include "ui/UnitDebug.h"

namespace plovik {

int32_t SpecHistoryCount[2] = {0, 0};
bool SettingsMenuOpen = false;
std::string SeparatorLine;

namespace {

constexpr int PointsPerInch = 72;
// The settings menu opens this far right of and below the protocol's
// top-left corner.
constexpr int SettingsMenuOffset = 4;


template <class Input>
void FocusAndSelectAll(Input& input) {
  input.SetFocus();
  input.SelectAll();
}

template <class Input>
void FocusWithCaretAtEnd(Input& input) {
  input.SetFocus();
  input.SetSelStart(static_cast<int>(input.Text().size()));
}

int TagIndex(const ComboBox& box) { return box.Tag() == 1 ? 1 : 0; }

// The specification text of a box's tag: the source or the ignore list.
std::string& SpecsOf(const ComboBox& box) {
  return TagIndex(box) == 1 ? RunOptions.IgnoreFileSpecs : RunOptions.SrcFileSpecs;
}

std::string TrimmedBack(ComboBox& box) {
  const std::string text = Trim(box.Text());
  if (text != box.Text()) box.SetText(text);
  return text;
}

void RememberAndSelect(ComboBox& box, const std::string& text) {
  RememberSpec(text, box, SpecHistoryCount[TagIndex(box)], SpecHistoryLimit);
  box.SetItemIndex(0);
}


// The screen point of a control's client position on the main form.
void ClientToScreen(const Control& control, int& x, int& y) {
  const Form& form = *FormMain->Self;
  const int frame = (form.Width() - form.ClientWidth()) / 2;
  const int caption = form.Height() - (form.ClientHeight() + frame);
  x += form.Left() + frame + control.Left();
  y += form.Top() + caption + control.Top();
}

// Browses for a directory from path; a chosen folder (or, after a cancel,
// an existing start) goes into the path and the field.
void SelectDirectory(const char* englishTitle, const char* germanTitle, std::string& path,
                     Edit& field) {
  std::string directory = path;
  Tk().BrowseForFolder(InLanguage(englishTitle, germanTitle), directory);
  if (!directory.empty()) {
    path = directory;
    field.SetText(directory);
  }
  FocusWithCaretAtEnd(field);
  if (RunOptions.DebugFlag) AppendToDebugMemo(path);
}

FontChoice ChoiceOf(const TFontSetting& setting) {
  return FontChoice{setting.Name,   setting.Size,      setting.Bold,
                    setting.Italic, setting.Underline, setting.StrikeOut};
}

TFontSetting SettingOf(const FontChoice& choice) {
  return TFontSetting{choice.name,   choice.points,    choice.bold,
                      choice.italic, choice.underline, choice.strikeOut};
}

}  // namespace

// ---- labels -----------------------------------------------------------------------------

void LabelSrcDirOnClick(NotifyEvent&) {
  if (!RunState.RunActive) FocusAndSelectAll(*FormMain->EditSrcDir);
}

void LabelDstDirOnClick(NotifyEvent&) {
  if (!RunState.RunActive) FocusAndSelectAll(*FormMain->EditDstDir);
}

void LabelUpdateFilesOnClick(NotifyEvent&) {
  if (!RunState.RunActive) FocusAndSelectAll(*FormMain->ComboBoxSrcFile);
}

void LabelIgnoreFilesOnClick(NotifyEvent&) {
  if (RunState.RunActive || !FormMain->ComboBoxIgnFile->Enabled()) return;
  FocusAndSelectAll(*FormMain->ComboBoxIgnFile);
}

// ---- check boxes ---------------------------------------------------------------------------

void CheckBoxSubDirOnClick(NotifyEvent&) {
  TFormMain& f = *FormMain;
  RunOptions.SubDirFlag = f.CheckBoxSubDir->Checked();
  // The empty-directories box shows the forced state; its flag keeps the
  // user's choice.
  const bool emptyFlag = RunOptions.EmptyFlag;
  f.CheckBoxEmptySubDir->SetChecked(emptyFlag && RunOptions.SubDirFlag);
  f.CheckBoxEmptySubDir->SetEnabled(RunOptions.SubDirFlag);
  RunOptions.EmptyFlag = emptyFlag;
}

void CheckBoxEmptySubDirOnClick(NotifyEvent&) {
  RunOptions.EmptyFlag = FormMain->CheckBoxEmptySubDir->Checked();
}

void CheckBoxVerifyOnClick(NotifyEvent&) {
  RunOptions.VerifyFlag = FormMain->CheckBoxVerify->Checked();
}

void CheckBoxReportOnClick(NotifyEvent&) {
  RunOptions.ReportFlag = FormMain->CheckBoxReport->Checked();
}

void CheckBoxIgnoreOnClick(NotifyEvent&) {
  TFormMain& f = *FormMain;
  RunOptions.IgnoreFlag = f.CheckBoxIgnore->Checked();
  ComboBox& box = *f.ComboBoxIgnFile;
  box.SetEnabled(RunOptions.IgnoreFlag);
  if (RunOptions.IgnoreFlag) {
    box.SetBackground(Background::Window);
    box.SetText(RunOptions.IgnoreFileSpecs);
    FocusWithCaretAtEnd(box);
  } else {
    box.SetBackground(Background::ButtonFace);
    box.SetText("");
  }
}

void CheckBoxNoUpdateOnClick(NotifyEvent&) {
  TFormMain& f = *FormMain;
  RunOptions.NoUpdateFlag = f.CheckBoxNoUpdate->Checked();
  const bool verifyFlag = RunOptions.VerifyFlag;
  f.CheckBoxVerify->SetChecked(verifyFlag && !RunOptions.NoUpdateFlag);
  f.CheckBoxVerify->SetEnabled(!RunOptions.NoUpdateFlag);
  RunOptions.VerifyFlag = verifyFlag;
  if (RunOptions.NoUpdateFlag) RunOptions.LogFlag = false;
}

void CheckBoxIgnoreFileAgeOneHourDiffOnClick(NotifyEvent&) {
  RunOptions.IgnoreFileAgeOneHourDiffFlag = FormMain->CheckBoxIgnoreFileAgeOneHourDiff->Checked();
}

void CheckBoxDebugOnClick(NotifyEvent&) {
  RunOptions.DebugFlag = FormMain->CheckBoxDebug->Checked();
  if (DebugWindowReady && FormDebug != nullptr) {
    FormDebug->Self->SetVisible(RunOptions.DebugFlag);
  }
  FormMain->Self->BringToFront();
}

// ---- specification boxes -----------------------------------------------------------------

void RememberSpec(const std::string& text, ComboBox& box, int32_t& counter, int32_t limit) {
  int found = -1;
  const int last = std::min(counter, box.ItemCount() - 1);
  for (int i = 0; i <= last; ++i) {
    if (box.Item(i) == text) {
      found = i;
      break;
    }
  }
  if (found >= 0) {
    box.DeleteItem(found);
  } else if (counter >= limit) {
    box.DeleteItem(counter - 1);
  } else {
    ++counter;
  }
  box.InsertItem(0, text);
}

void SpecBoxEnteredOrLeft(ComboBox& box) { RememberAndSelect(box, TrimmedBack(box)); }

void SpecBoxDroppedDown(ComboBox& box) {
  const std::string text = TrimmedBack(box);
  if (text.empty()) return;
  RememberAndSelect(box, text);
  SpecsOf(box) = box.Text();
}

void SpecBoxChanged(ComboBox& box) {
  if (box.Text() == SeparatorLine) {
    // The separator is no specification: the entry next to it is taken.
    box.SetItemIndex(box.ItemCount() > 1 && box.Item(0) == SeparatorLine ? 1 : 0);
  }
  SpecsOf(box) = Trim(box.Text());
}

// ---- buttons --------------------------------------------------------------------------------

void ButtonSrcDirOnClick(NotifyEvent&) {
  SelectDirectory("Select source directory entry point", "Quell-Startverzeichnis wählen",
                  RunOptions.SrcPath, *FormMain->EditSrcDir);
}

void ButtonDstDirOnClick(NotifyEvent&) {
  SelectDirectory("Select destination directory entry point", "Ziel-Startverzeichnis wählen",
                  RunOptions.DstPath, *FormMain->EditDstDir);
}

void BitBtnHelpOnClick(NotifyEvent&) { OpenHelp(); }

void BitBtnSettingsOnClick(NotifyEvent&) {
  SettingsMenuOpen = true;
  int x = SettingsMenuOffset, y = SettingsMenuOffset;
  ClientToScreen(*FormMain->MemoProtocol, x, y);
  FormMain->PopupMenuFormMain->Popup(x, y);
  SettingsMenuOpen = false;
}

void ButtonSwapDirOnClick(NotifyEvent&) {
  TFormMain& f = *FormMain;
  const std::string source = f.EditSrcDir->Text();
  f.EditSrcDir->SetText(f.EditDstDir->Text());
  f.EditDstDir->SetText(source);
  f.CheckBoxNoUpdate->SetChecked(true);
  RunOptions.NoUpdateFlag = true;
  RunOptions.LogFlag = false;
  f.ButtonStart->SetFocus();
}

void ButtonTestOnClick(NotifyEvent&) {
  if (!PrinterAvailable) return;
  const PrinterMetrics m = Tk().DefaultPrinter().Metrics();
  DebugAdd("Pagewidth=" + std::to_string(m.pageWidth) +
           "   PageHeight=" + std::to_string(m.pageHeight) +
           "   Printer.Canvas.Font.PixelsPerInch=" + std::to_string(m.pixelsPerInch) +
           "   Printer.Canvas.ClipRect.Right=" + std::to_string(m.clipRight) +
           "   Printer.Canvas.ClipRect.Left=" + std::to_string(m.clipLeft));
}

// ---- popup menu ------------------------------------------------------------------------------

void FormMainPopupMenuOnPopup() {
  TFormMain& f = *FormMain;
  f.MenuItemHelp->SetVisible(!SettingsMenuOpen);
  f.MenuItemExit->SetVisible(!SettingsMenuOpen);
  f.MenuItemLanguageEnglish->SetChecked(LanguageIndex == 0);
  f.MenuItemLanguageGerman->SetChecked(LanguageIndex == 1);
  f.MenuItemSaveSettings->SetChecked(Settings.SaveSettings);
}

void MenuItemHelpOnClick(MenuItem&) { OpenHelp(); }

void MenuItemDefaultIgnoreFileSpecsOnClick(MenuItem&) {
  std::string value = Settings.MaxIgnoreFileSpec;
  if (!Tk().InputQuery(LanguageText(TextIgnoreDialogTitle), LanguageText(TextIgnoreDialogPrompt),
                       value)) {
    return;
  }
  Settings.MaxIgnoreFileSpec = value;
  ComboBox& box = *FormMain->ComboBoxIgnFile;
  box.SetText(value);
  SpecBoxEnteredOrLeft(box);
}

void MenuItemProtocolScreenFontOnClick(MenuItem&) {
  FontChoice choice = ChoiceOf(Settings.MemoFont);
  if (!Tk().FontDialog(FontDevice::Screen, choice)) return;
  Settings.MemoFont = SettingOf(choice);
  ApplyMemoFont();
}

void MenuItemProtocolPrinterFontOnClick(MenuItem&) {
  FontChoice choice = ChoiceOf(Settings.PrinterFont);
  if (!Tk().FontDialog(FontDevice::Printer, choice)) return;
  Settings.PrinterFont = SettingOf(choice);
}

void MenuItemKeepTimeOnClick(MenuItem&) {
  const char* title = InLanguage("Enter wait-to-keep time", "Wartezeit eingeben");
  const char* prompt =
      InLanguage("wait-to-keep time in milliseconds:", "Wartezeit in Millisekunden:");
  for (;;) {
    std::string answer = std::to_string(RunOptions.KeepTime);
    // Cancel gives back the preset, which changes nothing.
    if (!Tk().InputQuery(title, prompt, answer)) return;
    const std::optional<int32_t> value = ParseIniInteger(answer);
    if (value && *value >= 0) {
      RunOptions.KeepTime = ClampKeepTime(*value);
      return;
    }
    Sys().Beep(BeepKind::Exclamation);
  }
}

void MenuItemExitOnClick(MenuItem&) { FormMain->Self->Close(); }

void SetDebugControlsVisible(bool visible) {
  TFormMain& f = *FormMain;
  f.ButtonTest->SetVisible(visible);
  f.EditTest->SetVisible(visible);
  f.CheckBoxDebug->SetVisible(visible);
  CheckBox& wide = *f.CheckBoxIgnoreFileAgeOneHourDiff;
  int width = FormMainDesign::WideCheckBoxWidth;
  if (visible) width = std::min(width, f.CheckBoxDebug->Left() - wide.Left() - FormMainDesign::ButtonGap);
  wide.SetBounds(wide.Left(), wide.Top(), std::max(0, width), wide.Height());
}

// ---- help and fonts -------------------------------------------------------------------------

void OpenHelp() {
  Tk().SetHelpFile(HelpFileName);
  if (Tk().ShowHelp()) return;
  ShowErrorMessage(InLanguage("Help file not found:\r", "Hilfedatei nicht gefunden:\r") +
                   HelpFileName);
}

Font ScreenFontOf(const TFontSetting& setting) {
  const int pixelsPerInch = Tk().Screen().pixelsPerInch;
  const int height = static_cast<int>(
      std::lround(static_cast<double>(setting.Size) * pixelsPerInch / PointsPerInch));
  return Font{setting.Name,   std::max(1, height), setting.Bold,
              setting.Italic, setting.Underline,   setting.StrikeOut};
}

void ApplyMemoFont() {
  if (FormMain == nullptr) return;
  FormMain->MemoProtocol->SetFont(ScreenFontOf(Settings.MemoFont));
  MeasureProtocolCharWidth();
}

}  // namespace plovik
