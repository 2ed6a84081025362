// Open files, searches, page buffers and named mutexes of the fake platform.
#include <algorithm>
#include <cstring>
#include <new>

#include "support/FakeSystem.h"

namespace plovik::test::fake {

namespace {

constexpr uint32_t PageAlignment = 4096;
constexpr uint32_t ErrorNotOwner = 288;

// Attribute bits SetFileAttributes and SetStamp can change.
constexpr uint32_t SettableAttributes = AttrReadOnly | AttrHidden | AttrSystem | AttrArchive |
                                        AttrTemporary | AttrOffline | AttrNotContentIndexed;

class FakeFile : public File {
 public:
  FakeFile(std::shared_ptr<State> state, NodePtr node, ParsedPath path, FileAccess access,
           FileShare share, FileFlags flags, std::string currentDirectory)
      : state_(std::move(state)), node_(std::move(node)), path_(std::move(path)),
        key_(path_.Key()), flags_(flags), currentDirectory_(std::move(currentDirectory)) {
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

  Result<uint32_t> Read(void* buffer, uint32_t count) override {
    if (uint32_t error = state_->RootError(path_)) return Failure(error);
    if (node_->dir || !Has(record_.access, FileAccess::Read)) return Failure(ErrorAccessDenied);
    if (uint32_t error = CheckUnbuffered(buffer, count)) return Failure(error);
    const uint64_t size = node_->content.size();
    const uint64_t available = position_ < size ? std::min<uint64_t>(count, size - position_) : 0;
    if (auto fault = State::FaultOf(state_->failRead, key_)) {
      if (position_ >= fault->first || position_ + available > fault->first)
        return Failure(fault->second);
    }
    if (available > 0) std::memcpy(buffer, node_->content.data() + position_, available);
    if (available > 0 && Has(record_.access, FileAccess::Write) &&
        state_->corruptReadBack.count(key_)) {
      static_cast<uint8_t*>(buffer)[0] ^= 0x5A;
    }
    position_ += available;
    return static_cast<uint32_t>(available);
  }

  Result<uint32_t> Write(const void* buffer, uint32_t count) override {
    if (uint32_t error = state_->RootError(path_)) return Failure(error);
    if (node_->dir || !Has(record_.access, FileAccess::Write)) return Failure(ErrorAccessDenied);
    if (state_->WriteProtected(path_)) return Failure(ErrorWriteProtect);
    if (uint32_t error = CheckUnbuffered(buffer, count)) return Failure(error);
    if (auto fault = State::FaultOf(state_->failWrite, key_)) {
      if (position_ >= fault->first || position_ + count > fault->first)
        return Failure(fault->second);
    }
    uint32_t accepted = count;
    if (auto offset = State::FaultOf(state_->shortWrite, key_)) {
      if (*offset >= position_ && *offset < position_ + count) {
        const uint32_t sector = state_->SectorSizeOf(path_.drive);
        accepted = count > sector ? count - sector : 0;
      }
    }
    if (accepted == 0) return 0u;
    if (uint32_t error = Grow(position_ + accepted)) return Failure(error);
    node_->content.replace(position_, accepted, static_cast<const char*>(buffer), accepted);
    position_ += accepted;
    Touch();
    return accepted;
  }

  Result<void> Seek(uint64_t position) override {
    position_ = position;
    return Success();
  }
  Result<uint64_t> Position() override { return position_; }

  Result<uint64_t> Size() override {
    if (uint32_t error = state_->RootError(path_)) return Failure(error);
    return static_cast<uint64_t>(node_->content.size());
  }

  Result<void> SetEnd() override {
    if (uint32_t error = state_->RootError(path_)) return Failure(error);
    if (node_->dir || !Has(record_.access, FileAccess::Write)) return Failure(ErrorAccessDenied);
    // Taken as the strictest system would: an unbuffered handle cannot end
    // the file inside a sector.
    if (Has(flags_, FileFlags::NoBuffering)) {
      const uint32_t sector = state_->SectorSizeOf(path_.drive);
      if (sector != 0 && position_ % sector != 0) return Failure(ErrorInvalidParameter);
    }
    if (state_->WriteProtected(path_)) return Failure(ErrorWriteProtect);
    if (uint32_t error = Grow(position_)) return Failure(error);
    node_->content.resize(position_);
    Touch();
    return Success();
  }

  Result<int32_t> PackedDate() override {
    // The date can be read only through a handle opened for reading.
    if (uint32_t error = state_->RootError(path_)) return Failure(error);
    if (!Has(record_.access, FileAccess::Read)) return Failure(ErrorAccessDenied);
    return PackedOfTicks(node_->lastWrite);
  }

  Result<void> SetPackedDate(int32_t packedDate) override {
    if (const uint32_t error = DateChangeRefusal()) return Failure(error);
    const uint64_t ticks = TicksOfPacked(packedDate);
    if (ticks == 0) return Failure(ErrorInvalidParameter);
    node_->lastWrite = ticks;
    dateSet_ = true;
    return Success();
  }

  Result<FileStamp> Stamp() override {
    if (uint32_t error = state_->RootError(path_)) return Failure(error);
    if (!Has(record_.access, FileAccess::Read)) return Failure(ErrorAccessDenied);
    FileStamp stamp;
    stamp.lastWrite = node_->lastWrite;
    stamp.attributes = ReportedAttributes(*node_);
    return stamp;
  }

  Result<void> SetStamp(const FileStamp& stamp) override {
    if (const uint32_t error = DateChangeRefusal()) return Failure(error);
    if (stamp.lastWrite != 0) {
      node_->lastWrite = stamp.lastWrite;
      dateSet_ = true;
    }
    const uint32_t attributes = stamp.attributes & SettableAttributes;
    if (stamp.attributes != 0) node_->attributes = attributes != 0 ? attributes : AttrNormal;
    return Success();
  }

  Result<void> RenameTo(const std::string& text) override {
    if (!Has(record_.access, FileAccess::Delete)) return Failure(ErrorAccessDenied);
    ParsedPath to = ParsePath(text, currentDirectory_);
    if (uint32_t error = MoveNode(*state_, path_, to, &record_)) return Failure(error);
    path_ = to;
    key_ = path_.Key();
    return Success();
  }

  bool HasNamedStreams() override {
    ++state_->namedStreamQueries;
    return state_->namedStreams.count(key_) != 0;
  }

 private:
  uint32_t DateChangeRefusal() {
    if (uint32_t error = state_->RootError(path_)) return error;
    if (!Has(record_.access, FileAccess::Write)) return ErrorAccessDenied;
    if (state_->WriteProtected(path_)) return ErrorWriteProtect;
    if (auto fault = State::FaultOf(state_->failSetDate, key_)) return *fault;
    return 0;
  }

  uint32_t CheckUnbuffered(const void* buffer, uint32_t count) const {
    if (!Has(flags_, FileFlags::NoBuffering)) return 0;
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
    if (state_->BytesTaken(path_, newEnd) - state_->BytesTaken(path_, size) >
        state_->FreeBytes(path_))
      return ErrorDiskFull;
    node_->content.resize(newEnd, '\0');
    return 0;
  }

  // The system dates a file by its last write, unless the date was set
  // explicitly through this handle.
  void Touch() {
    if (!dateSet_) node_->lastWrite = state_->ClockTicks();
  }

  std::shared_ptr<State> state_;
  NodePtr node_;
  ParsedPath path_;
  std::string key_;
  FileFlags flags_;
  std::string currentDirectory_;  // of the process that opened the file
  OpenRecord record_{};
  uint64_t position_ = 0;
  bool dateSet_ = false;
};

class FakeSearch : public DirSearch {
 public:
  FakeSearch(std::shared_ptr<State> state, std::vector<DirEntry> entries,
             std::optional<std::pair<uint64_t, uint32_t>> fault)
      : state_(std::move(state)), entries_(std::move(entries)), fault_(fault) {
    ++state_->openSearches;
  }
  ~FakeSearch() override { --state_->openSearches; }

