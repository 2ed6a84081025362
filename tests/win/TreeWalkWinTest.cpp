// The tree walk against real directories: a whole tree with hidden, system
// and read-only files, names outside the ANSI code page and paths beyond
// the classic length limit, a re-run with nothing to do, and a copy killed
// half-way by the end of its process.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/TreeWalk.h"
#include "platform/win32/Win32Platform.h"
#include "lib/Wide.h"
#include "lib/WinErrors.h"
#include "core/RunRecords.h"
#include "toolkit/headless/Headless.h"
#include "core/Protocol.h"
#include "win/support/RealFilesEnvironment.h"
#include "win/support/WalkChild.h"
#include "win/support/WinTestFiles.h"

namespace plovik {
namespace {

using namespace test;

// An old last-write time with a fraction of a second, as the sources get.
FILETIME OldDate(int year, int second) { return UtcFileTime(year, 5, 9, 14, 30, second, 500); }

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

  // The child: this test program again, in its walk mode.
  WalkChild child(src, dst, verify);
  ASSERT_TRUE(child.Started());

  // Wait until some file in the destination has grown past 24 MB.
  bool growing = false;
  for (int i = 0; i < 2400 && !growing; ++i) {
    for (const auto& entry : ListFiles(dst))
      if (FileSize(entry.second) > (24u << 20)) growing = true;
    if (!growing && child.Wait(50)) break;
  }
  const bool stillRunning = !child.Wait(0);
  child.Kill();
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

// Names that differ from a destination file's only in letter case, in
// scripts beyond Latin-1, Greek and Cyrillic, name that same file to the
// system: a newer one is never replaced. Deseret letters (outside the
// 16-bit range) are told apart by the file system, so that file is new.
TEST(TreeWalkWinTest, ANewerDestinationThatDiffersOnlyInLetterCaseIsNeverReplaced) {
  struct Pair {
    const char* script;
    std::string source, destination;
  };
  const Pair pairs[] = {
      {"Vietnamese", "\xE1\xBA\xA2nh.jpg", "\xE1\xBA\xA3nh.jpg"},  // Ảnh, ảnh
      {"Latin Extended-B", "\xC7\x8D" "bc.txt", "\xC7\x8E" "bc.txt"},  // Ǎbc, ǎbc
      {"Armenian", "\xD4\xB2\xD5\xA1\xD5\xBC.txt", "\xD5\xA2\xD5\xA1\xD5\xBC.txt"},  // Բառ
      {"full-width", "\xEF\xBC\xA1\xEF\xBC\xA2.txt", "\xEF\xBD\x81\xEF\xBD\x82.txt"},  // ＡＢ
      {"Glagolitic", "\xE2\xB0\x80.txt", "\xE2\xB0\xB0.txt"},  // Ⰰ, ⰰ
  };
  const std::string deseretSource = "\xF0\x90\x90\x80.txt";       // 𐐀
  const std::string deseretDestination = "\xF0\x90\x90\xA8.txt";  // 𐐨
  const std::string root = FreshTempDir("walk-case");
  ASSERT_FALSE(root.empty());
  const std::string src = root + "\\src";
  const std::string dst = root + "\\dst";
  ASSERT_TRUE(::CreateDirectoryW(LongPath(src).c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryW(LongPath(dst).c_str(), nullptr));
  std::map<std::string, std::string> expected;  // the destination afterwards
  const auto make = [](const std::string& path, const std::string& content, int year) {
    return WriteWholeFile(path, content) && SetWriteTime(path, OldDate(year, 10));
  };
  for (const Pair& pair : pairs) {
    ASSERT_TRUE(make(src + "\\" + pair.source, "older", 2019)) << pair.script;
    ASSERT_TRUE(make(dst + "\\" + pair.destination, "newer", 2020)) << pair.script;
    expected[pair.destination] = "newer";
  }
  ASSERT_TRUE(make(src + "\\" + deseretSource, "older", 2019));
  ASSERT_TRUE(make(dst + "\\" + deseretDestination, "newer", 2020));
  expected[deseretDestination] = "newer";
  expected[deseretSource] = "older";

  {
    WalkEnvironment env;
    env.Walk(src, dst);
    EXPECT_TRUE(env.toolkit().dialogs.empty());
    EXPECT_EQ(RunCounters.FilesCopied, 1);
    EXPECT_EQ(env.Lines(), std::vector<std::string>{"COPY   " + src + "\\" + deseretSource});
  }
  std::map<std::string, std::string> found;
  for (const auto& [name, path] : ListFiles(dst)) found[name] = ReadWholeFile(path);
  EXPECT_EQ(found, expected);
  RemoveTree(root);
}

// The names a search of the system delivers for a pattern.
std::vector<std::string> SearchNames(const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW(LongPath(pattern).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do names.push_back(Narrow(data.cFileName)); while (::FindNextFileW(find, &data));
  ::FindClose(find);
  return names;
}

// A search for a name delivers other files as well: one whose short name is
// that name (Wine forms a short name from a hash of the long name and
// matches it when no file has the name itself), and "report" for
// "report.". Neither is taken for the file's destination.
TEST(TreeWalkWinTest, OtherFilesTheLookupDeliversAreNotTakenForTheDestination) {
  const std::string root = FreshTempDir("walk-alias");
  ASSERT_FALSE(root.empty());
  const std::string src = root + "\\src";
  const std::string dst = root + "\\dst";
  ASSERT_TRUE(::CreateDirectoryW(LongPath(src).c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryW(LongPath(dst).c_str(), nullptr));
  const auto make = [](const std::string& path, const std::string& content, int year) {
    return WriteWholeFile(path, content) && SetWriteTime(path, OldDate(year, 10));
  };
  ASSERT_TRUE(make(dst + "\\longfilename.txt", "newer", 2020));
  ASSERT_TRUE(make(dst + "\\report", "newer", 2020));
  wchar_t shortPath[MAX_PATH * 4] = {};
  const DWORD length = ::GetShortPathNameW(LongPath(dst + "\\longfilename.txt").c_str(),
                                           shortPath, MAX_PATH * 4);
  ASSERT_GT(length, 0u);
  const std::wstring shortWide(shortPath, length);
  const std::string alias = Narrow(shortWide.substr(shortWide.rfind(L'\\') + 1));
  ASSERT_NE(alias, "longfilename.txt");
  ASSERT_TRUE(make(src + "\\" + alias, "older", 2019));
  ASSERT_TRUE(make(src + "\\report.", "older", 2019));
  // What the system's search delivers for the two names.
  ASSERT_EQ(SearchNames(dst + "\\" + alias), std::vector<std::string>{"longfilename.txt"});
  ASSERT_EQ(SearchNames(dst + "\\report."), std::vector<std::string>{"report"});

  {
    WalkEnvironment env;
    RunOptions.NoUpdateFlag = true;
    env.Walk(src, dst);
    std::vector<std::string> lines = env.Lines();
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"COPY   " + src + "\\" + alias,
                                               "COPY   " + src + "\\report."}));
  }
  // A copy under the short name would land in the file that has it: that
  // copy fails as if the file existed, and the other name arrives.
  for (const bool verify : {false, true}) {
    SCOPED_TRACE(verify ? "verified" : "plain");
    ::DeleteFileW(LongPath(dst + "\\report.").c_str());
    WalkEnvironment env;
    RunOptions.VerifyFlag = verify;
    env.toolkit().answers = {ModalIgnore};
    env.Walk(src, dst);
    EXPECT_EQ(RunCounters.FilesCopied, 1);
    ASSERT_EQ(env.toolkit().dialogs.size(), 1u);
    EXPECT_EQ(env.toolkit().dialogs[0].text,
              "File  " + src + "\\" + alias + "\rcannot be copied to  " + dst +
                  "\rMysterious Windows error  (error code=80)\r" +
                  WinErrorText(ErrorFileExists, false));
    EXPECT_EQ(env.toolkit().dialogs[0].buttons,
              uint32_t(ButtonAbort | ButtonRetry | ButtonIgnore));
  }
  std::map<std::string, std::string> found;
  for (const auto& [name, path] : ListFiles(dst)) found[name] = ReadWholeFile(path);
  EXPECT_EQ(found, (std::map<std::string, std::string>{
                       {"longfilename.txt", "newer"}, {"report", "newer"}, {"report.", "older"}}));
  RemoveTree(root);
}

// Names the system would rewrite or take for devices when they reach it
// without the extended-length prefix: each is an ordinary file, found,
// copied and compared like any other, with and without verification. The
// walks run in processes of their own: a walk that opened a device would
// wait for it for ever.
TEST(TreeWalkWinTest, NamesTheSystemWouldRewriteArriveByteForByteWithoutHanging) {
  const std::string root = FreshTempDir("walk-odd");
  ASSERT_FALSE(root.empty());
  const std::string src = root + "\\src";
  std::string deep = src;  // five levels of 50 characters: beyond 260 characters
  for (char c = '1'; c <= '5'; ++c) deep += "\\" + std::string(48, c) + "x.";
  std::vector<std::string> dirs = {src};
  for (size_t cut = deep.find('\\', src.size() + 1); cut != std::string::npos;
       cut = deep.find('\\', cut + 1))
    dirs.push_back(deep.substr(0, cut));
  dirs.push_back(deep);
  for (const std::string& dir : dirs)
    ASSERT_TRUE(::CreateDirectoryW(LongPath(dir).c_str(), nullptr)) << dir;

  std::vector<std::string> files = {"name.", "trail ", "aux.c", "con.txt", "nul", "com1.log",
                                    "plain.txt"};
  for (const char* name : {"far.", "lpt1.txt", "far trail "})
    files.push_back(deep.substr(src.size() + 1) + "\\" + name);
  // A name that is not valid UTF-16, where the file system holds such names.
  const std::string lone = "half\xED\xA0\x80.txt";  // an unpaired high surrogate
  if (HoldsUnpairedSurrogates(src))
    files.push_back(lone);
  else
    std::printf("  (this file system refuses names with an unpaired surrogate)\n");
  uint32_t seed = 40;
  for (const std::string& rel : files) {
    ++seed;
    ASSERT_TRUE(WriteWholeFile(src + "\\" + rel, Pattern(3000 + 977 * seed, seed))) << rel;
  }

  for (const bool verify : {false, true}) {
    SCOPED_TRACE(verify ? "verified copy" : "plain copy");
    const std::string dst = root + (verify ? "\\dst-verified" : "\\dst-plain");
    const std::string protocol = root + (verify ? "\\verified.log" : "\\plain.log");
    WalkChild child(src, dst, verify, protocol);
    ASSERT_TRUE(child.Started());
    const bool ended = child.Wait(60000);
    EXPECT_TRUE(ended) << "the walk hung";
    child.Kill();
    EXPECT_EQ(child.ExitCode(), 0u);

    const std::map<std::string, std::string> source = ListFiles(src);
    const std::map<std::string, std::string> copied = ListFiles(dst);
    std::vector<std::string> sourceNames, copiedNames;
    for (const auto& entry : source) sourceNames.push_back(entry.first);
    for (const auto& entry : copied) copiedNames.push_back(entry.first);
    EXPECT_EQ(copiedNames, sourceNames) << "protocol:\n" << ReadWholeFile(protocol);
    for (const auto& [rel, path] : source) {
      const auto match = copied.find(rel);
      if (match != copied.end()) {
        EXPECT_TRUE(SameFileBytes(match->second, path)) << rel;
      }
    }
  }
  RemoveTree(root);
}

}  // namespace
}  // namespace plovik
