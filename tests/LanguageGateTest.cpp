#include "app/UnitRunUtils.h"

#include <gtest/gtest.h>

#include <string>

#include "support/ProgramTest.h"

namespace plovik {
namespace {

// The inverse of Descramble: how the stored texts are made.
std::string Scramble(const std::string& plain) {
  std::string stored(plain.size(), '\0');
  for (size_t i = 0; i < plain.size(); ++i)
    stored[i] = static_cast<char>(i == 0 ? ~plain[0] : plain[i] ^ ~stored[i - 1]);
  return stored;
}

class LanguageGateTest : public test::ProgramTest {};

TEST_F(LanguageGateTest, DescrambleRestoresWhatTheInverseRuleStored) {
  for (const std::string& plain : {std::string("Plovik"), std::string("x"), std::string(),
                                  std::string("\xC3\xA4\r\0\xFF", 5)}) {
    std::string text = Scramble(plain);
    Descramble(text);
    EXPECT_EQ(text, plain);
  }
  std::string stored = Scramble("AB");
  EXPECT_EQ(static_cast<unsigned char>(stored[0]), 0xBE);  // NOT 'A'
  EXPECT_EQ(GateCaption(), "Plovik: language not supported");
  EXPECT_NE(GateMessage().find("language set for this user account."), std::string::npos);
  EXPECT_NE(GateMessage().find("Benutzerkontos"), std::string::npos);
}

TEST_F(LanguageGateTest, TheTableHoldsOneRegionalFamilyAndSinglesOfUserDefinedLanguages) {
  constexpr uint16_t FirstUserPrimary = 0x200;
  constexpr uint16_t FirstUserSublanguage = 0x20;
  for (size_t i = 0; i < GatedLanguageCount; ++i) {
    const uint16_t id = GatedLanguageIds[i];
    EXPECT_GE(id & 0x3FF, FirstUserPrimary) << std::hex << id;
    EXPECT_GE(id >> 10, FirstUserSublanguage) << std::hex << id;
    const bool regional = i < 16;
    EXPECT_EQ((id & 0x3FF) == (GatedLanguageIds[0] & 0x3FF), regional) << std::hex << id;
    for (size_t j = 0; j < i; ++j) EXPECT_NE(GatedLanguageIds[j], id);
  }
}

TEST_F(LanguageGateTest, AGatedLanguageShowsTheBoxAndEndsTheProgramAfterItsFirstMessage) {
  for (uint16_t everyday : {0x0409, 0x0407, 0x0807, 0x0C00, 0x1000, 0x2000}) {
    fs.SetUserLanguageId(everyday);
    EXPECT_FALSE(RunLanguageGate());
  }
  EXPECT_TRUE(tk.systemErrorBoxes.empty());
  EXPECT_FALSE(tk.Terminated());

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