  Result<std::optional<DirEntry>> Next() override {
    // The fault strikes at the call after its count of entries, whether or
    // not another entry would have come.
    if (fault_ && next_ >= fault_->first) return Failure(fault_->second);
    if (next_ >= entries_.size()) return std::optional<DirEntry>();
    return std::optional<DirEntry>(entries_[next_++]);
  }

 private:
  std::shared_ptr<State> state_;
  std::vector<DirEntry> entries_;
  std::optional<std::pair<uint64_t, uint32_t>> fault_;
  size_t next_ = 0;
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
  FakePageBuffer(const FakePageBuffer&) = delete;
  FakePageBuffer& operator=(const FakePageBuffer&) = delete;
  uint8_t* Data() override { return data_; }
  uint32_t Size() const override { return size_; }

 private:
  std::shared_ptr<State> state_;
  uint32_t size_;
  uint8_t* data_;
};

// A handle of a named mutex, held by one process. Ownership belongs to the
// process, not the handle: closing the handle leaves it, and the process's
// end abandons it.
class FakeMutex : public NamedMutex {
 public:
  FakeMutex(std::shared_ptr<State> state, std::shared_ptr<Process> process,
            std::shared_ptr<MutexObject> object)
      : state_(std::move(state)), process_(std::move(process)), object_(std::move(object)) {}

