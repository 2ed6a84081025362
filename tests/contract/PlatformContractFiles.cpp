// The platform contract, files: searches and wildcards, attributes and
// directories, reading and writing, sharing and rename refusals, copies,
// dates, names the system would rewrite, long paths. The same cases run
// over the fake platform natively and over the Win32 platform under Wine.
#include "contract/PlatformContract.h"

#include <cstdio>
#include <cstring>

#include "core/SubDirs.h"
#include "lib/PackedDate.h"

namespace plovik::contract {

void PlatformContract::SetUp() {
  env_ = MakePlatformEnvironment();
  root_ = env_->Root();
  ASSERT_FALSE(root_.empty());
  ASSERT_EQ(root_.back(), '\\');
}

void PlatformContract::TearDown() { env_.reset(); }

void PlatformContract::WriteText(const std::string& path, const std::string& text) {
  uint32_t error = 0;
  FileHandle file = Open(path, FileAccess::Write, FileShare::None, FileDisposition::CreateAlways,
                         &error);
  ASSERT_TRUE(file) << path << " error " << error;
  const Result<uint32_t> written = file->Write(text.data(), static_cast<uint32_t>(text.size()));
  ASSERT_TRUE(written) << path << " error " << written.Error();
  ASSERT_EQ(*written, text.size());
}

std::string PlatformContract::ReadText(const std::string& path) {
  uint32_t error = 0;
  FileHandle file = Open(path, FileAccess::Read, FileShare::Read, FileDisposition::OpenExisting,
                         &error);
  if (!file) return "<error " + std::to_string(error) + ">";
  std::string text(1 << 16, '\0');
  const Result<uint32_t> read = file->Read(text.data(), static_cast<uint32_t>(text.size()));
  if (!read) return "<error " + std::to_string(read.Error()) + ">";
  text.resize(*read);
  return text;
}

std::vector<DirEntry> PlatformContract::Search(const std::string& pattern, uint32_t* error) {
  std::vector<DirEntry> entries;
  Result<std::unique_ptr<DirSearch>> search = sys().StartSearch(pattern);
  if (error != nullptr) *error = search.Error();
  if (!search) return entries;
  for (;;) {
    Result<std::optional<DirEntry>> next = (*search)->Next();
    EXPECT_TRUE(next) << pattern << ": the search broke off with " << next.Error();
    if (!next || !*next) return entries;
    entries.push_back(**next);
  }
}

DirEntry PlatformContract::Entry(const std::string& path) {
  std::vector<DirEntry> entries = Search(path);
  EXPECT_EQ(entries.size(), 1u) << path;
  return entries.empty() ? DirEntry{} : entries.front();
}

FileHandle PlatformContract::Open(const std::string& path, FileAccess access, FileShare share,
                                  FileDisposition disposition, uint32_t* error) {
  Result<FileHandle> file = sys().OpenFile(path, access, share, disposition, FileFlags::None);
  if (error != nullptr) *error = file.Error();
  return file ? std::move(*file) : nullptr;
}

std::set<std::string> PlatformContract::Names(const std::vector<DirEntry>& entries) {
  std::set<std::string> names;
  for (const DirEntry& entry : entries) names.insert(entry.name);
  return names;
}

std::string PlatformContract::MutexName(const std::string& what) const {
  std::string name = "Plovik-contract-" + what + "-";
  for (const char c : root_) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    name += plain ? c : '_';
  }
  return name;
}

