# Cross build for 64-bit Windows with Debian's mingw-w64 compilers (the POSIX
# threads variant, which std::thread needs). Everything is linked statically,
# so the program imports only the system DLLs every Windows has.
#
# QV_WINDOWS_DEPS (cache variable or environment) names the folder where
# scripts/lib/build-windows-libs.sh installed SDL2, libjpeg-turbo and GoogleTest.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QV_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QV_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QV_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QV_MINGW_TRIPLE}-windres)

if(NOT QV_WINDOWS_DEPS AND DEFINED ENV{QV_WINDOWS_DEPS})
  set(QV_WINDOWS_DEPS $ENV{QV_WINDOWS_DEPS})
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QV_WINDOWS_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/${QV_MINGW_TRIPLE} ${QV_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
