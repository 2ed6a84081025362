// Coordination of several running instances of the program. Each process
// takes an instance number from a family of named mutexes (the base name of
// the executable followed by the number) and holds that mutex while it
// lives; every update run waits until it owns the wait mutex (the base name
// followed by "WaitingToGo"), which one instance at a time holds for the
// whole of its run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Platform.h"

namespace plovik {

// Instance numbers run from 1 to MaxInstanceNumber; 0 means none was free.
constexpr int32_t MaxInstanceNumber = 256;
// The suffix of the wait mutex's name.
extern const char* const WaitMutexSuffix;

// The mutex handles this process holds, and the wait mutex's name.
struct TInstanceHandles {
  // The mutex of this instance's number; never owned, its existence marks
  // the number as taken.
  std::unique_ptr<NamedMutex> InstanceMutex;
  // Opened by the first WaitForTurn and kept until the close.
  std::unique_ptr<NamedMutex> WaitMutex;
  std::string WaitMutexName;
};
extern TInstanceHandles InstanceHandles;

// The executable's file name without directory and extension.
std::string ExecutableBaseName(const std::string& modulePath);

// Takes the lowest free instance number: creates the mutexes base + 1,
// base + 2, ... until one did not exist yet and keeps that one; the handles
// of the numbers found taken are closed at once, so a number becomes free
// as soon as its instance ends. After MaxInstanceNumber taken numbers the
// result is 0 (and the mutex of the number after them is held). The
// application's name becomes the last mutex name tried.
int32_t GetInstanceNumber();

// Composes the wait mutex's name from RunOptions.ProgramBaseName.
void ComposeWaitMutexName();

// How long a waiting instance lets the others go first once the wait mutex
// has come free: 100 ms for every number below its own, so that the lower
// number tries sooner. An instance without a number waits like the highest.
uint16_t RetryDelayMs(int32_t instanceNumber);

// How a wait for the turn ended.
enum class Turn {
  Ours,      // this instance owns the wait mutex now
  Stopped,   // the user stopped the waiting (AbortRequested)
  TimedOut,  // the limit passed first
};

// Waits until this instance owns the wait mutex. Free at once: the turn is
// ours and nothing shows. Otherwise sets ActivityState to
// WaitingForInstances, shows the waiting panel through the run host, and
// waits without using the processor for the mutex or a window message,
// processing the messages, until it owns the mutex (the panel is hidden
// again), the user stops it, or limitMs has passed; in the last two cases
// ActivityState is Idle and the panel hidden. An abandoned mutex counts as
// taken over.
constexpr uint64_t NoWaitLimit = UINT64_MAX;
Turn WaitForTurn(uint64_t limitMs = NoWaitLimit);

// Gives up every level of ownership of the wait mutex that this process
// holds (releases until a release fails).
void ReleaseWaitMutex();

// True when the instance mutex of another number from 1 to
// MaxInstanceNumber exists (the probe of each number is closed at once).
bool OtherInstanceRunning(int32_t own);

// For the close of the main window: the wait mutex released completely and
// closed, the instance mutex closed. Harmless for a mutex never opened.
void CloseInstanceMutexes();

}  // namespace plovik
