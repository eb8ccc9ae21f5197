// Copying the rest of a regular file inside the kernel, without passing it through the block
// buffer: the sample data is most of a recording, and this is what lets a conversion run at the
// speed of cp.
#pragma once

#include <cstdio>

namespace vdx9 {

enum class DirectCopy {
  not_taken,    // copied what it could; both streams are positioned for the block loop to go on
  read_error,   // the input could not be read
  write_error,  // the output could not be written
};

// Copies from the input's current logical position as far as the kernel will, normally to the
// end: on Linux with the kernel's file copy where input and output offsets line up within a page
// (from a block boundary on, so that file systems that can share the blocks do), else through a
// pipe (src/linux/); elsewhere not at all (src/portable/). Only regular files are copied this
// way; the output stream is flushed first. The caller finishes with its block loop, which after
// a whole copy meets the end of the input at once, and otherwise copies the rest.
DirectCopy copy_rest_directly(std::FILE* in, std::FILE* out);

}  // namespace vdx9
