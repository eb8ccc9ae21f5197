#include "files.hpp"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "wide.hpp"

namespace vdx9 {

namespace {

// A file is the same as another when it lies on the same volume under the same file index,
// whatever names (hard links, symbolic links, other spellings) lead to it. Devices have no
// index and are never the input's file.
bool is_same_file(HANDLE a, HANDLE b) {
  BY_HANDLE_FILE_INFORMATION x{};
  BY_HANDLE_FILE_INFORMATION y{};
  if (GetFileType(a) != FILE_TYPE_DISK || GetFileType(b) != FILE_TYPE_DISK) {
    return false;
  }
  // A disk file that cannot tell who it is might be the input: better not to write to it.
  if (!GetFileInformationByHandle(a, &x) || !GetFileInformationByHandle(b, &y)) {
    return true;
  }
  return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
         x.nFileIndexLow == y.nFileIndexLow;
}

}  // namespace

std::FILE* open_input(const char* name) {
  // A directory does not open as a file here, so no check of its own is needed.
  return _wfopen(system_path(name).c_str(), L"rb");
}

std::FILE* create_output(const std::string& name, std::FILE* input) {
  // Opened without truncation first, so the file can be compared with the input before any of
  // its bytes are lost; others may go on reading and writing it, as with fopen.
  const HANDLE h = CreateFileW(system_path(name).c_str(), GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    return nullptr;
  }
  const auto in = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(input)));
  LARGE_INTEGER size{};
  // Devices such as NUL cannot be truncated and need not be; nor does a new, empty file.
  const bool disk = GetFileType(h) == FILE_TYPE_DISK;
  if (is_same_file(h, in) ||
      (disk && (!GetFileSizeEx(h, &size) || (size.QuadPart != 0 && !SetEndOfFile(h))))) {
    CloseHandle(h);
    return nullptr;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(h);
    return nullptr;
  }
  std::FILE* out = _fdopen(fd, "wb");
  if (out == nullptr) {
    _close(fd);
  }
  return out;
}

}  // namespace vdx9
