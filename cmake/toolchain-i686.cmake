# Cross build for i686 Linux with Debian's cross compiler (g++-i686-linux-gnu);
# the x86-64 kernel runs the programs itself through the target's loader
# (qemu-i386 hangs in futex waits). Used by scripts/cross-check:
#   cmake -S . -B build/cross-i686 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686.cmake
set(CORVANE_CROSS_PROCESSOR i686)
set(CORVANE_CROSS_TRIPLE i686-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross-linux-gnu.cmake)
# SSE2 for float and double: x87 registers would round twice (the library
# refuses to compile without FLT_EVAL_METHOD 0).
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")

set(CMAKE_CROSSCOMPILING_EMULATOR
  /usr/i686-linux-gnu/lib/ld-linux.so.2 --library-path /usr/i686-linux-gnu/lib)
