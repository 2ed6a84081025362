// The lines of a memo with the UTF-16 length of each, so that the offset
// of a line in the control's text (lines joined by CR LF) is found without
// a walk over the lines before it. Deleting a line in the middle of a long
// protocol, which the memo-full workaround does line by line, costs
// logarithmic time: a deleted line leaves an empty slot behind, and the
// slots are packed again once more than half of them are empty.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plovik {

// Sums of a growing list of counts, prefix sums and searches in
// logarithmic time (a binary indexed tree).
class PrefixSums {
 public:
  size_t Size() const { return tree_.size(); }
  void Clear() { tree_.clear(); }
  void PushBack(int64_t value);
  void Add(size_t index, int64_t delta);
  // The sum of the first `count` values.
  int64_t Prefix(size_t count) const;
  // The smallest index whose prefix sum including it exceeds `target`
  // (the values must not be negative); Size() when there is none.
  size_t Find(int64_t target) const;

 private:
  std::vector<int64_t> tree_;  // tree_[i - 1] covers (i - lowbit(i), i]
};

class MemoLines {
 public:
  int Count() const { return count_; }
  const std::string& At(int index) const { return slots_[SlotOf(index)]; }
  std::vector<std::string> All() const;
  void Assign(std::vector<std::string> lines);
  void Append(std::string line);
  void Set(int index, std::string line);
  void Erase(int index);
  void Clear();
  // Where line `index` starts in the joined text, in UTF-16 units; Count()
  // gives the length of the whole text plus a line break.
  size_t Offset(int index) const;
  // The length of a line in UTF-16 units.
  static size_t Units(const std::string& line);
  // Slots in use, deleted ones included (for the tests of the packing).
  size_t Slots() const { return slots_.size(); }

 private:
  size_t SlotOf(int index) const;
  void Pack();

  std::vector<std::string> slots_;
  PrefixSums units_;  // per slot: the line's units and its line break; 0 when deleted
  PrefixSums live_;   // per slot: 1 for a line, 0 when deleted
  int count_ = 0;
};

}  // namespace plovik
