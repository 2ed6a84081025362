// The tree walk against real directories: a whole tree with hidden, system
// and read-only files, names outside the ANSI code page and paths beyond
// the classic length limit, a re-run with nothing to do, and a copy killed
// half-way by the end of its process.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/TreeWalk.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinText.h"
#include "core/RunRecords.h"
#include "toolkit/headless/Headless.h"
#include "core/Protocol.h"
#include "win/support/RealFilesEnvironment.h"
#include "win/support/WinTestFiles.h"

namespace plovik {
namespace {

using namespace test;

// An old last-write time with a fraction of a second, as the sources get.
FILETIME OldDate(int year, int second) { return UtcFileTime(year, 5, 9, 14, 30, second, 500); }

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Win32 platform, headless toolkit and a headless memo bound as the
// protocol, for the duration of one walk environment.
class WalkEnvironment : public RealFilesEnvironment {
 public:
  WalkEnvironment() : RealFilesEnvironment(2000) {
    RunOptions = TRunOptions{};
    RunOptions.SubDirFlag = true;
    RunOptions.EmptyFlag = true;
    RunOptions.VerifyFlag = true;
    RunOptions.ReportFlag = true;
    RunOptions.SrcFileSpecList[1] = "*.*";
    RunOptions.SrcFileSpecCount = 1;
  }
  void Walk(const std::string& src, const std::string& dst) {
    ProtocolClear();
    ResetRunCounters();
    RunState = TRunState{};
    RunState.RunDialogAnswer = 1;
    WalkTree(src, dst);
  }
};

struct SourceFile {
  std::string rel;
  DWORD attributes;
};

TEST(TreeWalkWinTest, WholeTreeArrivesFileByFileAndReRunCopiesNothing) {
  const std::string root = FreshTempDir("walk-tree");
  ASSERT_FALSE(root.empty());
  const std::string src = root + "\\src";
  const std::string dst = root + "\\dst";
  const std::string greek = "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC";
  const std::string greekFile = "\xCE\xB1\xCF\x81\xCF\x87\xCE\xB5\xCE\xAF\xCE\xBF.txt";
  const std::string cjk = "\xE4\xB8\xAD\xE6\x96\x87";
  const std::string cjkFile = "\xE6\x96\x87\xE4\xBB\xB6.txt";
  std::string deep;  // five levels of 50 characters: beyond 260 in the destination
  for (char c = '1'; c <= '5'; ++c) deep += (deep.empty() ? "" : "\\") + std::string(49, c) + "L";

  // Relative to the tree's top, which is "" (the deep levels are added below).
  std::vector<std::string> dirs = {"", "hid", "hid\\inner", "empty", greek, cjk};
  const auto in = [](const std::string& top, const std::string& rel) {
    return rel.empty() ? top : top + "\\" + rel;
  };
  const std::vector<SourceFile> files = {
      {"plain.txt", FILE_ATTRIBUTE_ARCHIVE},
      {"readonly.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE},
      {"hidden.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE},
      {"system.bin", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN},
      {"SKIPLIST.INI", FILE_ATTRIBUTE_ARCHIVE},
      {"hid\\inner\\f.txt", FILE_ATTRIBUTE_ARCHIVE},
      {greek + "\\" + greekFile, FILE_ATTRIBUTE_ARCHIVE},
      // A skip list in small letters, hidden, is found all the same.
      {greek + "\\skiplist.ini", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE},
      {cjk + "\\" + cjkFile, FILE_ATTRIBUTE_READONLY},
      {deep + "\\deep.txt", FILE_ATTRIBUTE_ARCHIVE},
  };
  for (const std::string& d : dirs)
    ASSERT_TRUE(::CreateDirectoryW(LongPath(in(src, d)).c_str(), nullptr)) << d;
  std::string level;
  for (size_t start = 0; start < deep.size();) {
    const size_t end = std::min(deep.find('\\', start), deep.size());
    level += (level.empty() ? "" : "\\") + deep.substr(start, end - start);
    ASSERT_TRUE(::CreateDirectoryW(LongPath(in(src, level)).c_str(), nullptr));
    dirs.push_back(level);
    start = end + 1;
  }
  uint32_t seed = 1;
  for (const SourceFile& f : files) {
    const std::string content = f.rel == "SKIPLIST.INI"
                                    ? "[FILES]\r\nskipme.txt\r\n"
                                    : f.rel == greek + "\\skiplist.ini"
                                          ? "[Files]\r\n*.tmp\r\n"
                                          : Pattern(1000 + seed * 7919, seed);
    ASSERT_TRUE(WriteWholeFile(src + "\\" + f.rel, content)) << f.rel;
    ASSERT_TRUE(SetWriteTime(src + "\\" + f.rel, OldDate(2019, static_cast<int>(seed % 60))))
        << f.rel;
    ASSERT_TRUE(::SetFileAttributesW(LongPath(src + "\\" + f.rel).c_str(), f.attributes)) << f.rel;
    ++seed;
  }
  ASSERT_TRUE(WriteWholeFile(src + "\\skipme.txt", "left out"));
  ASSERT_TRUE(WriteWholeFile(src + "\\" + greek + "\\x.tmp", "left out"));
  ASSERT_TRUE(::SetFileAttributesW(LongPath(src + "\\hid").c_str(), FILE_ATTRIBUTE_HIDDEN));
  // Distinct old dates on the source directories, set last of all, since
  // writing into a directory changes its date.
  for (size_t i = 0; i < dirs.size(); ++i) {
    const int n = static_cast<int>(i);
    ASSERT_TRUE(SetWriteTime(in(src, dirs[i]), UtcFileTime(2017, n + 1, 9, 14, 30, 2 * n + 1, 500)))
        << dirs[i];
  }

  {
    WalkEnvironment env;
    env.Walk(src, dst);
    EXPECT_TRUE(env.toolkit().dialogs.empty());

    std::vector<std::string> expected = {
        "MKDIR  " + dst + "\\hid\\inner",
        "ATTRIB +H " + dst + "\\hid",
        "MKDIR  " + dst + "\\empty",
        "MKDIR  " + dst + "\\" + greek,
        "MKDIR  " + dst + "\\" + cjk,
        "MKDIR  " + dst + "\\" + deep,
        "skip   " + src + "\\skipme.txt",
        "skip   " + src + "\\" + greek + "\\x.tmp",
    };
    for (const SourceFile& f : files) expected.push_back("COPY   " + src + "\\" + f.rel);
    std::vector<std::string> lines = env.Lines();
    std::sort(lines.begin(), lines.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(RunCounters.FilesCopied, static_cast<int32_t>(files.size()));
    EXPECT_EQ(RunCounters.FilesSkipped, 2);
    EXPECT_EQ(RunCounters.SubDirsScanned, 11);  // root, 5 named, 5 deep levels

    for (const SourceFile& f : files) {
      SCOPED_TRACE(f.rel);
      const std::string from = src + "\\" + f.rel;
      const std::string to = dst + "\\" + f.rel;
      EXPECT_EQ(ReadWholeFile(to), ReadWholeFile(from));
      const int64_t lag = WriteTime(from) - WriteTime(to);
      EXPECT_GE(lag, 0);
      EXPECT_LT(lag, 20000000);  // two seconds
      EXPECT_EQ(Attributes(to), Attributes(from));
    }
    EXPECT_EQ(Attributes(dst + "\\skipme.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Attributes(dst + "\\" + greek + "\\x.tmp"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Attributes(dst + "\\hid"), DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
    const std::map<std::string, std::string> copied = ListFiles(dst);
    EXPECT_EQ(copied.size(), files.size()) << "no partial copy is left behind";
    // Every directory ends with its source's date, files copied into it or not.
    for (const std::string& d : dirs) {
      SCOPED_TRACE("directory \"" + d + "\"");
      const int64_t lag = WriteTime(in(src, d)) - WriteTime(in(dst, d));
      EXPECT_GE(lag, 0);
      EXPECT_LT(lag, 20000000);
    }

    // Nothing to do the second time; the directories now keep their dates.
    ASSERT_TRUE(SetWriteTime(src + "\\" + greek, OldDate(2018, 10)));
    env.Walk(src, dst);
    EXPECT_EQ(env.Lines(), (std::vector<std::string>{"skip   " + src + "\\" + greek + "\\x.tmp",
                                                     "skip   " + src + "\\skipme.txt"}));
    EXPECT_EQ(RunCounters.FilesCopied, 0);
    EXPECT_EQ(RunCounters.FilesFound, static_cast<int32_t>(files.size()) + 2);
    EXPECT_EQ(RunCounters.SubDirsCreated, 0);
    const int64_t dirLag = WriteTime(src + "\\" + greek) - WriteTime(dst + "\\" + greek);
    EXPECT_GE(dirLag, 0);
    EXPECT_LT(dirLag, 20000000);
  }
  RemoveTree(root);
}

// Runs in a second process started by the interrupted-copy tests: walks the
// trees named by the environment, with or without verification, until it is
// killed.
TEST(TreeWalkWinChild, WalkFromEnvironment) {
  if (Env("PLOVIK_WALK_CHILD") != "1") GTEST_SKIP() << "helper of InterruptedCopy";
  WalkEnvironment env;
  RunOptions.VerifyFlag = Env("PLOVIK_WALK_VERIFY") == "1";
  env.Walk(Env("PLOVIK_WALK_SRC"), Env("PLOVIK_WALK_DST"));
}

void InterruptCopyAndRunAgain(bool verify) {
  const std::string root = FreshTempDir(verify ? "walk-kill-v" : "walk-kill-p");
  ASSERT_FALSE(root.empty());
  const std::string src = root + "\\src";
  const std::string dst = root + "\\dst";
  ASSERT_TRUE(::CreateDirectoryW(LongPath(src).c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryW(LongPath(dst).c_str(), nullptr));
  const std::string big = src + "\\big.bin";
  {
    HANDLE h = ::CreateFileW(LongPath(big).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    const std::string block = Pattern(1 << 20, 7);
    for (int i = 0; i < 300; ++i) {
      DWORD written = 0;
      std::string chunk = block;
      chunk[0] = static_cast<char>(i);  // every megabyte differs
      ASSERT_TRUE(::WriteFile(h, chunk.data(), static_cast<DWORD>(chunk.size()), &written, nullptr));
    }
    ::CloseHandle(h);
  }
  ASSERT_TRUE(SetWriteTime(big, OldDate(2015, 20)));
  const int64_t sourceTime = WriteTime(big);

  // The child: this test program again, running only the helper test.
  wchar_t exe[MAX_PATH + 1];
  ASSERT_GT(::GetModuleFileNameW(nullptr, exe, MAX_PATH), 0u);
  std::wstring commandLine = L"\"" + std::wstring(exe) +
                             L"\" --gtest_filter=TreeWalkWinChild.WalkFromEnvironment";
  ::SetEnvironmentVariableW(L"PLOVIK_WALK_CHILD", L"1");
  ::SetEnvironmentVariableW(L"PLOVIK_WALK_SRC", Wide(src).c_str());
  ::SetEnvironmentVariableW(L"PLOVIK_WALK_DST", Wide(dst).c_str());
  ::SetEnvironmentVariableW(L"PLOVIK_WALK_VERIFY", verify ? L"1" : L"0");
  // Its own test report goes nowhere.
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE nul = ::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nul;
  startup.hStdOutput = nul;
  startup.hStdError = nul;
  PROCESS_INFORMATION child{};
  const BOOL started = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &child);
  if (nul != INVALID_HANDLE_VALUE) ::CloseHandle(nul);
  ::SetEnvironmentVariableW(L"PLOVIK_WALK_CHILD", nullptr);
  ::SetEnvironmentVariableW(L"PLOVIK_WALK_SRC", nullptr);
  ::SetEnvironmentVariableW(L"PLOVIK_WALK_DST", nullptr);
  ::SetEnvironmentVariableW(L"PLOVIK_WALK_VERIFY", nullptr);
  ASSERT_TRUE(started);

  // Wait until some file in the destination has grown past 24 MB.
  bool growing = false;
  for (int i = 0; i < 2400 && !growing; ++i) {
    for (const auto& entry : ListFiles(dst))
      if (FileSize(entry.second) > (24u << 20)) growing = true;
    if (!growing && ::WaitForSingleObject(child.hProcess, 50) == WAIT_OBJECT_0) break;
  }
  const bool stillRunning = ::WaitForSingleObject(child.hProcess, 0) == WAIT_TIMEOUT;
  ::TerminateProcess(child.hProcess, 99);
  ::WaitForSingleObject(child.hProcess, 30000);
  ::CloseHandle(child.hThread);
  ::CloseHandle(child.hProcess);
  ASSERT_TRUE(growing) << "the child's copy never got going";
  ASSERT_TRUE(stillRunning) << "the copy finished before it could be interrupted";

  // What the killed run left: no file that passes for a finished copy.
  for (const auto& entry : ListFiles(dst)) {
    std::printf("  left by the killed walk: %s, %llu bytes\n", entry.first.c_str(),
                static_cast<unsigned long long>(FileSize(entry.second)));
    if (_stricmp(entry.first.c_str(), "big.bin") != 0) continue;
    EXPECT_LE(WriteTime(entry.second), sourceTime);
    EXPECT_TRUE(SameFileBytes(entry.second, big)) << "a cut copy under the source's name";
  }

  {
    WalkEnvironment env;
    RunOptions.VerifyFlag = verify;
    env.Walk(src, dst);
    EXPECT_TRUE(env.toolkit().dialogs.empty());
    EXPECT_EQ(RunCounters.FilesCopied, 1);
  }
  EXPECT_TRUE(SameFileBytes(dst + "\\big.bin", big));
  // The verified copy dates in two-second steps, the plain one exactly.
  const int64_t lag = sourceTime - WriteTime(dst + "\\big.bin");
  EXPECT_GE(lag, 0);
  EXPECT_LT(lag, verify ? 20000000 : 1);
  EXPECT_EQ(ListFiles(dst).size(), 1u) << "the partial copy is gone";
  RemoveTree(root);
}

TEST(TreeWalkWinTest, InterruptedVerifiedCopyNeverLooksDoneAndTheNextRunFinishesIt) {
  InterruptCopyAndRunAgain(true);
}

TEST(TreeWalkWinTest, InterruptedPlainCopyNeverLooksDoneAndTheNextRunFinishesIt) {
  InterruptCopyAndRunAgain(false);
}

}  // namespace
}  // namespace plovik
