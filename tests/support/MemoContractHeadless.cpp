// The memo contract over the headless toolkit: the user's actions as the
// headless controls offer them, the toolkit's clipboard.
#include "contract/MemoContract.h"
#include "toolkit/headless/Headless.h"

namespace plovik::contract {

namespace {

class HeadlessMemoEnvironment : public MemoEnvironment {
 public:
  HeadlessMemoEnvironment() {
    InstallToolkit(&tk_);
    form_ = tk_.CreateForm();
    form_->SetBounds(40, 40, 640, 480);
    form_->SetVisible(true);
  }
  ~HeadlessMemoEnvironment() override {
    form_.reset();
    InstallToolkit(nullptr);
  }

  Toolkit& Kit() override { return tk_; }
  Form& Window() override { return *form_; }
  void PressKey(Memo& memo, uint16_t key, ShiftState shift) override {
    memo.SetFocus();
    AsHeadless(*form_).PressKey(key, shift);
  }
  void Type(Memo& memo, const std::string& text) override {
    memo.SetFocus();
    AsHeadless(memo).UserType(text);
  }
  void Wheel(Memo& memo, int notches) override { AsHeadless(memo).UserWheel(notches); }
  void ClickFirstRow(Memo& memo) override {
    AsHeadless(memo).UserClick(TextPlace{memo.TopRow().line, 0});
  }
  std::optional<std::string> Clipboard() override { return tk_.clipboard; }
  void SetClipboard(const std::string& text) override { tk_.clipboard = text; }

 private:
  HeadlessToolkit tk_;
  std::unique_ptr<Form> form_;
};

}  // namespace

std::unique_ptr<MemoEnvironment> MakeMemoEnvironment() {
  return std::make_unique<HeadlessMemoEnvironment>();
}

}  // namespace plovik::contract
