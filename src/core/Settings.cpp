#include "core/Settings.h"

namespace plovik {

TSettings Settings;

int32_t ClampKeepTime(int64_t milliseconds) {
  if (milliseconds < 0) return 0;
  if (milliseconds > MaxKeepTime) return MaxKeepTime;
  return static_cast<int32_t>(milliseconds);
}

}  // namespace plovik
