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

}  // namespace

Outcome check_header(Conversion& c) {
  unsigned char f[4];

  c.stage = 0;
  if (auto s = read_field(c, f, 4, 0))
    return *s;
  c.stage = 1;
  if (!is_id(f, "RIFF"))
    return *reject(c, 1);
  if (auto s = write_field(c, f, 4))
    return *s;

  // The RIFF size is copied as it stands, even when a receiver chunk changes the file's length.
  if (auto s = read_field(c, f, 4, 2))
    return *s;
  if (auto s = write_field(c, f, 4))
    return *s;

  if (auto s = read_field(c, f, 4, 2))
    return *s;
  if (!is_id(f, "WAVE"))
    return *reject(c, 2);
  if (auto s = write_field(c, f, 4))
    return *s;

  if (auto s = read_field(c, f, 4, 3))
    return *s;
  if (!is_id(f, "fmt "))
    return *reject(c, 3);
  if (auto s = write_field(c, f, 4))
    return *s;

  c.stage = 4;
  if (auto s = read_field(c, f, 4, 4))
    return *s;
  const std::uint32_t format_size = load_u32le(f);
  c.remaining = format_size;
  if (auto s = write_field(c, f, 4))
    return *s;

  if (auto s = read_field(c, f, 2, 5))
    return *s;
  const int format_tag = load_u16le(f);
  if (format_tag != format_pcm && format_tag != format_float)
    return *reject(c, 5);
  if (auto s = write_field(c, f, 2))
    return *s;

  if (auto s = read_field(c, f, 2, 6))
    return *s;
  const int channels = load_i16le(f);
  if (channels < 1 || channels > 2)
    return *reject(c, 6);
  if (auto s = write_field(c, f, 2))
    return *s;

  c.stage = 7;
  if (auto s = read_field(c, f, 4, 7))
    return *s;
  if (auto s = write_field(c, f, 4))
    return *s;
  c.sample_rate = load_u32le(f);

  // nAvgBytesPerSec is copied unchecked.
  if (auto s = read_field(c, f, 4, 8))
    return *s;
  c.stage = 8;
  if (auto s = write_field(c, f, 4))
    return *s;

  if (auto s = read_field(c, f, 2, 9))
    return *s;
  // Both are signed 16-bit; the quotient truncates toward zero (stereo 5 gives 2 bytes).
  const int bytes_per_sample = load_i16le(f) / channels;
  if (const int code = refuse_sample_format(bytes_per_sample, format_tag); code != 0) {
    return *reject(c, code);
  }
  if (auto s = write_field(c, f, 2))
    return *s;

  // A format chunk shorter than the fields above wraps around, and the body copy then runs on
  // until the input ends.
  c.remaining = format_size - checked_format_bytes;
  return Outcome{Result::success, c.stage};
}

}  // namespace vdx9
