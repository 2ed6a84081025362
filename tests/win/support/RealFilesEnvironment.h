// The program's logic on the real file system: the Win32 platform installed
// with the headless toolkit and the window host (without a window), and a
// headless memo bound as the protocol.
// Everything is put back as it was when the environment ends.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "toolkit/headless/Headless.h"
#include "core/Protocol.h"
#include "ui/WindowHost.h"

namespace plovik::test {

class RealFilesEnvironment {
 public:
  // pathChars: the protocol's room for a path (ProtocolPathChars).
  explicit RealFilesEnvironment(int pathChars);
  ~RealFilesEnvironment();
  RealFilesEnvironment(const RealFilesEnvironment&) = delete;
  RealFilesEnvironment& operator=(const RealFilesEnvironment&) = delete;

  std::vector<std::string> Lines() const { return memo_->Lines(); }
  HeadlessToolkit& toolkit() { return toolkit_; }
  RunHost& host() { return host_; }

 private:
  ProtocolControls saved_;
  Win32Platform platform_;
  HeadlessToolkit toolkit_;
  WindowHost host_;
  std::unique_ptr<Form> form_;
  std::unique_ptr<Memo> memo_;
};

// Walks of whole trees as a run makes them: subdirectories, empty ones
// included, every file ("*.*"), skip lines reported, verification as asked.
class WalkEnvironment : public RealFilesEnvironment {
 public:
  WalkEnvironment();
  // One walk with fresh counters, state and protocol.
  void Walk(const std::string& src, const std::string& dst);
};

}  // namespace plovik::test
