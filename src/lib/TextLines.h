// An ordered list of text lines, stored compactly for a million lines and
// more: the lines' bytes lie one after the other in blocks of about 16 KB,
// each with the end offset of every line in it, so a line costs its text
// and four bytes. Appending costs the same whatever the count; a change in
// the middle costs one block's bytes and a pass over the block table.
//
// The lines have a capacity in characters (text plus two for each line's
// break): an append or an edit that would exceed it is refused and changes
// nothing. Listeners hear of every change after it happened.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plovik {

// What changed: the `removed` lines from `first` on are now `inserted`
// lines. An append is {old count, 0, 1}; a cleared text {0, old count, 0}.
struct TextChange {
  int first = 0;
  int removed = 0;
  int inserted = 0;
  bool operator==(const TextChange&) const = default;
};

class TextLinesListener {
 public:
  virtual void LinesChanged(const TextChange& change) = 0;

 protected:
  ~TextLinesListener() = default;
};

class TextLines {
 public:
  // About 1.4 million lines of 90 characters, 130 MB of text.
  static constexpr size_t DefaultCapacity = size_t(128) << 20;

  TextLines() = default;
  TextLines(const TextLines&) = delete;
  TextLines& operator=(const TextLines&) = delete;

  int Count() const { return count_; }
  // The line's text, valid until the next change; empty out of range.
  std::string_view View(int index) const;
  std::string Line(int index) const { return std::string(View(index)); }
  std::vector<std::string> All() const;
  // The lines joined by CR LF, without a break after the last.
  std::string Text() const;
  // Calls `visit` with every line in order.
  template <class Visit>
  void ForEach(Visit visit) const {
    for (const Block& block : blocks_) {
      for (size_t i = 0; i < block.ends.size(); ++i) visit(block.LineAt(i));
    }
  }

  // Characters held: the text plus two for each line.
  size_t Used() const { return used_; }
  size_t Capacity() const { return capacity_; }
  // A capacity below what the lines hold refuses every further append.
  void SetCapacity(size_t characters) { capacity_ = characters; }
  // The characters a line takes: its text and its line break.
  static size_t Cost(std::string_view line);

  // Appends a line; false (and nothing changed) when it would exceed the
  // capacity.
  bool Append(std::string_view line);
  // Replaces a line; never refused. Out of range: nothing happens.
  void Set(int index, std::string_view line);
  void Erase(int index);
  void Clear();
  // Replaces `count` lines from `first` on by `lines` (an edit); false and
  // nothing changed when the range is not within the lines or the text
  // would grow beyond the capacity.
  bool Replace(int first, int count, const std::vector<std::string>& lines);

  // A listener hears of every change; it must stop listening before it
  // goes. The lines must outlive their listeners.
  void AddListener(TextLinesListener* listener);
  void RemoveListener(TextLinesListener* listener);

 private:
  struct Block {
    std::string text;
    std::vector<uint32_t> ends;  // where each line ends in text
    size_t Start(size_t i) const { return i == 0 ? 0 : ends[i - 1]; }
    std::string_view LineAt(size_t i) const {
      return std::string_view(text).substr(Start(i), ends[i] - Start(i));
    }
  };
  // The block holding a line, and the line's place in it.
  size_t BlockOf(int index) const;
  void AppendLine(std::string_view line);
  void EraseLines(int first, int count);
  void InsertLines(int at, const std::string_view* lines, size_t count);
  void SplitBlock(size_t block);
  void Renumber(size_t fromBlock);
  size_t CostOf(int first, int count) const;
  void Notify(const TextChange& change);

  std::vector<Block> blocks_;
  std::vector<int> firstLines_;  // the index of each block's first line
  int count_ = 0;
  size_t used_ = 0;
  size_t capacity_ = DefaultCapacity;
  std::vector<TextLinesListener*> listeners_;
  int notifying_ = 0;  // listeners that go while they are told are only marked
};

}  // namespace plovik
