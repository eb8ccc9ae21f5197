#include "files.hpp"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstring>

#include "wide.hpp"

namespace vdx9 {

namespace {

HANDLE handle_of(std::FILE* stream) {
  return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

// A file is the same as another when it lies on the same volume under the same file id,
// whatever names (hard links, symbolic links, other spellings) lead to it. The 128-bit id is
// the one that is unique on every file system (ReFS included); the older 64-bit index is used
// where the system does not give it. Devices have no id and are never the same file.
bool is_same_file(HANDLE a, HANDLE b) {
  if (GetFileType(a) != FILE_TYPE_DISK || GetFileType(b) != FILE_TYPE_DISK) {
    return false;
  }
  FILE_ID_INFO x{};
  FILE_ID_INFO y{};
  if (GetFileInformationByHandleEx(a, FileIdInfo, &x, sizeof x) &&
      GetFileInformationByHandleEx(b, FileIdInfo, &y, sizeof y)) {
    return x.VolumeSerialNumber == y.VolumeSerialNumber &&
           std::memcmp(&x.FileId, &y.FileId, sizeof x.FileId) == 0;
  }
  BY_HANDLE_FILE_INFORMATION old_x{};
  BY_HANDLE_FILE_INFORMATION old_y{};
  // A disk file that cannot tell who it is might be the other: better not to write to it.
  if (!GetFileInformationByHandle(a, &old_x) || !GetFileInformationByHandle(b, &old_y)) {
    return true;
  }
  return old_x.dwVolumeSerialNumber == old_y.dwVolumeSerialNumber &&
         old_x.nFileIndexHigh == old_y.nFileIndexHigh && old_x.nFileIndexLow == old_y.nFileIndexLow;
}

}  // namespace

std::FILE* open_input(const char* name) {
  // A directory does not open as a file here, so no check of its own is needed.
  return _wfopen(system_path(name).c_str(), L"rb");
}

std::optional<std::uint64_t> regular_file_size(std::FILE* stream) {
  const HANDLE h = handle_of(stream);
  LARGE_INTEGER size{};
  if (GetFileType(h) != FILE_TYPE_DISK || !GetFileSizeEx(h, &size)) {
    return std::nullopt;
  }
  return static_cast<std::uint64_t>(size.QuadPart);
}

bool console_writes_to(std::FILE* console, const char* name) {
  // Opened for its attributes only, sharing everything: the input itself is not opened yet.
  const HANDLE h = CreateFileW(system_path(name).c_str(), FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    return false;
  }
  const bool same = is_same_file(h, handle_of(console));
  CloseHandle(h);
  return same;
}

std::FILE* create_output(const std::string& name, std::FILE* input, std::FILE* console) {
  // Opened without truncation first, so the file can be checked before any of its bytes are
  // lost. Others may read it, but no one else may write it while this run does: a second vdx9
  // (or any writer) then fails to open it, and one that already writes it keeps this run out.
  const HANDLE h =
      CreateFileW(system_path(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    return nullptr;
  }
  LARGE_INTEGER size{};
  // Devices such as NUL cannot be truncated and need not be; nor does a new, empty file.
  const bool disk = GetFileType(h) == FILE_TYPE_DISK;
  if (is_same_file(h, handle_of(input)) || is_same_file(h, handle_of(console)) ||
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
