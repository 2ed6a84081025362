// The save file dialog (GetSaveFileNameW).
#include "lib/Wide.h"
#include "toolkit/win32/Win32Toolkit.h"

#include <commdlg.h>

namespace plovik {

namespace {

// Room for a long path in the dialog's file name buffer.
constexpr size_t FileNameCapacity = 32768;

// "description|pattern|..." as the dialog wants it: pairs ended by NUL, the
// list by a second NUL.
std::wstring FilterList(const std::string& filter) {
  std::wstring list = Wide(filter);
  for (wchar_t& c : list) {
    if (c == L'|') c = L'\0';
  }
  list.push_back(L'\0');
  list.push_back(L'\0');
  return list;
}

}  // namespace

SaveDialogResult Win32Toolkit::SaveFileDialog(const SaveDialogOptions& options) {
  std::wstring fileName = Wide(options.fileName);
  fileName.resize(FileNameCapacity, L'\0');
  const std::wstring filter = FilterList(options.filter);
  const std::wstring title = Wide(options.title);
  const std::wstring initialDir = Wide(options.initialDir);
  const std::wstring defaultExt = Wide(options.defaultExt);

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = MainWindow();
  dialog.lpstrFilter = options.filter.empty() ? nullptr : filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = fileName.data();
  dialog.nMaxFile = static_cast<DWORD>(fileName.size());
  dialog.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
  dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
  dialog.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                 (options.overwritePrompt ? OFN_OVERWRITEPROMPT : 0) |
                 (options.pathMustExist ? OFN_PATHMUSTEXIST : 0);

  SaveDialogResult result;
  {
    const ModalScope modal;
    result.confirmed = GetSaveFileNameW(&dialog) != FALSE;
  }
  // The buffer holds the chosen name, or after Cancel the one it started with.
  result.fileName = Narrow(fileName.c_str(), wcslen(fileName.c_str()));
  return result;
}

}  // namespace plovik
