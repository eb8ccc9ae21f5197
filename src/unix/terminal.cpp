#include "terminal.hpp"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace vdx9 {

namespace {

// Rewrites the line with a carriage return and spaces only, which every terminal understands.
class TextTerminal final : public Terminal {
 public:
  explicit TextTerminal(int fd) : fd_(fd) {}
  ~TextTerminal() override { ::close(fd_); }
  TextTerminal(const TextTerminal&) = delete;
  TextTerminal& operator=(const TextTerminal&) = delete;

  void show(const std::string& line) override {
    if (!in_foreground()) {
      return;
    }
    const std::string text = line.substr(0, width() - 1);
    // Spaces over what is left of a longer line before.
    put("\r" + text + std::string(shown_ > text.size() ? shown_ - text.size() : 0, ' '));
    shown_ = text.size();
  }

  void erase() override {
    if (shown_ != 0 && in_foreground()) {
      put("\r" + std::string(shown_, ' ') + "\r");
    }
    shown_ = 0;
  }

 private:
  // A run put in the background (`vdx9 rec.wav &`, or Ctrl-Z and bg) must not draw over the
  // shell's prompt and whatever runs in the foreground.
  bool in_foreground() const { return ::tcgetpgrp(fd_) == ::getpgrp(); }

  std::size_t width() const {
    winsize size{};
    return ::ioctl(fd_, TIOCGWINSZ, &size) == 0 && size.ws_col > 1 ? size.ws_col : 80;
  }

  // A terminal that fails to take the line costs only the line: the conversion goes on.
  void put(const std::string& text) const { (void)!::write(fd_, text.data(), text.size()); }

  int fd_;
  std::size_t shown_ = 0;
};

}  // namespace

// The line is drawn on the terminal itself, through a descriptor of its own: standard error, as a
// stream, carries nothing. It is drawn only where standard error is this process's terminal, so
// that a user who sends it to a file, a pipe or another terminal gets no line at all.
std::unique_ptr<Terminal> terminal_of(std::FILE* errors) {
  const int errors_fd = ::fileno(errors);
  // tcgetpgrp() answers only for this process's controlling terminal.
  if (::isatty(errors_fd) != 1 || ::tcgetpgrp(errors_fd) == -1) {
    return nullptr;
  }
  const int fd = ::open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC);
  return fd >= 0 ? std::make_unique<TextTerminal>(fd) : nullptr;
}

}  // namespace vdx9
