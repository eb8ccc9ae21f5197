// Runs vdx9.exe with CreateProcessW, standard output and error captured in files.
#include <windows.h>

#include <stdexcept>

#include "support/process.hpp"
#include "win/wide.hpp"

namespace vdx9::test {

namespace {

// One argument as the C runtime's command line parser reads it back: in quotes where needed,
// with backslashes doubled only where they come before a quote.
std::wstring quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) {
    return arg;
  }
  std::wstring q = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    q.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    q += c;
  }
  q.append(backslashes * 2, L'\\');
  return q + L"\"";
}

HANDLE inheritable(const std::string& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  const HANDLE h = CreateFileW(widen(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                               disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    throw std::runtime_error("cannot open " + path);
  }
  return h;
}

// Standard output's file, opened as cmd's `>`, `>>` or `1<>` opens it.
HANDLE redirected(const std::string& path, Redirect redirect) {
  if (redirect == Redirect::truncate) {
    return inheritable(path, GENERIC_WRITE, CREATE_ALWAYS);
  }
  const DWORD access = redirect == Redirect::append ? GENERIC_WRITE : GENERIC_READ | GENERIC_WRITE;
  const HANDLE h = inheritable(path, access, OPEN_ALWAYS);
  if (redirect == Redirect::append) {
    SetFilePointerEx(h, LARGE_INTEGER{}, nullptr, FILE_END);
  }
  return h;
}

}  // namespace

std::string console_text(const std::string& text) {
  std::string crlf;
  for (const char c : text) {
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  }
  return crlf;
}

RunResult run_vdx9(const std::string& cwd, const std::vector<std::string>& args,
                   const RunOptions& options) {
  if (options.file_size_limit != 0 || options.console != Console::captured) {
    throw std::logic_error("file size limits and closed consoles are for POSIX systems only");
  }
  const ScratchDir capture;
  const std::string out_path =
      options.stdout_file.empty() ? capture.file("stdout") : options.stdout_file;
  std::wstring command = quoted(widen(VDX9_BINARY));
  for (const std::string& a : args) {
    command += L" " + quoted(widen(a));
  }
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = inheritable("NUL", GENERIC_READ, OPEN_EXISTING);
  si.hStdOutput = redirected(out_path, options.redirect);
  si.hStdError = inheritable(capture.file("stderr"), GENERIC_WRITE, CREATE_ALWAYS);
  PROCESS_INFORMATION pi{};
  const bool started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      widen(cwd).c_str(), &si, &pi);
  DWORD code = 0;
  if (started) {
    WaitForSingleObject(pi.hProcess, INFINITE);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  CloseHandle(si.hStdInput);
  CloseHandle(si.hStdOutput);
  CloseHandle(si.hStdError);
  if (!started) {
    throw std::runtime_error("cannot start " VDX9_BINARY);
  }
  RunResult r;
  r.status = static_cast<int>(code);
  r.out = read_file(out_path);
  r.err = read_file(capture.file("stderr"));
  return r;
}

}  // namespace vdx9::test
