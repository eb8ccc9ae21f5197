#include "cli.hpp"

#include <memory>

#include "convert/convert.hpp"
#include "files.hpp"
#include "messages.hpp"
#include "progress_line.hpp"

namespace vdx9 {

namespace {

struct CloseFile {
  // Only the input is closed this way; nothing written to it can be lost.
  void operator()(std::FILE* f) const { (void)std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, CloseFile>;

// Every run ends here: a console that could not take the messages is a failure too.
int finish(std::FILE* console, int status) {
  if (std::fflush(console) != 0 || std::ferror(console) != 0) {
    return exit_failure;
  }
  return status;
}

}  // namespace

std::string output_name(const char* argument) {
  return std::string("vdx9-") + argument;
}

int run(int argc, const char* const argv[], std::FILE* console, std::FILE* errors) {
  if (argc != 2) {
    print_usage(console);
    return finish(console, exit_success);
  }
  const char* const input_name = argv[1];
  if (console_writes_to(console, input_name)) {
    print_console_is_input(errors, input_name);
    return finish(errors, exit_failure);
  }
  const std::unique_ptr<Terminal> terminal = terminal_of(errors);
  const std::string out_name = output_name(input_name);
  print_banner(console, input_name, out_name);
  // Out before any file is opened, so that a log of the run holds it even if the run is killed;
  // a failure stays in the stream's error flag for finish().
  (void)std::fflush(console);

  const File in(open_input(input_name));
  if (!in) {
    print_input_not_opened(console, input_name);
    return finish(console, exit_failure);
  }
  std::FILE* const out = create_output(out_name, in.get(), console);
  if (out == nullptr) {
    print_output_not_created(console, out_name);
    return finish(console, exit_failure);
  }
  return finish(console, convert_and_report(in.get(), out, console, terminal.get()));
}

int convert_and_report(std::FILE* in, std::FILE* out, std::FILE* console, Terminal* terminal,
                       std::size_t block_size) {
  Conversion conversion(in, out, block_size);
  std::optional<ProgressLine> line;
  if (terminal != nullptr) {
    line.emplace(*terminal, regular_file_size(in));
    conversion.progress = &*line;
  }
  const Outcome outcome = convert(conversion);
  if (line) {
    line->finish();
  }
  int status = report(console, outcome);
  // Most writes only reach the file here, when the buffer is flushed: a full disk shows now.
  if (std::fclose(out) != 0 && outcome.result != Result::write_failure) {
    print_write_failure(console);
    status = exit_failure;
  }
  return status;
}

}  // namespace vdx9
