// A first look at the library; the full command-line tool replaces this.
#include <iostream>

#include "corvane/corvane.hpp"

int main() {
  using namespace corvane;
  const Guid id{0xA9B40019};
  std::cout << "landblock id " << id << ": x " << (id >> 24) << ", y " << ((id >> 16) & 0xFF)
            << ", cell " << (id & 0xFFFF) << '\n';
  const Quaternion facing = Quaternion::from_heading(1.5707964f);
  std::cout << "facing north: " << facing << '\n';
  std::cout << "heading back: " << facing.to_heading() << " rad\n";
  std::cout << "is 1 newer than 65535 on a 16-bit counter? " << std::boolalpha
            << is_newer_u16(1, 65535) << '\n';
}
