# How the program is linked for the browser (included by src/CMakeLists.txt
# in an emscripten build). One .js file with the module inside, so that a
# page opened from file:// can load it; a factory, createSimeqModule, that
# the page calls for every run, so that nothing is carried over; main is
# started by the page with runMain (web/run_main.js), whose promise tells it
# that the run has ended.
#
# A read and the key wait await the page (EM_ASYNC_JS), which ASYNCIFY makes
# possible by instrumenting every function that can be on the stack when a
# wait begins. The analysis cannot follow indirect calls, so it is told to
# ignore them, and the functions that reach a wait through one are named:
# the reader, which calls ByteSource::Read, and the driver, which calls the
# key wait through a pointer, with everything that calls them. (Inlining
# decides which of these are left as functions of their own; names that are
# gone only give a warning.)
set(simeq_waiting_functions
  "main"
  "simeq::Run*"
  "simeq::Enter*"
  "simeq::(anonymous namespace)::ReadCoefficients*"
  "simeq::Input::*")
list(JOIN simeq_waiting_functions "\n" simeq_waiting_functions)
set(simeq_waiting_list ${CMAKE_CURRENT_BINARY_DIR}/waiting_functions.txt)
file(CONFIGURE OUTPUT ${simeq_waiting_list} CONTENT "${simeq_waiting_functions}\n")

# -Oz: the smallest module (the link step runs the optimiser once more);
# no file system, no other allocator than the smallest, no settings taken
# from the page but the program's own three functions.
target_link_options(simeq PRIVATE
  -sENVIRONMENT=web
  -sSINGLE_FILE=1
  -sMODULARIZE=1
  -sEXPORT_NAME=createSimeqModule
  -sINVOKE_RUN=0
  --post-js=${PROJECT_SOURCE_DIR}/web/run_main.js
  -sINCOMING_MODULE_JS_API=[]
  -sFILESYSTEM=0
  -sMALLOC=emmalloc
  -sTOTAL_STACK=65536
  -sINITIAL_MEMORY=1048576
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
set_property(TARGET simeq APPEND PROPERTY LINK_DEPENDS
  ${simeq_waiting_list} ${PROJECT_SOURCE_DIR}/web/run_main.js)

