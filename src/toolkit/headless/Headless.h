// The toolkit on plain objects: controls keep their state in members,
// message dialogs record what they showed and answer from a script, and
// scripted user actions run inside message processing.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/Toolkit.h"

namespace plovik {

// The average character width, in pixels, the headless controls assume for
// a font: roughly what a Windows dialog font of that height shows.
int HeadlessCharWidth(const Font& font);

class HeadlessControl {
 public:
  int left = 0, top = 0, width = 0, height = 0;
  bool visible = true;
  bool enabled = true;
  Font font;
};

class HeadlessForm : public Form {
 public:
  void SetBounds(int left, int top, int width, int height) override;
  int Left() const override { return s_.left; }
  int Top() const override { return s_.top; }
  int Width() const override { return s_.width; }
  int Height() const override { return s_.height; }
  void SetVisible(bool visible) override { s_.visible = visible; }
  bool Visible() const override { return s_.visible; }
  void SetEnabled(bool enabled) override { s_.enabled = enabled; }
  bool Enabled() const override { return s_.enabled; }
  void SetFont(const Font& font) override { s_.font = font; }
  Font GetFont() const override { return s_.font; }
  uintptr_t Handle() const override { return 0; }
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  std::string Caption() const override { return caption_; }
  // The frame takes 8 pixels of the width and 27 of the height.
  int ClientWidth() const override { return s_.width > 8 ? s_.width - 8 : 0; }
  int ClientHeight() const override { return s_.height > 27 ? s_.height - 27 : 0; }

 private:
  HeadlessControl s_;
  std::string caption_;
};

class HeadlessButton : public Button {
 public:
  void SetBounds(int left, int top, int width, int height) override;
  int Left() const override { return s_.left; }
  int Top() const override { return s_.top; }
  int Width() const override { return s_.width; }
  int Height() const override { return s_.height; }
  void SetVisible(bool visible) override { s_.visible = visible; }
  bool Visible() const override { return s_.visible; }
  void SetEnabled(bool enabled) override { s_.enabled = enabled; }
  bool Enabled() const override { return s_.enabled; }
  void SetFont(const Font& font) override { s_.font = font; }
  Font GetFont() const override { return s_.font; }
  uintptr_t Handle() const override { return 0; }
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  std::string Caption() const override { return caption_; }
  void SetOnClick(std::function<void()> handler) override { onClick_ = std::move(handler); }
  void Click() override;

 private:
  HeadlessControl s_;
  std::string caption_;
  std::function<void()> onClick_;
};

// Sizes itself to its caption: width = characters x HeadlessCharWidth(font).
class HeadlessLabel : public Label {
 public:
  void SetBounds(int left, int top, int width, int height) override;
  int Left() const override { return s_.left; }
  int Top() const override { return s_.top; }
  int Width() const override;
  int Height() const override { return s_.height; }
  void SetVisible(bool visible) override { s_.visible = visible; }
  bool Visible() const override { return s_.visible; }
  void SetEnabled(bool enabled) override { s_.enabled = enabled; }
  bool Enabled() const override { return s_.enabled; }
  void SetFont(const Font& font) override { s_.font = font; }
  Font GetFont() const override { return s_.font; }
  uintptr_t Handle() const override { return 0; }
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  std::string Caption() const override { return caption_; }

 private:
  HeadlessControl s_;
  std::string caption_;
};

class HeadlessMemo : public Memo {
 public:
  void SetBounds(int left, int top, int width, int height) override;
  int Left() const override { return s_.left; }
  int Top() const override { return s_.top; }
  int Width() const override { return s_.width; }
  int Height() const override { return s_.height; }
  void SetVisible(bool visible) override { s_.visible = visible; }
  bool Visible() const override { return s_.visible; }
  void SetEnabled(bool enabled) override { s_.enabled = enabled; }
  bool Enabled() const override { return s_.enabled; }
  void SetFont(const Font& font) override { s_.font = font; }
  Font GetFont() const override { return s_.font; }
  uintptr_t Handle() const override { return 0; }

  int Count() const override { return static_cast<int>(lines_.size()); }
  std::string Line(int index) const override;
  std::vector<std::string> Lines() const override { return lines_; }
  bool Append(const std::string& line) override;
  void SetLine(int index, const std::string& line) override;
  void DeleteLine(int index) override;
  void Clear() override;
  void SetCapacity(size_t characters) override { capacity_ = characters; }
  size_t Capacity() const override { return capacity_; }
  // The client area is the width less the border (4) and the scroll bar (17).
  int ClientWidth() const override { return s_.width > 21 ? s_.width - 21 : 0; }
  void SetOnChange(std::function<void()> handler) override { onChange_ = std::move(handler); }
  // Characters held: text plus two for every line break.
  size_t Used() const { return used_; }

 private:
  void Changed();
  HeadlessControl s_;
  std::vector<std::string> lines_;
  size_t used_ = 0;
  size_t capacity_ = DefaultCapacity;
  std::function<void()> onChange_;
};

struct DialogRecord {
  std::string text;
  DialogType type;
  uint32_t buttons;
  int helpContext;
};

class HeadlessToolkit : public Toolkit {
 public:
  void ProcessMessages() override;
  std::unique_ptr<Form> CreateForm() override;
  std::unique_ptr<Memo> CreateMemo(Form& parent) override;
  std::unique_ptr<Button> CreateButton(Form& parent) override;
  std::unique_ptr<Label> CreateLabel(Form& parent) override;
  int MessageDialog(const std::string& text, DialogType type, uint32_t buttons,
                    int helpContext) override;
  void SetScreenCursor(CursorKind cursor) override;

  // Every dialog shown, in order.
  std::vector<DialogRecord> dialogs;
  // Answers given to the next dialogs, in order; when empty, defaultAnswer.
  std::deque<int> answers;
  int defaultAnswer = ModalCancel;
  // Runs inside every ProcessMessages call (user actions, e.g. pressing Abort
  // once some condition holds). Actions run in order; one that returns true
  // is done and removed.
  // Message processing nested inside an action (the action pressed a
  // button whose handler runs a whole update) runs the other actions but
  // not the one that is still running.
  std::vector<std::function<bool()>> actions;
  int processCount = 0;
  CursorKind cursor = CursorKind::Default;
  int hourglassCount = 0;

 private:
  int nextActionToken_ = 0;
};

}  // namespace plovik
