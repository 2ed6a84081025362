// The fake platform's own letter case: the simple upper-case mapping of
// Unicode, generated once by scripts/gen-case-table.py (not written by
// hand, and independent of the program's code it is meant to check).
#pragma once

#include <cstddef>

namespace plovik::test {

struct CasePair {
  char32_t small;
  char32_t upper;
};

// Sorted by the small letter.
extern const CasePair UnicodeUpperCase[];
extern const size_t UnicodeUpperCaseCount;

}  // namespace plovik::test
