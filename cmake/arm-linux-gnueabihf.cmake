# Cross-compiling for 32-bit ARM Linux with hardware floating point (armhf: Raspberry Pi OS
# 32-bit) with Debian's g++-arm-linux-gnueabihf; tests run under qemu-arm.
set(triple arm-linux-gnueabihf)
set(processor armv7l)
set(qemu qemu-arm)
set(VDX9_DEBIAN_ARCH armhf)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
