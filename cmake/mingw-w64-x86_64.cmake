# Cross-compiles the setup for 64-bit Windows with mingw-w64 (posix thread model, so std::thread
# and std::mutex exist) and runs the built programs under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ORIBEL_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
