# How the program is linked for the browser (included by src/CMakeLists.txt
# in an emscripten build): emscripten's loader, simeq.js, with a factory,
# createSimeqModule, that the page calls for every run, so that nothing is
# carried over; and the module, simeq.wasm, which the site's build puts
# into the page's simeq.js in base64 (web/build_site.js), so that the page
# opens from file://. The page instantiates the module itself, at once
# (web/program.js, the loader's instantiateWasm hook), hence the loader's
# synchronous setting. main is started by the page with runMain
# (web/run_main.js), whose promise tells it that the run has ended.
#
# A read and the key wait await the page (EM_ASYNC_JS), which ASYNCIFY makes
# possible by instrumenting every function that can be on the stack when a
# wait begins. The analysis cannot follow indirect calls, so it is told to
# ignore them, and the functions that reach a wait through one are named:
# the reader, which calls ByteSource::Read, and the driver, which calls the
# key wait through a pointer, with everything that calls them. Each
# function named here carries a comment in the source saying so. A name
# that matches no function defined in the code fails the link
# (cmake/web_waiting_names.cmake); emscripten itself only warns, and warns
# too for names whose functions its optimiser inlined (today simeq::Run*
# and simeq::Enter*, inlined into main, which is listed).
set(simeq_waiting_functions
  "main"
  "simeq::Run*"
  "simeq::Enter*"
  "simeq::(anonymous namespace)::ReadCoefficients*"
  "simeq::NumberReader::*")
list(JOIN simeq_waiting_functions "\n" simeq_waiting_functions)
set(simeq_waiting_list ${CMAKE_CURRENT_BINARY_DIR}/waiting_functions.txt)
file(CONFIGURE OUTPUT ${simeq_waiting_list} CONTENT "${simeq_waiting_functions}\n")

# -Oz: the smallest module (the link step runs the optimiser once more);
# no file system, no other allocator than the smallest, no settings taken
# from the page but the program's own three functions. The memory starts
# small and grows as a reply needs it: a number is read whole, however many
# digits were typed or pasted, as on every other platform.
target_link_options(simeq PRIVATE
  -sENVIRONMENT=web
  -sMODULARIZE=1
  -sEXPORT_NAME=createSimeqModule
  -sINVOKE_RUN=0
  --post-js=${PROJECT_SOURCE_DIR}/web/run_main.js
  -sINCOMING_MODULE_JS_API=[]
  -sFILESYSTEM=0
  -sMALLOC=emmalloc
  -sTOTAL_STACK=65536
  -sINITIAL_MEMORY=1048576
  -sALLOW_MEMORY_GROWTH=1
  -sTEXTDECODER=2
  -sSUPPORT_ERRNO=0
  -sSUPPORT_LONGJMP=0
  -sDYNAMIC_EXECUTION=0
  -sPOLYFILL=0
  -sWASM_ASYNC_COMPILATION=0
  -Oz
  -sASYNCIFY=1
  -sASYNCIFY_IGNORE_INDIRECT=1
  -sASYNCIFY_ADD=@${simeq_waiting_list})
# Before the link, every name in the list must match a function of the code.
add_custom_command(TARGET simeq PRE_LINK
  COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DLIST=${simeq_waiting_list}
          -P ${PROJECT_SOURCE_DIR}/cmake/web_waiting_names.cmake --
          $<TARGET_OBJECTS:simeq> $<TARGET_FILE:simeq_core>
  COMMAND_EXPAND_LISTS VERBATIM)
set_property(TARGET simeq APPEND PROPERTY LINK_DEPENDS
  ${simeq_waiting_list} ${PROJECT_SOURCE_DIR}/web/run_main.js
  ${PROJECT_SOURCE_DIR}/cmake/web_waiting_names.cmake)

