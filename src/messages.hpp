// Everything the user is told, and the exit status that goes with it. All text goes to the
// console stream given (standard output in the program), except the one refusal that must not
// reach it because standard output is the recording itself.
#pragma once

#include <cstdio>
#include <string>

#include "convert/convert.hpp"

namespace vdx9 {

inline constexpr int exit_success = 0;
inline constexpr int exit_failure = 1;

void print_usage(std::FILE* console);
void print_banner(std::FILE* console, const char* input_name, const std::string& out_name);
void print_input_not_opened(std::FILE* console, const char* input_name);
void print_output_not_created(std::FILE* console, const std::string& out_name);
void print_write_failure(std::FILE* console);
void print_console_is_input(std::FILE* errors, const char* input_name);

// Tells the user how a conversion ended and returns the exit status for it.
int report(std::FILE* console, const Outcome& outcome);

}  // namespace vdx9
