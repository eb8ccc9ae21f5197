// Every fault at every byte: a read error at each offset of the input, and the disk filling up
// after each byte of the output. Whatever the offset, the run fails with status 1 and the right
// message, and the output holds exactly the bytes written before the fault.
#include <gtest/gtest.h>

#include "support/streams.hpp"
#include "support/wave.hpp"

namespace vdx9::test {
namespace {

const std::string read_failure = "\nERROR: Failed to read input file.\n";
const std::string write_failure = "\nERROR: Failed to write output file.\n";

struct Sample {
  const char* name;
  std::string input;
};

const Sample samples[] = {
    {"ListTwoReceiversData",
     wave_file(chunk("LIST", "INFOIART" + le32(6) + std::string("radio\0", 6)) +
                   chunk("rcvr", pattern(100)) + chunk("rcvr", pattern(38, 5)),
               pattern(3000, 2))},
    {"FormatExtensionOddReceiverMono24",
     wave(fmt_chunk({1, 1, 48000, 3, 24}, std::string("\0\0", 2)) + chunk("rcvr", pattern(105)) +
          chunk("fact", le32(1000)) + chunk("data", pattern(1500, 4)))},
};

void PrintTo(const Sample& s, std::ostream* os) {
  *os << s.name;
}

class FaultSweep : public ::testing::TestWithParam<std::tuple<Sample, std::size_t>> {};

TEST_P(FaultSweep, ReadErrorAtEveryOffset) {
  const auto& [sample, block] = GetParam();
  const std::string& in = sample.input;
  for (std::size_t at = 0; at <= in.size(); ++at) {
    Faults f;
    f.read_error_at = at;
    const MemoryRun r = run_in_memory(in, f, block);
    // Up to the fault, the run is the same as one on an input that ends there.
    const MemoryRun cut = run_in_memory(in.substr(0, at), {}, block);
    ASSERT_EQ(r.status, 1) << "read error at " << at;
    ASSERT_EQ(r.console, read_failure) << "read error at " << at;
    ASSERT_EQ(r.output, cut.output) << "read error at " << at;
  }
}

TEST_P(FaultSweep, DiskFullAfterEveryByte) {
  const auto& [sample, block] = GetParam();
  const MemoryRun whole = run_in_memory(sample.input, {}, block);
  ASSERT_EQ(whole.status, 0);
  for (bool unbuffered : {false, true}) {
    for (std::size_t limit = 0; limit < whole.output.size(); ++limit) {
      Faults f;
      f.write_limit = limit;
      f.unbuffered_output = unbuffered;
      const MemoryRun r = run_in_memory(sample.input, f, block);
      ASSERT_EQ(r.status, 1) << "disk full after " << limit;
      ASSERT_EQ(r.console, write_failure) << "disk full after " << limit;
      ASSERT_EQ(r.output, whole.output.substr(0, limit)) << "disk full after " << limit;
    }
  }
}

TEST_P(FaultSweep, ShortWritesAreFailures) {
  const auto& [sample, block] = GetParam();
  const MemoryRun whole = run_in_memory(sample.input, {}, block);
  for (std::size_t max_write : {std::size_t{1}, std::size_t{3}, std::size_t{1000}}) {
    Faults f;
    f.max_write = max_write;
    const MemoryRun r = run_in_memory(sample.input, f, block);
    EXPECT_EQ(r.status, 1) << "writes of at most " << max_write;
    EXPECT_EQ(r.console, write_failure);
    EXPECT_EQ(whole.output.compare(0, r.output.size(), r.output), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Samples, FaultSweep,
                         ::testing::Combine(::testing::ValuesIn(samples),
                                            ::testing::Values(std::size_t{7}, default_block_size)),
                         [](const auto& p) {
                           return std::string(std::get<0>(p.param).name) + "_Block" +
                                  std::to_string(std::get<1>(p.param));
                         });

TEST(FinalFlush, FullDiskThereIsAFailure) {
  const std::string& in = samples[0].input;
  const MemoryRun whole = run_in_memory(in);
  Faults f;
  f.write_limit = whole.output.size() - 1;  // all but the last byte fit
  const MemoryRun r = run_in_memory(in, f);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.console, write_failure);
  f.write_limit = whole.output.size();  // exactly enough room
  EXPECT_EQ(run_in_memory(in, f).status, 0);
}

}  // namespace
}  // namespace vdx9::test
