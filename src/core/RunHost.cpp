#include "core/RunHost.h"

namespace plovik {

namespace {
RunHost* installed = nullptr;
}  // namespace

RunHost& Host() { return *installed; }
void InstallHost(RunHost* host) { installed = host; }
bool HostInstalled() { return installed != nullptr; }

}  // namespace plovik
