#include <cstdio>

#include "cli.hpp"

int main(int argc, char* argv[]) {
  vdx9::reserve_standard_descriptors();
  return vdx9::run(argc, argv, stdout);
}
