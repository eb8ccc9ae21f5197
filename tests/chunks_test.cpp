// The chunk walk: receiver chunks replaced, other chunks and the sample data copied, and the
// stage code reported wherever the input ends early. Every case runs at several block sizes,
// since how bytes are moved must never change which bytes come out.
#include <gtest/gtest.h>

#include "support/streams.hpp"
#include "support/wave.hpp"

namespace vdx9::test {
namespace {

constexpr std::uint32_t rate = 44100;

// Our receiver chunk, written out byte by byte.
std::string our_receiver(std::uint32_t sample_rate = rate) {
  return chunk("rcvr", std::string("\x3C\xA9\xB9\x01", 4) + le32(sample_rate) +
                           std::string("\xF8\xF9\x1D\x4D\0\0\0\0\0\0\0\x01\0\0", 14) +
                           "vdx9 revd       ");
}

// The RIFF size is copied, never adjusted: give `expected` the input's.
std::string with_riff_size_of(std::string expected, const std::string& input) {
  return expected.replace(4, 4, input, 4, 4);
}

const std::string fmt = fmt_chunk({});
const std::string list = chunk("LIST", "INFOISFT" + le32(5) + std::string("test\0", 5));
const std::string old_receiver = chunk("rcvr", pattern(100, 3));

struct Walk {
  const char* name;
  std::string input;
  std::string output;
  Result result = Result::success;
  int stage = 0;
};

Walk replaced(const char* name, const std::string& before, const std::string& after) {
  return {name, before, with_riff_size_of(after, before)};
}

Walk fails(const char* name, const std::string& input, int stage, const std::string& output) {
  return {name, input, output, Result::header_error, stage};
}

std::string cut(const std::string& s, std::size_t drop) {
  return s.substr(0, s.size() - drop);
}

void PrintTo(const Walk& w, std::ostream* os) {
  *os << w.name;
}

class ChunkWalk : public ::testing::TestWithParam<std::tuple<Walk, std::size_t>> {};

TEST_P(ChunkWalk, GivesTheExpectedBytesAndOutcome) {
  const auto& [w, block_size] = GetParam();
  const Converted c = convert_bytes(w.input, block_size);
  EXPECT_EQ(c.outcome.result, w.result);
  if (w.result == Result::header_error) {
    EXPECT_EQ(c.outcome.stage, w.stage);
  }
  EXPECT_EQ(c.output, w.output);
}

const std::string samples = pattern(3000, 1);

INSTANTIATE_TEST_SUITE_P(
    Files, ChunkWalk,
    ::testing::Combine(
        ::testing::Values(
            Walk{"NoReceiverIsAnExactCopy", wave_file(list, samples), wave_file(list, samples)},
            replaced("Receiver38InPlace", wave_file(chunk("rcvr", pattern(38))),
                     wave_file(our_receiver())),
            replaced("Receiver100Shrinks", wave_file(old_receiver), wave_file(our_receiver())),
            replaced("Receiver0Grows", wave_file(chunk("rcvr", "")), wave_file(our_receiver())),
            replaced("ReceiverOddSize", wave_file(chunk("rcvr", pattern(105))),
                     wave_file(our_receiver())),
            replaced("ReceiverLargerThanABlock",
                     wave_file(chunk("rcvr", pattern((1u << 20) + 3000))),
                     wave_file(our_receiver())),
            replaced("TwoReceiversAroundAList", wave_file(old_receiver + list + old_receiver),
                     wave_file(our_receiver() + list + our_receiver())),
            replaced("SampleRateIsThisFiles",
                     wave_file(old_receiver, "ab", Format{1, 1, 12345, 2, 16}),
                     wave_file(our_receiver(12345), "ab", Format{1, 1, 12345, 2, 16})),
            Walk{"ReceiverAfterDataIsSampleData", wave_file("", samples + old_receiver),
                 wave_file("", samples + old_receiver)},
            Walk{"UpperCaseIdsAreOrdinaryChunks",
                 wave_file(chunk("RCVR", "abc") + chunk("DATA", "defg")),
                 wave_file(chunk("RCVR", "abc") + chunk("DATA", "defg"))},
            Walk{"FormatExtensionCopied",
                 wave(fmt_chunk({}, std::string("\0\0", 2)) + chunk("data", "x")),
                 wave(fmt_chunk({}, std::string("\0\0", 2)) + chunk("data", "x"))},
            Walk{"DataSizeIsNotTrusted", wave(fmt + "data" + le32(0) + pattern(1000)),
                 wave(fmt + "data" + le32(0) + pattern(1000))},
            Walk{"DataSizeLongerThanTheFile", wave(fmt + "data" + le32(1u << 30) + "abc"),
                 wave(fmt + "data" + le32(1u << 30) + "abc")},
            Walk{"DataWithNothingAfterItsSize", wave(fmt + "data" + le32(8)),
                 wave(fmt + "data" + le32(8))},
            // The pad byte is read as the first byte of the next id, so "\0dat" is a chunk
            // whose size takes in "a" and more than the file holds.
            fails("PadByteAfterOddChunkIsNotSkipped",
                  wave(fmt + chunk("odd ", "abc") + '\0' + chunk("data", "wxyz")), 11,
                  wave(fmt + chunk("odd ", "abc") + '\0' + chunk("data", "wxyz"))),
            fails("EndsAfterFormat", wave(fmt), 12, wave(fmt)),
            fails("EndsAfterList", wave(fmt + list), 12, wave(fmt + list)),
            fails("EndsAfterReceiver", wave(fmt + list + old_receiver), 13,
                  with_riff_size_of(wave(fmt + list + our_receiver()),
                                    wave(fmt + list + old_receiver))),
            fails("EndsAfterReceiverThenList", wave(fmt + old_receiver + list), 12,
                  with_riff_size_of(wave(fmt + our_receiver() + list),
                                    wave(fmt + old_receiver + list))),
            fails("IdCutAfterList", wave(fmt + list + "da"), 12, cut(wave(fmt + list + "da"), 2)),
            fails("IdCutAfterReceiver", wave(fmt + old_receiver + "da"), 13,
                  with_riff_size_of(wave(fmt + our_receiver()), wave(fmt + old_receiver + "da"))),
            fails("FormatBodyCut", cut(wave(fmt_chunk({}, "abcd")), 3), 11,
                  cut(wave(fmt_chunk({}, "abcd")), 3)),
            fails("ListBodyCut", cut(wave(fmt + list), 4), 11, cut(wave(fmt + list), 4)),
            fails("ListSizeCut", wave(fmt + "LIST\x10\x01"), 25,
                  cut(wave(fmt + "LIST\x10\x01"), 2)),
            fails("DataSizeCut", wave(fmt + "data\x10"), 25, cut(wave(fmt + "data\x10"), 1)),
            fails("ReceiverSizeCut", wave(fmt + "rcvr\x26"), 13, cut(wave(fmt + "rcvr\x26"), 1)),
            // The receiver's id is already out when its body turns out short.
            fails("ReceiverBodyCut", cut(wave(fmt + old_receiver), 1), 13,
                  wave(fmt + old_receiver).substr(0, 40))),
        ::testing::Values(std::size_t{1}, std::size_t{7}, default_block_size)),
    [](const auto& p) {
      return std::string(std::get<0>(p.param).name) + "_Block" +
             std::to_string(std::get<1>(p.param));
    });

TEST(ReceiverBody, IsThirtyEightBytesWithTheSampleRateAtOffsetFour) {
  const std::string body = our_receiver(0x12345678).substr(8);
  ASSERT_EQ(body.size(), 38u);
  EXPECT_EQ(body.substr(4, 4), "\x78\x56\x34\x12");
  EXPECT_EQ(body.substr(22), "vdx9 revd       ");
  // The one piece the tool makes itself, compared with the independent literal above.
  const Converted c = convert_bytes(wave_file(chunk("rcvr", ""), "", {1, 1, 0x12345678, 2, 16}));
  EXPECT_EQ(c.output.substr(44, 38), body);
}

}  // namespace
}  // namespace vdx9::test
