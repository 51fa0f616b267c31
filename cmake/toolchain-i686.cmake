# Cross build for i686 Linux with Debian's cross compiler (g++-i686-linux-gnu);
# the programs run natively where the kernel allows, else under qemu-i386.
# Used by scripts/cross-check:
#   cmake -S . -B build/cross-i686 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686.cmake
set(CORVANE_CROSS_PROCESSOR i686)
set(CORVANE_CROSS_TRIPLE i686-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross-linux-gnu.cmake)
# SSE2 for float and double: x87 registers would round twice (the library
# refuses to compile without FLT_EVAL_METHOD 0).
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")

# A kernel with 32-bit support runs the programs through the target's loader;
# one built without it (no IA32 emulation) needs qemu-i386, under which
# programs that start threads hang, so scripts/cross-check leaves those out.
set(_corvane_i686_loader /usr/i686-linux-gnu/lib/ld-linux.so.2)
execute_process(COMMAND ${_corvane_i686_loader} --version
  RESULT_VARIABLE _corvane_i686_native OUTPUT_QUIET ERROR_QUIET)
if(_corvane_i686_native EQUAL 0)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${_corvane_i686_loader} --library-path /usr/i686-linux-gnu/lib)
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386 -L /usr/i686-linux-gnu)
endif()
