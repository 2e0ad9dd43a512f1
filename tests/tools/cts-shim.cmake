# The CTS shim for Wine on a pseudo-terminal (cts-shim.c), built with the host C compiler
# for the Linux side of the Wine that runs this build's programs: 64-bit for an x86_64
# Windows build, 32-bit (-m32) for an i686 one.
#   include(${CMAKE_SOURCE_DIR}/tests/tools/cts-shim.cmake)
#   add_dependencies(<test program> tavrix_cts_shim)   and pass ${TAVRIX_CTS_SHIM} to pty-run
include_guard(GLOBAL)

find_program(TAVRIX_HOST_CC NAMES cc gcc REQUIRED)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(_cts_shim_arch -m32)
else()
  set(_cts_shim_arch)
endif()
set(TAVRIX_CTS_SHIM ${CMAKE_BINARY_DIR}/tests/tools/libtavrix-cts-shim.so
    CACHE INTERNAL "CTS shim preloaded into Wine for pty-mapped COM ports")
add_custom_command(
  OUTPUT ${TAVRIX_CTS_SHIM}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/tests/tools
  COMMAND ${TAVRIX_HOST_CC} ${_cts_shim_arch} -shared -fPIC -O2 -Wall -Wextra -Werror
          -o ${TAVRIX_CTS_SHIM} ${CMAKE_CURRENT_LIST_DIR}/cts-shim.c -ldl
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/cts-shim.c
  COMMENT "Building the CTS shim for Wine"
  VERBATIM)
add_custom_target(tavrix_cts_shim ALL DEPENDS ${TAVRIX_CTS_SHIM})
