// Definitions in the test program come before the C library's, so the conversion's calls reach
// these first; each forwards to the C library's own (RTLD_NEXT). No system header that declares
// them is included: with _FORTIFY_SOURCE, read() is an inline function there.
#include "support/system_calls.hpp"

#include <dlfcn.h>
#include <sys/types.h>

#include <cerrno>
#include <cstdarg>
#include <utility>

namespace vdx9::test {

namespace {

std::function<void(const SystemCall&)>& current_hook() {
  static std::function<void(const SystemCall&)> hook;
  return hook;
}

bool in_hook = false;

void point(const char* name, bool done, long long result, int error) {
  if (!current_hook() || in_hook) {
    return;
  }
  const int saved = errno;
  in_hook = true;
  current_hook()(SystemCall{name, done, result, error});
  in_hook = false;
  errno = saved;
}

template <typename F>
F real(const char* name) {
  return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

template <typename Call>
auto interposed(const char* name, Call call) {
  point(name, false, 0, 0);
  const auto result = call();
  point(name, true, static_cast<long long>(result), result < 0 ? errno : 0);
  return result;
}

}  // namespace

void at_system_calls(std::function<void(const SystemCall&)> hook) {
  current_hook() = std::move(hook);
}

}  // namespace vdx9::test

using vdx9::test::interposed;
using vdx9::test::real;

// With 64-bit file offsets, lseek() is lseek64() on every Linux target.
extern "C" off64_t lseek64(int fd, off64_t offset, int whence) {
  static const auto next = real<off64_t (*)(int, off64_t, int)>("lseek64");
  return interposed("lseek", [&] { return next(fd, offset, whence); });
}

extern "C" ssize_t copy_file_range(int in, off64_t* in_off, int out, off64_t* out_off,
                                   size_t length, unsigned int flags) {
  static const auto next =
      real<ssize_t (*)(int, off64_t*, int, off64_t*, size_t, unsigned int)>("copy_file_range");
  return interposed("copy_file_range",
                    [&] { return next(in, in_off, out, out_off, length, flags); });
}

extern "C" ssize_t splice(int in, off64_t* in_off, int out, off64_t* out_off, size_t length,
                          unsigned int flags) {
  static const auto next =
      real<ssize_t (*)(int, off64_t*, int, off64_t*, size_t, unsigned int)>("splice");
  return interposed("splice", [&] { return next(in, in_off, out, out_off, length, flags); });
}

extern "C" int ioctl(int fd, unsigned long request, ...) {
  static const auto next = real<int (*)(int, unsigned long, void*)>("ioctl");
  va_list args;
  va_start(args, request);
  void* const arg = va_arg(args, void*);
  va_end(args);
  return interposed("ioctl", [&] { return next(fd, request, arg); });
}

extern "C" ssize_t read(int fd, void* buffer, size_t size) {
  static const auto next = real<ssize_t (*)(int, void*, size_t)>("read");
  return interposed("read", [&] { return next(fd, buffer, size); });
}
