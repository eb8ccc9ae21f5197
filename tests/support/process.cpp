#include "support/process.hpp"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace vdx9::test {

namespace {

// Names are UTF-8 (or plain bytes on POSIX) throughout the tests.
std::filesystem::path path_of(const std::string& name) {
  return std::filesystem::u8path(name);
}

}  // namespace

std::string program_path() {
  return VDX9_BINARY;
}

ScratchDir::ScratchDir() {
  std::random_device random;
  const std::filesystem::path tmp = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path dir = tmp / ("vdx9-" + std::to_string(random()));
    if (std::filesystem::create_directory(dir)) {
      path_ = dir.u8string();
      return;
    }
  }
  throw std::runtime_error("cannot make a scratch directory");
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_of(path_), ignored);
}

std::string read_file(const std::string& path) {
  std::ifstream in(path_of(path), std::ios::binary);
  if (!in) {
    throw std::runtime_error("cannot read " + path);
  }
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream out(path_of(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) {
    throw std::runtime_error("cannot write " + path);
  }
}

bool file_exists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(std::filesystem::symlink_status(path_of(path), ignored));
}

}  // namespace vdx9::test