namespace {

struct WildcardCase {
  const char* name;
  const char* pattern;
  bool found;            // as Windows answers
  bool dosForm = false;  // the answer rests on the DOS forms of the wildcards
};

// ---- searches --------------------------------------------------------------------

TEST_F(PlatformContract, SearchesApplyTheSystemsWildcardRules) {
  const WildcardCase cases[] = {
      {"README", "*.*", true},  // "*.*" takes names without a dot as well
      {"a.b.c", "*.*", true},
      {"x", "*", true},
      {"Report.TXT", "*.txt", true},
      {"a.b.txt", "*.txt", true},
      {"a.txt.bak", "*.txt", false},
      {"a.txtx", "*.txt", true},  // through its short name, whose extension is TXT
      {"README", "*.", true},     // a final dot asks for names without extension
      {"read.me", "*.", false, true},
      {"file", "file.*", true},
      {"file.c", "file.*", true},
      {"abc", "a?c", true},
      {"ac", "a?c", false},
      {"a.c", "a?c", false, true},  // "?" never takes the dot
      {"ab", "a??", true, true},    // trailing "?" may match nothing at the end
      {"abcd", "a??", false},
      {"data1.txt", "DATA?.TXT", true},
      {"data12.txt", "data?.txt", false},
      {"\xC3\xA4rger.doc", "\xC3\x84*.DOC", true},  // case-insensitive beyond ASCII
      {"exact.txt", "EXACT.TXT", true},
      {"exact.txt", "exact", false},
      {"name", "name.", true},  // a search for "name." delivers "name"
  };
  int dir = 0;
  for (const WildcardCase& c : cases) {
    std::string folder = root_;  // built step by step: GCC 12 misjudges a + b + c here
    folder.append("w").append(std::to_string(++dir)).append("\\");
    ASSERT_TRUE(sys().CreateDir(folder));
    WriteText(folder + c.name, "w");
    const bool expected = c.dosForm && !env().AppliesDosWildcards() ? !c.found : c.found;
    EXPECT_EQ(Names(Search(folder + c.pattern)).count(c.name) == 1, expected)
        << c.name << " against " << c.pattern;
  }
}

TEST_F(PlatformContract, SearchesDeliverEveryEntryOnceWithItsDetails) {
  WriteText(Path("b.txt"), "bb");
  WriteText(Path("a.txt"), "a");
  WriteText(Path("c.dat"), "ccc");
  WriteText(Path("hidden.txt"), "hhhh");
  ASSERT_TRUE(sys().SetAttributes(Path("hidden.txt"), AttrHidden));
  ASSERT_TRUE(sys().CreateDir(Path("sub")));

  EXPECT_EQ(Names(Search(Path("*.txt"))),
            (std::set<std::string>{"a.txt", "b.txt", "hidden.txt"}));
  EXPECT_EQ(Names(Search(Path("?.dat"))), (std::set<std::string>{"c.dat"}));
  EXPECT_EQ(Names(Search(Path("B.*"))), (std::set<std::string>{"b.txt"}));

  std::vector<DirEntry> all = Search(Path("*"));
  EXPECT_EQ(Names(all),
            (std::set<std::string>{".", "..", "a.txt", "b.txt", "c.dat", "hidden.txt", "sub"}));
  EXPECT_EQ(all.size(), 7u);  // nothing delivered twice
  for (const DirEntry& entry : all) {
    SCOPED_TRACE(entry.name);
    const bool directory = entry.name == "." || entry.name == ".." || entry.name == "sub";
    EXPECT_EQ((entry.attributes & AttrDirectory) != 0, directory);
    if (entry.name == "hidden.txt") {
      EXPECT_TRUE(entry.attributes & AttrHidden);
    }
    if (entry.name == "c.dat") {
      EXPECT_EQ(entry.size, 3u);
      EXPECT_EQ(entry.attributes, uint32_t(AttrArchive));
      EXPECT_NE(entry.packedDate, MissingFileDate);
      EXPECT_NE(entry.lastWrite, 0u);
    }
  }
  // The order is the file system's, and the same every time.
  std::vector<std::string> first, second;
  for (const DirEntry& entry : all) first.push_back(entry.name);
  for (const DirEntry& entry : Search(Path("*"))) second.push_back(entry.name);
  EXPECT_EQ(first, second);
  // A drive's root has no "." and "..".
  const std::set<std::string> inRoot = Names(Search(root_.substr(0, 3) + "*"));
  EXPECT_EQ(inRoot.count("."), 0u);
  EXPECT_EQ(inRoot.count(".."), 0u);
}

// A search tells the end of its directory apart from a breakdown: read
// entry by entry, it delivers every entry of a directory larger than one
// read of the system's, then reports the end without an error, and keeps
// reporting it.
TEST_F(PlatformContract, SearchesReportTheEndOfTheDirectoryAfterTheLastEntry) {
  std::set<std::string> expected{".", ".."};
  const auto nameOf = [](int i) {
    char number[8];
    std::snprintf(number, sizeof number, "%06d", i);
    return number + std::string(100, '-') + ".dat";  // a short name of its own each
  };
  for (int i = 0; i < 300; ++i) {
    WriteText(Path(nameOf(i)), "");
    expected.insert(nameOf(i));
  }
  Result<std::unique_ptr<DirSearch>> search = sys().StartSearch(Path("*"));
  ASSERT_TRUE(search) << search.Error();
  std::set<std::string> seen;
  size_t delivered = 0;
  for (;;) {
    Result<std::optional<DirEntry>> next = (*search)->Next();
    ASSERT_TRUE(next) << "broke off with " << next.Error() << " after " << delivered;
    if (!*next) break;
    seen.insert((*next)->name);
    ++delivered;
  }
  EXPECT_EQ(delivered, expected.size());
  EXPECT_EQ(seen, expected);
  for (int again = 0; again < 2; ++again) {
    Result<std::optional<DirEntry>> after = (*search)->Next();
    ASSERT_TRUE(after) << after.Error();
    EXPECT_FALSE(*after);
  }

  // A search for one name: its entry, then the end.
  Result<std::unique_ptr<DirSearch>> one = sys().StartSearch(Path(nameOf(7)));
  ASSERT_TRUE(one) << one.Error();
  Result<std::optional<DirEntry>> first = (*one)->Next();
  ASSERT_TRUE(first && *first);
  EXPECT_EQ((*first)->name, nameOf(7));
  Result<std::optional<DirEntry>> end = (*one)->Next();
  ASSERT_TRUE(end) << end.Error();
  EXPECT_FALSE(*end);
}

TEST_F(PlatformContract, SearchesThatCannotStartTellWhy) {
  uint32_t error = 0;
  EXPECT_TRUE(Search(Path("nothing-like-this.*"), &error).empty());
  EXPECT_EQ(error, ErrorFileNotFound);
  EXPECT_TRUE(Search(Path("no-dir\\*"), &error).empty());
  EXPECT_EQ(error, ErrorPathNotFound);
  EXPECT_TRUE(Search(std::string(1, env().MissingDrive()) + ":\\*", &error).empty());
  EXPECT_EQ(error, ErrorPathNotFound);
  WriteText(Path("x.txt"), "x");
  EXPECT_EQ(Search(Path("x.txt"), &error).size(), 1u);
  EXPECT_EQ(error, 0u);
}

// ---- attributes, directories and files ------------------------------------------------

TEST_F(PlatformContract, AttributesAndDirectoriesAnswerWithWindowsCodes) {
  const std::string file = Path("attr.txt");
  WriteText(file, "a");
  ASSERT_TRUE(sys().SetAttributes(file, AttrReadOnly | AttrHidden | AttrArchive));
  Result<uint32_t> attributes = sys().GetAttributes(file);
  ASSERT_TRUE(attributes);
  EXPECT_EQ(*attributes & (AttrReadOnly | AttrHidden | AttrSystem | AttrArchive | AttrDirectory),
            uint32_t(AttrReadOnly | AttrHidden | AttrArchive));
  EXPECT_EQ(sys().RemoveFile(file).Error(), ErrorAccessDenied);  // read-only
  ASSERT_TRUE(sys().SetAttributes(file, AttrNormal));
  EXPECT_EQ(sys().GetAttributes(file).ValueOr(0) & (AttrReadOnly | AttrHidden), 0u);

  EXPECT_EQ(sys().GetAttributes(Path("missing")).Error(), ErrorFileNotFound);
  EXPECT_EQ(sys().GetAttributes(Path("missing\\deeper")).Error(), ErrorPathNotFound);

  ASSERT_TRUE(sys().CreateDir(Path("dir")));
  EXPECT_EQ(sys().CreateDir(Path("dir")).Error(), ErrorAlreadyExists);
  EXPECT_TRUE(sys().GetAttributes(Path("dir")).ValueOr(0) & AttrDirectory);
  EXPECT_TRUE(sys().GetAttributes(Path("dir\\")).ValueOr(0) & AttrDirectory);
  EXPECT_TRUE(sys().GetAttributes(root_.substr(0, 3)).ValueOr(0) & AttrDirectory);
  WriteText(Path("dir\\inside"), "i");
  EXPECT_EQ(sys().RemoveDir(Path("dir")).Error(), ErrorDirNotEmpty);
  ASSERT_TRUE(sys().RemoveFile(Path("dir\\inside")));
  EXPECT_TRUE(sys().RemoveDir(Path("dir")));
  EXPECT_EQ(sys().GetAttributes(Path("dir")).Error(), ErrorFileNotFound);

  // Files that refuse to be created anew, and paths that name nothing.
  WriteText(Path("ro.txt"), "r");
  ASSERT_TRUE(sys().SetAttributes(Path("ro.txt"), AttrReadOnly));
  ASSERT_TRUE(sys().CreateDir(Path("folder")));
  uint32_t error = 0;
  if (env().EnforcesReadOnly()) {
    EXPECT_FALSE(Open(Path("ro.txt"), FileAccess::Write, FileShare::None,
                      FileDisposition::CreateAlways, &error));
    EXPECT_EQ(error, ErrorAccessDenied);
  }
  EXPECT_TRUE(Open(Path("ro.txt"), FileAccess::Read, FileShare::Read));
  EXPECT_FALSE(Open(Path("folder"), FileAccess::Write, FileShare::None,
                    FileDisposition::CreateAlways, &error));
  EXPECT_EQ(error, ErrorAccessDenied);
  EXPECT_FALSE(Open(Path("none.bin"), FileAccess::Read, FileShare::Read,
                    FileDisposition::OpenExisting, &error));
  EXPECT_EQ(error, ErrorFileNotFound);
  EXPECT_FALSE(Open(Path("no-dir\\none.bin"), FileAccess::Write, FileShare::None,
                    FileDisposition::CreateAlways, &error));
  EXPECT_EQ(error, ErrorPathNotFound);
  ASSERT_TRUE(sys().SetAttributes(Path("ro.txt"), AttrNormal));
}

TEST_F(PlatformContract, FilesAreWrittenReadPositionedAndCut) {
  const std::string path = Path("data.bin");
  Result<FileHandle> opened =
      sys().OpenFile(path, FileAccess::Read | FileAccess::Write, FileShare::None,
                     FileDisposition::CreateAlways, FileFlags::SequentialScan);
  ASSERT_TRUE(opened) << opened.Error();
  File& file = **opened;
  ASSERT_EQ(file.Write("0123456789", 10).ValueOr(0), 10u);
  EXPECT_EQ(file.Position().ValueOr(0), 10u);
  ASSERT_TRUE(file.Seek(4));
  char buffer[16] = {};
  Result<uint32_t> read = file.Read(buffer, sizeof buffer);
  ASSERT_TRUE(read);
  EXPECT_EQ(std::string(buffer, *read), "456789");
  EXPECT_EQ(file.Read(buffer, sizeof buffer).ValueOr(1), 0u);  // the end: no error
  ASSERT_TRUE(file.Seek(3));
  ASSERT_TRUE(file.SetEnd());
  EXPECT_EQ(file.Size().ValueOr(0), 3u);
  opened->reset();
  EXPECT_EQ(ReadText(path), "012");

  WriteText(path, "");  // creating again empties the file
  EXPECT_EQ(ReadText(path), "");
  EXPECT_TRUE(sys().RemoveFile(path));
  EXPECT_EQ(sys().RemoveFile(path).Error(), ErrorFileNotFound);
}

TEST_F(PlatformContract, SharingRulesHoldBetweenHandles) {
  const std::string path = Path("shared.txt");
  WriteText(path, "shared");
  FileHandle writer = Open(path, FileAccess::Write, FileShare::Read);
  ASSERT_TRUE(writer);
  struct Case {
    const char* what;
    FileAccess access;
    FileShare share;
    uint32_t expected;
  };
  const Case cases[] = {
      {"a second writer: the first shares reading only", FileAccess::Write,
       FileShare::Read | FileShare::Write, ErrorSharingViolation},
      {"a reader that does not allow the writer", FileAccess::Read, FileShare::Read,
       ErrorSharingViolation},
      {"a reader that allows the writer", FileAccess::Read, FileShare::Read | FileShare::Write,
       0},
  };
  for (const Case& c : cases) {
    uint32_t error = 0;
    FileHandle other = Open(path, c.access, c.share, FileDisposition::OpenExisting, &error);
    EXPECT_EQ(error, c.expected) << c.what;
    EXPECT_EQ(other != nullptr, c.expected == 0) << c.what;
  }
  // Held without delete sharing, the file cannot be removed.
  EXPECT_EQ(sys().RemoveFile(path).Error(), ErrorSharingViolation);
  writer.reset();
  EXPECT_TRUE(sys().RemoveFile(path));
}

// The copies put a finished file in place by renaming it over the old one;
// the system refuses that for a file another handle holds open and for a
// read-only file, both with 5.
TEST_F(PlatformContract, RenamesOverOpenOrReadOnlyFilesAreRefusedWith5) {
  WriteText(Path("target"), "old");
  WriteText(Path("new"), "new");
  FileHandle held = Open(Path("target"), FileAccess::Read, FileShare::Read);
  ASSERT_TRUE(held);
  EXPECT_EQ(sys().ReplaceFile(Path("new"), Path("target")).Error(), ErrorAccessDenied);
  FileHandle renaming = Open(Path("new"), FileAccess::Read | FileAccess::Delete,
                             FileShare::Read | FileShare::Delete);
  ASSERT_TRUE(renaming);
  EXPECT_EQ(renaming->RenameTo(Path("target")).Error(), ErrorAccessDenied);
  held.reset();

  if (env().EnforcesReadOnly()) {
    ASSERT_TRUE(sys().SetAttributes(Path("target"), AttrReadOnly));
    EXPECT_EQ(renaming->RenameTo(Path("target")).Error(), ErrorAccessDenied);
    EXPECT_EQ(sys().ReplaceFile(Path("new"), Path("target")).Error(), ErrorAccessDenied);
    ASSERT_TRUE(sys().SetAttributes(Path("target"), AttrNormal));
  }
  EXPECT_TRUE(renaming->RenameTo(Path("target")));
  renaming.reset();
  EXPECT_EQ(ReadText(Path("target")), "new");
  EXPECT_EQ(sys().GetAttributes(Path("new")).Error(), ErrorFileNotFound);
}

TEST_F(PlatformContract, ReplaceAndSystemCopyPutWholeFilesInPlace) {
  WriteText(Path("target.ini"), "old contents");
  WriteText(Path("target.tmp"), "new contents");
  ASSERT_TRUE(sys().ReplaceFile(Path("target.tmp"), Path("target.ini")));
  EXPECT_EQ(ReadText(Path("target.ini")), "new contents");
  EXPECT_EQ(sys().GetAttributes(Path("target.tmp")).Error(), ErrorFileNotFound);
  EXPECT_EQ(sys().ReplaceFile(Path("target.tmp"), Path("target.ini")).Error(), ErrorFileNotFound);

  WriteText(Path("source.txt"), "source text");
  env().SetWriteTime(Path("source.txt"), {2010, 7, 8, 9, 10, 12});
  WriteText(Path("copy.txt"), "older");
  EXPECT_EQ(sys().SystemCopy(Path("source.txt"), Path("copy.txt"), true).Error(),
            ErrorFileExists);
  EXPECT_EQ(ReadText(Path("copy.txt")), "older");
  ASSERT_TRUE(sys().SystemCopy(Path("source.txt"), Path("copy.txt"), false));
  EXPECT_EQ(ReadText(Path("copy.txt")), "source text");
  EXPECT_EQ(Entry(Path("copy.txt")).lastWrite, Entry(Path("source.txt")).lastWrite);
  if (env().EnforcesReadOnly()) {
    ASSERT_TRUE(sys().SetAttributes(Path("copy.txt"), AttrReadOnly));
    EXPECT_EQ(sys().SystemCopy(Path("source.txt"), Path("copy.txt"), false).Error(),
              ErrorAccessDenied);
    ASSERT_TRUE(sys().SetAttributes(Path("copy.txt"), AttrNormal));
  }
  EXPECT_EQ(sys().SystemCopy(Path("missing.txt"), Path("copy2.txt"), false).Error(),
            ErrorFileNotFound);
}

// ---- dates --------------------------------------------------------------------------------

TEST_F(PlatformContract, PackedDatesAndExactTimesRoundTrip) {
  const std::string path = Path("dated.txt");
  WriteText(path, "content");
  const int32_t date = sys().PackLocalTime({2001, 2, 3, 4, 5, 6});
  {
    FileHandle file = Open(path, FileAccess::Read | FileAccess::Write, FileShare::Read);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->SetPackedDate(date));
    EXPECT_EQ(file->PackedDate().ValueOr(0), date);
    EXPECT_FALSE(file->SetPackedDate(MissingFileDate));
  }
  EXPECT_EQ(Entry(path).packedDate, date);

