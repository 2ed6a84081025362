#include "app/UnitRunUtils.h"

#include <gtest/gtest.h>

#include <string>

#include "support/ProgramTest.h"

namespace plovik {
namespace {

using LanguageGateTest = test::ProgramTest;

// The box's texts are kept scrambled in the program; what the box shows is
// plain, readable English and German.
const std::string GateCaptionText = "Plovik: language not supported";
const std::string GateMessageText =
    "Plovik cannot be used with the language set for this user account.\r\r"
    "Plovik kann mit der Sprache dieses Benutzerkontos nicht verwendet werden.";

TEST_F(LanguageGateTest, OnlyUserDefinedLanguagesAreGated) {
  for (size_t i = 0; i < GatedLanguageCount; ++i) {
    const uint16_t id = GatedLanguageIds[i];
    EXPECT_GE(id & 0x3FF, 0x200) << std::hex << id;  // user-defined primary language
    EXPECT_GE(id >> 10, 0x20) << std::hex << id;     // user-defined sublanguage
    // The first 16 are the regions of one language, the others single ones.
    EXPECT_EQ((id & 0x3FF) == (GatedLanguageIds[0] & 0x3FF), i < 16) << std::hex << id;
  }
  for (uint16_t everyday : {0x0409, 0x0407, 0x0807, 0x0C00, 0x1000, 0x2000}) {
    fs.SetUserLanguageId(everyday);
    EXPECT_FALSE(RunLanguageGate());
  }
  EXPECT_TRUE(tk.systemErrorBoxes.empty());
  EXPECT_FALSE(tk.Terminated());
}

TEST_F(LanguageGateTest, AGatedLanguageShowsTheBoxAndEndsTheProgramAfterItsFirstMessage) {
  fs.SetUserLanguageId(GatedLanguageIds[20]);
  bool pendingEventServed = false;
  tk.actions.push_back([&] { return pendingEventServed = true; });
  EXPECT_TRUE(RunLanguageGate());
  ASSERT_EQ(tk.systemErrorBoxes.size(), 1u);
  EXPECT_EQ(tk.systemErrorBoxes[0].caption, GateCaptionText);
  EXPECT_EQ(tk.systemErrorBoxes[0].text, GateMessageText);
  EXPECT_TRUE(tk.Terminated());
  EXPECT_TRUE(pendingEventServed) << "the end was asked for, and the messages processed";
  int rounds = 0;
  tk.actions.push_back([&] { return ++rounds, false; });
  tk.Run();
  EXPECT_EQ(rounds, 1);
}

}  // namespace
}  // namespace plovik
