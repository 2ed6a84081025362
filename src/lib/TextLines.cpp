#include "lib/TextLines.h"

#include <algorithm>
#include <iterator>

#include "lib/Utf.h"

namespace plovik {

namespace {

// The text a block is made for; a longer line gets a block of its own.
constexpr size_t BlockBytes = size_t(16) << 10;
// A block that insertions made larger than this is split.
constexpr size_t MaxBlockBytes = 2 * BlockBytes;
constexpr size_t LineBreakCost = 2;  // CR LF
// A block's line ends are made room for at once for lines of this length
// (a protocol line is about twice as long).
constexpr size_t TypicalLineBytes = 48;

}  // namespace

size_t TextLines::Cost(std::string_view line) { return CharCount(line) + LineBreakCost; }

size_t TextLines::BlockOf(int index) const {
  const auto after = std::upper_bound(firstLines_.begin(), firstLines_.end(), index);
  return static_cast<size_t>(after - firstLines_.begin()) - 1;
}

std::string_view TextLines::View(int index) const {
  if (index < 0 || index >= count_) return std::string_view();
  const size_t block = BlockOf(index);
  return blocks_[block].LineAt(static_cast<size_t>(index - firstLines_[block]));
}

std::vector<std::string> TextLines::All() const {
  std::vector<std::string> lines;
  lines.reserve(static_cast<size_t>(count_));
  ForEach([&lines](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

std::string TextLines::Text() const {
  size_t bytes = 0;
  for (const Block& block : blocks_) bytes += block.text.size() + LineBreakCost * block.ends.size();
  std::string text;
  text.reserve(bytes);
  bool first = true;
  ForEach([&](std::string_view line) {
    if (!first) text += "\r\n";
    first = false;
    text += line;
  });
  return text;
}

bool TextLines::Append(std::string_view line) {
  const size_t cost = Cost(line);
  if (used_ > capacity_ || cost > capacity_ - used_) return false;
  AppendLine(line);
  used_ += cost;
  Notify(TextChange{count_ - 1, 0, 1});
  return true;
}

void TextLines::Set(int index, std::string_view line) {
  if (index < 0 || index >= count_) return;
  const std::string copy(line);  // the line may be a view of our own text
  used_ = used_ - Cost(View(index)) + Cost(copy);
  const size_t b = BlockOf(index);
  Block& block = blocks_[b];
  const auto local = static_cast<size_t>(index - firstLines_[b]);
  const size_t from = block.Start(local), to = block.ends[local];
  block.text.replace(from, to - from, copy);
  const auto delta = static_cast<uint32_t>(copy.size() - (to - from));  // modulo 2^32
  for (size_t i = local; i < block.ends.size(); ++i) block.ends[i] += delta;
  if (block.text.size() > MaxBlockBytes && block.ends.size() > 1) {
    SplitBlock(b);
    Renumber(b);
  }
  Notify(TextChange{index, 1, 1});
}

void TextLines::Erase(int index) {
  if (index < 0 || index >= count_) return;
  used_ -= Cost(View(index));
  EraseLines(index, 1);
  Notify(TextChange{index, 1, 0});
}

void TextLines::Clear() {
  const int removed = count_;
  std::vector<Block>().swap(blocks_);
  std::vector<int>().swap(firstLines_);
  count_ = 0;
  used_ = 0;
  Notify(TextChange{0, removed, 0});
}

bool TextLines::Replace(int first, int count, const std::vector<std::string>& lines) {
  if (first < 0 || count < 0 || first > count_ || count > count_ - first) return false;
  if (count == 0 && lines.empty()) return true;
  const size_t removedCost = CostOf(first, count);
  size_t addedCost = 0;
  for (const std::string& line : lines) addedCost += Cost(line);
  const size_t rest = used_ - removedCost;
  if (addedCost > removedCost && (rest > capacity_ || addedCost > capacity_ - rest)) return false;
  if (count > 0) EraseLines(first, count);
  const std::vector<std::string_view> views(lines.begin(), lines.end());
  InsertLines(first, views.data(), views.size());
  used_ = rest + addedCost;
  Notify(TextChange{first, count, static_cast<int>(lines.size())});
  return true;
}

size_t TextLines::CostOf(int first, int count) const {
  size_t cost = 0;
  for (int i = first; i < first + count; ++i) cost += Cost(View(i));
  return cost;
}

void TextLines::AppendLine(std::string_view line) {
  if (blocks_.empty() ||
      (!blocks_.back().ends.empty() && blocks_.back().text.size() + line.size() > BlockBytes)) {
    Block block;
    block.text.reserve(std::max(BlockBytes, line.size()));
    block.ends.reserve(BlockBytes / TypicalLineBytes);
    blocks_.push_back(std::move(block));
    firstLines_.push_back(count_);
  }
  Block& last = blocks_.back();
  last.text.append(line);
  last.ends.push_back(static_cast<uint32_t>(last.text.size()));
  ++count_;
}

void TextLines::EraseLines(int first, int count) {
  size_t b = BlockOf(first);
  const size_t renumberFrom = b;
  auto local = static_cast<size_t>(first - firstLines_[b]);
  for (int left = count; left > 0;) {
    Block& block = blocks_[b];
    const size_t n = std::min(static_cast<size_t>(left), block.ends.size() - local);
    const size_t from = block.Start(local), to = block.ends[local + n - 1];
    block.text.erase(from, to - from);
    block.ends.erase(block.ends.begin() + static_cast<ptrdiff_t>(local),
                     block.ends.begin() + static_cast<ptrdiff_t>(local + n));
    for (size_t i = local; i < block.ends.size(); ++i)
      block.ends[i] -= static_cast<uint32_t>(to - from);
    left -= static_cast<int>(n);
    count_ -= static_cast<int>(n);
    if (block.ends.empty()) {
      blocks_.erase(blocks_.begin() + static_cast<ptrdiff_t>(b));
      firstLines_.erase(firstLines_.begin() + static_cast<ptrdiff_t>(b));
    } else {
      ++b;
    }
    local = 0;
  }
  Renumber(renumberFrom);
}

void TextLines::InsertLines(int at, const std::string_view* lines, size_t count) {
  if (at == count_) {
    for (size_t i = 0; i < count; ++i) AppendLine(lines[i]);
    return;
  }
  const size_t b = BlockOf(at);
  Block& block = blocks_[b];
  const auto local = static_cast<size_t>(at - firstLines_[b]);
  const size_t start = block.Start(local);
  std::string joined;
  std::vector<uint32_t> ends;
  for (size_t i = 0; i < count; ++i) {
    joined += lines[i];
    ends.push_back(static_cast<uint32_t>(start + joined.size()));
  }
  block.text.insert(start, joined);
  for (size_t i = local; i < block.ends.size(); ++i)
    block.ends[i] += static_cast<uint32_t>(joined.size());
  block.ends.insert(block.ends.begin() + static_cast<ptrdiff_t>(local), ends.begin(), ends.end());
  count_ += static_cast<int>(count);
  if (block.text.size() > MaxBlockBytes && block.ends.size() > 1) SplitBlock(b);
  Renumber(b);
}

// Cuts a block that grew too large into blocks of the usual size.
void TextLines::SplitBlock(size_t b) {
  const Block old = std::move(blocks_[b]);
  std::vector<Block> pieces(1);
  for (size_t i = 0; i < old.ends.size(); ++i) {
    const std::string_view line = old.LineAt(i);
    if (!pieces.back().ends.empty() && pieces.back().text.size() + line.size() > BlockBytes) {
      pieces.emplace_back();
    }
    pieces.back().text.append(line);
    pieces.back().ends.push_back(static_cast<uint32_t>(pieces.back().text.size()));
  }
  const auto at = static_cast<ptrdiff_t>(b);
  blocks_.erase(blocks_.begin() + at);
  blocks_.insert(blocks_.begin() + at, std::make_move_iterator(pieces.begin()),
                 std::make_move_iterator(pieces.end()));
  firstLines_.insert(firstLines_.begin() + at, pieces.size() - 1, 0);
}

void TextLines::Renumber(size_t fromBlock) {
  for (size_t i = fromBlock; i < blocks_.size(); ++i) {
    firstLines_[i] = i == 0 ? 0 : firstLines_[i - 1] + static_cast<int>(blocks_[i - 1].ends.size());
  }
}

void TextLines::AddListener(TextLinesListener* listener) {
  if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end()) {
    listeners_.push_back(listener);
  }
}

void TextLines::RemoveListener(TextLinesListener* listener) {
  const auto found = std::find(listeners_.begin(), listeners_.end(), listener);
  if (found == listeners_.end()) return;
  if (notifying_ > 0) {
    *found = nullptr;
  } else {
    listeners_.erase(found);
  }
}

void TextLines::Notify(const TextChange& change) {
  // Listeners that stop listening while they are told are removed after
  // the round, also when one of them throws.
  struct Round {
    explicit Round(TextLines& lines) : lines_(lines) { ++lines_.notifying_; }
    ~Round() {
      if (--lines_.notifying_ == 0) std::erase(lines_.listeners_, nullptr);
    }
    TextLines& lines_;
  } round(*this);
  // By index: a listener may start or stop listening while it is told.
  for (size_t i = 0; i < listeners_.size(); ++i) {
    if (listeners_[i] != nullptr) listeners_[i]->LinesChanged(change);
  }
}

}  // namespace plovik
