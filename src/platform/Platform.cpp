#include "platform/Platform.h"

#include "lib/WinErrors.h"

namespace plovik {

namespace {
Platform* installedPlatform = nullptr;

std::string PlatformErrorText(uint32_t code) {
  return installedPlatform ? installedPlatform->ErrorText(code) : std::string();
}
}  // namespace

Platform& Sys() { return *installedPlatform; }

void InstallPlatform(Platform* platform) {
  installedPlatform = platform;
  SetErrorTextSource(platform ? &PlatformErrorText : nullptr);
}

}  // namespace plovik
