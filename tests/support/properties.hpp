// What must hold for the conversion of any input whatsoever. Checked by the fuzzer on arbitrary
// bytes, and by the ordinary tests on every input the fuzzer ever found wanting.
#pragma once

#include <string>

namespace vdx9::test {

// Converts `input` in memory at several block sizes; returns "" when every property holds,
// else a description of the first that does not.
std::string check_properties(const std::string& input);

}  // namespace vdx9::test
