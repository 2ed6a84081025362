// The checks of an update run before the walk: the typed paths and
// specifications, the drives (with the reconnection of remembered network
// drives), and the containment of the destination in the source.
#include <string>

#include "core/Delays.h"
#include "core/Drives.h"
#include "core/Protocol.h"
#include "core/RunHost.h"
#include "core/RunRecords.h"
#include "core/SubDirs.h"
#include "engine/FileSpecs.h"
#include "lib/Utf.h"
#include "platform/Platform.h"
#include "run/Instances.h"
#include "run/RunDriver.h"
#include "run/RunSteps.h"

namespace plovik {

namespace {

// Drive boxes put the caret after the drive letter.
constexpr int DriveCaret = 1;
// How long a missing drive is tried to be reconnected, and how often.
constexpr uint64_t ReconnectMs = 10000;
constexpr uint16_t ReconnectPauseMs = 100;

// ---- boxes and the faulty field --------------------------------------------------------------

int AskAbout(QuestionKind kind, const std::string& text, uint32_t buttons,
             const std::string& subject) {
  return Host().Ask(Question{.kind = kind, .text = text, .buttons = buttons, .subject = subject});
}

// A retry box: Retry repeats the check, anything else ends the run as a
// refused input.
bool RetryOrRefuse(const std::string& text, InputField field, char letter) {
  const int answer =
      AskAbout(QuestionKind::DriveRetry, text, QuestionAbort | QuestionRetry, std::string(1, letter) + ":");
  Host().FocusField(field, DriveCaret);
  if (answer == AnswerRetry) return true;
  EndWithRefusal(InputRefusal{std::string(), field, DriveCaret});
  return false;
}

std::string DriveText(const char* english, const char* german, char letter,
                      const char* englishEnd, const char* germanEnd) {
  return InLanguage(english, german) + std::string(1, letter) + ":  " + InLanguage(englishEnd, germanEnd);
}

// ---- paths and specifications ----------------------------------------------------------------

// The field's text cleaned up and written back, the caret at its end.
std::string TakePath(InputField field) {
  const std::string path = CleanUpPath(Host().FieldText(field));
  Host().SetFieldText(field, path);
  return path;
}

// The box's text split into its list; the box shows the list as it is kept.
void TakeSpecs(InputField field, std::string& specs, SpecList& list, uint8_t& count) {
  specs = Host().FieldText(field);
  SplitSpecList(specs, ';', list, count);
  Host().SetFieldText(field, specs);
}

std::optional<InputRefusal> CheckPathsAndSpecs() {
  TRunOptions& o = RunOptions;
  o.SrcPath = TakePath(InputField::EditSrcDir);
  if (auto refusal = CheckPathForm(o.SrcPath, PathRole::Source)) return refusal;
  TakeSpecs(InputField::ComboBoxSrcFile, o.SrcFileSpecs, o.SrcFileSpecList, o.SrcFileSpecCount);
  if (auto refusal = CheckSpecEntries(o.SrcFileSpecList, o.SrcFileSpecCount, SpecRole::Source))
    return refusal;
  if (o.IgnoreFlag) {
    TakeSpecs(InputField::ComboBoxIgnFile, o.IgnoreFileSpecs, o.IgnoreFileSpecList,
              o.IgnoreFileSpecCount);
    if (auto refusal =
            CheckSpecEntries(o.IgnoreFileSpecList, o.IgnoreFileSpecCount, SpecRole::Ignore))
      return refusal;
  }
  o.DstPath = TakePath(InputField::EditDstDir);
  return CheckPathForm(o.DstPath, PathRole::Destination);
}

// The run as a command line would give it, written before every run.
std::string CommandLineLine() {
  const TRunOptions& o = RunOptions;
  std::string line = o.ProgramBaseName + " " + o.SrcPath;
  if (!line.empty() && line.back() == '\\') line.pop_back();
  line += "\\" + o.SrcFileSpecs + " " + o.DstPath + " ";
  const std::pair<bool, const char*> switches[] = {
      {o.SubDirFlag, "/s"},   {o.SubDirFlag && o.EmptyFlag, "/e"},
      {o.VerifyFlag, "/v"},   {o.IgnoreFileAgeOneHourDiffFlag, "/f"},
      {o.AutostartFlag, "/a"}, {o.DebugFlag, "/d"},
      {o.LogFlag, "/l"},      {o.NoUpdateFlag, "/n"},
      {o.QuietFlag, "/q"},    {o.ReportFlag, "/r"},
      {o.TerminateFlag, "/t"}, {o.HelpFlag, "/?"}};
  for (const auto& [set, text] : switches)
    if (set) line += text;
  if (o.IgnoreFlag) line += "/i:" + o.IgnoreFileSpecs;
  if (o.RedirectionFlag) line += ">" + o.RedirectionTarget;
  return line;
}

// ---- drives --------------------------------------------------------------------------------------

// Tries to reconnect a missing drive until it exists, the deadline has
// passed or the user stopped it; every attempt is made at least once.
void Reconnect(char letter, uint64_t deadline) {
  Host().SetBusyCursor(true);
  RunState.AbortRequested = false;
  do {
    (void)ConnectNetworkDrive(Host().DialogOwner(), letter);
    if (!DriveExists(letter)) Delay(ReconnectPauseMs);
  } while (!DriveExists(letter) && Sys().TickCount() <= deadline && !RunState.AbortRequested);
  Host().SetBusyCursor(false);
}

// A drive that is missing: reconnected if it can be. False when the run
// has ended (stopped by the user, or the drive not found).
bool FindDrive(char letter, uint64_t deadline, PathRole role) {
  if (DriveExists(letter)) return true;
  Reconnect(letter, deadline);
  if (RunState.AbortRequested) {
    EndStoppedByUser();
    return false;
  }
  if (DriveExists(letter)) return true;
  const bool source = role == PathRole::Source;
  EndWithRefusal(InputRefusal{
      source ? DriveText("Source drive  ", "Quell-Laufwerk  ", letter, "not found.",
                         "nicht gefunden.")
             : DriveText("Destination drive  ", "Ziel-Laufwerk  ", letter, "not found.",
                         "nicht gefunden."),
      source ? InputField::EditSrcDir : InputField::EditDstDir, DriveCaret});
  return false;
}

bool CheckSourceDrive(const RunContext& run) {
  const std::string& path = RunOptions.SrcPath;
  if (path[0] == '\\') return true;
  const char letter = DriveLetterOf(path);
  if (!FindDrive(letter, run.startTick + ReconnectMs, PathRole::Source)) return false;
  for (;;) {
    Host().ProcessPending();
    if (DriveReady(letter)) return true;
    if (!RetryOrRefuse(DriveText("Source drive  ", "Quell-Laufwerk  ", letter, "not ready.",
                                 "nicht bereit."),
                       InputField::EditSrcDir, letter))
      return false;
  }
}

// One pass over the destination drive's states; true when it found
// nothing to complain about, false with retry set when the user asked to
// test again.
bool DestinationDriveUsable(char letter, bool& retry) {
  const bool removable = Sys().DriveType(letter) == DriveRemovable;
  std::string complaint;
  if (removable && !DriveReady(letter)) {
    complaint = DriveText("Destination drive  ", "Ziel-Laufwerk  ", letter, "not ready.",
                          "nicht bereit.");
  } else if (DriveFull(letter)) {
    complaint = DriveText("Destination drive  ", "Das Ziel-Laufwerk  ", letter, "is full.",
                          "ist voll.");
  } else if (removable && DriveWriteProtected(letter)) {
    complaint = DriveText("Destination drive  ", "Das Ziel-Laufwerk  ", letter,
                          "is write protected.", "ist schreibgesch\xC3\xBCtzt.");
  }
  if (complaint.empty()) return true;
  retry = RetryOrRefuse(complaint, InputField::EditDstDir, letter);
  return false;
}

bool CheckDestinationDrive(RunContext& run) {
  const std::string& path = RunOptions.DstPath;
  if (path[0] == '\\') {
    run.dstDriveNumber = NoDriveNumber;
    RunCounters.DstDriveLetter = 0;
    return true;
  }
  const char letter = DriveLetterOf(path);
  RunCounters.DstDriveLetter = letter;
  run.dstDriveNumber = static_cast<uint8_t>(letter - 'A' + 1);
  if (!FindDrive(letter, Sys().TickCount() + ReconnectMs, PathRole::Destination)) return false;
  for (;;) {
    Host().ProcessPending();
    bool retry = false;
    if (DestinationDriveUsable(letter, retry)) return true;
    if (!retry) return false;
  }
}

std::optional<InputRefusal> CheckSourceDirectory() {
  const std::string& path = RunOptions.SrcPath;
  if (DirectoryExists(path)) return std::nullopt;
  return InputRefusal{InLanguage("Source directory  ", "Quell-Verzeichnis  ") + path +
                          InLanguage("  not found.", "  nicht gefunden."),
                      InputField::EditSrcDir, static_cast<int>(CharCount(path))};
}

}  // namespace

// ---- the ends before the walk --------------------------------------------------------------

void EndWithRefusal(const InputRefusal& refusal) {
  if (!refusal.message.empty()) {
    AskAbout(QuestionKind::InputRefused, refusal.message, QuestionAbort, std::string());
    Host().FocusField(refusal.field, refusal.caret);
  }
  RunState.ValidationFailed = true;
  RunState.ActivityState = Idle;
  LastRunExitCode = RunRefused;
  if (RunOptions.UnattendedFlag) {
    // Nobody is there to mend the input: the program ends.
    ReleaseWaitMutex();
    Host().EndProgram(LastRunExitCode);
    return;
  }
  // The program stays, also after an automatic run in its start-up.
  RunState.QuitAtStartup = false;
  ResetAfterRun();
  ReleaseWaitMutex();
}

// The user's abort has reset the window already.
void EndStoppedByUser() {
  ReleaseWaitMutex();
  LastRunExitCode = RunAborted;
  RunState.ActivityState = Idle;
  if (RunState.CloseRequested || RunOptions.UnattendedFlag) {
    Host().EndProgram(LastRunExitCode);
  } else {
    RunState.QuitAtStartup = false;
  }
}

bool CheckRunInputs(RunContext& run) {
  if (auto refusal = CheckPathsAndSpecs()) {
    EndWithRefusal(*refusal);
    return false;
  }
  Host().Protocol(CommandLineLine());
  Host().Protocol("");
  if (!CheckSourceDrive(run)) return false;
  if (auto refusal = CheckSourceDirectory()) {
    EndWithRefusal(*refusal);
    return false;
  }
  if (!CheckDestinationDrive(run)) return false;
  if (auto refusal = CheckContainment(RunOptions.SrcPath, RunOptions.DstPath)) {
    EndWithRefusal(*refusal);
    return false;
  }
  return true;
}

}  // namespace plovik
