# Cross-compiling for 64-bit ARM Linux (arm64: Raspberry Pi OS 64-bit and other ARM boards) with
# Debian's g++-aarch64-linux-gnu; tests run under qemu-aarch64.
set(triple aarch64-linux-gnu)
set(processor aarch64)
set(qemu qemu-aarch64)
set(VDX9_DEBIAN_ARCH arm64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
