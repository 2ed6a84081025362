// The main window: one record of typed controls with the names the program
// uses everywhere, and the one process-wide FormMain. Creating it makes the
// controls in their design state, binds the protocol's controls and wires
// the handlers of the window's own units (ui/). The handlers that belong to
// higher layers (the run driver's Start and Abort buttons, the window's keys,
// close query and close, the settings menu entry) are installed by those
// layers through InstallHandlers.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "toolkit/Toolkit.h"

namespace plovik {

// Design values of the main window.
struct FormMainDesign {
  static constexpr int Width = 768;
  static constexpr int Height = 279;
  static constexpr int MinWidth = 768;
  static constexpr int MinHeight = 240;
  static constexpr int LabelLeft = 8;
  static constexpr int PictureButtonWidth = 32;
  // Wide enough for the German captions in today's dialog font.
  static constexpr int ButtonWidth = 72;
  static constexpr int ButtonHeight = 22;
  static constexpr int ButtonGap = 4;
  // The button row: two picture buttons from the left edge, then the five
  // buttons, whose first one lines up with the input fields above (far
  // enough right for the longest label).
  static constexpr int InputLeft = LabelLeft + 2 * (PictureButtonWidth + ButtonGap) + 8;
  static constexpr int ButtonRowEnd = InputLeft + 5 * ButtonWidth + 4 * ButtonGap;
  static constexpr int SpecBoxWidth = ButtonRowEnd - InputLeft;
  // The check boxes in two columns right of the button row.
  static constexpr int CheckColumn1Left = ButtonRowEnd + 12;
  static constexpr int CheckBoxWidth = 200;
  static constexpr int CheckColumn2Left = CheckColumn1Left + CheckBoxWidth + ButtonGap;
  // The right column reaches beyond a window of the minimum width, where
  // the window's edge cuts its longest captions.
  static constexpr int CheckBox2Width = 260;
  static constexpr int WideCheckBoxWidth = 440;
  static constexpr int DebugCheckBoxWidth = 110;
  static constexpr int WaitPanelHeight = 40;
  static constexpr int EditTestWidth = 100;
  static constexpr int InputFontHeight = 11;  // "Courier" 11 pixels
  static constexpr int MemoFontHeight = 11;   // "Lucida Console" 11 pixels
};

// Handlers that higher layers install; unset ones do nothing.
struct FormMainHandlers {
  NotifyHandler ButtonStartOnClick;
  NotifyHandler ButtonAbortOnClick;
  MouseHandler ButtonAbortOnMouseDown;
  KeyHandler FormMainOnKeyDown;
  CloseQueryHandler FormMainOnCloseQuery;
  CloseHandler FormMainOnClose;
  std::function<void(MenuItem&)> MenuItemSaveSettingsOnClick;
};

struct TFormMain {
  std::unique_ptr<Form> Self;

  std::unique_ptr<Label> LabelSrcDir;
  std::unique_ptr<Panel> PanelSrcDir;
  std::unique_ptr<Edit> EditSrcDir;
  std::unique_ptr<PictureButton> ButtonSrcDir;
  std::unique_ptr<Label> LabelDstDir;
  std::unique_ptr<Panel> PanelDstDir;
  std::unique_ptr<Edit> EditDstDir;
  std::unique_ptr<PictureButton> ButtonDstDir;
  std::unique_ptr<Label> LabelUpdateFiles;
  std::unique_ptr<ComboBox> ComboBoxSrcFile;
  std::unique_ptr<Label> LabelIgnoreFiles;
  std::unique_ptr<ComboBox> ComboBoxIgnFile;

  std::unique_ptr<CheckBox> CheckBoxSubDir;
  std::unique_ptr<CheckBox> CheckBoxEmptySubDir;
  std::unique_ptr<CheckBox> CheckBoxIgnore;
  std::unique_ptr<CheckBox> CheckBoxReport;
  std::unique_ptr<CheckBox> CheckBoxVerify;
  std::unique_ptr<CheckBox> CheckBoxNoUpdate;
  std::unique_ptr<CheckBox> CheckBoxIgnoreFileAgeOneHourDiff;
  std::unique_ptr<CheckBox> CheckBoxDebug;

  std::unique_ptr<PictureButton> BitBtnHelp;
  std::unique_ptr<PictureButton> BitBtnSettings;
  std::unique_ptr<Button> ButtonStart;
  std::unique_ptr<Button> ButtonAbort;
  std::unique_ptr<Button> ButtonSwapDir;
  std::unique_ptr<Button> ButtonPrintLog;
  std::unique_ptr<Button> ButtonSaveLog;
  std::unique_ptr<Button> ButtonTest;
  std::unique_ptr<Edit> EditTest;

  std::unique_ptr<Memo> MemoProtocol;
  std::unique_ptr<Panel> PanelWaitToGo;
  std::unique_ptr<Label> LabelMemoProtocolFont;

  std::unique_ptr<PopupMenu> PopupMenuFormMain;
  MenuItem* MenuItemHelp = nullptr;
  MenuItem* MenuItemDefaultIgnoreFileSpecs = nullptr;
  MenuItem* MenuItemProtocolScreenFont = nullptr;
  MenuItem* MenuItemProtocolPrinterFont = nullptr;
  MenuItem* MenuItemKeepTime = nullptr;
  MenuItem* MenuItemLanguageEnglish = nullptr;
  MenuItem* MenuItemLanguageGerman = nullptr;
  MenuItem* MenuItemSaveSettings = nullptr;
  MenuItem* MenuItemExit = nullptr;

  FormMainHandlers Handlers;

  // Unbinds the protocol's controls.
  ~TFormMain();
};

// The process-wide main window; null until CreateFormMain and after
// DestroyFormMain.
extern TFormMain* FormMain;

// The window is minimised, as far as the program keeps track; and the state
// (0 normal, 2 maximised) to go back to when the application is restored.
extern bool MinimizedFlag;
extern uint8_t RememberedWindowState;

// Creates FormMain (hidden, at its design size) with its controls in their
// design state, binds the protocol to them and wires the handlers of ui/.
TFormMain& CreateFormMain();
void DestroyFormMain();

// Installs (or replaces) the handlers of higher layers.
void InstallHandlers(const FormMainHandlers& handlers);

}  // namespace plovik

namespace plovik {

// Lays the window out for its current client size: the rows from the top
// by the measured row height, the check boxes spread over the rows of the
// specification boxes and the buttons, the protocol filling the rest; and
// puts SeparatorLine at the head of both specification boxes' lists.
void LayOutFormMain();

}  // namespace plovik
