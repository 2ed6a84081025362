// The fake platform's set-up, inspection and faults, and its file system.
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "lib/PackedDate.h"
#include "support/FakeSystem.h"

namespace plovik::test {

using fake::FindChild;
using fake::Node;
using fake::NodePtr;
using fake::ParsedPath;
using fake::State;

namespace {

// Attribute bits SetFileAttributes can change.
constexpr uint32_t SettableAttributes = AttrReadOnly | AttrHidden | AttrSystem | AttrArchive |
                                        AttrTemporary | AttrOffline | AttrNotContentIndexed;

NodePtr NewNode(const std::string& name, bool dir, uint64_t lastWrite, uint32_t attributes) {
  auto node = std::make_shared<Node>();
  node->name = name;
  node->dir = dir;
  node->lastWrite = lastWrite;
  node->attributes = attributes;
  return node;
}

// Creates the missing directories of a path (dated by the clock); the
// directory itself, or null when the path cannot be made.
NodePtr EnsureDir(State& state, const std::string& text) {
  ParsedPath path = fake::ParsePath(text, "C:\\");
  NodePtr current = state.SetupRoot(path);
  if (!current) {
    ADD_FAILURE() << "no fake drive or share for " << text;
    return nullptr;
  }
  for (const auto& part : path.parts) {
    NodePtr child = FindChild(*current, part);
    if (!child) {
      child = NewNode(part, true, state.ClockTicks(), AttrDirectory);
      state.AddChild(*current, child);
    } else if (!child->dir) {
      ADD_FAILURE() << "a file is in the way of " << text;
      return nullptr;
    }
    current = child;
  }
  return current;
}

// A search's pattern as faults are filed: its directory's key and its
// wildcard, letter case aside.
std::string SearchKey(const std::string& directoryKey, const std::string& wildcard) {
  return directoryKey + "\\" + fake::NameKey(wildcard);
}

std::string FaultKey(const std::string& path) {
  ParsedPath parsed = fake::ParsePath(path, "C:\\");
  if (parsed.error != 0) ADD_FAILURE() << "fault on a malformed path: " << path;
  return parsed.Key();
}

}  // namespace

uint64_t FakeFileTime(int32_t packedDate) { return fake::TicksOfPacked(packedDate); }
uint64_t FakeFileTime(const CivilTime& time) { return fake::TicksOfCivil(time); }

// ---- set-up --------------------------------------------------------------------

FakePlatform::FakePlatform() : FakePlatform(std::make_shared<State>()) {
  CivilTime start;
  start.year = 2020;
  start.month = 6;
  start.day = 15;
  start.hour = 12;
  SetClock(PackDate(start.year, start.month, start.day, start.hour, 0, 0));
  AddDrive('C');
}

FakeDrive& FakePlatform::AddDrive(char letter, const FakeDrive& drive) {
  const char upper = fake::UpperLetter(letter);
  state_->drives[upper] = drive;
  const std::string key = std::string(1, upper) + ":";
  if (!state_->roots.count(key))
    state_->roots[key] = NewNode(key + "\\", true, state_->ClockTicks(), AttrDirectory);
  return state_->drives[upper];
}

FakeDrive& FakePlatform::Drive(char letter) {
  auto it = state_->drives.find(fake::UpperLetter(letter));
  if (it == state_->drives.end()) {
    ADD_FAILURE() << "no fake drive " << letter;
    return AddDrive(letter);
  }
  return it->second;
}

void FakePlatform::AddShare(const std::string& root) {
  ParsedPath path = fake::ParsePath(root, "C:\\");
  if (path.error != 0 || path.drive != 0 || !path.parts.empty()) {
    ADD_FAILURE() << "not a share root: " << root;
    return;
  }
  if (!state_->roots.count(path.rootKey))
    state_->roots[path.rootKey] = NewNode(root, true, state_->ClockTicks(), AttrDirectory);
}

void FakePlatform::MakeDir(const std::string& text, std::optional<int32_t> date,
                           uint32_t attributes) {
  NodePtr dir = EnsureDir(*state_, text);
  if (!dir) return;
  if (date) dir->lastWrite = fake::TicksOfPacked(*date);
  dir->attributes = attributes | AttrDirectory;
}

void FakePlatform::MakeFile(const std::string& text, const std::string& content,
                            std::optional<int32_t> date, uint32_t attributes) {
  ParsedPath path = fake::ParsePath(text, "C:\\");
  if (path.error != 0 || path.parts.empty()) {
    ADD_FAILURE() << "not a file path: " << text;
    return;
  }
  std::string parentText = path.rootKey + "\\";
  for (size_t i = 0; i + 1 < path.parts.size(); ++i) parentText += path.parts[i] + "\\";
  NodePtr parent = EnsureDir(*state_, parentText);
  if (!parent) return;
  NodePtr node = FindChild(*parent, path.parts.back());
  if (node && node->dir) {
    ADD_FAILURE() << "a directory is in the way of " << text;
    return;
  }
  if (!node) {
    node = NewNode(path.parts.back(), false, 0, 0);
    state_->AddChild(*parent, node);
  }
  node->content = content;
  node->lastWrite = date ? fake::TicksOfPacked(*date) : state_->ClockTicks();
  node->attributes = attributes & ~uint32_t(AttrDirectory);
}

void FakePlatform::SetDate(const std::string& path, int32_t date) {
  SetWriteTime(path, fake::TicksOfPacked(date));
}

void FakePlatform::SetWriteTime(const std::string& path, uint64_t ticks) {
  NodePtr node = state_->FindForInspection(path);
  if (!node) {
    ADD_FAILURE() << "no such fake path: " << path;
    return;
  }
  node->lastWrite = ticks;
}

void FakePlatform::SetShortName(const std::string& path, const std::string& shortName) {
  const size_t slash = path.rfind('\\');
  NodePtr parent = state_->FindForInspection(path.substr(0, slash + 1));
  NodePtr node = state_->FindForInspection(path);
  if (!parent || !node || slash == std::string::npos) {
    ADD_FAILURE() << "no such fake path: " << path;
    return;
  }
  NodePtr holder = FindChild(*parent, shortName);
  if (holder && holder != node) {
    ADD_FAILURE() << shortName << " is taken in " << path;
    return;
  }
  node->shortName = shortName;
}

void FakePlatform::SetClock(int32_t packedDate) {
  const uint64_t ticks = fake::TicksOfPacked(packedDate);
  // Milliseconds since 1601 less those up to 1970.
  state_->wallMs = static_cast<int64_t>(ticks / fake::TicksPerMillisecond) - 11644473600000;
}

int32_t FakePlatform::Clock() const { return state_->ClockPacked(); }

void FakePlatform::AdvanceClock(int units) {
  constexpr int64_t MillisecondsPerUnit = 2000;
  if (units >= 0) {
    state_->Advance(static_cast<uint64_t>(units) * MillisecondsPerUnit);
  } else {
    state_->wallMs += units * MillisecondsPerUnit;  // only the time of day goes back
  }
}

void FakePlatform::SetNetConnection(const std::string& local,
                                    const FakeNetConnection& connection) {
  state_->connections[fake::UpperText(local)] = connection;
}

// ---- inspection ---------------------------------------------------------------

bool FakePlatform::Exists(const std::string& path) const {
  return state_->FindForInspection(path) != nullptr;
}

bool FakePlatform::IsDir(const std::string& path) const {
  NodePtr node = state_->FindForInspection(path);
  return node && node->dir;
}

std::string FakePlatform::Content(const std::string& path) const {
  NodePtr node = state_->FindForInspection(path);
  return node ? node->content : std::string();
}

int32_t FakePlatform::Date(const std::string& path) const {
  NodePtr node = state_->FindForInspection(path);
  return node ? fake::PackedOfTicks(node->lastWrite) : MissingFileDate;
}

uint64_t FakePlatform::WriteTime(const std::string& path) const {
  NodePtr node = state_->FindForInspection(path);
  return node ? node->lastWrite : 0;
}

uint32_t FakePlatform::Attributes(const std::string& path) const {
  NodePtr node = state_->FindForInspection(path);
  return node ? fake::ReportedAttributes(*node) : 0xFFFFFFFFu;
}

std::string FakePlatform::ShortName(const std::string& path) const {
  NodePtr node = state_->FindForInspection(path);
  return node ? node->shortName : std::string();
}

std::vector<std::string> FakePlatform::List(const std::string& directory) const {
  std::vector<std::string> names;
  NodePtr node = state_->FindForInspection(directory);
  if (node) {
    for (const auto& [key, child] : node->children) names.push_back(child->name);
  }
  return names;
}

std::vector<std::string> FakePlatform::Tree(const std::string& root) const {
  std::vector<std::string> paths;
  NodePtr node = state_->FindForInspection(root);
  if (!node) return paths;
  std::function<void(const std::string&, const Node&)> walk = [&](const std::string& path,
                                                                  const Node& current) {
    if (!current.dir) {
      paths.push_back(path);
      return;
    }
    const std::string dirPath = path.empty() || path.back() != '\\' ? path + "\\" : path;
    paths.push_back(dirPath);
    for (const auto& [key, child] : current.children) walk(dirPath + child->name, *child);
  };
  walk(root, *node);
  return paths;
}

int FakePlatform::OpenFiles() const { return state_->openFiles; }
int FakePlatform::OpenSearches() const { return state_->openSearches; }
int FakePlatform::AllocatedBuffers() const { return state_->allocatedBuffers; }
const std::vector<BeepKind>& FakePlatform::Beeps() const { return state_->beeps; }
std::vector<std::string> FakePlatform::NetAddCalls() const { return state_->netAddCalls; }
int FakePlatform::SystemCopies() const { return state_->systemCopies; }
int FakePlatform::NamedStreamQueries() const { return state_->namedStreamQueries; }
int FakePlatform::DriveTypeQueries() const { return state_->driveTypeQueries; }

// ---- faults --------------------------------------------------------------------

void FakePlatform::LockFile(const std::string& path, bool locked) {
  if (locked) {
    state_->locked.insert(FaultKey(path));
  } else {
    state_->locked.erase(FaultKey(path));
  }
}
void FakePlatform::FailOpen(const std::string& path, uint32_t error) {
  state_->failOpen[FaultKey(path)] = error;
}
void FakePlatform::FailRead(const std::string& path, uint64_t offset, uint32_t error) {
  state_->failRead[FaultKey(path)] = {offset, error};
}
void FakePlatform::FailWrite(const std::string& path, uint64_t offset, uint32_t error) {
  state_->failWrite[FaultKey(path)] = {offset, error};
}
void FakePlatform::ShortWrite(const std::string& path, uint64_t offset) {
  state_->shortWrite[FaultKey(path)] = offset;
}
void FakePlatform::CorruptReadBack(const std::string& path) {
  state_->corruptReadBack.insert(FaultKey(path));
}
void FakePlatform::FailCreateDir(const std::string& path, uint32_t error) {
  state_->failCreateDir[FaultKey(path)] = error;
}
void FakePlatform::FailSetAttributes(const std::string& path, uint32_t error) {
  state_->failSetAttributes[FaultKey(path)] = error;
}
void FakePlatform::FailGetAttributes(const std::string& path, uint32_t error) {
  state_->failGetAttributes[FaultKey(path)] = error;
}
void FakePlatform::FailSetDate(const std::string& path, uint32_t error) {
  state_->failSetDate[FaultKey(path)] = error;
}
void FakePlatform::FailAllocations(int count, uint32_t error) {
  state_->failAllocations = count;
  state_->failAllocationError = error;
}
void FakePlatform::FailSystemCopy(const std::string& src, uint32_t error) {
  state_->failSystemCopy[FaultKey(src)] = error;
}
void FakePlatform::FailSearch(const std::string& pattern, size_t afterEntries,
                              uint32_t error) {
  if (afterEntries == 0) ADD_FAILURE() << "a search delivers its first entry when it starts";
  const size_t slash = pattern.rfind('\\');
  if (slash == std::string::npos) ADD_FAILURE() << "a search pattern without a directory";
  state_->failSearch[SearchKey(FaultKey(pattern.substr(0, slash + 1)), pattern.substr(slash + 1))] =
      {afterEntries, error};
}
void FakePlatform::MarkNamedStreams(const std::string& path) {
  state_->namedStreams.insert(FaultKey(path));
}
void FakePlatform::ClearFaults() {
  State& s = *state_;
  s.locked.clear();
  s.failOpen.clear();
  s.failCreateDir.clear();
  s.failSetAttributes.clear();
  s.failGetAttributes.clear();
  s.failSetDate.clear();
  s.failSystemCopy.clear();
  s.failRead.clear();
  s.failWrite.clear();
  s.failSearch.clear();
  s.shortWrite.clear();
  s.corruptReadBack.clear();
  s.failAllocations = 0;
  s.failAllocationError = 0;
}

// ---- the file system ---------------------------------------------------------------

Result<std::unique_ptr<DirSearch>> FakePlatform::StartSearch(const std::string& pattern) {
  const size_t slash = pattern.rfind('\\');
  if (slash == std::string::npos) return Failure(ErrorInvalidName);
  const std::string wildcard = pattern.substr(slash + 1);
  ParsedPath path = fake::ParsePath(pattern.substr(0, slash + 1), CurrentDirectory());
  NodePtr parent, node;
  uint32_t error = state_->Locate(path, parent, node);
  if (error == 0 && (!node || !node->dir)) error = ErrorPathNotFound;
  if (error == 0 && wildcard.empty()) error = ErrorFileNotFound;
  if (error != 0) return Failure(error);

  std::vector<DirEntry> entries;
  if (parent) {
    if (fake::WildcardMatch(".", wildcard)) entries.push_back(fake::EntryOf(".", *node));
    if (fake::WildcardMatch("..", wildcard)) entries.push_back(fake::EntryOf("..", *parent));
  }
  // A name matches by itself or by its short name, as the system matches.
  for (const auto& [key, child] : node->children) {
    if (fake::WildcardMatch(child->name, wildcard) ||
        (!child->shortName.empty() && fake::WildcardMatch(child->shortName, wildcard))) {
      entries.push_back(fake::EntryOf(child->name, *child));
    }
  }
  if (entries.empty()) return Failure(ErrorFileNotFound);
  std::optional<std::pair<uint64_t, uint32_t>> fault;
  if (auto injected = State::FaultOf(state_->failSearch, SearchKey(path.Key(), wildcard)))
    fault = *injected;
  return fake::MakeFakeSearch(state_, std::move(entries), fault);
}

Result<uint32_t> FakePlatform::GetAttributes(const std::string& text) {
  ParsedPath path = fake::ParsePath(text, CurrentDirectory());
  if (path.error == 0) {
    if (auto fault = State::FaultOf(state_->failGetAttributes, path.Key())) return Failure(*fault);
  }
  NodePtr parent, node;
  if (uint32_t error = state_->Locate(path, parent, node)) return Failure(error);
  if (!node) return Failure(ErrorFileNotFound);
  return fake::ReportedAttributes(*node);
}

Result<void> FakePlatform::SetAttributes(const std::string& text, uint32_t attributes) {
  ParsedPath path = fake::ParsePath(text, CurrentDirectory());
  NodePtr parent, node;
  if (uint32_t error = state_->Locate(path, parent, node)) return Failure(error);
  if (!node) return Failure(ErrorFileNotFound);
  if (auto fault = State::FaultOf(state_->failSetAttributes, path.Key())) return Failure(*fault);
  if (state_->WriteProtected(path)) return Failure(ErrorWriteProtect);
  const uint32_t kept = node->attributes & ~SettableAttributes & ~uint32_t(AttrNormal);
  node->attributes = kept | (attributes & SettableAttributes);
  if (node->dir) node->attributes |= AttrDirectory;
  return Success();
}

Result<void> FakePlatform::CreateDir(const std::string& text) {
  ParsedPath path = fake::ParsePath(text, CurrentDirectory());
  NodePtr parent, node;
  if (uint32_t error = state_->Locate(path, parent, node)) return Failure(error);
  if (auto fault = State::FaultOf(state_->failCreateDir, path.Key())) return Failure(*fault);
  if (!parent || node) return Failure(ErrorAlreadyExists);
  if (!fake::ValidName(path.parts.back())) return Failure(ErrorInvalidName);
  if (state_->WriteProtected(path)) return Failure(ErrorWriteProtect);
  if (state_->FreeBytes(path) == 0) return Failure(ErrorDiskFull);
  state_->AddChild(*parent, NewNode(path.parts.back(), true, state_->ClockTicks(), AttrDirectory));
  return Success();
}

Result<void> FakePlatform::RemoveDir(const std::string& text) {
  ParsedPath path = fake::ParsePath(text, CurrentDirectory());
  NodePtr parent, node;
  if (uint32_t error = state_->Locate(path, parent, node)) return Failure(error);
  if (!parent) return Failure(ErrorAccessDenied);  // a root
  if (!node) return Failure(ErrorFileNotFound);
  if (!node->dir) return Failure(ErrorDirectoryName);
  if (state_->WriteProtected(path)) return Failure(ErrorWriteProtect);
  if (!node->children.empty()) return Failure(ErrorDirNotEmpty);
  if (node->attributes & AttrReadOnly) return Failure(ErrorAccessDenied);
  if (fake::OpenWithoutDeleteSharing(*node)) return Failure(ErrorSharingViolation);
  state_->RemoveChild(*parent, *node);
  return Success();
}

namespace {

// Why an existing node cannot be opened as asked; 0 when it can.
uint32_t OpenRefusal(State& state, const ParsedPath& path, const Node& node, FileAccess access,
                     FileShare share, FileDisposition disposition, FileFlags flags) {
  const bool writes =
      Has(access, FileAccess::Write) || disposition == FileDisposition::CreateAlways;
  if (state.locked.count(path.Key())) return ErrorSharingViolation;
  if (node.dir) {
    if (!Has(flags, FileFlags::BackupSemantics) || disposition == FileDisposition::CreateAlways)
      return ErrorAccessDenied;
    if (Has(access, FileAccess::Write) && state.WriteProtected(path)) return ErrorWriteProtect;
    return fake::SharingConflict(node, access, share) ? uint32_t(ErrorSharingViolation) : 0u;
  }
  if (writes && state.WriteProtected(path)) return ErrorWriteProtect;
  if (writes && (node.attributes & AttrReadOnly)) return ErrorAccessDenied;
  // Replacing a hidden or system file needs those attributes in the request.
  if (disposition == FileDisposition::CreateAlways &&
      (node.attributes & (AttrHidden | AttrSystem)))
    return ErrorAccessDenied;
  return fake::SharingConflict(node, access, share) ? uint32_t(ErrorSharingViolation) : 0u;
}

}  // namespace

Result<FileHandle> FakePlatform::OpenFile(const std::string& text, FileAccess access,
                                          FileShare share, FileDisposition disposition,
                                          FileFlags flags) {
  ParsedPath path = fake::ParsePath(text, CurrentDirectory());
  NodePtr parent, node;
  if (uint32_t error = state_->Locate(path, parent, node)) return Failure(error);
  if (auto fault = State::FaultOf(state_->failOpen, path.Key())) return Failure(*fault);
  if (node) {
    if (uint32_t error = OpenRefusal(*state_, path, *node, access, share, disposition, flags))
      return Failure(error);
    if (disposition == FileDisposition::CreateAlways) {
      node->content.clear();
      node->attributes = AttrArchive;
      node->lastWrite = state_->ClockTicks();
    }
  } else {
    if (disposition == FileDisposition::OpenExisting || !parent)
      return Failure(ErrorFileNotFound);
    if (path.trailingBackslash || !fake::ValidName(path.parts.back()))
      return Failure(ErrorInvalidName);
    if (state_->WriteProtected(path)) return Failure(ErrorWriteProtect);
    node = NewNode(path.parts.back(), false, state_->ClockTicks(), AttrArchive);
    state_->AddChild(*parent, node);
  }
  return fake::MakeFakeFile(state_, node, path, access, share, flags, CurrentDirectory());
}

Result<void> FakePlatform::RemoveFile(const std::string& text) {
  ParsedPath path = fake::ParsePath(text, CurrentDirectory());
  NodePtr parent, node;
  if (uint32_t error = state_->Locate(path, parent, node)) return Failure(error);
  if (!node) return Failure(ErrorFileNotFound);
  if (node->dir) return Failure(ErrorAccessDenied);
  if (state_->WriteProtected(path)) return Failure(ErrorWriteProtect);
  if (node->attributes & AttrReadOnly) return Failure(ErrorAccessDenied);
  if (state_->locked.count(path.Key()) || fake::OpenWithoutDeleteSharing(*node))
    return Failure(ErrorSharingViolation);
  state_->RemoveChild(*parent, *node);
  return Success();
}

Result<void> FakePlatform::ReplaceFile(const std::string& fromText, const std::string& toText) {
  const std::string current = CurrentDirectory();
  return FromCode(fake::MoveNode(*state_, fake::ParsePath(fromText, current),
                                 fake::ParsePath(toText, current), nullptr));
}

namespace {

// Why the system copy cannot replace the file at its target; 0 when it can.
uint32_t CopyTargetRefusal(State& state, const ParsedPath& dst, const NodePtr& dstNode,
                           const NodePtr& srcNode, bool failIfExists) {
  if (failIfExists) return ErrorFileExists;
  if (dstNode == srcNode) return ErrorSharingViolation;
  if (dstNode->dir) return ErrorAccessDenied;
  if (state.WriteProtected(dst)) return ErrorWriteProtect;
  if (dstNode->attributes & (AttrReadOnly | AttrHidden)) return ErrorAccessDenied;
  if (state.locked.count(dst.Key()) ||
      fake::SharingConflict(*dstNode, FileAccess::Write, FileShare::None))
    return ErrorSharingViolation;
  return 0;
}

}  // namespace

Result<void> FakePlatform::SystemCopy(const std::string& srcText, const std::string& dstText,
                                      bool failIfExists) {
  ++state_->systemCopies;
  const std::string current = CurrentDirectory();
  ParsedPath src = fake::ParsePath(srcText, current);
  ParsedPath dst = fake::ParsePath(dstText, current);
  if (src.error == 0) {
    if (auto fault = State::FaultOf(state_->failSystemCopy, src.Key())) return Failure(*fault);
  }
  NodePtr srcParent, srcNode, dstParent, dstNode;
  if (uint32_t error = state_->Locate(src, srcParent, srcNode)) return Failure(error);
  if (!srcNode) return Failure(ErrorFileNotFound);
  if (srcNode->dir) return Failure(ErrorAccessDenied);
  if (state_->locked.count(src.Key()) ||
      fake::SharingConflict(*srcNode, FileAccess::Read, FileShare::Read | FileShare::Delete))
    return Failure(ErrorSharingViolation);
  if (uint32_t error = state_->Locate(dst, dstParent, dstNode)) return Failure(error);
  if (!dstParent) return Failure(ErrorAccessDenied);
  if (dstNode) {
    if (uint32_t error = CopyTargetRefusal(*state_, dst, dstNode, srcNode, failIfExists))
      return Failure(error);
  } else {
    if (!fake::ValidName(dst.parts.back())) return Failure(ErrorInvalidName);
    if (state_->WriteProtected(dst)) return Failure(ErrorWriteProtect);
  }
  const int64_t needed = state_->BytesTaken(dst, srcNode->content.size()) -
                         (dstNode ? state_->BytesTaken(dst, dstNode->content.size()) : 0);
  if (needed > state_->FreeBytes(dst)) return Failure(ErrorDiskFull);
  if (!dstNode) {
    dstNode = NewNode(dst.parts.back(), false, 0, 0);
    state_->AddChild(*dstParent, dstNode);
  }
  dstNode->content = srcNode->content;
  dstNode->lastWrite = srcNode->lastWrite;
  dstNode->attributes = srcNode->attributes;
  return Success();
}

Result<std::unique_ptr<PageBuffer>> FakePlatform::AllocatePages(uint32_t size) {
  if (state_->failAllocations > 0) {
    --state_->failAllocations;
    return Failure(state_->failAllocationError);
  }
  if (size == 0) return Failure(ErrorInvalidParameter);
  return fake::MakeFakePageBuffer(state_, size);
}

// ---- drives and connections -------------------------------------------------------------

DriveKind FakePlatform::DriveType(char letter) {
  ++state_->driveTypeQueries;
  auto it = state_->drives.find(fake::UpperLetter(letter));
  return it == state_->drives.end() ? DriveNoRootDir : it->second.type;
}

Result<DiskSpace> FakePlatform::DiskFreeSpace(char letter) {
  letter = fake::UpperLetter(letter);
  auto it = state_->drives.find(letter);
  if (it == state_->drives.end()) return Failure(ErrorPathNotFound);
  if (!it->second.ready) return Failure(ErrorNotReady);
  if (it->second.freeQueryFails) return Failure(ErrorInvalidParameter);
  ParsedPath path;
  path.drive = letter;
  path.rootKey = std::string(1, letter) + ":";
  DiskSpace space;
  space.freeBytes = state_->FreeBytes(path);
  space.totalBytes = it->second.totalBytes;
  return space;
}

Result<DriveGeometry> FakePlatform::Geometry(char letter) {
  auto it = state_->drives.find(fake::UpperLetter(letter));
  if (it == state_->drives.end()) return Failure(ErrorPathNotFound);
  if (!it->second.ready) return Failure(ErrorNotReady);
  if (it->second.freeQueryFails) return Failure(ErrorInvalidParameter);
  DriveGeometry geometry;
  geometry.bytesPerSector = it->second.sectorSize;
  geometry.bytesPerCluster = it->second.clusterSize;
  return geometry;
}

bool FakePlatform::NamedStreamsPossible(char letter) {
  auto it = state_->drives.find(fake::UpperLetter(letter));
  return it == state_->drives.end() || !it->second.ready || it->second.namedStreams;
}

Result<NetConnection> FakePlatform::NetGetConnection(const std::string& local) {
  auto it = state_->connections.find(fake::UpperText(local));
  if (it == state_->connections.end()) return Failure(ErrorNotConnected);
  NetConnection connection;
  connection.remote = it->second.remote;
  connection.connected = it->second.connected;
  return connection;
}

Result<void> FakePlatform::NetAddConnection(uintptr_t /*ownerWindow*/, const std::string& local,
                                            const std::string& remote) {
  state_->netAddCalls.push_back(local + "=" + remote);
  auto it = state_->connections.find(fake::UpperText(local));
  if (it == state_->connections.end()) return Failure(ErrorBadDevice);
  if (it->second.addResult != 0) return Failure(it->second.addResult);
  // A restored connection makes the drive letter usable.
  it->second.connected = true;
  if (!local.empty()) {
    const char letter = fake::UpperLetter(local[0]);
    auto drive = state_->drives.find(letter);
    if (drive != state_->drives.end()) {
      drive->second.ready = true;
    } else if (letter >= 'A' && letter <= 'Z') {
      FakeDrive remoteDrive;
      remoteDrive.type = DriveRemote;
      AddDrive(letter, remoteDrive);
    }
  }
  return Success();
}

}  // namespace plovik::test
