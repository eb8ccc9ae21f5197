// Text for the user, written the way this platform's console shows it.
#pragma once

#include <cstdio>
#include <string>

namespace vdx9 {

// Writes `text` (UTF-8, "\n" for a line end) to `console`. A failure is left in the stream's
// error flag, which the run's end checks once.
void write_console(std::FILE* console, const std::string& text);

}  // namespace vdx9