  // The search's exact time is the handle's, to the unit, and a time set
  // through the handle comes back unchanged.
  FileHandle file = Open(path, FileAccess::Read | FileAccess::Write, FileShare::Read);
  ASSERT_TRUE(file);
  const Result<FileStamp> stamp = file->Stamp();
  ASSERT_TRUE(stamp);
  EXPECT_EQ(stamp->lastWrite, Entry(path).lastWrite);
  FileStamp odd;
  odd.lastWrite = stamp->lastWrite + 26234567;  // 2.6234567 s later
  ASSERT_TRUE(file->SetStamp(odd));
  file.reset();
  EXPECT_EQ(Entry(path).lastWrite, odd.lastWrite);
  EXPECT_EQ(Entry(path).packedDate, date + 1);  // two seconds later, packed
}

TEST_F(PlatformContract, FileDatesOutsideTheDosRangeClampInsteadOfGoingMissing) {
  struct Case {
    const char* name;
    CivilTime time;
    int32_t expected;
  };
  const Case cases[] = {
      {"old.txt", {1975, 5, 5, 12, 0, 0}, OldestPackedDate},
      {"ancient.txt", {1601, 1, 2, 0, 0, 0}, OldestPackedDate},
      {"future.txt", {2150, 5, 5, 12, 0, 0}, NewestPackedDate},
  };
  for (const Case& c : cases) {
    const std::string path = Path(c.name);
    WriteText(path, "dated");
    env().SetWriteTime(path, c.time);
    EXPECT_EQ(Entry(path).packedDate, c.expected) << c.name;
    FileHandle file = Open(path, FileAccess::Read, FileShare::Read);
    ASSERT_TRUE(file) << c.name;
    EXPECT_EQ(file->PackedDate().ValueOr(0), c.expected) << c.name;
  }
}

