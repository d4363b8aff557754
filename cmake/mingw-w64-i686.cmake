# Cross-compiles for 32-bit Windows. Used only to keep the code 32/64-bit clean: Wine here runs
# 64-bit programs only, so nothing built with this file is run.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(ORIBEL_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
