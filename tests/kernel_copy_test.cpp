// The sample data may be copied inside the kernel (regular files) or through the block buffer
// (anything else, or with the kernel copy turned off). The output must not tell which.
#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>

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

FileRun convert_files(const std::string& input, bool kernel_copy, std::size_t block) {
  std::FILE* in = temp_file_with(input);
  std::FILE* out = std::tmpfile();
  Conversion c(in, out, block);
  c.kernel_copy = kernel_copy;
  FileRun r{convert(c), ""};
  EXPECT_EQ(std::fflush(out), 0);
  r.output = contents(out);
  std::fclose(out);
  std::fclose(in);
  return r;
}

class KernelCopy : public ::testing::TestWithParam<std::size_t> {};

TEST_P(KernelCopy, GivesTheSameBytesAsTheBlockLoop) {
  const std::size_t samples = GetParam();
  const std::string input =
      wave_file(chunk("LIST", pattern(33)) + chunk("rcvr", pattern(100)), pattern(samples, 3));
  const Converted expected = convert_bytes(input);
  ASSERT_EQ(expected.outcome.result, Result::success);
  for (bool kernel : {true, false}) {
    for (std::size_t block : {std::size_t{1000}, default_block_size}) {
      const FileRun r = convert_files(input, kernel, block);
      EXPECT_EQ(r.outcome.result, Result::success) << "kernel copy " << kernel;
      EXPECT_EQ(r.output, expected.output) << "kernel copy " << kernel << ", block " << block;
    }
  }
}

// Sizes around the stream buffers and the block buffer.
INSTANTIATE_TEST_SUITE_P(DataSizes, KernelCopy, ::testing::Values(0, 1, 4095, 4096, 65537, 300000));

TEST(KernelCopy, IsNotUsedForAPipeAndTheBlockLoopCopiesEverything) {
  const std::string input = wave_file(chunk("rcvr", pattern(100)), pattern(200000, 5));
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  std::thread writer([&] {
    std::FILE* w = ::fdopen(fds[1], "wb");
    std::fwrite(input.data(), 1, input.size(), w);
    std::fclose(w);
  });
  std::FILE* in = ::fdopen(fds[0], "rb");
  std::FILE* out = std::tmpfile();
  Conversion c(in, out);
  const Outcome o = convert(c);
  writer.join();
  EXPECT_EQ(o.result, Result::success);
  EXPECT_EQ(contents(out), convert_bytes(input).output);
  std::fclose(out);
  std::fclose(in);
}

}  // namespace
}  // namespace vdx9::test
