// The modal message dialog, the system's error box and the exception box.
// The system's MessageBoxW labels its buttons in the system's language;
// the message dialog carries the program's German labels, so it is a
// window of our own built from standard controls.
#include <algorithm>
#include <vector>

#include "lib/Wide.h"
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
constexpr int ButtonPadding = 12;       // beside a button's label, each side
constexpr int ButtonTextPadding = 10;   // above and below a button's label together
constexpr int MinTextWidth = 120;
constexpr int MinWrapWidth = 300;       // the text wraps at no less than this width
constexpr int WorkAreaShare = 2;        // nor at less than this part of the work area

constexpr DWORD DialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD DialogExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

struct DialogState {
  int result = -1;  // modal result once a button was pressed or the dialog closed
  int defaultId = 0;
};

// What the dialog shows and where, in client coordinates.
struct DialogLayout {
  std::wstring text;
  RECT textBox{};
  std::vector<int> buttons;  // bit numbers of the DialogButtons, in order
  std::vector<RECT> buttonBoxes;
  int clientWidth = 0;
  int clientHeight = 0;
};

DialogButton ButtonOfIndex(int index) { return static_cast<DialogButton>(1u << index); }

std::wstring ButtonLabel(int index) { return Wide(DialogButtonLabel(ButtonOfIndex(index))); }

const wchar_t* IconOf(DialogType type) {
  switch (type) {
    case DialogType::Error: return IDI_HAND;
    case DialogType::Warning: return IDI_EXCLAMATION;
    case DialogType::Confirmation: return IDI_QUESTION;
    case DialogType::Information: return IDI_ASTERISK;
  }
  return IDI_ASTERISK;
}

// The bit numbers of the buttons shown, from the left.
std::vector<int> ChosenButtons(uint32_t buttons) {
  std::vector<int> indexes;
  for (const DialogButton button : MessageDialogButtons(buttons)) {
    int index = 0;
    while ((1u << index) != static_cast<uint32_t>(button)) ++index;
    indexes.push_back(index);
  }
  return indexes;
}

RECT WorkArea() {
  RECT workArea{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
  return workArea;
}

// The text's size in the dialog font, wrapped when it is wider than the
// wrap width.
SIZE MeasureText(HDC dc, const std::wstring& text, int lineHeight) {
  const RECT workArea = WorkArea();
  const int wrapWidth =
      std::max(MinWrapWidth, static_cast<int>(workArea.right - workArea.left) / WorkAreaShare);
  const UINT format = DT_NOPREFIX | DT_EXPANDTABS | DT_CALCRECT;
  RECT box{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), -1, &box, format);
  if (box.right > wrapWidth) {
    box = RECT{0, 0, wrapWidth, 0};
    DrawTextW(dc, text.c_str(), -1, &box, format | DT_WORDBREAK);
  }
  return SIZE{std::max(static_cast<int>(box.right), MinTextWidth),
              std::max(static_cast<int>(box.bottom), lineHeight)};
}

// Icon and text side by side, the buttons centred in a row below.
DialogLayout LayOut(HDC dc, const std::string& text, std::vector<int> buttons) {
  DialogLayout layout;
  layout.text = DisplayText(Wide(text));
  layout.buttons = std::move(buttons);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const SIZE textSize = MeasureText(dc, layout.text, metrics.tmHeight);
  const int buttonHeight = std::max(MinButtonHeight, static_cast<int>(metrics.tmHeight) + ButtonTextPadding);
  std::vector<int> widths;
  int rowWidth = ButtonGap * static_cast<int>(layout.buttons.size() - 1);
  for (const int index : layout.buttons) {
    const std::wstring label = Wide(WithoutMnemonics(DialogButtonLabel(ButtonOfIndex(index))));
    SIZE extent{};
    GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &extent);
    widths.push_back(std::max(MinButtonWidth, static_cast<int>(extent.cx) + 2 * ButtonPadding));
    rowWidth += widths.back();
  }
  const int textLeft = Margin + IconSize + IconGap;
  const int textTop = textSize.cy < IconSize ? Margin + (IconSize - textSize.cy) / 2 : Margin;
  layout.textBox = RECT{textLeft, textTop, textLeft + textSize.cx, textTop + textSize.cy};
  layout.clientWidth = std::max(textLeft + static_cast<int>(textSize.cx) + Margin, rowWidth + 2 * Margin);
  const int rowTop = std::max(static_cast<int>(layout.textBox.bottom), Margin + IconSize) + TextButtonGap;
  layout.clientHeight = rowTop + buttonHeight + Margin;
  int x = (layout.clientWidth - rowWidth) / 2;
  for (const int width : widths) {
    layout.buttonBoxes.push_back(RECT{x, rowTop, x + width, rowTop + buttonHeight});
    x += width + ButtonGap;
  }
  return layout;
}

HWND CreateChild(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style,
                 int id, const RECT& box, HFONT font) {
  HWND child = CreateWindowExW(0, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, box.left,
                               box.top, box.right - box.left, box.bottom - box.top, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                               nullptr);
  if (child != nullptr) WindowRef(child).SetFont(font);
  return child;
}

