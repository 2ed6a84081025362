#include "toolkit/headless/Headless.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "lib/Utf.h"

namespace plovik {

int HeadlessCharWidth(const Font& font) {
  const int height = std::abs(font.height);
  return std::max(1, (height * 7 + 5) / 11);
}

// ---- forms and simple controls --------------------------------------------

void HeadlessForm::SetBounds(int left, int top, int width, int height) {
  s_.left = left;
  s_.top = top;
  s_.width = width;
  s_.height = height;
}

void HeadlessButton::SetBounds(int left, int top, int width, int height) {
  s_.left = left;
  s_.top = top;
  s_.width = width;
  s_.height = height;
}

void HeadlessButton::Click() {
  if (!s_.enabled || !onClick_) return;
  // A copy: the handler may replace itself while it runs.
  const std::function<void()> handler = onClick_;
  handler();
}

void HeadlessLabel::SetBounds(int left, int top, int width, int height) {
  s_.left = left;
  s_.top = top;
  s_.width = width;
  s_.height = height;
}

int HeadlessLabel::Width() const {
  return static_cast<int>(CharCount(caption_)) * HeadlessCharWidth(s_.font);
}

// ---- memo -----------------------------------------------------------------

namespace {
// Characters a line takes in the memo: its text and its line break.
size_t LineCost(const std::string& line) { return CharCount(line) + 2; }
}  // namespace

void HeadlessMemo::SetBounds(int left, int top, int width, int height) {
  s_.left = left;
  s_.top = top;
  s_.width = width;
  s_.height = height;
}

std::string HeadlessMemo::Line(int index) const {
  if (index < 0 || index >= Count()) return std::string();
  return lines_[static_cast<size_t>(index)];
}

bool HeadlessMemo::Append(const std::string& line) {
  const size_t cost = LineCost(line);
  if (used_ > capacity_ || cost > capacity_ - used_) return false;
  lines_.push_back(line);
  used_ += cost;
  Changed();
  return true;
}

void HeadlessMemo::SetLine(int index, const std::string& line) {
  if (index < 0 || index >= Count()) return;
  std::string& slot = lines_[static_cast<size_t>(index)];
  used_ = used_ - LineCost(slot) + LineCost(line);
  slot = line;
  Changed();
}

void HeadlessMemo::DeleteLine(int index) {
  if (index < 0 || index >= Count()) return;
  used_ -= LineCost(lines_[static_cast<size_t>(index)]);
  lines_.erase(lines_.begin() + index);
  Changed();
}

void HeadlessMemo::Clear() {
  lines_.clear();
  used_ = 0;
  Changed();
}

void HeadlessMemo::Changed() {
  if (onChange_) {
    const std::function<void()> handler = onChange_;
    handler();
  }
}

// ---- toolkit --------------------------------------------------------------

namespace {
// Stands in the action list for an action while it runs, so that message
// processing nested inside the action skips it; the token finds the slot
// again after nested calls removed or added actions.
struct RunningAction {
  int token;
  bool operator()() const { return false; }
};

bool IsRunning(const std::function<bool()>& action) {
  return action.target<RunningAction>() != nullptr;
}
}  // namespace

void HeadlessToolkit::ProcessMessages() {
  ++processCount;
  size_t i = 0;
  while (i < actions.size()) {
    if (!actions[i] || IsRunning(actions[i])) {
      ++i;
      continue;
    }
    const int token = ++nextActionToken_;
    std::function<bool()> action = std::move(actions[i]);
    actions[i] = RunningAction{token};
    const bool done = action();
    // Find the slot again: nested processing may have moved it.
    auto slot = std::find_if(actions.begin(), actions.end(), [token](const auto& a) {
      const RunningAction* running = a.template target<RunningAction>();
      return running != nullptr && running->token == token;
    });
    if (slot == actions.end()) {
      // The list was replaced while the action ran; carry on with it.
      continue;
    }
    i = static_cast<size_t>(slot - actions.begin());
    if (done) {
      actions.erase(slot);
    } else {
      *slot = std::move(action);
      ++i;
    }
  }
}

std::unique_ptr<Form> HeadlessToolkit::CreateForm() { return std::make_unique<HeadlessForm>(); }

std::unique_ptr<Memo> HeadlessToolkit::CreateMemo(Form&) { return std::make_unique<HeadlessMemo>(); }

std::unique_ptr<Button> HeadlessToolkit::CreateButton(Form&) {
  return std::make_unique<HeadlessButton>();
}

std::unique_ptr<Label> HeadlessToolkit::CreateLabel(Form&) {
  return std::make_unique<HeadlessLabel>();
}

int HeadlessToolkit::MessageDialog(const std::string& text, DialogType type, uint32_t buttons,
                                   int helpContext) {
  dialogs.push_back(DialogRecord{text, type, buttons, helpContext});
  if (answers.empty()) return defaultAnswer;
  const int answer = answers.front();
  answers.pop_front();
  return answer;
}

void HeadlessToolkit::SetScreenCursor(CursorKind kind) {
  cursor = kind;
  if (kind == CursorKind::Hourglass) ++hourglassCount;
}

}  // namespace plovik
