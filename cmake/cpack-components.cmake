# Read by cpack for each package it writes: which installed parts go into it, and the time its
# archives record (SOURCE_DATE_EPOCH, which the DEB generator and rpmbuild honour), unless the
# caller gives one.
if(CPACK_GENERATOR STREQUAL "RPM")
  set(CPACK_COMPONENTS_ALL program manual licence)
elseif(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_COMPONENTS_ALL program manual debian)
  # Without dpkg-shlibdeps the generator writes a .deb that depends on nothing, and says so only
  # in passing: such a package installs where its program cannot run.
  execute_process(COMMAND dpkg-shlibdeps --version RESULT_VARIABLE shlibdeps OUTPUT_QUIET
                  ERROR_QUIET)
  if(NOT shlibdeps EQUAL 0)
    message(FATAL_ERROR "dpkg-shlibdeps does not run: the .deb's dependencies cannot be computed "
                        "(apt-get install dpkg-dev)")
  endif()
endif()
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH} AND DEFINED CPACK_VDX9_SOURCE_DATE_EPOCH)
  set(ENV{SOURCE_DATE_EPOCH} ${CPACK_VDX9_SOURCE_DATE_EPOCH})
endif()
