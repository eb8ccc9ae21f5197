// The properties every conversion has (see support/properties.hpp), on inputs made to strain
// them, and on every input the fuzzer has found that broke one.
#include <gtest/gtest.h>

#include "support/properties.hpp"
#include "support/wave.hpp"

namespace vdx9::test {
namespace {

struct Input {
  const char* name;
  std::string bytes;
};

class Properties : public ::testing::TestWithParam<Input> {};

TEST_P(Properties, Hold) {
  EXPECT_EQ(check_properties(GetParam().bytes), "");
}

const std::string fmt = fmt_chunk({});

INSTANTIATE_TEST_SUITE_P(
    Inputs, Properties,
    ::testing::Values(
        Input{"Empty", ""}, Input{"Garbage", pattern(300, 11)}, Input{"Plain", wave_file("")},
        Input{"ReceiversOfManySizes",
              wave_file(chunk("rcvr", "") + chunk("rcvr", pattern(1)) + chunk("rcvr", pattern(38)) +
                        chunk("rcvr", pattern(5000)))},
        Input{"ReceiverSizeBeyondTheFile", wave(fmt + "rcvr" + le32(0xFFFFFFFF) + "abc")},
        Input{"ChunkSizeBeyondTheFile", wave(fmt + "LIST" + le32(0xFFFFFFF0) + "abc")},
        Input{"FormatSizeZero", wave("fmt " + le32(0) + fmt.substr(8) + chunk("data", "x"))},
        Input{"FormatSizeMax", wave("fmt " + le32(0xFFFFFFFF) + fmt.substr(8))},
        Input{"ReceiverAfterData", wave_file("", chunk("rcvr", pattern(9)))},
        Input{"DataInsideAReceiverBody", wave_file(chunk("rcvr", chunk("data", "xyz")))}
        // Every input the fuzzer finds that breaks a property is added here, written out as
        // bytes, once the fault is mended. None so far.
        ),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace vdx9::test
