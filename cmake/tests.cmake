# The tests, the fuzz target and the benchmark, and the emulators that run a cross build's.

# The tests, by default where GoogleTest is at hand: installed, or its sources (which Debian's
# googletest package puts in /usr/src) for a cross build.
if(NOT DEFINED VDX9_BUILD_TESTS)
  if(CMAKE_CROSSCOMPILING)
    set(GTest_FOUND FALSE)
    if(EXISTS /usr/src/googletest/CMakeLists.txt)
      set(GTest_FOUND TRUE)
    endif()
  else()
    find_package(GTest QUIET)
  endif()
  if(NOT GTest_FOUND)
    # Said once, on the first configure: later ones keep the choice made then.
    message(STATUS "Tests not built: GoogleTest not found (apt-get install libgtest-dev, or "
                   "dnf install gtest-devel; then configure again with -DVDX9_BUILD_TESTS=ON)")
  endif()
endif()
option(VDX9_BUILD_TESTS "Build the test suite" ${GTest_FOUND})

# Cross builds run their tests, and the programs they test, under an emulator: Wine for Windows,
# qemu-user for another processor (its toolchain file names it). Scripted tests get the same
# runner. A build without tests needs no emulator.
set(VDX9_TEST_RUNNER "")
# A runner script in the build folder, from its template. configure_file() sets permissions
# only from CMake 3.20 on; file(COPY) has long done so.
function(vdx9_runner template name)
  configure_file(${template} ${PROJECT_BINARY_DIR}/runner/${name} @ONLY)
  file(COPY ${PROJECT_BINARY_DIR}/runner/${name} DESTINATION ${PROJECT_BINARY_DIR}
       FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                        WORLD_READ WORLD_EXECUTE)
endfunction()
set(VDX9_TEST_BINARY "$<TARGET_FILE:vdx9>")
if((VDX9_BUILD_TESTS OR VDX9_FUZZ) AND WIN32 AND CMAKE_CROSSCOMPILING)
  # Under Wine, the tests and the programs they run see this build's files on drive Z:.
  find_program(VDX9_WINE wine64 PATHS /usr/lib/wine /usr/lib64/wine REQUIRED)
  find_program(VDX9_WINESERVER wineserver PATHS /usr/lib/wine /usr/lib64/wine REQUIRED)
  set(VDX9_WINEPREFIX ${PROJECT_BINARY_DIR}/wine)
  vdx9_runner(cmake/wine-run.in wine-run)
  set(VDX9_TEST_RUNNER ${PROJECT_BINARY_DIR}/wine-run)
  # The GoogleTest programs through wine-gtest, which starts again only what did not start.
  vdx9_runner(cmake/wine-gtest.in wine-gtest)
  set(VDX9_GTEST_RUNNER ${PROJECT_BINARY_DIR}/wine-gtest)
  set(VDX9_TEST_BINARY "Z:$<TARGET_FILE:vdx9>")
elseif((VDX9_BUILD_TESTS OR VDX9_FUZZ) AND CMAKE_CROSSCOMPILING AND DEFINED VDX9_QEMU)
  find_program(VDX9_QEMU_PROGRAM ${VDX9_QEMU} REQUIRED)
  vdx9_runner(cmake/qemu-run.in qemu-run)
  set(VDX9_TEST_RUNNER ${PROJECT_BINARY_DIR}/qemu-run)
endif()
if(VDX9_TEST_RUNNER)
  # For the targets made from here on, and the example's generator, made before.
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VDX9_TEST_RUNNER})
  set_property(TARGET vdx9_make_example PROPERTY CROSSCOMPILING_EMULATOR ${VDX9_TEST_RUNNER})
endif()

if(VDX9_BUILD_TESTS OR VDX9_FUZZ)
  # In-memory streams with injected faults, the WAVE builder and the conversion's properties.
  # On Linux (glibc), streams in memory with faults; elsewhere temporary files.
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    set(test_streams tests/support/memory_streams.cpp)
  else()
    set(test_streams tests/support/file_streams.cpp)
  endif()
  add_library(vdx9_test_support STATIC
    ${test_streams}
    tests/support/properties.cpp
    tests/support/process.cpp
    tests/support/${VDX9_PLATFORM}/run.cpp)
  target_include_directories(vdx9_test_support PUBLIC tests)
  target_link_libraries(vdx9_test_support PUBLIC vdx9_cli PRIVATE vdx9_warnings)
  target_compile_definitions(vdx9_test_support PRIVATE VDX9_BINARY="${VDX9_TEST_BINARY}"
                                                        VDX9_RUNNER="${VDX9_TEST_RUNNER}")
  add_dependencies(vdx9_test_support vdx9)
endif()

if(VDX9_BUILD_TESTS)
  enable_testing()
  add_subdirectory(tests)
endif()

if(VDX9_FUZZ)
  add_subdirectory(fuzz)
endif()

# The block-size benchmark, where Google Benchmark is installed; bench/run uses it.
find_package(benchmark QUIET)
if(benchmark_FOUND)
  add_executable(vdx9_bench_blocks EXCLUDE_FROM_ALL bench/blocks.cpp)
  target_link_libraries(vdx9_bench_blocks PRIVATE vdx9_convert benchmark::benchmark vdx9_warnings)
endif()
