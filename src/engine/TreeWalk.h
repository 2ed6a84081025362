// The directory tree walk: brings a destination tree up to date.
#pragma once

#include <cstdint>
#include <string>

namespace plovik {

void WalkTree(std::string srcDir, std::string dstDir);
void ProcessDirectory(const std::string& srcDir, const std::string& dstDir,
                      const std::string& spec);
uint32_t MergeAttributes(uint32_t src, uint32_t dst);
std::string AttributeChangeText(uint32_t oldAttributes, uint32_t newAttributes);
// The message of the dialog after CreateSubDir failed with code for the
// destination directory dstDir (with its trailing backslash).
std::string CreateSubDirFailureText(int32_t code, const std::string& dstDir);

}  // namespace plovik
