# x86_64 Windows with mingw-w64: the build whose programs run under Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VQ_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwCommon.cmake)
