// Paths, the tree of nodes, sharing and renames of the fake platform.
#include <algorithm>

#include "lib/PackedDate.h"
#include "support/FakeSystem.h"

namespace plovik::test::fake {

namespace {

constexpr uint32_t ErrorNotSameDevice = 17;
constexpr uint32_t ErrorBadNetName = 67;
constexpr int64_t MillisecondsFrom1601To1970 = 11644473600000;

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsDriveAbsolute(const std::string& path) {
  return path.size() >= 3 && IsLetter(path[0]) && path[1] == ':' && path[2] == '\\';
}

bool IsShareAbsolute(const std::string& path) {
  return path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
}

// The root of an absolute path ("X:" or "\\server\share") and where the
// rest begins (after the root's backslash); npos when there is no root.
size_t RootEnd(const std::string& path, std::string& root) {
  if (IsDriveAbsolute(path)) {
    root = path.substr(0, 2);
    return 3;
  }
  if (!IsShareAbsolute(path)) return std::string::npos;
  const size_t serverEnd = path.find('\\', 2);
  if (serverEnd == std::string::npos || serverEnd == 2) return std::string::npos;
  size_t shareEnd = path.find('\\', serverEnd + 1);
  if (shareEnd == serverEnd + 1) return std::string::npos;
  if (shareEnd == std::string::npos) shareEnd = path.size();
  root = path.substr(0, shareEnd);
  return std::min(shareEnd + 1, path.size());
}

std::vector<std::string> SplitNames(const std::string& text) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\\', start);
    if (end == std::string::npos) end = text.size();
    names.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

// The absolute path a typed one stands for, before "." and ".." are
// resolved.
std::string Anchored(const std::string& path, const std::string& currentDirectory) {
  std::string currentRoot;
  RootEnd(currentDirectory, currentRoot);
  if (IsDriveAbsolute(path) || IsShareAbsolute(path)) return path;
  if (path.size() >= 2 && IsLetter(path[0]) && path[1] == ':') {  // "X:" or "X:name"
    const bool sameDrive =
        !currentRoot.empty() && UpperLetter(currentRoot[0]) == UpperLetter(path[0]);
    const std::string base = sameDrive ? currentDirectory : path.substr(0, 2) + "\\";
    return base + "\\" + path.substr(2);
  }
  if (!path.empty() && path[0] == '\\') return currentRoot + path;  // from the root
  return currentDirectory + "\\" + path;
}

}  // namespace

char UpperLetter(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string ParsedPath::Key() const {
  std::string key = rootKey;
  for (const auto& part : parts) key += "\\" + NameKey(part);
  return key;
}

Result<std::string> FullPath(const std::string& text, const std::string& currentDirectory) {
  if (text.empty()) return Failure(ErrorInvalidName);
  std::string path = text;
  std::replace(path.begin(), path.end(), '/', '\\');
  if (path.rfind("\\\\?\\", 0) == 0) return path;
  const std::string anchored = Anchored(path, currentDirectory);
  std::string root;
  const size_t restStart = RootEnd(anchored, root);
  if (restStart == std::string::npos) return Failure(ErrorInvalidName);
  std::vector<std::string> names;
  for (const std::string& name : SplitNames(anchored.substr(restStart))) {
    if (name.empty() || name == ".") continue;
    if (name == "..") {
      if (!names.empty()) names.pop_back();
      continue;
    }
    names.push_back(name);
  }
  const bool directoryForm = path.back() == '\\';
  if (!directoryForm && !names.empty()) {
    std::string& last = names.back();
    while (!last.empty() && (last.back() == '.' || last.back() == ' ')) last.pop_back();
    if (last.empty()) names.pop_back();
  }
  std::string full = root + "\\";
  for (size_t i = 0; i < names.size(); ++i) full += (i > 0 ? "\\" : "") + names[i];
  if (directoryForm && !names.empty()) full += "\\";
  return full;
}

std::string RootText(const std::string& absolutePath) {
  std::string root;
  if (RootEnd(absolutePath, root) == std::string::npos) return std::string();
  return root + "\\";
}

ParsedPath ParsePath(const std::string& text, const std::string& currentDirectory) {
  ParsedPath parsed;
  std::string path = text;
  if (path.rfind("\\\\?\\UNC\\", 0) == 0) {
    path = "\\\\" + path.substr(8);
  } else if (path.rfind("\\\\?\\", 0) == 0) {
    path = path.substr(4);
  } else if (!IsDriveAbsolute(path) && !IsShareAbsolute(path)) {
    const Result<std::string> full = FullPath(path, currentDirectory);
    if (!full) {
      parsed.error = full.Error();
      return parsed;
    }
    path = *full;
  }
  std::string root;
  const size_t restStart = RootEnd(path, root);
  if (restStart == std::string::npos) {
    parsed.error = IsShareAbsolute(path) ? uint32_t(ErrorBadNetPath) : uint32_t(ErrorInvalidName);
    return parsed;
  }
  if (root.size() == 2 && root[1] == ':') {
    parsed.drive = UpperLetter(root[0]);
    parsed.rootKey = std::string(1, parsed.drive) + ":";
  } else {
    parsed.rootKey = NameKey(root);
  }
  if (restStart >= path.size()) return parsed;
  const std::vector<std::string> names = SplitNames(path.substr(restStart));
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string& name = names[i];
    if (name.empty() && i + 1 == names.size()) {
      parsed.trailingBackslash = true;
    } else if (name.empty() || name == "." || name == "..") {
      parsed.error = ErrorInvalidName;  // taken literally, such a level names nothing
      return parsed;
    } else {
      parsed.parts.push_back(name);
    }
  }
  return parsed;
}

// ---- the state ---------------------------------------------------------------------

uint64_t State::ClockTicks() const {
  return static_cast<uint64_t>(wallMs + MillisecondsFrom1601To1970) * TicksPerMillisecond;
}

int32_t State::ClockPacked() const { return PackedOfTicks(ClockTicks()); }

void State::Advance(uint64_t milliseconds) {
  wallMs += static_cast<int64_t>(milliseconds);
  tickMs += milliseconds;
}

FakeDrive* State::DriveOf(const ParsedPath& path) {
  if (path.drive == 0) return nullptr;
  auto it = drives.find(path.drive);
  return it == drives.end() ? nullptr : &it->second;
}

uint32_t State::RootError(const ParsedPath& path) {
  if (path.error != 0) return path.error;
  if (path.drive != 0) {
    FakeDrive* drive = DriveOf(path);
    if (drive == nullptr) return ErrorPathNotFound;
    if (!drive->ready) return ErrorNotReady;
    return 0;
  }
  return roots.count(path.rootKey) ? 0 : ErrorBadNetName;
}

bool State::WriteProtected(const ParsedPath& path) {
  FakeDrive* drive = DriveOf(path);
  return drive != nullptr && drive->writeProtected;
}

uint32_t State::SectorSizeOf(char driveLetter) {
  auto it = drives.find(driveLetter);
  return it == drives.end() ? 512 : it->second.sectorSize;
}

NodePtr FindChild(const Node& dir, const std::string& name) {
  const std::string key = NameKey(name);
  auto it = dir.children.find(key);
  if (it != dir.children.end()) return it->second;
  // The system takes a short name for the file that has it.
  for (const auto& [childKey, child] : dir.children) {
    if (!child->shortName.empty() && NameKey(child->shortName) == key) return child;
  }
  return nullptr;
}

uint32_t State::Locate(const ParsedPath& path, NodePtr& parent, NodePtr& node) {
  parent = nullptr;
  node = nullptr;
  if (uint32_t error = RootError(path)) return error;
  NodePtr current = roots[path.rootKey];
  if (path.parts.empty()) {
    node = current;
    return 0;
  }
  for (size_t i = 0; i + 1 < path.parts.size(); ++i) {
    NodePtr next = FindChild(*current, path.parts[i]);
    if (!next || !next->dir) return ErrorPathNotFound;
    current = next;
  }
  parent = current;
  node = FindChild(*current, path.parts.back());
  // A directory form ("name\") of a file names nothing.
  if (node && !node->dir && path.trailingBackslash) return ErrorPathNotFound;
  return 0;
}

NodePtr State::SetupRoot(const ParsedPath& path) {
  if (path.error != 0) return nullptr;
  auto it = roots.find(path.rootKey);
  return it == roots.end() ? nullptr : it->second;
}

NodePtr State::FindForInspection(const std::string& text) {
  ParsedPath path = ParsePath(text, "C:\\");
  NodePtr current = SetupRoot(path);
  for (size_t i = 0; current && i < path.parts.size(); ++i)
    current = FindChild(*current, path.parts[i]);
  return current;
}

namespace {
uint64_t InClusters(uint64_t size, uint32_t clusterBytes) {
  return clusterBytes <= 1 ? size : (size + clusterBytes - 1) / clusterBytes * clusterBytes;
}

int64_t BytesUsed(const Node& node, uint32_t clusterBytes) {
  int64_t total = static_cast<int64_t>(InClusters(node.content.size(), clusterBytes));
  for (const auto& [key, child] : node.children) total += BytesUsed(*child, clusterBytes);
  return total;
}

uint32_t AllocationUnit(const FakeDrive& drive) {
  return drive.allocatesClusters ? drive.clusterSize : 1;
}
}  // namespace

int64_t State::FreeBytes(const ParsedPath& path) {
  FakeDrive* drive = DriveOf(path);
  if (drive == nullptr) return INT64_MAX;
  if (drive->freeBytes) return std::max<int64_t>(0, *drive->freeBytes);
  return std::max<int64_t>(
      0, drive->totalBytes - BytesUsed(*roots[path.rootKey], AllocationUnit(*drive)));
}

int64_t State::BytesTaken(const ParsedPath& path, uint64_t size) {
  FakeDrive* drive = DriveOf(path);
  return static_cast<int64_t>(InClusters(size, drive ? AllocationUnit(*drive) : 1));
}

void State::AddChild(Node& parent, const NodePtr& child) {
  child->shortName.clear();
  if (!IsShortName(child->name)) {
    for (int n = 1;; ++n) {
      const std::string alias = ShortNameFor(child->name, n);
      if (!FindChild(parent, alias)) {
        child->shortName = alias;
        break;
      }
    }
  }
  parent.children[NameKey(child->name)] = child;
}

void State::RemoveChild(Node& parent, const Node& child) {
  parent.children.erase(NameKey(child.name));
}

void State::AbandonMutexesOf(int processId) {
  for (auto& [name, weak] : mutexes) {
    std::shared_ptr<MutexObject> object = weak.lock();
    if (object && object->owner == processId) {
      object->owner = 0;
      object->recursion = 0;
      object->abandoned = true;
    }
  }
}

// ---- nodes ------------------------------------------------------------------------------

uint32_t ReportedAttributes(const Node& node) {
  if (node.dir) return node.attributes | AttrDirectory;
  return node.attributes == 0 ? uint32_t(AttrNormal) : node.attributes;
}

DirEntry EntryOf(const std::string& name, const Node& node) {
  DirEntry entry;
  entry.name = name;
  entry.lastWrite = node.lastWrite;
  entry.packedDate = PackedOfTicks(node.lastWrite);
  entry.size = node.dir ? 0 : node.content.size();
  entry.attributes = ReportedAttributes(node);
  return entry;
}

bool SharingConflict(const Node& node, FileAccess access, FileShare share) {
  const auto asks = [](FileAccess set, FileAccess bit) { return Has(set, bit); };
  const auto allows = [](FileShare set, FileShare bit) { return Has(set, bit); };
  for (const auto* open : node.opens) {
    if (asks(access, FileAccess::Read) && !allows(open->share, FileShare::Read)) return true;
    if (asks(access, FileAccess::Write) && !allows(open->share, FileShare::Write)) return true;
    if (asks(access, FileAccess::Delete) && !allows(open->share, FileShare::Delete)) return true;
    if (asks(open->access, FileAccess::Read) && !allows(share, FileShare::Read)) return true;
    if (asks(open->access, FileAccess::Write) && !allows(share, FileShare::Write)) return true;
    if (asks(open->access, FileAccess::Delete) && !allows(share, FileShare::Delete)) return true;
  }
  return false;
}

bool OpenWithoutDeleteSharing(const Node& node, const OpenRecord* self) {
  for (const auto* open : node.opens) {
    if (open != self && !Has(open->share, FileShare::Delete)) return true;
  }
  return false;
}

namespace {

// Why a rename may not replace the file at its target: a directory, a
// read-only file, or a file that is open (the system refuses to replace an
// open file with 5, whatever sharing its handles allow).
uint32_t TargetRefusal(State& state, const ParsedPath& to, const Node& target, bool movingDir) {
  if (target.dir || movingDir || (target.attributes & AttrReadOnly)) return ErrorAccessDenied;
  if (state.locked.count(to.Key()) || !target.opens.empty()) return ErrorAccessDenied;
  return 0;
}

}  // namespace

uint32_t MoveNode(State& state, const ParsedPath& from, const ParsedPath& to,
                  const OpenRecord* self) {
  NodePtr fromParent, fromNode, toParent, toNode;
  if (uint32_t error = state.Locate(from, fromParent, fromNode)) return error;
  if (!fromNode) return ErrorFileNotFound;
  if (!fromParent) return ErrorAccessDenied;
  if (uint32_t error = state.Locate(to, toParent, toNode)) return error;
  if (!toParent) return ErrorAccessDenied;
  if (from.rootKey != to.rootKey) return ErrorNotSameDevice;
  if (state.WriteProtected(from)) return ErrorWriteProtect;
  const std::string fromKey = from.Key();
  if (state.locked.count(fromKey) || OpenWithoutDeleteSharing(*fromNode, self)) {
    return ErrorSharingViolation;
  }
  if (fromNode->dir && to.Key().compare(0, fromKey.size() + 1, fromKey + "\\") == 0) {
    return ErrorAccessDenied;  // a directory cannot move into itself
  }
  if (toNode && toNode != fromNode) {
    if (uint32_t refusal = TargetRefusal(state, to, *toNode, fromNode->dir)) return refusal;
  }
  if (!ValidName(to.parts.back())) return ErrorInvalidName;
  // Marks follow the file to its new name.
  const std::string toKey = to.Key();
  if (fromKey != toKey && state.namedStreams.erase(fromKey)) state.namedStreams.insert(toKey);
  state.RemoveChild(*fromParent, *fromNode);
  if (toNode && toNode != fromNode) state.RemoveChild(*toParent, *toNode);
  fromNode->name = to.parts.back();
  state.AddChild(*toParent, fromNode);
  return 0;
}

}  // namespace plovik::test::fake
