#pragma once

#include <cstring>

namespace vdx9 {

// Chunk ids are compared byte for byte, case included: "DATA" is not "data".
inline bool is_id(const unsigned char* id, const char (&literal)[5]) {
  return std::memcmp(id, literal, 4) == 0;
}

}  // namespace vdx9
