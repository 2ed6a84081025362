#include "contract/ToolkitContract.h"

namespace plovik::contract {

void ToolkitContract::SetUp() {
  env_ = MakeToolkitEnvironment();
  form = MakeForm(Rect{40, 40, 480, 320}, true);
  form->SetFocus();
  Settle();
}

void ToolkitContract::TearDown() {
  Kit().SetMainForm(nullptr);
  form.reset();
  Settle();
  env_.reset();
}

std::unique_ptr<Form> ToolkitContract::MakeForm(const Rect& bounds, bool shown) {
  std::unique_ptr<Form> made = Kit().CreateForm();
  made->SetCaption("Plovik contract");
  made->SetBounds(bounds.left, bounds.top, bounds.width, bounds.height);
  if (shown) made->SetVisible(true);
  return made;
}

std::string ToolkitContract::StateName(WindowState state) {
  switch (state) {
    case WindowState::Normal: return "normal";
    case WindowState::Minimized: return "minimised";
    case WindowState::Maximized: return "maximised";
  }
  return "?";
}

}  // namespace plovik::contract
