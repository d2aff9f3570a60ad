# The same sources built for 64-bit Windows: nothing ships it; the player's
# benchmark measures it beside the 32-bit images.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(_triple x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
