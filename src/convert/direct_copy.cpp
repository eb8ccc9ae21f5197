#include "convert/direct_copy.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vdx9 {

#if defined(__linux__)

namespace {

// Errors by which the kernel declines a copy it cannot do (another file system, an old kernel,
// a file type it does not handle), as opposed to a failing disk.
bool is_refusal(int err) {
  return err == EXDEV || err == EINVAL || err == ENOSYS || err == EOPNOTSUPP || err == EBADF ||
         err == ETXTBSY || err == EPERM;
}

// Tells which side a failed copy is to blame on, by reading one byte where it stopped.
DirectCopy blame(int in_fd, off_t pos) {
  unsigned char probe = 0;
  return ::pread(in_fd, &probe, 1, pos) < 0 ? DirectCopy::read_error : DirectCopy::write_error;
}

// The kernel's own file-to-file copy. Fastest where input and output offsets fall equally
// within a page: the pages are then copied whole, or shared outright by file systems that can.
DirectCopy copy_in_kernel(int in_fd, off_t& pos, int out_fd) {
  for (;;) {
    const ssize_t n = ::copy_file_range(in_fd, &pos, out_fd, nullptr, std::size_t{1} << 30, 0);
    if (n > 0 || (n < 0 && errno == EINTR)) {
      continue;
    }
    if (n < 0 && !is_refusal(errno)) {
      return blame(in_fd, pos);
    }
    return DirectCopy::not_taken;
  }
}

}  // namespace

DirectCopy copy_rest_directly(std::FILE* in, std::FILE* out) {
  const int in_fd = ::fileno(in);
  const int out_fd = ::fileno(out);
  struct stat in_st {};
  struct stat out_st {};
  // Only plain files: a device or a pseudo-file may report an end that is not the real one.
  if (in_fd < 0 || out_fd < 0 || ::fstat(in_fd, &in_st) != 0 || ::fstat(out_fd, &out_st) != 0 ||
      !S_ISREG(in_st.st_mode) || !S_ISREG(out_st.st_mode)) {
    return DirectCopy::not_taken;
  }
  // The input stream may hold bytes it has read ahead; its logical position is where the copy
  // starts. The output's buffered bytes must reach the file before anything is appended to it.
  off_t pos = ::ftello(in);
  if (pos < 0) {
    return DirectCopy::not_taken;
  }
  if (std::fflush(out) != 0) {
    return DirectCopy::write_error;
  }
  // When the offsets do not line up, the kernel's copy splits every page in two and runs well
  // behind the block loop (measured on ext4); the block loop then does it all.
  const off_t out_pos = ::lseek(out_fd, 0, SEEK_CUR);
  const auto page = static_cast<off_t>(::sysconf(_SC_PAGESIZE));
  if (out_pos < 0 || (pos - out_pos) % page != 0) {
    return DirectCopy::not_taken;
  }
  if (const DirectCopy copied = copy_in_kernel(in_fd, pos, out_fd);
      copied != DirectCopy::not_taken) {
    return copied;
  }
  // Whatever is left (normally nothing; more if the file grew or a copy was declined) goes
  // through the block loop from here.
  return ::fseeko(in, pos, SEEK_SET) == 0 ? DirectCopy::not_taken : DirectCopy::read_error;
}

#else

DirectCopy copy_rest_directly(std::FILE*, std::FILE*) {
  return DirectCopy::not_taken;
}

#endif

}  // namespace vdx9
