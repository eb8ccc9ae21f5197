// The conversion of one RIFF/WAVE file into VDX9 format: a checked, front-to-back copy of the
// input in which every receiver chunk before the sample data is replaced by our own.
//
// The conversion never prints and never ends the process: each entry operation returns an
// Outcome, and the caller decides what the user is told and which exit status follows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "convert/progress.hpp"

namespace vdx9 {

// Chunk bodies, and sample data that the kernel does not copy, move through one buffer of this
// many bytes: the fastest of 4 KiB to 1 MiB measured for the block loop (bench/run). Its pages
// are only touched as far as it is used.
inline constexpr std::size_t default_block_size = std::size_t{1} << 20;

enum class Result {
  success,        // the data chunk was copied to the end of the input
  header_error,   // the input broke a rule or ended early; Outcome::stage says where
  read_failure,   // the input stream reported an error (not its end)
  write_failure,  // the output stream refused a write
};

struct Outcome {
  Result result;
  int stage;  // the stage code of a header error; meaningless otherwise
};

// What the header check and the chunk walk share while one file is converted.
struct Conversion {
  // block_size is clamped to at least 1; it changes only how bytes are moved, never which.
  Conversion(std::FILE* in, std::FILE* out, std::size_t block_size = default_block_size);

  std::FILE* in;
  std::FILE* out;
  int stage = 0;                  // the code a header error reports at this point of the walk
  std::uint32_t remaining = 0;    // bytes of the current chunk body still to be copied
  std::uint32_t sample_rate = 0;  // nSamplesPerSec of the format chunk, as read
  std::size_t block_size;         // bytes moved at a time through `buffer`
  std::unique_ptr<unsigned char[]> buffer;  // the one block buffer, never sized from the input
  // Let the kernel copy the sample data where both files are regular files; off, every byte
  // goes through the block buffer. Either way the output is the same.
  bool direct_copy = true;
  // Told how far the conversion has come, where the caller gives one; it never changes a byte.
  Progress* progress = nullptr;
  std::uint64_t offset = 0;  // input bytes read so far
};

// Copies and checks the RIFF header and the format chunk through nBlockAlign. Returns
// Result::success when they are accepted, with sample_rate set and remaining holding the format
// chunk bytes still to be copied.
Outcome check_header(Conversion& c);

// Copies the rest of the format chunk and walks the chunks after it, up to the end of the input.
Outcome walk_chunks(Conversion& c);

// Both of the above, in order.
Outcome convert(Conversion& c);

}  // namespace vdx9
