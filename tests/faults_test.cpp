// Read errors and refused writes: never reported as success, and the output holds exactly the
// bytes that were written before the fault.
#include <gtest/gtest.h>

#include "support/streams.hpp"
#include "support/wave.hpp"

namespace vdx9::test {
namespace {

const std::string input =
    wave_file(chunk("LIST", "INFO") + chunk("rcvr", pattern(100)), pattern(5000, 9));
const std::size_t data_start = input.size() - 5000;

TEST(ReadError, InsideTheSampleDataIsAFailureNotTheEnd) {
  for (std::size_t block : {std::size_t{1}, default_block_size}) {
    const Converted whole = convert_bytes(input, block);
    const Converted c = convert_bytes(input, block, Faults{data_start + 1234});
    EXPECT_EQ(c.outcome.result, Result::read_failure);
    EXPECT_EQ(c.output, whole.output.substr(0, whole.output.size() - 5000 + 1234));
  }
}

TEST(ReadError, InTheHeaderOrAChunkIsNotBlamedOnTheFile) {
  // Offsets in a header field, a chunk size, a receiver body and a copied body.
  for (std::size_t at :
       {std::size_t{0}, std::size_t{5}, std::size_t{22}, std::size_t{40}, std::size_t{60}}) {
    const Converted c = convert_bytes(input, default_block_size, Faults{at});
    EXPECT_EQ(c.outcome.result, Result::read_failure) << "read error at " << at;
  }
}

TEST(ReadError, AtTheVeryEndOfTheSampleDataIsStillAFailure) {
  const Converted c = convert_bytes(input, default_block_size, Faults{input.size()});
  EXPECT_EQ(c.outcome.result, Result::read_failure);
}

TEST(WriteFailure, IsReportedWhereverTheDiskFillsUp) {
  const Converted whole = convert_bytes(input);
  for (std::size_t limit : {std::size_t{0}, std::size_t{3}, std::size_t{40}, std::size_t{90},
                            whole.output.size() - 1}) {
    Faults f;
    f.write_limit = limit;
    f.unbuffered_output = true;
    const Converted c = convert_bytes(input, default_block_size, f);
    EXPECT_EQ(c.outcome.result, Result::write_failure) << "disk full after " << limit;
    EXPECT_EQ(c.output, whole.output.substr(0, limit));
  }
}

TEST(WriteFailure, HeldInTheBufferShowsWhenTheOutputIsClosed) {
  Faults f;
  f.write_limit = 10;
  const Converted c = convert_bytes(input, default_block_size, f);
  EXPECT_FALSE(c.outcome.result == Result::success && c.closed);
  EXPECT_EQ(c.output, input.substr(0, 10));
}

}  // namespace
}  // namespace vdx9::test
