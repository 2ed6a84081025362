// The program's start and the life of its main window: the initialisation
// of the main unit, the main block that creates the main window (its
// creation handler in named steps), runs the message loop and ends the
// program, the window's keys, its close query and close, and the
// application's minimise and restore events.
#pragma once

#include <cstdint>

#include "core/Settings.h"
#include "toolkit/Toolkit.h"

namespace plovik {

// The window geometry measured by the creation handler.
extern int FrameWidth;
extern int CaptionHeight;
extern int CascadeOffset;

// The cascade's offset of an instance's window, right and down.
int CascadeOffsetFor(int captionHeight, int instanceNumber);
// The default placement of the main window on the current screen for the
// instance number: cascaded by CaptionHeight, as wide as the virtual
// desktop and 0.6 of its height, kept inside the work area (cut off at its
// right and bottom edges down to the minimum size, then moved back in).
TWindowPlacement DefaultPlacement(int captionHeight, int instanceNumber);

// Initialisation of the main unit: OneHour, the settings file and its
// language, the help file name and the printer probe.
void InitializeUnitMain();
// The main block: creates the windows, runs the message loop unless
// start-up asked to quit, and destroys the windows. Returns the exit code:
// how the last update run went (LastRunExitCode).
int RunMainBlock();
// The main block's first part: the application's name and title, the main
// window and its creation handler, and, unless start-up asked to quit, the
// debug window. False when the program is to end at once.
bool CreateWindows();
// Destroys the windows and closes the instance's mutexes.
void TearDownWindows();
// The whole program, as the Windows entry point runs it: the main unit's
// initialisation, the language gate, the main block.
int RunProgram();

// The creation handler of the main window, step by step.
void FormMainOnCreate();
void BeginCreation();
void TakeInstanceNumber();
void DecideStoredPlacement();
void MeasureWindowGeometry();
void ApplyWindowPlacement();
void ApplyFontsAndHints();
void SetUpTextsAndLists();
void TakeCommandLine();
void ShowFlagsInControls();
void ShowWindow();
void WriteCreationDebugLine();
void ShowPathsAndSpecs();
void WriteFlagDump();
void FinishCreation();
void EndUnattendedWithoutRun();

void FormMainOnKeyDown(KeyEvent& event);
void FormMainOnCloseQuery(CloseQueryEvent& event);
void FormMainOnClose(CloseEvent& event);
void AppMinimizeHandler();
void AppRestoreHandler();

}  // namespace plovik
