// The fixture of the toolkit contract: one environment per test and a
// shown, active form to put controls on.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "contract/ToolkitEnvironment.h"

namespace plovik::contract {

class ToolkitContract : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  Toolkit& Kit() { return env_->Kit(); }
  ToolkitEnvironment& env() { return *env_; }
  void Settle() { env_->Settle(); }
  // A form at these bounds, shown when asked.
  std::unique_ptr<Form> MakeForm(const Rect& bounds, bool shown);
  static std::string StateName(WindowState state);
  static Rect BoundsOf(const Control& control) {
    return Rect{control.Left(), control.Top(), control.Width(), control.Height()};
  }

  std::unique_ptr<ToolkitEnvironment> env_;
  std::unique_ptr<Form> form;  // shown at 40, 40, 480 x 320 and active
};

}  // namespace plovik::contract
