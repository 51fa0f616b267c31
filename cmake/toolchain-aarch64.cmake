# Cross build for aarch64 Linux with Debian's cross compiler (g++-aarch64-linux-gnu);
# tests and programs run under qemu-user. Used by scripts/cross-check:
#   cmake -S . -B build/cross-aarch64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-aarch64.cmake
set(CORVANE_CROSS_PROCESSOR aarch64)
set(CORVANE_CROSS_TRIPLE aarch64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross-linux-gnu.cmake)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /usr/aarch64-linux-gnu)
