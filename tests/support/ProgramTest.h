// The base of tests that run program logic: a fresh fake platform and
// headless toolkit, a form with the protocol's controls bound, and the
// process-wide records back at their start values.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/FakePlatform.h"
#include "toolkit/headless/Headless.h"
#include "ui/WindowHost.h"

namespace plovik::test {

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The protocol's lines as they stand.
  std::vector<std::string> ProtocolLines() const;
  std::vector<std::string> DebugLines() const;

  FakePlatform fs;
  HeadlessToolkit tk;
  WindowHost host;
  std::unique_ptr<Form> form;
  std::unique_ptr<Memo> memo;
  std::unique_ptr<Memo> debugMemo;
  std::unique_ptr<Label> fontLabel;
};

}  // namespace plovik::test
