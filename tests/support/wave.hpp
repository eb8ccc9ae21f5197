// A small builder for WAVE inputs, so each test states the file it feeds in.
#pragma once

#include <cstdint>
#include <string>

namespace vdx9::test {

inline std::string le16(std::uint16_t v) {
  return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

inline std::string le32(std::uint32_t v) {
  return le16(static_cast<std::uint16_t>(v & 0xFFFF)) + le16(static_cast<std::uint16_t>(v >> 16));
}

// A chunk as this tool reads it: id, size, body, and no pad byte.
inline std::string chunk(const std::string& id, const std::string& body) {
  return id + le32(static_cast<std::uint32_t>(body.size())) + body;
}

struct Format {
  std::uint16_t tag = 1;
  std::uint16_t channels = 2;
  std::uint32_t rate = 44100;
  std::uint16_t block_align = 4;
  std::uint16_t bits = 16;
};

// The format chunk: its 16-byte body, with `extra` appended (size counts it).
inline std::string fmt_chunk(const Format& f, const std::string& extra = "") {
  const std::string body = le16(f.tag) + le16(f.channels) + le32(f.rate) +
                           le32(f.rate * f.block_align) + le16(f.block_align) + le16(f.bits) +
                           extra;
  return chunk("fmt ", body);
}

// "RIFF", a size, "WAVE" and then `chunks`. The size is what a correct writer would put there.
inline std::string wave(const std::string& chunks) {
  return "RIFF" + le32(static_cast<std::uint32_t>(4 + chunks.size())) + "WAVE" + chunks;
}

// A whole, ordinary file: format chunk, then `middle`, then a data chunk holding `samples`.
inline std::string wave_file(const std::string& middle, const std::string& samples = "abcdefgh",
                             const Format& f = {}) {
  return wave(fmt_chunk(f) + middle + chunk("data", samples));
}

// n bytes counting up from `seed`, so misplaced bytes show.
inline std::string pattern(std::size_t n, unsigned seed = 0) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) {
    s[i] = static_cast<char>((i * 7 + seed) & 0xFF);
  }
  return s;
}

}  // namespace vdx9::test
