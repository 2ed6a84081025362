#include "app/UnitRunUtils.h"

#include <gtest/gtest.h>

#include <string>

#include "support/ProgramTest.h"

namespace plovik {
namespace {

using LanguageGateTest = test::ProgramTest;

TEST_F(LanguageGateTest, DescrambleUndoesTheStoringRule) {
  // stored 1 = NOT plain 1; stored i = plain i XOR NOT stored i-1.
  const std::string plain("A\xC3\xA4\r\0\xFF", 6);
  std::string text(plain.size(), '\0');
  for (size_t i = 0; i < plain.size(); ++i)
    text[i] = static_cast<char>(i == 0 ? ~plain[0] : plain[i] ^ ~text[i - 1]);
  EXPECT_EQ(static_cast<unsigned char>(text[0]), 0xBE);
  Descramble(text);
  EXPECT_EQ(text, plain);
  EXPECT_EQ(GateCaption(), "Plovik: language not supported");
  EXPECT_NE(GateMessage().find("language set for this user account."), std::string::npos);
}

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
  EXPECT_TRUE(RunLanguageGate());
  ASSERT_EQ(tk.systemErrorBoxes.size(), 1u);
  EXPECT_EQ(tk.systemErrorBoxes[0].caption, GateCaption());
  EXPECT_EQ(tk.systemErrorBoxes[0].text, GateMessage());
  EXPECT_TRUE(tk.Terminated());
  EXPECT_EQ(tk.processCount, 1);
  int rounds = 0;
  tk.actions.push_back([&] { return ++rounds, false; });
  tk.Run();
  EXPECT_EQ(rounds, 1);
}

}  // namespace
}  // namespace plovik
