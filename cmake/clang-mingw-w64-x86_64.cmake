# The same cross build with Debian's clang and lld, against the mingw-w64 headers and libraries and
# the posix-thread variant of its libstdc++ (the one the gcc build uses). Built only, to keep the
# code free of what one compiler alone accepts; the tests run on the gcc build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VANTIX_MINGW_TARGET x86_64-w64-windows-gnu)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${VANTIX_MINGW_TARGET})
set(CMAKE_CXX_COMPILER_TARGET ${VANTIX_MINGW_TARGET})
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_SYSROOT /usr/x86_64-w64-mingw32)

# clang does not find Debian's mingw libstdc++ by itself: it lives with the cross gcc, one copy per
# thread model.
file(GLOB VANTIX_MINGW_GCC_DIR LIST_DIRECTORIES true /usr/lib/gcc/x86_64-w64-mingw32/*-posix)
if(NOT VANTIX_MINGW_GCC_DIR)
    message(FATAL_ERROR "no posix-thread mingw-w64 gcc under /usr/lib/gcc/x86_64-w64-mingw32 (package g++-mingw-w64-x86-64-posix)")
endif()
list(GET VANTIX_MINGW_GCC_DIR 0 VANTIX_MINGW_GCC_DIR)
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${VANTIX_MINGW_GCC_DIR}/include/c++
    ${VANTIX_MINGW_GCC_DIR}/include/c++/x86_64-w64-mingw32 ${VANTIX_MINGW_GCC_DIR}/include/c++/backward)
# std::thread and std::mutex of that libstdc++ sit on winpthreads (lld takes libraries in any order).
set(VANTIX_CLANG_LINK "-fuse-ld=lld -L${VANTIX_MINGW_GCC_DIR} -lpthread")
set(CMAKE_EXE_LINKER_FLAGS_INIT ${VANTIX_CLANG_LINK})
set(CMAKE_SHARED_LINKER_FLAGS_INIT ${VANTIX_CLANG_LINK})
set(CMAKE_MODULE_LINKER_FLAGS_INIT ${VANTIX_CLANG_LINK})

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-exec)
