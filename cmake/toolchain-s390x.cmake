# Cross build for s390x Linux with Debian's cross compiler (g++-s390x-linux-gnu);
# tests and programs run under qemu-user. Used by scripts/cross-check:
#   cmake -S . -B build/cross-s390x -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-s390x.cmake
set(CORVANE_CROSS_PROCESSOR s390x)
set(CORVANE_CROSS_TRIPLE s390x-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross-linux-gnu.cmake)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-s390x -L /usr/s390x-linux-gnu)
