// The per-directory skip list file SKIPLIST.INI.
#pragma once

#include <cstdint>
#include <string>

#include "core/RunRecords.h"

namespace plovik {

enum SkipListSection : int { SkipSubDirectories = 0, SkipFiles = 1 };

struct SkipListEntries {
  SpecList entries{};  // 1-based, upper case
  uint8_t count = 0;
  // The file exists but could not be read, or the search for it broke off:
  // error is the Windows error code.
  uint32_t error = 0;
};

SkipListEntries ReadSkipList(const std::string& directory, int section);

}  // namespace plovik
