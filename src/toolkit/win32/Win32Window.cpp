#include "toolkit/win32/Win32Window.h"

#include <cstdlib>

#include "lib/Wide.h"
#include "toolkit/win32/Win32Toolkit.h"

namespace plovik {

namespace {

// The Font a window font shows: its face name and character height.
Font DescribeFont(HFONT font) {
  Font result;
  LOGFONTW logFont{};
  if (font == nullptr || GetObjectW(font, sizeof(logFont), &logFont) == 0) return result;
  result.name = Narrow(logFont.lfFaceName, wcslen(logFont.lfFaceName));
  result.bold = logFont.lfWeight >= FW_BOLD;
  result.italic = logFont.lfItalic != 0;
  result.underline = logFont.lfUnderline != 0;
  result.strikeOut = logFont.lfStrikeOut != 0;
  if (logFont.lfHeight < 0) {
    result.height = -logFont.lfHeight;
  } else {
    // A cell height: measure the character height without the leading.
    const WindowDc dc(nullptr);
    const SelectedObject selected(dc.Get(), font);
    TEXTMETRICW metrics{};
    if (GetTextMetricsW(dc.Get(), &metrics)) {
      result.height = metrics.tmHeight - metrics.tmInternalLeading;
    }
  }
  return result;
}

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

// The window property that names the object owning a window of ours. The
// window procedure cannot tell: a tooltip subclasses the controls it
// watches on top of us.
constexpr const wchar_t* OwnerProperty = L"PlovikWindow";

}  // namespace

ShiftState CurrentShiftState() {
  ShiftState shift = ShiftState::None;
  if (KeyDown(VK_SHIFT)) shift |= ShiftState::Shift;
  if (KeyDown(VK_CONTROL)) shift |= ShiftState::Ctrl;
  if (KeyDown(VK_MENU)) shift |= ShiftState::Alt;
  return shift;
}

Win32Window::~Win32Window() {
  if (hwnd_ == nullptr) return;
  // The window outlives nothing of ours: detach first so that the messages
  // of its destruction do not reach an object that is half gone.
  if (!hint_.empty()) SetHintImpl(std::string());
  RemovePropW(hwnd_, OwnerProperty);
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  if (previous_ != nullptr) {
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
  }
  DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

Win32Window* Win32Window::FromHandle(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  return static_cast<Win32Window*>(GetPropW(hwnd, OwnerProperty));
}

Win32Form* Win32Window::OwnerForm() const {
  if (hwnd_ == nullptr) return nullptr;
  return dynamic_cast<Win32Form*>(FromHandle(GetAncestor(hwnd_, GA_ROOT)));
}

bool Win32Window::CreateControl(const wchar_t* className, DWORD style, DWORD exStyle,
                                HWND parent) {
  const auto id = static_cast<INT_PTR>(toolkit_.NextControlId());
  hwnd_ = CreateWindowExW(exStyle, className, L"", style, 0, 0, 0, 0, parent,
                          reinterpret_cast<HMENU>(id), toolkit_.Instance(), nullptr);
  if (hwnd_ == nullptr) return false;
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetPropW(hwnd_, OwnerProperty, this);
  previous_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc)));
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(toolkit_.DialogFont()), FALSE);
  return true;
}

bool Win32Window::CreateOwnWindow(const wchar_t* className, DWORD style, DWORD exStyle,
                                  HWND parent) {
  // WM_NCCREATE attaches the window to this object (see WindowProc).
  const bool child = (style & WS_CHILD) != 0;
  const auto id = child ? static_cast<INT_PTR>(toolkit_.NextControlId()) : 0;
  const int position = child ? 0 : CW_USEDEFAULT;
  HWND hwnd = CreateWindowExW(exStyle, className, L"", style, position, position, position,
                              position, parent, reinterpret_cast<HMENU>(id), toolkit_.Instance(),
                              this);
  if (hwnd == nullptr) hwnd_ = nullptr;
  if (hwnd_ != nullptr && child) {
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(toolkit_.DialogFont()), FALSE);
  }
  return hwnd_ != nullptr;
}

