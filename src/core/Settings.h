// The settings values: what the settings file holds, kept in memory for the
// whole life of the process. The settings file (app/Settings) reads them at
// start-up and writes them at close; the window's controls and commands change
// them meanwhile. The run options themselves are RunOptions (core/RunRecords).
#pragma once

#include <cstdint>
#include <string>

namespace plovik {

// The eight run options as the settings file stores them; they become the
// run flags only when the command line names no option.
struct TStoredOptions {
  bool SubDirFlag = true;                     // "CopySubDirectories"
  bool EmptyFlag = true;                      // "CopyEmptySubDirectories"
  bool IgnoreFileAgeOneHourDiffFlag = false;  // "IgnoreFileAgeOneHourDifference"
  bool IgnoreFlag = true;                     // "IgnoreSpecifiedFiles"
  bool NoUpdateFlag = false;                  // "DryRunOnly"
  bool QuietFlag = false;                     // "QuietMode"
  bool ReportFlag = false;                    // "ReportMode"
  bool VerifyFlag = true;                     // "VerifyCopies"
};

// A font as stored: name, size in points, bold and italic. While the program
// runs the full style (underline and strike-out too) is kept beside it.
struct TFontSetting {
  std::string Name = "Courier";
  int32_t Size = 8;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
};

enum WindowStateValue : uint8_t { WindowNormal = 0, WindowMinimized = 1, WindowMaximized = 2 };

struct TWindowPlacement {
  uint8_t State = WindowNormal;
  int32_t Left = 0;
  int32_t Width = 0;
  int32_t Top = 0;
  int32_t Height = 0;
};

constexpr int32_t DefaultUnattendedWaitMinutes = 120;
constexpr int32_t MaxUnattendedWaitMinutes = 7 * 24 * 60;

struct TSettings {
  std::string SettingsFileName;
  std::string SettingsFolder;
  std::string LegacySettingsFileName;
  bool AppDataAvailable = false;

  TStoredOptions StoredOptions;
  bool SaveSettings = true;
  std::string MaxIgnoreFileSpec = "*.BAK;*.TMP;*.WBK;*.$$$;~*.*;*.~*";
  TFontSetting MemoFont;     // the protocol on screen
  TFontSetting PrinterFont;  // the protocol on paper
  std::string StoredSrcPath;
  std::string StoredDstPath;
  TWindowPlacement WindowPlacement;
  bool UseStoredPlacement = false;
  // How long an unattended run waits for the other instances' runs before
  // it gives up ("UnattendedWaitMinutes"; 0: it does not wait at all).
  int32_t UnattendedWaitMinutes = DefaultUnattendedWaitMinutes;
};

extern TSettings Settings;

// The longest waiting time before automatic termination the countdown can
// show (255 half seconds and a little less than one more), in milliseconds.
constexpr int32_t MaxKeepTime = 127999;
// A waiting time within 0 .. MaxKeepTime.
int32_t ClampKeepTime(int64_t milliseconds);

}  // namespace plovik
