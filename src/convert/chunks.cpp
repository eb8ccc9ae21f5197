// The chunks after the format chunk: receiver chunks replaced, the data chunk copied to the end
// of the input, every other chunk copied unchanged. No pad byte is assumed after an odd body.
#include "convert/byte_order.hpp"
#include "convert/chunk_id.hpp"
#include "convert/convert.hpp"
#include "convert/receiver.hpp"
#include "convert/stream_io.hpp"

namespace vdx9 {

namespace {

// Copies the rest of the current body; afterwards a missing chunk id reports 12.
Stop finish_body(Conversion& c) {
  if (auto s = copy_body(c, 11))
    return s;
  c.stage = 12;
  return std::nullopt;
}

// The old body is read and dropped, whatever its size; the replacement is always 38 bytes.
Stop replace_receiver(Conversion& c) {
  unsigned char size[4];
  if (auto s = read_field(c, size, 4, 13))
    return s;
  c.remaining = load_u32le(size);
  if (auto s = skip_body(c, 13))
    return s;

  store_u32le(static_cast<std::uint32_t>(receiver_body_size), size);
  if (auto s = write_field(c, size, 4))
    return s;
  c.stage = 13;
  const auto body = receiver_body(c.sample_rate);
  return write_field(c, body.data(), body.size());
}

// Any chunk that is neither a receiver nor the data chunk, "DATA" and "RCVR" included.
Stop copy_chunk(Conversion& c) {
  unsigned char size[4];
  if (auto s = read_field(c, size, 4, 25))
    return s;
  c.remaining = load_u32le(size);
  if (auto s = write_field(c, size, 4))
    return s;
  return finish_body(c);
}

// The data chunk's size is copied as it stands and never compared with what follows.
Outcome copy_data(Conversion& c) {
  unsigned char size[4];
  if (auto s = read_field(c, size, 4, 25))
    return *s;
  if (auto s = write_field(c, size, 4))
    return *s;
  return copy_to_end(c);
}

}  // namespace

Outcome walk_chunks(Conversion& c) {
  if (auto s = finish_body(c))
    return *s;
  for (;;) {
    unsigned char id[4];
    // A missing id reports 12, or 13 straight after a receiver chunk.
    if (auto s = read_field(c, id, 4, c.stage))
      return *s;
    if (auto s = write_field(c, id, 4))
      return *s;
    if (is_id(id, "data")) {
      return copy_data(c);
    }
    const Stop s = is_id(id, "rcvr") ? replace_receiver(c) : copy_chunk(c);
    if (s)
      return *s;
  }
}

}  // namespace vdx9
