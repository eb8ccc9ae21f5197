// A recording still being written, or cut shorter, while it is converted: the output is always
// the conversion of what the input held, a prefix of it at most, and holds no zero where the
// input held a sample. The input is changed at the copy's own system calls
// (support/system_calls.hpp), so the change lands where the test means it to. Run by
// on_file_systems.sh on btrfs, XFS, ext4 and a tmpfs (VDX9_MOUNTS="btrfs=DIR ..."), else in the
// temporary directory.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "support/process.hpp"
#include "support/streams.hpp"
#include "support/system_calls.hpp"
#include "support/wave.hpp"

namespace vdx9::test {
namespace {

std::vector<std::string> directories(const ScratchDir& fallback) {
  std::vector<std::string> dirs;
  if (const char* mounts = std::getenv("VDX9_MOUNTS")) {
    std::istringstream list(mounts);
    for (std::string mount; list >> mount;) {
      dirs.push_back(mount.substr(mount.find('=') + 1));
    }
  }
  if (dirs.empty()) {
    dirs.push_back(fallback.path());
  }
  return dirs;
}

void check(bool ok, const char* what) {
  if (!ok) {
    throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
  }
}

// Writes `bytes`, leaving every whole 64 KiB of zeros a hole.
void write_sparse(const std::string& path, const std::string& bytes) {
  constexpr std::size_t unit = 64u << 10;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  check(fd >= 0, "open");
  for (std::size_t at = 0; at < bytes.size(); at += unit) {
    const std::size_t n = std::min(unit, bytes.size() - at);
    if (bytes.find_first_not_of('\0', at) < at + n) {
      check(::pwrite(fd, bytes.data() + at, n, static_cast<off_t>(at)) == static_cast<ssize_t>(n),
            "pwrite");
    }
  }
  check(::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::close(fd) == 0, "ftruncate");
}

void append(const std::string& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
  check(fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
            ::close(fd) == 0,
        "append");
}

void cut(const std::string& path, std::size_t size) {
  check(::truncate(path.c_str(), static_cast<off_t>(size)) == 0, "truncate");
}

// The input as the block loop reads it: a stream with no descriptor, whose every read() is a
// point, as on the systems without a kernel copy.
std::FILE* open_for_the_block_loop(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  check(fd >= 0, "open");
  cookie_io_functions_t io{};
  io.read = [](void* cookie, char* buf, std::size_t size) {
    return ::read(static_cast<int>(reinterpret_cast<std::intptr_t>(cookie)), buf, size);
  };
  io.close = [](void* cookie) {
    return ::close(static_cast<int>(reinterpret_cast<std::intptr_t>(cookie)));
  };
  return ::fopencookie(reinterpret_cast<void*>(static_cast<std::intptr_t>(fd)), "rb", io);
}

struct Layout {
  const char* name;
  std::size_t receiver;  // 38 keeps the data's offsets (shared blocks, copy_file_range), 100
                         // moves them (the pipe)
  bool sparse;           // holes inside the sample data and at its end
  bool block_loop;
};

const Layout layouts[] = {
    {"data in place", 38, false, false},         {"data shifted", 100, false, false},
    {"sparse, in place", 38, true, false},       {"sparse, shifted", 100, true, false},
    {"through the block loop", 38, false, true},
};

// Over 1 MiB of samples, so that the head copy ends before the input does.
std::string recording(const Layout& l) {
  std::string samples = pattern((1u << 20) + 5000, 1);
  if (l.sparse) {
    samples.replace(64u << 10, 512u << 10, 512u << 10, '\0');
    samples.append(512u << 10, '\0');
  }
  return wave_file(chunk("rcvr", pattern(l.receiver)), samples);
}

struct FileRun {
  Outcome outcome{};
  std::string output;
};

// Converts `in_path` with `hook` at every point of the copy.
FileRun convert_file(const std::string& in_path, const Layout& l,
                     std::function<void(const SystemCall&)> hook) {
  const std::string out_path = in_path + ".out";
  std::FILE* in =
      l.block_loop ? open_for_the_block_loop(in_path) : std::fopen(in_path.c_str(), "rb");
  std::FILE* out = std::fopen(out_path.c_str(), "wb");
  check(in != nullptr && out != nullptr, "fopen");
  Conversion c(in, out);
  at_system_calls(std::move(hook));
  FileRun r{convert(c), ""};
  at_system_calls(nullptr);
  EXPECT_EQ(std::fclose(out), 0);
  std::fclose(in);
  r.output = read_file(out_path);
  return r;
}

// A recorder appends while the copy has just found the input's end: the seek that found no more
// data, or the share that took the blocks to the end.
TEST(ChangingInput, BytesAppendedAsTheCopyMeetsTheEndAreCopied) {
  if (!VDX9_KERNEL_COPY) {
    GTEST_SKIP() << "the block loop neither seeks nor shares; the property test below covers it";
  }
  const ScratchDir scratch;
  for (const std::string& dir : directories(scratch)) {
    for (const Layout& l : layouts) {
      if (l.sparse || l.block_loop) {
        continue;
      }
      SCOPED_TRACE(dir + ", " + l.name);
      const std::string path = dir + "/growing.wav";
      const std::string before = recording(l);
      const std::string more = pattern(64u << 10, 5);
      write_sparse(path, before);
      bool appended = false;
      const FileRun r = convert_file(path, l, [&](const SystemCall& call) {
        const bool at_end = (std::strcmp(call.name, "lseek") == 0 && call.error == ENXIO) ||
                            (std::strcmp(call.name, "ioctl") == 0 && call.result == 0);
        if (call.done && at_end && !appended) {
          append(path, more);
          appended = true;
        }
      });
      ASSERT_TRUE(appended) << "the copy never met the input's end";
      ASSERT_EQ(r.outcome.result, Result::success);
      EXPECT_EQ(r.output, convert_bytes(before + more).output);
    }
  }
}

struct Change {
  bool grows;
  std::size_t bytes;  // appended, or the size it is cut to
};

// The output is the conversion of a prefix of what the input held: for a recording that only
// grew, at least as long as it was; for one cut shorter, at least what is left of it.
void expect_a_conversion_of_what_it_held(const std::string& before, const Change& k,
                                         const std::string& output) {
  const std::string held = k.grows ? before + pattern(k.bytes, 3) : before;
  const std::string whole = convert_bytes(held).output;
  const std::string least = convert_bytes(k.grows ? before : before.substr(0, k.bytes)).output;
  EXPECT_GE(output.size(), least.size());
  ASSERT_LE(output.size(), whole.size());
  EXPECT_TRUE(output == whole.substr(0, output.size())) << "bytes the input did not hold";
}

TEST(ChangingInput, IsAlwaysAConversionOfWhatTheInputHeld) {
  const ScratchDir scratch;
  std::mt19937 random(20261210);
  for (const std::string& dir : directories(scratch)) {
    for (const Layout& l : layouts) {
      const std::string path = dir + "/changing.wav";
      const std::string before = recording(l);
      const std::size_t header = before.find("data") + 8;
      write_sparse(path, before);
      std::size_t points = 0;
      convert_file(path, l, [&](const SystemCall&) { ++points; });
      for (int trial = 0; trial < 24; ++trial) {
        const std::size_t at = std::uniform_int_distribution<std::size_t>(0, points - 1)(random);
        const bool grows = random() % 2 == 0;
        const Change k{grows, grows ? std::uniform_int_distribution<std::size_t>(1, 300000)(random)
                                    : std::uniform_int_distribution<std::size_t>(
                                          header, before.size() - 1)(random)};
        SCOPED_TRACE(dir + ", " + l.name + ": at point " + std::to_string(at) + " of " +
                     std::to_string(points) + (k.grows ? ", appends " : ", cuts to ") +
                     std::to_string(k.bytes));
        write_sparse(path, before);
        std::size_t seen = 0;
        const FileRun r = convert_file(path, l, [&](const SystemCall&) {
          if (seen++ == at) {
            k.grows ? append(path, pattern(k.bytes, 3)) : cut(path, k.bytes);
          }
        });
        ASSERT_EQ(r.outcome.result, Result::success);
        expect_a_conversion_of_what_it_held(before, k, r.output);
      }
    }
  }
}

}  // namespace
}  // namespace vdx9::test
