#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>

#include "lib/PackedDate.h"
#include "lib/Utf.h"

namespace plovik::test {

namespace {

constexpr uint32_t ErrorNotSameDevice = 17;
constexpr uint32_t ErrorBadNetName = 67;
constexpr uint32_t ErrorDirectoryName = 267;
constexpr uint32_t PageAlignment = 4096;

// Attribute bits SetFileAttributes can change.
constexpr uint32_t SettableAttributes =
    AttrReadOnly | AttrHidden | AttrSystem | AttrArchive | AttrTemporary | AttrOffline | 0x2000;

struct Node {
  std::string name;  // as created, case kept
  bool dir = false;
  std::string content;
  int32_t date = MissingFileDate;
  uint32_t attributes = 0;
  std::map<std::string, std::shared_ptr<Node>> children;  // by upper-cased name
  struct OpenRecord {
    uint32_t access;
    uint32_t share;
  };
  std::vector<const OpenRecord*> opens;
};
using NodePtr = std::shared_ptr<Node>;

// A path taken apart: the root (drive "X:" or share "\\SERVER\SHARE") and
// the names below it.
struct ParsedPath {
  uint32_t error = 0;
  char drive = 0;            // upper-case letter, or 0 for a share
  std::string rootKey;       // "C:" or "\\SERVER\SHARE"
  std::vector<std::string> parts;
  std::string Key() const {
    std::string key = rootKey;
    for (const auto& part : parts) key += "\\" + UpperCase(part);
    return key;
  }
};

char UpperLetter(char letter) {
  if (letter >= 'a' && letter <= 'z') return static_cast<char>(letter - 'a' + 'A');
  return letter;
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Splits a text at backslashes, normalising the parts the way the system
// does: empty parts and "." vanish, ".." goes up, trailing dots and blanks of
// a name are dropped.
void AppendParts(const std::string& text, std::vector<std::string>& parts) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\\', start);
    if (end == std::string::npos) end = text.size();
    std::string part = text.substr(start, end - start);
    start = end + 1;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
    if (!part.empty()) parts.push_back(part);
  }
}

ParsedPath ParsePath(std::string path) {
  ParsedPath parsed;
  std::replace(path.begin(), path.end(), '/', '\\');
  if (path.size() >= 2 && path[1] == ':') {
    if (!IsLetter(path[0]) || (path.size() > 2 && path[2] != '\\')) {
      parsed.error = ErrorInvalidName;
      return parsed;
    }
    parsed.drive = UpperLetter(path[0]);
    parsed.rootKey = std::string(1, parsed.drive) + ":";
    AppendParts(path.substr(2), parsed.parts);
    return parsed;
  }
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    size_t serverEnd = path.find('\\', 2);
    if (serverEnd == std::string::npos || serverEnd == 2) {
      parsed.error = 53;  // ERROR_BAD_NETPATH
      return parsed;
    }
    size_t shareEnd = path.find('\\', serverEnd + 1);
    if (shareEnd == std::string::npos) shareEnd = path.size();
    if (shareEnd == serverEnd + 1) {
      parsed.error = 53;
      return parsed;
    }
    parsed.rootKey = UpperCase(path.substr(0, shareEnd));
    if (shareEnd < path.size()) AppendParts(path.substr(shareEnd + 1), parsed.parts);
    return parsed;
  }
  parsed.error = ErrorInvalidName;
  return parsed;
}

bool ValidName(const std::string& name) {
  if (name.empty() || name.size() > 255 * 4) return false;
  for (unsigned char c : name) {
    if (c < 32 || std::strchr("<>:\"|?*", c) != nullptr) return false;
  }
  return true;
}

// ---- clock arithmetic ------------------------------------------------------

int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

// ---- wildcard matching -----------------------------------------------------

// The system turns some pattern characters into their DOS forms before
// matching; these code points stand for them.
constexpr char32_t DosStar = 0x110001;  // '*' before a dot: up to the last dot
constexpr char32_t DosQm = 0x110002;    // '?': one character, or none at a dot or the end
constexpr char32_t DosDot = 0x110003;   // '.' before a wildcard or at the end: a dot or the end

std::u32string CodePoints(const std::string& text) {
  std::u32string result;
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    size_t extra = 0;
    char32_t cp = c;
    if (c >= 0xC0 && c < 0xE0) {
      extra = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c < 0xF0) {
      extra = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c < 0xF8) {
      extra = 3;
      cp = c & 0x07;
    }
    bool valid = c < 0x80 || (extra > 0 && i + extra < text.size());
    for (size_t k = 1; valid && k <= extra; ++k) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) valid = false;
      cp = (cp << 6) | (next & 0x3F);
    }
    if (!valid) {
      result.push_back(0xDC00 + c);  // an invalid byte stays a unit of its own
      ++i;
      continue;
    }
    result.push_back(cp);
    i += 1 + extra;
  }
  return result;
}

class WildcardMatcher {
 public:
  WildcardMatcher(std::u32string name, std::u32string pattern)
      : name_(std::move(name)), pattern_(std::move(pattern)),
        memo_((name_.size() + 1) * (pattern_.size() + 1), -1) {
    lastDot_ = name_.rfind(U'.');
  }
  bool Match() { return Match(0, 0); }

