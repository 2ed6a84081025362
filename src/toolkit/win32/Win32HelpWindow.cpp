#include "toolkit/win32/Win32HelpWindow.h"

#include <algorithm>
#include <string>

#include "lib/Wide.h"
#include "toolkit/win32/ScopeExit.h"
#include "toolkit/win32/Win32Toolkit.h"

namespace plovik {

namespace {

constexpr int WindowWidth = 640;
constexpr int WindowHeight = 520;
constexpr int TextFontHeight = 13;
constexpr DWORD MaxHelpFileBytes = 16u << 20;  // far more than a help text needs
constexpr char Utf8Bom[] = "\xEF\xBB\xBF";

std::wstring Decode(const std::string& bytes) {
  if (bytes.compare(0, 3, Utf8Bom) == 0) return Wide(bytes.substr(3));
  const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                                         nullptr, 0);
  std::wstring text(static_cast<size_t>(std::max(length, 0)), L'\0');
  if (length > 0) {
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                        length);
  }
  return text;
}

}  // namespace

bool ReadHelpText(const std::wstring& path, std::wstring& text) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const ScopeExit close([file] { CloseHandle(file); });
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size) || size.QuadPart > MaxHelpFileBytes) return false;
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() && !ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
    return false;
  }
  bytes.resize(read);
  text = DisplayText(Decode(bytes));
  return true;
}

Win32HelpWindow::Win32HelpWindow(Win32Toolkit& toolkit) : Win32Window(toolkit) {}

bool Win32HelpWindow::Create() {
  if (Hwnd() != nullptr) return true;
  if (!CreateOwnWindow(Win32Toolkit::HelpClassName, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                       WS_EX_CONTROLPARENT, nullptr)) {
    return false;
  }
  SetWindowPos(Hwnd(), nullptr, 0, 0, WindowWidth, WindowHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  text_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                          WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE |
                              ES_READONLY | ES_AUTOVSCROLL,
                          0, 0, 0, 0, Hwnd(), nullptr, Kit().Instance(), nullptr);
  font_.Reset(CreateFontW(-TextFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                          DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                          DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"Lucida Console"));
  WindowRef(text_).SetFont(font_ ? font_.Get() : Kit().DialogFont());
  // A help file is never too long for the control.
  WindowRef(text_).Send(EM_SETLIMITTEXT, 0, 0);
  RECT client{};
  GetClientRect(Hwnd(), &client);
  WindowRef(text_).Place(0, 0, client.right, client.bottom);
  return true;
}

bool Win32HelpWindow::Show(const std::string& path, const std::string& title) {
  std::wstring text;
  if (!ReadHelpText(Wide(path), text) || !Create()) return false;
  Ref().SetText(Wide(title));
  WindowRef(text_).SetText(text);
  ShowWindow(Hwnd(), IsIconic(Hwnd()) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(Hwnd());
  SetFocus(text_);
  return true;
}

LRESULT Win32HelpWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      WindowRef(text_).Place(0, 0, LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_CLOSE:
      // Closing hides the window; it opens again with the next help request.
      ShowWindow(Hwnd(), SW_HIDE);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {  // Escape
        ShowWindow(Hwnd(), SW_HIDE);
        return 0;
      }
      break;
    case WM_CTLCOLORSTATIC:
      // The read-only text on the window colour, as a document.
      SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    default:
      break;
  }
  return CallPrevious(message, wParam, lParam);
}

}  // namespace plovik
