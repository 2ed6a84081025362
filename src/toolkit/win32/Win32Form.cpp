// The form: a top-level window of our class.
#include <algorithm>

#include "toolkit/win32/Win32Toolkit.h"

namespace plovik {

namespace {

// Collects the push buttons within a window, depth first.
struct ButtonSearch {
  Win32Button* found = nullptr;
};

BOOL CALLBACK FindDefaultButton(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<ButtonSearch*>(lParam);
  auto* button = dynamic_cast<Win32Button*>(Win32Window::FromHandle(hwnd));
  if (button != nullptr && button->IsDefault() && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
    search->found = button;
    return FALSE;
  }
  return TRUE;
}

int ShowCommand(WindowState state) {
  switch (state) {
    case WindowState::Minimized: return SW_SHOWMINIMIZED;
    case WindowState::Maximized: return SW_SHOWMAXIMIZED;
    case WindowState::Normal: break;
  }
  return SW_SHOWNORMAL;
}

// The work area's offset from the screen: the normal bounds of a window
// placement are counted from the work area.
POINT WorkAreaOrigin(HWND hwnd) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (!GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor)) {
    return POINT{0, 0};
  }
  return POINT{monitor.rcWork.left - monitor.rcMonitor.left,
               monitor.rcWork.top - monitor.rcMonitor.top};
}

}  // namespace

Win32Form::Win32Form(Win32Toolkit& toolkit) : Win32Container<Form>(toolkit) {
  // Created hidden, as every form: the program shows it when it is laid out.
  CreateOwnWindow(Win32Toolkit::FormClassName, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                  WS_EX_CONTROLPARENT, nullptr);
  toolkit.AddForm(this);
}

Win32Form::~Win32Form() {
  Kit().RemoveForm(this);
  // The main form's going ends the message loop, as its freeing does.
  if (Kit().MainForm() == this) {
    if (Hwnd() != nullptr) Kit().Terminate(0);
    Kit().SetMainForm(nullptr);
  }
}

// ---- bounds, state, visibility ---------------------------------------------

void Win32Form::SetBounds(int left, int top, int width, int height) {
  if (Hwnd() == nullptr) return;
  const int shownWidth = std::max(width, minWidth_), shownHeight = std::max(height, minHeight_);
  if (!IsZoomed(Hwnd()) && !IsIconic(Hwnd())) {
    SetBoundsImpl(left, top, shownWidth, shownHeight);
    return;
  }
  // Maximised or minimised: these are the bounds the form gets back.
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  GetWindowPlacement(Hwnd(), &placement);
  const POINT origin = WorkAreaOrigin(Hwnd());
  placement.rcNormalPosition = RECT{left - origin.x, top - origin.y,
                                    left - origin.x + shownWidth, top - origin.y + shownHeight};
  SetWindowPlacement(Hwnd(), &placement);
}

Rect Win32Form::NormalBounds() const {
  if (Hwnd() == nullptr) return Rect{};
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  if (!GetWindowPlacement(Hwnd(), &placement)) return Rect{};
  const POINT origin = WorkAreaOrigin(Hwnd());
  const RECT& r = placement.rcNormalPosition;
  return Rect{r.left + origin.x, r.top + origin.y, r.right - r.left, r.bottom - r.top};
}

void Win32Form::SetMinSize(int width, int height) {
  minWidth_ = width;
  minHeight_ = height;
  if (Hwnd() == nullptr || IsZoomed(Hwnd()) || IsIconic(Hwnd())) return;
  if (Width() < width || Height() < height) {
    SetBoundsImpl(Left(), Top(), std::max(Width(), width), std::max(Height(), height));
  }
}

void Win32Form::SetVisible(bool visible) {
  if (Hwnd() == nullptr || Visible() == visible) return;
  if (!visible) {
    ShowWindow(Hwnd(), SW_HIDE);
    return;
  }
  ShowWindow(Hwnd(), ShowCommand(hiddenState_));
  hiddenState_ = WindowState::Normal;
}

void Win32Form::SetWindowState(WindowState state) {
  if (Hwnd() == nullptr) return;
  if (!Visible()) {
    hiddenState_ = state;
    return;
  }
  if (GetWindowState() != state) ShowWindow(Hwnd(), ShowCommand(state));
}

WindowState Win32Form::GetWindowState() const {
  if (Hwnd() == nullptr) return WindowState::Normal;
  if (!Visible()) return hiddenState_;
  if (IsIconic(Hwnd())) return WindowState::Minimized;
  if (IsZoomed(Hwnd())) return WindowState::Maximized;
  return WindowState::Normal;
}

WindowState Win32Form::RestoreState() const {
  const WindowState state = GetWindowState();
  return state == WindowState::Minimized ? restoreState_ : state;
}

void Win32Form::ShowMinimizedInactive() {
  if (Hwnd() == nullptr || Visible()) return;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  if (!GetWindowPlacement(Hwnd(), &placement)) return;
  restoreState_ = hiddenState_ == WindowState::Maximized ? WindowState::Maximized
                                                          : WindowState::Normal;
  hiddenState_ = WindowState::Normal;
  placement.flags = restoreState_ == WindowState::Maximized ? WPF_RESTORETOMAXIMIZED : 0;
  placement.showCmd = SW_SHOWMINNOACTIVE;
  SetWindowPlacement(Hwnd(), &placement);
}

