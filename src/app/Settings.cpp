#include "app/Settings.h"

#include <algorithm>
#include <optional>

#include "core/RunRecords.h"
#include "core/TextFiles.h"
#include "lib/IniFile.h"
#include "lib/XStrings.h"
#include "platform/Platform.h"
#include "ui/MainForm.h"
#include "ui/Messages.h"

namespace plovik {

namespace {

constexpr const char* VendorFolder = "Orvendale";
constexpr const char* SettingsExtension = ".ini";

constexpr const char* General = "General";
constexpr const char* Fonts = "Fonts";
constexpr const char* Directories = "Directories";
constexpr const char* FormMainSection = "FormMain";

struct OptionKey {
  const char* key;
  bool TStoredOptions::*stored;
  bool TRunOptions::*flag;
};

// The option keys of "General" in the order of the file.
const OptionKey OptionKeys[] = {
    {"CopyEmptySubDirectories", &TStoredOptions::EmptyFlag, &TRunOptions::EmptyFlag},
    {"IgnoreFileAgeOneHourDifference", &TStoredOptions::IgnoreFileAgeOneHourDiffFlag,
     &TRunOptions::IgnoreFileAgeOneHourDiffFlag},
    {"IgnoreSpecifiedFiles", &TStoredOptions::IgnoreFlag, &TRunOptions::IgnoreFlag},
    {"DryRunOnly", &TStoredOptions::NoUpdateFlag, &TRunOptions::NoUpdateFlag},
    {"QuietMode", &TStoredOptions::QuietFlag, &TRunOptions::QuietFlag},
    {"ReportMode", &TStoredOptions::ReportFlag, &TRunOptions::ReportFlag},
    {"CopySubDirectories", &TStoredOptions::SubDirFlag, &TRunOptions::SubDirFlag},
    {"VerifyCopies", &TStoredOptions::VerifyFlag, &TRunOptions::VerifyFlag},
};

bool IsDirectory(const std::string& path) {
  const Result<uint32_t> attributes = Sys().GetAttributes(path);
  return attributes && (*attributes & AttrDirectory) != 0;
}

bool IsFile(const std::string& path) {
  const Result<uint32_t> attributes = Sys().GetAttributes(path);
  return attributes && (*attributes & AttrDirectory) == 0;
}

// Creates a folder and its missing parents; true when it exists afterwards.
bool ForceDirectories(const std::string& path) {
  if (path.empty()) return false;
  if (IsDirectory(path)) return true;
  const size_t slash = path.find_last_of('\\');
  if (slash != std::string::npos && slash > 0 && path[slash - 1] != ':' &&
      path[slash - 1] != '\\') {
    ForceDirectories(path.substr(0, slash));
  }
  (void)Sys().CreateDir(path);
  return IsDirectory(path);
}

// The file's content; an empty file model when it cannot be read.
IniFile OpenSettings() {
  const Result<std::string> text = ReadTextFile(Settings.SettingsFileName);
  return text ? IniFile(*text) : IniFile();
}

uint8_t LanguageOf(const IniFile& ini) {
  return ini.ReadInteger(General, "Language", 0) == 1 ? 1 : 0;
}

TFontSetting ReadFont(const IniFile& ini, const std::string& prefix) {
  TFontSetting font;
  font.Name = ini.ReadString(Fonts, prefix + "FontName", font.Name);
  font.Size = ini.ReadInteger(Fonts, prefix + "FontSize", font.Size);
  font.Bold = ini.ReadBool(Fonts, prefix + "FontBold", font.Bold);
  font.Italic = ini.ReadBool(Fonts, prefix + "FontItalic", font.Italic);
  return font;
}

void WriteFont(IniFile& ini, const std::string& prefix, const TFontSetting& font) {
  ini.WriteString(Fonts, prefix + "FontName", font.Name);
  ini.WriteInteger(Fonts, prefix + "FontSize", font.Size);
  ini.WriteBool(Fonts, prefix + "FontBold", font.Bold);
  ini.WriteBool(Fonts, prefix + "FontItalic", font.Italic);
}

// Whether any part of the window lies on the (virtual) screen.
bool OnScreen(const TWindowPlacement& p) {
  const ScreenMetrics screen = Tk().Screen();
  const int64_t right = int64_t(p.Left) + p.Width, bottom = int64_t(p.Top) + p.Height;
  return p.Width > 0 && p.Height > 0 && right > 0 && bottom > 0 &&
         p.Left < screen.virtualWidth && p.Top < screen.virtualHeight;
}

TWindowPlacement ReadPlacement(const IniFile& ini, const TWindowPlacement& defaults) {
  TWindowPlacement p;
  const int32_t state = ini.ReadInteger(FormMainSection, "WindowState", WindowNormal);
  p.State = state >= WindowNormal && state <= WindowMaximized ? static_cast<uint8_t>(state)
                                                              : uint8_t(WindowNormal);
  p.Left = ini.ReadInteger(FormMainSection, "Left", defaults.Left);
  p.Width = ini.ReadInteger(FormMainSection, "Width", defaults.Width);
  p.Top = ini.ReadInteger(FormMainSection, "Top", defaults.Top);
  p.Height = ini.ReadInteger(FormMainSection, "Height", defaults.Height);
  if (!OnScreen(p)) {
    const uint8_t keptState = p.State;
    p = defaults;
    p.State = keptState;
  }
  return p;
}

void WriteGeneral(IniFile& ini) {
  for (const OptionKey& option : OptionKeys) {
    ini.WriteBool(General, option.key, RunOptions.*option.flag);
  }
  ini.WriteInteger(General, "KeepTime", RunOptions.KeepTime);
  ini.WriteString(General, "MaxIgnoreFileSpec", Settings.MaxIgnoreFileSpec);
  ini.WriteInteger(General, "Language", LanguageIndex);
}

// The state and the normal bounds of the closing window; it is hidden
// first, so that its return to the normal state is not seen.
void WritePlacement(IniFile& ini) {
  Form& form = *FormMain->Self;
  const int32_t state = MinimizedFlag ? int32_t(WindowMinimized)
                                      : static_cast<int32_t>(form.GetWindowState());
  ini.WriteInteger(FormMainSection, "WindowState", state);
  form.SetWindowState(WindowState::Normal);
  form.SetVisible(false);
  Tk().ProcessMessages();
  const Rect bounds = form.NormalBounds();
  ini.WriteInteger(FormMainSection, "Left", bounds.left);
  ini.WriteInteger(FormMainSection, "Width", bounds.width);
  ini.WriteInteger(FormMainSection, "Top", bounds.top);
  ini.WriteInteger(FormMainSection, "Height", bounds.height);
}

}  // namespace

std::string LocateSettingsFile() {
  const std::string module = Sys().ModulePath();
  const size_t slash = module.find_last_of("\\:");
  const std::string directory = slash == std::string::npos ? "" : module.substr(0, slash + 1);
  const std::string fileName = module.substr(directory.size());
  const size_t dot = fileName.find_last_of('.');
  RunOptions.ProgramBaseName = dot == std::string::npos ? fileName : fileName.substr(0, dot);
  Settings.LegacySettingsFileName = directory + RunOptions.ProgramBaseName + SettingsExtension;

  const std::string appData = Trim(Sys().Environment("APPDATA").value_or(""));
  Settings.AppDataAvailable = !appData.empty();
  if (Settings.AppDataAvailable) {
    std::string folder = appData;
    if (folder.back() != '\\') folder += '\\';
    folder += std::string(VendorFolder) + "\\" + RunOptions.ProgramBaseName;
    Settings.AppDataAvailable = ForceDirectories(folder);
    if (Settings.AppDataAvailable) {
      Settings.SettingsFolder = folder + "\\";
      Settings.SettingsFileName =
          Settings.SettingsFolder + RunOptions.ProgramBaseName + SettingsExtension;
    }
  }
  if (!Settings.AppDataAvailable) {
    Settings.SettingsFolder = directory;
    Settings.SettingsFileName = Settings.LegacySettingsFileName;
  }
  if (Settings.AppDataAvailable &&
      !Sys().SameName(Settings.SettingsFileName, Settings.LegacySettingsFileName) &&
      !IsFile(Settings.SettingsFileName) && IsFile(Settings.LegacySettingsFileName)) {
    // A failed copy leaves the new place to start with the defaults.
    (void)Sys().SystemCopy(Settings.LegacySettingsFileName, Settings.SettingsFileName, true);
  }
  return Settings.SettingsFileName;
}

void ReadLanguageEarly() { LanguageIndex = LanguageOf(OpenSettings()); }

void ReadSettings(const TWindowPlacement& defaultPlacement) {
  const IniFile ini = OpenSettings();
  Settings.SaveSettings = ini.ReadBool(General, "SaveSettings", true);
  const TStoredOptions defaults;
  for (const OptionKey& option : OptionKeys) {
    Settings.StoredOptions.*option.stored =
        ini.ReadBool(General, option.key, defaults.*option.stored);
  }
  RunOptions.KeepTime = ClampKeepTime(ini.ReadInteger(General, "KeepTime", 5));
  Settings.UnattendedWaitMinutes = static_cast<int32_t>(
      std::clamp<int64_t>(ini.ReadInteger(General, "UnattendedWaitMinutes",
                                          DefaultUnattendedWaitMinutes),
                          0, MaxUnattendedWaitMinutes));
  Settings.MaxIgnoreFileSpec =
      ini.ReadString(General, "MaxIgnoreFileSpec", TSettings{}.MaxIgnoreFileSpec);
  LanguageIndex = LanguageOf(ini);
  Settings.MemoFont = ReadFont(ini, "Memo");
  Settings.PrinterFont = ReadFont(ini, "Printer");
  const std::string current = Sys().CurrentDirectory();
  Settings.StoredSrcPath = ini.ReadString(Directories, "SrcPath", current);
  Settings.StoredDstPath = ini.ReadString(Directories, "DstPath", current);
  if (Settings.UseStoredPlacement) {
    Settings.WindowPlacement = ReadPlacement(ini, defaultPlacement);
  } else {
    Settings.WindowPlacement = defaultPlacement;
    Settings.WindowPlacement.State = WindowNormal;
  }
}

void WriteSettings() {
  IniFile ini = OpenSettings();
  ini.WriteBool(General, "SaveSettings", Settings.SaveSettings);
  if (Settings.SaveSettings) {
    WriteGeneral(ini);
    WriteFont(ini, "Memo", Settings.MemoFont);
    WriteFont(ini, "Printer", Settings.PrinterFont);
    if (FormMain != nullptr) {
      ini.WriteString(Directories, "SrcPath", FormMain->EditSrcDir->Text());
      ini.WriteString(Directories, "DstPath", FormMain->EditDstDir->Text());
      if (Settings.UseStoredPlacement) WritePlacement(ini);
    }
  }
  const Result<void> written = WriteTextFileWhole(Settings.SettingsFileName, ini.Text());
  if (!written) ReportWriteFailure(Settings.SettingsFileName, written.Error());
}

void MenuItemSaveSettingsOnClick(MenuItem& item) { Settings.SaveSettings = item.Checked(); }

}  // namespace plovik
