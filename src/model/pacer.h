// SPDX-License-Identifier: MIT
// Lets a long computation hand control to the program around it now and then, between batches
// and never per point, so that a window system waiting for answers is not kept waiting.
#pragma once

#include <chrono>
#include <functional>
#include <utility>

namespace henon {

class Pacer {
 public:
  using Clock = std::chrono::steady_clock;

  explicit Pacer(std::function<void()> breather,
                 Clock::duration every = std::chrono::milliseconds(200))
      : breather_(std::move(breather)), every_(every), next_(Clock::now() + every) {}

  // One clock read: cheap enough for every batch.
  bool due() const { return Clock::now() >= next_; }
  void breathe() {
    if (breather_) breather_();
    next_ = Clock::now() + every_;
  }

 private:
  std::function<void()> breather_;
  Clock::duration every_;
  Clock::time_point next_;
};

}  // namespace henon
