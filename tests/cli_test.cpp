// The command line end to end: the built binary run as a user runs it, in a directory of its
// own, checking what it prints, its exit status and the files it leaves.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/process.hpp"
#include "support/wave.hpp"

namespace vdx9::test {
namespace {

const char usage[] = "Give a single filename as argument to this program. (ex sim.wav)";

std::string banner(const std::string& name) {
  return "\n Convert " + name + " to VDX9 format (vdx9-" + name + ")\n\n";
}

const std::string recording = wave_file(chunk("rcvr", pattern(100)), pattern(4000));

class CommandLine : public ::testing::Test {
 protected:
  RunResult run(const std::vector<std::string>& args, unsigned long file_size_limit = 0) {
    RunResult r = run_vdx9(dir.path(), args, file_size_limit);
    EXPECT_EQ(r.err, "") << "nothing may go to the error stream";
    return r;
  }
  std::size_t files() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.path()),
                                                  std::filesystem::directory_iterator()));
  }
  ScratchDir dir;
};

TEST_F(CommandLine, AnythingButOneArgumentPrintsUsageAndSucceeds) {
  write_file(dir.file("sim.wav"), recording);
  for (const auto& args : {std::vector<std::string>{}, {"sim.wav", "sim.wav"}}) {
    const RunResult r = run(args);
    EXPECT_EQ(r.out, usage);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(files(), 1u) << "no file may be created";
  }
}

TEST_F(CommandLine, ConvertsIntoThePrefixedName) {
  write_file(dir.file("sim.wav"), recording);
  const RunResult r = run({"sim.wav"});
  EXPECT_EQ(r.out, "\n Convert sim.wav to VDX9 format (vdx9-sim.wav)\n\n");
  EXPECT_EQ(r.status, 0);
  const std::string out = read_file(dir.file("vdx9-sim.wav"));
  EXPECT_EQ(out.size(), recording.size() - 62);
  EXPECT_EQ(out.substr(out.size() - 4008), recording.substr(recording.size() - 4008));
  EXPECT_EQ(read_file(dir.file("sim.wav")), recording);
}

TEST_F(CommandLine, OverwritesAnOldOutputFromItsStart) {
  write_file(dir.file("sim.wav"), recording);
  write_file(dir.file("vdx9-sim.wav"), std::string(recording.size() * 2, 'x'));
  ASSERT_EQ(run({"sim.wav"}).status, 0);
  const std::string out = read_file(dir.file("vdx9-sim.wav"));
  EXPECT_EQ(out.size(), recording.size() - 62);
  EXPECT_EQ(out.find('x' + std::string(20, 'x')), std::string::npos);
}

TEST_F(CommandLine, InputThatCannotBeOpenedCreatesNoOutput) {
  std::filesystem::create_directory(dir.file("folder"));
  struct Case {
    std::string arg;
  };
  for (const Case& k : {Case{"missing.wav"}, Case{""}, Case{"folder"}}) {
    const RunResult r = run({k.arg});
    EXPECT_EQ(r.out, banner(k.arg) + "Could not open " + k.arg);
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(file_exists(dir.file("vdx9-" + k.arg))) << k.arg;
  }
}

TEST_F(CommandLine, PrefixGoesInFrontOfTheDirectoryToo) {
  std::filesystem::create_directory(dir.file("day1"));
  write_file(dir.file("day1/rec.wav"), recording);
  RunResult r = run({"day1/rec.wav"});
  EXPECT_EQ(r.out, banner("day1/rec.wav") + "Could not open vdx9-day1/rec.wav\n");
  EXPECT_EQ(r.status, 1);

  std::filesystem::create_directory(dir.file("vdx9-day1"));
  r = run({"day1/rec.wav"});
  EXPECT_EQ(r.out, banner("day1/rec.wav"));
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(file_exists(dir.file("vdx9-day1/rec.wav")));
}

