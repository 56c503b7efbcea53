# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 compilers, posix thread model
# (std::thread and std::mutex over winpthreads). Programs are linked statically: no DLLs to ship.
#
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DNEXO_BUILD_GUI=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(NEXO_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${NEXO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NEXO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${NEXO_MINGW_TRIPLET}-windres)

# Libraries and headers come from the MinGW tree only, programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${NEXO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C++ runtime, winpthreads and the C runtime's extras linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# With optimisation this compiler (GCC 12) reports these four inside the standard library's
# own inlined vector and string code (initializer lists, operator+), its known false
# positives; the same sources are clean with the Linux compiler, which keeps the warnings.
set(CMAKE_CXX_FLAGS_INIT "-Wno-array-bounds -Wno-restrict -Wno-stringop-overflow -Wno-stringop-overread")

# ctest runs the test programs under Wine when it is there.
find_program(NEXO_WINE NAMES wine wine64)
if(NEXO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${NEXO_WINE})
endif()
