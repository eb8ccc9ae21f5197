// The program's entry on Linux and other POSIX systems: arguments arrive as the bytes the user
// typed, which are the file names as the system knows them.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include "cli.hpp"

namespace {

// Opens /dev/null on any of descriptors 0 to 2 that is closed, so that a file opened later
// cannot take one of them and receive the messages meant for the console. It is opened for
// reading only, so every write to it still fails as it would on the closed descriptor: the
// messages are lost, and the run ends with status 1 as for any console that cannot be written.
void reserve_standard_descriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
      // open() takes the lowest free descriptor, which is this one.
      if (::open("/dev/null", O_RDONLY) != fd) {
        return;
      }
    }
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  reserve_standard_descriptors();
  // A reader that goes away (`vdx9 rec.wav | true`) must not kill a conversion half done: the
  // failed write is seen as any other console failure, the conversion runs to its end, and the
  // status is 1. The same holds for an output that is a pipe.
  (void)std::signal(SIGPIPE, SIG_IGN);
  return vdx9::run(argc, argv, stdout, stderr);
}
