# Read by cpack in a cross build (CPACK_PROJECT_CONFIG_FILE, set in
# packaging.cmake): the package depends on a C library at least as new as
# the newest symbol version the program uses, read with the target's objdump.
execute_process(COMMAND ${CPACK_SIMEQ_OBJDUMP} -T ${CPACK_SIMEQ_PROGRAM}
                OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "GLIBC_[0-9.]+" versions "${symbols}")
set(newest "")
foreach(version IN LISTS versions)
  string(REPLACE "GLIBC_" "" version ${version})
  if(version VERSION_GREATER newest)
    set(newest ${version})
  endif()
endforeach()
if(newest STREQUAL "")
  message(FATAL_ERROR "${CPACK_SIMEQ_PROGRAM} uses no versioned C library symbol")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= ${newest})")
