# GoogleTest for the Windows cross builds, built from the Debian source package with the same
# compilers, plus what running the test programs under Wine needs: the emulator script (with
# this build's own Wine prefix) and the keep-alive program it starts.

set(VQ_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
if(NOT EXISTS ${VQ_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${VQ_GTEST_SOURCE} (package googletest)")
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${VQ_GTEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
foreach(lib gtest gtest_main gmock gmock_main)
  if(NOT TARGET GTest::${lib})
    add_library(GTest::${lib} ALIAS ${lib})
  endif()
endforeach()

# Windows programs are run through Wine; see cmake/wine-run.sh.in.
add_executable(vq_keepalive WIN32 ${CMAKE_CURRENT_LIST_DIR}/KeepAlive.cpp)
set_target_properties(vq_keepalive PROPERTIES OUTPUT_NAME keepalive
                                              RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
set(VQ_WINE_PREFIX ${PROJECT_BINARY_DIR}/wineprefix)
set(VQ_KEEPALIVE ${PROJECT_BINARY_DIR}/keepalive.exe)
# 64-bit programs start with the 64-bit loader, 32-bit ones with the 32-bit loader (package
# wine32), never through the `wine` wrapper.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(VQ_WINE_LOADER /usr/lib/wine/wine)
else()
  set(VQ_WINE_LOADER /usr/lib/wine/wine64)
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${PROJECT_BINARY_DIR}/wine-run.sh
               @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
               GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_BINARY_DIR}/wine-run.sh)