 private:
  bool Match(size_t p, size_t n) {
    int8_t& known = memo_[p * (name_.size() + 1) + n];
    if (known >= 0) return known != 0;
    bool result = Compute(p, n);
    known = result ? 1 : 0;
    return result;
  }
  bool Compute(size_t p, size_t n) {
    const bool atEnd = n == name_.size();
    if (p == pattern_.size()) return atEnd;
    const char32_t c = pattern_[p];
    switch (c) {
      case U'*':
        return Match(p + 1, n) || (!atEnd && Match(p, n + 1));
      case DosStar:
        return Match(p + 1, n) || (!atEnd && n != lastDot_ && Match(p, n + 1));
      case DosQm:
        if (!atEnd && name_[n] != U'.') return Match(p + 1, n + 1);
        while (p < pattern_.size() && pattern_[p] == DosQm) ++p;
        return Match(p, n);
      case DosDot:
        if (atEnd) return Match(p + 1, n);
        return name_[n] == U'.' && Match(p + 1, n + 1);
      default:
        return !atEnd && name_[n] == c && Match(p + 1, n + 1);
    }
  }

  std::u32string name_;
  std::u32string pattern_;
  std::vector<int8_t> memo_;
  size_t lastDot_;
};

}  // namespace

bool WindowsWildcardMatch(const std::string& name, const std::string& pattern) {
  std::u32string raw = CodePoints(UpperCase(pattern == "*.*" ? std::string("*") : pattern));
  std::u32string dos;
  for (size_t i = 0; i < raw.size(); ++i) {
    const char32_t next = i + 1 < raw.size() ? raw[i + 1] : 0;
    if (raw[i] == U'?') {
      dos.push_back(DosQm);
    } else if (raw[i] == U'.' && (next == U'?' || next == U'*' || next == 0)) {
      dos.push_back(DosDot);
    } else if (raw[i] == U'*' && next == U'.') {
      dos.push_back(DosStar);
    } else {
      dos.push_back(raw[i]);
    }
  }
  return WildcardMatcher(CodePoints(UpperCase(name)), dos).Match();
}

// ---- state -------------------------------------------------------------------

struct FakePlatform::State {
  std::map<char, FakeDrive> drives;
  std::map<std::string, NodePtr> roots;  // by root key
  int32_t clock = 0;
  std::map<std::string, FakeNetConnection> connections;  // by upper-cased local name
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
  std::map<std::string, std::pair<uint64_t, uint32_t>> failRead, failWrite;
  std::map<std::string, uint64_t> shortWrite;
  std::set<std::string> corruptReadBack;
  std::set<std::string> namedStreams;
  int failAllocations = 0;
  uint32_t failAllocationError = 0;

  FakeDrive* DriveOf(const ParsedPath& path) {
    if (path.drive == 0) return nullptr;
    auto it = drives.find(path.drive);
    return it == drives.end() ? nullptr : &it->second;
  }

  // The error of reaching the root of a path at all (0 when it can be used).
  uint32_t RootError(const ParsedPath& path) {
    if (path.error != 0) return path.error;
    if (path.drive != 0) {
      FakeDrive* drive = DriveOf(path);
      if (drive == nullptr) return ErrorPathNotFound;
      if (!drive->ready) return ErrorNotReady;
      return 0;
    }
    return roots.count(path.rootKey) ? 0 : ErrorBadNetName;
  }

  bool WriteProtected(const ParsedPath& path) {
    FakeDrive* drive = DriveOf(path);
    return drive != nullptr && drive->writeProtected;
  }

  uint32_t SectorSizeOf(char driveLetter) {
    auto it = drives.find(driveLetter);
    return it == drives.end() ? 512 : it->second.sectorSize;
  }

  // The directory that holds the last part of a path (the root's own
  // "parent" is null). Fails with 3 when a level on the way is missing.
  uint32_t Locate(const ParsedPath& path, NodePtr& parent, NodePtr& node) {
    parent = nullptr;
    node = nullptr;
    if (uint32_t error = RootError(path)) return error;
    NodePtr current = roots[path.rootKey];
    if (path.parts.empty()) {
      node = current;
      return 0;
    }
    for (size_t i = 0; i + 1 < path.parts.size(); ++i) {
      auto it = current->children.find(UpperCase(path.parts[i]));
      if (it == current->children.end() || !it->second->dir) return ErrorPathNotFound;
      current = it->second;
    }
    parent = current;
    auto it = current->children.find(UpperCase(path.parts.back()));
    if (it != current->children.end()) node = it->second;
    return 0;
  }

  // Setup access that ignores readiness: the root of a path or null.
  NodePtr SetupRoot(const ParsedPath& path) {
    if (path.error != 0) return nullptr;
    auto it = roots.find(path.rootKey);
    return it == roots.end() ? nullptr : it->second;
  }

  NodePtr FindForInspection(const std::string& text) {
    ParsedPath path = ParsePath(text);
    NodePtr current = SetupRoot(path);
    for (size_t i = 0; current && i < path.parts.size(); ++i) {
      auto it = current->children.find(UpperCase(path.parts[i]));
      current = it == current->children.end() ? nullptr : it->second;
    }
    return current;
  }

  static int64_t BytesUsed(const Node& node) {
    int64_t total = static_cast<int64_t>(node.content.size());
    for (const auto& [key, child] : node.children) total += BytesUsed(*child);
    return total;
  }

  // Free bytes of a path's drive; shares have room without limit.
  int64_t FreeBytes(const ParsedPath& path) {
    FakeDrive* drive = DriveOf(path);
    if (drive == nullptr) return INT64_MAX;
    if (drive->freeBytes) return std::max<int64_t>(0, *drive->freeBytes);
    return std::max<int64_t>(0, drive->totalBytes - BytesUsed(*roots[path.rootKey]));
  }

