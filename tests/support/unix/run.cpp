// Runs the binary with posix_spawn, standard output and error captured in files. (Not fork and
// exec: under qemu-user 7.2, the child of a fork() made by a dynamically linked program hangs,
// while posix_spawn works, and these tests also run there for ARM builds.)
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <stdexcept>

#include "support/process.hpp"

extern char** environ;

namespace vdx9::test {

std::string console_text(const std::string& text) {
  return text;
}

namespace {

void check(int error, const char* what) {
  if (error != 0) {
    throw std::runtime_error(what);
  }
}

// The child's descriptors 0 to 2 and its directory, set up as it starts.
class ChildFiles {
 public:
  ChildFiles() { check(::posix_spawn_file_actions_init(&actions_), "file actions"); }
  ~ChildFiles() {
    ::posix_spawn_file_actions_destroy(&actions_);
    if (pipe_end_ >= 0) {
      ::close(pipe_end_);
    }
  }
  ChildFiles(const ChildFiles&) = delete;
  ChildFiles& operator=(const ChildFiles&) = delete;

  void open(int fd, const std::string& path, int flags) {
    check(::posix_spawn_file_actions_addopen(&actions_, fd, path.c_str(), flags, 0600), "open");
  }
  void close(int fd) { check(::posix_spawn_file_actions_addclose(&actions_, fd), "close"); }
  // `fd` becomes a pipe whose reading end is already closed.
  void broken_pipe(int fd) {
    int fds[2];
    check(::pipe(fds), "pipe");
    ::close(fds[0]);
    pipe_end_ = fds[1];
    check(::posix_spawn_file_actions_adddup2(&actions_, pipe_end_, fd), "dup2");
  }
  void chdir(const std::string& dir) {
    check(::posix_spawn_file_actions_addchdir_np(&actions_, dir.c_str()), "chdir");
  }
  const posix_spawn_file_actions_t* get() const { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_{};
  int pipe_end_ = -1;
};

// While it lives, files this process starts may not grow past `limit` bytes (no limit at 0); a
// write past it fails with EFBIG instead of killing the writer, since an ignored SIGXFSZ stays
// ignored across exec. The child inherits the limit as it starts.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(unsigned long limit) : active_(limit > 0) {
    if (active_) {
      check(::getrlimit(RLIMIT_FSIZE, &old_), "getrlimit");
      old_signal_ = std::signal(SIGXFSZ, SIG_IGN);
      const rlimit lower{limit, old_.rlim_max};
      check(::setrlimit(RLIMIT_FSIZE, &lower), "setrlimit");
    }
  }
  ~FileSizeLimit() {
    if (active_) {
      ::setrlimit(RLIMIT_FSIZE, &old_);
      std::signal(SIGXFSZ, old_signal_);
    }
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  bool active_;
  rlimit old_{};
  void (*old_signal_)(int) = SIG_DFL;
};

int redirect_flags(Redirect redirect) {
  switch (redirect) {
    case Redirect::append:
      return O_WRONLY | O_CREAT | O_APPEND;
    case Redirect::read_write:
      return O_RDWR | O_CREAT;
    case Redirect::truncate:
      break;
  }
  return O_WRONLY | O_CREAT | O_TRUNC;
}

}  // namespace

RunResult run_vdx9(const std::string& cwd, const std::vector<std::string>& args,
                   const RunOptions& options) {
  const ScratchDir capture;
  const std::string out_path =
      options.stdout_file.empty() ? capture.file("stdout") : options.stdout_file;
  const std::string err_path = capture.file("stderr");

  // A program built for another processor runs through its emulator's runner script.
  std::vector<char*> argv;
  std::string runner = VDX9_RUNNER;
  std::string program = VDX9_BINARY;
  if (!runner.empty()) {
    argv.push_back(runner.data());
  }
  argv.push_back(program.data());
  std::vector<std::string> copies(args);
  for (auto& a : copies) {
    argv.push_back(a.data());
  }
  argv.push_back(nullptr);

  ChildFiles files;
  files.open(0, "/dev/null", O_RDONLY);
  switch (options.console) {
    case Console::captured:
      files.open(1, out_path, redirect_flags(options.redirect));
      break;
    case Console::closed:
      files.close(1);
      break;
    case Console::broken_pipe:
      files.broken_pipe(1);
      break;
  }
  files.open(2, err_path, O_WRONLY | O_CREAT | O_TRUNC);
  files.chdir(cwd);

  pid_t pid = 0;
  {
    const FileSizeLimit limit(options.file_size_limit);
    check(::posix_spawn(&pid, argv[0], files.get(), nullptr, argv.data(), environ),
          "cannot start " VDX9_BINARY);
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
