// The batch operations against their single-value forms, on every vector path
// this CPU supports: one equality sweep per operation over varied inputs
// (random bit patterns, the special values, lengths that leave every tail
// size), plus the size checks.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cstdint>
#include <numeric>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "batch/fingerprint_batch.hpp"
#include "batch/fixed_words.hpp"
#include "batch/math_batch.hpp"
#include "batch/position_batch.hpp"
#include "batch/simd_path.hpp"
#include "crmath/cr_math.hpp"
#include "corvane/bake_fingerprint.hpp"
#include "corvane/math.hpp"
#include "corvane/position.hpp"
#include "fixed_words_check.hpp"

namespace {

using corvane::FloatCanon;
using corvane::Quaternion;
using corvane::Vector3;
using corvane::WorldCoordinates;
using corvane::WorldPosition;
using corvane::detail::SimdPath;

std::vector<SimdPath> supported_paths() {
  std::vector<SimdPath> paths;
  for (const SimdPath path : corvane::detail::kAllSimdPaths) {
    if (corvane::detail::simd_path_supported(path)) paths.push_back(path);
  }
  return paths;
}

// Random patterns of every class: uniform bits (mostly huge, tiny or NaN),
// and values below 16 in magnitude where SixDp does its rounding, with the
// specials and six-decimal ties mixed in.
std::vector<float> varied_floats(std::size_t n, std::uint32_t seed) {
  std::mt19937 rng(seed);
  const std::uint32_t specials[] = {0x00000000u, 0x80000000u, 0x7F800000u, 0xFF800000u,
                                    0x7FC00000u, 0xFFC00001u, 0x7F800001u, 0x00000001u,
                                    0x80000001u, 0x417FFFFFu, 0x41800000u, 0xC17FFFFFu,
                                    0x3F3504F4u, 0x3C000000u, 0xB3D6BF95u, 0x350637BDu};
  std::vector<float> values(n);
  for (std::size_t i = 0; i < n; ++i) {
    auto bits = static_cast<std::uint32_t>(rng());
    switch (bits % 4) {
      case 0:
        break;
      case 1:
        bits = (bits & 0x807FFFFFu) | ((0x60u + (bits >> 23) % 0x24u) << 23);  // 2^-31 .. 16
        break;
      case 2:
        bits = specials[(bits >> 8) % std::size(specials)];
        break;
      default:
        bits = std::bit_cast<std::uint32_t>(static_cast<float>(static_cast<int>(bits >> 8) % 2000) / 128.0f);
        break;
    }
    values[i] = std::bit_cast<float>(bits);
  }
  return values;
}

TEST(BatchFingerprint, EveryPathMatchesTheSingleValueFunctions) {
  const std::vector<float> values = varied_floats(1 << 16, 14);
  for (const SimdPath path : supported_paths()) {
    std::printf("vector path available: %s\n", corvane::detail::simd_path_name(path));
  }
  for (const SimdPath path : supported_paths()) {
    for (const FloatCanon canon : {FloatCanon::SixDp, FloatCanon::Lossless}) {
      // Every length up to 40 (all tails of every vector width), then all.
      std::vector<std::size_t> lengths(41);
      std::iota(lengths.begin(), lengths.end(), 0);
      lengths.push_back(values.size());
      for (const std::size_t n : lengths) {
        const std::span<const float> in(values.data(), n);
        std::vector<std::uint32_t> out(n);
        corvane::detail::fingerprint_batch(path, in, canon, out);
        for (std::size_t i = 0; i < n; ++i) {
          ASSERT_EQ(out[i], corvane::fingerprint_f32_bits(in[i], canon))
              << corvane::detail::simd_path_name(path) << " canon " << static_cast<int>(canon)
              << " n " << n << " input 0x" << std::hex << std::bit_cast<std::uint32_t>(in[i]);
        }
      }
    }
  }
  // The public overloads (best path) and wire_f32_bits.
  std::vector<std::uint32_t> six(values.size()), lossless(values.size()), wire(values.size());
  corvane::fingerprint_f32_bits(values, FloatCanon::SixDp, six);
  corvane::fingerprint_f32_bits(values, FloatCanon::Lossless, lossless);
  corvane::wire_f32_bits(values, wire);
  for (std::size_t i = 0; i < values.size(); ++i) {
    ASSERT_EQ(six[i], corvane::fingerprint_f32_bits(values[i], FloatCanon::SixDp));
    ASSERT_EQ(lossless[i], corvane::fingerprint_f32_bits(values[i], FloatCanon::Lossless));
    ASSERT_EQ(wire[i], corvane::wire_f32_bits(values[i]));
  }
}

TEST(BatchFingerprint, FoldsEqualTheWordByWordFold) {
  std::mt19937 rng(1408);
  std::vector<std::uint32_t> words(5000);
  for (auto& w : words) w = static_cast<std::uint32_t>(rng());

  EXPECT_EQ(corvane::fnv1a_fold(corvane::FNV1A_OFFSET_BASIS, std::span<const std::uint32_t>{}),
            corvane::FNV1A_OFFSET_BASIS);
  std::uint64_t one_by_one = 42;
  for (const std::uint32_t w : words) one_by_one = corvane::fnv1a_fold(one_by_one, w);
  EXPECT_EQ(corvane::fnv1a_fold(42, words), one_by_one);

  // Record layouts: equal lengths, empty records among others, one long
  // record among short ones, and record counts that leave partial groups.
  std::vector<std::vector<std::size_t>> layouts;
  for (const std::size_t count : {1u, 7u, 8u, 16u, 17u, 64u, 100u}) {
    std::vector<std::size_t> lengths(count);
    for (std::size_t r = 0; r < count; ++r) {
      const auto pick = static_cast<std::uint32_t>(rng() % 8);
      lengths[r] = pick == 0 ? 0 : pick == 1 ? rng() % 300 : 12 + rng() % 3;
    }
    layouts.push_back(lengths);
    layouts.push_back(std::vector<std::size_t>(count, 9));
  }
  for (const auto& lengths : layouts) {
    std::vector<std::size_t> ends;
    std::size_t total = 0;
    for (const std::size_t length : lengths) ends.push_back(total += length);
    ASSERT_LE(total, words.size());
    const std::span<const std::uint32_t> used(words.data(), total);
    std::vector<std::uint64_t> expected(lengths.size());
    for (std::size_t r = 0; r < lengths.size(); ++r) {
      std::uint64_t h = corvane::FNV1A_OFFSET_BASIS + r;  // each record its own start
      for (std::size_t i = r == 0 ? 0 : ends[r - 1]; i < ends[r]; ++i) {
        h = corvane::fnv1a_fold(h, words[i]);
      }
      expected[r] = h;
    }
    for (const SimdPath path : supported_paths()) {
      std::vector<std::uint64_t> hashes(lengths.size());
      for (std::size_t r = 0; r < hashes.size(); ++r) hashes[r] = corvane::FNV1A_OFFSET_BASIS + r;
      corvane::detail::fold_records(path, used, ends, hashes);
      ASSERT_EQ(hashes, expected) << corvane::detail::simd_path_name(path) << ", "
                                  << lengths.size() << " records";
    }
    std::vector<std::uint64_t> hashes(lengths.size());
    for (std::size_t r = 0; r < hashes.size(); ++r) hashes[r] = corvane::FNV1A_OFFSET_BASIS + r;
    corvane::fnv1a_fold_records(used, ends, hashes);
    ASSERT_EQ(hashes, expected);
  }
}

TEST(BatchFingerprint, BadSizesThrowBeforeWriting) {
  const std::vector<float> in(5, 1.5f);
  std::vector<std::uint32_t> out(4, 0xDEADBEEFu);
  EXPECT_THROW(corvane::fingerprint_f32_bits(in, FloatCanon::SixDp, out), std::invalid_argument);
  EXPECT_THROW(corvane::wire_f32_bits(in, out), std::invalid_argument);
  EXPECT_EQ(out, std::vector<std::uint32_t>(4, 0xDEADBEEFu));
  corvane::wire_f32_bits(std::span<const float>{}, std::span<std::uint32_t>{});  // empty: nothing

  const std::vector<std::uint32_t> words(10, 7u);
  std::vector<std::uint64_t> hashes(2, 1u);
  using Ends = std::vector<std::size_t>;
  for (const Ends& ends : {Ends{10}, Ends{6, 4}, Ends{4, 9}, Ends{4, 11}}) {
    EXPECT_THROW(corvane::fnv1a_fold_records(words, ends, hashes), std::invalid_argument);
  }
  EXPECT_THROW(corvane::fnv1a_fold_records(words, Ends{}, std::span<std::uint64_t>{}),
               std::invalid_argument);
  EXPECT_EQ(hashes, std::vector<std::uint64_t>(2, 1u));
  corvane::fnv1a_fold_records({}, Ends{}, std::span<std::uint64_t>{});
  corvane::fnv1a_fold_records(words, Ends{0, 10}, hashes);  // an empty record keeps its hash
  EXPECT_EQ(hashes[0], 1u);
  EXPECT_EQ(hashes[1], corvane::fnv1a_fold(1u, words));
}

// Bit-for-bit equality of every float component, except that two NaNs count
// as equal: where two NaN operands meet, x86 keeps the first one's payload,
// and the compiler may order the operands of the single-value operation
// either way (it treats float + and * as commutative), so that payload is not
// part of the contract.
template <class T>
bool same_bits(const T& a, const T& b) {
  static_assert(sizeof(T) % sizeof(float) == 0);
  std::array<float, sizeof(T) / sizeof(float)> fa, fb;
  std::memcpy(fa.data(), &a, sizeof(T));
  std::memcpy(fb.data(), &b, sizeof(T));
  for (std::size_t i = 0; i < fa.size(); ++i) {
    const bool both_nan = std::isnan(fa[i]) && std::isnan(fb[i]);
    if (!both_nan && std::bit_cast<std::uint32_t>(fa[i]) != std::bit_cast<std::uint32_t>(fb[i])) {
      return false;
    }
  }
  return true;
}

// Every length up to 40 (every tail of every vector width), then a long one.
std::vector<std::size_t> sweep_lengths(std::size_t longest) {
  std::vector<std::size_t> lengths(41);
  std::iota(lengths.begin(), lengths.end(), 0);
  lengths.push_back(longest);
  return lengths;
}

TEST(BatchQuaternion, EveryPathMatchesTheSingleValueOperations) {
  // Components from the varied floats: unit-sized values, huge and tiny ones,
  // zeros of both signs, infinities and NaNs with payloads.
  const std::vector<float> f = varied_floats(4 * 3000, 2101);
  const std::size_t n = 3000;
  std::vector<Quaternion> a(n), b(n);
  std::vector<Vector3> v(n);
  for (std::size_t i = 0; i < n; ++i) {
    a[i] = {f[4 * i], f[4 * i + 1], f[4 * i + 2], f[4 * i + 3]};
    b[i] = {f[(4 * i + 5) % f.size()], f[(4 * i + 9) % f.size()], f[(4 * i + 2) % f.size()],
            f[(4 * i + 7) % f.size()]};
    v[i] = {f[(3 * i + 11) % f.size()], f[(3 * i + 1) % f.size()], f[(3 * i + 6) % f.size()]};
    if (i % 3 == 0) a[i] = a[i].normalize();  // unit quaternions too
    if (i % 5 == 0) a[i] = Quaternion{};      // and the zero one
  }
  for (const SimdPath path : supported_paths()) {
    const char* name = corvane::detail::simd_path_name(path);
    for (const std::size_t len : sweep_lengths(n)) {
      std::vector<Quaternion> product(len), unit(len);
      std::vector<Vector3> rotated(len);
      corvane::detail::multiply_batch(path, {a.data(), len}, {b.data(), len}, product);
      corvane::detail::normalize_batch(path, {a.data(), len}, unit);
      corvane::detail::rotate_vector_batch(path, {a.data(), len}, {v.data(), len}, rotated);
      for (std::size_t i = 0; i < len; ++i) {
        ASSERT_TRUE(same_bits(product[i], a[i].multiply(b[i]))) << name << " multiply " << i;
        ASSERT_TRUE(same_bits(unit[i], a[i].normalize())) << name << " normalize " << i;
        ASSERT_TRUE(same_bits(rotated[i], a[i].rotate_vector(v[i]))) << name << " rotate " << i;
      }
    }
    // In place: the output is the span of an input.
    std::vector<Quaternion> in_place = a;
    corvane::detail::multiply_batch(path, in_place, b, in_place);
    corvane::detail::normalize_batch(path, in_place, in_place);
    std::vector<Vector3> v_in_place = v;
    corvane::detail::rotate_vector_batch(path, a, v_in_place, v_in_place);
    for (std::size_t i = 0; i < n; ++i) {
      ASSERT_TRUE(same_bits(in_place[i], a[i].multiply(b[i]).normalize())) << name << " " << i;
      ASSERT_TRUE(same_bits(v_in_place[i], a[i].rotate_vector(v[i]))) << name << " " << i;
    }
  }
  std::vector<Quaternion> product(n), unit(n);
  std::vector<Vector3> rotated(n);
  corvane::multiply(a, b, product);
  corvane::normalize(a, unit);
  corvane::rotate_vector(a, v, rotated);
  for (std::size_t i = 0; i < n; ++i) {
    ASSERT_TRUE(same_bits(product[i], a[i].multiply(b[i])));
    ASSERT_TRUE(same_bits(unit[i], a[i].normalize()));
    ASSERT_TRUE(same_bits(rotated[i], a[i].rotate_vector(v[i])));
  }

  const Quaternion marker{9.0f, 9.0f, 9.0f, 9.0f};
  std::vector<Quaternion> short_out(n - 1, marker);
  std::vector<Vector3> short_vectors(n - 1, Vector3{9.0f, 9.0f, 9.0f});
  EXPECT_THROW(corvane::multiply(a, b, short_out), std::invalid_argument);
  EXPECT_THROW(corvane::multiply(a, {b.data(), n - 1}, product), std::invalid_argument);
  EXPECT_THROW(corvane::normalize(a, short_out), std::invalid_argument);
  EXPECT_THROW(corvane::rotate_vector(a, v, short_vectors), std::invalid_argument);
  EXPECT_THROW(corvane::rotate_vector(a, short_vectors, rotated), std::invalid_argument);
  EXPECT_EQ(short_out, std::vector<Quaternion>(n - 1, marker));
  EXPECT_EQ(short_vectors, std::vector<Vector3>(n - 1, (Vector3{9.0f, 9.0f, 9.0f})));
}

bool same_coordinates(const WorldCoordinates& a, const WorldCoordinates& b) {
  if (a.is_indoors() != b.is_indoors()) return false;
  if (a.is_indoors()) return a.indoor()->landblock == b.indoor()->landblock;
  const auto bits = [](float f) { return std::bit_cast<std::uint32_t>(f); };
  return bits(a.outdoor()->lat) == bits(b.outdoor()->lat) &&
         bits(a.outdoor()->lon) == bits(b.outdoor()->lon) &&
         bits(a.outdoor()->alt) == bits(b.outdoor()->alt);
}

// Ids of every kind (outdoor cells, cell 0, indoor cells, id 0, the world's
// corners) and offsets from the varied floats or inside and around a landblock.
std::vector<WorldPosition> varied_positions(std::size_t n, std::uint32_t seed) {
  std::mt19937 rng(seed);
  const std::vector<float> f = varied_floats(3 * n, seed + 1);
  std::vector<WorldPosition> positions(n);
  for (std::size_t i = 0; i < n; ++i) {
    auto id = static_cast<std::uint32_t>(rng());
    switch (id % 5) {
      case 0:
        id &= 0xFFFF003Fu;  // outdoor
        break;
      case 1:
        id = (id & 0xFFFF01FFu) | 0x100u;  // indoor
        break;
      case 2:
        id = (id % 3 == 0) ? 0u : (id & 0x01010000u) * 0xFFu;  // id 0, corners
        break;
      default:
        break;
    }
    Vector3 offset{f[3 * i], f[3 * i + 1], f[3 * i + 2]};
    if (rng() % 2 == 0) {
      offset = {static_cast<float>(static_cast<int>(rng() % 8000) - 2000) / 10.0f,
                static_cast<float>(static_cast<int>(rng() % 8000) - 2000) / 10.0f, offset.z};
    }
    positions[i] = {corvane::Guid{id}, offset, Quaternion::identity()};
  }
  return positions;
}

TEST(BatchPosition, EveryPathMatchesTheSingleValueOperations) {
  const std::size_t n = 3000;
  const std::vector<WorldPosition> p = varied_positions(n, 3303);
  const std::vector<WorldPosition> q = varied_positions(n, 3304);
  for (const SimdPath path : supported_paths()) {
    for (const std::size_t len : sweep_lengths(n)) {
      std::vector<WorldCoordinates> coords(len);
      corvane::detail::to_world_coords_batch(path, {p.data(), len}, coords);
      for (std::size_t i = 0; i < len; ++i) {
        ASSERT_TRUE(same_coordinates(coords[i], p[i].to_world_coords()))
            << corvane::detail::simd_path_name(path) << " " << i << " of " << len;
      }
    }
  }
  std::vector<WorldCoordinates> coords(n);
  corvane::to_world_coords(p, coords);
  std::vector<WorldPosition> rebucketed(n), normalized = p;
  corvane::rebucket_outdoor_landblock(p, rebucketed);
  corvane::normalize_outdoor_cell(normalized, normalized);  // in place
  std::vector<float> distances(n), headings(n);
  corvane::distance_to(p, q, distances);
  corvane::heading_to(p, q, headings);
  for (std::size_t i = 0; i < n; ++i) {
    ASSERT_TRUE(same_coordinates(coords[i], p[i].to_world_coords())) << i;
    ASSERT_TRUE(same_bits(rebucketed[i], p[i].rebucket_outdoor_landblock())) << i;
    ASSERT_TRUE(same_bits(normalized[i], p[i].normalize_outdoor_cell())) << i;
    ASSERT_TRUE(same_bits(distances[i], p[i].distance_to(q[i]))) << i;
    ASSERT_TRUE(same_bits(headings[i], p[i].heading_to(q[i]))) << i;
  }

  // The map text of all of them equals the single texts laid end to end.
  for (const std::size_t precision : {0u, 1u, 2u, 3u, 9u}) {
    std::string expected = "prefix|";
    for (const WorldCoordinates& c : coords) expected += c.to_string_with_precision(precision) + ';';
    std::string text = "prefix|";
    corvane::append_map_text(text, coords, precision, ';');
    ASSERT_EQ(text, expected) << "precision " << precision;
  }

  std::vector<WorldCoordinates> short_coords(n - 1);
  std::vector<float> short_floats(n - 1, 9.0f);
  std::vector<WorldPosition> short_positions(n - 1);
  EXPECT_THROW(corvane::to_world_coords(p, short_coords), std::invalid_argument);
  EXPECT_THROW(corvane::rebucket_outdoor_landblock(p, short_positions), std::invalid_argument);
  EXPECT_THROW(corvane::normalize_outdoor_cell(p, short_positions), std::invalid_argument);
  EXPECT_THROW(corvane::distance_to(p, q, short_floats), std::invalid_argument);
  EXPECT_THROW(corvane::heading_to(p, {q.data(), n - 1}, distances), std::invalid_argument);
  EXPECT_EQ(short_floats, std::vector<float>(n - 1, 9.0f));
  EXPECT_EQ(short_positions, std::vector<WorldPosition>(n - 1));

  std::string text = "kept";
  EXPECT_THROW(corvane::append_map_text(text, coords, std::string().max_size() / 2, '\n'),
               std::length_error);
  EXPECT_EQ(text, "kept");
}

// The column forms give, element by element, the single-value operations on
// the positions the columns describe, on every path and every tail length.
// The digits of the batch map text: every path's words give the scalar
// writer's text, at every precision they serve, over patterns spread through
// all of them (tests/exhaustive/fixed_words_exhaustive.cpp takes every one).
TEST(BatchMapText, WordsMatchTheScalarWriter) {
  for (const SimdPath path : supported_paths()) {
    for (std::size_t precision = 0; precision <= corvane::detail::kMaxFixedWordPrecision; ++precision) {
      const auto kernel = corvane::detail::fixed_words_kernel(path, precision);
      if (kernel == nullptr) continue;
      SCOPED_TRACE(corvane::detail::simd_path_name(path));
      EXPECT_EQ(corvane_test::fixed_word_mismatches(kernel, precision, 0, 16411, (1ull << 32) / 16411 + 1), 0u)
          << "precision " << precision;
    }
  }
}

TEST(BatchPosition, ColumnsMatchTheSingleValueOperations) {
  const std::size_t n = 1000;
  const std::vector<WorldPosition> p = varied_positions(n, 3305);
  std::vector<std::uint32_t> ids(n);
  std::vector<float> xyz(3 * n);
  for (std::size_t i = 0; i < n; ++i) {
    ids[i] = p[i].landblock_id.raw;
    xyz[3 * i] = p[i].coords.x, xyz[3 * i + 1] = p[i].coords.y, xyz[3 * i + 2] = p[i].coords.z;
  }
  const auto row = [&](std::size_t i) {
    return WorldPosition{p[i].landblock_id, p[i].coords, Quaternion{}};
  };
  std::vector<float> lat(n), lon(n), alt(n);
  std::vector<std::uint8_t> indoor(n);
  std::vector<std::uint16_t> cell(n);
  for (const SimdPath path : supported_paths()) {
    for (const std::size_t len : sweep_lengths(n)) {
      corvane::detail::to_world_coords_batch(
          path, {ids.data(), len}, {xyz.data(), 3 * len},
          {{lat.data(), len}, {lon.data(), len}, {alt.data(), len}, {indoor.data(), len},
           {cell.data(), len}});
      for (std::size_t i = 0; i < len; ++i) {
        const WorldCoordinates expected = row(i).to_world_coords();
        const WorldCoordinates got =
            indoor[i] != 0 ? WorldCoordinates{WorldCoordinates::Indoor{cell[i]}}
                           : WorldCoordinates{WorldCoordinates::Outdoor{lat[i], lon[i], alt[i]}};
        ASSERT_TRUE(same_coordinates(got, expected))
            << corvane::detail::simd_path_name(path) << " " << i << " of " << len;
        if (indoor[i] != 0) {
          for (const float v : {lat[i], lon[i], alt[i]}) {
            ASSERT_EQ(std::bit_cast<std::uint32_t>(v), corvane::detail::kCanonicalNanBits);
          }
        } else {
          ASSERT_EQ(cell[i], 0);
        }
      }
    }
  }

  for (const std::size_t precision : {0u, 1u, 2u, 7u}) {
    std::string text = "prefix|";
    std::vector<std::size_t> ends(n);
    corvane::append_map_text(text, ids, xyz, precision, ends);
    std::size_t start = 7;
    for (std::size_t i = 0; i < n; ++i) {
      ASSERT_EQ(text.substr(start, ends[i] - start),
                row(i).to_world_coords().to_string_with_precision(precision))
          << "precision " << precision << ", " << i;
      start = ends[i];
    }
    ASSERT_EQ(start, text.size());
  }

  std::vector<std::uint32_t> ids_out(n);
  std::vector<float> xyz_out(3 * n);
  std::vector<std::uint32_t> ids_in_place = ids;
  std::vector<float> xyz_in_place = xyz;
  corvane::rebucket_outdoor_landblock(ids, xyz, ids_out, xyz_out);
  corvane::normalize_outdoor_cell(ids_in_place, xyz_in_place, ids_in_place, xyz_in_place);
  for (std::size_t i = 0; i < n; ++i) {
    const WorldPosition r = row(i).rebucket_outdoor_landblock();
    const WorldPosition c = row(i).normalize_outdoor_cell();
    ASSERT_TRUE(same_bits(WorldPosition{corvane::Guid{ids_out[i]},
                                        {xyz_out[3 * i], xyz_out[3 * i + 1], xyz_out[3 * i + 2]}, {}},
                          r)) << i;
    ASSERT_TRUE(same_bits(WorldPosition{corvane::Guid{ids_in_place[i]},
                                        {xyz_in_place[3 * i], xyz_in_place[3 * i + 1],
                                         xyz_in_place[3 * i + 2]}, {}},
                          c)) << i;
  }

  // Columns of different lengths are refused before anything is written.
  std::vector<float> untouched(n, 9.0f);
  const corvane::MapCoordinateColumns short_out{
      {untouched.data(), n}, {lon.data(), n}, {alt.data(), n - 1}, {indoor.data(), n}, {cell.data(), n}};
  EXPECT_THROW(corvane::to_world_coords(ids, xyz, short_out), std::invalid_argument);
  EXPECT_THROW(corvane::to_world_coords(ids, {xyz.data(), 3 * n - 1},
                                        {{lat.data(), n}, {lon.data(), n}, {alt.data(), n},
                                         {indoor.data(), n}, {cell.data(), n}}),
               std::invalid_argument);
  EXPECT_THROW(corvane::rebucket_outdoor_landblock(ids, xyz, {ids_out.data(), n - 1}, xyz_out),
               std::invalid_argument);
  EXPECT_EQ(untouched, std::vector<float>(n, 9.0f));
  std::string text = "kept";
  std::vector<std::size_t> ends(n);
  EXPECT_THROW(corvane::append_map_text(text, ids, xyz, std::string().max_size() / 2, ends),
               std::length_error);
  EXPECT_EQ(text, "kept");
}

}  // namespace
