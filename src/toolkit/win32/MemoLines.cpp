#include "toolkit/win32/MemoLines.h"

namespace plovik {

namespace {
constexpr size_t LineBreakUnits = 2;  // CR LF
size_t LowBit(size_t i) { return i & (~i + 1); }
}  // namespace

void PrefixSums::PushBack(int64_t value) {
  const size_t node = tree_.size() + 1;
  // The new node covers (node - lowbit(node), node]: the values before it
  // in that range are the difference of two prefix sums.
  tree_.push_back(value + Prefix(node - 1) - Prefix(node - LowBit(node)));
}

void PrefixSums::Add(size_t index, int64_t delta) {
  for (size_t node = index + 1; node <= tree_.size(); node += LowBit(node)) {
    tree_[node - 1] += delta;
  }
}

int64_t PrefixSums::Prefix(size_t count) const {
  int64_t sum = 0;
  for (size_t node = count < tree_.size() ? count : tree_.size(); node > 0; node -= LowBit(node)) {
    sum += tree_[node - 1];
  }
  return sum;
}

size_t PrefixSums::Find(int64_t target) const {
  size_t step = 1;
  while (step * 2 <= tree_.size()) step *= 2;
  size_t node = 0;
  for (; step > 0; step /= 2) {
    if (node + step <= tree_.size() && tree_[node + step - 1] <= target) {
      node += step;
      target -= tree_[node - 1];
    }
  }
  return node;
}

size_t MemoLines::Units(const std::string& line) {
  // One unit per character, two for the characters beyond the BMP (the
  // four-byte sequences); continuation bytes add nothing.
  size_t units = 0;
  for (const char c : line) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) ++units;
    if (byte >= 0xF0) ++units;
  }
  return units;
}

std::vector<std::string> MemoLines::All() const {
  std::vector<std::string> lines;
  lines.reserve(static_cast<size_t>(count_));
  for (size_t slot = 0; slot < slots_.size(); ++slot) {
    if (live_.Prefix(slot + 1) - live_.Prefix(slot) != 0) lines.push_back(slots_[slot]);
  }
  return lines;
}

void MemoLines::Assign(std::vector<std::string> lines) {
  Clear();
  for (std::string& line : lines) Append(std::move(line));
}

void MemoLines::Append(std::string line) {
  units_.PushBack(static_cast<int64_t>(Units(line) + LineBreakUnits));
  live_.PushBack(1);
  slots_.push_back(std::move(line));
  ++count_;
}

void MemoLines::Set(int index, std::string line) {
  const size_t slot = SlotOf(index);
  units_.Add(slot, static_cast<int64_t>(Units(line)) - static_cast<int64_t>(Units(slots_[slot])));
  slots_[slot] = std::move(line);
}

void MemoLines::Erase(int index) {
  const size_t slot = SlotOf(index);
  units_.Add(slot, -static_cast<int64_t>(Units(slots_[slot]) + LineBreakUnits));
  live_.Add(slot, -1);
  slots_[slot] = std::string();
  --count_;
  if (slots_.size() > 2 * static_cast<size_t>(count_) + 64) Pack();
}

void MemoLines::Clear() {
  slots_.clear();
  units_.Clear();
  live_.Clear();
  count_ = 0;
}

size_t MemoLines::Offset(int index) const {
  if (index >= count_) return static_cast<size_t>(units_.Prefix(slots_.size()));
  return static_cast<size_t>(units_.Prefix(SlotOf(index)));
}

size_t MemoLines::SlotOf(int index) const { return live_.Find(index); }

void MemoLines::Pack() { Assign(All()); }

}  // namespace plovik
