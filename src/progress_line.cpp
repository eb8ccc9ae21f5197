#include "progress_line.hpp"

#include <algorithm>
#include <cstdio>

namespace vdx9 {

namespace {

using namespace std::chrono_literals;

// Silent through the first second: most conversions are over by then.
constexpr Clock::duration quiet = 1s;
constexpr Clock::duration between_lines = 100ms;

constexpr std::uint64_t mib = std::uint64_t{1} << 20;
constexpr std::uint64_t first_piece = 4 * mib;  // before a speed can be told
constexpr std::uint64_t largest_piece = std::uint64_t{1} << 30;

// "512 B", "1.5 KiB", ..., "20.0 GiB". The texts are short: snprintf never cuts them.
std::string bytes_text(double bytes) {
  static const char* const units[] = {"B", "KiB", "MiB", "GiB", "TiB", "PiB"};
  std::size_t unit = 0;
  while (bytes >= 1024 && unit + 1 < std::size(units)) {
    bytes /= 1024;
    ++unit;
  }
  char text[32];
  if (unit == 0) {
    (void)std::snprintf(text, sizeof text, "%.0f B", bytes);
  } else {
    (void)std::snprintf(text, sizeof text, "%.1f %s", bytes, units[unit]);
  }
  return text;
}

// "8:04", or "1:02:03" from an hour on.
std::string time_text(std::uint64_t seconds) {
  char text[32];
  if (seconds < 3600) {
    (void)std::snprintf(text, sizeof text, "%u:%02u", static_cast<unsigned>(seconds / 60),
                        static_cast<unsigned>(seconds % 60));
  } else {
    (void)std::snprintf(
        text, sizeof text, "%llu:%02u:%02u", static_cast<unsigned long long>(seconds / 3600),
        static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
  }
  return text;
}

double seconds_of(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

}  // namespace

ProgressLine::ProgressLine(Terminal& terminal, std::optional<std::uint64_t> total,
                           Clock::time_point (*now)())
    : terminal_(terminal), total_(total), now_(now), start_(now()) {}

void ProgressLine::reached(std::uint64_t offset) {
  const Clock::time_point now = now_();
  done_ = offset;
  elapsed_ = now - start_;
  // A line that would show the copy complete is erased at once: not worth showing.
  if (elapsed_ < quiet || (shown_ && now - last_shown_ < between_lines) ||
      (total_ && offset >= *total_)) {
    return;
  }
  terminal_.show(progress_text(offset, total_, seconds_of(elapsed_)));
  shown_ = true;
  last_shown_ = now;
}

std::uint64_t ProgressLine::piece() const {
  const double seconds = seconds_of(elapsed_);
  if (seconds <= 0 || done_ == 0) {
    return first_piece;
  }
  const auto twentieth = static_cast<std::uint64_t>(static_cast<double>(done_) / seconds / 20);
  return std::clamp(twentieth / mib * mib, mib, largest_piece);
}

void ProgressLine::finish() {
  if (shown_) {
    terminal_.erase();
    shown_ = false;
  }
}

std::string progress_text(std::uint64_t done, std::optional<std::uint64_t> total, double seconds) {
  const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0;
  const std::string speed = bytes_text(rate) + "/s";
  if (!total) {
    return bytes_text(static_cast<double>(done)) + "  " + speed;
  }
  // A recording that grows while it is converted is as long as what has been read of it.
  const std::uint64_t whole = std::max(*total, done);
  const std::uint64_t percent = whole == 0 ? 100 : done * 100 / whole;
  std::string line = bytes_text(static_cast<double>(done)) + " of " +
                     bytes_text(static_cast<double>(whole)) + "  " + std::to_string(percent) +
                     "%  " + speed;
  if (rate > 0) {
    line += "  " + time_text(static_cast<std::uint64_t>(static_cast<double>(whole - done) / rate)) +
            " left";
  }
  return line;
}

}  // namespace vdx9
