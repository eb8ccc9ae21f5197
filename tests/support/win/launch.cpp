// vdx9_launch "COMMAND LINE": starts a program with exactly that command line, as Explorer starts
// a batch file that files were dropped on, and returns its exit status. Wine's own start and its
// command line from Unix arguments quote and escape them their own way.
#include <windows.h>

int wmain(int argc, wchar_t* argv[]) {
  if (argc != 2) {
    return 2;
  }
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, argv[1], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    return 3;
  }
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD status = 0;
  GetExitCodeProcess(pi.hProcess, &status);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return static_cast<int>(status);
}
