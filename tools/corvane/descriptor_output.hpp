// Output to a file descriptor through one large buffer. The tool writes up to
// hundreds of megabytes (a JSON line per input line); through the standard
// stream's few kilobytes, every few lines would cost a system call.
#pragma once

#include <cstddef>
#include <streambuf>
#include <vector>

namespace corvane::cli {

class DescriptorOutput : public std::streambuf {
 public:
  static constexpr std::size_t kDefaultSize = std::size_t{1} << 18;

  explicit DescriptorOutput(int fd, std::size_t size = kDefaultSize);
  DescriptorOutput(const DescriptorOutput&) = delete;
  DescriptorOutput& operator=(const DescriptorOutput&) = delete;
  /// Writes what is left; a failure then goes unreported (flush first to see it).
  ~DescriptorOutput() override;

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* text, std::streamsize n) override;
  /// Writes everything buffered: 0, or -1 when writing failed (errno says why).
  int sync() override;

 private:
  // Writes `n` bytes at `text` whole; false when a write failed.
  bool write_all(const char* text, std::size_t n) noexcept;

  int fd_;
  std::vector<char> buffer_;
  bool failed_ = false;
};

}  // namespace corvane::cli
