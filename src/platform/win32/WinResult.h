// Results of Win32 calls: the error code of a call that reported failure.
#pragma once

#include <windows.h>

#include "lib/Result.h"

namespace plovik {

// The failure of the call that has just failed; a call that failed without
// setting an error still fails (Failure turns 0 into 6).
inline Failure LastFailure() { return Failure(::GetLastError()); }

// The result of a call that reports success as a BOOL.
inline Result<void> Checked(BOOL ok) { return ok ? Success() : Result<void>(LastFailure()); }

}  // namespace plovik
