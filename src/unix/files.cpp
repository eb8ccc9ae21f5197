#include "files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vdx9 {

std::FILE* open_input(const char* name) {
  std::FILE* in = std::fopen(name, "rb");
  struct stat st {};
  if (in != nullptr && (::fstat(::fileno(in), &st) != 0 || S_ISDIR(st.st_mode))) {
    (void)std::fclose(in);
    return nullptr;
  }
  return in;
}

std::FILE* create_output(const std::string& name, std::FILE* input) {
  // Opened without truncation first, so the file can be compared with the input before any of
  // its bytes are lost; comparing the open descriptors leaves no window for a swap.
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    return nullptr;
  }
  struct stat out_st {};
  struct stat in_st {};
  const bool same_file = ::fstat(fd, &out_st) != 0 || ::fstat(::fileno(input), &in_st) != 0 ||
                         (out_st.st_dev == in_st.st_dev && out_st.st_ino == in_st.st_ino);
  // Devices such as /dev/null cannot be truncated and need not be. A new, empty file is left
  // alone: on some file systems (ext4) a truncation makes the final close start writing the
  // whole file back at once, which would cost the run the time of a disk write.
  if (same_file || (S_ISREG(out_st.st_mode) && out_st.st_size != 0 && ::ftruncate(fd, 0) != 0)) {
    ::close(fd);
    return nullptr;
  }
  std::FILE* out = ::fdopen(fd, "wb");
  if (out == nullptr) {
    ::close(fd);
  }
  return out;
}

}  // namespace vdx9
