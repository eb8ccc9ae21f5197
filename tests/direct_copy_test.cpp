// Between regular files the sample data is copied inside the kernel: by its file copy where
// input and output offsets line up within a page, else through a pipe. Anything else goes
// through the block buffer. The output must not tell which.
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/streams.hpp"
#include "support/wave.hpp"

namespace vdx9::test {
namespace {

std::FILE* temp_file_with(const std::string& bytes) {
  std::FILE* f = std::tmpfile();
  if (f == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() ||
      std::fseek(f, 0, SEEK_SET) != 0) {
    throw std::runtime_error("tmpfile");
  }
  return f;
}

std::string contents(std::FILE* f) {
  std::string s;
  char block[4096];
  std::rewind(f);
  for (std::size_t n; (n = std::fread(block, 1, sizeof block, f)) != 0;) {
    s.append(block, n);
  }
  return s;
}

struct FileRun {
  Outcome outcome;
  std::string output;
};

FileRun convert_files(const std::string& input, bool direct, std::size_t block) {
  std::FILE* in = temp_file_with(input);
  std::FILE* out = std::tmpfile();
  Conversion c(in, out, block);
  c.direct_copy = direct;
  FileRun r{convert(c), ""};
  EXPECT_EQ(std::fflush(out), 0);
  r.output = contents(out);
  std::fclose(out);
  std::fclose(in);
  return r;
}

struct Layout {
  const char* name;
  std::size_t receiver;  // old body size: 38 keeps every offset (file copy), 100 moves the
                         // data by 62 (pipe)
  std::size_t samples;
};

void PrintTo(const Layout& l, std::ostream* os) {
  *os << l.name;
}

class DirectCopy : public ::testing::TestWithParam<Layout> {};

TEST_P(DirectCopy, GivesTheSameBytesAsTheBlockLoop) {
  const Layout& l = GetParam();
  const std::string input = wave_file(
      chunk("LIST", pattern(33)) + chunk("rcvr", pattern(l.receiver)), pattern(l.samples, 3));
  const Converted expected = convert_bytes(input);
  ASSERT_EQ(expected.outcome.result, Result::success);
  for (bool direct : {true, false}) {
    for (std::size_t block : {std::size_t{1000}, default_block_size}) {
      const FileRun r = convert_files(input, direct, block);
      EXPECT_EQ(r.outcome.result, Result::success) << "direct " << direct;
      EXPECT_EQ(r.output, expected.output) << "direct " << direct << ", block " << block;
    }
  }
}

// Data sizes around the stream buffers and the block buffer.
INSTANTIATE_TEST_SUITE_P(
    Layouts, DirectCopy,
    ::testing::Values(Layout{"AlignedEmpty", 38, 0}, Layout{"AlignedOneByte", 38, 1},
                      Layout{"AlignedPage", 38, 4096}, Layout{"Aligned", 38, 300000},
                      Layout{"ShiftedEmpty", 100, 0}, Layout{"ShiftedOneByte", 100, 1},
                      Layout{"ShiftedPageLessOne", 100, 4095}, Layout{"ShiftedBlock", 100, 65537},
                      Layout{"ShiftedPastOnePipeful", 100, (1u << 20) + 4099},
                      Layout{"AlignedThreeBlocks", 38, 3u << 20}),
    [](const auto& p) { return std::string(p.param.name); });

// Where /dev/shm is another file system than the temporary directory, the kernel declines its
// file copy between them and the pipe takes over.
TEST(DirectCopy, BetweenFileSystemsGivesTheSameBytes) {
  char name[] = "/dev/shm/vdx9-test-XXXXXX";
  const int fd = ::mkstemp(name);
  if (fd < 0) {
    GTEST_SKIP() << "no /dev/shm here";
  }
  ::unlink(name);
  const std::string input = wave_file(chunk("rcvr", pattern(38)), pattern(300000, 7));
  std::FILE* in = ::fdopen(fd, "w+b");
  ASSERT_NE(in, nullptr);
  ASSERT_EQ(std::fwrite(input.data(), 1, input.size(), in), input.size());
  ASSERT_EQ(std::fseek(in, 0, SEEK_SET), 0);
  std::FILE* out = std::tmpfile();
  Conversion c(in, out);
  EXPECT_EQ(convert(c).result, Result::success);
  ASSERT_EQ(std::fflush(out), 0);
  EXPECT_EQ(contents(out), convert_bytes(input).output);
  std::fclose(out);
  std::fclose(in);
}

// Where the input has been read to, as the conversion tells it.
struct Offsets final : Progress {
  void reached(std::uint64_t offset) override { seen.push_back(offset); }
  std::uint64_t piece() const override { return std::uint64_t{1} << 20; }
  std::vector<std::uint64_t> seen;
};

TEST(DirectCopy, EveryWayOfCopyingTellsItsProgressInPieces) {
  // The kernel's file copy (a 38-byte receiver), the pipe (100 bytes) and the block loop.
  for (const auto& [receiver, direct] : {std::pair{38, true}, {100, true}, {100, false}}) {
    const std::string input =
        wave_file(chunk("rcvr", pattern(static_cast<std::size_t>(receiver))), pattern(6u << 20, 1));
    std::FILE* in = temp_file_with(input);
    std::FILE* out = std::tmpfile();
    Conversion c(in, out);
    c.direct_copy = direct;
    Offsets progress;
    c.progress = &progress;
    EXPECT_EQ(convert(c).result, Result::success);
    const std::vector<std::uint64_t>& seen = progress.seen;
    ASSERT_GE(seen.size(), 6u) << receiver;
    EXPECT_EQ(seen.back(), input.size()) << receiver;
    for (std::size_t i = 1; i < seen.size(); ++i) {
      ASSERT_GE(seen[i], seen[i - 1]) << receiver;
      ASSERT_LE(seen[i] - seen[i - 1], progress.piece()) << receiver << ", report " << i;
    }
    std::fclose(out);
    std::fclose(in);
  }
}

TEST(DirectCopy, IsNotUsedForAPipeAndTheBlockLoopCopiesEverything) {
  // Small enough to sit in the pipe whole (64 KiB on Linux), so that it is written before the
  // conversion reads it, with no thread (which qemu-user cannot always start for ARM builds).
  const std::string input = wave_file(chunk("rcvr", pattern(100)), pattern(40000, 5));
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  ASSERT_EQ(::write(fds[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
  ::close(fds[1]);
  std::FILE* in = ::fdopen(fds[0], "rb");
  std::FILE* out = std::tmpfile();
  Conversion c(in, out);
  EXPECT_EQ(convert(c).result, Result::success);
  EXPECT_EQ(contents(out), convert_bytes(input).output);
  std::fclose(out);
  std::fclose(in);
}

}  // namespace
}  // namespace vdx9::test
