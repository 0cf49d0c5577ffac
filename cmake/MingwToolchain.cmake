# What the two MinGW-w64 toolchain files share; HW_MINGW_TRIPLET names the target.
set(CMAKE_SYSTEM_NAME Windows)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR ${HW_MINGW_TRIPLET})
# The posix thread model: std::thread and std::mutex need it.
find_program(CMAKE_CXX_COMPILER NAMES ${HW_MINGW_TRIPLET}-g++-posix ${HW_MINGW_TRIPLET}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${HW_MINGW_TRIPLET}-gcc-posix ${HW_MINGW_TRIPLET}-gcc REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${HW_MINGW_TRIPLET}-windres)
# Libraries built for the target elsewhere (Qt for MinGW) are named by
# CMAKE_PREFIX_PATH; each is also a root, so find_package looks there and
# never in the host's own folders.
set(CMAKE_FIND_ROOT_PATH /usr/${HW_MINGW_TRIPLET} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The programs run without MinGW's runtime DLLs beside them (and so under Wine as they are).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Tests and tools built here run under Wine: wine64 for 64-bit programs, the
# wine loader (wine32) for 32-bit ones.
if(HW_MINGW_TRIPLET MATCHES "^x86_64")
  find_program(HW_WINE NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
else()
  find_program(HW_WINE NAMES wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
endif()
if(HW_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${HW_WINE})
endif()
