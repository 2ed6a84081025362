#include "app/CommandLine.h"

#include <algorithm>
#include <limits>

#include "core/Protocol.h"
#include "core/RunHost.h"
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

// ---- reading the text ------------------------------------------------------------------

// Switch arguments (any with "/") go into the switch text; a non-switch
// argument with ">" is a redirection; every other one is a path parameter.
void ClassifyArguments(CommandLineRequest& request) {
  const std::vector<std::string>& args = request.arguments;
  const size_t count = args.size();
  for (size_t i = 0; i < count; ++i) {
    const std::string& arg = args[i];
    if (Contains(arg, "/")) {
      request.switches += arg;
      request.switchFound = true;
      continue;
    }
    const bool redirection = Contains(arg, ">");
    request.redirection = redirection;
    if (request.switchFound && !redirection) request.parameterAfterSwitch = true;
    // Two or more arguments after a redirection.
    if (redirection && i + 2 < count) request.parameterAfterSwitch = true;
    if (redirection) continue;
    request.parameters += arg + " ";
    if (request.parameterCount < std::numeric_limits<uint8_t>::max()) ++request.parameterCount;
  }
}

std::string RedirectionTargetOf(const std::string& lastArgument) {
  const size_t start = lastArgument.find_first_not_of("> ");
  return start == std::string::npos ? std::string() : lastArgument.substr(start);
}

CommandLineSwitches SwitchesOf(const std::string& switchText) {
  const std::string switches = AsciiLower(switchText);
  CommandLineSwitches given;
  given.help = Contains(switches, "/?");
  given.autostart = Contains(switches, "/a");
  given.debug = Contains(switches, "/d");
  given.empty = Contains(switches, "/e");
  given.oneHour = Contains(switches, "/f");
  given.ignore = Contains(switches, IgnoreSwitch);
  given.log = Contains(switches, "/l");
  given.noUpdate = Contains(switches, "/n");
  given.quiet = Contains(switches, "/q");
  given.report = Contains(switches, "/r");
  given.subDirs = Contains(switches, "/s");
  given.terminate = Contains(switches, "/t");
  given.unattended = Contains(switches, "/u");
  given.verify = Contains(switches, "/v");
  given.empty = given.empty || !given.subDirs;
  if (given.debug) {
    given.quiet = false;
    given.report = true;
  }
  // Unattended: the run starts at once and the program ends by itself.
  if (given.unattended) given.autostart = given.terminate = true;
  return given;
}

// ---- applying it -----------------------------------------------------------------------

void ShowCommandLineError(const char* english, const char* german, const std::string& cmdLine) {
  Question question;
  question.kind = QuestionKind::CommandLineError;
  question.text = InLanguage(english, german) + std::string("\r") + cmdLine;
  Host().Ask(question);
}

