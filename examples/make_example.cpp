// Writes the bundled example recording: half a second of a 1 kHz tone, 16-bit stereo at 8 kHz,
// with an INFO list and a receiver chunk from another program, as a receiver would store it.
// Integer samples only, so the file is the same byte for byte on every host.
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

void put_u16(std::string& s, std::uint16_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8);
}

void put_u32(std::string& s, std::uint32_t v) {
  put_u16(s, static_cast<std::uint16_t>(v & 0xFFFF));
  put_u16(s, static_cast<std::uint16_t>(v >> 16));
}

void put_chunk(std::string& s, const char* id, const std::string& body) {
  s.append(id, 4);
  put_u32(s, static_cast<std::uint32_t>(body.size()));
  s += body;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fputs("usage: vdx9_make_example OUTPUT.wav\n", stderr);
    return 2;
  }
  constexpr std::uint32_t rate = 8000;
  constexpr std::uint16_t channels = 2;
  constexpr std::uint16_t block_align = channels * 2;
  // One period of a 1 kHz sine at 8 kHz, amplitude 10000.
  constexpr std::int16_t period[8] = {0, 7071, 10000, 7071, 0, -7071, -10000, -7071};

  std::string fmt;
  put_u16(fmt, 1);  // integer samples
  put_u16(fmt, channels);
  put_u32(fmt, rate);
  put_u32(fmt, rate * block_align);
  put_u16(fmt, block_align);
  put_u16(fmt, 16);

  std::string info = "INFOINAM";
  put_u32(info, 14);
  info += std::string("vdx9 example\0\0", 14);

  std::string receiver = "example receiver settings, 38 bytes.  ";
  std::string samples;
  for (std::uint32_t i = 0; i < rate / 2; ++i) {
    const auto v = static_cast<std::uint16_t>(period[i % 8]);
    put_u16(samples, v);  // left
    put_u16(samples, v);  // right
  }

  std::string body = "WAVE";
  put_chunk(body, "fmt ", fmt);
  put_chunk(body, "LIST", info);
  put_chunk(body, "rcvr", receiver);
  put_chunk(body, "data", samples);
  std::string file = "RIFF";
  put_u32(file, static_cast<std::uint32_t>(body.size()));
  file += body;

  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr || std::fwrite(file.data(), 1, file.size(), out) != file.size() ||
      std::fclose(out) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
