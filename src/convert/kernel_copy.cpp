#include "convert/kernel_copy.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vdx9 {

#if defined(__linux__)

namespace {

bool is_regular(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

// Errors by which the kernel declines a copy it cannot do (another file system, an old kernel,
// a file type it does not handle), as opposed to a failing disk.
bool is_refusal(int err) {
  return err == EXDEV || err == EINVAL || err == ENOSYS || err == EOPNOTSUPP || err == EBADF ||
         err == ETXTBSY || err == EPERM;
}

}  // namespace

KernelCopy copy_rest_in_kernel(std::FILE* in, std::FILE* out) {
  const int in_fd = ::fileno(in);
  const int out_fd = ::fileno(out);
  // Only plain files: a device or a pseudo-file may report an end that is not the real one.
  if (in_fd < 0 || out_fd < 0 || !is_regular(in_fd) || !is_regular(out_fd)) {
    return KernelCopy::not_taken;
  }
  // The input stream may hold bytes it has read ahead; its logical position is where the copy
  // starts. The output's buffered bytes must reach the file before the kernel appends to it.
  off_t pos = ::ftello(in);
  if (pos < 0) {
    return KernelCopy::not_taken;
  }
  if (std::fflush(out) != 0) {
    return KernelCopy::write_error;
  }
  constexpr std::size_t max_step = std::size_t{1} << 30;
  for (;;) {
    const ssize_t n = ::copy_file_range(in_fd, &pos, out_fd, nullptr, max_step, 0);
    if (n > 0) {
      continue;
    }
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0 && !is_refusal(errno)) {
      // Tell which side failed by reading one byte where the copy stopped.
      unsigned char probe = 0;
      return ::pread(in_fd, &probe, 1, pos) < 0 ? KernelCopy::read_error : KernelCopy::write_error;
    }
    // At the end, or declined: the block loop goes on from here and finds out which. Reaching
    // the end costs it one read; a kernel that stopped early loses nothing.
    return ::fseeko(in, pos, SEEK_SET) == 0 ? KernelCopy::not_taken : KernelCopy::read_error;
  }
}

#else

KernelCopy copy_rest_in_kernel(std::FILE*, std::FILE*) {
  return KernelCopy::not_taken;
}

#endif

}  // namespace vdx9
