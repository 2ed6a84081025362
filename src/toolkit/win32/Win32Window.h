// The window behind one control, and the parts of the Control interface
// every window implements alike.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "toolkit/Toolkit.h"
#include "toolkit/win32/GdiObject.h"
#include "toolkit/win32/WindowRef.h"

namespace plovik {

class Win32Toolkit;
class Win32Form;

// Runs an event handler through a copy: the handler may replace itself
// while it runs.
template <class Handler, class Event>
void Fire(const Handler& handler, Event& event) {
  if (!handler) return;
  const Handler copy = handler;
  copy(event);
}

inline void FireNotify(const NotifyHandler& handler, Control& sender) {
  NotifyEvent event{sender};
  Fire(handler, event);
}

// The state of the Shift, Ctrl and Alt keys now.
ShiftState CurrentShiftState();

// The owner of one window: creates it, subclasses it so that its messages
// reach the owning object first, keeps the control's own font, and forgets
// the handle when the system destroys the window (e.g. with its parent).
// Not copyable: the object is the window's owner and destroys it when it
// goes. Exceptions of a handler stop in the window procedure.
class Win32Window {
 public:
  explicit Win32Window(Win32Toolkit& toolkit) : toolkit_(toolkit) {}
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;
  virtual ~Win32Window();

  HWND Hwnd() const { return hwnd_; }
  WindowRef Ref() const { return WindowRef(hwnd_); }
  Win32Toolkit& Kit() const { return toolkit_; }
  // The form the window stands on (a form is its own); null once gone.
  Win32Form* OwnerForm() const;

  // The object that owns a window of ours, null for foreign windows.
  static Win32Window* FromHandle(HWND hwnd);
  // The window procedure of our own window classes and of subclassed
  // controls: passes every message to the owning object.
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  // Messages about a child that its container passes on to the child.
  virtual void OnCommand(WORD /*notification*/) {}
  // The brush of the child's background, null for the system's.
  virtual HBRUSH OnControlColor(HDC /*dc*/) { return nullptr; }
  virtual void OnDrawItem(const DRAWITEMSTRUCT& /*item*/) {}
  // Keeps the distances to the container's edges that the anchors name.
  void FollowContainer(int widthChange, int heightChange);

 protected:
  // Creates a window of a system control class and subclasses it.
  bool CreateControl(const wchar_t* className, DWORD style, DWORD exStyle, HWND parent);
  // Creates a window of our own registered class (its procedure is ours).
  bool CreateOwnWindow(const wchar_t* className, DWORD style, DWORD exStyle, HWND parent);
  // The message handler; the default passes the message on.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // The original procedure of a subclassed control, or DefWindowProcW.
  LRESULT CallPrevious(UINT message, WPARAM wParam, LPARAM lParam);
  // Called when the window is being destroyed by the system.
  virtual void OnDestroyed() {}
  // For containers: passes the notifications of child windows to their
  // objects and moves the anchored children when the client area changes
  // its size. True when the message was handled (then `result` holds the
  // answer).
  bool RouteChildMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  // Shared implementation of the Control methods.
  void SetBoundsImpl(int left, int top, int width, int height);
  RECT BoundsImpl() const;  // relative to the parent's client area
  void SetVisibleImpl(bool visible);
  bool VisibleImpl() const;
  void SetEnabledImpl(bool enabled);
  bool EnabledImpl() const;
  void SetFontImpl(const Font& font);
  Font FontImpl() const;
  HFONT CurrentFont() const;
  void SetTextImpl(const std::string& text);
  std::string TextImpl() const;
  void SetHintImpl(const std::string& hint);
  std::string HintImpl() const { return hint_; }
  void SetTabStopImpl(bool tabStop);
  void SetCursorImpl(CursorKind cursor) { cursor_ = cursor; }
  void SetAnchorsImpl(Anchor anchors) { anchors_ = anchors; }
  int ClientWidthImpl() const;
  int ClientHeightImpl() const;

 private:
  LRESULT Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // Cursor and context menu, alike for every window.
  bool HandleCommonMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void FollowClientSize();

  Win32Toolkit& toolkit_;
  HWND hwnd_ = nullptr;
  WNDPROC previous_ = nullptr;
  GdiObject<HFONT> font_;  // null: the toolkit's dialog font
  Font fontSpec_;
  std::string hint_;
  CursorKind cursor_ = CursorKind::Default;
  Anchor anchors_ = Anchor::Left | Anchor::Top;
  int clientWidth_ = -1, clientHeight_ = -1;  // as the children last saw it
};

// The parts of Control every window implements alike.
template <class Interface>
class Win32Control : public Interface, public Win32Window {
 public:
  explicit Win32Control(Win32Toolkit& toolkit) : Win32Window(toolkit) {}
  void SetBounds(int left, int top, int width, int height) override {
    SetBoundsImpl(left, top, width, height);
  }
  int Left() const override { return BoundsImpl().left; }
  int Top() const override { return BoundsImpl().top; }
  int Width() const override {
    const RECT r = BoundsImpl();
    return r.right - r.left;
  }
  int Height() const override {
    const RECT r = BoundsImpl();
    return r.bottom - r.top;
  }
  void SetAnchors(Anchor anchors) override { SetAnchorsImpl(anchors); }
  void SetVisible(bool visible) override { SetVisibleImpl(visible); }
  bool Visible() const override { return VisibleImpl(); }
  void SetEnabled(bool enabled) override { SetEnabledImpl(enabled); }
  bool Enabled() const override { return EnabledImpl(); }
  void SetFont(const Font& font) override { SetFontImpl(font); }
  Font GetFont() const override { return FontImpl(); }
  void SetHint(const std::string& hint) override { SetHintImpl(hint); }
  std::string Hint() const override { return HintImpl(); }
  void SetTabStop(bool tabStop) override { SetTabStopImpl(tabStop); }
  void SetFocus() override {
    if (Hwnd() != nullptr) ::SetFocus(Hwnd());
  }
  bool Focused() const override { return Hwnd() != nullptr && GetFocus() == Hwnd(); }
  void SetCursor(CursorKind cursor) override { SetCursorImpl(cursor); }
  uintptr_t Handle() const override { return reinterpret_cast<uintptr_t>(Hwnd()); }
};

// A control that holds others.
template <class Interface>
class Win32Container : public Win32Control<Interface> {
 public:
  using Win32Control<Interface>::Win32Control;
  int ClientWidth() const override { return this->ClientWidthImpl(); }
  int ClientHeight() const override { return this->ClientHeightImpl(); }
};

// The window handle of a control made by a Win32Toolkit.
inline HWND HandleOf(const Control& control) { return reinterpret_cast<HWND>(control.Handle()); }

}  // namespace plovik
