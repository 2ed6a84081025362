#include "core/Settings.h"

namespace plovik {

TSettings Settings;

}  // namespace plovik
