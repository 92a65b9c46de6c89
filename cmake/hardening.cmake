# Release builds get Debian's usual hardening: C library calls checked where
# the compiler knows the buffer sizes (fortify, which needs the optimiser), a
# stack protector, and relocations bound at start-up and then made read-only
# (relro, bindnow). Debug and sanitizer builds are left as they are. The
# .comment section is removed from the program where it is built (see
# src/CMakeLists.txt); stripping is left to the install step (--strip, CPack).
# WebAssembly has neither a stack protector's guard nor relro (emscripten has
# checks of its own), so the browser build is left as it is too.
if(WIN32 OR EMSCRIPTEN OR NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  return()
endif()
if(CMAKE_BUILD_TYPE MATCHES "^(Release|MinSizeRel)$")
  # -U first: some compilers already define another level.
  add_compile_options(-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2 -fstack-protector-strong)
  add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
