// File specification lists and the program's own wildcard matcher.
#pragma once

#include <cstdint>
#include <string>

#include "core/RunRecords.h"

namespace plovik {

// Longest specification list text that is taken as it is.
constexpr size_t MaxSpecListChars = 254;

// Splits text at separator into at most 16 non-empty entries (list[1..count])
// and rebuilds text from them joined with the separator. Only whole entries
// are kept: when the text is longer than MaxSpecListChars characters, the
// first entry that would take the rebuilt text past that limit is dropped
// together with all entries after it.
void SplitSpecList(std::string& text, char separator, SpecList& list, uint8_t& count);
// True when the text, trimmed as SplitSpecList trims it, is longer than
// MaxSpecListChars characters (SplitSpecList then drops entries).
bool SpecListTooLong(const std::string& text);
bool SpecIsValid(const std::string& spec);
void SplitFileName(const std::string& path, std::string& base, std::string& extension);
bool MatchNamePart(const std::string& text, const std::string& pattern);
bool MatchFileSpec(const std::string& name, const std::string& spec);
bool MatchSpecList(const std::string& name, const SpecList& list, uint8_t count);

}  // namespace plovik
