// The kernel copy on Linux: copy_file_range where the offsets line up (sharing blocks where the
// file system can), else splice through a pipe. Every call here that only Linux has stays here.
#include "convert/direct_copy.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <numeric>

namespace vdx9 {

namespace {

// The pipe's size for copy_through_pipe: 1 MiB, the most an unprivileged process may ask for by
// default.
constexpr int pipe_size = 1 << 20;

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

// The kernel's own file-to-file copy, from `pos` up to `end` at most. Fastest where input and
// output offsets fall equally within a page: the pages are then copied whole, or shared outright
// by file systems that can. Each call asks for whole multiples of `block`, so a copy that starts
// on a block boundary stays on one.
DirectCopy copy_in_kernel(int in_fd, off_t& pos, int out_fd, off_t end, off_t block) {
  const off_t most = std::max(block, (off_t{1} << 30) / block * block);
  while (pos < end) {
    const auto want = static_cast<std::size_t>(std::min(end - pos, most));
    const ssize_t n = ::copy_file_range(in_fd, &pos, out_fd, nullptr, want, 0);
    if (n > 0 || (n < 0 && errno == EINTR)) {
      continue;
    }
    if (n < 0 && !is_refusal(errno)) {
      return blame(in_fd, pos);
    }
    break;
  }
  return DirectCopy::not_taken;
}

// The unit in which a file system shares blocks between files, as both files report it (ZFS
// gives its record size here); the page where they report nothing usable.
off_t sharing_block(const struct stat& in_st, const struct stat& out_st, off_t page) {
  const off_t block =
      std::lcm(static_cast<off_t>(in_st.st_blksize), static_cast<off_t>(out_st.st_blksize));
  return block > 0 && block <= (off_t{1} << 30) ? block : page;
}

// Where the first copy of the aligned case stops: on a boundary of this unit, a whole number of
// sharing blocks and of MiB. A block boundary is all that sharing needs, but on ext4 a copy that
// began a page past a MiB boundary ran about 15% slower than one that began on it (or than one
// copy from the start). The bytes before it cost a file system that shares at most a MiB of
// new space.
off_t head_unit(off_t block) {
  const off_t unit = std::lcm(block, off_t{1} << 20);
  return unit <= (off_t{1} << 30) ? unit : block;
}

// Through a pipe, where input and output offsets do not line up: splice() moves references to
// the input's pages into the pipe and copies them into the output. Each pass through the pipe
// splits a page of the output only at its ends, so a large pipe splits few.
DirectCopy copy_through_pipe(int in_fd, off_t& pos, int out_fd) {
  int pipe_fds[2];
  if (::pipe2(pipe_fds, O_CLOEXEC) != 0) {
    return DirectCopy::not_taken;
  }
  // A pipe that stays smaller costs speed only.
  const int grown = ::fcntl(pipe_fds[1], F_SETPIPE_SZ, pipe_size);
  const auto room = static_cast<std::size_t>(grown > 0 ? grown : 65536);
  DirectCopy result = DirectCopy::not_taken;
  off_t next = pos;
  for (bool more = true; more;) {
    const ssize_t got = ::splice(in_fd, &next, pipe_fds[1], nullptr, room, SPLICE_F_MOVE);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      // At the end, or declined with the pipe empty: the block loop goes on from `pos`.
      result = got < 0 && !is_refusal(errno) ? DirectCopy::read_error : DirectCopy::not_taken;
      break;
    }
    for (ssize_t left = got; left > 0;) {
      const ssize_t put = ::splice(pipe_fds[0], nullptr, out_fd, nullptr,
                                   static_cast<std::size_t>(left), SPLICE_F_MOVE);
      if (put < 0 && errno == EINTR) {
        continue;
      }
      if (put <= 0) {
        // Declined: what is still in the pipe is read again by the block loop.
        result = put < 0 && is_refusal(errno) ? DirectCopy::not_taken : DirectCopy::write_error;
        more = false;
        break;
      }
      left -= put;
      pos += put;
    }
  }
  ::close(pipe_fds[0]);
  ::close(pipe_fds[1]);
  return result;
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
  // When the offsets do not line up, the kernel's file copy splits every page of the output in
  // two and runs well behind a large pipe (measured on ext4). Each way copies as far as it
  // will, and the next goes on from there: the pipe also takes over where the file copy is
  // declined (between some file systems).
  const off_t out_pos = ::lseek(out_fd, 0, SEEK_CUR);
  const auto page = static_cast<off_t>(::sysconf(_SC_PAGESIZE));
  const bool aligned = out_pos >= 0 && (pos - out_pos) % page == 0;
  DirectCopy copied = DirectCopy::not_taken;
  if (aligned) {
    // File systems that share blocks (btrfs, XFS, ZFS, NFS) share only whole blocks that start
    // on a block boundary in both files. Where the offsets agree within a block, the bytes up to
    // the next boundary (of a head unit, a multiple of the block) are copied first, so that the
    // rest can be shared instead of copied.
    const off_t block = sharing_block(in_st, out_st, page);
    const off_t unit = head_unit(block);
    if ((pos - out_pos) % block == 0 && pos % unit != 0) {
      copied = copy_in_kernel(in_fd, pos, out_fd, pos + unit - pos % unit, block);
    }
    if (copied == DirectCopy::not_taken) {
      copied = copy_in_kernel(in_fd, pos, out_fd, std::numeric_limits<off_t>::max(), block);
    }
  }
  if (copied == DirectCopy::not_taken) {
    copied = copy_through_pipe(in_fd, pos, out_fd);
  }
  if (copied != DirectCopy::not_taken) {
    return copied;
  }
  // Whatever is left (normally nothing; more if the file grew or a copy was declined) goes
  // through the block loop from here.
  return ::fseeko(in, pos, SEEK_SET) == 0 ? DirectCopy::not_taken : DirectCopy::read_error;
}

}  // namespace vdx9
