# The target of cmake/mingw-w64-x86_64.cmake built with Debian's clang instead: code that
# only one of the two compilers accepts fails a build. Clang 14 does not find the MinGW GCC's
# C++ library in Debian's folders (named 12-posix and 12-win32), so it is given the -posix
# one, the threads model GoogleTest needs (std::mutex), and binutils' linker; resources still
# go through windres.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET ${triple})
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_SYSROOT /usr/${triple})

execute_process(COMMAND ${triple}-g++-posix -dumpversion OUTPUT_VARIABLE gcc_version
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(gcc_dir /usr/lib/gcc/${triple}/${gcc_version})
set(cxx_include ${gcc_dir}/include/c++)
set(CMAKE_CXX_FLAGS_INIT "-nostdinc++ -isystem ${cxx_include} -isystem ${cxx_include}/${triple} \
-isystem ${cxx_include}/backward")
# The compile flags reach the link command too, where -nostdinc++ means nothing.
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT
      "-L${gcc_dir} --ld-path=/usr/bin/${triple}-ld -pthread -Wno-unused-command-line-argument")
endforeach()

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