LRESULT CALLBACK Win32Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
  auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr && message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    self = static_cast<Win32Window*>(create->lpCreateParams);
    if (self != nullptr) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      SetPropW(hwnd, OwnerProperty, self);
      self->hwnd_ = hwnd;
    }
  }
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  return self->Dispatch(hwnd, message, wParam, lParam);
}

LRESULT Win32Window::Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCDESTROY) {
    // The system destroys the window (with its parent, or the form was
    // freed): the object stays and answers with neutral values from now on.
    const LRESULT result = CallPrevious(message, wParam, lParam);
    RemovePropW(hwnd, OwnerProperty);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (previous_ != nullptr) {
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    }
    hwnd_ = nullptr;
    try {
      OnDestroyed();
    } catch (...) {
    }
    return result;
  }
  // No exception may leave a window procedure: the system's code between
  // here and the message loop cannot pass it on.
  try {
    LRESULT result = 0;
    if (HandleCommonMessage(message, wParam, lParam, result)) return result;
    return HandleMessage(message, wParam, lParam);
  } catch (...) {
    return hwnd_ != nullptr ? CallPrevious(message, wParam, lParam) : 0;
  }
}

bool Win32Window::HandleCommonMessage(UINT message, WPARAM /*wParam*/, LPARAM lParam,
                                      LRESULT& result) {
  if (message == WM_SETCURSOR && LOWORD(lParam) == HTCLIENT &&
      (toolkit_.ScreenCursor() == CursorKind::Hourglass || cursor_ == CursorKind::Hourglass)) {
    // The busy cursor covers the form and its controls; a control may have
    // its own.
    ::SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    result = TRUE;
    return true;
  }
  if (message == WM_CONTEXTMENU) {
    // A right-click on any control opens the form's menu instead of the
    // control's own (an edit's clipboard menu).
    Win32Form* form = OwnerForm();
    if (form != nullptr && form->ShowContextMenu(lParam)) {
      result = 0;
      return true;
    }
  }
  return false;
}

LRESULT Win32Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return CallPrevious(message, wParam, lParam);
}

LRESULT Win32Window::CallPrevious(UINT message, WPARAM wParam, LPARAM lParam) {
  if (previous_ != nullptr) return CallWindowProcW(previous_, hwnd_, message, wParam, lParam);
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

bool Win32Window::RouteChildMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                    LRESULT& result) {
  switch (message) {
    case WM_COMMAND:
      if (Win32Window* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
        child->OnCommand(HIWORD(wParam));
        result = 0;
        return true;
      }
      return false;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (Win32Window* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
        if (HBRUSH brush = child->OnControlColor(reinterpret_cast<HDC>(wParam))) {
          result = reinterpret_cast<LRESULT>(brush);
          return true;
        }
      }
      return false;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (Win32Window* child = FromHandle(item->hwndItem)) {
        child->OnDrawItem(*item);
        result = TRUE;
        return true;
      }
      return false;
    }
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) FollowClientSize();
      return false;
    default:
      return false;
  }
}

void Win32Window::FollowClientSize() {
  const int width = ClientWidthImpl(), height = ClientHeightImpl();
  if (clientWidth_ >= 0) {
    const int widthChange = width - clientWidth_, heightChange = height - clientHeight_;
    if (widthChange != 0 || heightChange != 0) {
      for (HWND child = GetWindow(hwnd_, GW_CHILD); child != nullptr;
           child = GetWindow(child, GW_HWNDNEXT)) {
        if (Win32Window* control = FromHandle(child)) {
          control->FollowContainer(widthChange, heightChange);
        }
      }
    }
  }
  clientWidth_ = width;
  clientHeight_ = height;
}

