// The command line: one input file name in, a converted copy named "vdx9-" + that name out.
#pragma once

#include <cstdio>
#include <string>

#include "convert/convert.hpp"
#include "terminal.hpp"

namespace vdx9 {

// The output file's name: the prefix in front of the whole argument, directories included, so
// "dir/x.wav" gives "vdx9-dir/x.wav". There is no length limit beyond the file system's own.
std::string output_name(const char* argument);

// Runs the program on its arguments (file names in the system's own bytes on POSIX, UTF-8 on
// Windows), printing to `console`, or to `errors` where the console is the input itself;
// returns the exit status. A progress line is drawn on the terminal `errors` shows, if it is one.
int run(int argc, const char* const argv[], std::FILE* console, std::FILE* errors);

// Converts `in` into `out`, tells the user on `console` how it ended, and closes `out`, whose
// final flush is checked too. Returns the exit status. `in` stays open. Where a `terminal` is
// given, a long conversion shows its progress there, erased before the last message.
int convert_and_report(std::FILE* in, std::FILE* out, std::FILE* console,
                       Terminal* terminal = nullptr, std::size_t block_size = default_block_size);

}  // namespace vdx9
