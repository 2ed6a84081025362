// The behaviour of the main window's controls and popup menu: the labels,
// the check boxes that keep the run flags in step with the window, the
// specification boxes with their history, the folder buttons, Swap Dir,
// help, and the settings commands (fonts, waiting time, default ignore
// specifications, exit).
#pragma once

#include <cstdint>
#include <string>

#include "core/Settings.h"
#include "toolkit/Toolkit.h"

namespace plovik {

// How many texts a specification box remembers at the top of its list.
constexpr int32_t SpecHistoryLimit = 5;
// Remembered entries per box, indexed by the box's tag (0 source, 1 ignore).
extern int32_t SpecHistoryCount[2];
// The popup menu is being shown from the Settings button.
extern bool SettingsMenuOpen;
// The row of "-" as wide as a specification box, its list's first fixed
// entry.
extern std::string SeparatorLine;

// ---- labels
void LabelSrcDirOnClick(NotifyEvent& event);
void LabelDstDirOnClick(NotifyEvent& event);
void LabelUpdateFilesOnClick(NotifyEvent& event);
void LabelIgnoreFilesOnClick(NotifyEvent& event);

// ---- check boxes (each copies its state into its flag first)
void CheckBoxSubDirOnClick(NotifyEvent& event);
void CheckBoxEmptySubDirOnClick(NotifyEvent& event);
void CheckBoxVerifyOnClick(NotifyEvent& event);
void CheckBoxReportOnClick(NotifyEvent& event);
void CheckBoxIgnoreOnClick(NotifyEvent& event);
void CheckBoxNoUpdateOnClick(NotifyEvent& event);
void CheckBoxIgnoreFileAgeOneHourDiffOnClick(NotifyEvent& event);
void CheckBoxDebugOnClick(NotifyEvent& event);

// ---- specification boxes (each knows by its tag whether it holds the source
// or the ignore specifications)
void RememberSpec(const std::string& text, ComboBox& box, int32_t& counter, int32_t limit);
// The box got or lost the focus: its trimmed text goes to the top of its
// history and is selected.
void SpecBoxEnteredOrLeft(ComboBox& box);
// The list is about to open: the same for a text that is not empty, which
// also becomes the box's specification text.
void SpecBoxDroppedDown(ComboBox& box);
// The text changed (typed or picked); the separator line picks the entry
// next to it.
void SpecBoxChanged(ComboBox& box);

// ---- buttons
void ButtonSrcDirOnClick(NotifyEvent& event);
void ButtonDstDirOnClick(NotifyEvent& event);
void BitBtnHelpOnClick(NotifyEvent& event);
void BitBtnSettingsOnClick(NotifyEvent& event);
void ButtonSwapDirOnClick(NotifyEvent& event);
void ButtonTestOnClick(NotifyEvent& event);

// ---- popup menu
void FormMainPopupMenuOnPopup();
void MenuItemHelpOnClick(MenuItem& item);
void MenuItemDefaultIgnoreFileSpecsOnClick(MenuItem& item);
void MenuItemProtocolScreenFontOnClick(MenuItem& item);
void MenuItemProtocolPrinterFontOnClick(MenuItem& item);
void MenuItemKeepTimeOnClick(MenuItem& item);
void MenuItemExitOnClick(MenuItem& item);

// Shows or hides the debug-only controls (the test button and input and
// the debug check box); the wide check box beside the debug box makes room
// for it while it shows.
void SetDebugControlsVisible(bool visible);

// Opens the help file of the current language; a missing file gets a
// message that names it.
void OpenHelp();

// The screen font of a stored font: its points at the screen's pixels per
// inch.
Font ScreenFontOf(const TFontSetting& setting);
// Gives MemoProtocol the protocol screen font of the settings and measures
// ProtocolCharWidth again.
void ApplyMemoFont();

}  // namespace plovik
