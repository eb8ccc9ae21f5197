# Shared by the Linux cross toolchain files, which set `triple`, `processor` and `qemu` first:
# Debian's cross compilers for the target, and its programs run under qemu-user with the
# target's libraries from /usr/<triple>.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${processor})

set(CMAKE_C_COMPILER ${triple}-gcc)
set(CMAKE_CXX_COMPILER ${triple}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Read by CMakeLists.txt, which wraps it in a runner script for the tests.
set(VDX9_QEMU ${qemu})
set(VDX9_QEMU_SYSROOT /usr/${triple})
