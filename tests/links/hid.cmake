# The HID library test: fake HID libraries built here and placed beside a test program
# of their own, which runs in that folder (the library is loaded as ".\hid.dll").
set(FAKEHID_DIR ${CMAKE_CURRENT_BINARY_DIR}/fakehid)

function(tavrix_fake_hid target output)
  add_library(${target} SHARED ${CMAKE_CURRENT_LIST_DIR}/fakehid/fakehid.c)
  tavrix_warnings(${target})
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${output} PREFIX ""
                        RUNTIME_OUTPUT_DIRECTORY ${FAKEHID_DIR})
  # Undecorated export names on 32-bit too, as the system library has them.
  target_link_options(${target} PRIVATE -Wl,--kill-at)
endfunction()

tavrix_fake_hid(fakehid hid)
tavrix_fake_hid(fakehid_nocaps hidnocaps)
target_compile_definitions(fakehid_nocaps PRIVATE FAKEHID_WITHOUT_CAPS)

tavrix_add_test(NAME hid_lib_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/fakehid/HidLibTest.cpp
                LIBS links)
set_target_properties(hid_lib_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${FAKEHID_DIR})
add_dependencies(hid_lib_tests fakehid fakehid_nocaps)
set_tests_properties(hid_lib_tests PROPERTIES WORKING_DIRECTORY ${FAKEHID_DIR})
