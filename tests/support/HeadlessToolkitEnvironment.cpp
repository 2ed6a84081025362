// The toolkit contract over the headless toolkit: its own user actions and
// scripts stand for the user. A script error fails the test.
#include <gtest/gtest.h>

#include "contract/ToolkitEnvironment.h"
#include "toolkit/headless/Headless.h"

namespace plovik::contract {

namespace {

// The scripted answer that stands for the user's answer.
int ScriptedAnswer(const DialogAnswer& answer) {
  switch (answer.kind) {
    case DialogAnswer::Enter: return HeadlessToolkit::AnswerEnter;
    case DialogAnswer::Escape: return HeadlessToolkit::AnswerEscape;
    case DialogAnswer::CloseBox: return ModalCancel;
    case DialogAnswer::Button: break;
  }
  for (const DialogButton button : {ButtonYes, ButtonNo, ButtonOk, ButtonCancel, ButtonAbort,
                                    ButtonRetry, ButtonIgnore}) {
    if (DialogButtonLabel(button) == answer.label) return DialogButtonResult(button);
  }
  ADD_FAILURE() << "no dialog button is labelled " << answer.label;
  return ModalCancel;
}

class HeadlessToolkitEnvironment : public ToolkitEnvironment {
 public:
  HeadlessToolkitEnvironment() {
    tk_.onScriptError = [](const std::string& what) { ADD_FAILURE() << "script error: " << what; };
    InstallToolkit(&tk_);
  }
  ~HeadlessToolkitEnvironment() override { InstallToolkit(nullptr); }

  Toolkit& Kit() override { return tk_; }
  void Settle() override { tk_.ProcessMessages(); }

  void ClickMinimizeBox(Form& form) override { AsHeadless(form).UserMinimize(); }
  void ClickMaximizeBox(Form& form) override { AsHeadless(form).UserMaximize(); }
  void ClickRestore(Form& form) override { AsHeadless(form).UserRestore(); }
  void ClickCloseBox(Form& form) override { AsHeadless(form).UserClose(); }
  void ClickCheckBox(CheckBox& box) override { AsHeadless(box).UserClick(); }
  void ClickButton(Button& button) override { AsHeadless(button).UserClick(); }
  void PressKey(Form& form, uint16_t key, ShiftState shift) override {
    AsHeadless(form).PressKey(key, shift);
  }

  bool OnTaskbar(Form& form) override { return form.Visible(); }
  bool Active(Form& form) override { return form.Focused(); }

  DialogSeen AnswerDialog(const std::function<void()>& show, const DialogAnswer& answer) override {
    tk_.answers.push_back(ScriptedAnswer(answer));
    const size_t before = tk_.dialogs.size();
    show();
    DialogSeen seen;
    if (tk_.dialogs.size() != before + 1) {
      ADD_FAILURE() << "no message dialog showed";
      return seen;
    }
    const DialogRecord& shown = tk_.dialogs.back();
    seen.caption = DialogCaption(shown.type);
    for (const DialogButton button : MessageDialogButtons(shown.buttons)) {
      seen.buttons.push_back(DialogButtonLabel(button));
    }
    seen.defaultButton = seen.buttons.front();
    return seen;
  }

  MenuSeen ChooseFromMenu(PopupMenu& menu, const std::string& caption) override {
    tk_.popupChoices.push_back(caption);
    const size_t before = tk_.popups.size();
    menu.Popup(0, 0);
    MenuSeen seen;
    if (tk_.popups.size() != before + 1) return seen;
    for (const std::string& shown : tk_.popups.back().captions) {
      seen.captions.push_back(WithoutMnemonics(shown));
    }
    seen.checks = tk_.popups.back().checks;
    return seen;
  }

 private:
  HeadlessToolkit tk_;
};

}  // namespace

std::unique_ptr<ToolkitEnvironment> MakeToolkitEnvironment() {
  return std::make_unique<HeadlessToolkitEnvironment>();
}

}  // namespace plovik::contract
