// Opening the two files of a run.
#pragma once

#include <cstdio>
#include <string>

namespace vdx9 {

// Opens the input for reading bytes. Returns null if it cannot be opened, or if it is a
// directory, which opens but can never be read as a recording.
std::FILE* open_input(const char* name);

// Creates (or truncates) the output file for writing bytes. Returns null if it cannot be
// created, or if `name` is the input file itself under another name (a hard or symbolic link):
// truncating it would destroy the recording being converted.
std::FILE* create_output(const std::string& name, std::FILE* input);

}  // namespace vdx9
