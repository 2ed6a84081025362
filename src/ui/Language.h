// The language of the window: the texts of every caption, hint and menu
// entry in English and German, the help file of each language and the title
// bar. LanguageIndex itself (0 English, 1 German) lives in core/RunRecords.
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/Toolkit.h"

namespace plovik {

// Three pairs of texts, entry 2 * pair + LanguageIndex: the help file's base
// name, the default-ignore dialog's title and its prompt.
extern const char* const LanguageTexts[6];
enum LanguageTextPair { TextHelpFileBase = 0, TextIgnoreDialogTitle = 2, TextIgnoreDialogPrompt = 4 };
const char* LanguageText(LanguageTextPair pair);

// The help file of the current language beside the executable.
extern std::string HelpFileName;
// "  (Instance #" or "  (Instanz #", fixed by start-up.
extern std::string InstanceText;

// The executable's folder with its trailing backslash.
std::string ExecutableDirectory();
std::string HelpFileNameFor(uint8_t languageIndex);
std::string InstanceTextFor(uint8_t languageIndex);

// Puts every caption, hint and menu text of FormMain into the language,
// then sets HelpFileName (and the toolkit's help file) and the title.
void SetLanguage(uint8_t index);
// The title bar: a blank and ProgramBaseName, with the instance number
// behind it from the second instance on; during a run, its progress
// behind that (RunProgress.h).
std::string MainCaption();
void SetMainCaption();
// Both language entries of the menu: their tag is the language.
void MenuItemLanguageOnClick(MenuItem& item);

}  // namespace plovik
