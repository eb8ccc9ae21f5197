// The receiver chunk body that replaces every receiver chunk before the sample data.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vdx9 {

inline constexpr std::size_t receiver_body_size = 38;

std::array<unsigned char, receiver_body_size> receiver_body(std::uint32_t sample_rate);

}  // namespace vdx9
