// The progress line: when it shows, how often, what it says and how large the kernel's pieces
// are, on a clock the test moves and a terminal that records what it is told.
#include <gtest/gtest.h>

#include "progress_line.hpp"

namespace vdx9::test {
namespace {

using namespace std::chrono_literals;

Clock::time_point fake_time;
Clock::time_point fake_now() {
  return fake_time;
}

struct RecordingTerminal final : Terminal {
  void show(const std::string& line) override { events.push_back(line); }
  void erase() override { events.push_back("(erased)"); }
  std::vector<std::string> events;
};

constexpr std::uint64_t mib = std::uint64_t{1} << 20;
constexpr std::uint64_t gib = mib << 10;

// A conversion of `total` bytes at `per_ms` bytes a millisecond, reported every 10 ms for
// `length`, then finished.
std::vector<std::string> run_for(Clock::duration length, std::uint64_t total,
                                 std::uint64_t per_ms) {
  RecordingTerminal terminal;
  fake_time = Clock::time_point{};
  ProgressLine line(terminal, total, fake_now);
  for (Clock::duration t = 10ms; t <= length; t += 10ms) {
    fake_time = Clock::time_point{} + t;
    line.reached(std::min<std::uint64_t>(total, per_ms * static_cast<std::uint64_t>(t / 1ms)));
  }
  line.finish();
  return terminal.events;
}

TEST(ProgressLine, ConversionsOverWithinASecondShowNothing) {
  EXPECT_TRUE(run_for(990ms, 100 * mib, 10'000).empty());
  // Two seconds, but the one report after the first second finds the copy complete.
  EXPECT_TRUE(run_for(2s, 100'000'000, 100'000).empty());
}

TEST(ProgressLine, ShowsFromTheFirstSecondAtMostTenTimesASecondThenErases) {
  const std::vector<std::string> events = run_for(3s, 100 * mib, 10'000);
  // Lines at 1.0 s, 1.1 s, ... 3.0 s, and the erase.
  ASSERT_EQ(events.size(), 22u);
  EXPECT_EQ(events.front(), "9.5 MiB of 100.0 MiB  9%  9.5 MiB/s  0:09 left");
  EXPECT_EQ(events.back(), "(erased)");
}

TEST(ProgressLine, SaysHowMuchOfHowMuchHowFastAndHowLong) {
  struct Case {
    std::uint64_t done;
    std::optional<std::uint64_t> total;
    double seconds;
    const char* text;
  };
  for (const Case& k : {
           Case{25 * mib, 100 * mib, 2, "25.0 MiB of 100.0 MiB  25%  12.5 MiB/s  0:06 left"},
           Case{3 * gib, 30 * gib, 100, "3.0 GiB of 30.0 GiB  10%  30.7 MiB/s  15:00 left"},
           Case{gib, 100 * gib, 60, "1.0 GiB of 100.0 GiB  1%  17.1 MiB/s  1:39:00 left"},
           // From a FIFO: no total.
           Case{512, std::nullopt, 2, "512 B  256 B/s"},
           // Nothing has come yet: no time left to tell.
           Case{0, 10 * mib, 1.5, "0 B of 10.0 MiB  0%  0 B/s"},
           // A recording that grew while it was converted.
           Case{11 * mib, 10 * mib, 1, "11.0 MiB of 11.0 MiB  100%  11.0 MiB/s  0:00 left"},
       }) {
    EXPECT_EQ(progress_text(k.done, k.total, k.seconds), k.text);
  }
}

TEST(ProgressLine, PiecesTakeATwentiethOfASecondInWholeMiB) {
  struct Case {
    std::uint64_t done;
    Clock::duration after;
    std::uint64_t piece;
  };
  for (const Case& k : {Case{0, 0s, 4 * mib},              // no speed known yet
                        Case{400 * mib, 2s, 10 * mib},     // 200 MiB/s
                        Case{mib, 1s, mib},                // 1 MiB/s: never below a MiB
                        Case{100 * gib, 1s, gib},          // never above a GiB
                        Case{410 * mib, 2s, 10 * mib}}) {  // 10.25 MiB, down to whole MiB
    RecordingTerminal terminal;
    fake_time = Clock::time_point{};
    ProgressLine line(terminal, 1000 * gib, fake_now);
    fake_time += k.after;
    if (k.done != 0) {
      line.reached(k.done);
    }
    EXPECT_EQ(line.piece(), k.piece) << k.done << " bytes";
  }
}

}  // namespace
}  // namespace vdx9::test
