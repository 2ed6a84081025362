// The inside of the fake platform: the system that its processes share
// (file system, drives, connections, named mutexes, clock) and the rules of
// names, letter case and time it applies. Only the fake's own sources
// include this.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "support/FakePlatform.h"

namespace plovik::test::fake {

// ---- names and letter case ------------------------------------------------------

// A drive letter in upper case.
char UpperLetter(char letter);
// A name as the file system compares it: each 16-bit unit upper-cased by
// the Unicode table (characters beyond 16 bits and unpaired surrogates
// stay as they are, as Windows keeps them).
std::string NameKey(const std::string& name);
// A text upper-cased by the Unicode table, every character.
std::string UpperText(const std::string& text);
// A name of one level: not empty, no control character, none of <>:"/\|?*,
// not "." or "..", at most 255 UTF-16 units. Trailing dots and blanks and
// device names are allowed.
bool ValidName(const std::string& name);
// Whether a name is a valid 8.3 name (letter case aside): such a name has
// no short name of its own.
bool IsShortName(const std::string& name);
// The short name the system forms for a long name, with the number n
// ("LONGFI~1.TXT").
std::string ShortNameFor(const std::string& name, int n);
// Windows wildcard matching of a directory search ("*", "?", and the DOS
// forms of "*", "?" and "." that the system makes of them), ignoring case.
bool WildcardMatch(const std::string& name, const std::string& pattern);
// Windows-1252, as the ANSI code page of the fake.
std::optional<std::string> ToCp1252(const std::string& text);
std::string FromCp1252(const std::string& bytes);

// ---- time ----------------------------------------------------------------------------

// File times are 100 ns units since 1601-01-01, in the fake's only time
// zone (local time is UTC).
constexpr uint64_t TicksPerMillisecond = 10000;
uint64_t TicksOfCivil(const CivilTime& time, int milliseconds = 0);
CivilTime CivilOfTicks(uint64_t ticks);
// A packed date as a file time; 0 for a value that names no date.
uint64_t TicksOfPacked(int32_t packed);
// A file time packed; times outside the format's range clamp to its ends.
int32_t PackedOfTicks(uint64_t ticks);
// Whether a civil time names a real moment (month, day and time in range).
bool ValidCivil(const CivilTime& time);

// ---- the file system --------------------------------------------------------------------

struct OpenRecord {
  FileAccess access;
  FileShare share;
};

struct Node;
using NodePtr = std::shared_ptr<Node>;

struct Node {
  std::string name;       // as created, letter case kept
  std::string shortName;  // the 8.3 alias; empty when the name is one itself
  bool dir = false;
  std::string content;
  uint64_t lastWrite = 0;
  uint32_t attributes = 0;
  std::map<std::string, NodePtr> children;  // by NameKey
  std::vector<const OpenRecord*> opens;
};

// A path taken apart: the root (drive "X:" or share "\\SERVER\SHARE") and
// the names below it.
struct ParsedPath {
  uint32_t error = 0;
  char drive = 0;        // upper-case letter, or 0 for a share
  std::string rootKey;   // "C:" or the share's NameKey
  std::vector<std::string> parts;
  bool trailingBackslash = false;
  std::string Key() const;
};

// One fake process: what it was started with and what it holds.
struct Process {
  int id = 0;
  bool alive = true;
  std::string commandLine;
  std::string modulePath;
  std::string currentDirectory = "C:\\";
  std::map<std::string, std::pair<std::string, std::string>> environment;  // by upper name
  uint16_t languageId = 0;
  int pendingMessages = 0;
};

struct MutexObject {
  int owner = 0;  // process id, 0 when free
  int recursion = 0;
  bool abandoned = false;
};

struct State {
  std::map<char, FakeDrive> drives;
  std::map<std::string, NodePtr> roots;  // by root key
  std::map<std::string, FakeNetConnection> connections;  // by upper-cased local name
  std::map<std::string, std::weak_ptr<MutexObject>> mutexes;  // by exact name
  int64_t wallMs = 0;   // the time of day, milliseconds since 1970
  uint64_t tickMs = 0;  // the steady clock
  int nextProcessId = 1;

  std::vector<std::string> netAddCalls;
  std::vector<BeepKind> beeps;
  int systemCopies = 0;
  int namedStreamQueries = 0;
  int driveTypeQueries = 0;
  int openFiles = 0;
  int openSearches = 0;
  int allocatedBuffers = 0;

