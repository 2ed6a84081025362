// The application object: window classes, fonts and icon, the creation of
// the controls, the main form's minimise and restore events, screen
// metrics, cursor and text measures.
#include "toolkit/win32/Win32Toolkit.h"


#include <algorithm>
#include <cstdlib>

#include "lib/Wide.h"
#include "toolkit/win32/Win32HelpWindow.h"
#include "toolkit/win32/Win32Printer.h"
#include "toolkit/win32/Win32Taskbar.h"

namespace plovik {

namespace {

// Registers a window class; false when it fails or the class exists already
// (then it is not ours to unregister).
bool RegisterOwnClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, HICON icon) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = icon;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszClassName = name;
  return RegisterClassExW(&windowClass) != 0;
}

}  // namespace

Win32Toolkit::Win32Toolkit(void* instance)
    : instance_(instance != nullptr ? static_cast<HINSTANCE>(instance) : GetModuleHandleW(nullptr)) {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
  InitCommonControlsEx(&controls);
  // The dialog font is the system's message font; the stock GUI font when
  // the metrics cannot be read.
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    ownDialogFont_.Reset(CreateFontIndirectW(&metrics.lfMessageFont));
  }
  dialogFont_ = ownDialogFont_ ? ownDialogFont_.Get()
                               : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  icon_ = LoadIconW(instance_, MAKEINTRESOURCEW(ProgramIconId));
  if (icon_ == nullptr) icon_ = LoadIconW(nullptr, IDI_APPLICATION);
  RegisterClasses();
}

Win32Toolkit::~Win32Toolkit() {
  taskbar_.reset();
  helpWindow_.reset();
  printer_.reset();
  tooltip_.Reset();
  for (const wchar_t* name : registered_) UnregisterClassW(name, instance_);
}

void Win32Toolkit::RegisterClasses() {
  const struct {
    const wchar_t* name;
    WNDPROC procedure;
  } classes[] = {
      {FormClassName, &Win32Window::WindowProc},  {PanelClassName, &Win32Window::WindowProc},
      {HelpClassName, &Win32Window::WindowProc},  {MemoClassName, &Win32Window::WindowProc},
      {DialogClassName, &MessageDialogProc},
      {InputClassName, &InputQueryProc},
  };
  for (const auto& windowClass : classes) {
    if (RegisterOwnClass(instance_, windowClass.name, windowClass.procedure, icon_)) {
      registered_.push_back(windowClass.name);
    }
  }
}

// ---- the application object ------------------------------------------------

HWND Win32Toolkit::MainWindow() const {
  return mainForm_ != nullptr ? HandleOf(*mainForm_) : nullptr;
}

void Win32Toolkit::MainFormSized(WPARAM kind) {
  if (kind == SIZE_MINIMIZED && !minimized_) {
    minimized_ = true;
    if (onMinimize_) {
      const std::function<void()> handler = onMinimize_;
      handler();
    }
  } else if (kind != SIZE_MINIMIZED && minimized_) {
    minimized_ = false;
    if (onRestore_) {
      const std::function<void()> handler = onRestore_;
      handler();
    }
  }
}

// A hidden main form shows minimised, so that it has its taskbar button:
// minimised and hidden, nothing could ever bring it back.
void Win32Toolkit::Minimize() {
  HWND main = MainWindow();
  auto* form = dynamic_cast<Win32Form*>(mainForm_);
  if (main == nullptr || form == nullptr) {
    MainFormSized(SIZE_MINIMIZED);
  } else if (!IsWindowVisible(main)) {
    form->ShowMinimizedInactive();
  } else if (!IsIconic(main)) {
    ShowWindow(main, SW_MINIMIZE);
  }
}

void Win32Toolkit::Restore() {
  HWND main = MainWindow();
  if (main != nullptr && IsWindowVisible(main) && IsIconic(main)) {
    ShowWindow(main, SW_RESTORE);
    SetForegroundWindow(main);
  } else if (main == nullptr || !IsWindowVisible(main)) {
    MainFormSized(SIZE_RESTORED);
  }
}

void Win32Toolkit::BringToFront() {
  HWND main = MainWindow();
  if (main == nullptr || !IsWindowVisible(main)) return;
  if (IsIconic(main)) ShowWindow(main, SW_RESTORE);
  SetForegroundWindow(main);
}

bool Win32Toolkit::ShowHelp() {
  if (helpFile_.empty()) return false;
  if (!helpWindow_) helpWindow_ = std::make_unique<Win32HelpWindow>(*this);
  return helpWindow_->Show(helpFile_, title_.empty() ? name_ : title_);
}

HWND Win32Toolkit::HelpWindow() const { return helpWindow_ ? helpWindow_->Hwnd() : nullptr; }

