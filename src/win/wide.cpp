#include "wide.hpp"

#include <windows.h>

namespace vdx9 {

std::string narrow(const std::wstring& wide) {
  std::string out;
  for (std::size_t i = 0; i < wide.size(); ++i) {
    char32_t c = wide[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(wide[++i]) - 0xDC00);
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::wstring widen(const std::string& bytes) {
  std::wstring out;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    auto c = static_cast<char32_t>(length == 1 ? lead : lead & (0x7F >> length));
    for (std::size_t k = 1; k < length && i + k < bytes.size(); ++k) {
      c = c << 6 | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
    }
    i += length;
    if (c >= 0x10000) {
      out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<wchar_t>(c);
    }
  }
  return out;
}

std::wstring system_path(const std::string& name) {
  const std::wstring wide = widen(name);
  if (wide.rfind(L"\\\\?\\", 0) == 0) {
    return wide;
  }
  // The old limit applies to the full path, which a short name in a deep folder can pass. Making
  // it full also does what the \\?\ form would skip: "." and ".." are resolved and "/" becomes
  // a backslash, as Windows does for any other name.
  const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  std::wstring full(size, L'\0');
  const DWORD got = size == 0 ? 0 : GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
  // 248: a directory's name must leave room for an 8.3 file name within the old limit.
  if (got == 0 || got >= size || got < 248) {
    return wide;
  }
  full.resize(got);
  if (full.rfind(L"\\\\.\\", 0) == 0) {
    return wide;  // a device (\\.\COM1): already past the limit's reach
  }
  if (full.rfind(L"\\\\", 0) == 0) {
    return L"\\\\?\\UNC\\" + full.substr(2);  // \\server\share\... on the network
  }
  return L"\\\\?\\" + full;
}

}  // namespace vdx9