TEST_F(PlatformContract, PackLocalTimePacksClampsAndRefusesDaysThatDoNotExist) {
  const auto packed = [](int year, int month, int day, int hour, int minute, int second) {
    return static_cast<int32_t>((static_cast<uint32_t>(year - 1980) << 25) |
                                (static_cast<uint32_t>(month) << 21) |
                                (static_cast<uint32_t>(day) << 16) |
                                (static_cast<uint32_t>(hour) << 11) |
                                (static_cast<uint32_t>(minute) << 5) |
                                static_cast<uint32_t>(second / 2));
  };
  struct Case {
    CivilTime time;
    int32_t expected;
  };
  const Case cases[] = {
      {{2020, 6, 15, 12, 34, 56}, packed(2020, 6, 15, 12, 34, 56)},
      {{2020, 6, 15, 12, 34, 57}, packed(2020, 6, 15, 12, 34, 56)},  // two-second units
      {{1980, 1, 1, 0, 0, 0}, OldestPackedDate},
      {{2107, 12, 31, 23, 59, 59}, NewestPackedDate},
      {{1979, 12, 31, 23, 59, 59}, OldestPackedDate},
      {{1601, 1, 1, 0, 0, 0}, OldestPackedDate},
      {{2108, 1, 1, 0, 0, 0}, NewestPackedDate},
      {{2024, 2, 29, 23, 0, 0}, packed(2024, 2, 29, 23, 0, 0)},
      {{2023, 2, 29, 23, 0, 0}, MissingFileDate},  // no such day
      {{2023, 4, 31, 12, 0, 0}, MissingFileDate},
      {{2023, 13, 1, 12, 0, 0}, MissingFileDate},
      {{2023, 1, 1, 24, 0, 0}, MissingFileDate},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sys().PackLocalTime(c.time), c.expected)
        << c.time.year << "-" << c.time.month << "-" << c.time.day << " " << c.time.hour << ":"
        << c.time.minute << ":" << c.time.second;
  }
  // One hour is 2048 packed units.
  EXPECT_EQ(sys().PackLocalTime({2000, 1, 1, 1, 0, 0}) - sys().PackLocalTime({2000, 1, 1, 0, 0, 0}),
            2048);
}

