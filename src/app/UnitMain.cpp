#include "app/UnitMain.h"

#include <algorithm>
#include <cmath>

#include "app/CommandLine.h"
#include "app/Settings.h"
#include "core/Protocol.h"
#include "core/RunHost.h"
#include "core/RunRecords.h"
#include "engine/FileSpecs.h"
#include "lib/XStrings.h"
#include "platform/Platform.h"
#include "run/Instances.h"
#include "run/RunDriver.h"
#include "app/UnitRunUtils.h"
#include "ui/Language.h"
#include "ui/MainForm.h"
#include "ui/MainFormHandlers.h"
#include "ui/UnitDebug.h"
#include "ui/RunHistory.h"
#include "ui/UnattendedHost.h"
#include "ui/WindowHost.h"

namespace plovik {

int FrameWidth = 0;
int CaptionHeight = 0;
int CascadeOffset = 0;

namespace {

constexpr const char* ApplicationName = "PLOVIK";
constexpr const char* ApplicationTitle = "Plovik";
constexpr double DefaultHeightShare = 0.6;
constexpr int HintPauseMs = 250;
constexpr int HintHideMs = 5000;
constexpr int HintShortPauseMs = 50;
// Lines the dropped-down lists show beyond their items.
constexpr int SrcFileExtraLines = 6;
constexpr int IgnFileExtraLines = 5;
constexpr uint16_t KeyA = 'A';
constexpr uint16_t KeyD = 'D';

// The run hosts of the program: the window, or the window of a run no
// person watches.
WindowHost windowHost;
UnattendedHost unattendedHost;

// "/?" asked for the help (a malformed command line, which also opens the
// window with the stored options, did not).
bool HelpAsked = false;

void InstallMainHandlers() {
  FormMainHandlers handlers = FormMain->Handlers;
  handlers.FormMainOnKeyDown = FormMainOnKeyDown;
  handlers.FormMainOnCloseQuery = FormMainOnCloseQuery;
  handlers.FormMainOnClose = FormMainOnClose;
  handlers.MenuItemSaveSettingsOnClick = MenuItemSaveSettingsOnClick;
  handlers.ButtonStartOnClick = ButtonStartOnClick;
  handlers.ButtonAbortOnClick = ButtonAbortOnClick;
  handlers.ButtonAbortOnMouseDown = ButtonAbortOnMouseDown;
  InstallHandlers(handlers);
}

void ShowPath(std::string& path, Edit& edit) {
  if (path.size() > 3 && path.back() == '\\') path.pop_back();
  edit.SetText(path);
  edit.SetSelStart(static_cast<int>(path.size()));
}

}  // namespace

void TearDownWindows() {
  // What the end of the process would free: the instance's mutexes.
  CloseInstanceMutexes();
  DestroyFormDebug();
  DestroyFormMain();
  Tk().SetMainForm(nullptr);
}

namespace {

// A cascaded window stays inside the work area: what would stick out at
// the right or at the bottom is cut off, down to the window's minimum
// size; a window that still sticks out moves left or up, but not beyond
// the work area's left or top edge. (The cascade itself never moves a
// window left of or above the work area, except the position without an
// instance number, which keeps its place.)
void KeepInsideWorkArea(TWindowPlacement& p, const Rect& work) {
  const int right = work.left + work.width, bottom = work.top + work.height;
  if (p.Left + p.Width > right) p.Width = std::max(FormMainDesign::MinWidth, right - p.Left);
  if (p.Left + p.Width > right) p.Left = std::max(work.left, right - p.Width);
  if (p.Top + p.Height > bottom) p.Height = std::max(FormMainDesign::MinHeight, bottom - p.Top);
  if (p.Top + p.Height > bottom) p.Top = std::max(work.top, bottom - p.Height);
}

}  // namespace

int CascadeOffsetFor(int captionHeight, int instanceNumber) {
  const ScreenMetrics screen = Tk().Screen();
  int positions = captionHeight > 0 ? (screen.width - FormMainDesign::Width) / captionHeight + 1 : 1;
  // A screen narrower than the window has one position.
  if (positions < 1) positions = 1;
  return ((instanceNumber - 1) % positions) * captionHeight;
}

TWindowPlacement DefaultPlacement(int captionHeight, int instanceNumber) {
  const ScreenMetrics screen = Tk().Screen();
  TWindowPlacement p;
  p.Left = p.Top = CascadeOffsetFor(captionHeight, instanceNumber);
  p.Width = screen.virtualWidth;
  p.Height = static_cast<int32_t>(std::lround(DefaultHeightShare * screen.virtualHeight));
  KeepInsideWorkArea(p, screen.workArea);
  return p;
}

// ---- the program's start ----------------------------------------------------------------------

void InitializeUnitMain() {
  // "/u": every question is answered by a rule, no box waits for a person.
  RunOptions.UnattendedFlag = ParseCommandLine(Sys().CommandLine()).given.unattended;
  windowHost = WindowHost{};
  unattendedHost = UnattendedHost{};
  InstallHost(RunOptions.UnattendedFlag ? static_cast<RunHost*>(&unattendedHost) : &windowHost);
  RunOptions.OneHour = ComputeOneHour();
  LocateSettingsFile();
  ReadLanguageEarly();
  HelpFileName = HelpFileNameFor(LanguageIndex);
  // No printer, or a spooler that does not answer: printing stays off.
  PrinterAvailable = Tk().DefaultPrinter().Probe();
}

bool CreateWindows() {
  Tk().SetName(ApplicationName);
  Tk().SetTitle(ApplicationTitle);
  CreateFormMain();
  Tk().SetMainForm(FormMain->Self.get());
  InstallMainHandlers();
  FormMainOnCreate();
  if (RunState.QuitAtStartup) return false;
  if (RunState.CloseAfterStart) {
    // The user closed the window while it was being created: the close is
    // carried out now, with the close query as usual.
    RunState.CloseAfterStart = false;
    FormMain->Self->Close();
    if (Tk().Terminated()) return false;
  }
  Tk().ProcessMessages();
  CreateFormDebug();
  // The description of the command line beside the window it opened.
  if (HelpAsked) OpenHelp();
  return true;
}

int RunMainBlock() {
  if (CreateWindows()) Tk().Run();
  // An unattended run leaves its protocol in the history, whatever became
  // of it; there is nobody to tell when that fails.
  if (RunOptions.UnattendedFlag) (void)AppendRunHistory(LastRunExitCode);
  TearDownWindows();
  return LastRunExitCode;
}

int RunProgram() {
  InitializeUnitMain();
  RunLanguageGate();
  return RunMainBlock();
}

// ---- the creation handler ---------------------------------------------------------------------

void FormMainOnCreate() {
  BeginCreation();
  TakeInstanceNumber();
  DecideStoredPlacement();
  MeasureWindowGeometry();
  ReadSettings(DefaultPlacement(CaptionHeight, RunOptions.InstanceNumber));
  SetLanguage(LanguageIndex);
  ApplyWindowPlacement();
  LayOutFormMain();
  ApplyFontsAndHints();
  SetUpTextsAndLists();
  TakeCommandLine();
  ShowFlagsInControls();
  ShowWindow();
  WriteCreationDebugLine();
  ShowPathsAndSpecs();
  WriteFlagDump();
  Tk().ProcessMessages();
  if (RunOptions.AutostartFlag && !RunState.CloseAfterStart) {
    StartRun();
  } else if (RunOptions.UnattendedFlag) {
    EndUnattendedWithoutRun();
  } else {
    // An automatic run the user closed the window on never starts.
    if (RunOptions.AutostartFlag) LastRunExitCode = RunAborted;
    FinishCreation();
  }
}

// An unattended start whose run cannot start (the command line is
// malformed, names no paths, asks for help, or the window was closed while
// it was being created) ends the program at once: nobody is there to mend
// it.
void EndUnattendedWithoutRun() {
  if (RunState.CloseAfterStart) {
    RunState.CloseAfterStart = false;
    LastRunExitCode = RunAborted;
  } else {
    LastRunExitCode = RunRefused;
    Host().Protocol(German() ? "AUTO   Abbrechen: Mit dieser Kommandozeile kann kein "
                               "unbeaufsichtigter Lauf beginnen."
                             : "AUTO   Abort: this command line cannot start an unattended run.");
  }
  Host().EndProgram(LastRunExitCode);
}

void BeginCreation() {
  RunState.ActivityState = Starting;
  Tk().SetOnMinimize(AppMinimizeHandler);
  Tk().SetOnRestore(AppRestoreHandler);
}

void TakeInstanceNumber() { RunOptions.InstanceNumber = GetInstanceNumber(); }

// The stored placement belongs to the first instance started without "/a"
// or "/u" anywhere in its command line (automatic runs open where the
// cascade puts them).
void DecideStoredPlacement() {
  const std::string commandLine = AsciiLower(Sys().CommandLine());
  RunOptions.AutostartFlag = commandLine.find("/a") != std::string::npos ||
                             commandLine.find("/u") != std::string::npos;
  Settings.UseStoredPlacement = RunOptions.InstanceNumber == 1 && !RunOptions.AutostartFlag;
}

void MeasureWindowGeometry() {
  const Form& form = *FormMain->Self;
  FrameWidth = (form.Width() - form.ClientWidth()) / 2;
  CaptionHeight = form.Height() - (form.ClientHeight() + FrameWidth);
  CascadeOffset = CascadeOffsetFor(CaptionHeight, RunOptions.InstanceNumber);
}

// A stored minimised window starts minimised with its taskbar button, not
// activated, and comes back in the normal state; it is never hidden, or
// nothing could bring it back.
void ApplyWindowPlacement() {
  Form& form = *FormMain->Self;
  const TWindowPlacement& p = Settings.WindowPlacement;
  MinimizedFlag = p.State == WindowMinimized;
  RememberedWindowState = MinimizedFlag ? uint8_t(WindowNormal) : p.State;
  form.SetBounds(p.Left, p.Top, p.Width, p.Height);
  form.SetWindowState(static_cast<WindowState>(RememberedWindowState));
  if (MinimizedFlag) {
    Tk().Minimize();
  } else {
    form.SetVisible(true);
  }
  Tk().ProcessMessages();
}

void ApplyFontsAndHints() {
  ApplyMemoFont();
  Tk().SetHintTimes(HintPauseMs, HintHideMs, HintShortPauseMs);
}

void SetUpTextsAndLists() {
  TFormMain& f = *FormMain;
  InstanceText = InstanceTextFor(LanguageIndex);
  SetMainCaption();
  ProtocolClear();
  const std::string& base = RunOptions.ProgramBaseName;
  f.PanelWaitToGo->SetCaption(
      German() ? "Warten, bis andere Instanzen von " + base + " mit dem Kopieren fertig sind."
               : "Waiting for other instances of " + base + " to finish copying.");
  f.ComboBoxSrcFile->SetDropDownCount(f.ComboBoxSrcFile->ItemCount() + SrcFileExtraLines);
  f.ComboBoxIgnFile->SetDropDownCount(f.ComboBoxIgnFile->ItemCount() + IgnFileExtraLines);
  if (f.ComboBoxIgnFile->ItemCount() > 1) f.ComboBoxIgnFile->SetItem(1, Settings.MaxIgnoreFileSpec);
  ComposeWaitMutexName();
  f.MenuItemLanguageEnglish->SetTag(0);
  f.MenuItemLanguageGerman->SetTag(1);
}

// The command line, and the rule that decides whether it or the settings
// file gives the options.
void TakeCommandLine() {
  TFormMain& f = *FormMain;
  const CommandLineRequest request = ParseCommandLine(Sys().CommandLine());
  const CommandLineOutcome outcome = ApplyCommandLine(
      request, CommandLineControls{*f.EditSrcDir, *f.EditDstDir, *f.ComboBoxSrcFile,
                                   *f.ComboBoxIgnFile});
  ApplyCommandLineRule(outcome, Settings.StoredOptions);
  HelpAsked = request.given.help && !RunOptions.ErrorFlag;
  // An automatic run that the command line itself kept from starting (a
  // malformed command line, no paths, the question about the source) was
  // refused by its input; help asked for with "/?" is no refusal.
  if (request.automaticAsked && !RunOptions.AutostartFlag &&
      (RunOptions.ErrorFlag || !request.given.help))
    LastRunExitCode = RunRefused;
}

// Each box from its flag; a box whose state changes runs its handler, which
// keeps the dependent boxes and flags in step.
void ShowFlagsInControls() {
  TFormMain& f = *FormMain;
  const TRunOptions& options = RunOptions;
  f.CheckBoxSubDir->SetChecked(options.SubDirFlag);
  f.CheckBoxEmptySubDir->SetChecked(options.EmptyFlag && options.SubDirFlag);
  f.CheckBoxEmptySubDir->SetEnabled(options.SubDirFlag);
  f.CheckBoxVerify->SetChecked(options.VerifyFlag);
  f.CheckBoxVerify->SetEnabled(!options.NoUpdateFlag);
  f.CheckBoxReport->SetChecked(options.ReportFlag);
  f.CheckBoxIgnore->SetChecked(options.IgnoreFlag);
  f.ComboBoxIgnFile->SetEnabled(options.IgnoreFlag);
  f.CheckBoxNoUpdate->SetChecked(options.NoUpdateFlag);
  f.CheckBoxIgnoreFileAgeOneHourDiff->SetChecked(options.IgnoreFileAgeOneHourDiffFlag);
  f.CheckBoxDebug->SetChecked(options.DebugFlag);
  SetDebugControlsVisible(options.DebugFlag);
}

// A minimised window stays as it is: shown minimised.
void ShowWindow() {
  if (!MinimizedFlag) FormMain->Self->SetVisible(true);
  Tk().ProcessMessages();
  SetDebugControlsVisible(RunOptions.DebugFlag);
}

void WriteCreationDebugLine() {
  const TRunOptions& options = RunOptions;
  if (!options.DebugFlag) return;
  DebugAdd("CmdLineSwitches=|" + options.CmdLineSwitches + "|   IgnoreFileSpecs=|" +
           options.IgnoreFileSpecs +
           "|   IgnoreFileSpecCount=" + std::to_string(options.IgnoreFileSpecCount));
}

void ShowPathsAndSpecs() {
  TFormMain& f = *FormMain;
  ShowPath(RunOptions.SrcPath, *f.EditSrcDir);
  ShowPath(RunOptions.DstPath, *f.EditDstDir);
  f.ComboBoxSrcFile->SetText(RunOptions.SrcFileSpecs);
  f.ComboBoxIgnFile->SetText(RunOptions.IgnoreFlag ? RunOptions.IgnoreFileSpecs : "");
}

void WriteFlagDump() {
  if (!RunOptions.DebugFlag) return;
  for (const std::string& line : RunFlagDumpLines()) ProtocolAdd(line);
  ProtocolAdd("Exit from OnCreateMainForm");
  ProtocolAdd("");
}

void FinishCreation() {
  TFormMain& f = *FormMain;
  SetLogButtons(f);
  RunState.QuitAtStartup = false;
  RunState.ActivityState = Idle;
}

// ---- keys, minimise and restore ------------------------------------------------------------

void FormMainOnKeyDown(KeyEvent& event) {
  TFormMain& f = *FormMain;
  if (event.key == KeyEscape && event.shift == ShiftState::None) {
    if (!f.ButtonAbort->Enabled()) return;
    event.handled = true;
    AbortRun();
  } else if (event.key == KeyA && event.shift == ShiftState::Ctrl) {
    event.handled = true;
    f.MemoProtocol->SetFocus();
    f.MemoProtocol->SelectAll();
  } else if (event.key == KeyD && event.shift == (ShiftState::Ctrl | ShiftState::Alt)) {
    event.handled = true;
    RunOptions.DebugFlag = !RunOptions.DebugFlag;
    SetDebugControlsVisible(RunOptions.DebugFlag);
    f.CheckBoxDebug->SetChecked(RunOptions.DebugFlag);
  }
}

// The event comes when the window is minimised already: the state to go
// back to is the one it had before.
void AppMinimizeHandler() {
  const Form& form = *FormMain->Self;
  RememberedWindowState = static_cast<uint8_t>(form.RestoreState());
  if (RunState.ActivityState != Starting) {
    const Rect bounds = form.NormalBounds();
    TWindowPlacement& p = Settings.WindowPlacement;
    p.Left = bounds.left;
    p.Width = bounds.width;
    p.Top = bounds.top;
    p.Height = bounds.height;
  }
  MinimizedFlag = true;
}

void AppRestoreHandler() {
  if (RememberedWindowState == WindowMinimized) RememberedWindowState = WindowNormal;
  TWindowPlacement& p = Settings.WindowPlacement;
  p.State = RememberedWindowState;
  Form& form = *FormMain->Self;
  form.SetWindowState(static_cast<WindowState>(p.State));
  form.SetBounds(p.Left, p.Top, p.Width, p.Height);
  MinimizedFlag = false;
}

// ---- closing ---------------------------------------------------------------------------------

// The question asked before a busy window gives up its activity; empty for
// the states that end without one.
std::string BusyText() {
  switch (RunState.ActivityState) {
    case WaitingForInstances:
      return FormMain->PanelWaitToGo->Caption();
    case Updating:
      return German() ? "Aktualisierung von  " + RunOptions.DstPath + "  noch nicht abgeschlossen."
                      : "Updating of  " + RunOptions.DstPath + "  still in progress.";
    case Printing:
      return German() ? "Drucken des Protokolls noch nicht abgeschlossen."
                      : "Printing of protocol still in progress.";
    case Saving:
      return German() ? "Speichern des  Protokolls als Log-Datei noch nicht abgeschlossen."
                      : "Saving of protocol to log file still in progress.";
    default:
      return std::string();
  }
}

void FormMainOnCloseQuery(CloseQueryEvent& event) {
  const uint8_t state = RunState.ActivityState;
  // One close at a time: the first one is still writing the settings.
  if (RunState.Closing) {
    event.canClose = false;
    return;
  }
  if (state == Idle) {
    RunState.Closing = true;
    return;
  }
  event.canClose = false;
  if (state == Starting) {
    // The window is not complete yet: the close waits until it is.
    RunState.CloseAfterStart = true;
    return;
  }
  const std::string text = BusyText();
  if (text.empty()) {
    RunState.CloseRequested = true;
  } else {
    Question question;
    question.kind = QuestionKind::CloseWhileBusy;
    question.text = text + "\r\r" +
                    (German() ? "Abbrechen und Programm beenden?" : "Abort and terminate application?");
    question.buttons = QuestionYes | QuestionNo;
    question.style = QuestionStyle::Warning;
    RunState.CloseRequested = Host().Ask(question) == AnswerYes;
  }
  if (!RunState.CloseRequested) return;
  if (state == WaitingForInstances || state == Updating) {
    RunState.RunActive = false;
    RunState.AbortRequested = true;
    RunState.CopyAbortRequested = true;
  }
  if (state == CountingDown) RunState.KeepRunning = true;
  RunState.ActivityState = Idle;
}

void FormMainOnClose(CloseEvent&) {
  CloseInstanceMutexes();
  if (!CmdLineGiven && !RunOptions.AutostartFlag && RunOptions.InstanceNumber <= 1) {
    WriteSettings();
  }
}

}  // namespace plovik
