#include "files.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vdx9 {

// Recordings pass 2 GiB in an hour: with a 32-bit off_t (32-bit Linux, unless the build asks for
// 64-bit offsets) they could not even be opened.
static_assert(sizeof(off_t) >= 8, "build with 64-bit file offsets (_FILE_OFFSET_BITS=64)");

namespace {

bool same_file(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether `stream` is open on the file described by `st`; a stream that cannot be examined is
// taken to be, since writing over it could destroy it.
bool is_open_on(std::FILE* stream, const struct stat& st) {
  struct stat other {};
  return ::fstat(::fileno(stream), &other) != 0 || same_file(st, other);
}

// Takes the lock that another vdx9 writing the same file holds, without waiting: two runs that
// write one output at once (overlapping cron jobs, a name listed twice) would each truncate and
// write over the other. Only a lock that is held elsewhere stops the run; where the file system
// keeps no locks, the run goes on without one. The lock goes with the descriptor's last close.
bool locked_by_another_run(int fd) {
  int r = 0;
  do {
    r = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (r != 0 && errno == EINTR);
  return r != 0 && errno == EWOULDBLOCK;
}

}  // namespace

std::optional<std::uint64_t> regular_file_size(std::FILE* stream) {
  struct stat st {};
  if (::fstat(::fileno(stream), &st) != 0 || !S_ISREG(st.st_mode)) {
    return std::nullopt;
  }
  return static_cast<std::uint64_t>(st.st_size);
}

std::FILE* open_input(const char* name) {
  std::FILE* in = std::fopen(name, "rb");
  struct stat st {};
  if (in != nullptr && (::fstat(::fileno(in), &st) != 0 || S_ISDIR(st.st_mode))) {
    (void)std::fclose(in);
    return nullptr;
  }
  return in;
}

bool console_writes_to(std::FILE* console, const char* name) {
  struct stat console_st {};
  struct stat named {};
  return ::fstat(::fileno(console), &console_st) == 0 && S_ISREG(console_st.st_mode) &&
         ::stat(name, &named) == 0 && same_file(console_st, named);
}

std::FILE* create_output(const std::string& name, std::FILE* input, std::FILE* console) {
  // Opened without truncation first, so the file can be checked before any of its bytes are
  // lost; checking the open descriptors leaves no window for a swap.
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    return nullptr;
  }
  struct stat st {};
  const bool stat_failed = ::fstat(fd, &st) != 0;
  const bool regular = !stat_failed && S_ISREG(st.st_mode);
  // Devices such as /dev/null are neither locked nor truncated: they keep nothing to lose, and
  // may be shared by any number of writers. The console is compared only where it is a file.
  const bool refused = stat_failed || is_open_on(input, st) ||
                       (regular && (is_open_on(console, st) || locked_by_another_run(fd)));
  // A new, empty file is not truncated: on some file systems (ext4) a truncation makes the final
  // close start writing the whole file back at once, which would cost the run a disk write.
  if (refused || (regular && st.st_size != 0 && ::ftruncate(fd, 0) != 0)) {
    ::close(fd);
    return nullptr;
  }
  std::FILE* out = ::fdopen(fd, "wb");
  if (out == nullptr) {
    ::close(fd);
  }
  return out;
}

}  // namespace vdx9