  template <typename Map>
  static auto FaultOf(const Map& map, const std::string& key) -> const typename Map::mapped_type* {
    auto it = map.find(key);
    return it == map.end() ? nullptr : &it->second;
  }
};

namespace {

using State = FakePlatform::State;

bool SharingConflict(const Node& node, uint32_t access, uint32_t share) {
  for (const auto* open : node.opens) {
    if ((access & AccessRead) && !(open->share & ShareRead)) return true;
    if ((access & AccessWrite) && !(open->share & ShareWrite)) return true;
    if ((open->access & AccessRead) && !(share & ShareRead)) return true;
    if ((open->access & AccessWrite) && !(share & ShareWrite)) return true;
    if ((access & AccessDelete) && !(open->share & ShareDelete)) return true;
    if ((open->access & AccessDelete) && !(share & ShareDelete)) return true;
  }
  return false;
}

// Another open of the node (than the one that asks) keeps it from being
// deleted or renamed.
bool OpenWithoutDeleteSharing(const Node& node, const Node::OpenRecord* self = nullptr) {
  for (const auto* open : node.opens) {
    if (open != self && !(open->share & ShareDelete)) return true;
  }
  return false;
}

// Renames a file or directory, replacing a file at the target. self is the
// open through which a file renames itself, if any.
uint32_t MoveNode(FakePlatform::State& state, const ParsedPath& from, const ParsedPath& to,
                  const Node::OpenRecord* self);

class FakeFile : public File {
 public:
  FakeFile(std::shared_ptr<State> state, NodePtr node, ParsedPath path, uint32_t access,
           uint32_t share, uint32_t flags)
      : state_(std::move(state)), node_(std::move(node)), path_(std::move(path)),
        key_(path_.Key()), flags_(flags) {
    record_.access = access;
    record_.share = share;
    node_->opens.push_back(&record_);
    ++state_->openFiles;
  }
  ~FakeFile() override {
    auto& opens = node_->opens;
    opens.erase(std::remove(opens.begin(), opens.end(), &record_), opens.end());
    --state_->openFiles;
  }

  uint32_t Read(void* buffer, uint32_t count, uint32_t& done) override {
    done = 0;
    if (uint32_t error = state_->RootError(path_)) return error;
    if (node_->dir || !(record_.access & AccessRead)) return ErrorAccessDenied;
    if (uint32_t error = CheckUnbuffered(buffer, count)) return error;
    const uint64_t size = node_->content.size();
    const uint64_t available = position_ < size ? std::min<uint64_t>(count, size - position_) : 0;
    if (auto fault = State::FaultOf(state_->failRead, key_)) {
      if (position_ >= fault->first || position_ + available > fault->first) return fault->second;
    }
    if (available > 0) std::memcpy(buffer, node_->content.data() + position_, available);
    if (available > 0 && (record_.access & AccessWrite) && state_->corruptReadBack.count(key_)) {
      static_cast<uint8_t*>(buffer)[0] ^= 0x5A;
    }
    position_ += available;
    done = static_cast<uint32_t>(available);
    return 0;
  }

  uint32_t Write(const void* buffer, uint32_t count, uint32_t& done) override {
    done = 0;
    if (uint32_t error = state_->RootError(path_)) return error;
    if (node_->dir || !(record_.access & AccessWrite)) return ErrorAccessDenied;
    if (state_->WriteProtected(path_)) return ErrorWriteProtect;
    if (uint32_t error = CheckUnbuffered(buffer, count)) return error;
    if (auto fault = State::FaultOf(state_->failWrite, key_)) {
      if (position_ >= fault->first || position_ + count > fault->first) return fault->second;
    }
    uint32_t accepted = count;
    if (auto offset = State::FaultOf(state_->shortWrite, key_)) {
      if (*offset >= position_ && *offset < position_ + count) {
        const uint32_t sector = state_->SectorSizeOf(path_.drive);
        accepted = count > sector ? count - sector : 0;
      }
    }
    if (accepted == 0) return 0;
    if (uint32_t error = Grow(position_ + accepted)) return error;
    node_->content.replace(position_, accepted, static_cast<const char*>(buffer), accepted);
    position_ += accepted;
    done = accepted;
    Touch();
    return 0;
  }

  uint32_t Seek(uint64_t position) override {
    position_ = position;
    return 0;
  }
  uint64_t Position() const override { return position_; }

  uint32_t Size(uint64_t& size) override {
    size = 0;
    if (uint32_t error = state_->RootError(path_)) return error;
    size = node_->content.size();
    return 0;
  }

  uint32_t SetEnd() override {
    if (uint32_t error = state_->RootError(path_)) return error;
    if (node_->dir || !(record_.access & AccessWrite)) return ErrorAccessDenied;
    // Taken as the strictest system would: an unbuffered handle cannot end
    // the file inside a sector.
    if (flags_ & FlagNoBuffering) {
      const uint32_t sector = state_->SectorSizeOf(path_.drive);
      if (sector != 0 && position_ % sector != 0) return ErrorInvalidParameter;
    }
    if (state_->WriteProtected(path_)) return ErrorWriteProtect;
    if (uint32_t error = Grow(position_)) return error;
    node_->content.resize(position_);
    Touch();
    return 0;
  }

  int32_t PackedDate() override {
    // The date can be read only through a handle opened for reading.
    if (state_->RootError(path_) != 0 || !(record_.access & AccessRead)) return MissingFileDate;
    return node_->date;
  }

