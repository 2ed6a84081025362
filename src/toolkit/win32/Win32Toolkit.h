// The toolkit on real windows: a registered top-level window class for the
// forms, the standard EDIT, BUTTON and STATIC controls for memo, button and
// label, and a modal message dialog of our own. Texts cross into the system
// as UTF-16 through the W functions.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Toolkit.h"
#include "toolkit/win32/GdiObject.h"

namespace plovik {

class Win32Toolkit;

// UTF-8 <-> UTF-16 at the system boundary.
std::wstring WideText(const std::string& text);
std::string NarrowText(const std::wstring& text);

// The window behind one control: creates it, subclasses it so that its
// messages reach the owning object first, keeps the control's own font and
// forgets the handle when the system destroys the window (e.g. with its
// parent). Not copyable: the object is the window's owner.
class Win32Window {
 public:
  explicit Win32Window(Win32Toolkit& toolkit) : toolkit_(toolkit) {}
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;
  virtual ~Win32Window();

  HWND Hwnd() const { return hwnd_; }
  Win32Toolkit& Kit() const { return toolkit_; }

  // The object that owns a window of ours, null for foreign windows.
  static Win32Window* FromHandle(HWND hwnd);
  // The window procedure of our own window classes and of subclassed
  // controls: passes every message to the owning object.
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  // Notifications the parent form passes on to its child (WM_COMMAND).
  virtual void OnCommand(WORD /*notification*/) {}

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

 private:
  LRESULT Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  Win32Toolkit& toolkit_;
  HWND hwnd_ = nullptr;
  WNDPROC previous_ = nullptr;
  GdiObject<HFONT> font_;  // null: the toolkit's dialog font
  Font fontSpec_;
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
    RECT r = BoundsImpl();
    return r.right - r.left;
  }
  int Height() const override {
    RECT r = BoundsImpl();
    return r.bottom - r.top;
  }
  void SetVisible(bool visible) override { SetVisibleImpl(visible); }
  bool Visible() const override { return VisibleImpl(); }
  void SetEnabled(bool enabled) override { SetEnabledImpl(enabled); }
  bool Enabled() const override { return EnabledImpl(); }
  void SetFont(const Font& font) override { SetFontImpl(font); }
  Font GetFont() const override { return FontImpl(); }
  uintptr_t Handle() const override { return reinterpret_cast<uintptr_t>(Hwnd()); }
};

class Win32Form : public Win32Control<Form> {
 public:
  explicit Win32Form(Win32Toolkit& toolkit);
  ~Win32Form() override;
  void SetCaption(const std::string& caption) override { SetTextImpl(caption); }
  std::string Caption() const override { return TextImpl(); }
  int ClientWidth() const override;
  int ClientHeight() const override;
  // Runs after the window's client area changed its size.
  void SetOnResize(std::function<void()> handler) { onResize_ = std::move(handler); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  std::function<void()> onResize_;
};

class Win32Button : public Win32Control<Button> {
 public:
  Win32Button(Win32Toolkit& toolkit, Form& parent);
  void SetCaption(const std::string& caption) override { SetTextImpl(caption); }
  std::string Caption() const override { return TextImpl(); }
  void SetOnClick(std::function<void()> handler) override { onClick_ = std::move(handler); }
  void Click() override;
  void OnCommand(WORD notification) override;

 private:
  std::function<void()> onClick_;
};

// A STATIC control that sizes itself to its caption in its font.
class Win32Label : public Win32Control<Label> {
 public:
  Win32Label(Win32Toolkit& toolkit, Form& parent);
  void SetBounds(int left, int top, int width, int height) override;
  void SetFont(const Font& font) override;
  void SetCaption(const std::string& caption) override;
  std::string Caption() const override { return caption_; }

 private:
  void AutoSize();
  std::string caption_;
};

// A multi-line EDIT control whose lines are kept as the model. Appended
// lines reach the control in batches (see Flush), because an EDIT control
// takes milliseconds per single append; Count, Line and Lines answer from
// the model at every moment.
class Win32Memo : public Win32Control<Memo> {
 public:
  Win32Memo(Win32Toolkit& toolkit, Form& parent);
  ~Win32Memo() override;

  int Count() const override { return static_cast<int>(lines_.size()); }
  std::string Line(int index) const override;
  std::vector<std::string> Lines() const override { return lines_; }
  bool Append(const std::string& line) override;
  void SetLine(int index, const std::string& line) override;
  void DeleteLine(int index) override;
  void Clear() override;
  void SetCapacity(size_t characters) override;
  size_t Capacity() const override { return capacity_; }
  int ClientWidth() const override;
  void SetOnChange(std::function<void()> handler) override { onChange_ = std::move(handler); }
  void OnCommand(WORD notification) override;

