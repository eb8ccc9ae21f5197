#include "convert/convert.hpp"

#include <algorithm>

namespace vdx9 {

Conversion::Conversion(std::FILE* input, std::FILE* output, std::size_t block)
    : in(input),
      out(output),
      block_size(std::max<std::size_t>(block, 1)),
      buffer(new unsigned char[block_size]) {}

Outcome convert(Conversion& c) {
  const Outcome header = check_header(c);
  if (header.result != Result::success) {
    return header;
  }
  return walk_chunks(c);
}

}  // namespace vdx9
