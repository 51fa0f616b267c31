#include <string>

#include "bitdump.hpp"
#include "corvane/position.hpp"

namespace bitdump {

using corvane::Guid;
using corvane::Quaternion;
using corvane::Vector3;
using corvane::WorldPosition;

namespace {

void dump_position_results(Dump& dump, const std::string& id, const WorldPosition& p,
                           const WorldPosition& other) {
  const Vector3 g = p.global_coords();
  dump("global" + id + ".x", g.x);
  dump("global" + id + ".y", g.y);
  dump("distance" + id, p.distance_to(other));
  dump("heading" + id, p.heading_to(other));
  const auto coordinates = p.to_world_coords();
  if (const auto* outdoor = coordinates.outdoor()) {
    dump("lat" + id, outdoor->lat);
    dump("lon" + id, outdoor->lon);
  }
  const WorldPosition r = p.rebucket_outdoor_landblock();
  dump("rebucket" + id + ".x", r.coords.x);
  dump("rebucket" + id + ".y", r.coords.y);
  dump("rebucket_id" + id, static_cast<std::uint64_t>(r.landblock_id.raw));
  dump.text("map" + id, coordinates.to_string_with_precision(1));
  dump.text("map3_" + id, coordinates.to_string_with_precision(3));
}

}  // namespace

void dump_position(Dump& dump) {
  const std::vector<float> f = sample_floats();
  const std::size_t n = f.size();
  const std::uint32_t ids[] = {0x00000000u, 0xA9B40019u, 0xDA550000u, 0x7F7F0001u,
                               0xFFFF0040u, 0x00FF0008u, 0x01000100u};
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t raw = ids[i % std::size(ids)];
    const WorldPosition p{Guid{raw}, Vector3{f[i], f[(i + 5) % n], f[(i + 9) % n]},
                          Quaternion::identity()};
    const WorldPosition other{Guid{ids[(i + 3) % std::size(ids)]},
                              Vector3{f[(i + 2) % n], f[(i + 7) % n], f[(i + 1) % n]},
                              Quaternion::identity()};
    dump_position_results(dump, std::to_string(i), p, other);
  }
  // Ordinary offsets in and around a landblock, where the sums and quotients
  // round; built by one division each so this file adds no arithmetic to fuse.
  for (int k = 0; k < 96; ++k) {
    const float x = static_cast<float>(k * 4099 - 200000) / 517.0f;
    const float y = static_cast<float>(150000 - k * 3571) / 731.0f;
    const WorldPosition p{Guid{ids[k % 6]}, Vector3{x, y, static_cast<float>(k) / 3.0f},
                          Quaternion::identity()};
    const WorldPosition other{Guid{ids[(k + 1) % 6]}, Vector3{y, x, 0.5f}, Quaternion::identity()};
    dump_position_results(dump, "g" + std::to_string(k), p, other);
  }
}

}  // namespace bitdump