  // Lines appended to the model but not yet shown by the control.
  int PendingCount() const { return Count() - shownCount_; }
  // Pushes the pending lines to the control in one replacement.
  void Flush();
  // How often the control was brought up to date, and the time it took.
  int FlushCount() const { return flushCount_; }
  uint64_t FlushMilliseconds() const { return flushMsTotal_; }
  // Pushes pending lines when the last push is 50 ms ago or more (longer
  // when pushes grow slow), about 100 ms worth of lines at a time, so that a
  // fast stream of lines never freezes the window for long.
  void FlushIfDue(uint64_t nowMs);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // A guard for changes the program makes to the control itself: their
  // notifications are not user edits.
  struct SelfChange;
  void Changed();
  // Pushes up to maxLines pending lines in one replacement at the end.
  void Push(int maxLines);
  // Takes the control's text as the lines; the pending lines stay behind it
  // when keepPending.
  void ReadBackUserText(bool keepPending);
  // Offset (UTF-16 units) of line `index` in the control's text.
  size_t LineOffset(int index) const;
  void ReplaceRange(size_t start, size_t end, const std::wstring& text);
  size_t LineCost(const std::string& line) const;

  std::vector<std::string> lines_;
  int shownCount_ = 0;  // lines_[0, shownCount_) are in the control
  size_t used_ = 0;
  size_t capacity_ = DefaultCapacity;
  uint64_t lastFlushMs_ = 0;      // when the last flush ended
  uint64_t lastFlushCostMs_ = 0;  // how long it took
  int lastFlushLines_ = 0;        // and how many lines it pushed
  int flushCount_ = 0;
  uint64_t flushMsTotal_ = 0;
  bool timerSet_ = false;
  int selfChanges_ = 0;
  std::function<void()> onChange_;
};

class Win32Toolkit : public Toolkit {
 public:
  // The class name of the modal message dialog's window, so that it can be
  // found (FindWindowW) while its modal loop runs.
  static constexpr const wchar_t* DialogClassName = L"PlovikMessageDialog";
  static constexpr const wchar_t* FormClassName = L"PlovikForm";

  explicit Win32Toolkit(void* instance);
  ~Win32Toolkit() override;
  Win32Toolkit(const Win32Toolkit&) = delete;
  Win32Toolkit& operator=(const Win32Toolkit&) = delete;

  // Dispatches the pending messages and pushes the memos' pending lines to
  // their controls when due. Calls in quick succession look at the queue
  // once per PeekInterval only (see ProcessPendingMessages).
  void ProcessMessages() override;
  // Dispatches every pending message now, unthrottled. A WM_QUIT found is
  // posted again for the message loop that waits for it.
  void ProcessPendingMessages();
  static constexpr std::chrono::milliseconds PeekInterval{2};

  std::unique_ptr<Form> CreateForm() override;
  std::unique_ptr<Memo> CreateMemo(Form& parent) override;
  std::unique_ptr<Button> CreateButton(Form& parent) override;
  std::unique_ptr<Label> CreateLabel(Form& parent) override;
  int MessageDialog(const std::string& text, DialogType type, uint32_t buttons,
                    int helpContext) override;
  void SetScreenCursor(CursorKind cursor) override;

  // The form whose destruction ends the program's message loop.
  void SetMainForm(Form* form) {
    mainForm_ = form != nullptr ? reinterpret_cast<HWND>(form->Handle()) : nullptr;
  }
  // Runs the message loop until WM_QUIT; returns its exit code.
  int Run();

  HINSTANCE Instance() const { return instance_; }
  HFONT DialogFont() const { return dialogFont_; }
  CursorKind ScreenCursor() const { return cursor_; }
  HWND MainForm() const { return mainForm_; }

  // Memos register themselves so that message processing can flush them.
  void AddMemo(Win32Memo* memo);
  void RemoveMemo(Win32Memo* memo);

 private:
  void FlushMemos();

  HINSTANCE instance_;
  GdiObject<HFONT> ownDialogFont_;
  HFONT dialogFont_ = nullptr;
  ATOM formClass_ = 0;
  ATOM dialogClass_ = 0;
  HWND mainForm_ = nullptr;
  std::chrono::steady_clock::time_point lastPeek_{};
  CursorKind cursor_ = CursorKind::Default;
  std::vector<Win32Memo*> memos_;
};

// Unwraps a Form created by a Win32Toolkit to its window handle.
inline HWND FormHandle(Form& form) { return reinterpret_cast<HWND>(form.Handle()); }

}  // namespace plovik