// ---- names ----------------------------------------------------------------------------------

// Trailing dots and blanks, device names and (where the file system holds
// them) names that are not valid UTF-16 are ordinary names: created, found,
// read, copied, renamed and removed under exactly the name given.
TEST_F(PlatformContract, NamesTheSystemWouldRewriteAreOrdinaryNames) {
  std::vector<std::string> names = {"name.", "trail ", "dots..", "aux.c", "con.txt", "nul",
                                    "com1.log", "lpt1"};
  if (env().HoldsUnpairedSurrogates()) names.push_back("half\xED\xA0\x80.txt");
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const std::string path = Path(name);
    WriteText(path, "odd " + name);
    EXPECT_EQ(ReadText(path), "odd " + name);
    EXPECT_EQ(Entry(path).name, name);
    EXPECT_TRUE(sys().GetAttributes(path));
    ASSERT_TRUE(sys().SystemCopy(path, Path("copy of ") + name, true));
    EXPECT_EQ(ReadText(Path("copy of ") + name), "odd " + name);
  }
  std::set<std::string> expected = {".", ".."};
  for (const std::string& name : names) {
    expected.insert(name);
    expected.insert("copy of " + name);
  }
  EXPECT_EQ(Names(Search(Path("*"))), expected);
  // "name." and "name" are two files; so are "trail " and "trail".
  WriteText(Path("name"), "plain");
  EXPECT_EQ(ReadText(Path("name.")), "odd name.");
  EXPECT_TRUE(sys().ReplaceFile(Path("trail "), Path("trail")));
  EXPECT_EQ(ReadText(Path("trail")), "odd trail ");
  EXPECT_EQ(sys().GetAttributes(Path("trail ")).Error(), ErrorFileNotFound);
  ASSERT_TRUE(sys().CreateDir(Path("folder.")));
  EXPECT_TRUE(sys().GetAttributes(Path("folder.")).ValueOr(0) & AttrDirectory);
  for (const std::string& name : names) {
    if (name != "trail ") {
      EXPECT_TRUE(sys().RemoveFile(Path(name))) << name;
    }
  }
}

