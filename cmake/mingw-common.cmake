# Shared part of the two mingw-w64 toolchain files. The -posix compilers are
# required: the win32 thread model of GCC 12 lacks std::thread and std::mutex.
set(CMAKE_C_COMPILER   ${VELDLG_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELDLG_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${VELDLG_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VELDLG_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
