#include "app/CommandLine.h"

#include <algorithm>
#include <limits>

#include "core/Protocol.h"
#include "core/RunRecords.h"
#include "core/SubDirs.h"
#include "engine/FileSpecs.h"
#include "lib/Utf.h"
#include "lib/XStrings.h"
#include "platform/Platform.h"

namespace plovik {

bool CmdLineGiven = false;

namespace {

constexpr unsigned char LastSeparatorCode = 32;
constexpr unsigned char FirstSpecCode = 32;
constexpr const char* AnySpecText = "*.*";
constexpr const char* IgnoreSwitch = "/i:";

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::string WithoutQuotes(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
  return text;
}

void ShowCommandLineError(const char* english, const char* german, const std::string& cmdLine) {
  Sys().Beep(BeepKind::Exclamation);
  Tk().MessageDialog(InLanguage(english, german) + std::string("\r") + cmdLine, DialogType::Error,
                     ButtonOk, 0);
}

// What the classification of the arguments gathers.
struct Classification {
  std::string parameters;  // each path parameter followed by one blank
  uint8_t parameterCount = 0;
  bool switchFound = false;
};

// Switch arguments (any with "/") go into the switch text; a non-switch
// argument with ">" is a redirection; every other one is a path parameter.
Classification ClassifyArguments(const std::vector<std::string>& args) {
  Classification found;
  const size_t count = args.size();
  for (size_t i = 0; i < count; ++i) {
    const std::string& arg = args[i];
    if (Contains(arg, "/")) {
      RunOptions.CmdLineSwitches += arg;
      found.switchFound = true;
      continue;
    }
    const bool redirection = Contains(arg, ">");
    RunOptions.RedirectionFlag = redirection;
    if (found.switchFound && !redirection) RunOptions.ErrorFlag = true;
    // Two or more arguments after a redirection.
    if (redirection && i + 2 < count) RunOptions.ErrorFlag = true;
    if (redirection) continue;
    found.parameters += arg + " ";
    if (found.parameterCount < std::numeric_limits<uint8_t>::max()) ++found.parameterCount;
  }
  return found;
}

std::string RedirectionTargetOf(const std::string& lastArgument) {
  const size_t start = lastArgument.find_first_not_of("> ");
  return start == std::string::npos ? std::string() : lastArgument.substr(start);
}

void SetFlagsFromSwitches() {
  const std::string switches = AsciiLower(RunOptions.CmdLineSwitches);
  TRunOptions& options = RunOptions;
  options.HelpFlag = Contains(switches, "/?");
  options.AutostartFlag = Contains(switches, "/a");
  options.DebugFlag = Contains(switches, "/d");
  options.EmptyFlag = Contains(switches, "/e");
  options.IgnoreFileAgeOneHourDiffFlag = Contains(switches, "/f");
  options.IgnoreFlag = Contains(switches, IgnoreSwitch);
  options.LogFlag = Contains(switches, "/l");
  options.NoUpdateFlag = Contains(switches, "/n");
  options.QuietFlag = Contains(switches, "/q");
  options.ReportFlag = Contains(switches, "/r");
  options.SubDirFlag = Contains(switches, "/s");
  options.TerminateFlag = Contains(switches, "/t");
  options.VerifyFlag = Contains(switches, "/v");
  options.EmptyFlag = options.EmptyFlag || !options.SubDirFlag;
  if (options.DebugFlag) {
    options.QuietFlag = false;
    options.ReportFlag = true;
  }
}

// A path parameter or stored path as a full path; the current directory
// when nothing is left of it.
std::string ExpandedPath(const std::string& path) {
  const Result<std::string> full = Sys().FullPathName(path);
  const std::string expanded = full ? *full : path;
  return Trim(expanded).empty() ? Sys().CurrentDirectory() : expanded;
}

void ShowPath(Edit& edit, const std::string& path) {
  edit.SetText(path);
  edit.SetSelStart(static_cast<int>(CharCount(path)));
}

// The directory of a path: the text before its last "\" or ":", keeping the
// backslash of a root (C:\).
std::string ParentDirectory(const std::string& path) {
  const size_t cut = path.find_last_of("\\:");
  if (cut == std::string::npos) return std::string();
  const bool keepDelimiter =
      path[cut] == ':' || cut == 0 || path[cut - 1] == '\\' || path[cut - 1] == ':';
  return path.substr(0, keepDelimiter ? cut + 1 : cut);
}

std::string LastComponent(const std::string& path) {
  const size_t cut = path.find_last_of("\\:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// 1-based character position of the last ".", "*", "?" or ";"; 0 for none.
size_t LastSpecDelimiter(const std::string& text) {
  const size_t at = text.find_last_of(".*?;");
  return at == std::string::npos ? 0 : CharCount(text.substr(0, at)) + 1;
}

bool AskSpecification(const std::string& srcPath, const std::string& specs) {
  Sys().Beep(BeepKind::Question);
  const std::string question =
      LanguageIndex == 1
          ? "Quellverzeichnis  " + srcPath + "  nicht gefunden.\rSoll  " + specs +
                "  als ein Dateiname interpretiert werden?"
          : "Source directory  " + srcPath + "  not found.\rIs  " + specs +
                "  to be considered as a file name specification?";
  return Tk().MessageDialog(question, DialogType::Confirmation, ButtonYes | ButtonNo, 0) ==
         ModalYes;
}

// A source path that is no directory may end in the file specification.
void SplitSourceSpecification(uint8_t parameterCount) {
  TRunOptions& options = RunOptions;
  if (DirectoryExists(options.SrcPath)) {
    options.SrcFileSpecs = AnySpecText;
    return;
  }
  if (parameterCount == 0) return;
  options.SrcFileSpecs = LastComponent(options.SrcPath);
  if (options.DebugFlag)
    DebugAdd("SrcFileSpecs=" + options.SrcFileSpecs +
             "   LastDelimiter=" + std::to_string(LastSpecDelimiter(options.SrcFileSpecs)));
  if (options.SrcFileSpecs.find_first_of(".*?;") != std::string::npos) {
    options.SrcPath = ParentDirectory(options.SrcPath);
    return;
  }
  if (AskSpecification(options.SrcPath, options.SrcFileSpecs)) {
    options.SrcPath = ParentDirectory(options.SrcPath);
  } else {
    options.SrcFileSpecs = AnySpecText;
    options.ErrorFlag = true;
  }
  options.AutostartFlag = false;
}

void TakePaths(const std::vector<std::string>& args, uint8_t parameterCount,
               const CommandLineControls& controls) {
  TRunOptions& options = RunOptions;
  options.DstPath = ExpandedPath(parameterCount == 2 ? args[1] : Settings.StoredDstPath);
  options.SrcPath = ExpandedPath(parameterCount >= 1 ? args[0] : Settings.StoredSrcPath);
  if (options.DebugFlag)
    DebugAdd("SrcPath=" + options.SrcPath +
             "   DirectoryExists=" + BoolText(DirectoryExists(options.SrcPath)));
  ShowPath(controls.EditSrcDir, options.SrcPath);
  ShowPath(controls.EditDstDir, options.DstPath);
  controls.ComboBoxSrcFile.SetText("");
  controls.ComboBoxIgnFile.SetText("");
  Tk().ProcessMessages();
}

void WriteParseDebugLines(const Classification& found, int argumentCount) {
  const TRunOptions& options = RunOptions;
  ProtocolAdd(options.ProgramBaseName + " " + found.parameters + options.CmdLineSwitches);
  ProtocolAdd("ParameterCount = " + std::to_string(found.parameterCount) +
              "    ParamCount = " + std::to_string(argumentCount));
  ProtocolAdd(options.SrcPath + "< >" + options.SrcFileSpecList[1] + "<");
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> args;
  size_t i = 0;
  const size_t end = std::min(commandLine.find('\0'), commandLine.size());
  auto separator = [&](size_t at) {
    return static_cast<unsigned char>(commandLine[at]) <= LastSeparatorCode;
  };
  while (i < end) {
    while (i < end && separator(i)) ++i;
    if (i == end) break;
    std::string arg;
    bool quoted = false;
    while (i < end && (quoted || !separator(i))) {
      if (commandLine[i] == '"') {
        quoted = !quoted;
      } else {
        arg += commandLine[i];
      }
      ++i;
    }
    // An argument of nothing but quotes counts as none.
    if (!arg.empty()) args.push_back(std::move(arg));
  }
  return args;
}

CommandLineOutcome ParseCommandLine(const CommandLineControls& controls) {
  TRunOptions& options = RunOptions;
  const std::string cmdLineText = WithoutQuotes(Sys().CommandLine());
  std::vector<std::string> args = SplitCommandLine(Sys().CommandLine());
  if (!args.empty()) args.erase(args.begin());  // the program itself
  options.CmdLineSwitches.clear();
  options.ErrorFlag = false;
  options.RedirectionFlag = false;
  options.SrcFileSpecCount = 0;
  options.IgnoreFileSpecCount = 0;

  const Classification found = ClassifyArguments(args);
  if (options.ErrorFlag)
    ShowCommandLineError("CommandLine parameter found after commandLine switch or I/O redirection:",
                         "Kommandozeilen-Parameter nach einem Kommandozeilen-Schalter bzw. einer "
                         "I/O-Umleitung gefunden",
                         cmdLineText);
  if (options.RedirectionFlag) options.RedirectionTarget = RedirectionTargetOf(args.back());
  SetFlagsFromSwitches();
  const bool switchesTooLong = CharCount(options.CmdLineSwitches) > MaxSwitchTextChars;
  if (found.parameterCount > 2 || (options.HelpFlag && found.parameterCount > 0) ||
      switchesTooLong) {
    ShowCommandLineError("Too many commandLine parameters:", "Zu viele Kommandozeilen-Parameter:",
                         cmdLineText);
    options.ErrorFlag = true;
  }
  if (found.parameterCount == 0) {
    options.SrcFileSpecs = controls.ComboBoxSrcFile.Item(1);
    if (!options.IgnoreFlag) options.IgnoreFileSpecs = controls.ComboBoxIgnFile.Item(1);
    options.AutostartFlag = false;
  }
  TakePaths(args, found.parameterCount, controls);
  SplitSourceSpecification(found.parameterCount);
  // The field shows the list as it is kept: at most 16 entries.
  SplitSpecList(options.SrcFileSpecs, ';', options.SrcFileSpecList, options.SrcFileSpecCount);
  controls.ComboBoxSrcFile.SetText(options.SrcFileSpecs);
  if (options.IgnoreFlag) {
    options.IgnoreFileSpecs = ExtractIgnoreSwitchSpecs(options.CmdLineSwitches);
  }
  SplitSpecList(options.IgnoreFileSpecs, ';', options.IgnoreFileSpecList,
                options.IgnoreFileSpecCount);
  if (options.DebugFlag) WriteParseDebugLines(found, static_cast<int>(args.size()));
  if (options.ErrorFlag) options.HelpFlag = true;
  if (options.HelpFlag) {
    options.AutostartFlag = false;
    options.TerminateFlag = false;
  }
  return CommandLineOutcome{found.parameterCount, static_cast<int>(args.size()), found.switchFound};
}

std::string ExtractIgnoreSwitchSpecs(const std::string& switchText) {
  // Only the first MaxSwitchTextChars characters of the text count.
  const std::string text = CharPrefix(switchText, MaxSwitchTextChars);
  const size_t at = AsciiLower(text).find(IgnoreSwitch);
  const size_t switchLength = std::string(IgnoreSwitch).size();
  std::string specs;
  if (at != std::string::npos &&
      CharCount(text.substr(0, at)) + switchLength < MaxSwitchTextChars) {
    // Bytes of characters beyond ASCII are all accepted, so a character
    // is taken whole or not at all.
    for (size_t i = at + switchLength; i < text.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(text[i]);
      if (c < FirstSpecCode || c == '/' || c == ':' || c == '\\') break;
      specs += text[i];
    }
  }
  if (RunOptions.DebugFlag)
    DebugAdd("CmdLineSwitches=" + switchText + "   CharCount=" + std::to_string(CharCount(specs)));
  return specs;
}

bool ApplyCommandLineRule(const CommandLineOutcome& outcome, const TStoredOptions& stored) {
  TRunOptions& options = RunOptions;
  CmdLineGiven = outcome.ParameterCount > 0 || outcome.SwitchFound;
  const bool nothingGiven = !CmdLineGiven && !options.ErrorFlag;
  if (nothingGiven || options.HelpFlag) {
    options.SubDirFlag = stored.SubDirFlag;
    options.EmptyFlag = stored.EmptyFlag;
    options.IgnoreFlag = stored.IgnoreFlag;
    options.VerifyFlag = stored.VerifyFlag;
    options.QuietFlag = stored.QuietFlag;
    options.ReportFlag = stored.ReportFlag;
    options.NoUpdateFlag = stored.NoUpdateFlag;
    options.IgnoreFileAgeOneHourDiffFlag = stored.IgnoreFileAgeOneHourDiffFlag;
  }
  return CmdLineGiven;
}

}  // namespace plovik