TEST_F(PlatformContract, PathsBeyondTheClassicLimitWorkEverywhere) {
  std::string dir = root_;
  for (int level = 0; level < 5; ++level) dir += std::string(55, char('a' + level)) + "\\";
  ASSERT_GT(dir.size(), 280u);

  int32_t created = 0;
  int32_t code = -1;
  CreateSubDir(dir, created, code);
  EXPECT_EQ(code, SubDirCreated);
  EXPECT_EQ(created, 5);
  EXPECT_TRUE(DirectoryExists(dir));

  const std::string file = dir + "long-file-name.txt";
  WriteText(file, "far down");
  EXPECT_EQ(ReadText(file), "far down");
  const int32_t date = sys().PackLocalTime({2012, 12, 12, 12, 12, 12});
  {
    FileHandle handle = Open(file, FileAccess::Write, FileShare::Read);
    ASSERT_TRUE(handle);
    ASSERT_TRUE(handle->SetPackedDate(date));
  }
  std::vector<DirEntry> found = Search(dir + "*.txt");
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].name, "long-file-name.txt");
  EXPECT_EQ(found[0].size, 8u);
  EXPECT_EQ(found[0].packedDate, date);

  ASSERT_TRUE(sys().SystemCopy(file, dir + "copy.txt", true));
  ASSERT_TRUE(sys().SetAttributes(dir + "copy.txt", AttrReadOnly));
  EXPECT_TRUE(sys().GetAttributes(dir + "copy.txt").ValueOr(0) & AttrReadOnly);
  ASSERT_TRUE(sys().SetAttributes(dir + "copy.txt", AttrNormal));
  EXPECT_TRUE(sys().RemoveFile(dir + "copy.txt"));

  // A directory date copies onto a long destination path as well.
  const std::string other = dir + std::string(40, 'z') + "\\";
  CreateSubDir(other, created, code);
  ASSERT_EQ(code, SubDirCreated);
  env().SetWriteTime(dir, {2005, 5, 5, 5, 5, 6});
  EXPECT_TRUE(CopyDirDate(dir, other));
  EXPECT_EQ(Entry(StripTrailingBackslashes(other)).packedDate,
            Entry(StripTrailingBackslashes(dir)).packedDate);
}

