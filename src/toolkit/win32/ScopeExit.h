// Runs a clean-up step when the scope ends, however it ends. Neither
// copyable nor movable: the step runs exactly once.
#pragma once

#include <utility>

namespace plovik {

template <class Step>
class ScopeExit {
 public:
  explicit ScopeExit(Step step) : step_(std::move(step)) {}
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ~ScopeExit() { step_(); }

 private:
  Step step_;
};

}  // namespace plovik
