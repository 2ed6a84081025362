// The start-up language gate against every locale the system knows: none
// of them may be stopped.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <set>
#include <string>

#include "app/UnitRunUtils.h"
#include "lib/Wide.h"
#include "platform/win32/Win32Platform.h"

namespace plovik::test {
namespace {

BOOL CALLBACK CollectLocaleName(LPWSTR name, DWORD, LPARAM context) {
  const LCID lcid = ::LocaleNameToLCID(name, LOCALE_ALLOW_NEUTRAL_NAMES);
  reinterpret_cast<std::set<LANGID>*>(context)->insert(LANGIDFROMLCID(lcid));
  return TRUE;
}

std::set<LANGID>* legacyLocales = nullptr;

BOOL CALLBACK CollectLocaleId(LPWSTR text) {
  legacyLocales->insert(LANGIDFROMLCID(std::wcstoul(text, nullptr, 16)));
  return TRUE;
}

TEST(LanguageGateWinTest, NoLocaleOfTheSystemIsGated) {
  std::set<LANGID> languages;
  ASSERT_TRUE(::EnumSystemLocalesEx(CollectLocaleName, LOCALE_ALL,
                                    reinterpret_cast<LPARAM>(&languages), nullptr));
  legacyLocales = &languages;
  ASSERT_TRUE(::EnumSystemLocalesW(CollectLocaleId, LCID_SUPPORTED));
  legacyLocales = nullptr;
  std::printf("  %zu language identifiers checked\n", languages.size());
  EXPECT_GT(languages.size(), 100u);
  for (LANGID id : languages) EXPECT_FALSE(LanguageGated(id)) << std::hex << id;

  Win32Platform platform;
  EXPECT_FALSE(LanguageGated(platform.UserLanguageId()));
  EXPECT_FALSE(LanguageGated(::GetUserDefaultLangID()));
  EXPECT_FALSE(LanguageGated(::GetSystemDefaultLangID()));
}

}  // namespace
}  // namespace plovik::test
