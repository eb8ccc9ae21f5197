// The block loop (the path taken wherever the kernel copy is not) at several block sizes, on a
// recording given by its path, written to a regular temporary file each time.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "convert/convert.hpp"

namespace {

std::string recording;  // set from the command line

void BlockLoop(benchmark::State& state) {
  const auto block = static_cast<std::size_t>(state.range(0));
  std::int64_t bytes = 0;
  for (auto _ : state) {
    std::FILE* in = std::fopen(recording.c_str(), "rb");
    std::FILE* out = std::tmpfile();
    if (in == nullptr || out == nullptr) {
      state.SkipWithError("cannot open the recording or a temporary file");
      return;
    }
    vdx9::Conversion c(in, out, block);
    c.direct_copy = false;
    if (vdx9::convert(c).result != vdx9::Result::success || std::fflush(out) != 0) {
      state.SkipWithError("conversion failed");
    }
    bytes += static_cast<std::int64_t>(std::ftell(out));
    std::fclose(out);
    std::fclose(in);
  }
  state.SetBytesProcessed(bytes);
}

BENCHMARK(BlockLoop)
    ->RangeMultiplier(4)
    ->Range(4 << 10, 1 << 20)
    ->Arg(128 << 10)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (argc != 2) {
    std::fputs("usage: vdx9_bench_blocks [benchmark options] RECORDING.wav\n", stderr);
    return 2;
  }
  recording = argv[1];
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
