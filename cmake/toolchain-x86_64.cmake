# Cross toolchain: 64-bit Windows. Used to run the tests on hosts whose kernel cannot
# execute 32-bit code (and so cannot run 32-bit Wine); the code is the same.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TAVRIX_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
