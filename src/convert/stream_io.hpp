// Reads and writes of the conversion: whole fields, and bodies moved through the block buffer.
#pragma once

#include <cstddef>
#include <optional>

#include "convert/convert.hpp"

namespace vdx9 {

// A reason to stop the walk; empty while it may go on.
using Stop = std::optional<Outcome>;

// Stops with a header error that reports `code`.
Stop reject(Conversion& c, int code);

// The input has been read up to `offset`: c.offset follows it, and c.progress is told.
void reached(Conversion& c, std::uint64_t offset);

// The most bytes one copy inside the kernel may take: without a progress report, any number.
std::uint64_t piece(const Conversion& c);

// Reads one whole field of n bytes. When the input ends first, the walk stops with a header
// error reporting `code`; a read error stops it as a read failure. Nothing is written.
Stop read_field(Conversion& c, unsigned char* field, std::size_t n, int code);

// Writes n bytes, all of them or a write failure.
Stop write_field(Conversion& c, const unsigned char* bytes, std::size_t n);

// Copies c.remaining bytes of a chunk body, counting c.remaining down as they go. When the input
// ends first, the bytes it did deliver are in the output and the walk stops reporting `code`.
Stop copy_body(Conversion& c, int code);

// Reads c.remaining bytes and drops them; when the input ends first, stops reporting `code`.
Stop skip_body(Conversion& c, int code);

// Copies everything left in the input. Reaching its end is success.
Outcome copy_to_end(Conversion& c);

}  // namespace vdx9
