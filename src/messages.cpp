#include "messages.hpp"

#include "console.hpp"

namespace vdx9 {

// Some messages end without a line end; scripts and users have always seen them so.
// A failed console write is not checked here: the stream's error flag keeps it, and the run's
// end checks it once (see finish() in cli.cpp).

void print_usage(std::FILE* console) {
  write_console(console, "Give a single filename as argument to this program. (ex sim.wav)");
}

void print_banner(std::FILE* console, const char* input_name, const std::string& out_name) {
  write_console(console,
                "\n Convert " + std::string(input_name) + " to VDX9 format (" + out_name + ")\n\n");
}

void print_input_not_opened(std::FILE* console, const char* input_name) {
  write_console(console, "Could not open " + std::string(input_name));
}

void print_output_not_created(std::FILE* console, const std::string& out_name) {
  write_console(console, "Could not open " + out_name + "\n");
}

void print_write_failure(std::FILE* console) {
  write_console(console, "\nERROR: Failed to write output file.\n");
}

void print_console_is_input(std::FILE* errors, const char* input_name) {
  write_console(errors, "vdx9: standard output is the input file " + std::string(input_name) +
                            "; refusing to write into the recording\n");
}

int report(std::FILE* console, const Outcome& outcome) {
  switch (outcome.result) {
    case Result::success:
      return exit_success;
    case Result::header_error:
      // Code 5 is only ever given for the format tag, and the user is told which field it was.
      write_console(console, std::string(outcome.stage == 5 ? "Unknown wFormatTag." : "") +
                                 "Error in .wav file header [" + std::to_string(outcome.stage) +
                                 "]");
      return exit_failure;
    case Result::read_failure:
      write_console(console, "\nERROR: Failed to read input file.\n");
      return exit_failure;
    case Result::write_failure:
      print_write_failure(console);
      return exit_failure;
  }
  return exit_failure;
}

}  // namespace vdx9
