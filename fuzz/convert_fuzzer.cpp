// libFuzzer entry: converts arbitrary bytes in memory and checks the properties every
// conversion must have, not only that nothing crashes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/properties.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string broken = vdx9::test::check_properties(input);
  if (!broken.empty()) {
    std::fprintf(stderr, "property broken: %s\n", broken.c_str());
    std::abort();
  }
  return 0;
}
