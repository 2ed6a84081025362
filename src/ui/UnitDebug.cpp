#include "ui/UnitDebug.h"

#include <vector>

#include "core/Protocol.h"
#include "core/RunRecords.h"
#include "core/TextFiles.h"
#include "lib/Utf.h"
#include "platform/Platform.h"
#include "ui/Language.h"
#include "ui/MainForm.h"
#include "ui/Messages.h"
#include "ui/ProtocolFile.h"

namespace plovik {

TFormDebug* FormDebug = nullptr;

namespace {

constexpr int MinWidth = 500;
constexpr int MinHeight = 200;
constexpr int GapBelowMain = 4;
constexpr int ScreenBottomReserve = 64;
constexpr int ButtonTop = 4;
constexpr int ButtonLeft = 4;
constexpr int ButtonWidth = 100;
constexpr int ButtonHeight = 25;
constexpr int ButtonGap = 4;
constexpr int Button1Gap = 40;  // Button1 stands apart, further right
constexpr int MemoGap = 4;
constexpr int SeparatorLength = 80;
// The debug print: a fixed layout in Courier 8 points.
constexpr int PrintMarginBlanks = 5;
constexpr int PrintLinesPerPage = 100;
constexpr uint16_t PrintLineChars = 105;
constexpr int PrintFontPoints = 8;
constexpr const char* LineEnd = "\r\n";

std::unique_ptr<Button> MakeButton(Form& form, int index, int extraGap, const char* caption) {
  std::unique_ptr<Button> button = Tk().CreateButton(form);
  button->SetBounds(ButtonLeft + index * (ButtonWidth + ButtonGap) + extraGap, ButtonTop,
                    ButtonWidth, ButtonHeight);
  button->SetCaption(caption);
  button->SetTabStop(false);
  return button;
}

void PlaceBelowMainWindow(Form& form) {
  const Form& main = *FormMain->Self;
  const int top = main.Top() + main.Height() + GapBelowMain;
  const int height = Tk().Screen().height - top - ScreenBottomReserve;
  form.SetBounds(main.Left(), top, main.Width(), height);
}

void CreateControls(TFormDebug& d) {
  Form& form = *d.Self;
  d.ButtonClearMemo = MakeButton(form, 0, 0, "Clear Memo");
  d.ButtonSeparateMemo = MakeButton(form, 1, 0, "------------------");
  d.ButtonPrintMemo = MakeButton(form, 2, 0, "Print Memo");
  d.ButtonSaveMemo = MakeButton(form, 3, 0, "Save Memo");
  d.Button1 = MakeButton(form, 4, Button1Gap, "Button1");
  d.Memo = Tk().CreateMemo(form);
  const int memoTop = ButtonTop + ButtonHeight + MemoGap;
  d.Memo->SetBounds(0, memoTop, form.ClientWidth(), form.ClientHeight() - memoTop);
  d.Memo->SetAnchors(Anchor::Left | Anchor::Top | Anchor::Right | Anchor::Bottom);
  d.Memo->SetFont(Font{"Lucida Console", 11});
}

void Wire(TFormDebug& d) {
  d.Self->SetKeyPreview(true);
  d.Self->SetOnKeyDown(FormDebugOnKeyDown);
  d.Self->SetOnClose(FormDebugOnClose);
  d.Memo->SetOnChange(MemoOnChange);
  d.ButtonClearMemo->SetOnClick(ButtonClearMemoOnClick);
  d.ButtonSeparateMemo->SetOnClick(ButtonSeparateMemoOnClick);
  d.ButtonPrintMemo->SetOnClick(ButtonPrintMemoOnClick);
  d.ButtonSaveMemo->SetOnClick(ButtonSaveMemoOnClick);
  d.Button1->SetOnClick(Button1OnClick);
}

std::string EnvironmentLine(const char* paddedName, const char* name) {
  return std::string(paddedName) + "\"" + Sys().Environment(name).value_or("") + "\"";
}

}  // namespace

TFormDebug::~TFormDebug() {
  if (BoundProtocol().MemoDebug == Memo.get()) {
    ProtocolControls rest = BoundProtocol();
    rest.MemoDebug = nullptr;
    BindProtocol(rest);
  }
}

TFormDebug& CreateFormDebug() {
  DestroyFormDebug();
  Tk().ProcessMessages();
  auto* d = new TFormDebug;
  FormDebug = d;
  d->Self = Tk().CreateForm();
  d->Self->SetMinSize(MinWidth, MinHeight);
  if (FormMain != nullptr) PlaceBelowMainWindow(*d->Self);
  CreateControls(*d);
  Wire(*d);
  ProtocolControls controls = BoundProtocol();
  controls.MemoDebug = d->Memo.get();
  BindProtocol(controls);
  d->Self->SetVisible(RunOptions.DebugFlag);
  if (FormMain != nullptr) d->Self->SetCaption(FormMain->Self->Caption() + " debug form");
  d->ButtonPrintMemo->SetEnabled(false);
  d->ButtonSaveMemo->SetEnabled(false);
  d->Memo->Clear();
  DebugWindowReady = true;
  // The main window becomes the active one again, unless it was started
  // minimised: then it waits on the taskbar for the user.
  if (FormMain != nullptr && FormMain->Self->GetWindowState() != WindowState::Minimized) {
    FormMain->Self->BringToFront();
    FormMain->Self->SetFocus();
  }
  return *d;
}

void DestroyFormDebug() {
  TFormDebug* d = FormDebug;
  FormDebug = nullptr;
  delete d;
}

std::string TruncateText(const std::string& text, uint16_t width) {
  if (CharCount(text) <= width) return text;
  return CharPrefix(text, width >= 3 ? width - 3u : 0u) + "...";
}

void AppendToDebugMemo(const std::string& line) {
  if (FormDebug != nullptr) FormDebug->Memo->Append(line);
}

void FormDebugOnKeyDown(KeyEvent& event) {
  if (FormMain == nullptr || !FormMain->Handlers.FormMainOnKeyDown) return;
  KeyEvent passed{*FormMain->Self, event.key, event.shift};
  const KeyHandler handler = FormMain->Handlers.FormMainOnKeyDown;
  handler(passed);
  event.handled = passed.handled;
}

void FormDebugOnClose(CloseEvent& event) {
  event.action = CloseAction::Hide;
  if (FormMain != nullptr) FormMain->CheckBoxDebug->SetChecked(false);
}

void MemoOnChange(NotifyEvent&) {
  if (FormDebug == nullptr) return;
  const bool hasLines = FormDebug->Memo->Count() > 0;
  FormDebug->ButtonPrintMemo->SetEnabled(hasLines && PrinterAvailable);
  FormDebug->ButtonSaveMemo->SetEnabled(hasLines);
}

void ButtonClearMemoOnClick(NotifyEvent&) {
  FormDebug->Memo->Clear();
  FormDebug->ButtonPrintMemo->SetEnabled(false);
  FormDebug->ButtonSaveMemo->SetEnabled(false);
}

void ButtonSeparateMemoOnClick(NotifyEvent&) {
  FormDebug->Memo->Append(std::string(SeparatorLength, '-'));
}

void ButtonPrintMemoOnClick(NotifyEvent&) {
  const std::string margin(PrintMarginBlanks, ' ');
  Printer& printer = Tk().DefaultPrinter();
  // The style is left as the last print set it.
  FontChoice font = PrinterCanvasFont;
  font.name = "Courier";
  font.points = PrintFontPoints;
  PrinterCanvasFont = font;
  printer.SetFont(font);
  const Result<void> begun = printer.BeginDoc("DebugPlovik");
  if (!begun) {
    ShowErrorMessage(WindowsErrorLine(begun.Error()));
    return;
  }
  const std::vector<std::string> lines = FormDebug->Memo->Lines();
  int page = 1;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i % PrintLinesPerPage == 0) {
      if (i > 0) {
        printer.Write("\f");
        printer.Flush();
      }
      printer.Write(margin + "Seite  " + std::to_string(page) + "\n" + LineEnd);
      ++page;
    }
    printer.Write(margin + TruncateText(lines[i], PrintLineChars) + LineEnd);
  }
  (void)printer.EndDoc();
}

void ButtonSaveMemoOnClick(NotifyEvent&) {
  SaveDialogOptions options;
  options.title = "DebugPlovik-LogFile";
  options.initialDir = ExecutableDirectory();
  options.fileName = "DebugPlovik-";
  options.defaultExt = "LOG";
  options.overwritePrompt = true;
  const SaveDialogResult result = Tk().SaveFileDialog(options);
  if (!result.confirmed) return;  // Cancel writes nothing
  const Result<void> written = WriteLinesWhole(result.fileName, FormDebug->Memo->Lines());
  if (!written) ReportWriteFailure(result.fileName, written.Error());
}

void Button1OnClick(NotifyEvent&) {
  DebugAdd("Environment variables:");
  DebugAdd(EnvironmentLine("APPDATA         = ", "APPDATA"));
  DebugAdd(EnvironmentLine("USERPROFILE     = ", "USERPROFILE"));
  DebugAdd(EnvironmentLine("ALLUSERSPROFILE = ", "ALLUSERSPROFILE"));
}

}  // namespace plovik
