#include "console.hpp"

#include <io.h>
#include <windows.h>

#include "wide.hpp"

namespace vdx9 {

namespace {

// The console window itself, or nothing where the stream goes to a file or a pipe.
HANDLE console_window(std::FILE* stream) {
  const auto h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  return h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode) ? h : nullptr;
}

}  // namespace

// A console shows every name as the user typed it only when given UTF-16; a file or a pipe
// gets UTF-8. Either way the stream is in text mode, so line ends come out as CR LF.
void write_console(std::FILE* console, const std::string& text) {
  const HANDLE window = console_window(console);
  if (window != nullptr && std::fflush(console) == 0) {
    std::wstring wide;
    for (const wchar_t c : widen(text)) {
      wide += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
    }
    DWORD written = 0;
    if (WriteConsoleW(window, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) &&
        written == wide.size()) {
      return;
    }
  }
  (void)std::fwrite(text.data(), 1, text.size(), console);
}

}  // namespace vdx9
