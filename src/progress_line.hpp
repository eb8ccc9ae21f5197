// The progress line of a long conversion: bytes done of the total, the share done, the speed
// and the time left, on a terminal only, from a second into the run, at most ten times a second.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "convert/progress.hpp"
#include "terminal.hpp"

namespace vdx9 {

using Clock = std::chrono::steady_clock;

class ProgressLine final : public Progress {
 public:
  // `total` is the input's size, where it has one (a FIFO has none). The run's time is counted
  // from here, by `now`.
  ProgressLine(Terminal& terminal, std::optional<std::uint64_t> total,
               Clock::time_point (*now)() = Clock::now);

  void reached(std::uint64_t offset) override;
  // As much as the copy has moved in a twentieth of a second so far, in whole MiB: pieces
  // that short keep the line going, and no shorter, since every call costs time.
  std::uint64_t piece() const override;

  // Erases the line, if one is shown, before the run's last message.
  void finish();

 private:
  Terminal& terminal_;
  std::optional<std::uint64_t> total_;
  Clock::time_point (*now_)();
  Clock::time_point start_;
  Clock::time_point last_shown_{};
  bool shown_ = false;
  std::uint64_t done_ = 0;
  Clock::duration elapsed_{};  // from the start to the last report
};

// The line's text, `done` bytes of `total` (if known) after `seconds`:
// "1.5 GiB of 20.0 GiB  7%  40.0 MiB/s  8:04 left".
std::string progress_text(std::uint64_t done, std::optional<std::uint64_t> total, double seconds);

}  // namespace vdx9
