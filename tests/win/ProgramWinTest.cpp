// The real plovik.exe run end to end under Wine: a scheduled run with its
// command line and saved log, a refused run and its exit code, the waiting
// panel while another instance updates (with a screenshot), instances
// started together that never update at the same time, and runs killed at
// random moments that the next run makes good.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cwctype>
#include <utility>
#include <string>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "win/support/ProgramProcess.h"
#include "win/support/ProgramTrials.h"
#include "win/support/WinTestFiles.h"

namespace plovik::test {
namespace {

constexpr DWORD ProgramWaitMs = 60000;
constexpr int InstanceTrials = 2;
constexpr int KillTrials = 3;

std::vector<std::string> LogLines(const std::string& path) {
  const std::string text = ReadWholeFile(path);
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end - start));
    start = end == std::string::npos ? text.size() : end + 2;
  }
  return lines;
}

// The whole screen as a 24-bit BMP file.
bool SaveScreenshot(const std::string& path) {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  std::string pixels(rowBytes * static_cast<DWORD>(height), '\0');
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
            reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
  bytes += pixels;
  return WriteWholeFile(path, bytes);
}

// A file of `size` bytes, written in blocks.
bool WriteLargeFile(const std::string& path, uint64_t size) {
  HANDLE file = CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const std::string block = Pattern(size_t(4) << 20, 11);
  bool written = true;
  for (uint64_t done = 0; done < size && written; done += block.size()) {
    DWORD wrote = 0;
    written = WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &wrote, nullptr) &&
              wrote == block.size();
  }
  return CloseHandle(file) && written;
}

BOOL CALLBACK SearchMainForm(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<std::pair<DWORD, HWND>*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t className[32] = {};
  GetClassNameW(window, className, 32);
  if (owner != search->first || std::wstring(className) != L"PlovikForm") return TRUE;
  search->second = window;
  return FALSE;
}

// The program's main window: its only form while it starts and runs.
HWND FindMainForm(DWORD processId) {
  std::pair<DWORD, HWND> search{processId, nullptr};
  EnumWindows(SearchMainForm, reinterpret_cast<LPARAM>(&search));
  return search.second;
}

std::wstring WindowTitle(HWND window) {
  wchar_t title[512] = {};
  GetWindowTextW(window, title, 512);
  return title;
}

// The percentage at the end of a title ("... big.bin 42%"), or -1.
int TrailingPercent(const std::wstring& title) {
  if (title.empty() || title.back() != L'%') return -1;
  size_t digits = title.size() - 1;
  while (digits > 0 && iswdigit(title[digits - 1])) --digits;
  if (digits == title.size() - 1) return -1;
  return std::stoi(title.substr(digits, title.size() - 1 - digits));
}

class ProgramWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    exe = ProgramPath();
    if (exe.empty()) GTEST_SKIP() << "PLOVIK_EXE names no program";
    root = FreshTempDir("program");
    appData = root + "\\appdata";
    CreateDirectoryW(LongPath(appData).c_str(), nullptr);
  }
  void TearDown() override {
    if (!root.empty()) RemoveTree(root);
  }

  std::string exe, root, appData;
};

