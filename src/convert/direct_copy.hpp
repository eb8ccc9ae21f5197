// Copying the rest of a regular file without passing it through the block buffer: the sample
// data is most of a recording, and moving it with one copy inside the kernel (or none) is what
// lets a conversion run at the speed of cp.
#pragma once

#include <cstdio>

namespace vdx9 {

enum class DirectCopy {
  not_taken,    // copied what it could; both streams are positioned for the block loop to go on
  read_error,   // the input could not be read
  write_error,  // the output could not be written
};

// Copies from the input's current logical position as far as it can, normally to the end. Only
// regular files are copied this way; the output stream is flushed first. The caller finishes
// with its own loop, which then normally meets the end of the input at once.
DirectCopy copy_rest_directly(std::FILE* in, std::FILE* out);

}  // namespace vdx9
