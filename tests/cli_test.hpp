// The command line end to end: the built binary run as a user runs it, in a directory of its
// own, checking what it prints, its exit status and the files it leaves.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "support/process.hpp"
#include "support/wave.hpp"

namespace vdx9::test {

inline const char usage[] = "Give a single filename as argument to this program. (ex sim.wav)";

// What a run with one argument prints first, as it reaches a file.
inline std::string banner(const std::string& name) {
  return console_text("\n Convert " + name + " to VDX9 format (vdx9-" + name + ")\n\n");
}

// What a run whose standard output is its input says, on standard error, as it reaches a file.
inline std::string refusal(const std::string& name) {
  return console_text("vdx9: standard output is the input file " + name +
                      "; refusing to write into the recording\n");
}

inline const std::string recording = wave_file(chunk("rcvr", pattern(100)), pattern(4000));

class CommandLine : public ::testing::Test {
 protected:
  RunResult run(const std::vector<std::string>& args, const RunOptions& options = {}) {
    RunResult r = run_vdx9(dir.path(), args, options);
    EXPECT_EQ(r.err, "") << "nothing may go to the error stream";
    return r;
  }
  std::size_t files() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.path()),
                                                  std::filesystem::directory_iterator()));
  }
  ScratchDir dir;
};

}  // namespace vdx9::test
