// Copying the rest of a file inside the kernel, where the platform allows it: the sample data
// is most of a recording, and this keeps it from passing through user space at all.
#pragma once

#include <cstdio>

namespace vdx9 {

enum class KernelCopy {
  not_taken,    // copied what it could; both streams are positioned for the block loop to go on
  read_error,   // the input could not be read
  write_error,  // the output could not be written
};

// Copies from the input's current logical position as far as the kernel will, normally to the
// end. Only regular files are copied this way; the output stream is flushed first. The caller
// finishes with its own loop, which then normally meets the end at once.
KernelCopy copy_rest_in_kernel(std::FILE* in, std::FILE* out);

}  // namespace vdx9