  uint32_t SetPackedDate(int32_t packedDate) override {
    if (uint32_t error = state_->RootError(path_)) return error;
    if (!(record_.access & AccessWrite)) return ErrorAccessDenied;
    if (state_->WriteProtected(path_)) return ErrorWriteProtect;
    if (auto fault = State::FaultOf(state_->failSetDate, key_)) return *fault;
    int y, mo, d, h, mi, s;
    if (!UnpackDate(packedDate, y, mo, d, h, mi, s)) return ErrorInvalidParameter;
    node_->date = packedDate;
    dateSet_ = true;
    return 0;
  }

  // The fake's exact time is its packed date.
  uint32_t Stamp(FileStamp& stamp) override {
    if (uint32_t error = state_->RootError(path_)) return error;
    if (!(record_.access & AccessRead)) return ErrorAccessDenied;
    stamp.lastWrite = static_cast<uint32_t>(node_->date);
    stamp.attributes = node_->attributes;
    return 0;
  }

  uint32_t SetStamp(const FileStamp& stamp) override {
    if (uint32_t error = state_->RootError(path_)) return error;
    if (!(record_.access & AccessWrite)) return ErrorAccessDenied;
    if (state_->WriteProtected(path_)) return ErrorWriteProtect;
    if (auto fault = State::FaultOf(state_->failSetDate, key_)) return *fault;
    if (stamp.lastWrite != 0) {
      const int32_t date = static_cast<int32_t>(static_cast<uint32_t>(stamp.lastWrite));
      int y, mo, d, h, mi, s;
      if (!UnpackDate(date, y, mo, d, h, mi, s)) return ErrorInvalidParameter;
      node_->date = date;
      dateSet_ = true;
    }
    const uint32_t attributes = stamp.attributes & SettableAttributes;
    if (stamp.attributes != 0) node_->attributes = attributes != 0 ? attributes : AttrNormal;
    return 0;
  }

  uint32_t RenameTo(const std::string& text) override {
    if (!(record_.access & AccessDelete)) return ErrorAccessDenied;
    ParsedPath to = ParsePath(text);
    if (uint32_t error = MoveNode(*state_, path_, to, &record_)) return error;
    path_ = to;
    key_ = path_.Key();
    return 0;
  }

  bool HasNamedStreams() override {
    ++state_->namedStreamQueries;
    return state_->namedStreams.count(key_) != 0;
  }

 private:
  uint32_t CheckUnbuffered(const void* buffer, uint32_t count) const {
    if (!(flags_ & FlagNoBuffering)) return 0;
    const uint32_t sector = state_->SectorSizeOf(path_.drive);
    if (sector == 0) return 0;
    if (count % sector != 0 || position_ % sector != 0) return ErrorInvalidParameter;
    const bool powerOfTwo = (sector & (sector - 1)) == 0;
    const uintptr_t alignment = std::min<uint32_t>(sector, PageAlignment);
    if (powerOfTwo && reinterpret_cast<uintptr_t>(buffer) % alignment != 0) {
      return ErrorInvalidParameter;
    }
    return 0;
  }

  // Makes room for the file to reach newEnd (zero-filled), within the free space.
  uint32_t Grow(uint64_t newEnd) {
    const uint64_t size = node_->content.size();
    if (newEnd <= size) return 0;
    if (static_cast<int64_t>(newEnd - size) > state_->FreeBytes(path_)) return ErrorDiskFull;
    node_->content.resize(newEnd, '\0');
    return 0;
  }

  // The system dates a file by its last write, unless the date was set
  // explicitly through this handle.
  void Touch() {
    if (!dateSet_) node_->date = state_->clock;
  }

  std::shared_ptr<State> state_;
  NodePtr node_;
  ParsedPath path_;
  std::string key_;
  uint32_t flags_;
  Node::OpenRecord record_{};
  uint64_t position_ = 0;
  bool dateSet_ = false;
};

class FakeSearch : public DirSearch {
 public:
  FakeSearch(std::shared_ptr<State> state, std::vector<DirEntry> entries, uint32_t error)
      : state_(std::move(state)), entries_(std::move(entries)), error_(error) {
    ++state_->openSearches;
  }
  ~FakeSearch() override { --state_->openSearches; }

  bool Next(DirEntry& entry) override {
    if (error_ != 0 && next_ == 0 && entries_.empty()) return false;
    if (next_ >= entries_.size()) {
      error_ = next_ == 0 ? ErrorFileNotFound : ErrorNoMoreFiles;
      return false;
    }
    entry = entries_[next_++];
    return true;
  }
  uint32_t Error() const override { return error_; }

 private:
  std::shared_ptr<State> state_;
  std::vector<DirEntry> entries_;
  size_t next_ = 0;
  uint32_t error_;
};

class FakePageBuffer : public PageBuffer {
 public:
  FakePageBuffer(std::shared_ptr<State> state, uint32_t size)
      : state_(std::move(state)), size_(size),
        data_(static_cast<uint8_t*>(::operator new(size, std::align_val_t(PageAlignment)))) {
    std::memset(data_, 0, size);
    ++state_->allocatedBuffers;
  }
  ~FakePageBuffer() override {
    ::operator delete(data_, std::align_val_t(PageAlignment));
    --state_->allocatedBuffers;
  }
  uint8_t* Data() override { return data_; }
  uint32_t Size() const override { return size_; }

 private:
  std::shared_ptr<State> state_;
  uint32_t size_;
  uint8_t* data_;
};

uint32_t ReportedAttributes(const Node& node) {
  if (node.dir) return node.attributes | AttrDirectory;
  return node.attributes == 0 ? uint32_t(AttrNormal) : node.attributes;
}

DirEntry EntryOf(const std::string& name, const Node& node) {
  DirEntry entry;
  entry.name = name;
  entry.packedDate = node.date;
  entry.lastWrite = static_cast<uint32_t>(node.date);  // as Stamp gives it
  entry.size = node.dir ? 0 : node.content.size();
  entry.attributes = ReportedAttributes(node);
  return entry;
}

}  // namespace

