// The system calls by which the conversion reads its input on Linux, interposed in a test
// program that links support/system_calls.cpp: just before each call and just after it is a
// point at which a test may change the input, so that the change lands exactly where the test
// means it to, never by chance.
#pragma once

#include <functional>

namespace vdx9::test {

struct SystemCall {
  const char* name;  // "lseek", "copy_file_range", "splice", "ioctl" or "read"
  bool done;         // just after the call, with its result; else just before it
  long long result;  // the call's result, once done
  int error;         // errno after a failed call, else 0
};

// Calls `hook` at every point until it is replaced; an empty one ends it. The system calls of the
// hook itself are no points.
void at_system_calls(std::function<void(const SystemCall&)> hook);

}  // namespace vdx9::test
