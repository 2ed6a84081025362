// File specification lists and the program's own wildcard matcher.
#pragma once

#include <cstdint>
#include <string>

#include "run/RunRecords.h"

namespace plovik {

// Longest specification list text that is taken as it is.
constexpr size_t MaxSpecListChars = 254;

// Splits text at separator into at most 16 non-empty entries (list[1..count])
// and rebuilds text from them joined with the separator.
void SplitSpecList(std::string& text, char separator, SpecList& list, uint8_t& count);
bool SpecIsValid(const std::string& spec);
void SplitFileName(const std::string& path, std::string& base, std::string& extension);
bool MatchNamePart(const std::string& text, const std::string& pattern);
bool MatchFileSpec(const std::string& name, const std::string& spec);
bool MatchSpecList(const std::string& name, const SpecList& list, uint8_t count);

}  // namespace plovik
