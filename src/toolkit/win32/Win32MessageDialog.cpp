// The modal message dialog. The system's MessageBoxW labels its buttons in
// the system's language; ours carry the program's German labels, so the
// dialog is a window of our own built from standard controls.
#include <algorithm>
#include <vector>

#include "toolkit/win32/MessageDialogWindow.h"
#include "toolkit/win32/Win32Toolkit.h"

namespace plovik {

namespace {

// Button ids: FirstButtonId + the bit number of the DialogButton. They stay
// clear of IDOK and IDCANCEL, which the dialog manager sends for Enter and
// Escape.
constexpr int FirstButtonId = 100;
constexpr int ButtonKinds = 7;

// Layout in pixels, as a classic message box.
constexpr int Margin = 12;
constexpr int IconSize = 32;
constexpr int IconGap = 12;
constexpr int TextButtonGap = 16;
constexpr int ButtonGap = 6;
constexpr int MinButtonWidth = 75;
constexpr int MinButtonHeight = 23;
constexpr int ButtonPadding = 12;
constexpr int MinTextWidth = 120;

struct DialogState {
  int result = -1;  // modal result once a button was pressed or the dialog closed
  int defaultId = 0;
};

DialogButton ButtonOfIndex(int index) { return static_cast<DialogButton>(1u << index); }

const wchar_t* IconOf(DialogType type) {
  switch (type) {
    case DialogType::Error: return IDI_HAND;
    case DialogType::Warning: return IDI_EXCLAMATION;
    case DialogType::Confirmation: return IDI_QUESTION;
    case DialogType::Information: return IDI_ASTERISK;
  }
  return IDI_ASTERISK;
}

std::wstring WithoutMnemonics(const std::wstring& label) {
  std::wstring shown;
  for (size_t i = 0; i < label.size(); ++i) {
    if (label[i] == L'&' && i + 1 < label.size()) ++i;
    shown += label[i];
  }
  return shown;
}

HWND CreateChild(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style,
                 int id, HINSTANCE instance, HFONT font) {
  HWND child = CreateWindowExW(0, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0,
                               0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               instance, nullptr);
  if (child != nullptr) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

// Where the dialog goes: centred over its owner, or over the work area,
// and kept inside the work area.
POINT DialogPosition(HWND owner, int width, int height) {
  RECT workArea{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
  RECT centre = workArea;
  if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &centre);
  POINT position{centre.left + (centre.right - centre.left - width) / 2,
                 centre.top + (centre.bottom - centre.top - height) / 2};
  position.x = std::max(workArea.left, std::min(position.x, workArea.right - width));
  position.y = std::max(workArea.top, std::min(position.y, workArea.bottom - height));
  return position;
}

}  // namespace

std::wstring DialogDisplayText(const std::wstring& text) {
  std::wstring shown;
  shown.reserve(text.size() + 8);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' || text[i] == L'\n') {
      if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
      shown += L"\r\n";
    } else {
      shown += text[i];
    }
  }
  return shown;
}

