// Records the arguments of every call of corvane::detail::cr_atan2, for
// scripts/check-atan2-pairs. The script links this object into every program
// of a dedicated build with the linker's --wrap for the function's symbol, so
// each call from another object file (every caller: the function is defined
// alone in its own file, and nothing is built with LTO) comes here first; the
// library's code is not changed. With CORVANE_ATAN2_PAIRS naming a file, each
// call appends the bits of y then x (two native-endian uint32) to it.
#include <fcntl.h>
#include <unistd.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>

// Weak, so that a program without the library (a configure check) still
// links; a program that calls the function always has its definition.
[[gnu::weak]] float real_cr_atan2(float y, float x) noexcept asm("__real__ZN7corvane6detail8cr_atan2Eff");
float wrapped_cr_atan2(float y, float x) noexcept asm("__wrap__ZN7corvane6detail8cr_atan2Eff");

namespace {

// Constant-initialised and trivially destructible, so that calls from static
// initialisers and destructors find it too; flushed when full and at exit.
struct Recorder {
  std::mutex mutex;
  int fd = -2;  // -2: not opened yet; -1: not recording
  unsigned used = 0;
  std::uint32_t buffer[1u << 14] = {};

  void flush() {
    const auto bytes = static_cast<long>(used * sizeof buffer[0]);
    if (used != 0 && write(fd, buffer, static_cast<std::size_t>(bytes)) != bytes) {
      std::perror("atan2 recorder");
      std::_Exit(3);
    }
    used = 0;
  }
};
constinit Recorder recorder;

void flush_at_exit() {
  const std::lock_guard lock(recorder.mutex);
  recorder.flush();
}

}  // namespace

float wrapped_cr_atan2(float y, float x) noexcept {
  if (&real_cr_atan2 == nullptr) std::abort();
  {
    const std::lock_guard lock(recorder.mutex);
    if (recorder.fd == -2) {
      const char* path = std::getenv("CORVANE_ATAN2_PAIRS");
      recorder.fd = path ? open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644) : -1;
      if (path && recorder.fd < 0) {
        std::perror(path);
        std::_Exit(3);
      }
      if (recorder.fd >= 0) std::atexit(flush_at_exit);
    }
    if (recorder.fd >= 0) {
      if (recorder.used + 2 > std::size(recorder.buffer)) recorder.flush();
      recorder.buffer[recorder.used++] = std::bit_cast<std::uint32_t>(y);
      recorder.buffer[recorder.used++] = std::bit_cast<std::uint32_t>(x);
    }
  }
  return real_cr_atan2(y, x);
}