TEST_F(ProgramWinTest, AScheduledRunSavesItsLogLineByLineAndEndsWithExitCodeZero) {
  const std::string src = root + "\\Data", dst = root + "\\Backup";
  CreateDirectoryW(LongPath(src).c_str(), nullptr);
  WriteWholeFile(src + "\\a.txt", "alpha");
  CreateDirectoryW(LongPath(src + "\\Docs").c_str(), nullptr);
  WriteWholeFile(src + "\\Docs\\b.txt", "beta");
  WriteWholeFile(src + "\\Docs\\scratch.tmp", "temporary");
  for (const auto& [relative, path] : ListFiles(src)) SetWriteTime(path, UtcFileTime(2021, 1, 2, 3, 4, 5));

  Win32Platform platform;
  const std::string today = platform.ShortDateText(platform.LocalNow());
  ProgramProcess program;
  ASSERT_TRUE(program.Start(exe, appData, Quoted(src) + " " + Quoted(dst) +
                                              " /s /e /v /r /l /a /t /i:*.tmp"));
  EXPECT_EQ(program.Wait(ProgramWaitMs), 0);

  const std::vector<std::string> log = LogLines(dst + "\\PLOVIK-LOG.TXT");
  ASSERT_EQ(log.size(), 21u) << ReadWholeFile(dst + "\\PLOVIK-LOG.TXT");
  EXPECT_EQ(log[0], "plovik " + src + "\\*.* " + dst + " /s/e/v/a/l/r/t/i:*.tmp");
  EXPECT_EQ(log[1], "");
  EXPECT_EQ(log[2].rfind(today + "  ", 0), 0u) << log[2];
  const std::vector<std::string> rest(log.begin() + 3, log.end());
  EXPECT_EQ(rest, (std::vector<std::string>{
                      "", src, "", "MKDIR  " + dst + "\\Docs", "COPY   " + src + "\\Docs\\b.txt",
                      "ignore " + src + "\\Docs\\scratch.tmp", "COPY   " + src + "\\a.txt", "", "",
                      "Subdirectories:       2 scanned      2 created      0 skipped", "",
                      "                      0 attributes updated", "",
                      "Files:                3 found        2 copied       0 skipped      1 ignored",
                      "", "                      0 attributes updated", "", rest.back()}));
  EXPECT_EQ(rest.back().rfind("Destination " + src.substr(0, 2) + "  ", 0), 0u) << rest.back();
  EXPECT_EQ(ReadWholeFile(dst + "\\Docs\\b.txt"), "beta");
  EXPECT_FALSE(Exists(dst + "\\Docs\\scratch.tmp"));
}

TEST_F(ProgramWinTest, ARefusedRunLeavesTheWindowOpenAndEndsWithExitCodeThree) {
  const std::string src = root + "\\Data";
  CreateDirectoryW(LongPath(src).c_str(), nullptr);
  WriteWholeFile(src + "\\a.txt", "alpha");
  ProgramProcess program;
  // A destination inside the source, in another letter case.
  ASSERT_TRUE(program.Start(exe, appData, Quoted(src) + " " + Quoted(root + "\\DATA\\Backup") +
                                              " /a /t"));
  // The containment box, answered with its only button.
  ASSERT_TRUE(program.PressButton(L"Fehler", L"&Abbrechen", ProgramWaitMs));
  EXPECT_EQ(program.Wait(2000), -1) << "the program ended instead of staying open";
  const HWND window = program.ShownText(L"Start");
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(program.CloseAndWait(GetAncestor(window, GA_ROOT), ProgramWaitMs), 3);
  EXPECT_FALSE(Exists(src + "\\Backup"));
}

