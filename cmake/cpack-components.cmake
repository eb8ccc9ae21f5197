# Read by cpack for each package it writes: which installed parts go into it, and the time its
# archives record (SOURCE_DATE_EPOCH, which the DEB generator and rpmbuild honour), unless the
# caller gives one.
if(CPACK_GENERATOR STREQUAL "RPM")
  set(CPACK_COMPONENTS_ALL static manual licence)
elseif(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_COMPONENTS_ALL program manual debian)
endif()
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH} AND DEFINED CPACK_VDX9_SOURCE_DATE_EPOCH)
  set(ENV{SOURCE_DATE_EPOCH} ${CPACK_VDX9_SOURCE_DATE_EPOCH})
endif()
