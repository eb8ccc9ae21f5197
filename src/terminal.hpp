// A line of progress on the terminal that standard error shows, rewritten in place.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace vdx9 {

class Terminal {
 public:
  virtual ~Terminal() = default;
  // Shows `line` (ASCII) in place of the line shown before, cut to the terminal's width so that
  // it never wraps.
  virtual void show(const std::string& line) = 0;
  // Blanks the line shown and leaves the cursor at its start, where the next message goes.
  virtual void erase() = 0;
};

// The terminal, or console window, that `errors` shows, opened on its own so that nothing is
// written to `errors` itself; none where `errors` goes to a file, a pipe or nowhere, which never
// get a progress line.
std::unique_ptr<Terminal> terminal_of(std::FILE* errors);

}  // namespace vdx9
