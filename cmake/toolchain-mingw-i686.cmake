# i686 Windows with mingw-w64: the shipping 32-bit build.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VQ_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwCommon.cmake)
# Lets the .def file's plain export names bind to the stdcall-decorated functions.
string(APPEND CMAKE_SHARED_LINKER_FLAGS_INIT " -Wl,--enable-stdcall-fixup")