TEST_F(CommandLine, LongNamesAreKeptWhole) {
  const std::string name = std::string(200, 'n') + ".wav";
  write_file(dir.file(name), recording);
  const RunResult r = run({name});
  EXPECT_EQ(r.out, banner(name));
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(file_exists(dir.file("vdx9-" + name)));

  // 255 bytes is as long as a name may be here; the prefix makes it too long.
  const std::string longest = std::string(251, 'm') + ".wav";
  write_file(dir.file(longest), recording);
  const RunResult refused = run({longest});
  EXPECT_EQ(refused.out, banner(longest) + "Could not open vdx9-" + longest + "\n");
  EXPECT_EQ(refused.status, 1);
}

TEST_F(CommandLine, NeverWritesOverTheInputThroughALink) {
  write_file(dir.file("sim.wav"), recording);
  for (bool hard : {true, false}) {
    std::filesystem::remove(dir.file("vdx9-sim.wav"));
    if (hard) {
      std::filesystem::create_hard_link(dir.file("sim.wav"), dir.file("vdx9-sim.wav"));
    } else {
      std::filesystem::create_symlink("sim.wav", dir.file("vdx9-sim.wav"));
    }
    const RunResult r = run({"sim.wav"});
    EXPECT_EQ(r.out, banner("sim.wav") + "Could not open vdx9-sim.wav\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(read_file(dir.file("sim.wav")), recording) << (hard ? "hard link" : "symlink");
  }
}

TEST_F(CommandLine, HeaderErrorLeavesTheBytesBeforeIt) {
  std::string bad = recording;
  bad[20] = 2;  // wFormatTag
  write_file(dir.file("bad.wav"), bad);
  const RunResult r = run({"bad.wav"});
  EXPECT_EQ(r.out, banner("bad.wav") + "Unknown wFormatTag.Error in .wav file header [5]");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(read_file(dir.file("vdx9-bad.wav")), bad.substr(0, 20));
}

TEST_F(CommandLine, FullDiskIsAFailureEvenWhenOnlyTheLastFlushFails) {
  struct Case {
    std::string input;
    std::string message;
  };
  const std::string write_failure = "\nERROR: Failed to write output file.\n";
  for (const Case& k :
       {Case{recording, write_failure},
        Case{wave(fmt_chunk({})), "Error in .wav file header [12]" + write_failure}}) {
    write_file(dir.file("small.wav"), k.input);
    std::filesystem::remove(dir.file("vdx9-small.wav"));
    std::filesystem::create_symlink("/dev/full", dir.file("vdx9-small.wav"));
    const RunResult r = run({"small.wav"});
    EXPECT_EQ(r.out, banner("small.wav") + k.message);
    EXPECT_EQ(r.status, 1);
  }
}

TEST_F(CommandLine, DiskFullInTheSampleDataIsAFailureOnEitherCopyPath) {
  // A 38-byte receiver keeps the data's offsets and the kernel copies it; a 100-byte one moves
  // it, and the block loop does. Either way the output stops where the disk was full.
  constexpr unsigned long limit = 300000;
  for (std::size_t receiver : {std::size_t{38}, std::size_t{100}}) {
    const std::string input = wave_file(chunk("rcvr", pattern(receiver)), pattern(2000000, 1));
    write_file(dir.file("big.wav"), input);
    const RunResult r = run({"big.wav"}, limit);
    EXPECT_EQ(r.out, banner("big.wav") + "\nERROR: Failed to write output file.\n")
        << receiver << "-byte receiver";
    EXPECT_EQ(r.status, 1);
    const std::string out = read_file(dir.file("vdx9-big.wav"));
    EXPECT_EQ(out.size(), limit);
    EXPECT_EQ(out.substr(out.size() - 1000), input.substr(limit + receiver - 38 - 1000, 1000));
  }
}

TEST_F(CommandLine, WritingToADeviceIsAllowed) {
  write_file(dir.file("sim.wav"), recording);
  std::filesystem::create_symlink("/dev/null", dir.file("vdx9-sim.wav"));
  const RunResult r = run({"sim.wav"});
  EXPECT_EQ(r.out, banner("sim.wav"));
  EXPECT_EQ(r.status, 0);
}

}  // namespace
}  // namespace vdx9::test