TEST_F(ProgramWinTest, TheWaitingPanelShowsWhileAnotherInstanceUpdates) {
  const std::string src = root + "\\Data";
  CreateDirectoryW(LongPath(src).c_str(), nullptr);
  WriteWholeFile(src + "\\held.txt", "held by another program");
  WriteWholeFile(src + "\\free.txt", "free");
  // Another program holds a source file: the first instance stops at its
  // error box in the middle of its update.
  HANDLE held = CreateFileW(LongPath(src + "\\held.txt").c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ProgramProcess first, second;
  ASSERT_TRUE(first.Start(exe, appData, Quoted(src) + " " + Quoted(root + "\\One") + " /a /t"));
  ASSERT_NE(first.FindWindowTitled(L"Fehler", ProgramWaitMs), nullptr);
  ASSERT_TRUE(second.Start(exe, appData, Quoted(src) + " " + Quoted(root + "\\Two") + " /a /t"));
  const std::wstring waiting = L"Waiting for other instances of plovik to finish copying.";
  HWND panel = nullptr;
  for (int i = 0; i < 300 && panel == nullptr; ++i, Sleep(100))
    panel = second.ShownText(waiting);
  ASSERT_NE(panel, nullptr) << "no waiting panel";
  Sleep(500);
  char folder[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, folder);
  const std::string shot = std::string(folder) + "\\waiting-panel.bmp";
  EXPECT_TRUE(SaveScreenshot(shot));
  std::printf("  screenshot of the waiting instance: %s\n", shot.c_str());
  EXPECT_FALSE(Exists(root + "\\Two"));

  // The file comes free and the first instance tries again: it finishes,
  // and the second one goes next.
  CloseHandle(held);
  ASSERT_TRUE(first.PressButton(L"Fehler", L"&Wiederholen", ProgramWaitMs));
  EXPECT_EQ(first.Wait(ProgramWaitMs), 0);  // the retry succeeded: no failure line
  EXPECT_EQ(second.Wait(ProgramWaitMs), 0);
  EXPECT_EQ(ReadWholeFile(root + "\\One\\held.txt"), "held by another program");
  EXPECT_EQ(ReadWholeFile(root + "\\Two\\held.txt"), "held by another program");
}

TEST_F(ProgramWinTest, TheTitleShowsHowFarALargeFileIsCopiedAndIsNormalAgainAfterTheRun) {
  const std::string src = root + "\\Data", dst = root + "\\Backup";
  CreateDirectoryW(LongPath(src).c_str(), nullptr);
  constexpr uint64_t Size = uint64_t(512) << 20;
  ASSERT_TRUE(WriteLargeFile(src + "\\big.bin", Size));
  ProgramProcess program;
  ASSERT_TRUE(program.Start(exe, appData, Quoted(src) + " " + Quoted(dst) + " /a /l"));
  // The titles while the file is copied, until the saved log tells that
  // the run has ended.
  std::vector<std::wstring> titles;
  HWND window = nullptr;
  const ULONGLONG start = GetTickCount64();
  while (GetTickCount64() - start < ProgramWaitMs && !Exists(dst + "\\PLOVIK-LOG.TXT")) {
    if (window == nullptr) window = FindMainForm(program.Id());
    const std::wstring title = window != nullptr ? WindowTitle(window) : L"";
    if (!title.empty() && (titles.empty() || titles.back() != title)) titles.push_back(title);
    Sleep(5);
  }
  ASSERT_NE(window, nullptr);
  std::wstring shown;
  for (const std::wstring& title : titles) {
    std::printf("  title: %ls\n", title.c_str());
    const int percent = TrailingPercent(title);
    if (percent > 0 && percent < 100 && title.find(L"big.bin ") != std::wstring::npos) shown = title;
  }
  EXPECT_FALSE(shown.empty()) << "no title showed the file's share while it was copied";
  EXPECT_EQ(shown.rfind(L" plovik  \u2013  0 files, 0 bytes copied  \u2013  big.bin ", 0), 0u);
  // Once the run has ended the title is the program's own again.
  std::wstring after;
  for (int i = 0; i < 200 && (after = WindowTitle(window)) != L" plovik"; ++i) Sleep(50);
  EXPECT_EQ(after, L" plovik");
  EXPECT_EQ(program.CloseAndWait(window, ProgramWaitMs), 0);
  EXPECT_EQ(FileSize(dst + "\\big.bin"), Size);
}

TEST_F(ProgramWinTest, InstancesStartedTogetherNeverUpdateAtTheSameTime) {
  for (int trial = 0; trial < InstanceTrials; ++trial) {
    const std::string work = root + "\\trial" + std::to_string(trial);
    CreateDirectoryW(LongPath(work).c_str(), nullptr);
    const TrialResult result = RunInstancesTogether(exe, work, 3, static_cast<uint32_t>(trial));
    std::printf("  trial %d: %s\n", trial + 1, result.report.c_str());
    EXPECT_TRUE(result.ok) << result.report;
  }
}

TEST_F(ProgramWinTest, ARunKilledAtARandomMomentIsMadeGoodByTheNextRun) {
  const std::string source = root + "\\source";
  MakeSourceTree(source, 3, size_t(24) << 20, 7);
  // The kills fall anywhere in the time a whole update takes.
  const std::string reference = root + "\\reference";
  CreateDirectoryW(LongPath(reference).c_str(), nullptr);
  const uint32_t fullRunMs = TimeFullRun(exe, source, reference);
  ASSERT_GT(fullRunMs, 0u);
  std::printf("  a whole update takes %u ms up to its saved log\n", fullRunMs);
  for (int trial = 0; trial < KillTrials; ++trial) {
    const std::string work = root + "\\kill" + std::to_string(trial);
    CreateDirectoryW(LongPath(work).c_str(), nullptr);
    const TrialResult result =
        RunKilledThenNormal(exe, source, work, fullRunMs, static_cast<uint32_t>(1000 + trial));
    std::printf("  trial %d: %s\n", trial + 1, result.report.c_str());
    EXPECT_TRUE(result.ok) << result.report;
  }
}

}  // namespace
}  // namespace plovik::test
