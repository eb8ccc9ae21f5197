// Copying the rest of a regular file inside the kernel, without passing it through the block
// buffer: the sample data is most of a recording, and this is what lets a conversion run at the
// speed of cp.
#pragma once

#include "convert/convert.hpp"

namespace vdx9 {

enum class DirectCopy {
  done,         // copied to the input's end; both streams are positioned after it
  not_taken,    // copied what it could; both streams are positioned for the block loop to go on
  read_error,   // the input could not be read
  write_error,  // the output could not be written
};

// Copies from the input's current logical position as far as the kernel will, normally to the
// end: on Linux by sharing the input's blocks or with the kernel's file copy where input and
// output offsets line up within a page, else through a pipe, and with the input's holes kept as
// holes (src/linux/); elsewhere not at all (src/portable/). Only regular files are copied this
// way; the output stream is flushed first. Either way the caller goes on with its block loop,
// which after a whole copy meets the end of the input at once (or what a recording still being
// written has gained since), and otherwise copies the rest. The copy tells c.progress of each
// piece as it lands (see reached() in convert/stream_io.hpp) and keeps each of its copies
// within a piece.
DirectCopy copy_rest_directly(Conversion& c);

}  // namespace vdx9
