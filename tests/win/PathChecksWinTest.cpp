// The refusal of a destination inside the source on real paths: short
// (8.3) names as the system gives them, letter case and forward slashes;
// a sibling whose name begins with the source's is not inside.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "lib/Wide.h"
#include "platform/win32/Win32Platform.h"
#include "run/PathChecks.h"
#include "win/support/WinTestFiles.h"

namespace plovik::test {
namespace {

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

TEST(PathChecksWinTest, ADestinationInsideTheSourceIsFoundThroughShortNamesAndCase) {
  Win32Platform platform;
  InstallPlatform(&platform);
  const std::string root = FreshTempDir("containment");
  const std::string source = root + "\\Source Directory With A Long Name";
  ASSERT_TRUE(::CreateDirectoryW(Wide(source).c_str(), nullptr));
  wchar_t shortName[MAX_PATH] = {};
  ASSERT_GT(::GetShortPathNameW(Wide(source).c_str(), shortName, MAX_PATH), 0u);
  const std::string shortSource = Narrow(shortName, wcslen(shortName));
  std::printf("  short form of the source: %s\n", shortSource.c_str());
  ASSERT_NE(shortSource, source) << "the file system gave no short name";

  EXPECT_TRUE(DestinationInsideSource(shortSource, source + "\\Copy\\Deeper"));
  EXPECT_TRUE(DestinationInsideSource(source, Lower(shortSource) + "\\NEW"));
  std::string forward = source + "/copy";
  for (char& c : forward)
    if (c == '\\') c = '/';
  EXPECT_TRUE(DestinationInsideSource(Lower(source), forward));
  // A sibling whose name begins with the source's is not inside it.
  EXPECT_FALSE(DestinationInsideSource(source, source + "Copy"));
  EXPECT_FALSE(DestinationInsideSource(shortSource, Lower(source) + " 2\\NEW"));
  EXPECT_TRUE(DestinationInsideSource(source + "\\", source));
  EXPECT_FALSE(DestinationInsideSource(source + "\\Copy", source));
  EXPECT_FALSE(DestinationInsideSource(source, root + "\\Other"));

  RemoveTree(root);
  InstallPlatform(nullptr);
}

}  // namespace
}  // namespace plovik::test
