# What differs by platform lives in one directory a platform, each operation in a file of its
# own there: the entry (arguments and standard streams), the console and opening the two files
# (src/unix/ on Linux and every other POSIX system, src/win/ on Windows). The kernel copy of the
# sample data uses calls that only Linux has (src/linux/); elsewhere the block loop copies
# (src/portable/).
if(WIN32)
  set(VDX9_PLATFORM win)
elseif(UNIX)
  set(VDX9_PLATFORM unix)
  # Recordings pass 2 GiB: 64-bit file offsets on 32-bit systems too (a no-op on 64-bit ones).
  add_compile_definitions(_FILE_OFFSET_BITS=64)
else()
  message(FATAL_ERROR "vdx9 builds for POSIX systems and Windows, not for ${CMAKE_SYSTEM_NAME}")
endif()
set(platform src/${VDX9_PLATFORM})
if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND NOT VDX9_PORTABLE)
  set(VDX9_KERNEL_COPY linux)
else()
  set(VDX9_KERNEL_COPY portable)
endif()
