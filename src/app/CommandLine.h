// The command line: source and destination paths, switches and a tolerated
// output redirection. Reading it is a pure step (the text in, what it asks
// for out); applying it turns that into the run options, shows the paths
// and specifications in the main window's fields and reports a malformed
// command line. The rule that follows decides whether the command line or
// the settings file gives the eight stored options.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Settings.h"
#include "toolkit/Toolkit.h"

namespace plovik {

// Longest switch text the program takes; a longer one is refused like too
// many parameters.
constexpr size_t MaxSwitchTextChars = 255;

// The switches of a command line, each found as its text anywhere in the
// lower-cased switch arguments.
struct CommandLineSwitches {
  bool help = false;        // "/?"
  bool autostart = false;   // "/a"
  bool debug = false;       // "/d"
  bool empty = false;       // "/e"
  bool oneHour = false;     // "/f"
  bool ignore = false;      // "/i:"
  bool log = false;         // "/l"
  bool noUpdate = false;    // "/n"
  bool quiet = false;       // "/q"
  bool report = false;      // "/r"
  bool subDirs = false;     // "/s"
  bool terminate = false;   // "/t"
  bool unattended = false;  // "/u"
  bool verify = false;      // "/v"
};

// What a command line asks for, read from its text alone.
struct CommandLineRequest {
  std::string text;                     // the whole line without its double quotes
  std::vector<std::string> arguments;   // the program itself not counted
  std::string switches;                 // every switch argument, joined, letter case kept
  std::string parameters;               // every path parameter followed by one blank
  uint8_t parameterCount = 0;           // path parameters (at most 255 counted)
  bool switchFound = false;
  // The first and the second argument where there are path parameters to
  // give them: a switch standing first is taken as the source.
  std::optional<std::string> source;
  std::optional<std::string> destination;
  bool redirection = false;
  std::string redirectionTarget;
  // A path parameter after a switch, or a redirection followed by two or
  // more arguments.
  bool parameterAfterSwitch = false;
  // More than two path parameters, "/?" with a path parameter, or a switch
  // text beyond MaxSwitchTextChars characters.
  bool tooManyParameters = false;
  // The switches as given; "/e" also when "/s" is absent; "/d" turns
  // "/q" off and "/r" on; "/u" implies "/a" and "/t"; no path parameter,
  // a malformation or "/?" cancel the automatic start and end.
  CommandLineSwitches given;
  std::string ignoreSpecs;              // written after "/i:"
  // "/a" or "/u" was given, whether or not the run can start.
  bool automaticAsked = false;
  bool Malformed() const { return parameterAfterSwitch || tooManyParameters; }
};

// The arguments of a command line, the program itself first: runs of
// characters with codes 1 to 32 separate them; a stretch in double quotes
// may hold blanks; the quotes are removed and cannot be escaped.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Reads a whole command line (the program's path first).
CommandLineRequest ParseCommandLine(const std::string& commandLine);

// The ignore specifications written after "/i:" in a switch text: the run
// of characters (codes 32 to 255, none of "/", ":", "\") that follows it,
// letter case kept; empty when there is none within the first 255
// characters.
std::string ExtractIgnoreSwitchSpecs(const std::string& switchText);

// The main window's fields the command line fills. The two specification
// boxes must hold their prepared lists: item 1 is the default text (empty
// for the source, the longest ignore list for the ignore box).
struct CommandLineControls {
  Edit& EditSrcDir;
  Edit& EditDstDir;
  ComboBox& ComboBoxSrcFile;
  ComboBox& ComboBoxIgnFile;
};

// What applying the command line found besides the run options.
struct CommandLineOutcome {
  uint8_t ParameterCount = 0;  // path parameters (at most 255 counted)
  int ArgumentCount = 0;       // arguments, the program itself not counted
  bool SwitchFound = false;
};

// The command line was given with a path or a switch: the settings file is
// then not written at the close. Set by ApplyCommandLineRule.
extern bool CmdLineGiven;

// Applies a read command line: the run options (flags, paths expanded to
// full paths, specifications, redirection, switch text), the paths and the
// source specification shown in the fields, the messages about a malformed
// command line and the question about a source that is no directory (each
// of which cancels the automatic start), and the debug lines. Reads the
// stored paths of Settings and LanguageIndex.
CommandLineOutcome ApplyCommandLine(const CommandLineRequest& request,
                                    const CommandLineControls& controls);

// The rule that follows: without a path, a switch or an error, or with
// "/?" (HelpFlag), the eight stored options become the run flags;
// otherwise the command line alone decides. Sets and returns CmdLineGiven.
bool ApplyCommandLineRule(const CommandLineOutcome& outcome, const TStoredOptions& stored);

}  // namespace plovik
