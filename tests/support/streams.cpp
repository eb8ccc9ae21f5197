#include "support/streams.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace vdx9::test {

namespace {

struct Source {
  std::string data;
  std::size_t pos = 0;
  std::size_t fail_at = never;
};

ssize_t read_source(void* cookie, char* buf, std::size_t size) {
  auto* s = static_cast<Source*>(cookie);
  if (s->pos >= s->fail_at) {
    errno = EIO;
    return -1;
  }
  const std::size_t n = std::min({size, s->data.size() - s->pos, s->fail_at - s->pos});
  std::memcpy(buf, s->data.data() + s->pos, n);
  s->pos += n;
  return static_cast<ssize_t>(n);
}

int close_source(void* cookie) {
  delete static_cast<Source*>(cookie);
  return 0;
}

struct Sink {
  std::string* data;
  std::size_t limit;
};

ssize_t write_sink(void* cookie, const char* buf, std::size_t size) {
  auto* s = static_cast<Sink*>(cookie);
  const std::size_t room = s->limit - std::min(s->limit, s->data->size());
  const std::size_t n = std::min(size, room);
  s->data->append(buf, n);
  if (n < size) {
    errno = ENOSPC;
  }
  return static_cast<ssize_t>(n);
}

int close_sink(void* cookie) {
  delete static_cast<Sink*>(cookie);
  return 0;
}

std::FILE* checked(std::FILE* f) {
  if (f == nullptr) {
    throw std::runtime_error("fopencookie failed");
  }
  return f;
}

}  // namespace

std::FILE* open_input(const std::string& data, std::size_t fail_at) {
  cookie_io_functions_t io{};
  io.read = read_source;
  io.close = close_source;
  return checked(fopencookie(new Source{data, 0, fail_at}, "rb", io));
}

std::FILE* open_output(std::string& sink, std::size_t limit) {
  cookie_io_functions_t io{};
  io.write = write_sink;
  io.close = close_sink;
  return checked(fopencookie(new Sink{&sink, limit}, "wb", io));
}

Converted convert_bytes(const std::string& input, std::size_t block_size, const Faults& faults) {
  Converted result{{Result::success, -1}, {}};
  std::FILE* in = open_input(input, faults.read_error_at);
  std::FILE* out = open_output(result.output, faults.write_limit);
  if (faults.unbuffered_output) {
    std::setvbuf(out, nullptr, _IONBF, 0);
  }
  Conversion c(in, out, block_size);
  result.outcome = convert(c);
  result.closed = std::fclose(out) == 0;
  std::fclose(in);
  return result;
}

}  // namespace vdx9::test
