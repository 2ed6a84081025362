// The Windows entry point: installs the Win32 platform and toolkit and runs
// the program, from its start to the end of its message loop.
#include <windows.h>

#include "app/UnitMain.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "toolkit/Toolkit.h"
#include "toolkit/win32/Win32Toolkit.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace plovik;
  try {
    Win32Platform platform;
    InstallPlatform(&platform);
    Win32Toolkit toolkit(instance);
    InstallToolkit(&toolkit);
    const int exitCode = RunProgram();
    InstallToolkit(nullptr);
    InstallPlatform(nullptr);
    return exitCode;
  } catch (...) {
    return 1;
  }
}
