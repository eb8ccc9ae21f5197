// Runs the binary with fork and exec, standard output and error captured in files.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <stdexcept>

#include "support/process.hpp"

namespace vdx9::test {

std::string console_text(const std::string& text) {
  return text;
}

namespace {

// Makes descriptor 1 what `options` asks for; false if it cannot.
bool set_up_standard_output(const RunOptions& options, const std::string& captured) {
  switch (options.console) {
    case Console::closed:
      return ::close(1) == 0;
    case Console::broken_pipe: {
      int fds[2];
      return ::pipe(fds) == 0 && ::close(fds[0]) == 0 && ::dup2(fds[1], 1) == 1;
    }
    case Console::captured:
      break;
  }
  const int out = ::open(captured.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  return out >= 0 && ::dup2(out, 1) == 1;
}

}  // namespace

RunResult run_vdx9(const std::string& cwd, const std::vector<std::string>& args,
                   const RunOptions& options) {
  const ScratchDir capture;
  const std::string out_path =
      options.stdout_file.empty() ? capture.file("stdout") : options.stdout_file;
  const std::string err_path = capture.file("stderr");

  std::vector<char*> argv;
  std::string program = VDX9_BINARY;
  argv.push_back(program.data());
  std::vector<std::string> copies(args);
  for (auto& a : copies) {
    argv.push_back(a.data());
  }
  argv.push_back(nullptr);

  const pid_t pid = ::fork();
  if (pid < 0) {
    throw std::runtime_error("fork failed");
  }
  if (pid == 0) {
    const int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int in = ::open("/dev/null", O_RDONLY);
    if (err < 0 || in < 0 || ::dup2(in, 0) < 0 || ::dup2(err, 2) < 0 ||
        !set_up_standard_output(options, out_path) || ::chdir(cwd.c_str()) != 0) {
      ::_exit(127);
    }
    if (const unsigned long file_size_limit = options.file_size_limit; file_size_limit > 0) {
      // Ignored signals stay ignored across exec: writes past the limit fail instead of killing.
      const rlimit limit{file_size_limit, file_size_limit};
      if (std::signal(SIGXFSZ, SIG_IGN) == SIG_ERR || ::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
        ::_exit(127);
      }
    }
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int wstatus = 0;
  if (::waitpid(pid, &wstatus, 0) != pid) {
    throw std::runtime_error("waitpid failed");
  }
  RunResult r;
  r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  r.out = options.console == Console::captured ? read_file(out_path) : "";
  r.err = read_file(err_path);
  return r;
}

}  // namespace vdx9::test
