#include "messages.hpp"

namespace vdx9 {

// Some messages end without a line end; scripts and users have always seen them so.
// A failed console write is not checked here: the stream's error flag keeps it, and the run's
// end checks it once (see finish() in cli.cpp).

void print_usage(std::FILE* console) {
  (void)std::fputs("Give a single filename as argument to this program. (ex sim.wav)", console);
}

void print_banner(std::FILE* console, const char* input_name, const std::string& out_name) {
  (void)std::fprintf(console, "\n Convert %s to VDX9 format (%s)\n\n", input_name,
                     out_name.c_str());
}

void print_input_not_opened(std::FILE* console, const char* input_name) {
  (void)std::fprintf(console, "Could not open %s", input_name);
}

void print_output_not_created(std::FILE* console, const std::string& out_name) {
  (void)std::fprintf(console, "Could not open %s\n", out_name.c_str());
}

void print_write_failure(std::FILE* console) {
  (void)std::fputs("\nERROR: Failed to write output file.\n", console);
}

int report(std::FILE* console, const Outcome& outcome) {
  switch (outcome.result) {
    case Result::success:
      return exit_success;
    case Result::header_error:
      // Code 5 is only ever given for the format tag, and the user is told which field it was.
      if (outcome.stage == 5) {
        (void)std::fputs("Unknown wFormatTag.", console);
      }
      (void)std::fprintf(console, "Error in .wav file header [%d]", outcome.stage);
      return exit_failure;
    case Result::read_failure:
      (void)std::fputs("\nERROR: Failed to read input file.\n", console);
      return exit_failure;
    case Result::write_failure:
      print_write_failure(console);
      return exit_failure;
  }
  return exit_failure;
}

}  // namespace vdx9
