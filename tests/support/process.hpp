// Runs the built vdx9 binary the way a user does, in a scratch directory of its own.
#pragma once

#include <string>
#include <vector>

namespace vdx9::test {

// A new directory under the system's temporary directory, removed with everything in it.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct RunResult {
  int status = -1;  // exit status, or -1 if the process did not exit normally
  std::string out;  // standard output
  std::string err;  // standard error
};

// Where a run's standard output goes, besides a file that the test reads back.
enum class Console {
  captured,     // a file, read back into RunResult::out
  closed,       // no descriptor at all (POSIX only)
  broken_pipe,  // a pipe whose reading end is already closed (POSIX only)
};

// How standard output's file is opened, as the shell's `>`, `>>` and `1<>` open it.
enum class Redirect { truncate, append, read_write };

struct RunOptions {
  // Above 0, every write past that many bytes of a file fails (EFBIG), as a full disk would
  // (POSIX only).
  unsigned long file_size_limit = 0;
  // Not empty: standard output goes to this file, opened as `redirect` says, and is read back
  // from it.
  std::string stdout_file;
  Console console = Console::captured;
  Redirect redirect = Redirect::truncate;
};

// Runs the binary with exactly `args` as its arguments (argv[1] on), in directory `cwd`. Names
// are UTF-8 on Windows.
RunResult run_vdx9(const std::string& cwd, const std::vector<std::string>& args,
                   const RunOptions& options = {});

// The built program, as this platform names it (without the emulator that may run it).
std::string program_path();

// `text` as it reaches a file from the program's standard output: with CR LF line ends on
// Windows, where standard output is in text mode, and unchanged elsewhere.
std::string console_text(const std::string& text);

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
bool file_exists(const std::string& path);

}  // namespace vdx9::test
