# Compiler warnings, hardening and reproducible builds: set before the targets, which take them.

# Every target of the project links this for its warnings.
add_library(vdx9_warnings INTERFACE)
target_compile_options(vdx9_warnings INTERFACE -Wall -Wextra -Wpedantic -Wconversion
                                               -Wsign-conversion -Wshadow)
if(VDX9_WERROR)
  target_compile_options(vdx9_warnings INTERFACE -Werror)
endif()

# No build path enters a program, so that the same sources give the same bytes anywhere.
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
                    -ffile-prefix-map=${PROJECT_BINARY_DIR}/=)

# Hardening, as Debian and Fedora build their programs: on every Linux build but the sanitizer
# and fuzz builds, which keep their own flags.
if(VDX9_HARDEN AND CMAKE_SYSTEM_NAME STREQUAL "Linux")
  # Fortified string and memory calls need the optimiser; a debug build goes without them.
  add_compile_options(-U_FORTIFY_SOURCE $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>
                      -fstack-protector-strong -fstack-clash-protection)
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|i.86)$")
    add_compile_options(-fcf-protection)
  endif()
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  include(CheckPIESupported)
  check_pie_supported()
  add_link_options(-Wl,-z,relro,-z,now)
endif()

# How the program links its runtimes. By default the C library is shared, and on Linux with g++
# the C++ runtime is linked in: loading and binding libstdc++ took about 1.4 ms of every run, a
# third of the time of a whole conversion that shares its blocks on btrfs, and more than cp
# takes for it. With VDX9_STATIC (the .rpm's build) everything is linked in, so that one program
# runs on any Linux of its architecture (RHEL 8 has glibc 2.28); it looks up no users or hosts,
# so glibc's static link is sound. Position-independent too, where the C library can start such
# a program (x86-64, arm64).
function(vdx9_link_runtimes target)
  if(VDX9_STATIC AND VDX9_HARDEN AND NOT DEFINED VDX9_STATIC_PIE)
    include(CheckCXXSourceCompiles)
    set(CMAKE_REQUIRED_FLAGS -fPIE)
    set(CMAKE_REQUIRED_LINK_OPTIONS -static-pie)
    check_cxx_source_compiles(
      "#include <string>\nint main(int c, char**) { return std::to_string(c).size() > 9; }"
      VDX9_STATIC_PIE)
  endif()
  if(VDX9_STATIC AND VDX9_STATIC_PIE)
    # Not through POSITION_INDEPENDENT_CODE, whose -pie (or -no-pie) would override -static-pie.
    set_property(TARGET ${target} PROPERTY POSITION_INDEPENDENT_CODE)
    target_compile_options(${target} PRIVATE -fPIE)
    target_link_options(${target} PRIVATE -static-pie)
  elseif(VDX9_STATIC)
    target_link_options(${target} PRIVATE -static)
  elseif(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc)
  endif()
endfunction()
