# Read by cpack for each package it writes: which installed parts go into it.
if(CPACK_GENERATOR STREQUAL "RPM")
  set(CPACK_COMPONENTS_ALL static manual)
else()
  set(CPACK_COMPONENTS_ALL program manual)
endif()
