// The fixture of the platform contract: one environment per test, with
// helpers that go through the platform under test.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "contract/PlatformEnvironment.h"

namespace plovik::contract {

class PlatformContract : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  Platform& sys() { return env_->System(); }
  PlatformEnvironment& env() { return *env_; }
  std::string Path(const std::string& relative) const { return root_ + relative; }

  void WriteText(const std::string& path, const std::string& text);
  // The whole content, or "<error N>" when the file cannot be opened or read.
  std::string ReadText(const std::string& path);
  // The entries a search delivers, in its order; error gets the code of a
  // search that could not start (0 otherwise).
  std::vector<DirEntry> Search(const std::string& pattern, uint32_t* error = nullptr);
  // The one entry a search for a path's own name delivers.
  DirEntry Entry(const std::string& path);
  FileHandle Open(const std::string& path, FileAccess access, FileShare share,
                  FileDisposition disposition = FileDisposition::OpenExisting,
                  uint32_t* error = nullptr);
  static std::set<std::string> Names(const std::vector<DirEntry>& entries);
  // A mutex name no other test run uses (made from the fresh directory's).
  std::string MutexName(const std::string& what) const;

  std::unique_ptr<PlatformEnvironment> env_;
  std::string root_;  // ends with a backslash
};

}  // namespace plovik::contract
