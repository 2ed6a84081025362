// The line model: capacity and refusal, changes anywhere in a long text
// against a plain list of lines, the notices its listeners get, and a
// million lines.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "lib/TextLines.h"

namespace plovik {
namespace {

struct Recorder : TextLinesListener {
  void LinesChanged(const TextChange& change) override { changes.push_back(change); }
  std::vector<TextChange> changes;
};

TEST(TextLinesTest, CapacityCountsCharactersAndLineBreaksAndRefusesWithoutAChange) {
  TextLines lines;
  Recorder recorder;
  lines.AddListener(&recorder);
  lines.SetCapacity(12);
  EXPECT_TRUE(lines.Append("äbc"));  // 3 characters + 2
  EXPECT_TRUE(lines.Append(""));
  EXPECT_FALSE(lines.Append("abcd"));  // would need 13
  EXPECT_TRUE(lines.Append("abc"));    // exactly 12
  EXPECT_EQ(lines.Used(), 12u);
  lines.Set(1, "longer than the capacity");  // replacing is never refused
  EXPECT_FALSE(lines.Append(""));
  lines.Erase(1);
  EXPECT_EQ(lines.All(), (std::vector<std::string>{"äbc", "abc"}));
  EXPECT_EQ(lines.Used(), 10u);
  // An edit may shrink a text that is over its capacity, not grow it.
  lines.SetCapacity(4);
  EXPECT_FALSE(lines.Replace(0, 1, {"äbcd"}));
  EXPECT_TRUE(lines.Replace(0, 2, {"x"}));
  EXPECT_EQ(lines.All(), (std::vector<std::string>{"x"}));
  // Out-of-range changes change nothing.
  lines.Set(1, "y");
  lines.Erase(-1);
  EXPECT_FALSE(lines.Replace(1, 1, {"z"}));
  const std::vector<TextChange> expected = {{0, 0, 1}, {1, 0, 1}, {2, 0, 1},
                                            {1, 1, 1}, {1, 1, 0}, {0, 2, 1}};
  EXPECT_EQ(recorder.changes, expected);
  lines.Clear();
  EXPECT_EQ(recorder.changes.back(), (TextChange{0, 1, 0}));
  EXPECT_EQ(lines.Used(), 0u);
  EXPECT_EQ(lines.Text(), "");
  lines.RemoveListener(&recorder);
}

// Appends, replacements, deletions and multi-line edits at random places,
// with lines long enough to fill and split blocks, against a plain list.
TEST(TextLinesTest, ChangesAnywhereKeepEveryLineInItsPlace) {
  TextLines lines;
  std::vector<std::string> model;
  const std::string samples[] = {"",
                                 "COPY   C:\\a.txt",
                                 "Gr\xC3\xBC\xC3\x9F"
                                 "e",
                                 "\xF0\x9F\x98\x80 beyond the BMP",
                                 std::string(5000, 'w'),
                                 std::string(40000, 'L')};
  uint32_t random = 12345;
  auto next = [&random](uint32_t range) {
    random = random * 1103515245u + 12345u;
    return (random >> 8) % range;
  };
  for (int step = 0; step < 4000; ++step) {
    const std::string& text = samples[next(6)];
    const uint32_t action = model.empty() ? 0 : next(5);
    const auto index =
        static_cast<int>(model.empty() ? 0 : next(static_cast<uint32_t>(model.size())));
    if (action <= 1) {
      ASSERT_TRUE(lines.Append(text));
      model.push_back(text);
    } else if (action == 2) {
      lines.Set(index, text);
      model[static_cast<size_t>(index)] = text;
    } else if (action == 3) {
      lines.Erase(index);
      model.erase(model.begin() + index);
    } else {
      const int count = std::min(static_cast<int>(next(3)), static_cast<int>(model.size()) - index);
      const std::vector<std::string> inserted(next(4), text);
      ASSERT_TRUE(lines.Replace(index, count, inserted));
      model.erase(model.begin() + index, model.begin() + index + count);
      model.insert(model.begin() + index, inserted.begin(), inserted.end());
    }
    ASSERT_EQ(lines.Count(), static_cast<int>(model.size())) << "step " << step;
    if (!model.empty()) {
      const size_t probe = next(static_cast<uint32_t>(model.size()));
      ASSERT_EQ(lines.View(static_cast<int>(probe)), model[probe]) << "step " << step;
    }
  }
  EXPECT_EQ(lines.All(), model);
  size_t used = 0;
  std::string text;
  for (size_t i = 0; i < model.size(); ++i) {
    used += TextLines::Cost(model[i]);
    text += (i > 0 ? "\r\n" : "") + model[i];
  }
  EXPECT_EQ(lines.Used(), used);
  EXPECT_EQ(lines.Text(), text);
  EXPECT_EQ(lines.Line(lines.Count()), "");
  EXPECT_EQ(lines.Line(-1), "");
}

// A listener that stops listening while it is told of a change, and one
// that goes with it, do not keep the others from hearing of it.
TEST(TextLinesTest, ListenersMayStopListeningWhileTheyAreTold) {
  TextLines lines;
  struct Leaving : TextLinesListener {
    void LinesChanged(const TextChange&) override {
      ++calls;
      lines->RemoveListener(this);
      if (other != nullptr) lines->RemoveListener(other);
    }
    TextLines* lines = nullptr;
    TextLinesListener* other = nullptr;
    int calls = 0;
  };
  Recorder before, removed, after;
  Leaving leaving;
  leaving.lines = &lines;
  leaving.other = &removed;
  lines.AddListener(&before);
  lines.AddListener(&leaving);
  lines.AddListener(&removed);
  lines.AddListener(&after);
  lines.AddListener(&after);  // once only
  lines.Append("one");
  lines.Append("two");
  EXPECT_EQ(leaving.calls, 1);
  EXPECT_EQ(before.changes.size(), 2u);
  EXPECT_TRUE(removed.changes.empty());
  EXPECT_EQ(after.changes.size(), 2u);
  lines.RemoveListener(&before);
  lines.RemoveListener(&after);
}

// A million protocol lines: the count, lines at both ends and in the
// middle, and the protocol's cut of twenty lines in the middle.
TEST(TextLinesTest, AMillionLines) {
  TextLines lines;
  auto lineOf = [](int i) {
    char text[120];
    std::snprintf(
        text, sizeof text,
        "COPY   C:\\Data\\Projects\\Archive\\2024\\Quarter1\\Documents\\Letters\\file%07d.docx", i);
    return std::string(text);
  };
  constexpr int Million = 1000000;
  for (int i = 0; i < Million; ++i) ASSERT_TRUE(lines.Append(lineOf(i)));
  EXPECT_EQ(lines.Count(), Million);
  EXPECT_EQ(lines.View(0), lineOf(0));
  EXPECT_EQ(lines.View(Million / 2), lineOf(Million / 2));
  EXPECT_EQ(lines.View(Million - 1), lineOf(Million - 1));
  EXPECT_EQ(lines.Used(), static_cast<size_t>(Million) * (lineOf(0).size() + 2));
  for (int i = 0; i < 20; ++i) lines.Erase(Million / 2);
  lines.Set(Million / 2 - 2, "20 lines deleted");
  EXPECT_EQ(lines.Count(), Million - 20);
  EXPECT_EQ(lines.View(Million / 2 - 2), "20 lines deleted");
  EXPECT_EQ(lines.View(Million / 2), lineOf(Million / 2 + 20));
  EXPECT_EQ(lines.View(Million - 21), lineOf(Million - 1));
  size_t visited = 0;
  lines.ForEach([&visited](std::string_view) { ++visited; });
  EXPECT_EQ(visited, static_cast<size_t>(Million - 20));
}

}  // namespace
}  // namespace plovik
