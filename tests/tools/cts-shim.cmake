# The CTS shim for Wine on a pseudo-terminal (cts-shim.c), built with the host C compiler.
# It is preloaded into every process of a run, through the path in ${TAVRIX_CTS_SHIM}, whose
# "$LIB" the dynamic loader replaces with the folder of the process's own class
# (lib/x86_64-linux-gnu or lib/i386-linux-gnu): so Wine's 32-bit processes take the 32-bit
# shim (built for an i686 Windows build), and 64-bit ones (Wine's server and services, the
# shell's tools) the 64-bit one, instead of refusing a shim of the other class with an error.
#   include(${CMAKE_SOURCE_DIR}/tests/tools/cts-shim.cmake)
#   add_dependencies(<test program> tavrix_cts_shim)   and pass ${TAVRIX_CTS_SHIM} to pty-run
include_guard(GLOBAL)

find_program(TAVRIX_HOST_CC NAMES cc gcc REQUIRED)
set(_cts_shim_dir ${CMAKE_BINARY_DIR}/tests/tools)
set(TAVRIX_CTS_SHIM "${_cts_shim_dir}/\$LIB/libtavrix-cts-shim.so"
    CACHE INTERNAL "CTS shim preloaded into Wine for pty-mapped COM ports")
set(_cts_shim_classes x86_64-linux-gnu)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  list(APPEND _cts_shim_classes i386-linux-gnu)
endif()
set(_cts_shim_outputs)
foreach(class IN LISTS _cts_shim_classes)
  set(out ${_cts_shim_dir}/lib/${class}/libtavrix-cts-shim.so)
  if(class STREQUAL i386-linux-gnu)
    set(flag -m32)
  else()
    set(flag -m64)
  endif()
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_cts_shim_dir}/lib/${class}
    COMMAND ${TAVRIX_HOST_CC} ${flag} -shared -fPIC -O2 -Wall -Wextra -Werror
            -o ${out} ${CMAKE_CURRENT_LIST_DIR}/cts-shim.c -ldl
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/cts-shim.c
    COMMENT "Building the CTS shim for Wine (${class})"
    VERBATIM)
  list(APPEND _cts_shim_outputs ${out})
endforeach()
add_custom_target(tavrix_cts_shim ALL DEPENDS ${_cts_shim_outputs})