TEST_F(PlatformContract, NamesOutsideTheAnsiCodePageAreFoundAndDated) {
  const std::string name = "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC-"
                           "\xE6\xBC\xA2\xE5\xAD\x97-\xC3\x9F.txt";  // Ελληνικά-漢字-ß
  const std::string path = Path(name);
  WriteText(path, "unicode");
  EXPECT_EQ(ReadText(path), "unicode");
  std::vector<DirEntry> all = Search(Path("*.txt"));
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].name, name);
  EXPECT_EQ(Entry(path).name, name);

  const int32_t date = sys().PackLocalTime({1999, 9, 9, 9, 9, 10});
  {
    FileHandle file = Open(path, FileAccess::Read | FileAccess::Write, FileShare::Read);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->SetPackedDate(date));
    EXPECT_EQ(file->PackedDate().ValueOr(0), date);
  }
  EXPECT_EQ(Entry(path).packedDate, date);

  // A directory with such a name, created level by level.
  const std::string dir = Path("\xD0\x9A\xD0\xB8\xD1\x80\xD0\xB8\xD0\xBB\xD0\xBB\xD0\xB8\xD1\x86"
                               "\xD0\xB0\\\xE6\x97\xA5\xE6\x9C\xAC\\");  // Кириллица, 日本
  int32_t created = 0;
  int32_t code = -1;
  CreateSubDir(dir, created, code);
  EXPECT_EQ(code, SubDirCreated);
  EXPECT_EQ(created, 2);
  EXPECT_TRUE(DirectoryExists(dir));
  ASSERT_TRUE(sys().SystemCopy(path, dir + name, true));
  EXPECT_EQ(ReadText(dir + name), "unicode");
}

