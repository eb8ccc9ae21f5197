// The kernel copy on Linux: where the offsets agree within a block, the blocks are shared with
// the input (FICLONERANGE) or copied with copy_file_range; elsewhere they go through a pipe with
// splice. Holes in the input stay holes. Every call here that only Linux has stays here.
#include "convert/direct_copy.hpp"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <numeric>

#include "convert/stream_io.hpp"

namespace vdx9 {

namespace {

constexpr off_t to_the_end = std::numeric_limits<off_t>::max();

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

off_t round_up(off_t pos, off_t unit) {
  return (pos + unit - 1) / unit * unit;
}

// Where the copy stands: the next byte of the input, and where it goes in the output. Every
// way below copies at explicit offsets, so that a hole can be stepped over.
struct Copy {
  Conversion& conversion;
  int in_fd;
  int out_fd;
  off_t pos;    // the input's next byte
  off_t shift;  // the input's offset less the output's
  off_t out() const { return pos - shift; }
  // Tells the conversion's progress that the input is copied up to pos.
  void moved() const { reached(conversion, static_cast<std::uint64_t>(pos)); }
};

// A way of copying the input's bytes from c.pos up to `end` at most, advancing c.pos by what it
// copied: `done` where it reached `end` or the input's end, `not_taken` where the kernel
// declined, or a failure.
using Way = DirectCopy (*)(Copy& c, off_t end);

// The kernel's own file-to-file copy. Fastest where input and output offsets fall equally within
// a page: the pages are then copied whole. Each call asks for 1 GiB at most, and for no more
// than a progress report's piece.
DirectCopy copy_in_kernel(Copy& c, off_t end) {
  while (c.pos < end) {
    const auto most =
        static_cast<off_t>(std::min<std::uint64_t>(std::uint64_t{1} << 30, piece(c.conversion)));
    off_t out = c.out();
    const auto want = static_cast<std::size_t>(std::min(end - c.pos, most));
    const ssize_t n = ::copy_file_range(c.in_fd, &c.pos, c.out_fd, &out, want, 0);
    if (n > 0) {
      c.moved();
      continue;
    }
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n == 0) {
      return DirectCopy::done;
    }
    return is_refusal(errno) ? DirectCopy::not_taken : blame(c.in_fd, c.pos);
  }
  return DirectCopy::done;
}

// The pipe that copy_through_pipe moves the pages through, closed when it goes.
class Pipe {
 public:
  Pipe() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) == 0) {
      read_end = fds[0];
      write_end = fds[1];
      // A pipe that stays smaller costs speed only.
      const int grown = ::fcntl(write_end, F_SETPIPE_SZ, pipe_size);
      room = grown > 0 ? grown : 65536;
    }
  }
  ~Pipe() {
    if (read_end >= 0) {
      ::close(read_end);
      ::close(write_end);
    }
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;

  int read_end = -1;
  int write_end = -1;
  off_t room = 0;
};

// Moves up to a pipeful of the input, from `next` up to `end`, into the pipe, advancing `next`:
// `got` is what it moved, 0 at the input's end.
DirectCopy fill_pipe(const Copy& c, const Pipe& p, off_t& next, off_t end, ssize_t& got) {
  const auto want = static_cast<std::size_t>(std::min(end - next, p.room));
  do {
    got = ::splice(c.in_fd, &next, p.write_end, nullptr, want, SPLICE_F_MOVE);
  } while (got < 0 && errno == EINTR);
  if (got >= 0) {
    return DirectCopy::done;
  }
  // Declined with the pipe empty: the next way goes on from c.pos.
  return is_refusal(errno) ? DirectCopy::not_taken : DirectCopy::read_error;
}

// Moves the `n` bytes in the pipe into the output, advancing c.pos by each part that arrives.
DirectCopy drain_pipe(Copy& c, const Pipe& p, ssize_t n) {
  while (n > 0) {
    off_t out = c.out();
    const ssize_t put =
        ::splice(p.read_end, nullptr, c.out_fd, &out, static_cast<std::size_t>(n), SPLICE_F_MOVE);
    if (put < 0 && errno == EINTR) {
      continue;
    }
    if (put <= 0) {
      // Declined: what is still in the pipe is read again from c.pos by the next way.
      return put < 0 && is_refusal(errno) ? DirectCopy::not_taken : DirectCopy::write_error;
    }
    n -= put;
    c.pos += put;
    c.moved();
  }
  return DirectCopy::done;
}

