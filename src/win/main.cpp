// The program's entry on Windows: arguments arrive as UTF-16 (wmain), so that a name outside
// the ANSI code page reaches the program whole; the rest of it works on their UTF-8 form.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli.hpp"
#include "wide.hpp"

int wmain(int argc, wchar_t* argv[]) {
  std::vector<std::string> args(static_cast<std::size_t>(argc));
  std::transform(argv, argv + argc, args.begin(), [](const wchar_t* a) { return vdx9::narrow(a); });
  std::vector<const char*> pointers(args.size());
  std::transform(args.begin(), args.end(), pointers.begin(),
                 [](const std::string& a) { return a.c_str(); });
  return vdx9::run(argc, pointers.data(), stdout, stderr);
}
