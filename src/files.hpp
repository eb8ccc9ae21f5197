// Opening the two files of a run.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace vdx9 {

// Opens the input for reading bytes. Returns null if it cannot be opened, or if it is a
// directory, which opens but can never be read as a recording. The input is never locked:
// anyone may go on reading it.
std::FILE* open_input(const char* name);

// The size of the regular file `stream` reads, for the progress line; none for a FIFO or a
// device, whose end is not known before it comes.
std::optional<std::uint64_t> regular_file_size(std::FILE* stream);

// Whether `console` writes to the file `name` names (`vdx9 rec.wav >> rec.wav`, or through a
// hard link): a banner written there would change the recording itself. Only a regular file can
// be; `name` is looked up without being opened, so a FIFO waiting for its writer does not block.
bool console_writes_to(std::FILE* console, const char* name);

// Creates (or truncates) the output file for writing bytes, and holds it against other runs of
// vdx9 until it is closed. Returns null, having truncated nothing, if it cannot be created; if
// another run is writing it; or if `name` is the input file itself under another name (a hard or
// symbolic link), or the file the `console` writes to: truncating either would destroy what is
// in it, and in the console's case the messages would end up inside the output.
std::FILE* create_output(const std::string& name, std::FILE* input, std::FILE* console);

}  // namespace vdx9
