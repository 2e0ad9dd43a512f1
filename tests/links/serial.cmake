# The serial channel on a real line under Wine: a pseudo-terminal mapped as a COM port,
# a peer answering escape commands on its other end, and the CTS shim preloaded into Wine.
# One ctest entry: tests/tools/pty-run sets it all up, runs the program and cleans up.
include(${CMAKE_SOURCE_DIR}/tests/tools/cts-shim.cmake)
find_program(TAVRIX_PYTHON3 python3 HINTS /usr/bin REQUIRED)

add_executable(serial_pty_tests ${CMAKE_CURRENT_LIST_DIR}/pty/SerialPtyTest.cpp)
tavrix_warnings(serial_pty_tests)
target_link_libraries(serial_pty_tests PRIVATE links gtest gtest_main)
add_dependencies(serial_pty_tests tavrix_cts_shim)
add_test(NAME serial_pty_tests
         COMMAND ${CMAKE_SOURCE_DIR}/tests/tools/pty-run ${TAVRIX_CTS_SHIM}
                 ${TAVRIX_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/pty/serial_peer.py --lifetime 200
                 -- $<TARGET_FILE:serial_pty_tests> --gtest_brief=1)
# It maps a COM port in the shared prefix: never beside an end-to-end scan of every port.
set_tests_properties(serial_pty_tests PROPERTIES TIMEOUT 300 RESOURCE_LOCK tavrix_e2e_prefix)
