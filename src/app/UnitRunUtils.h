// The start-up language gate: a user whose language is one of the listed
// ones gets an error box, and the program ends after its first message.
// The listed identifiers lie in the ranges Windows leaves to user-defined
// languages, which no locale of the system reports.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace plovik {

constexpr size_t GatedLanguageCount = 31;

// A Windows language identifier: primary language in bits 0 to 9,
// sublanguage in bits 10 to 15.
constexpr uint16_t MakeLanguageId(uint16_t primary, uint16_t sublanguage) {
  return static_cast<uint16_t>((sublanguage << 10) | primary);
}

// The gated identifiers: the first 16 are regional variants of one
// primary language, the other 15 single identifiers.
extern const std::array<uint16_t, GatedLanguageCount> GatedLanguageIds;

bool LanguageGated(uint16_t languageId);

// Restores a text stored scrambled, in place: from the last character down
// to the second, each is XORed with the complement of the stored character
// before it; the first is complemented (8-bit codes).
void Descramble(std::string& text);

// The box's caption and message, restored.
std::string GateCaption();
std::string GateMessage();

// The gate, run once at start-up before the main window exists: when the
// user's language is gated, shows the system's error box, asks the
// application to end and processes the pending messages once. True when
// it did so.
bool RunLanguageGate();

}  // namespace plovik
