// What the platform contract (PlatformContract*.cpp) needs around the
// platform it checks: a fresh directory, a second owner of mutexes, window
// messages, and a few facts the platform itself does not tell. The native
// test program gives it the fake platform, the Wine test program the Win32
// platform on real files; the same cases run over both.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace plovik::contract {

// Another owner of named mutexes: another process on the same system (fake)
// or another thread (Windows). It ends when destroyed; a mutex it still owns
// is then abandoned.
class OtherOwner {
 public:
  virtual ~OtherOwner() = default;
  // Runs the work as this owner and waits until it is done.
  virtual void Run(const std::function<void(Platform&)>& work) = 0;
};

class PlatformEnvironment {
 public:
  virtual ~PlatformEnvironment() = default;
  // The platform under test; it is installed as Sys() while the
  // environment lives.
  virtual Platform& System() = 0;
  // A fresh, empty directory on a fixed drive, with its trailing backslash.
  virtual std::string Root() = 0;
  // The short (8.3) name the system gave an entry; empty when it has none.
  virtual std::string ShortName(const std::string& path) = 0;
  // Gives a file or directory a last-write time, as the system stores it.
  virtual void SetWriteTime(const std::string& path, const CivilTime& time) = 0;
  // Sets (or, with nullopt, removes) an environment variable of this process.
  virtual void SetVariable(const std::string& name, const std::optional<std::string>& value) = 0;
  virtual std::unique_ptr<OtherOwner> StartOtherOwner() = 0;
  // A window message arrives for this thread; DrainMessages takes them all.
  virtual void PostMessageToSelf() = 0;
  virtual void DrainMessages() = 0;
  // Whether the file system holds names that are not valid UTF-16.
  virtual bool HoldsUnpairedSurrogates() = 0;
  // Whether a read-only file refuses to be written, replaced or renamed
  // over (Windows; Wine does not when it runs as root).
  virtual bool EnforcesReadOnly() = 0;
  // Whether searches apply the DOS forms of "?" and of "." and "*" before a
  // dot or the end, as Windows does: "?" never takes a dot and may take
  // nothing at the end, "*." takes only names without an extension. Wine
  // matches those patterns plainly.
  virtual bool AppliesDosWildcards() = 0;
  // The number of the ANSI code page (1252: Western European).
  virtual unsigned AnsiCodePage() = 0;
  // A drive letter that names no drive.
  virtual char MissingDrive() = 0;
};

// Each test program provides its environment.
std::unique_ptr<PlatformEnvironment> MakePlatformEnvironment();

}  // namespace plovik::contract
