# Debian package: `cpack -G DEB` in a build directory makes
# simeq_<version>-<revision>_<arch>.deb from what `cmake --install` puts in
# place (bin/simeq, the manual page, the Debian changelog and the lintian
# overrides), installed under /usr. Build it from a Release build: that one is hardened (see
# cmake/hardening.cmake), and CPack strips the program.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME simeq)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The Debian revision: the package of a version may be rebuilt with it raised.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(SIMEQ_DEBIAN_VERSION ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
set(CPACK_PACKAGE_CONTACT "Seed 9c8d5d89 maintainers <maintainers@users.noreply.c-seed-9c8d5d89.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "solve two linear equations in two unknowns, showing every step")
set(CPACK_PACKAGE_DESCRIPTION
    "simeq is an interactive console program for the system
A x + K y = Y1, B x + Q y = Y2. It solves it by determinants or by
elimination, writes each step of the working as a worked example, then
puts x and y back into both equations so that both sides can be compared.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_STRIP_FILES ON)

# The C++ runtime is linked in, so the C library is the only dependency;
# dpkg-shlibdeps (dpkg-dev) works out its version where it is installed.
find_program(SIMEQ_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(SIMEQ_DPKG_SHLIBDEPS AND NOT CMAKE_CROSSCOMPILING)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.34)")
endif()

# A cross build is packaged for the target: dpkg here reports the build
# machine's architecture and dpkg-shlibdeps knows only its C library. So the
# architecture is the toolchain file's SIMEQ_DEBIAN_ARCH, and when cpack
# runs, cmake/cross_depends.cmake makes the dependency the newest C library
# symbol version the program uses.
if(CMAKE_CROSSCOMPILING AND NOT WIN32)
  if(DEFINED SIMEQ_DEBIAN_ARCH)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${SIMEQ_DEBIAN_ARCH})
  else()
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${CMAKE_SYSTEM_PROCESSOR})
  endif()
  set(CPACK_SIMEQ_OBJDUMP ${CMAKE_OBJDUMP})
  set(CPACK_SIMEQ_PROGRAM ${PROJECT_BINARY_DIR}/src/simeq)
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cross_depends.cmake)
endif()

# The changelog a Debian package must carry, dated with the version (never
# the time of the build) and compressed without name or time stamp.
if(NOT WIN32)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.Debian.in
                 ${PROJECT_BINARY_DIR}/changelog.Debian @ONLY)
  find_program(SIMEQ_GZIP gzip)
  if(SIMEQ_GZIP)
    add_custom_command(
      OUTPUT ${PROJECT_BINARY_DIR}/changelog.Debian.gz
      COMMAND ${SIMEQ_GZIP} -9 -n -c ${PROJECT_BINARY_DIR}/changelog.Debian
              > ${PROJECT_BINARY_DIR}/changelog.Debian.gz
      DEPENDS ${PROJECT_BINARY_DIR}/changelog.Debian
      VERBATIM)
    add_custom_target(simeq_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.Debian.gz)
    install(FILES ${PROJECT_BINARY_DIR}/changelog.Debian.gz DESTINATION share/doc/simeq)
  endif()
  # What lintian reports about deliberate choices, each with its reason.
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/simeq.lintian-overrides
          DESTINATION share/lintian/overrides RENAME simeq)
endif()

include(CPack)
