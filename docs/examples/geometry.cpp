// Guide example: values, their text, and geometry with the world's heading
// convention. Each "// prints:" comment is checked against the output.
#include <iostream>
#include <optional>

#include "corvane/guid.hpp"
#include "corvane/math.hpp"
#include "corvane/sequence.hpp"

int main() {
  using corvane::Guid;
  using corvane::Quaternion;
  using corvane::Triangle;
  using corvane::Vector3;

  // [text]
  const Guid id{0xA9B40019};
  std::cout << id << '\n';                                     // prints: 0xA9B40019
  std::cout << (id >> 24) << ' ' << ((id >> 16) & 0xFF) << '\n';  // prints: 169 180
  std::cout << Vector3{1.0f, -2.5f, 0.0f} << '\n';  // prints: Vector3 { x: 1.0, y: -2.5, z: 0.0 }
  std::cout << debug_string(Quaternion::identity()) << '\n';  // prints: Quaternion { w: 1.0, x: 0.0, y: 0.0, z: 0.0 }
  // [text]

  // [headings]
  // 0 faces west (-X), pi/2 north, pi east, 3*pi/2 south.
  const Vector3 here{0.0f, 0.0f, 0.0f};
  const Vector3 east_of_here{10.0f, 0.0f, 0.0f};
  std::cout << here.heading_to(east_of_here) << '\n';  // prints: 3.14159
  const Quaternion facing = Quaternion::from_heading(here.heading_to(east_of_here));
  std::cout << facing.to_heading() << '\n';  // prints: 3.14159
  // [headings]

  // [floors]
  const Triangle ramp{Vector3{0, 0, 0}, Vector3{10, 0, 0}, Vector3{0, 10, 5}};
  if (ramp.contains_xy(2.0f, 4.0f)) {
    std::cout << ramp.z_at_xy(2.0f, 4.0f).value() << '\n';  // prints: 2
  }
  const Triangle sliver{Vector3{0, 0, 0}, Vector3{1, 1, 1}, Vector3{2, 2, 2}};
  std::cout << sliver.plane().has_value() << '\n';  // prints: 0
  // [floors]

  // [sequence]
  // Sequence numbers wrap: 1 comes after 65535 on a 16-bit counter.
  std::cout << std::boolalpha << corvane::is_newer_u16(1, 65535) << '\n';  // prints: true
  // [sequence]
}
