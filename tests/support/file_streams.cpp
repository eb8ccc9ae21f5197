// The conversion in-process through temporary files, where there are no in-memory streams.
#include <stdexcept>

#include "support/streams.hpp"

namespace vdx9::test {

Converted convert_bytes(const std::string& input, std::size_t block_size, const Faults& faults,
                        const Step& step) {
  if (faults.read_error_at != never || faults.write_limit != never || faults.max_write != never ||
      faults.unbuffered_output) {
    throw std::logic_error("faults are injected on glibc only");
  }
  std::FILE* in = std::tmpfile();
  std::FILE* out = std::tmpfile();
  if (in == nullptr || out == nullptr ||
      std::fwrite(input.data(), 1, input.size(), in) != input.size() || std::fflush(in) != 0) {
    throw std::runtime_error("cannot write a temporary file");
  }
  std::rewind(in);
  Conversion c(in, out, block_size);
  c.direct_copy = false;
  Converted result{step(c), {}};
  result.closed = std::fflush(out) == 0;
  std::rewind(out);
  char block[65536];
  for (std::size_t n; (n = std::fread(block, 1, sizeof block, out)) != 0;) {
    result.output.append(block, n);
  }
  result.closed = std::fclose(out) == 0 && result.closed;
  std::fclose(in);
  return result;
}

}  // namespace vdx9::test
