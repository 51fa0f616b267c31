#include "descriptor_output.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace corvane::cli {

DescriptorOutput::DescriptorOutput(int fd, std::size_t size) : fd_(fd), buffer_(size == 0 ? 1 : size) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

DescriptorOutput::~DescriptorOutput() { sync(); }

bool DescriptorOutput::write_all(const char* text, std::size_t n) noexcept {
  while (n > 0 && !failed_) {
    const ssize_t written = ::write(fd_, text, n);
    if (written < 0) {
      if (errno == EINTR) continue;
      failed_ = true;  // errno says why; nothing after it may be written
      break;
    }
    text += written;
    n -= static_cast<std::size_t>(written);
  }
  return !failed_;
}

int DescriptorOutput::sync() {
  const auto n = static_cast<std::size_t>(pptr() - pbase());
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  return write_all(buffer_.data(), n) ? 0 : -1;
}

DescriptorOutput::int_type DescriptorOutput::overflow(int_type c) {
  if (sync() != 0) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

// Hot: every output line passes here (see LineReader::next).
[[gnu::hot]]
std::streamsize DescriptorOutput::xsputn(const char* text, std::streamsize n) {
  const auto size = static_cast<std::size_t>(n);
  if (size <= static_cast<std::size_t>(epptr() - pptr())) {
    std::memcpy(pptr(), text, size);
    pbump(static_cast<int>(n));
    return n;
  }
  if (sync() != 0) return 0;
  if (size >= buffer_.size()) return write_all(text, size) ? n : 0;
  std::memcpy(pptr(), text, size);
  pbump(static_cast<int>(n));
  return n;
}

}  // namespace corvane::cli