// Through a pipe, where input and output offsets do not line up: splice() moves references to
// the input's pages into the pipe and copies them into the output. Each pass through the pipe
// splits a page of the output only at its ends, so a large pipe splits few.
DirectCopy copy_through_pipe(Copy& c, off_t end) {
  const Pipe p;
  if (p.read_end < 0) {
    return DirectCopy::not_taken;
  }
  for (off_t next = c.pos; next < end;) {
    ssize_t got = 0;
    if (const DirectCopy r = fill_pipe(c, p, next, end, got); r != DirectCopy::done || got == 0) {
      return r;
    }
    if (const DirectCopy r = drain_pipe(c, p, got); r != DirectCopy::done) {
      return r;
    }
  }
  return DirectCopy::done;
}

// Makes the output as long as what has been copied: a hole at the end of what was copied was
// stepped over, not written.
DirectCopy fill_length(const Copy& c) {
  struct stat st {};
  if (::fstat(c.out_fd, &st) != 0) {
    return DirectCopy::write_error;
  }
  return st.st_size >= c.out() || ::ftruncate(c.out_fd, c.out()) == 0 ? DirectCopy::done
                                                                      : DirectCopy::write_error;
}

// The input's size now, or -1.
off_t input_size(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 ? st.st_size : -1;
}

// A run of the input's data, [begin, end).
struct Span {
  off_t begin;
  off_t end;
};

// The next run of data at or after c.pos, clipped to `end`, as the file system reports it
// (SEEK_DATA, SEEK_HOLE); where it reports no holes, the rest is one run. Where only a hole is
// left, the run is empty and starts where that hole ends. A recording may grow or shrink
// meanwhile, and a seek that finds no data speaks only for the bytes the input held when it
// looked: the size is taken before the seek, and the hole never reaches past it (nor past the
// size after it, for a recording cut shorter). Bytes appended meanwhile are data, not a hole.
bool next_run(const Copy& c, off_t end, Span& run) {
  const off_t size = input_size(c.in_fd);
  const off_t data = size < 0 ? -1 : ::lseek(c.in_fd, c.pos, SEEK_DATA);
  if (size < 0 || (data < 0 && errno == ENXIO)) {
    const off_t now = input_size(c.in_fd);
    const off_t hole_end = std::max(c.pos, std::min({end, size, now}));
    run = Span{hole_end, hole_end};
    return size >= 0 && now >= 0;
  }
  const off_t hole = data >= 0 ? ::lseek(c.in_fd, data, SEEK_HOLE) : -1;
  run = data >= 0 && hole >= 0 ? Span{std::min(data, end), std::min(hole, end)} : Span{c.pos, end};
  return true;
}

// Copies the input from c.pos up to `end` (or its end) by `way`, one run of data at a time: a
// hole in the input is stepped over and stays a hole in the output, where only the partial
// blocks at its edges are written, as zeros.
DirectCopy copy_data(Copy& c, off_t end, Way way) {
  bool stepped_over_a_hole = false;
  while (c.pos < end) {
    Span run{};
    if (!next_run(c, end, run)) {
      return DirectCopy::read_error;
    }
    stepped_over_a_hole = stepped_over_a_hole || run.begin > c.pos;
    c.pos = run.begin;
    c.moved();
    if (run.begin == run.end) {
      break;  // a hole up to the input's end, or the end itself
    }
    if (const DirectCopy r = way(c, run.end); r != DirectCopy::done) {
      return r;
    }
    if (c.pos < run.end) {
      break;  // the input ended before the run did: it shrank
    }
  }
  return stepped_over_a_hole ? fill_length(c) : DirectCopy::done;
}

// The output keeps nothing past the input's end, and nothing before `first`, where this copy
// began. A pipe holds the input's own pages (splice, and copy_file_range between some file
// systems): where the recording is cut shorter while they are in it, the kernel zeroes their
// bytes past the new end, and those zeros reach the output. The copy goes on from the end.
DirectCopy keep_within_input(Copy& c, off_t first) {
  const off_t size = input_size(c.in_fd);
  if (size < 0) {
    return DirectCopy::read_error;
  }
  if (size >= c.pos) {
    return DirectCopy::done;
  }
  c.pos = std::max(size, first);
  return ::ftruncate(c.out_fd, c.out()) == 0 ? DirectCopy::done : DirectCopy::write_error;
}