void Win32Toolkit::AddMemo(Win32Memo* memo) { memos_.push_back(memo); }

void Win32Toolkit::RemoveMemo(Win32Memo* memo) {
  memos_.erase(std::remove(memos_.begin(), memos_.end(), memo), memos_.end());
}

void Win32Toolkit::AddForm(Win32Form* form) { forms_.push_back(form); }

void Win32Toolkit::RemoveForm(Win32Form* form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
}

void Win32Toolkit::ForgetMenu(const PopupMenu* menu) {
  for (Win32Form* form : forms_) form->ForgetMenu(menu);
}

// ---- creation ---------------------------------------------------------------

std::unique_ptr<Form> Win32Toolkit::CreateForm() { return std::make_unique<Win32Form>(*this); }

std::unique_ptr<Panel> Win32Toolkit::CreatePanel(Container& parent) {
  return std::make_unique<Win32Panel>(*this, parent);
}

std::unique_ptr<Label> Win32Toolkit::CreateLabel(Container& parent) {
  return std::make_unique<Win32Label>(*this, parent);
}

std::unique_ptr<Edit> Win32Toolkit::CreateEdit(Container& parent) {
  return std::make_unique<Win32Edit>(*this, parent);
}

std::unique_ptr<ComboBox> Win32Toolkit::CreateComboBox(Container& parent) {
  return std::make_unique<Win32ComboBox>(*this, parent);
}

std::unique_ptr<CheckBox> Win32Toolkit::CreateCheckBox(Container& parent) {
  return std::make_unique<Win32CheckBox>(*this, parent);
}

std::unique_ptr<Button> Win32Toolkit::CreateButton(Container& parent) {
  return std::make_unique<Win32Button>(*this, parent);
}

std::unique_ptr<PictureButton> Win32Toolkit::CreatePictureButton(Container& parent) {
  return std::make_unique<Win32PictureButton>(*this, parent);
}

std::unique_ptr<Memo> Win32Toolkit::CreateMemo(Container& parent) {
  return std::make_unique<Win32Memo>(*this, parent);
}

std::unique_ptr<PopupMenu> Win32Toolkit::CreatePopupMenu(Form& owner) {
  return std::make_unique<Win32PopupMenu>(*this, owner);
}

// ---- printer, screen, cursor, text ------------------------------------------

Printer& Win32Toolkit::DefaultPrinter() {
  if (!printer_) printer_ = std::make_unique<Win32Printer>(*this);
  return *printer_;
}

ScreenMetrics Win32Toolkit::Screen() {
  ScreenMetrics screen;
  screen.width = GetSystemMetrics(SM_CXSCREEN);
  screen.height = GetSystemMetrics(SM_CYSCREEN);
  screen.virtualWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  screen.virtualHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  const WindowDc dc(nullptr);
  if (dc) screen.pixelsPerInch = GetDeviceCaps(dc.Get(), LOGPIXELSY);
  RECT work{0, 0, screen.width, screen.height};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  screen.workArea = Rect{work.left, work.top, work.right - work.left, work.bottom - work.top};
  return screen;
}

void Win32Toolkit::SetScreenCursor(CursorKind cursor) {
  cursor_ = cursor;
  SetCursor(LoadCursorW(nullptr, cursor == CursorKind::Hourglass ? IDC_WAIT : IDC_ARROW));
}

int Win32Toolkit::TextWidth(const Font& font, const std::string& text) {
  const std::wstring face = Wide(font.name);
  const GdiObject<HFONT> created(CreateFontW(
      -std::abs(font.height), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic ? TRUE : FALSE,
      font.underline ? TRUE : FALSE, font.strikeOut ? TRUE : FALSE, DEFAULT_CHARSET,
      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
      face.c_str()));
  const WindowDc dc(nullptr);
  if (!dc || !created) return 0;
  const SelectedObject selected(dc.Get(), created.Get());
  const std::wstring wide = Wide(text);
  SIZE size{};
  GetTextExtentPoint32W(dc.Get(), wide.c_str(), static_cast<int>(wide.size()), &size);
  return size.cx;
}

// ---- modal dialogs ------------------------------------------------------------

namespace {
BOOL CALLBACK DisableWindow(HWND hwnd, LPARAM lParam) {
  if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
    EnableWindow(hwnd, FALSE);
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
  }
  return TRUE;
}
}  // namespace

ModalScope::ModalScope() {
  EnumThreadWindows(GetCurrentThreadId(), DisableWindow, reinterpret_cast<LPARAM>(&disabled_));
}

ModalScope::~ModalScope() {
  for (HWND hwnd : disabled_) {
    if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
  }
}

std::wstring DisplayText(const std::wstring& text) {
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

}  // namespace plovik
