#include "support/streams.hpp"

#include "cli.hpp"

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
  std::size_t max_write;
};

ssize_t write_sink(void* cookie, const char* buf, std::size_t size) {
  auto* s = static_cast<Sink*>(cookie);
  const std::size_t room = s->limit - std::min(s->limit, s->data->size());
  const std::size_t n = std::min({size, room, s->max_write});
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

std::FILE* open_memory_input(const std::string& data, std::size_t fail_at) {
  cookie_io_functions_t io{};
  io.read = read_source;
  io.close = close_source;
  return checked(fopencookie(new Source{data, 0, fail_at}, "rb", io));
}

std::FILE* open_memory_output(std::string& sink, std::size_t limit, std::size_t max_write) {
  cookie_io_functions_t io{};
  io.write = write_sink;
  io.close = close_sink;
  return checked(fopencookie(new Sink{&sink, limit, max_write}, "wb", io));
}

namespace {

std::FILE* open_faulty_output(std::string& sink, const Faults& faults) {
  std::FILE* out = open_memory_output(sink, faults.write_limit, faults.max_write);
  if (faults.unbuffered_output) {
    std::setvbuf(out, nullptr, _IONBF, 0);
  }
  return out;
}

}  // namespace

Converted convert_bytes(const std::string& input, std::size_t block_size, const Faults& faults,
                        const Step& step) {
  Converted result{{Result::success, -1}, {}};
  std::FILE* in = open_memory_input(input, faults.read_error_at);
  std::FILE* out = open_faulty_output(result.output, faults);
  Conversion c(in, out, block_size);
  result.outcome = step(c);
  result.closed = std::fclose(out) == 0;
  std::fclose(in);
  return result;
}

MemoryRun run_in_memory(const std::string& input, const Faults& faults, std::size_t block_size) {
  MemoryRun run;
  char* text = nullptr;
  std::size_t text_size = 0;
  std::FILE* console = checked(open_memstream(&text, &text_size));
  std::FILE* in = open_memory_input(input, faults.read_error_at);
  run.status =
      convert_and_report(in, open_faulty_output(run.output, faults), console, nullptr, block_size);
  std::fclose(in);
  std::fclose(console);
  run.console.assign(text, text_size);
  std::free(text);
  return run;
}

}  // namespace vdx9::test