void SetFlagsFrom(const CommandLineSwitches& given) {
  TRunOptions& options = RunOptions;
  options.HelpFlag = given.help;
  options.AutostartFlag = given.autostart;
  options.DebugFlag = given.debug;
  options.EmptyFlag = given.empty;
  options.IgnoreFileAgeOneHourDiffFlag = given.oneHour;
  options.IgnoreFlag = given.ignore;
  options.LogFlag = given.log;
  options.NoUpdateFlag = given.noUpdate;
  options.QuietFlag = given.quiet;
  options.ReportFlag = given.report;
  options.SubDirFlag = given.subDirs;
  options.TerminateFlag = given.terminate;
  options.VerifyFlag = given.verify;
  options.UnattendedFlag = given.unattended;
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
  Question question;
  question.kind = QuestionKind::SourceAsSpec;
  question.style = QuestionStyle::Confirmation;
  question.sound = BeepKind::Question;
  question.buttons = QuestionYes | QuestionNo;
  question.subject = srcPath;
  question.text =
      LanguageIndex == 1
          ? "Quellverzeichnis  " + srcPath + "  nicht gefunden.\rSoll  " + specs +
                "  als ein Dateiname interpretiert werden?"
          : "Source directory  " + srcPath + "  not found.\rIs  " + specs +
                "  to be considered as a file name specification?";
  return Host().Ask(question) == AnswerYes;
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

void TakePaths(const CommandLineRequest& request, const CommandLineControls& controls) {
  TRunOptions& options = RunOptions;
  options.DstPath = ExpandedPath(request.destination.value_or(Settings.StoredDstPath));
  options.SrcPath = ExpandedPath(request.source.value_or(Settings.StoredSrcPath));
  if (options.DebugFlag)
    DebugAdd("SrcPath=" + options.SrcPath +
             "   DirectoryExists=" + BoolText(DirectoryExists(options.SrcPath)));
  ShowPath(controls.EditSrcDir, options.SrcPath);
  ShowPath(controls.EditDstDir, options.DstPath);
  controls.ComboBoxSrcFile.SetText("");
  controls.ComboBoxIgnFile.SetText("");
  Tk().ProcessMessages();
}

void WriteParseDebugLines(const CommandLineRequest& request) {
  const TRunOptions& options = RunOptions;
  ProtocolAdd(options.ProgramBaseName + " " + request.parameters + options.CmdLineSwitches);
  ProtocolAdd("ParameterCount = " + std::to_string(request.parameterCount) +
              "    ParamCount = " + std::to_string(request.arguments.size()));
  ProtocolAdd(options.SrcPath + "< >" + options.SrcFileSpecList[1] + "<");
}

// The messages about a malformed command line, in the order the reading
// found the faults.
void ReportMalformed(const CommandLineRequest& request) {
  if (request.parameterAfterSwitch)
    ShowCommandLineError("CommandLine parameter found after commandLine switch or I/O redirection:",
                         "Kommandozeilen-Parameter nach einem Kommandozeilen-Schalter bzw. einer "
                         "I/O-Umleitung gefunden",
                         request.text);
  if (request.tooManyParameters)
    ShowCommandLineError("Too many commandLine parameters:", "Zu viele Kommandozeilen-Parameter:",
                         request.text);
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

CommandLineRequest ParseCommandLine(const std::string& commandLine) {
  CommandLineRequest request;
  request.text = WithoutQuotes(commandLine);
  request.arguments = SplitCommandLine(commandLine);
  if (!request.arguments.empty()) request.arguments.erase(request.arguments.begin());
  ClassifyArguments(request);
  if (request.redirection) request.redirectionTarget = RedirectionTargetOf(request.arguments.back());
  request.given = SwitchesOf(request.switches);
  CommandLineSwitches& given = request.given;
  request.automaticAsked = given.autostart;
  request.tooManyParameters = request.parameterCount > 2 ||
                              (given.help && request.parameterCount > 0) ||
                              CharCount(request.switches) > MaxSwitchTextChars;
  const std::vector<std::string>& args = request.arguments;
  if (request.parameterCount >= 1) request.source = args[0];
  if (request.parameterCount == 2) request.destination = args[1];
  if (request.parameterCount == 0) given.autostart = false;
  if (given.ignore) request.ignoreSpecs = ExtractIgnoreSwitchSpecs(request.switches);
  if (request.Malformed() || given.help) given.autostart = given.terminate = false;
  return request;
}

CommandLineOutcome ApplyCommandLine(const CommandLineRequest& request,
                                    const CommandLineControls& controls) {
  TRunOptions& options = RunOptions;
  options.CmdLineSwitches = request.switches;
  options.RedirectionFlag = request.redirection;
  if (request.redirection) options.RedirectionTarget = request.redirectionTarget;
  options.SrcFileSpecCount = 0;
  options.IgnoreFileSpecCount = 0;
  ReportMalformed(request);
  SetFlagsFrom(request.given);
  options.ErrorFlag = request.Malformed();
  if (request.parameterCount == 0) {
    options.SrcFileSpecs = controls.ComboBoxSrcFile.Item(1);
    if (!options.IgnoreFlag) options.IgnoreFileSpecs = controls.ComboBoxIgnFile.Item(1);
  }
  TakePaths(request, controls);
  SplitSourceSpecification(request.parameterCount);
  // The field shows the list as it is kept: at most 16 entries.
  SplitSpecList(options.SrcFileSpecs, ';', options.SrcFileSpecList, options.SrcFileSpecCount);
  controls.ComboBoxSrcFile.SetText(options.SrcFileSpecs);
  if (options.IgnoreFlag) {
    options.IgnoreFileSpecs = request.ignoreSpecs;
    if (options.DebugFlag)
      DebugAdd("CmdLineSwitches=" + request.switches +
               "   CharCount=" + std::to_string(CharCount(request.ignoreSpecs)));
  }
  SplitSpecList(options.IgnoreFileSpecs, ';', options.IgnoreFileSpecList,
                options.IgnoreFileSpecCount);
  if (options.DebugFlag) WriteParseDebugLines(request);
  if (options.ErrorFlag) options.HelpFlag = true;
  if (options.HelpFlag) {
    options.AutostartFlag = false;
    options.TerminateFlag = false;
  }
  return CommandLineOutcome{request.parameterCount, static_cast<int>(request.arguments.size()),
                            request.switchFound};
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
