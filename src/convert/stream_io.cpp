#include "convert/stream_io.hpp"

#include <algorithm>
#include <limits>

#include "convert/direct_copy.hpp"

namespace vdx9 {

namespace {

// A read that delivered less than it asked for: the end of the input, or an error.
Stop short_read(Conversion& c, int code) {
  if (std::ferror(c.in) != 0) {
    return Outcome{Result::read_failure, c.stage};
  }
  return reject(c, code);
}

Stop write_failure(const Conversion& c) {
  return Outcome{Result::write_failure, c.stage};
}

// Moves up to c.remaining bytes through the buffer, writing them when `keep` is set.
Stop move_body(Conversion& c, int code, bool keep) {
  unsigned char* const block = c.buffer.get();
  while (c.remaining != 0) {
    const std::size_t want = std::min<std::size_t>(c.remaining, c.block_size);
    const std::size_t got = std::fread(block, 1, want, c.in);
    if (keep && got != 0 && std::fwrite(block, 1, got, c.out) != got) {
      return write_failure(c);
    }
    reached(c, c.offset + got);
    c.remaining -= static_cast<std::uint32_t>(got);
    if (got != want) {
      return short_read(c, code);
    }
  }
  return std::nullopt;
}

}  // namespace

void reached(Conversion& c, std::uint64_t offset) {
  c.offset = offset;
  if (c.progress != nullptr) {
    c.progress->reached(offset);
  }
}

std::uint64_t piece(const Conversion& c) {
  return c.progress != nullptr ? std::max<std::uint64_t>(c.progress->piece(), 1)
                               : std::numeric_limits<std::uint64_t>::max();
}

Stop reject(Conversion& c, int code) {
  c.stage = code;
  return Outcome{Result::header_error, code};
}

Stop read_field(Conversion& c, unsigned char* field, std::size_t n, int code) {
  const std::size_t got = std::fread(field, 1, n, c.in);
  reached(c, c.offset + got);
  if (got != n) {
    return short_read(c, code);
  }
  return std::nullopt;
}

Stop write_field(Conversion& c, const unsigned char* bytes, std::size_t n) {
  if (std::fwrite(bytes, 1, n, c.out) != n) {
    return write_failure(c);
  }
  return std::nullopt;
}

Stop copy_body(Conversion& c, int code) {
  return move_body(c, code, true);
}

Stop skip_body(Conversion& c, int code) {
  return move_body(c, code, false);
}

Outcome copy_to_end(Conversion& c) {
  if (c.direct_copy) {
    switch (copy_rest_directly(c)) {
      case DirectCopy::read_error:
        return Outcome{Result::read_failure, c.stage};
      case DirectCopy::write_error:
        return Outcome{Result::write_failure, c.stage};
      case DirectCopy::done:
      case DirectCopy::not_taken:
        break;
    }
  }
  unsigned char* const block = c.buffer.get();
  const std::size_t want = c.block_size;
  for (;;) {
    const std::size_t got = std::fread(block, 1, want, c.in);
    if (got != 0 && std::fwrite(block, 1, got, c.out) != got) {
      return Outcome{Result::write_failure, c.stage};
    }
    reached(c, c.offset + got);
    if (got != want) {
      // The sample data may run to any length; only an error, not the end, is a failure.
      return Outcome{std::ferror(c.in) != 0 ? Result::read_failure : Result::success, c.stage};
    }
  }
}

}  // namespace vdx9
