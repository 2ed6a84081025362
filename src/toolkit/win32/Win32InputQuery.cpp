// The one-line input: a small modal window of ours with the prompt (line
// breaks allowed), an edit and the OK and Cancel buttons.
#include <algorithm>

#include "lib/Wide.h"
#include "toolkit/win32/Win32Toolkit.h"

namespace plovik {

namespace {

constexpr int Margin = 10;
constexpr int Gap = 8;
constexpr int EditWidth = 280;
constexpr int EditPadding = 8;  // above and below the text in the edit together
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 23;
constexpr int EditId = 10;

constexpr DWORD QueryStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD QueryExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

struct QueryState {
  int result = -1;  // IDOK or IDCANCEL once answered
};

HWND AddControl(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style,
                DWORD exStyle, int id, const RECT& box, HFONT font) {
  HWND control = CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                                 box.left, box.top, box.right - box.left, box.bottom - box.top,
                                 parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                                 nullptr);
  WindowRef(control).SetFont(font);
  return control;
}

SIZE PromptSize(HWND window, HFONT font, const std::wstring& prompt) {
  const WindowDc dc(window);
  const SelectedObject selected(dc.Get(), font);
  RECT box{0, 0, 0, 0};
  DrawTextW(dc.Get(), prompt.c_str(), -1, &box, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
  return SIZE{box.right, box.bottom};
}

int LineHeight(HWND window, HFONT font) {
  const WindowDc dc(window);
  const SelectedObject selected(dc.Get(), font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc.Get(), &metrics);
  return metrics.tmHeight;
}

// Lays out and creates the controls; returns the edit and the client size.
HWND BuildQuery(HWND window, HFONT font, const std::wstring& prompt, const std::wstring& value,
                SIZE& client) {
  const SIZE promptSize = PromptSize(window, font, prompt);
  const int width = std::max(EditWidth, static_cast<int>(promptSize.cx));
  AddControl(window, L"STATIC", prompt, SS_LEFT | SS_NOPREFIX, 0, -1,
             RECT{Margin, Margin, Margin + width, Margin + promptSize.cy}, font);
  const int editTop = Margin + promptSize.cy + Gap;
  const int editBottom = editTop + LineHeight(window, font) + EditPadding;
  HWND edit = AddControl(window, L"EDIT", value, WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
                         EditId, RECT{Margin, editTop, Margin + width, editBottom}, font);
  const int rowTop = editBottom + Gap + Gap;
  const int right = Margin + width;
  AddControl(window, L"BUTTON", Wide(DialogButtonLabel(ButtonCancel)), WS_TABSTOP | BS_PUSHBUTTON,
             0, IDCANCEL, RECT{right - ButtonWidth, rowTop, right, rowTop + ButtonHeight}, font);
  const int okRight = right - ButtonWidth - Gap;
  AddControl(window, L"BUTTON", Wide(DialogButtonLabel(ButtonOk)), WS_TABSTOP | BS_DEFPUSHBUTTON,
             0, IDOK, RECT{okRight - ButtonWidth, rowTop, okRight, rowTop + ButtonHeight}, font);
  client = SIZE{width + 2 * Margin, rowTop + ButtonHeight + Margin};
  return edit;
}

void CentreOver(HWND window, HWND owner, SIZE client) {
  RECT frame{0, 0, client.cx, client.cy};
  AdjustWindowRectEx(&frame, QueryStyle, FALSE, QueryExStyle);
  RECT centre{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &centre);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  SetWindowPos(window, nullptr, std::max(0, static_cast<int>(centre.left + centre.right - width) / 2),
               std::max(0, static_cast<int>(centre.top + centre.bottom - height) / 2), width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

LRESULT CALLBACK InputQueryProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* state = reinterpret_cast<QueryState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (state != nullptr) {
      if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        state->result = LOWORD(wParam);
        return 0;
      }
      if (message == WM_CLOSE) {
        state->result = IDCANCEL;
        return 0;
      }
    }
  } catch (...) {
    // No exception leaves a window procedure.
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool Win32Toolkit::InputQuery(const std::string& title, const std::string& prompt,
                              std::string& value) {
  const HWND owner = MainWindow();
  QueryState state;
  const ModalScope modal;
  OwnedWindow window(CreateWindowExW(QueryExStyle, InputClassName, Wide(title).c_str(), QueryStyle,
                                     0, 0, 100, 100, owner, nullptr, instance_, &state));
  if (!window) return false;
  SIZE client{};
  const WindowRef edit(BuildQuery(window.Get(), dialogFont_, DisplayText(Wide(prompt)),
                                  Wide(value), client));
  CentreOver(window.Get(), owner, client);
  ShowWindow(window.Get(), SW_SHOW);
  SetForegroundWindow(window.Get());
  SetFocus(edit.Get());
  edit.Send(EM_SETSEL, 0, -1);

  RunModalLoop([&] { return state.result >= 0 || !window.Ref().Exists(); });
  if (owner != nullptr) EnableWindow(owner, TRUE);
  const bool confirmed = state.result == IDOK;
  if (confirmed) value = Narrow(edit.Text());
  SetWindowLongPtrW(window.Get(), GWLP_USERDATA, 0);
  return confirmed;
}

}  // namespace plovik
