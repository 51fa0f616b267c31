// A downstream program: public headers only, linked through whichever way the
// consumer project found the package. It prints a few results whose texts are
// fixed by the library's contract; check-consumers compares them with
// expected.txt. The calls reach compiled functions (length, debug_string,
// from_triangle), inline ones and the generated headers, so a symbol hidden by
// mistake in a shared build fails to link here. (check-consumers also compares
// the shared library's exports with the static library's symbols, so a module
// need not be called here to be covered.)
#include <cstdint>
#include <functional>
#include <iostream>
#include <string_view>

#include "corvane/corvane.hpp"

#ifndef CONSUMER_EXPECTED_VERSION
#error "the consumer build passes the package's version as CONSUMER_EXPECTED_VERSION"
#endif

int main() {
  using namespace corvane;
  std::cout << Guid{256} << '\n';
  std::cout << debug_string(Vector3{1.0f, -2.5f, 0.0f}) << '\n';
  std::cout << Vector3{3.0f, 4.0f, 0.0f}.length() << '\n';
  std::cout << Quaternion::identity() << '\n';
  const Vector3 p{1.0f, 1.0f, 1.0f};
  std::cout << "plane through one point: " << (Plane::from_triangle(p, p, p) ? "some" : "none")
            << '\n';
  std::cout << "1 newer than 65535: " << std::boolalpha << is_newer_u16(1, 65535) << '\n';
  std::cout << "hash of Guid 7 is hash of 7: "
            << (std::hash<Guid>{}(Guid{7}) == std::hash<std::uint32_t>{}(7u)) << '\n';

  const bool version_ok = std::string_view(version_string) == CONSUMER_EXPECTED_VERSION &&
                          std::string_view(CORVANE_VERSION_STRING) == CONSUMER_EXPECTED_VERSION &&
                          CORVANE_VERSION_MAJOR >= 0 && CORVANE_VERSION_MINOR >= 0 &&
                          CORVANE_VERSION_PATCH >= 0;
  std::cout << "version " << (version_ok ? "matches the package" : "MISMATCH") << '\n';
  return version_ok ? 0 : 1;
}