  // Faults, by path key.
  std::set<std::string> locked;
  std::map<std::string, uint32_t> failOpen, failCreateDir, failSetAttributes,
      failGetAttributes, failSetDate, failSystemCopy;
  std::map<std::string, std::pair<uint64_t, uint32_t>> failRead, failWrite, failSearch;
  std::map<std::string, uint64_t> shortWrite;
  std::set<std::string> corruptReadBack;
  std::set<std::string> namedStreams;
  int failAllocations = 0;
  uint32_t failAllocationError = 0;

  uint64_t ClockTicks() const;
  int32_t ClockPacked() const;
  // Lets time pass: the time of day and the steady clock.
  void Advance(uint64_t milliseconds);

  FakeDrive* DriveOf(const ParsedPath& path);
  // The error of reaching the root of a path at all (0 when it can be used).
  uint32_t RootError(const ParsedPath& path);
  bool WriteProtected(const ParsedPath& path);
  uint32_t SectorSizeOf(char driveLetter);
  // The directory that holds the last part of a path (the root's own
  // "parent" is null) and the node of that part (null when missing). Fails
  // with 3 when a level on the way is missing.
  uint32_t Locate(const ParsedPath& path, NodePtr& parent, NodePtr& node);
  // Set-up access that ignores readiness: the root of a path or null.
  NodePtr SetupRoot(const ParsedPath& path);
  NodePtr FindForInspection(const std::string& text);
  // Free bytes of a path's drive; shares have room without limit.
  int64_t FreeBytes(const ParsedPath& path);
  // The bytes a file of that size takes on a path's drive: whole clusters
  // on a drive that allocates them.
  int64_t BytesTaken(const ParsedPath& path, uint64_t size);
  // Files a node to its parent under its name, with a fresh short name.
  void AddChild(Node& parent, const NodePtr& child);
  void RemoveChild(Node& parent, const Node& child);
  // The mutexes the process owns become free and abandoned.
  void AbandonMutexesOf(int processId);

  template <typename Map>
  static auto FaultOf(const Map& map, const std::string& key) -> const typename Map::mapped_type* {
    auto it = map.find(key);
    return it == map.end() ? nullptr : &it->second;
  }
};

// A child of a directory by its name or by its short name.
NodePtr FindChild(const Node& dir, const std::string& name);

// Takes a path apart. A path that is not absolute is made absolute against
// the current directory first, the way the system resolves relative paths;
// an absolute one is taken exactly as given.
ParsedPath ParsePath(const std::string& text, const std::string& currentDirectory);
// The absolute form of a typed path (FullPathName): relative paths against
// the current directory, "." and ".." resolved, "/" made "\", trailing dots
// and blanks of the last name removed.
Result<std::string> FullPath(const std::string& text, const std::string& currentDirectory);

// The root of an absolute path with its backslash ("C:\\", "\\\\srv\\share\\").
std::string RootText(const std::string& absolutePath);

uint32_t ReportedAttributes(const Node& node);
DirEntry EntryOf(const std::string& name, const Node& node);

bool SharingConflict(const Node& node, FileAccess access, FileShare share);
// Another open of the node (than the one that asks) without delete sharing.
bool OpenWithoutDeleteSharing(const Node& node, const OpenRecord* self = nullptr);
// Renames a file or directory, replacing a file at the target. self is the
// open through which a file renames itself, if any.
uint32_t MoveNode(State& state, const ParsedPath& from, const ParsedPath& to,
                  const OpenRecord* self);

std::unique_ptr<File> MakeFakeFile(std::shared_ptr<State> state, NodePtr node, ParsedPath path,
                                   FileAccess access, FileShare share, FileFlags flags,
                                   const std::string& currentDirectory);
// A search that delivers the entries, or fails with fault.second once it
// has delivered fault.first of them.
std::unique_ptr<DirSearch> MakeFakeSearch(std::shared_ptr<State> state,
                                          std::vector<DirEntry> entries,
                                          std::optional<std::pair<uint64_t, uint32_t>> fault);
std::unique_ptr<PageBuffer> MakeFakePageBuffer(std::shared_ptr<State> state, uint32_t size);
std::unique_ptr<NamedMutex> MakeFakeMutex(std::shared_ptr<State> state,
                                          std::shared_ptr<Process> process,
                                          std::shared_ptr<MutexObject> object);
// The object behind a fake mutex of this state, or null.
std::shared_ptr<MutexObject> ObjectOf(NamedMutex* mutex, const State& state);

}  // namespace plovik::test::fake