void Win32Form::SetFocus() {
  if (Hwnd() == nullptr || !Visible() || !IsWindowEnabled(Hwnd())) return;
  SetForegroundWindow(Hwnd());
  SetActiveWindow(Hwnd());
}

bool Win32Form::Focused() const { return Hwnd() != nullptr && GetActiveWindow() == Hwnd(); }

void Win32Form::BringToFront() {
  if (Hwnd() == nullptr) return;
  SetWindowPos(Hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  if (Visible()) SetForegroundWindow(Hwnd());
}

void Win32Form::SendToBack() {
  if (Hwnd() == nullptr) return;
  SetWindowPos(Hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---- closing ----------------------------------------------------------------

void Win32Form::Close() {
  CloseQueryEvent query{*this};
  Fire(onCloseQuery_, query);
  if (!query.canClose) return;
  const bool isMain = Kit().MainForm() == this;
  CloseEvent event{*this, isMain ? CloseAction::Free : CloseAction::Hide};
  Fire(onClose_, event);
  if (event.action == CloseAction::None || Hwnd() == nullptr) return;
  if (event.action == CloseAction::Hide) {
    SetVisible(false);
    return;
  }
  // Freed: the window goes (the object stays with its owner and answers
  // with neutral values). The main form's going ends the message loop.
  DestroyWindow(Hwnd());
}

// ---- keys and menus ---------------------------------------------------------

bool Win32Form::PreviewKey(HWND target, uint16_t key, ShiftState shift) {
  if (onKeyDown_ && (keyPreview_ || target == Hwnd())) {
    KeyEvent event{*this, key, shift};
    Fire(onKeyDown_, event);
    if (event.handled) return true;
  }
  return contextMenu_ != nullptr && contextMenu_->ChooseByShortcut(key, shift);
}

void Win32Form::SetContextMenu(PopupMenu* menu) {
  contextMenu_ = static_cast<Win32PopupMenu*>(menu);
}

void Win32Form::ForgetMenu(const PopupMenu* menu) {
  if (contextMenu_ == menu) contextMenu_ = nullptr;
}

bool Win32Form::ShowContextMenu(LPARAM position) {
  if (contextMenu_ == nullptr) return false;
  POINT point{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  if (position == -1) {
    // From the keyboard (the menu key): at the form's top left corner.
    point = POINT{0, 0};
    ClientToScreen(Hwnd(), &point);
  }
  contextMenu_->Popup(point.x, point.y);
  return true;
}

Win32Button* Win32Form::DefaultButton() const {
  ButtonSearch search;
  if (Hwnd() != nullptr) {
    EnumChildWindows(Hwnd(), FindDefaultButton, reinterpret_cast<LPARAM>(&search));
  }
  return search.found;
}

// ---- messages ---------------------------------------------------------------

void Win32Form::Sized(WPARAM kind) {
  // The state before a minimising, for the minimise event and the restore.
  if (kind == SIZE_MAXIMIZED) restoreState_ = WindowState::Maximized;
  if (kind == SIZE_RESTORED) restoreState_ = WindowState::Normal;
  if (Kit().MainForm() == this) Kit().MainFormSized(kind);
  if (kind == SIZE_MINIMIZED) return;
  NotifyEvent event{*this};
  Fire(onResize_, event);
}

void Win32Form::Activated(WPARAM state) {
  // The control that had the focus gets it back with the form.
  if (LOWORD(state) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(Hwnd(), focus)) lastFocus_ = focus;
    return;
  }
  if (lastFocus_ != nullptr && IsWindow(lastFocus_) && IsChild(Hwnd(), lastFocus_)) {
    ::SetFocus(lastFocus_);
  }
}

LRESULT Win32Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (RouteChildMessage(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_COMMAND: {
      // Enter and Escape as the dialog manager reports them: Enter presses
      // the default button (named by its id, or as IDOK); Escape reached the
      // form's key handler already.
      Win32Button* button = DefaultButton();
      const int id = LOWORD(wParam);
      if (button != nullptr && (id == IDOK || id == GetDlgCtrlID(button->Hwnd()))) button->Click();
      return 0;
    }
    case DM_GETDEFID: {
      Win32Button* button = DefaultButton();
      if (button == nullptr) break;
      return MAKELRESULT(GetDlgCtrlID(button->Hwnd()), DC_HASDEFID);
    }
    case WM_CLOSE:
      Close();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = std::max<LONG>(info->ptMinTrackSize.x, minWidth_);
      info->ptMinTrackSize.y = std::max<LONG>(info->ptMinTrackSize.y, minHeight_);
      return 0;
    }
    case WM_SIZE:
      Sized(wParam);
      return 0;
    case WM_ACTIVATE:
      Activated(wParam);
      if (LOWORD(wParam) != WA_INACTIVE && lastFocus_ != nullptr && GetFocus() == lastFocus_) {
        return 0;
      }
      break;
    case WM_DESTROY:
      if (Kit().MainForm() == this) Kit().Terminate(0);
      break;
    default:
      break;
  }
  return CallPrevious(message, wParam, lParam);
}

}  // namespace plovik
