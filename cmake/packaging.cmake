# Installing and packaging: what cmake --install puts where, and the .deb, the .rpm and the
# Windows zip (cpack --preset rpm or windows-zip from the matching build; the .debs are built by
# scripts/build-debs on the oldest Debian they are for).

# Reproducible builds: the same sources give the same programs and packages, byte for byte,
# wherever and whenever they are built. Archive times come from SOURCE_DATE_EPOCH: the caller's,
# else the last commit's, else (in a source tarball, whose files carry the commit's time) that
# of CMakeLists.txt.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(VDX9_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE VDX9_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE git_status ERROR_QUIET)
  if(NOT git_status EQUAL 0 OR NOT VDX9_SOURCE_DATE_EPOCH)
    file(TIMESTAMP CMakeLists.txt VDX9_SOURCE_DATE_EPOCH "%s" UTC)
  endif()
endif()
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                                GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_PACKAGE_NAME vdx9)
set(CPACK_PACKAGE_VENDOR "vdx9 developers")
set(CPACK_PACKAGE_CONTACT ${VDX9_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Checked copy of RIFF/WAVE radio recordings with a new receiver chunk")
set(CPACK_PACKAGE_DESCRIPTION
    "vdx9 makes a checked copy of a RIFF/WAVE recording from a radio receiver in
which every receiver chunk (rcvr) before the sample data is replaced by its
own 38-byte body carrying the file's sample rate. Every other byte is copied
unchanged, at the speed of a file copy and in constant memory.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# Read by cmake/cpack-components.cmake, which gives it to the generators as SOURCE_DATE_EPOCH.
set(CPACK_VDX9_SOURCE_DATE_EPOCH ${VDX9_SOURCE_DATE_EPOCH})
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack-components.cmake)

if(WIN32)
  # A zip for Windows: vdx9.exe and vdx9-drop.cmd, the README, the licence and the manual as
  # plain text, the text files with CR LF line ends, which any Windows editor shows.
  add_custom_command(
    OUTPUT vdx9.txt
    COMMAND ${CMAKE_COMMAND} -DPAGE=${PROJECT_BINARY_DIR}/vdx9.1 -DOUT=vdx9.txt
            -P ${PROJECT_SOURCE_DIR}/cmake/manual-text.cmake
    DEPENDS ${PROJECT_BINARY_DIR}/vdx9.1 cmake/manual-text.cmake)
  add_custom_target(vdx9_manual_text ALL DEPENDS vdx9.txt)
  file(READ LICENSE licence)
  string(REPLACE "\n" "\r\n" licence "${licence}")
  file(WRITE ${PROJECT_BINARY_DIR}/LICENSE.txt "${licence}")
  # The script that recordings are dropped on, beside vdx9.exe, with the CR LF line ends that
  # cmd needs to find its labels reliably.
  configure_file(src/win/vdx9-drop.cmd vdx9-drop.cmd @ONLY NEWLINE_STYLE CRLF)
  install(TARGETS vdx9 RUNTIME DESTINATION .)
  install(FILES README.md ${PROJECT_BINARY_DIR}/vdx9.txt ${PROJECT_BINARY_DIR}/LICENSE.txt
                ${PROJECT_BINARY_DIR}/vdx9-drop.cmd DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME vdx9-${PROJECT_VERSION}-win64)
else()
  # Linux: the program, its manual page (compressed, as distributions ship them; -n keeps the
  # name and time out, so that it is the same in every build) and the licence. The .deb carries
  # the program with Debian's copyright file and changelog, its dependencies computed; the .rpm,
  # made from a static build (VDX9_STATIC), its changelog as %changelog.
  find_program(VDX9_GZIP gzip REQUIRED)
  set(changelog_script ${PROJECT_SOURCE_DIR}/cmake/package-changelog.cmake)
  add_custom_command(
    OUTPUT vdx9.1.gz
    COMMAND ${VDX9_GZIP} -n -9 -f -k vdx9.1
    DEPENDS ${PROJECT_BINARY_DIR}/vdx9.1 VERBATIM)
  add_custom_command(
    OUTPUT changelog.gz
    COMMAND ${CMAKE_COMMAND} -DIN=${PROJECT_SOURCE_DIR}/CHANGELOG.md -DOUT=changelog
            -DFORMAT=debian -DNAME=vdx9 "-DMAINTAINER=${CPACK_PACKAGE_CONTACT}"
            -P ${changelog_script}
    COMMAND ${VDX9_GZIP} -n -9 -f changelog
    DEPENDS CHANGELOG.md ${changelog_script} VERBATIM)
  add_custom_target(vdx9_package_files ALL DEPENDS vdx9.1.gz changelog.gz)
  execute_process(COMMAND ${CMAKE_COMMAND} -DIN=${PROJECT_SOURCE_DIR}/CHANGELOG.md
                          -DOUT=${PROJECT_BINARY_DIR}/rpm-changelog.txt -DFORMAT=rpm -DNAME=vdx9
                          "-DMAINTAINER=${CPACK_PACKAGE_CONTACT}" -P ${changelog_script})
  set(VDX9_COPYRIGHT_SOURCE "")
  if(VDX9_HOMEPAGE)
    set(VDX9_COPYRIGHT_SOURCE "\nSource: ${VDX9_HOMEPAGE}")
  endif()
  configure_file(cmake/copyright.in ${PROJECT_BINARY_DIR}/copyright @ONLY)

  install(TARGETS vdx9 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)
  install(FILES ${PROJECT_BINARY_DIR}/vdx9.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          COMPONENT manual)
  install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/licenses/vdx9 COMPONENT licence)
  install(FILES ${PROJECT_BINARY_DIR}/copyright ${PROJECT_BINARY_DIR}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vdx9 COMPONENT debian EXCLUDE_FROM_ALL)
  # Debian wants a maintainer's address in the control file and the changelog. A package built
  # without one (VDX9_MAINTAINER) names its maintainer alone rather than with an invented
  # address, and tells lintian so: the .deb's only lintian overrides.
  if(NOT VDX9_MAINTAINER MATCHES "<.+@.+>")
    file(WRITE ${PROJECT_BINARY_DIR}/lintian-overrides
         "# No maintainer's address was given (VDX9_MAINTAINER).
vdx9: malformed-contact Maintainer *
vdx9: syntax-error-in-debian-changelog *
")
    install(FILES ${PROJECT_BINARY_DIR}/lintian-overrides RENAME vdx9
            DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides COMPONENT debian
            EXCLUDE_FROM_ALL)
  endif()

  set(CPACK_GENERATOR DEB RPM)
  # A cross build packages for its target: Debian's name for the architecture (the toolchain
  # file gives it) and the RPM one, which is the processor's.
  if(CMAKE_CROSSCOMPILING)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${VDX9_DEBIAN_ARCH})
    set(CPACK_RPM_PACKAGE_ARCHITECTURE ${CMAKE_SYSTEM_PROCESSOR})
  endif()
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_RPM_COMPONENT_INSTALL ON)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
  set(CPACK_DEBIAN_PACKAGE_SECTION sound)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_RPM_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
  set(CPACK_RPM_PACKAGE_GROUP "Applications/Multimedia")
  set(CPACK_RPM_PACKAGE_LICENSE MIT)
  if(VDX9_HOMEPAGE)
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VDX9_HOMEPAGE})
    set(CPACK_RPM_PACKAGE_URL ${VDX9_HOMEPAGE})
  endif()
  set(CPACK_RPM_CHANGELOG_FILE ${PROJECT_BINARY_DIR}/rpm-changelog.txt)
  # The Packager tag, and times and host taken out of the package: the build time and every
  # file's time are SOURCE_DATE_EPOCH at the latest, and the build host is not this machine's.
  set(CPACK_RPM_SPEC_MORE_DEFINE "%define packager ${CPACK_PACKAGE_CONTACT}
%define use_source_date_epoch_as_buildtime 1
%define clamp_mtime_to_source_date_epoch 1
%define _buildhost reproducible")
  set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
  set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION /usr/share/man /usr/share/man/man1
      /usr/share/licenses)
endif()
include(CPack)