// ---- set-up --------------------------------------------------------------------

FakePlatform::FakePlatform() : state_(std::make_shared<State>()) {
  state_->clock = PackDate(2020, 6, 15, 12, 0, 0);
  AddDrive('C');
}

FakePlatform::~FakePlatform() = default;

FakeDrive& FakePlatform::AddDrive(char letter, const FakeDrive& drive) {
  const char upper = UpperLetter(letter);
  state_->drives[upper] = drive;
  const std::string key = std::string(1, upper) + ":";
  if (!state_->roots.count(key)) {
    auto root = std::make_shared<Node>();
    root->name = key + "\\";
    root->dir = true;
    root->date = state_->clock;
    root->attributes = AttrDirectory;
    state_->roots[key] = root;
  }
  return state_->drives[upper];
}

FakeDrive& FakePlatform::Drive(char letter) {
  auto it = state_->drives.find(UpperLetter(letter));
  if (it == state_->drives.end()) {
    ADD_FAILURE() << "no fake drive " << letter;
    return AddDrive(letter);
  }
  return it->second;
}

void FakePlatform::AddShare(const std::string& root) {
  ParsedPath path = ParsePath(root);
  if (path.error != 0 || path.drive != 0 || !path.parts.empty()) {
    ADD_FAILURE() << "not a share root: " << root;
    return;
  }
  if (state_->roots.count(path.rootKey)) return;
  auto node = std::make_shared<Node>();
  node->name = root;
  node->dir = true;
  node->date = state_->clock;
  node->attributes = AttrDirectory;
  state_->roots[path.rootKey] = node;
}

namespace {
// Creates the missing directories of a path (dated by the clock); the
// directory itself, or null when the path cannot be made.
NodePtr EnsureDir(State& state, const std::string& text) {
  ParsedPath path = ParsePath(text);
  NodePtr current = state.SetupRoot(path);
  if (!current) {
    ADD_FAILURE() << "no fake drive or share for " << text;
    return nullptr;
  }
  for (const auto& part : path.parts) {
    NodePtr& child = current->children[UpperCase(part)];
    if (!child) {
      child = std::make_shared<Node>();
      child->name = part;
      child->dir = true;
      child->date = state.clock;
      child->attributes = AttrDirectory;
    } else if (!child->dir) {
      ADD_FAILURE() << "a file is in the way of " << text;
      return nullptr;
    }
    current = child;
  }
  return current;
}
}  // namespace

void FakePlatform::MakeDir(const std::string& text, std::optional<int32_t> date,
                           uint32_t attributes) {
  NodePtr dir = EnsureDir(*state_, text);
  if (!dir) return;
  if (date) dir->date = *date;
  dir->attributes = attributes | AttrDirectory;
}

void FakePlatform::MakeFile(const std::string& text, const std::string& content,
                            std::optional<int32_t> date, uint32_t attributes) {
  ParsedPath path = ParsePath(text);
  if (path.error != 0 || path.parts.empty()) {
    ADD_FAILURE() << "not a file path: " << text;
    return;
  }
  std::string parentText = path.rootKey + "\\";
  for (size_t i = 0; i + 1 < path.parts.size(); ++i) parentText += path.parts[i] + "\\";
  NodePtr parent = EnsureDir(*state_, parentText);
  if (!parent) return;
  NodePtr& node = parent->children[UpperCase(path.parts.back())];
  if (node && node->dir) {
    ADD_FAILURE() << "a directory is in the way of " << text;
    return;
  }
  if (!node) {
    node = std::make_shared<Node>();
    node->name = path.parts.back();
  }
  node->content = content;
  node->date = date.value_or(state_->clock);
  node->attributes = attributes & ~uint32_t(AttrDirectory);
}

void FakePlatform::SetDate(const std::string& path, int32_t date) {
  NodePtr node = state_->FindForInspection(path);
  if (!node) {
    ADD_FAILURE() << "no such fake path: " << path;
    return;
  }
  node->date = date;
}

void FakePlatform::SetClock(int32_t packedDate) { state_->clock = packedDate; }

int32_t FakePlatform::Clock() const { return state_->clock; }

