// The base of tests that start the program's main window natively: a fresh
// fake platform with a user whose application data folder exists, the
// headless toolkit on a 1024 x 768 screen, every process-wide record at its
// start value, and the windows torn down afterwards.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/FakePlatform.h"
#include "toolkit/headless/Headless.h"
#include "ui/WindowHost.h"
#include "ui/MainForm.h"

namespace plovik::test {

class WindowTest : public ::testing::Test {
 protected:
  static constexpr const char* AppData = "C:\\Users\\user\\AppData\\Roaming";
  static constexpr const char* SettingsPath =
      "C:\\Users\\user\\AppData\\Roaming\\Orvendale\\plovik\\plovik.ini";
  static constexpr const char* LegacyPath = "C:\\Plovik\\plovik.ini";
  static constexpr const char* WorkDir = "C:\\Work";

  void SetUp() override;
  void TearDown() override;

  // The program's start up to its idle window (without the message loop).
  void Start();
  // The user closes the main window with its close box.
  void Close();
  // Puts a settings file in place before the start.
  void GiveSettings(const std::string& text);
  std::string SettingsText() const { return fs.Content(SettingsPath); }

  TFormMain& F() const { return *FormMain; }
  HeadlessForm& MainForm() const { return AsHeadless(*FormMain->Self); }
  // The lines of a text file's contents (CR LF between lines).
  static std::vector<std::string> FileLines(const std::string& text);
  // The texts of the dialogs shown, in order.
  std::vector<std::string> DialogTexts() const;

  FakePlatform fs;
  HeadlessToolkit tk;
  WindowHost host;
};

}  // namespace plovik::test