  Result<Take> TryTake() override {
    if (!process_->alive) return Failure(ErrorInvalidHandle);
    MutexObject& mutex = *object_;
    if (mutex.owner == process_->id) {
      ++mutex.recursion;
      return Take::Taken;
    }
    if (mutex.owner != 0) return Take::Busy;
    mutex.owner = process_->id;
    mutex.recursion = 1;
    const bool abandoned = mutex.abandoned;
    mutex.abandoned = false;
    return abandoned ? Take::Abandoned : Take::Taken;
  }

  Result<void> Release() override {
    if (!process_->alive) return Failure(ErrorInvalidHandle);
    MutexObject& mutex = *object_;
    if (mutex.owner != process_->id) return Failure(ErrorNotOwner);
    if (--mutex.recursion == 0) mutex.owner = 0;
    return Success();
  }

  const State* StateOf() const { return state_.get(); }
  const std::shared_ptr<MutexObject>& Object() const { return object_; }

 private:
  std::shared_ptr<State> state_;
  std::shared_ptr<Process> process_;
  std::shared_ptr<MutexObject> object_;
};

}  // namespace

std::unique_ptr<File> MakeFakeFile(std::shared_ptr<State> state, NodePtr node, ParsedPath path,
                                   FileAccess access, FileShare share, FileFlags flags,
                                   const std::string& currentDirectory) {
  return std::make_unique<FakeFile>(std::move(state), std::move(node), std::move(path), access,
                                    share, flags, currentDirectory);
}

std::unique_ptr<DirSearch> MakeFakeSearch(std::shared_ptr<State> state,
                                          std::vector<DirEntry> entries,
                                          std::optional<std::pair<uint64_t, uint32_t>> fault) {
  return std::make_unique<FakeSearch>(std::move(state), std::move(entries), fault);
}

std::unique_ptr<PageBuffer> MakeFakePageBuffer(std::shared_ptr<State> state, uint32_t size) {
  return std::make_unique<FakePageBuffer>(std::move(state), size);
}

std::unique_ptr<NamedMutex> MakeFakeMutex(std::shared_ptr<State> state,
                                          std::shared_ptr<Process> process,
                                          std::shared_ptr<MutexObject> object) {
  return std::make_unique<FakeMutex>(std::move(state), std::move(process), std::move(object));
}

std::shared_ptr<MutexObject> ObjectOf(NamedMutex* mutex, const State& state) {
  const auto* fake = dynamic_cast<FakeMutex*>(mutex);
  if (fake == nullptr || fake->StateOf() != &state) return nullptr;
  return fake->Object();
}

}  // namespace plovik::test::fake