// ---- unbuffered access ------------------------------------------------------------------------

TEST_F(PlatformContract, UnbufferedIoWorksOnPageAlignedBuffersThatComeZeroed) {
  const uint32_t sector = sys().Geometry(root_[0]).ValueOr(DriveGeometry{512, 4096}).bytesPerSector;
  const uint32_t size = 8 * 4096;
  Result<std::unique_ptr<PageBuffer>> out = sys().AllocatePages(size);
  Result<std::unique_ptr<PageBuffer>> in = sys().AllocatePages(size);
  ASSERT_TRUE(out && in);
  for (PageBuffer* buffer : {out->get(), in->get()}) {
    EXPECT_EQ(buffer->Size(), size);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(buffer->Data()) % 4096, 0u);
    uint32_t nonZero = 0;
    for (uint32_t k = 0; k < size; ++k) nonZero += buffer->Data()[k] != 0;
    EXPECT_EQ(nonZero, 0u);
  }
  uint8_t* const written = (*out)->Data();
  uint8_t* const read = (*in)->Data();
  for (uint32_t i = 0; i < size; ++i) written[i] = static_cast<uint8_t>(i * 7 + i / 251);

  const std::string path = Path("unbuffered.bin");
  const FileFlags unbuffered = FileFlags::NoBuffering | FileFlags::SequentialScan;
  {
    Result<FileHandle> file =
        sys().OpenFile(path, FileAccess::Read | FileAccess::Write,
                       FileShare::Read | FileShare::Write, FileDisposition::CreateAlways,
                       unbuffered | FileFlags::WriteThrough);
    ASSERT_TRUE(file) << file.Error();
    EXPECT_EQ((*file)->Write(written, size).ValueOr(0), size);
    // Read back through the same handle from a sector-aligned position.
    ASSERT_TRUE((*file)->Seek(sector));
    EXPECT_EQ((*file)->Read(read, size - sector).ValueOr(0), size - sector);
    EXPECT_EQ(std::memcmp(read, written + sector, size - sector), 0);
  }
  Result<FileHandle> file =
      sys().OpenFile(path, FileAccess::Read, FileShare::Read | FileShare::Write | FileShare::Delete,
                     FileDisposition::OpenExisting, unbuffered);
  ASSERT_TRUE(file) << file.Error();
  std::memset(read, 0, size);
  EXPECT_EQ((*file)->Read(read, size).ValueOr(0), size);
  EXPECT_EQ(std::memcmp(read, written, size), 0);
  EXPECT_EQ(sys().AllocatePages(0).Error(), ErrorInvalidParameter);
}

}  // namespace
}  // namespace plovik::contract
