// The settings file: located once at start-up (with the one-time migration
// of a file beside the executable into the user's application data),
// its language read early, everything else read while the main window is
// created, and written back when the main window closes.
#pragma once

#include <string>

#include "core/Settings.h"
#include "toolkit/Toolkit.h"

namespace plovik {

// Works out SettingsFileName, SettingsFolder, LegacySettingsFileName,
// AppDataAvailable and ProgramBaseName; copies a legacy file into the
// per-user folder when that has none yet. Returns SettingsFileName.
std::string LocateSettingsFile();
// "General"/"Language" into LanguageIndex (0 unless the file says 1).
void ReadLanguageEarly();
// Every key into memory: the stored options, KeepTime, the default ignore
// specifications, the language, both fonts, the stored paths and, while
// UseStoredPlacement is set, the window placement. A stored placement that
// lies wholly outside the screen, and a state other than 0, 1 and 2, give
// way to the defaults.
void ReadSettings(const TWindowPlacement& defaultPlacement);
// Writes "SaveSettings" and, while it is set, every other key from the
// run flags, the settings values and the window. A failure is reported in
// an error box; the program goes on.
void WriteSettings();
// The menu entry "  Save settings": its check mark into SaveSettings.
void MenuItemSaveSettingsOnClick(MenuItem& item);

}  // namespace plovik