LRESULT CALLBACK MessageDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    if (state != nullptr) {
      switch (message) {
        case WM_COMMAND: {
          const int id = LOWORD(wParam);
          if (id == IDCANCEL) {
            // Escape.
            state->result = ModalCancel;
            return 0;
          }
          if (id >= FirstButtonId && id < FirstButtonId + ButtonKinds &&
              (lParam == 0 || HIWORD(wParam) == BN_CLICKED)) {
            state->result = DialogButtonResult(ButtonOfIndex(id - FirstButtonId));
            return 0;
          }
          break;
        }
        case WM_CLOSE:
          // The close box: the modal loop ends and destroys the window.
          state->result = ModalCancel;
          return 0;
        case DM_GETDEFID:
          return MAKELRESULT(state->defaultId, DC_HASDEFID);
        default:
          break;
      }
    }
  } catch (...) {
    // No exception leaves a window procedure.
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

int RunMessageDialog(Win32Toolkit& toolkit, const std::string& text, DialogType type,
                     uint32_t buttons) {
  const HINSTANCE instance = toolkit.Instance();
  const HFONT font = toolkit.DialogFont();

  std::vector<int> indexes;
  for (int index = 0; index < ButtonKinds; ++index) {
    if ((buttons & ButtonOfIndex(index)) != 0) indexes.push_back(index);
  }
  if (indexes.empty()) indexes.push_back(2);  // OK: a dialog needs a way out

  // The owner: the active top-level window of this thread.
  HWND owner = GetActiveWindow();
  if (owner != nullptr) owner = GetAncestor(owner, GA_ROOT);

  DialogState state;
  state.defaultId = FirstButtonId + indexes.front();
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  HWND dialog = CreateWindowExW(exStyle, Win32Toolkit::DialogClassName,
                                WideText(DialogCaption(type)).c_str(), style, 0, 0, 100, 100,
                                owner, nullptr, instance, &state);
  if (dialog == nullptr) return ModalCancel;

  // Measure the text and the buttons in the dialog font.
  const std::wstring shownText = DialogDisplayText(WideText(text));
  HDC dc = GetDC(dialog);
  HGDIOBJ oldFont = SelectObject(dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  RECT workArea{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
  const int maxTextWidth = std::max(300, static_cast<int>(workArea.right - workArea.left) / 2);
  const UINT textFormat = DT_NOPREFIX | DT_EXPANDTABS | DT_CALCRECT;
  RECT textRect{0, 0, 0, 0};
  DrawTextW(dc, shownText.c_str(), -1, &textRect, textFormat);
  if (textRect.right > maxTextWidth) {
    textRect = RECT{0, 0, maxTextWidth, 0};
    DrawTextW(dc, shownText.c_str(), -1, &textRect, textFormat | DT_WORDBREAK);
  }
  const int textWidth = std::max(static_cast<int>(textRect.right), MinTextWidth);
  const int textHeight = std::max(static_cast<int>(textRect.bottom), static_cast<int>(metrics.tmHeight));
  const int buttonHeight = std::max(MinButtonHeight, static_cast<int>(metrics.tmHeight) + 10);
  std::vector<int> buttonWidths;
  int rowWidth = 0;
  for (int index : indexes) {
    const std::wstring label = WithoutMnemonics(WideText(DialogButtonLabel(ButtonOfIndex(index))));
    SIZE extent{};
    GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &extent);
    buttonWidths.push_back(std::max(MinButtonWidth, static_cast<int>(extent.cx) + 2 * ButtonPadding));
    rowWidth += buttonWidths.back();
  }
  rowWidth += ButtonGap * static_cast<int>(indexes.size() - 1);
  SelectObject(dc, oldFont);
  ReleaseDC(dialog, dc);

  // Lay out: icon and text side by side, the buttons centred below.
  const int textLeft = Margin + IconSize + IconGap;
  const int clientWidth = std::max(textLeft + textWidth + Margin, rowWidth + 2 * Margin);
  const int textTop = textHeight < IconSize ? Margin + (IconSize - textHeight) / 2 : Margin;
  const int rowTop = std::max(textTop + textHeight, Margin + IconSize) + TextButtonGap;
  const int clientHeight = rowTop + buttonHeight + Margin;

  HWND icon = CreateChild(dialog, L"STATIC", L"", SS_ICON, -1, instance, font);
  SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IconOf(type))), 0);
  SetWindowPos(icon, nullptr, Margin, Margin, IconSize, IconSize, SWP_NOZORDER | SWP_NOACTIVATE);
  HWND textControl = CreateChild(dialog, L"STATIC", shownText, SS_LEFT | SS_NOPREFIX, -1,
                                 instance, font);
  SetWindowPos(textControl, nullptr, textLeft, textTop, textWidth, textHeight,
               SWP_NOZORDER | SWP_NOACTIVATE);
  HWND firstButton = nullptr;
  int x = (clientWidth - rowWidth) / 2;
  for (size_t i = 0; i < indexes.size(); ++i) {
    const int index = indexes[i];
    const DWORD kind = i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    HWND button = CreateChild(dialog, L"BUTTON", WideText(DialogButtonLabel(ButtonOfIndex(index))),
                              WS_TABSTOP | kind, FirstButtonId + index, instance, font);
    SetWindowPos(button, nullptr, x, rowTop, buttonWidths[i], buttonHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (firstButton == nullptr) firstButton = button;
    x += buttonWidths[i] + ButtonGap;
  }

  RECT frame{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const POINT position = DialogPosition(owner, width, height);
  SetWindowPos(dialog, nullptr, position.x, position.y, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);

  // Modal: the owner takes no input until the dialog is answered.
  const bool disableOwner = owner != nullptr && IsWindowEnabled(owner);
  if (disableOwner) EnableWindow(owner, FALSE);
  ShowWindow(dialog, SW_SHOW);
  SetForegroundWindow(dialog);
  if (firstButton != nullptr) SetFocus(firstButton);

  bool quit = false;
  WPARAM quitCode = 0;
  while (state.result < 0 && IsWindow(dialog)) {
    MSG message;
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      quit = true;
      quitCode = message.wParam;
      break;
    }
    if (got < 0) break;
    if (!IsDialogMessageW(dialog, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

  // The owner is enabled before the dialog goes, so that it gets the
  // activation back.
  if (disableOwner) EnableWindow(owner, TRUE);
  if (IsWindow(dialog)) {
    SetWindowLongPtrW(dialog, GWLP_USERDATA, 0);
    DestroyWindow(dialog);
  }
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
  return state.result < 0 ? static_cast<int>(ModalCancel) : state.result;
}

}  // namespace plovik
