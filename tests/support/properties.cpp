#include "support/properties.hpp"

#include <cstdint>
#include <sstream>

#include "support/streams.hpp"

namespace vdx9::test {

namespace {

std::uint64_t u32_at(const std::string& s, std::uint64_t at) {
  std::uint64_t v = 0;
  for (int i = 3; i >= 0; --i) {
    v = v << 8 |
        static_cast<unsigned char>(s[static_cast<std::size_t>(at) + static_cast<std::size_t>(i)]);
  }
  return v;
}

// The chunk layout of the input, found by a plain walk of its own: where the data chunk
// starts, and what replacing the receiver chunks before it does to the length.
struct Layout {
  bool has_data = false;
  std::uint64_t data_at = 0;
  std::int64_t growth = 0;      // the sum of 38 minus the old size, over whole receiver chunks
  std::uint64_t receivers = 0;  // receiver chunks whose id and size are present
};

Layout layout_of(const std::string& in) {
  Layout l;
  if (in.size() < 20 || u32_at(in, 16) < 14) {
    return l;  // no chunks are walked after a format chunk this short
  }
  std::uint64_t at = 20 + u32_at(in, 16);
  while (at + 8 <= in.size()) {
    const std::string id = in.substr(static_cast<std::size_t>(at), 4);
    const std::uint64_t size = u32_at(in, at + 4);
    if (id == "data") {
      l.has_data = true;
      l.data_at = at;
      break;
    }
    if (id == "rcvr") {
      ++l.receivers;
      l.growth += 38 - static_cast<std::int64_t>(size);
    }
    at += 8 + size;
  }
  return l;
}

bool is_stage_code(int code) {
  return (code >= 0 && code <= 13) || code == 25;
}

}  // namespace

std::string check_properties(const std::string& input) {
  std::ostringstream why;
  const Converted first = convert_bytes(input, default_block_size);
  const Outcome o = first.outcome;

  // Nothing failed underneath, so the end is success or a header error with a defined code.
  if (o.result != Result::success && o.result != Result::header_error) {
    why << "an I/O failure with no fault injected";
    return why.str();
  }
  if (o.result == Result::header_error && !is_stage_code(o.stage)) {
    why << "undefined stage code " << o.stage;
    return why.str();
  }

  // How the bytes are moved never changes the result.
  for (std::size_t block : {std::size_t{1}, std::size_t{5}, std::size_t{4093}}) {
    const Converted other = convert_bytes(input, block);
    if (other.outcome.result != o.result || other.outcome.stage != o.stage ||
        other.output != first.output) {
      why << "block size " << block << " gives another result";
      return why.str();
    }
  }

  const Layout l = layout_of(input);
  if (first.output.size() > input.size() + 38 * l.receivers) {
    why << "output of " << first.output.size() << " bytes is longer than the input's "
        << input.size() << " plus 38 for each of " << l.receivers << " receiver chunks";
    return why.str();
  }
  if (o.result == Result::success) {
    if (!l.has_data) {
      why << "success without a data chunk";
      return why.str();
    }
    const auto expected_size = static_cast<std::int64_t>(input.size()) + l.growth;
    if (static_cast<std::int64_t>(first.output.size()) != expected_size) {
      why << "output of " << first.output.size() << " bytes, expected " << expected_size;
      return why.str();
    }
    const auto out_data_at =
        static_cast<std::size_t>(static_cast<std::int64_t>(l.data_at) + l.growth);
    if (first.output.compare(out_data_at, std::string::npos, input,
                             static_cast<std::size_t>(l.data_at)) != 0) {
      why << "bytes from the data chunk on differ from the input";
      return why.str();
    }
  }
  return "";
}

}  // namespace vdx9::test
