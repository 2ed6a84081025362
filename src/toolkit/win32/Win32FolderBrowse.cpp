// The folder selection (SHBrowseForFolderW): file-system folders only,
// starting in the given folder when it exists, with the system's
// critical-error boxes (a drive without a medium) suppressed and the
// program's other windows disabled while it shows.
#include "lib/Wide.h"
#include "toolkit/win32/ScopeExit.h"
#include "toolkit/win32/Win32Toolkit.h"

#include <shlobj.h>

namespace plovik {

namespace {

bool IsDirectory(const std::wstring& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM start) {
  if (message == BFFM_INITIALIZED && start != 0) {
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, start);
  }
  return 0;
}

}  // namespace

bool Win32Toolkit::BrowseForFolder(const std::string& title, std::string& directory) {
  const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  const ScopeExit restoreMode([oldMode] { SetErrorMode(oldMode); });
  std::wstring start = Wide(directory);
  if (!IsDirectory(start)) {
    directory.clear();
    start.clear();
  }
  const std::wstring caption = Wide(title);
  BROWSEINFOW browse{};
  browse.hwndOwner = MainWindow();
  browse.lpszTitle = caption.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  browse.lpfn = &BrowseCallback;
  browse.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());

  PIDLIST_ABSOLUTE chosen = nullptr;
  {
    const ModalScope modal;
    chosen = SHBrowseForFolderW(&browse);
  }
  if (chosen == nullptr) return false;
  const ScopeExit freeChosen([chosen] { CoTaskMemFree(chosen); });
  std::wstring path(MAX_PATH, L'\0');
  if (!SHGetPathFromIDListW(chosen, path.data())) return false;
  directory = Narrow(path.c_str(), wcslen(path.c_str()));
  return true;
}

}  // namespace plovik
