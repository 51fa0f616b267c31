// The batch operations over the same inputs as the single-value dumps. Printed
// last, so that the lines before stay as they were.
#include <cstdint>
#include <string>

#include "bitdump.hpp"
#include "corvane/bake_fingerprint.hpp"
#include "corvane/detail/bit_cast.hpp"
#include "corvane/math.hpp"
#include "corvane/position.hpp"

namespace bitdump {

using corvane::FloatCanon;

namespace {

void dump_batch_fingerprint(Dump& dump) {
  std::vector<float> values = sample_floats();
  for (int odd = 1; odd < 40; odd += 6) values.push_back(static_cast<float>(odd) / 128.0f);
  for (const std::uint32_t bits : {0x417F'FFFFu, 0xC17F'FFF0u, 0xB3D6'BF95u, 0xFFC0'0001u}) {
    values.push_back(corvane::detail::bit_cast<float>(bits));
  }
  std::vector<std::uint32_t> six_dp(values.size());
  std::vector<std::uint32_t> lossless(values.size());
  std::vector<std::uint32_t> wire(values.size());
  corvane::fingerprint_f32_bits(values, FloatCanon::SixDp, six_dp);
  corvane::fingerprint_f32_bits(values, FloatCanon::Lossless, lossless);
  corvane::wire_f32_bits(values, wire);
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::string id = std::to_string(i);
    dump("batch_six_dp" + id, std::uint64_t{six_dp[i]});
    dump("batch_lossless" + id, std::uint64_t{lossless[i]});
    dump("batch_wire" + id, std::uint64_t{wire[i]});
  }
  dump("batch_fold_six_dp", corvane::fnv1a_fold(corvane::FNV1A_OFFSET_BASIS, six_dp));
  // Records of 0 to 9 words over the lossless patterns, 20 of them.
  std::vector<std::size_t> ends;
  std::size_t end = 0;
  for (std::size_t r = 0; r < 20 && end + r % 10 <= lossless.size(); ++r) ends.push_back(end += r % 10);
  std::vector<std::uint64_t> hashes(ends.size(), corvane::FNV1A_OFFSET_BASIS);
  corvane::fnv1a_fold_records(std::span<const std::uint32_t>(lossless.data(), end), ends, hashes);
  for (std::size_t r = 0; r < hashes.size(); ++r) dump("batch_record" + std::to_string(r), hashes[r]);
}

// Quaternions and vectors built from the sample floats as the geometry dump
// builds them, more than one vector register's worth.
void dump_batch_geometry(Dump& dump) {
  const std::vector<float> f = sample_floats();
  const std::size_t n = f.size();
  std::vector<corvane::Quaternion> a(n), b(n), product(n), unit(n);
  std::vector<corvane::Vector3> v(n), rotated(n);
  for (std::size_t i = 0; i < n; ++i) {
    a[i] = {f[i], f[(i + 5) % n], f[(i + 11) % n], f[(i + 17) % n]};
    b[i] = {f[(i + 2) % n], f[(i + 7) % n], f[(i + 13) % n], f[(i + 19) % n]};
    v[i] = {f[(i + 1) % n], f[(i + 4) % n], f[(i + 9) % n]};
  }
  corvane::multiply(a, b, product);
  corvane::normalize(a, unit);
  corvane::rotate_vector(a, v, rotated);
  for (std::size_t i = 0; i < n; ++i) {
    const std::string id = std::to_string(i);
    dump("batch_multiply_w" + id, product[i].w);
    dump("batch_multiply_x" + id, product[i].x);
    dump("batch_multiply_y" + id, product[i].y);
    dump("batch_multiply_z" + id, product[i].z);
    dump("batch_normalize_w" + id, unit[i].w);
    dump("batch_normalize_x" + id, unit[i].x);
    dump("batch_normalize_y" + id, unit[i].y);
    dump("batch_normalize_z" + id, unit[i].z);
    dump("batch_rotate_x" + id, rotated[i].x);
    dump("batch_rotate_y" + id, rotated[i].y);
    dump("batch_rotate_z" + id, rotated[i].z);
  }
}

void dump_batch_position(Dump& dump) {
  const std::vector<float> f = sample_floats();
  const std::size_t n = f.size();
  const std::uint32_t ids[] = {0xA9B40019u, 0xDA550000u, 0x00000000u, 0x7F7F0001u,
                               0x860201ADu, 0xFFFF0040u, 0x01000100u};
  std::vector<corvane::WorldPosition> p(n), q(n);
  for (std::size_t i = 0; i < n; ++i) {
    p[i] = {corvane::Guid{ids[i % 7]}, {f[i], f[(i + 3) % n], f[(i + 8) % n]}, {}};
    q[i] = {corvane::Guid{ids[(i + i / 7) % 7]}, {f[(i + 6) % n], f[(i + 1) % n], f[i]}, {}};
  }
  std::vector<corvane::WorldCoordinates> coords(n);
  std::vector<corvane::WorldPosition> rebucketed(n), normalized(n);
  std::vector<float> distances(n), headings(n);
  corvane::to_world_coords(p, coords);
  corvane::rebucket_outdoor_landblock(p, rebucketed);
  corvane::normalize_outdoor_cell(p, normalized);
  corvane::distance_to(p, q, distances);
  corvane::heading_to(p, q, headings);
  for (std::size_t i = 0; i < n; ++i) {
    const std::string id = std::to_string(i);
    if (const auto* outdoor = coords[i].outdoor()) {
      dump("batch_coords_lat" + id, outdoor->lat);
      dump("batch_coords_lon" + id, outdoor->lon);
      dump("batch_coords_alt" + id, outdoor->alt);
    } else {
      dump("batch_coords_indoor" + id, std::uint64_t{coords[i].indoor()->landblock});
    }
    dump("batch_rebucket_id" + id, std::uint64_t{rebucketed[i].landblock_id.raw});
    dump("batch_rebucket_x" + id, rebucketed[i].coords.x);
    dump("batch_rebucket_y" + id, rebucketed[i].coords.y);
    dump("batch_normalize_id" + id, std::uint64_t{normalized[i].landblock_id.raw});
    dump("batch_distance" + id, distances[i]);
    dump("batch_heading" + id, headings[i]);
  }
  for (const std::size_t precision : {0u, 1u, 2u}) {
    std::string text;
    corvane::append_map_text(text, coords, precision, '|');
    dump.text("batch_map_text" + std::to_string(precision), text);
  }
}

}  // namespace

void dump_batch(Dump& dump) {
  dump_batch_fingerprint(dump);
  dump_batch_geometry(dump);
  dump_batch_position(dump);
}

}  // namespace bitdump
