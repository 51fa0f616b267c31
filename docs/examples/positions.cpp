// Guide example: world positions and the map text shown to players. Each
// "// prints:" comment is checked against the output.
#include <iostream>
#include <optional>

#include "corvane/position.hpp"

int main() {
  using corvane::Guid;
  using corvane::Quaternion;
  using corvane::Vector3;
  using corvane::WorldPosition;

  // [position]
  // Landblock (0xDA, 0x55) = (218, 85), outdoor cell 0, offset in metres from
  // the landblock's south-west corner.
  const WorldPosition pos{Guid{0xDA550000}, Vector3{84.0f, 108.0f, 0.0f}, Quaternion::identity()};
  const auto [x, y] = pos.landblock_coords();
  std::cout << +x << ' ' << +y << ' ' << pos.is_indoors() << '\n';  // prints: 218 85 0
  // [position]

  // [map-text]
  const corvane::WorldCoordinates coords = pos.to_world_coords();
  std::cout << coords << '\n';                               // prints: 33.5S, 72.7E, 0.0Z
  std::cout << coords.to_string_with_precision(2) << '\n';  // prints: 33.55S, 72.75E, 0.0Z
  std::cout << debug_string(coords) << '\n';  // prints: Outdoor { lat: -33.550003, lon: 72.75, alt: 0.0 }

  const WorldPosition cellar{Guid{0x016C0155}, Vector3{}, Quaternion::identity()};
  std::cout << cellar.to_world_coords() << '\n';  // prints: Indoors [0155]
  // [map-text]

  // [map-text-back]
  // "33.5S" stands for 33.5 to 33.6 south: it reads as the middle.
  const auto read = corvane::WorldCoordinates::from_string("33.5s 72.7e");
  const std::optional<WorldPosition> found = WorldPosition::from_world_coords(*read);
  std::cout << found->to_world_coords() << '\n';  // prints: 33.5S, 72.7E, 0.0Z
  std::cout << corvane::WorldCoordinates::parse("33.5, 72.7E").error.message() << '\n';
  // prints: latitude: expected N or S (at character 5)
  // [map-text-back]

  // [distances]
  // Same id: measured in the landblock. Different ids: in world space.
  const WorldPosition a{Guid{0x01020000}, Vector3{0, 0, 0}, Quaternion::identity()};
  const WorldPosition b{Guid{0x01020000}, Vector3{3, 4, 0}, Quaternion::identity()};
  std::cout << a.distance_to(b) << '\n';  // prints: 5
  const WorldPosition c{Guid{0x03010000}, Vector3{0, 0, 0}, Quaternion::identity()};
  std::cout << +a.landblock_chebyshev_distance_to(c).value() << '\n';  // prints: 2
  const WorldPosition nowhere{Guid{0}, Vector3{}, Quaternion::identity()};
  std::cout << a.landblock_chebyshev_distance_to(nowhere).has_value() << '\n';  // prints: 0
  // [distances]

  // [cells]
  // Movement changes only the offset. Rebucketing moves a position whose offset
  // left its landblock into the one that holds it, and renumbers the cell.
  const WorldPosition walker{Guid{0xDA550000}, Vector3{200.0f, 10.0f, 0.0f}, Quaternion::identity()};
  const WorldPosition moved = walker.rebucket_outdoor_landblock();
  std::cout << moved.landblock_id << ' ' << moved.coords << '\n';  // prints: 0xDB550001 Vector3 { x: 8.0, y: 10.0, z: 0.0 }
  // [cells]
}
