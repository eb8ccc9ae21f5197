#include "terminal.hpp"

#include <io.h>
#include <windows.h>

#include "wide.hpp"

namespace vdx9 {

namespace {

// Writes and blanks the line through the console's own calls, on the row the cursor is on.
class ConsoleTerminal final : public Terminal {
 public:
  explicit ConsoleTerminal(HANDLE console) : console_(console) {}
  ~ConsoleTerminal() override { CloseHandle(console_); }
  ConsoleTerminal(const ConsoleTerminal&) = delete;
  ConsoleTerminal& operator=(const ConsoleTerminal&) = delete;

  void show(const std::string& line) override {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(console_, &info) || info.dwSize.X < 2) {
      return;
    }
    const std::wstring text = widen(line.substr(0, static_cast<std::size_t>(info.dwSize.X - 1)));
    const SHORT row = info.dwCursorPosition.Y;
    DWORD written = 0;
    SetConsoleCursorPosition(console_, COORD{0, row});
    WriteConsoleW(console_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    if (shown_ > text.size()) {
      blank(COORD{static_cast<SHORT>(text.size()), row}, shown_ - text.size());
    }
    shown_ = text.size();
  }

  void erase() override {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (shown_ == 0 || !GetConsoleScreenBufferInfo(console_, &info)) {
      return;
    }
    const COORD start{0, info.dwCursorPosition.Y};
    blank(start, shown_);
    SetConsoleCursorPosition(console_, start);
    shown_ = 0;
  }

 private:
  void blank(COORD from, std::size_t n) {
    DWORD filled = 0;
    FillConsoleOutputCharacterW(console_, L' ', static_cast<DWORD>(n), from, &filled);
  }

  HANDLE console_;
  std::size_t shown_ = 0;
};

}  // namespace

// The line goes to the console window itself (CONOUT$), not through standard error's handle,
// and only where standard error is that console: a file or a pipe has no console mode, and
// nothing is written to it.
std::unique_ptr<Terminal> terminal_of(std::FILE* errors) {
  const auto h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(errors)));
  DWORD mode = 0;
  if (h == INVALID_HANDLE_VALUE || !GetConsoleMode(h, &mode)) {
    return nullptr;
  }
  const HANDLE console =
      CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (console == INVALID_HANDLE_VALUE) {
    return nullptr;
  }
  return std::make_unique<ConsoleTerminal>(console);
}

}  // namespace vdx9