// Shares the input's blocks from c.pos to its end with the output, where both offsets lie on a
// block boundary: no data is copied, and the output takes no new space for them. Where the file
// system cannot (ext4, tmpfs, another file system), or runs out of space or quota part way, the
// output is cut back to c.pos's place and `not_taken` lets the copy go on from there.
DirectCopy share_blocks(Copy& c) {
  file_clone_range range{};
  range.src_fd = c.in_fd;
  range.src_offset = static_cast<__u64>(c.pos);
  range.src_length = 0;  // to the input's end
  range.dest_offset = static_cast<__u64>(c.out());
  if (::ioctl(c.out_fd, FICLONERANGE, &range) == 0) {
    struct stat st {};
    if (::fstat(c.out_fd, &st) != 0) {
      return DirectCopy::write_error;
    }
    c.pos = st.st_size + c.shift;
    c.moved();
    return DirectCopy::done;
  }
  const int err = errno;
  if (::ftruncate(c.out_fd, c.out()) != 0) {
    return DirectCopy::write_error;
  }
  const bool copy_instead =
      is_refusal(err) || err == ENOTTY || err == ENOSPC || err == EDQUOT || err == EFBIG;
  return copy_instead ? DirectCopy::not_taken : blame(c.in_fd, c.pos);
}

// The unit in which a file system shares blocks between files, as both files report it (ZFS
// gives its record size here); the page where they report nothing usable.
off_t sharing_block(const struct stat& in_st, const struct stat& out_st, off_t page) {
  const off_t block =
      std::lcm(static_cast<off_t>(in_st.st_blksize), static_cast<off_t>(out_st.st_blksize));
  return block > 0 && block <= (off_t{1} << 30) ? block : page;
}

// Where the head of a copy (not a share) stops: a whole number of sharing blocks and of MiB. On
// ext4 a copy that began a page past a MiB boundary ran about 15% slower than one that began on
// it (or than one copy from the start).
off_t head_unit(off_t block) {
  const off_t unit = std::lcm(block, off_t{1} << 20);
  return unit <= (off_t{1} << 30) ? unit : block;
}

// Where input and output offsets agree within a page. File systems that share blocks (btrfs,
// XFS, ZFS, NFS) share only whole blocks at the same place within a block in both files: where
// the offsets agree within one, the bytes up to the input's next block boundary are copied and
// the rest is shared. Where sharing is declined, the copy goes on to the next head unit's
// boundary and then copies the rest from there.
DirectCopy copy_aligned(Copy& c, off_t block) {
  if (c.shift % block == 0) {
    // The head lies in the block that holds the end of the header, which is no hole.
    const off_t boundary = round_up(c.pos, block);
    if (const DirectCopy r = copy_in_kernel(c, boundary);
        r != DirectCopy::done || c.pos < boundary) {
      return r;
    }
    if (const DirectCopy r = share_blocks(c); r != DirectCopy::not_taken) {
      return r;
    }
    const off_t head_end = round_up(c.pos, head_unit(block));
    if (const DirectCopy r = copy_data(c, head_end, copy_in_kernel);
        r != DirectCopy::done || c.pos < head_end) {
      return r;
    }
  }
  return copy_data(c, to_the_end, copy_in_kernel);
}

}  // namespace

DirectCopy copy_rest_directly(Conversion& conversion) {
  std::FILE* const in = conversion.in;
  std::FILE* const out = conversion.out;
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
  const off_t pos = ::ftello(in);
  if (pos < 0) {
    return DirectCopy::not_taken;
  }
  if (std::fflush(out) != 0) {
    return DirectCopy::write_error;
  }
  const off_t out_pos = ::lseek(out_fd, 0, SEEK_CUR);
  if (out_pos < 0) {
    return DirectCopy::not_taken;
  }
  Copy c{conversion, in_fd, out_fd, pos, pos - out_pos};
  // When the offsets do not line up, the kernel's file copy splits every page of the output in
  // two and runs well behind a large pipe (measured on ext4). Each way copies as far as it
  // will, and the next goes on from there: the pipe also takes over where the file copy is
  // declined (between some file systems).
  const auto page = static_cast<off_t>(::sysconf(_SC_PAGESIZE));
  DirectCopy copied = c.shift % page == 0 ? copy_aligned(c, sharing_block(in_st, out_st, page))
                                          : DirectCopy::not_taken;
  if (copied == DirectCopy::not_taken) {
    copied = copy_data(c, to_the_end, copy_through_pipe);
  }
  if (copied == DirectCopy::read_error || copied == DirectCopy::write_error) {
    return copied;
  }
  if (const DirectCopy r = keep_within_input(c, pos); r != DirectCopy::done) {
    return r;
  }
  c.moved();
  // The block loop goes on from here: after a whole copy it meets the input's end at once; it
  // copies what a recording still being written has gained since, or what every way declined.
  if (::lseek(out_fd, c.out(), SEEK_SET) < 0) {
    return DirectCopy::write_error;
  }
  return ::fseeko(in, c.pos, SEEK_SET) == 0 ? copied : DirectCopy::read_error;
}

}  // namespace vdx9
