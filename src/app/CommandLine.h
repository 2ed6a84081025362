// The command line: source and destination paths, switches and a tolerated
// output redirection, turned into the run options and shown in the main
// window's fields; and the rule that decides whether the command line or
// the settings file gives the eight stored options.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Settings.h"
#include "toolkit/Toolkit.h"

namespace plovik {

// Longest switch text the program takes; a longer one is refused like too
// many parameters.
constexpr size_t MaxSwitchTextChars = 255;

// The main window's fields the command line fills. The two specification
// boxes must hold their prepared lists: item 1 is the default text (empty
// for the source, the longest ignore list for the ignore box).
struct CommandLineControls {
  Edit& EditSrcDir;
  Edit& EditDstDir;
  ComboBox& ComboBoxSrcFile;
  ComboBox& ComboBoxIgnFile;
};

// What the parse found besides the run options.
struct CommandLineOutcome {
  uint8_t ParameterCount = 0;  // path parameters (at most 255 counted)
  int ArgumentCount = 0;       // arguments, the program itself not counted
  bool SwitchFound = false;
};

// The command line was given with a path or a switch: the settings file is
// then not written at the close. Set by ApplyCommandLineRule.
extern bool CmdLineGiven;

// The arguments of a command line, the program itself first: runs of
// characters with codes 1 to 32 separate them; a stretch in double quotes
// may hold blanks; the quotes are removed and cannot be escaped.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Reads Sys().CommandLine() into RunOptions (flags, paths, specifications,
// redirection, switch text), shows the paths and the source specification
// in the fields, and reports a malformed command line in message boxes
// (each of which cancels the automatic start). Reads the stored paths of
// Settings and LanguageIndex.
CommandLineOutcome ParseCommandLine(const CommandLineControls& controls);

// The ignore specifications written after "/i:" in a switch text: the run
// of characters (codes 32 to 255, none of "/", ":", "\") that follows it,
// letter case kept; empty when there is none within the first 255
// characters.
std::string ExtractIgnoreSwitchSpecs(const std::string& switchText);

// The rule that follows the parse: without a path, a switch or an error,
// or with "/?" (HelpFlag), the eight stored options become the run flags;
// otherwise the command line alone decides. Sets and returns CmdLineGiven.
bool ApplyCommandLineRule(const CommandLineOutcome& outcome, const TStoredOptions& stored);

}  // namespace plovik
