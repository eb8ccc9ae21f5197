#include "console.hpp"

namespace vdx9 {

// A terminal here takes UTF-8 bytes as they are, and file names are bytes already.
void write_console(std::FILE* console, const std::string& text) {
  (void)std::fwrite(text.data(), 1, text.size(), console);
}

}  // namespace vdx9
