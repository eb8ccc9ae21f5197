// The RIFF header and the format chunk through nBlockAlign. Each field is written only after its
// own check has passed, so after a failure the output ends just before the failing field.
#include "convert/byte_order.hpp"
#include "convert/chunk_id.hpp"
#include "convert/convert.hpp"
#include "convert/stream_io.hpp"

namespace vdx9 {

namespace {

constexpr int format_pcm = 1;
constexpr int format_float = 3;

// The fields of the format chunk that the header check reads itself; the rest of its body
// (wBitsPerSample and any extension) is copied by the chunk walk.
constexpr std::uint32_t checked_format_bytes = 14;

// The stage code that refuses a sample width for a format tag, or 0 if the pair is accepted.
// Integer samples of 1 to 3 bytes and 4-byte floating-point samples are accepted.
int refuse_sample_format(int bytes_per_sample, int format_tag) {
  switch (bytes_per_sample) {
    case 1:
      return format_tag == format_pcm ? 0 : 10;
    case 2:
      return format_tag == format_pcm ? 0 : 11;
    case 3:
      return format_tag == format_pcm ? 0 : 12;
    case 4:
      return format_tag == format_float ? 0 : 13;
    default:
      return 9;
  }
}

// What the steps below learn from the format chunk for the steps after them.
struct Format {
  std::uint32_t size = 0;
  int tag = 0;
  int channels = 0;
};

// Reads a field of `n` bytes (a short read reports `code`), and writes it once `accepted` says
// 0; else stops with the code it gives.
template <typename Check>
Stop checked_field(Conversion& c, unsigned char* f, std::size_t n, int code, Check accepted) {
  if (auto s = read_field(c, f, n, code))
    return s;
  if (const int refused = accepted(f); refused != 0)
    return reject(c, refused);
  return write_field(c, f, n);
}

// "RIFF": an empty file reports 0, anything else 1.
Stop riff_id(Conversion& c) {
  unsigned char f[4];
  c.stage = 0;
  if (auto s = read_field(c, f, 4, 0))
    return s;
  c.stage = 1;
  return is_id(f, "RIFF") ? write_field(c, f, 4) : reject(c, 1);
}

// The RIFF size, copied as it stands even when a receiver chunk changes the file's length, and
// the form type "WAVE".
Stop riff_size_and_form(Conversion& c) {
  unsigned char f[4];
  if (auto s = checked_field(c, f, 4, 2, [](const unsigned char*) { return 0; }))
    return s;
  return checked_field(c, f, 4, 2,
                       [](const unsigned char* id) { return is_id(id, "WAVE") ? 0 : 2; });
}

Stop format_id(Conversion& c) {
  unsigned char f[4];
  return checked_field(c, f, 4, 3,
                       [](const unsigned char* id) { return is_id(id, "fmt ") ? 0 : 3; });
}

Stop format_size(Conversion& c, Format& format) {
  unsigned char f[4];
  c.stage = 4;
  if (auto s = read_field(c, f, 4, 4))
    return s;
  format.size = load_u32le(f);
  c.remaining = format.size;
  return write_field(c, f, 4);
}

Stop format_tag(Conversion& c, Format& format) {
  unsigned char f[2];
  return checked_field(c, f, 2, 5, [&](const unsigned char* field) {
    format.tag = load_u16le(field);
    return format.tag == format_pcm || format.tag == format_float ? 0 : 5;
  });
}

Stop channel_count(Conversion& c, Format& format) {
  unsigned char f[2];
  return checked_field(c, f, 2, 6, [&](const unsigned char* field) {
    format.channels = load_i16le(field);
    return format.channels >= 1 && format.channels <= 2 ? 0 : 6;
  });
}

Stop sample_rate(Conversion& c) {
  unsigned char f[4];
  c.stage = 7;
  if (auto s = read_field(c, f, 4, 7))
    return s;
  if (auto s = write_field(c, f, 4))
    return s;
  c.sample_rate = load_u32le(f);
  return std::nullopt;
}

// nAvgBytesPerSec, copied unchecked.
Stop byte_rate(Conversion& c) {
  unsigned char f[4];
  if (auto s = read_field(c, f, 4, 8))
    return s;
  c.stage = 8;
  return write_field(c, f, 4);
}

// nBlockAlign: the bytes of one sample, which must suit the format tag.
Stop block_align(Conversion& c, const Format& format) {
  unsigned char f[2];
  return checked_field(c, f, 2, 9, [&](const unsigned char* field) {
    // Both are signed 16-bit; the quotient truncates toward zero (stereo 5 gives 2 bytes).
    return refuse_sample_format(load_i16le(field) / format.channels, format.tag);
  });
}

}  // namespace

Outcome check_header(Conversion& c) {
  Format format;
  Stop s;
  if ((s = riff_id(c)) || (s = riff_size_and_form(c)) || (s = format_id(c)) ||
      (s = format_size(c, format)) || (s = format_tag(c, format)) ||
      (s = channel_count(c, format)) || (s = sample_rate(c)) || (s = byte_rate(c)) ||
      (s = block_align(c, format)))
    return *s;
  // A format chunk shorter than the fields above wraps around, and the body copy then runs on
  // until the input ends.
  c.remaining = format.size - checked_format_bytes;
  return Outcome{Result::success, c.stage};
}

}  // namespace vdx9
