// Writes the fuzzer's seed corpus: valid files of each accepted format, with and without
// receiver chunks, and a few of the shapes the chunk walk treats specially.
#include <cstdio>
#include <string>
#include <vector>

#include "support/wave.hpp"

using namespace vdx9::test;

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fputs("usage: vdx9_fuzz_seeds DIRECTORY\n", stderr);
    return 2;
  }
  const std::vector<Format> formats = {
      {1, 1, 8000, 1, 8},   {1, 2, 8000, 2, 8},   {1, 1, 22050, 2, 16}, {1, 2, 44100, 4, 16},
      {1, 1, 48000, 3, 24}, {1, 2, 96000, 6, 24}, {3, 1, 44100, 4, 32}, {3, 2, 48000, 8, 32}};
  const std::vector<std::string> middles = {
      "",
      chunk("rcvr", pattern(38)),
      chunk("rcvr", pattern(100)),
      chunk("rcvr", ""),
      chunk("LIST", "INFOISFT" + le32(4) + "abc") + chunk("rcvr", pattern(105)),
      chunk("rcvr", pattern(38)) + chunk("odd ", "abc") + chunk("rcvr", pattern(7)),
  };
  int n = 0;
  for (const Format& f : formats) {
    for (const std::string& middle : middles) {
      const std::string file = wave_file(middle, pattern(f.block_align * 6u), f);
      const std::string name = std::string(argv[1]) + "/seed-" + std::to_string(n++) + ".wav";
      std::FILE* out = std::fopen(name.c_str(), "wb");
      if (out == nullptr || std::fwrite(file.data(), 1, file.size(), out) != file.size() ||
          std::fclose(out) != 0) {
        std::perror(name.c_str());
        return 1;
      }
    }
  }
  return 0;
}
