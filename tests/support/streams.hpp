// Running the conversion in-process on bytes: on glibc through in-memory streams, with a read
// error or a refused write placed at any byte; elsewhere through temporary files, without.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <limits>
#include <string>

#include "convert/convert.hpp"

namespace vdx9::test {

inline constexpr std::size_t never = std::numeric_limits<std::size_t>::max();

struct Faults {
  std::size_t read_error_at = never;  // reading byte at this offset fails with EIO
  std::size_t write_limit = never;    // writes beyond this many bytes are refused (disk full)
  std::size_t max_write = never;      // a write call accepts at most this many bytes (short write)
  bool unbuffered_output = false;     // every write reaches the sink at once, so a refusal shows
                                      // at the write that met it rather than at the final flush
};

// Reads `data`, failing with EIO once `fail_at` bytes have been delivered (glibc only).
std::FILE* open_memory_input(const std::string& data, std::size_t fail_at = never);

// Appends to `sink`, accepting at most `limit` bytes in all and at most `max_write` in one call;
// a write that cannot be taken whole is refused with ENOSPC (glibc only).
std::FILE* open_memory_output(std::string& sink, std::size_t limit = never,
                              std::size_t max_write = never);

struct Converted {
  Outcome outcome;
  std::string output;   // every byte the output stream passed on, the final flush included
  bool closed = false;  // the final flush and close of the output succeeded
};

using Step = std::function<Outcome(Conversion&)>;

// Converts `input` with `step` (the whole conversion by default) through the block loop, and
// returns the outcome and the bytes of the output. Faults are for glibc only.
Converted convert_bytes(const std::string& input, std::size_t block_size = default_block_size,
                        const Faults& faults = {}, const Step& step = convert);

}  // namespace vdx9::test

namespace vdx9::test {

// A whole run after both files are open, as the program does it: conversion, message, status
// and the final close of the output (glibc only).
struct MemoryRun {
  int status = -1;
  std::string console;  // what the user was told
  std::string output;   // every byte the output stream passed on
};

MemoryRun run_in_memory(const std::string& input, const Faults& faults = {},
                        std::size_t block_size = default_block_size);

}  // namespace vdx9::test
