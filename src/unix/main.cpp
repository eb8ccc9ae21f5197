// The program's entry on Linux and other POSIX systems: arguments arrive as the bytes the user
// typed, which are the file names as the system knows them.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "cli.hpp"

namespace {

// Opens /dev/null on any of descriptors 0 to 2 that is closed, so a file opened later cannot
// take one of them and receive the messages meant for the console.
void reserve_standard_descriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
      // open() takes the lowest free descriptor, which is this one.
      if (::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY) != fd) {
        return;
      }
    }
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  reserve_standard_descriptors();
  return vdx9::run(argc, argv, stdout);
}
