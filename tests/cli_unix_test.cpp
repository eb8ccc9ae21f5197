// The command line end to end where POSIX lets a test fill the disk or link to a device.
#include <sys/stat.h>

#include <fstream>

#include "cli_test.hpp"
#include "support/streams.hpp"

namespace vdx9::test {
namespace {

TEST_F(CommandLine, NeverWritesOverTheInputThroughASymbolicLink) {
  write_file(dir.file("sim.wav"), recording);
  std::filesystem::create_symlink("sim.wav", dir.file("vdx9-sim.wav"));
  const RunResult r = run({"sim.wav"});
  EXPECT_EQ(r.out, banner("sim.wav") + "Could not open vdx9-sim.wav\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(read_file(dir.file("sim.wav")), recording);
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
    const RunResult r = run({"big.wav"}, {limit, "", Console::captured});
    EXPECT_EQ(r.out, banner("big.wav") + "\nERROR: Failed to write output file.\n")
        << receiver << "-byte receiver";
    EXPECT_EQ(r.status, 1);
    const std::string out = read_file(dir.file("vdx9-big.wav"));
    EXPECT_EQ(out.size(), limit);
    EXPECT_EQ(out.substr(out.size() - 1000), input.substr(limit + receiver - 38 - 1000, 1000));
  }
}

TEST_F(CommandLine, StandardOutputThatCannotBeWrittenFailsAfterAWholeConversion) {
  write_file(dir.file("sim.wav"), recording);
  for (const Console console : {Console::closed, Console::broken_pipe}) {
    std::filesystem::remove(dir.file("vdx9-sim.wav"));
    const RunResult r = run({"sim.wav"}, {0, "", console});
    EXPECT_EQ(r.status, 1) << "console " << static_cast<int>(console);
    EXPECT_EQ(read_file(dir.file("vdx9-sim.wav")), convert_bytes(recording).output);
  }
}

std::uint64_t allocated(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_blocks) * 512 : 0;
}

TEST_F(CommandLine, HolesInTheRecordingStayHoles) {
  struct Run {
    std::size_t at, length;
  };
  struct Case {
    const char* name;
    std::size_t receiver;   // 38 keeps the data's offsets; 100 moves it by 62 bytes
    std::vector<Run> data;  // the sample data's runs that are not holes
  };
  constexpr std::size_t size = 16u << 20;
  for (const Case& k :
       {Case{"38, holes inside and at the end", 38, {{1u << 20, 5000}, {9u << 20, 3}}},
        Case{"100, holes inside and at the end", 100, {{1u << 20, 5000}, {9u << 20, 3}}},
        Case{"38, all hole after the header", 38, {}},
        Case{"100, all hole after the header", 100, {}}}) {
    SCOPED_TRACE(k.name);
    std::string input = wave(fmt_chunk({}) + chunk("rcvr", pattern(k.receiver)) + "data" + le32(0));
    const std::string in_path = dir.file("sparse.wav");
    write_file(in_path, input);
    std::filesystem::resize_file(in_path, size);
    input.resize(size, '\0');
    std::fstream f(in_path, std::ios::in | std::ios::out | std::ios::binary);
    for (const Run& run : k.data) {
      input.replace(run.at, run.length, pattern(run.length, 3));
      f.seekp(static_cast<std::streamoff>(run.at));
      f.write(input.data() + run.at, static_cast<std::streamsize>(run.length));
    }
    ASSERT_TRUE(f.flush());
    f.close();
    if (allocated(in_path) > size / 2) {
      GTEST_SKIP() << "the file system here keeps no holes";
    }
    const RunResult r = run({"sparse.wav"});
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string out_path = dir.file("vdx9-sparse.wav");
    EXPECT_EQ(read_file(out_path), convert_bytes(input).output);
    if (VDX9_KEEPS_HOLES) {
      EXPECT_LE(allocated(out_path), allocated(in_path) + (64u << 10));
    }
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
