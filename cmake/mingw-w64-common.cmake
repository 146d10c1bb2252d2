# Shared by the mingw-w64 toolchain files, which set LOGQVR_MINGW_TRIPLET.
set(CMAKE_C_COMPILER ${LOGQVR_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LOGQVR_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${LOGQVR_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LOGQVR_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything from the compiler's own runtime (libgcc, libstdc++ and, with the
# posix thread model, winpthread) is linked in, so a DLL or program needs
# nothing beside it but system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
