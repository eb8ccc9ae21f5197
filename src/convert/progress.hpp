// What the conversion tells, as it goes, of how far into the input it has come: a long copy can
// be shown to the user while it runs. Only the caller decides what, if anything, is shown.
#pragma once

#include <cstdint>

namespace vdx9 {

class Progress {
 public:
  virtual ~Progress() = default;
  // The input's bytes before `offset` have been read, and written or dropped.
  virtual void reached(std::uint64_t offset) = 0;
  // The most bytes that one copy inside the kernel may take, so that reached() is still told
  // often enough; at least 1.
  virtual std::uint64_t piece() const = 0;
};

}  // namespace vdx9
