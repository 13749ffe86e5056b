# Shared part of the two mingw-w64 toolchain files. VQ_MINGW_TRIPLET names the target.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread-model compilers: the win32 model lacks std::mutex, which GoogleTest needs.
set(CMAKE_C_COMPILER ${VQ_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VQ_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VQ_MINGW_TRIPLET}-windres)
set(VQ_WIDL ${VQ_MINGW_TRIPLET}-widl)

set(CMAKE_FIND_ROOT_PATH /usr/${VQ_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything links statically, so no mingw runtime DLL has to travel with the binaries.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
