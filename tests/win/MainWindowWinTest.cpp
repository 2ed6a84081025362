// The main window on real windows: its controls where the layout puts them,
// the settings file a real close of plovik.exe writes, a minimised start of
// plovik.exe, a protocol printed on a real printer and read back from the
// PDF, and a label's width and look after a switch of language.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>
#include <vector>

#include "app/UnitMain.h"
#include "lib/Wide.h"
#include "core/Protocol.h"
#include "core/RunRecords.h"
#include "core/Settings.h"
#include "platform/win32/Win32Platform.h"
#include "toolkit/win32/Win32Toolkit.h"
#include "ui/Language.h"
#include "ui/MainForm.h"
#include "ui/ProtocolFile.h"
#include "win/support/PrintedPdf.h"
#include "win/support/ProgramProcess.h"
#include "win/support/WinTestFiles.h"

namespace plovik::test {
namespace {

constexpr DWORD ProgramWaitMs = 30000;

HWND Hwnd(const Control& control) { return reinterpret_cast<HWND>(control.Handle()); }

// Where the system has the control: its rectangle in its parent's client
// area.
RECT RealBounds(const Control& control) {
  RECT rect{};
  GetWindowRect(Hwnd(control), &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(Hwnd(control)), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

class MainWindowWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DropQuitRequests();
    appData_ = FreshTempDir("appdata");
    SetEnvironmentVariableW(L"APPDATA", LongPath(appData_).substr(4).c_str());
    InstallPlatform(&platform_);
    InstallToolkit(&tk_);
    RunOptions = TRunOptions{};
    RunState = TRunState{};
    LanguageIndex = 0;
    Settings = TSettings{};
    DebugWindowReady = false;
    MinimizedFlag = false;
    InitializeUnitMain();
    ASSERT_TRUE(CreateWindows());
    tk_.ProcessMessages();
  }
  void TearDown() override {
    TearDownWindows();
    BindProtocol(ProtocolControls{});
    InstallToolkit(nullptr);
    InstallPlatform(nullptr);
    RemoveTree(appData_);
    DropQuitRequests();
  }
  static void DropQuitRequests() {
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }

  Win32Platform platform_;
  Win32Toolkit tk_{GetModuleHandleW(nullptr)};
  std::string appData_;
};

TEST_F(MainWindowWinTest, TheControlsStandWhereTheLayoutPutsThem) {
  TFormMain& f = *FormMain;
  const ScreenMetrics screen = tk_.Screen();
  RECT window{};
  GetWindowRect(Hwnd(*f.Self), &window);
  EXPECT_EQ(window.left, 0);
  EXPECT_EQ(window.top, 0);
  EXPECT_EQ(window.right - window.left, screen.virtualWidth);
  EXPECT_EQ(window.bottom - window.top, std::lround(0.6 * screen.virtualHeight));

  const int row = f.ComboBoxSrcFile->Height();
  ASSERT_GT(row, 10);
  const int step = row + 8;
  auto top = [](const Control& c) { return static_cast<int>(RealBounds(c).top); };
  EXPECT_EQ(top(*f.PanelSrcDir), 4);
  EXPECT_EQ(RealBounds(*f.PanelSrcDir).bottom - RealBounds(*f.PanelSrcDir).top, row);
  EXPECT_EQ(top(*f.PanelDstDir), 4 + step);
  EXPECT_EQ(top(*f.ComboBoxSrcFile), 4 + 2 * step);
  EXPECT_EQ(top(*f.ComboBoxIgnFile), 4 + 3 * step);
  const int buttonTop = 4 + 4 * step;
  EXPECT_EQ(top(*f.ButtonStart), buttonTop);
  EXPECT_EQ(top(*f.BitBtnSettings), buttonTop);
  EXPECT_EQ(top(*f.LabelSrcDir), 4 + (row - f.LabelSrcDir->Height()) / 2);
  const int checkStep = static_cast<int>(std::nearbyint(
      (buttonTop + f.ButtonStart->Height() - (4 + 2 * step) - f.CheckBoxSubDir->Height()) / 3.0));
  EXPECT_EQ(top(*f.CheckBoxVerify), 4 + 2 * step + 2 * checkStep);
  EXPECT_EQ(top(*f.CheckBoxIgnoreFileAgeOneHourDiff), 4 + 2 * step + 3 * checkStep);

  RECT client{};
  GetClientRect(Hwnd(*f.Self), &client);
  const RECT memo = RealBounds(*f.MemoProtocol);
  EXPECT_EQ(memo.top, buttonTop + f.ButtonStart->Height() + 8);
  EXPECT_EQ(memo.bottom, client.bottom);
  EXPECT_EQ(memo.right - memo.left, client.right);
  EXPECT_EQ(RealBounds(*f.PanelSrcDir).right, client.right);
  // The edit and its square button fill the panel's client area.
  RECT panelClient{};
  GetClientRect(Hwnd(*f.PanelSrcDir), &panelClient);
  const RECT edit = RealBounds(*f.EditSrcDir), button = RealBounds(*f.ButtonSrcDir);
  EXPECT_EQ(edit.bottom - edit.top, panelClient.bottom);
  EXPECT_EQ(button.right, panelClient.right);
  EXPECT_EQ(button.right - button.left, panelClient.bottom);
  EXPECT_EQ(button.left, edit.right + 1);
}

TEST_F(MainWindowWinTest, ARealCloseOfTheProgramWritesItsSettingsIntoApplicationData) {
  const std::string exe = ProgramPath();
  if (exe.empty()) GTEST_SKIP() << "PLOVIK_EXE names no program";
  const std::string own = FreshTempDir("close");
  ProgramProcess program;
  ASSERT_TRUE(program.Start(exe, own));
  // A close while the window is still being created is refused: wait for
  // the idle window.
  ASSERT_TRUE(program.WaitUntilIdle(ProgramWaitMs));
  const HWND window = program.FindWindowTitled(L" plovik", ProgramWaitMs);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(program.CloseAndWait(window, ProgramWaitMs), 0);
  const std::string text = ReadWholeFile(own + "\\Orvendale\\plovik\\plovik.ini");
  const ScreenMetrics screen = tk_.Screen();
  EXPECT_EQ(text.rfind("[General]\r\nSaveSettings=1\r\nCopyEmptySubDirectories=1\r\n", 0), 0u)
      << text;
  EXPECT_NE(text.find("[FormMain]\r\nWindowState=0\r\nLeft=0\r\nWidth=" +
                      std::to_string(screen.virtualWidth) + "\r\nTop=0\r\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.substr(text.size() - 4), "\r\n\r\n");
  RemoveTree(own);
}

struct FormSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK SearchForm(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<FormSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (owner != search->processId || std::wstring(name) != Win32Toolkit::FormClassName) return TRUE;
  search->found = window;
  return FALSE;
}

// The program's first form, visible or not (the main window exists hidden
// from the beginning of its creation on).
HWND FindForm(DWORD processId, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  do {
    FormSearch search{processId, nullptr};
    EnumWindows(SearchForm, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    Sleep(1);
  } while (GetTickCount64() < end);
  return nullptr;
}

// A double click on the close box while the window is still being created:
// the close waits for the finished window, which then closes as usual and
// keeps the stored settings (they used to be written from the half-built
// window: every option off, both directories empty).
TEST_F(MainWindowWinTest, TwoClosesDuringStartUpCloseTheFinishedWindowAndKeepTheSettings) {
  const std::string exe = ProgramPath();
  if (exe.empty()) GTEST_SKIP() << "PLOVIK_EXE names no program";
  const std::string own = FreshTempDir("startclose");
  for (const char* folder : {"\\Orvendale", "\\Orvendale\\plovik"}) {
    CreateDirectoryW(LongPath(own + folder).c_str(), nullptr);
  }
  ASSERT_TRUE(WriteWholeFile(own + "\\Orvendale\\plovik\\plovik.ini",
                             "[General]\r\nCopySubDirectories=1\r\nVerifyCopies=1\r\n"
                             "[Directories]\r\nSrcPath=C:\\windows\r\nDstPath=C:\\users\r\n"));
  ProgramProcess program;
  ASSERT_TRUE(program.Start(exe, own));
  const HWND window = FindForm(program.Id(), ProgramWaitMs);
  ASSERT_NE(window, nullptr);
  PostMessageW(window, WM_CLOSE, 0, 0);
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.Wait(ProgramWaitMs), 0) << "the close was not carried out";
  const std::string text = ReadWholeFile(own + "\\Orvendale\\plovik\\plovik.ini");
  EXPECT_NE(text.find("CopySubDirectories=1\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("VerifyCopies=1\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("SrcPath=C:\\windows\r\nDstPath=C:\\users\r\n"), std::string::npos) << text;
  RemoveTree(own);
}

// A window closed while minimised comes back minimised with its taskbar
// button, never hidden; the taskbar's restore shows it normal where it was.
TEST_F(MainWindowWinTest, AStoredMinimisedWindowStartsOnTheTaskbarAndTheTaskbarRestoresIt) {
  const std::string exe = ProgramPath();
  if (exe.empty()) GTEST_SKIP() << "PLOVIK_EXE names no program";
  const std::string own = FreshTempDir("minimised");
  for (const char* folder : {"\\Orvendale", "\\Orvendale\\plovik"}) {
    CreateDirectoryW(LongPath(own + folder).c_str(), nullptr);
  }
  ASSERT_TRUE(WriteWholeFile(own + "\\Orvendale\\plovik\\plovik.ini",
                             "[FormMain]\r\nWindowState=1\r\nLeft=30\r\nWidth=800\r\nTop=40\r\n"
                             "Height=300\r\n"));
  ProgramProcess program;
  ASSERT_TRUE(program.Start(exe, own));
  ASSERT_TRUE(program.WaitUntilIdle(ProgramWaitMs));
  const HWND window = program.FindWindowTitled(L" plovik", ProgramWaitMs);
  ASSERT_NE(window, nullptr) << "no visible main window: nothing could restore it";
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(IsIconic(window));
  EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
  // The taskbar button restores it.
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(window, WM_SYSCOMMAND, SC_RESTORE, 0, SMTO_NORMAL, ProgramWaitMs, &answer);
  ASSERT_TRUE(program.WaitUntilIdle(ProgramWaitMs));
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_FALSE(IsIconic(window));
  EXPECT_FALSE(IsZoomed(window));
  RECT bounds{};
  GetWindowRect(window, &bounds);
  EXPECT_EQ(bounds.left, 30);
  EXPECT_EQ(bounds.top, 40);
  EXPECT_EQ(bounds.right - bounds.left, 800);
  EXPECT_EQ(program.CloseAndWait(window, ProgramWaitMs), 0);
  const std::string text = ReadWholeFile(own + "\\Orvendale\\plovik\\plovik.ini");
  EXPECT_NE(text.find("[FormMain]\r\nWindowState=0\r\nLeft=30\r\nWidth=800\r\nTop=40\r\n"),
            std::string::npos)
      << text;
  RemoveTree(own);
}

TEST_F(MainWindowWinTest, PrintsTheProtocolOnPagesWithHeadersMarginAndShortenedLines) {
  const std::string folder = PrintFolder();
  if (folder.empty() || !PrinterAvailable) {
    GTEST_SKIP() << "No printer to print to: this test needs a default printer whose PDF files "
                    "arrive in the folder PLOVIK_PRINT_DIR names (scripts/test sets up CUPS-PDF).";
  }
  RunOptions.ProgramBaseName = "PlovikProtocol" + std::to_string(GetTickCount64());
  Printer& printer = tk_.DefaultPrinter();
  printer.SetFont(FontChoice{Settings.PrinterFont.Name, Settings.PrinterFont.Size});
  const PrintLayout layout = ComputePrintLayout(printer.Metrics());
  ASSERT_TRUE(layout.Printable());
  std::string longLine(static_cast<size_t>(layout.CharsPerPrintLine) + 1, 'x');
  longLine.front() = 'L';
  longLine.append("END");
  for (int i = 0; i <= layout.LinesPerPage; ++i) {
    std::string line = "line";
    line += std::to_string(i);
    ProtocolAdd(i == 3 ? longLine : line);
  }
  PrintProtocol();
  EXPECT_EQ(RunState.ActivityState, Idle);

  const PrintedPdf pdf = WaitForPrintedPdf(folder, RunOptions.ProgramBaseName);
  ASSERT_FALSE(pdf.path.empty()) << "no PDF of the print arrived in " << folder;
  EXPECT_EQ(pdf.pages, 2);
  // Each page begins with its header: "page", blanks, the number.
  std::vector<std::string> headers;
  for (size_t page = 0; page != std::string::npos && page < pdf.text.size();) {
    const size_t end = pdf.text.find('\f', page);
    const std::string text = pdf.text.substr(page, end == std::string::npos ? end : end - page);
    std::smatch header;
    if (std::regex_search(text, header, std::regex("^\\s*page +([0-9]+)"))) {
      headers.push_back(header[1]);
    }
    page = end == std::string::npos ? end : end + 1;
  }
  EXPECT_EQ(headers, (std::vector<std::string>{"1", "2"})) << pdf.text;
  EXPECT_NE(pdf.text.find("line" + std::to_string(layout.LinesPerPage)), std::string::npos);
  // The long line is shortened in its middle to the line's width, not
  // wrapped.
  const size_t start = pdf.text.find('L');
  ASSERT_NE(start, std::string::npos);
  const std::string shortened = pdf.text.substr(start, pdf.text.find('\n', start) - start);
  EXPECT_EQ(shortened.size(), static_cast<size_t>(layout.CharsPerPrintLine)) << shortened;
  EXPECT_NE(shortened.find("x...x"), std::string::npos) << shortened;
  EXPECT_EQ(shortened.substr(shortened.size() - 3), "END");
  // Every line starts behind the margin of 8 mm (22.7 points), measured
  // from the printable area's left edge, which lies at most half an inch
  // from the paper's edge.
  const double marginPoints = layout.LeftMarginBlanks * layout.CharWidth * 72;
  int checked = 0;
  for (const auto& [word, left] : pdf.words) {
    if (word != "page" && word.rfind("line", 0) != 0) continue;
    EXPECT_GE(left, marginPoints - 1) << word;
    EXPECT_LE(left, marginPoints + 36) << word;
    ++checked;
  }
  EXPECT_GT(checked, layout.LinesPerPage);
  DeleteFileW(LongPath(pdf.path).c_str());
}

// The width the label's text takes in the label's own font.
int MeasuredWidth(const Label& label, const std::string& text) {
  HWND hwnd = Hwnd(label);
  HDC dc = GetDC(hwnd);
  const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
  const std::wstring wide = Wide(text);
  RECT box{0, 0, 0, 0};
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &box, DT_CALCRECT | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return box.right - box.left;
}

// The pixels the window shows of a control, row by row.
std::vector<COLORREF> ShownPixels(const Control& control) {
  HWND hwnd = Hwnd(control);
  RECT client{};
  GetClientRect(hwnd, &client);
  HDC dc = GetDC(hwnd);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < client.bottom; ++y) {
    for (int x = 0; x < client.right; ++x) pixels.push_back(GetPixel(dc, x, y));
  }
  ReleaseDC(hwnd, dc);
  return pixels;
}

int RealWidth(const Control& control) {
  const RECT r = RealBounds(control);
  return r.right - r.left;
}

// After a switch to German and back the label shows "Ignore   files"
// whole again, as at the start: as wide as its text, and painted over its
// whole width.
TEST_F(MainWindowWinTest, TheIgnoreLabelTakesTheWidthOfItsCaptionAfterEveryLanguageSwitch) {
  TFormMain& f = *FormMain;
  const Label& label = *f.LabelIgnoreFiles;
  UpdateWindow(Hwnd(*f.Self));
  tk_.ProcessPendingMessages();
  const std::vector<COLORREF> shown = ShownPixels(label);
  const int english = RealWidth(label);
  EXPECT_EQ(english, MeasuredWidth(label, "Ignore   files"));
  f.MenuItemLanguageGerman->Click();
  tk_.ProcessPendingMessages();
  EXPECT_EQ(label.Caption(), "Ignorieren");
  EXPECT_EQ(RealWidth(label), MeasuredWidth(label, "Ignorieren"));
  f.MenuItemLanguageEnglish->Click();
  tk_.ProcessPendingMessages();
  EXPECT_EQ(label.Caption(), "Ignore   files");
  EXPECT_EQ(RealWidth(label), english);
  EXPECT_EQ(label.Width(), english);
  UpdateWindow(Hwnd(*f.Self));
  tk_.ProcessPendingMessages();
  EXPECT_TRUE(ShownPixels(label) == shown) << "the label is not painted as at the start";
}

}  // namespace
}  // namespace plovik::test