void Win32Window::FollowContainer(int widthChange, int heightChange) {
  const RECT bounds = BoundsImpl();
  int left = bounds.left, top = bounds.top;
  int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
  const bool leftAnchor = Has(anchors_, Anchor::Left), rightAnchor = Has(anchors_, Anchor::Right);
  const bool topAnchor = Has(anchors_, Anchor::Top), bottomAnchor = Has(anchors_, Anchor::Bottom);
  if (rightAnchor && leftAnchor) width += widthChange;
  else if (rightAnchor) left += widthChange;
  if (bottomAnchor && topAnchor) height += heightChange;
  else if (bottomAnchor) top += heightChange;
  if (left != bounds.left || top != bounds.top || width != bounds.right - bounds.left ||
      height != bounds.bottom - bounds.top) {
    SetBoundsImpl(left, top, width, height);
  }
}

void Win32Window::SetBoundsImpl(int left, int top, int width, int height) {
  if (hwnd_ == nullptr) return;
  SetWindowPos(hwnd_, nullptr, left, top, width < 0 ? 0 : width, height < 0 ? 0 : height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  // A container placed before it is shown: its children start from here.
  if (clientWidth_ < 0) {
    clientWidth_ = ClientWidthImpl();
    clientHeight_ = ClientHeightImpl();
  }
}

RECT Win32Window::BoundsImpl() const {
  RECT bounds{};
  if (hwnd_ == nullptr || !GetWindowRect(hwnd_, &bounds)) return bounds;
  if ((GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD) != 0) {
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&bounds), 2);
  }
  return bounds;
}

int Win32Window::ClientWidthImpl() const {
  RECT client{};
  if (hwnd_ == nullptr || !GetClientRect(hwnd_, &client)) return 0;
  return client.right - client.left;
}

int Win32Window::ClientHeightImpl() const {
  RECT client{};
  if (hwnd_ == nullptr || !GetClientRect(hwnd_, &client)) return 0;
  return client.bottom - client.top;
}

void Win32Window::SetVisibleImpl(bool visible) {
  if (hwnd_ == nullptr || VisibleImpl() == visible) return;
  ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}

bool Win32Window::VisibleImpl() const {
  return hwnd_ != nullptr && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32Window::SetEnabledImpl(bool enabled) {
  // Buttons follow the protocol after every line: skip what changes nothing.
  if (hwnd_ == nullptr || EnabledImpl() == enabled) return;
  EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

bool Win32Window::EnabledImpl() const { return hwnd_ != nullptr && IsWindowEnabled(hwnd_); }

void Win32Window::SetFontImpl(const Font& font) {
  if (hwnd_ == nullptr) return;
  const std::wstring face = Wide(font.name);
  HFONT created = CreateFontW(-std::abs(font.height), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL,
                              font.italic ? TRUE : FALSE, font.underline ? TRUE : FALSE,
                              font.strikeOut ? TRUE : FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                              face.c_str());
  if (created == nullptr) return;
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(created), TRUE);
  // The control no longer uses the old font: it can go now.
  font_.Reset(created);
  fontSpec_ = font;
}

Font Win32Window::FontImpl() const {
  if (font_) return fontSpec_;
  return DescribeFont(toolkit_.DialogFont());
}

HFONT Win32Window::CurrentFont() const { return font_ ? font_.Get() : toolkit_.DialogFont(); }

void Win32Window::SetTextImpl(const std::string& text) {
  Ref().SetText(Wide(text));
}

std::string Win32Window::TextImpl() const { return Narrow(Ref().Text()); }

void Win32Window::SetTabStopImpl(bool tabStop) {
  if (hwnd_ == nullptr) return;
  const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  SetWindowLongPtrW(hwnd_, GWL_STYLE,
                    tabStop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP)));
}

void Win32Window::SetHintImpl(const std::string& hint) {
  hint_ = hint;
  if (hwnd_ == nullptr) return;
  HWND tooltip = toolkit_.Tooltip();
  if (tooltip == nullptr) return;
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = GetParent(hwnd_) != nullptr ? GetParent(hwnd_) : hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(hwnd_);
  SendMessageW(tooltip, TTM_DELTOOL, 0, reinterpret_cast<LPARAM>(&tool));
  if (hint.empty()) return;
  std::wstring text = DisplayText(Wide(hint));
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hinst = toolkit_.Instance();
  tool.lpszText = text.data();
  SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace plovik
