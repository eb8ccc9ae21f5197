// The header check: which files are accepted, the stage code each refusal reports, and that the
// output stops just before the field that failed.
#include <gtest/gtest.h>

#include "support/streams.hpp"
#include "support/wave.hpp"

namespace vdx9::test {
namespace {

// The fields through nBlockAlign that the header check copies.
constexpr std::size_t header_bytes = 34;

std::string format_file(std::uint16_t tag, std::uint16_t channels, std::uint16_t block_align) {
  return wave_file("", "samples", Format{tag, channels, 8000, block_align, 16});
}

std::string with_field(std::string file, std::size_t offset, const std::string& bytes) {
  return file.replace(offset, bytes.size(), bytes);
}

struct Refusal {
  const char* name;
  std::string input;
  int stage;
  std::size_t output_bytes;  // the input's leading bytes that reach the output
};

class HeaderRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(HeaderRefusal, ReportsItsStageAndKeepsTheFieldsBeforeIt) {
  const Refusal& r = GetParam();
  const Converted c = convert_bytes(r.input);
  EXPECT_EQ(c.outcome.result, Result::header_error);
  EXPECT_EQ(c.outcome.stage, r.stage);
  EXPECT_EQ(c.output, r.input.substr(0, r.output_bytes));
}

const std::string good = format_file(1, 2, 4);

INSTANTIATE_TEST_SUITE_P(
    Fields, HeaderRefusal,
    ::testing::Values(
        Refusal{"Empty", "", 0, 0}, Refusal{"ThreeBytes", "RIF", 0, 0},
        Refusal{"Rifx", with_field(good, 0, "RIFX"), 1, 0},
        Refusal{"RiffLowerCase", with_field(good, 0, "riff"), 1, 0},
        Refusal{"OnlyRiffId", "RIFF", 2, 4}, Refusal{"RiffSizeCut", good.substr(0, 6), 2, 4},
        Refusal{"NoFormType", good.substr(0, 8), 2, 8},
        Refusal{"FormTypeNotWave", with_field(good, 8, "AVI "), 2, 8},
        Refusal{"NoFirstChunk", good.substr(0, 12), 3, 12},
        Refusal{"ListBeforeFormat", wave(chunk("LIST", "INFO") + fmt_chunk({})), 3, 12},
        Refusal{"FactBeforeFormat", wave(chunk("fact", "abcd") + fmt_chunk({})), 3, 12},
        Refusal{"FormatIdWithoutSpace", with_field(good, 12, std::string("fmt\0", 4)), 3, 12},
        Refusal{"FormatSizeCut", good.substr(0, 18), 4, 16},
        Refusal{"FormatTagCut", good.substr(0, 21), 5, 20},
        Refusal{"FormatTagAdpcm", format_file(2, 2, 4), 5, 20},
        Refusal{"FormatTagExtensible", format_file(0xFFFE, 2, 4), 5, 20},
        Refusal{"ChannelsCut", good.substr(0, 23), 6, 22},
        Refusal{"ZeroChannels", format_file(1, 0, 4), 6, 22},
        Refusal{"ThreeChannels", format_file(1, 3, 6), 6, 22},
        Refusal{"NegativeChannels", format_file(1, 0xFFFF, 4), 6, 22},
        Refusal{"RateCut", good.substr(0, 27), 7, 24},
        Refusal{"AvgBytesCut", good.substr(0, 28), 8, 28},
        Refusal{"BlockAlignCut", good.substr(0, 33), 9, 32},
        Refusal{"StereoBlockAlignOne", format_file(1, 2, 1), 9, 32},
        Refusal{"MonoBlockAlignFive", format_file(1, 1, 5), 9, 32},
        Refusal{"ZeroBlockAlign", format_file(1, 1, 0), 9, 32},
        Refusal{"NegativeBlockAlign", format_file(1, 1, 0xFFFC), 9, 32},
        Refusal{"FloatOneByte", format_file(3, 1, 1), 10, 32},
        Refusal{"FloatTwoBytes", format_file(3, 1, 2), 11, 32},
        Refusal{"FloatThreeBytes", format_file(3, 2, 6), 12, 32},
        Refusal{"IntegerFourBytes", format_file(1, 1, 4), 13, 32}),
    [](const auto& p) { return std::string(p.param.name); });

struct Accepted {
  const char* name;
  std::uint16_t tag, channels, block_align;
};

class HeaderAccepted : public ::testing::TestWithParam<Accepted> {};

TEST_P(HeaderAccepted, CopiesTheWholeFileUnchanged) {
  const Accepted& a = GetParam();
  const std::string input = format_file(a.tag, a.channels, a.block_align);
  const Converted c = convert_bytes(input);
  EXPECT_EQ(c.outcome.result, Result::success);
  EXPECT_EQ(c.output, input);
}

INSTANTIATE_TEST_SUITE_P(Formats, HeaderAccepted,
                         ::testing::Values(Accepted{"Mono8", 1, 1, 1}, Accepted{"Mono16", 1, 1, 2},
                                           Accepted{"Mono24", 1, 1, 3},
                                           Accepted{"MonoFloat", 3, 1, 4},
                                           Accepted{"Stereo16", 1, 2, 4},
                                           Accepted{"Stereo24", 1, 2, 6},
                                           Accepted{"StereoFloat", 3, 2, 8},
                                           // 5 / 2 truncates to 2 bytes a sample
                                           Accepted{"StereoBlockAlignFive", 1, 2, 5}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(HeaderCheck, RecordsTheSampleRateAndLeavesTheRestOfTheFormatChunk) {
  struct Case {
    std::string extra;
    std::uint32_t remaining;
  };
  for (const Case& k : {Case{"", 2}, Case{std::string("\x02\x00\xAB\xCD", 4), 6}}) {
    const std::string input = wave(fmt_chunk({1, 2, 96000, 4, 16}, k.extra) + chunk("data", ""));
    std::uint32_t rate = 0;
    std::uint32_t remaining = 0;
    const Converted c = convert_bytes(input, default_block_size, {}, [&](Conversion& conv) {
      const Outcome o = check_header(conv);
      rate = conv.sample_rate;
      remaining = conv.remaining;
      return o;
    });
    EXPECT_EQ(c.outcome.result, Result::success);
    EXPECT_EQ(rate, 96000u);
    EXPECT_EQ(remaining, k.remaining);
    EXPECT_EQ(c.output, input.substr(0, header_bytes));
  }
}

TEST(HeaderCheck, NeverComparesBitsPerSampleWithBlockAlign) {
  const std::string input = wave_file("", "xy", Format{1, 2, 8000, 4, 12});
  EXPECT_EQ(convert_bytes(input).output, input);
}

TEST(HeaderCheck, FormatChunkOfFourteenBytesGoesStraightToTheChunks) {
  const std::string fmt14 = chunk("fmt ", format_file(1, 1, 2).substr(20, 14));
  const std::string input = wave(fmt14 + chunk("data", "abc"));
  const Converted c = convert_bytes(input);
  EXPECT_EQ(c.outcome.result, Result::success);
  EXPECT_EQ(c.output, input);
}

TEST(HeaderCheck, FormatChunkBelowFourteenBytesCopiesToTheEndAndReports11) {
  // A size of 10 leaves 2^32 - 4 bytes to copy: everything that follows is copied as body.
  std::string input = format_file(1, 2, 4);
  input.replace(16, 4, le32(10));
  const Converted c = convert_bytes(input);
  EXPECT_EQ(c.outcome.result, Result::header_error);
  EXPECT_EQ(c.outcome.stage, 11);
  EXPECT_EQ(c.output, input);
}

}  // namespace
}  // namespace vdx9::test
