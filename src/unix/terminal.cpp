#include "terminal.hpp"

#include <sys/ioctl.h>
#include <unistd.h>

namespace vdx9 {

namespace {

// Rewrites the line with a carriage return and spaces only, which every terminal understands.
class TextTerminal final : public Terminal {
 public:
  explicit TextTerminal(std::FILE* stream) : stream_(stream) {}

  void show(const std::string& line) override {
    const std::string text = line.substr(0, width() - 1);
    // Spaces over what is left of a longer line before.
    put("\r" + text + std::string(shown_ > text.size() ? shown_ - text.size() : 0, ' '));
    shown_ = text.size();
  }

  void erase() override {
    put("\r" + std::string(shown_, ' ') + "\r");
    shown_ = 0;
  }

 private:
  std::size_t width() const {
    winsize size{};
    return ::ioctl(::fileno(stream_), TIOCGWINSZ, &size) == 0 && size.ws_col > 1 ? size.ws_col : 80;
  }

  // A terminal that fails to take the line costs only the line: the conversion goes on.
  void put(const std::string& text) {
    (void)std::fwrite(text.data(), 1, text.size(), stream_);
    (void)std::fflush(stream_);
    std::clearerr(stream_);
  }

  std::FILE* stream_;
  std::size_t shown_ = 0;
};

}  // namespace

std::unique_ptr<Terminal> terminal_of(std::FILE* errors) {
  if (::isatty(::fileno(errors)) != 1) {
    return nullptr;
  }
  return std::make_unique<TextTerminal>(errors);
}

}  // namespace vdx9
