#include "convert/receiver.hpp"

#include <algorithm>

#include "convert/byte_order.hpp"

namespace vdx9 {

namespace {

// The fixed parts of the body; only the sample rate at offset 4 varies between files.
constexpr unsigned char receiver_id[4] = {0x3C, 0xA9, 0xB9, 0x01};  // 28944700, little-endian
constexpr unsigned char receiver_settings[14] = {0xF8, 0xF9, 0x1D, 0x4D, 0x00, 0x00, 0x00,
                                                 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00};
constexpr char receiver_label[] = "vdx9 revd       ";  // 16 characters, stored without its NUL

static_assert(sizeof receiver_id + 4 + sizeof receiver_settings + sizeof receiver_label - 1 ==
              receiver_body_size);

}  // namespace

std::array<unsigned char, receiver_body_size> receiver_body(std::uint32_t sample_rate) {
  std::array<unsigned char, receiver_body_size> body{};
  unsigned char* p = body.data();
  p = std::copy(std::begin(receiver_id), std::end(receiver_id), p);
  store_u32le(sample_rate, p);
  p += 4;
  p = std::copy(std::begin(receiver_settings), std::end(receiver_settings), p);
  std::copy(std::begin(receiver_label), std::end(receiver_label) - 1, p);
  return body;
}

}  // namespace vdx9
