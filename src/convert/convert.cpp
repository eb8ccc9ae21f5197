#include "convert/convert.hpp"

#include <algorithm>

namespace vdx9 {

Conversion::Conversion(std::FILE* input, std::FILE* output, std::size_t block_size)
    : in(input), out(output), buffer(std::max<std::size_t>(block_size, 1)) {}

Outcome convert(Conversion& c) {
  const Outcome header = check_header(c);
  if (header.result != Result::success) {
    return header;
  }
  return walk_chunks(c);
}

}  // namespace vdx9