// The icon, the text and the buttons; returns the first (default) button.
HWND CreateControls(HWND dialog, const DialogLayout& layout, DialogType type, HFONT font) {
  const RECT iconBox{Margin, Margin, Margin + IconSize, Margin + IconSize};
  HWND icon = CreateChild(dialog, L"STATIC", L"", SS_ICON, -1, iconBox, font);
  WindowRef(icon).Send(STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IconOf(type))));
  CreateChild(dialog, L"STATIC", layout.text, SS_LEFT | SS_NOPREFIX, -1, layout.textBox, font);
  HWND first = nullptr;
  for (size_t i = 0; i < layout.buttons.size(); ++i) {
    const DWORD kind = i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    HWND button = CreateChild(dialog, L"BUTTON", ButtonLabel(layout.buttons[i]), WS_TABSTOP | kind,
                              FirstButtonId + layout.buttons[i], layout.buttonBoxes[i], font);
    if (first == nullptr) first = button;
  }
  return first;
}

// Centred over its owner, or over the work area, and kept inside the work area.
void PlaceDialog(HWND dialog, HWND owner, int clientWidth, int clientHeight) {
  RECT frame{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&frame, DialogStyle, FALSE, DialogExStyle);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  const RECT workArea = WorkArea();
  RECT centre = workArea;
  if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &centre);
  const int x = std::clamp(static_cast<int>(centre.left + (centre.right - centre.left - width) / 2),
                           static_cast<int>(workArea.left),
                           std::max(static_cast<int>(workArea.left), static_cast<int>(workArea.right) - width));
  const int y = std::clamp(static_cast<int>(centre.top + (centre.bottom - centre.top - height) / 2),
                           static_cast<int>(workArea.top),
                           std::max(static_cast<int>(workArea.top), static_cast<int>(workArea.bottom) - height));
  SetWindowPos(dialog, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The owner of the program's dialogs: the main form's window when it exists.
HWND DialogOwner(Win32Toolkit& toolkit) {
  HWND owner = toolkit.MainWindow();
  return owner != nullptr && IsWindow(owner) ? owner : nullptr;
}

}  // namespace

LRESULT CALLBACK MessageDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (state != nullptr) {
      switch (message) {
        case WM_COMMAND: {
          const int id = LOWORD(wParam);
          if (id == IDCANCEL) {  // Escape
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
  const HWND owner = DialogOwner(toolkit);
  DialogState state;
  const std::vector<int> chosen = ChosenButtons(buttons);
  state.defaultId = FirstButtonId + chosen.front();
  // Every window of the program takes no input until the dialog is
  // answered, the main form too when it is in the background or minimised.
  const ModalScope modal;
  OwnedWindow dialog(CreateWindowExW(DialogExStyle, Win32Toolkit::DialogClassName,
                                     Wide(DialogCaption(type)).c_str(), DialogStyle, 0, 0, 100,
                                     100, owner, nullptr, toolkit.Instance(), &state));
  if (!dialog) return ModalCancel;
  DialogLayout layout;
  {
    const WindowDc dc(dialog.Get());
    const SelectedObject font(dc.Get(), toolkit.DialogFont());
    layout = LayOut(dc.Get(), text, chosen);
  }
  HWND firstButton = CreateControls(dialog.Get(), layout, type, toolkit.DialogFont());
  PlaceDialog(dialog.Get(), owner, layout.clientWidth, layout.clientHeight);
  ShowWindow(dialog.Get(), SW_SHOW);
  SetForegroundWindow(dialog.Get());
  if (firstButton != nullptr) SetFocus(firstButton);

  toolkit.RunModalLoop([&] { return state.result >= 0 || !dialog.Ref().Exists(); });
  // The windows are enabled before the dialog goes (the scope ends after
  // it), so that the owner gets the activation back.
  if (owner != nullptr) EnableWindow(owner, TRUE);
  SetWindowLongPtrW(dialog.Get(), GWLP_USERDATA, 0);
  return state.result < 0 ? static_cast<int>(ModalCancel) : state.result;
}

int Win32Toolkit::MessageDialog(const std::string& text, DialogType type, uint32_t buttons,
                                int /*helpContext*/) {
  return RunMessageDialog(*this, text, type, buttons);
}

void Win32Toolkit::SystemErrorBox(const std::string& text, const std::string& caption) {
  const ModalScope modal;
  MessageBoxW(DialogOwner(*this), DisplayText(Wide(text)).c_str(), Wide(caption).c_str(),
              MB_OK | MB_ICONERROR);
}

void Win32Toolkit::ShowException(const std::string& text) {
  const ModalScope modal;
  const std::string caption = title_.empty() ? name_ : title_;
  MessageBoxW(DialogOwner(*this), DisplayText(Wide(text)).c_str(), Wide(caption).c_str(),
              MB_OK | MB_ICONERROR);
}

}  // namespace plovik