void FakePlatform::AdvanceClock(int units) {
  int y, mo, d, h, mi, s;
  if (!UnpackDate(state_->clock, y, mo, d, h, mi, s)) return;
  int64_t seconds = DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
  seconds += int64_t(units) * 2;
  int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
  int64_t rest = seconds - days * 86400;
  CivilFromDays(days, y, mo, d);
  state_->clock = PackDate(y, mo, d, static_cast<int>(rest / 3600),
                           static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
}

void FakePlatform::SetNetConnection(const std::string& local,
                                    const FakeNetConnection& connection) {
  state_->connections[UpperCase(local)] = connection;
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
  return node ? node->date : MissingFileDate;
}

uint32_t FakePlatform::Attributes(const std::string& path) const {
  NodePtr node = state_->FindForInspection(path);
  return node ? ReportedAttributes(*node) : InvalidAttributes;
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

namespace {
std::string FaultKey(const std::string& path) {
  ParsedPath parsed = ParsePath(path);
  if (parsed.error != 0) ADD_FAILURE() << "fault on a malformed path: " << path;
  return parsed.Key();
}
}  // namespace

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
  s.shortWrite.clear();
  s.corruptReadBack.clear();
  s.failAllocations = 0;
  s.failAllocationError = 0;
}

// ---- Platform -------------------------------------------------------------------

std::unique_ptr<DirSearch> FakePlatform::StartSearch(const std::string& pattern) {
  std::string text = pattern;
  std::replace(text.begin(), text.end(), '/', '\\');
  const size_t slash = text.rfind('\\');
  if (slash == std::string::npos) {
    return std::make_unique<FakeSearch>(state_, std::vector<DirEntry>{}, ErrorInvalidName);
  }
  const std::string wildcard = text.substr(slash + 1);
  ParsedPath path = ParsePath(text.substr(0, slash + 1));
  NodePtr parent, node;
  uint32_t error = state_->Locate(path, parent, node);
  if (error == 0 && (!node || !node->dir)) error = ErrorPathNotFound;
  if (error == 0 && wildcard.empty()) error = ErrorFileNotFound;
  if (error != 0) return std::make_unique<FakeSearch>(state_, std::vector<DirEntry>{}, error);

  std::vector<DirEntry> entries;
  if (parent) {
    if (WindowsWildcardMatch(".", wildcard)) entries.push_back(EntryOf(".", *node));
    if (WindowsWildcardMatch("..", wildcard)) entries.push_back(EntryOf("..", *parent));
  }
  for (const auto& [key, child] : node->children) {
    if (WindowsWildcardMatch(child->name, wildcard)) {
      entries.push_back(EntryOf(child->name, *child));
    }
  }
  return std::make_unique<FakeSearch>(state_, std::move(entries), 0);
}

uint32_t FakePlatform::GetAttributes(const std::string& text, uint32_t& attributes) {
  attributes = InvalidAttributes;
  ParsedPath path = ParsePath(text);
  if (path.error == 0) {
    if (auto fault = State::FaultOf(state_->failGetAttributes, path.Key())) return *fault;
  }
  NodePtr parent, node;
  if (uint32_t error = state_->Locate(path, parent, node)) return error;
  if (!node) return ErrorFileNotFound;
  attributes = ReportedAttributes(*node);
  return 0;
}

uint32_t FakePlatform::SetAttributes(const std::string& text, uint32_t attributes) {
  ParsedPath path = ParsePath(text);
  NodePtr parent, node;
  if (uint32_t error = state_->Locate(path, parent, node)) return error;
  if (!node) return ErrorFileNotFound;
  if (auto fault = State::FaultOf(state_->failSetAttributes, path.Key())) return *fault;
  if (state_->WriteProtected(path)) return ErrorWriteProtect;
  const uint32_t kept = node->attributes & ~SettableAttributes & ~uint32_t(AttrNormal);
  node->attributes = kept | (attributes & SettableAttributes);
  if (node->dir) node->attributes |= AttrDirectory;
  return 0;
}

uint32_t FakePlatform::CreateDir(const std::string& text) {
  ParsedPath path = ParsePath(text);
  NodePtr parent, node;
  if (uint32_t error = state_->Locate(path, parent, node)) return error;
  if (auto fault = State::FaultOf(state_->failCreateDir, path.Key())) return *fault;
  if (!parent || node) return ErrorAlreadyExists;
  if (!ValidName(path.parts.back())) return ErrorInvalidName;
  if (state_->WriteProtected(path)) return ErrorWriteProtect;
  if (state_->FreeBytes(path) == 0) return ErrorDiskFull;
  auto dir = std::make_shared<Node>();
  dir->name = path.parts.back();
  dir->dir = true;
  dir->date = state_->clock;
  dir->attributes = AttrDirectory;
  parent->children[UpperCase(dir->name)] = dir;
  return 0;
}

uint32_t FakePlatform::RemoveDir(const std::string& text) {
  ParsedPath path = ParsePath(text);
  NodePtr parent, node;
  if (uint32_t error = state_->Locate(path, parent, node)) return error;
  if (!parent) return ErrorAccessDenied;  // a root
  if (!node) return ErrorFileNotFound;
  if (!node->dir) return ErrorDirectoryName;
  if (state_->WriteProtected(path)) return ErrorWriteProtect;
  if (!node->children.empty()) return ErrorDirNotEmpty;
  if (node->attributes & AttrReadOnly) return ErrorAccessDenied;
  if (OpenWithoutDeleteSharing(*node)) return ErrorSharingViolation;
  parent->children.erase(UpperCase(path.parts.back()));
  return 0;
}

FileHandle FakePlatform::OpenFile(const std::string& text, uint32_t access, uint32_t share,
                                  FileDisposition disposition, uint32_t flags,
                                  uint32_t& error) {
  ParsedPath path = ParsePath(text);
  NodePtr parent, node;
  error = state_->Locate(path, parent, node);
  if (error != 0) return nullptr;
  const std::string key = path.Key();
  if (auto fault = State::FaultOf(state_->failOpen, key)) {
    error = *fault;
    return nullptr;
  }
  const bool writes = (access & AccessWrite) || disposition == FileDisposition::CreateAlways;
  if (node) {
    if (state_->locked.count(key)) {
      error = ErrorSharingViolation;
    } else if (node->dir) {
      if (!(flags & FlagBackupSemantics) || disposition == FileDisposition::CreateAlways) {
        error = ErrorAccessDenied;
      } else if ((access & AccessWrite) && state_->WriteProtected(path)) {
        error = ErrorWriteProtect;
      } else if (SharingConflict(*node, access, share)) {
        error = ErrorSharingViolation;
      }
    } else if (writes && state_->WriteProtected(path)) {
      error = ErrorWriteProtect;
    } else if (writes && (node->attributes & AttrReadOnly)) {
      error = ErrorAccessDenied;
    } else if (disposition == FileDisposition::CreateAlways &&
               (node->attributes & (AttrHidden | AttrSystem))) {
      // Replacing a hidden or system file needs those attributes in the request.
      error = ErrorAccessDenied;
    } else if (SharingConflict(*node, access, share)) {
      error = ErrorSharingViolation;
    }
    if (error != 0) return nullptr;
    if (disposition == FileDisposition::CreateAlways) {
      node->content.clear();
      node->attributes = AttrArchive;
      node->date = state_->clock;
    }
  } else {
    if (disposition == FileDisposition::OpenExisting || !parent) {
      error = ErrorFileNotFound;
      return nullptr;
    }
    if (!ValidName(path.parts.back())) {
      error = ErrorInvalidName;
      return nullptr;
    }
    if (state_->WriteProtected(path)) {
      error = ErrorWriteProtect;
      return nullptr;
    }
    node = std::make_shared<Node>();
    node->name = path.parts.back();
    node->attributes = AttrArchive;
    node->date = state_->clock;
    parent->children[UpperCase(node->name)] = node;
  }
  return std::make_unique<FakeFile>(state_, node, path, access, share, flags);
}

uint32_t FakePlatform::RemoveFile(const std::string& text) {
  ParsedPath path = ParsePath(text);
  NodePtr parent, node;
  if (uint32_t error = state_->Locate(path, parent, node)) return error;
  if (!node) return ErrorFileNotFound;
  if (node->dir) return ErrorAccessDenied;
  if (state_->WriteProtected(path)) return ErrorWriteProtect;
  if (node->attributes & AttrReadOnly) return ErrorAccessDenied;
  if (state_->locked.count(path.Key()) || OpenWithoutDeleteSharing(*node)) {
    return ErrorSharingViolation;
  }
  parent->children.erase(UpperCase(path.parts.back()));
  return 0;
}

namespace {

uint32_t MoveNode(FakePlatform::State& state, const ParsedPath& from, const ParsedPath& to,
                  const Node::OpenRecord* self) {
  NodePtr fromParent, fromNode, toParent, toNode;
  if (uint32_t error = state.Locate(from, fromParent, fromNode)) return error;
  if (!fromNode) return ErrorFileNotFound;
  if (!fromParent) return ErrorAccessDenied;
  if (uint32_t error = state.Locate(to, toParent, toNode)) return error;
  if (!toParent) return ErrorAccessDenied;
  if (from.rootKey != to.rootKey) return ErrorNotSameDevice;
  if (state.WriteProtected(from)) return ErrorWriteProtect;
  if (state.locked.count(from.Key()) || OpenWithoutDeleteSharing(*fromNode, self)) {
    return ErrorSharingViolation;
  }
  const std::string fromKey = from.Key();
  if (fromNode->dir && to.Key().compare(0, fromKey.size() + 1, fromKey + "\\") == 0) {
    return ErrorAccessDenied;  // a directory cannot move into itself
  }
  if (toNode && toNode != fromNode) {
    if (toNode->dir || fromNode->dir || (toNode->attributes & AttrReadOnly)) {
      return ErrorAccessDenied;
    }
    if (state.locked.count(to.Key()) || OpenWithoutDeleteSharing(*toNode)) {
      return ErrorSharingViolation;
    }
  }
  if (!ValidName(to.parts.back())) return ErrorInvalidName;
  // Faults and marks follow the file to its new name.
  if (fromKey != to.Key() && state.namedStreams.erase(fromKey)) state.namedStreams.insert(to.Key());
  fromParent->children.erase(UpperCase(from.parts.back()));
  fromNode->name = to.parts.back();
  toParent->children[UpperCase(fromNode->name)] = fromNode;
  return 0;
}

}  // namespace

uint32_t FakePlatform::ReplaceFile(const std::string& fromText, const std::string& toText) {
  return MoveNode(*state_, ParsePath(fromText), ParsePath(toText), nullptr);
}

uint32_t FakePlatform::SystemCopy(const std::string& srcText, const std::string& dstText,
                                  bool failIfExists) {
  ++state_->systemCopies;
  ParsedPath src = ParsePath(srcText);
  ParsedPath dst = ParsePath(dstText);
  if (src.error == 0) {
    if (auto fault = State::FaultOf(state_->failSystemCopy, src.Key())) return *fault;
  }
  NodePtr srcParent, srcNode, dstParent, dstNode;
  if (uint32_t error = state_->Locate(src, srcParent, srcNode)) return error;
  if (!srcNode) return ErrorFileNotFound;
  if (srcNode->dir) return ErrorAccessDenied;
  if (state_->locked.count(src.Key()) || SharingConflict(*srcNode, AccessRead, ShareRead | ShareDelete)) {
    return ErrorSharingViolation;
  }
  if (uint32_t error = state_->Locate(dst, dstParent, dstNode)) return error;
  if (!dstParent) return ErrorAccessDenied;
  if (dstNode) {
    if (failIfExists) return ErrorFileExists;
    if (dstNode == srcNode) return ErrorSharingViolation;
    if (dstNode->dir) return ErrorAccessDenied;
    if (state_->WriteProtected(dst)) return ErrorWriteProtect;
    if (dstNode->attributes & (AttrReadOnly | AttrHidden)) return ErrorAccessDenied;
    if (state_->locked.count(dst.Key()) || SharingConflict(*dstNode, AccessWrite, 0)) {
      return ErrorSharingViolation;
    }
  } else {
    if (!ValidName(dst.parts.back())) return ErrorInvalidName;
    if (state_->WriteProtected(dst)) return ErrorWriteProtect;
  }
  const int64_t needed = static_cast<int64_t>(srcNode->content.size()) -
                         (dstNode ? static_cast<int64_t>(dstNode->content.size()) : 0);
  if (needed > state_->FreeBytes(dst)) return ErrorDiskFull;
  if (!dstNode) {
    dstNode = std::make_shared<Node>();
    dstNode->name = dst.parts.back();
    dstParent->children[UpperCase(dstNode->name)] = dstNode;
  }
  dstNode->content = srcNode->content;
  dstNode->date = srcNode->date;
  dstNode->attributes = srcNode->attributes;
  return 0;
}

std::unique_ptr<PageBuffer> FakePlatform::AllocatePages(uint32_t size, uint32_t& error) {
  error = 0;
  if (state_->failAllocations > 0) {
    --state_->failAllocations;
    error = state_->failAllocationError;
    return nullptr;
  }
  if (size == 0) {
    error = ErrorInvalidParameter;
    return nullptr;
  }
  return std::make_unique<FakePageBuffer>(state_, size);
}

uint32_t FakePlatform::DriveType(char letter) {
  ++state_->driveTypeQueries;
  auto it = state_->drives.find(UpperLetter(letter));
  return it == state_->drives.end() ? uint32_t(DriveNoRootDir) : it->second.type;
}

bool FakePlatform::DiskFreeSpace(char letter, int64_t& freeBytes, int64_t& totalBytes) {
  freeBytes = 0;
  totalBytes = 0;
  const char upper = UpperLetter(letter);
  auto it = state_->drives.find(upper);
  if (it == state_->drives.end() || !it->second.ready || it->second.freeQueryFails) return false;
  ParsedPath path;
  path.drive = upper;
  path.rootKey = std::string(1, upper) + ":";
  freeBytes = state_->FreeBytes(path);
  totalBytes = it->second.totalBytes;
  return true;
}

uint32_t FakePlatform::SectorSize(char letter) {
  auto it = state_->drives.find(UpperLetter(letter));
  if (it == state_->drives.end() || !it->second.ready || it->second.freeQueryFails) return 0;
  return it->second.sectorSize;
}

bool FakePlatform::NamedStreamsPossible(char letter) {
  auto it = state_->drives.find(UpperLetter(letter));
  return it == state_->drives.end() || !it->second.ready || it->second.namedStreams;
}

uint32_t FakePlatform::NetGetConnection(const std::string& local, std::string& remote) {
  remote.clear();
  auto it = state_->connections.find(UpperCase(local));
  if (it == state_->connections.end()) return ErrorNotConnected;
  remote = it->second.remote;
  return it->second.connected ? 0 : uint32_t(ErrorConnectionUnavail);
}

uint32_t FakePlatform::NetAddConnection(uintptr_t /*ownerWindow*/, const std::string& local,
                                        const std::string& remote) {
  state_->netAddCalls.push_back(local + "=" + remote);
  auto it = state_->connections.find(UpperCase(local));
  if (it == state_->connections.end()) return ErrorBadDevice;
  if (it->second.addResult != 0) return it->second.addResult;
  // A restored connection makes the drive letter usable.
  it->second.connected = true;
  if (!local.empty()) {
    auto drive = state_->drives.find(UpperLetter(local[0]));
    if (drive != state_->drives.end()) {
      drive->second.ready = true;
    } else if (IsLetter(local[0])) {
      FakeDrive remoteDrive;
      remoteDrive.type = DriveRemote;
      AddDrive(local[0], remoteDrive);
    }
  }
  return 0;
}

std::string FakePlatform::ErrorText(uint32_t code) {
  static const std::map<uint32_t, const char*> texts = {
      {0, "The operation completed successfully."},
      {2, "The system cannot find the file specified."},
      {3, "The system cannot find the path specified."},
      {5, "Access is denied."},
      {6, "The handle is invalid."},
      {8, "Not enough memory resources are available to process this command."},
      {17, "The system cannot move the file to a different disk drive."},
      {18, "There are no more files."},
      {19, "The media is write protected."},
      {21, "The device is not ready."},
      {29, "The system cannot write to the specified device."},
      {30, "The system cannot read from the specified device."},
      {32, "The process cannot access the file because it is being used by another process."},
      {33, "The process cannot access the file because another process has locked a portion of the file."},
      {39, "The disk is full."},
      {53, "The network path was not found."},
      {67, "The network name cannot be found."},
      {80, "The file exists."},
      {84, "Storage to process this request is not available."},
      {87, "The parameter is incorrect."},
      {112, "There is not enough space on the disk."},
      {123, "The filename, directory name, or volume label syntax is incorrect."},
      {145, "The directory is not empty."},
      {183, "Cannot create a file when that file already exists."},
      {234, "More data is available."},
      {240, "The session was canceled."},
      {267, "The directory name is invalid."},
      {1200, "The specified device name is invalid."},
      {1201, "The device is not currently connected but it is a remembered connection."},
      {1223, "The operation was canceled by the user."},
      {2250, "This network connection does not exist."},
  };
  auto it = texts.find(code);
  return it == texts.end() ? std::string() : std::string(it->second) + "\r\n";
}

void FakePlatform::Beep(BeepKind kind) { state_->beeps.push_back(kind); }

int32_t FakePlatform::PackLocalTime(const CivilTime& time) {
  return PackDate(time.year, time.month, time.day, time.hour, time.minute, time.second);
}

}  // namespace plovik::test
