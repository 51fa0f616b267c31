// Guide example: the batch operations over spans. Each "// prints:" comment is
// checked against the output.
#include <cstdint>
#include <iostream>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "corvane/bake_fingerprint.hpp"
#include "corvane/math.hpp"
#include "corvane/position.hpp"

int main() {
  using corvane::FloatCanon;
  using corvane::Quaternion;

  // [fingerprints]
  // One call per array, the same bits as the single-value function per element.
  const std::vector<float> components = {0.7071068f, -0.0f, 1.2345679f, 192.0f};
  std::vector<std::uint32_t> words(components.size());
  corvane::fingerprint_f32_bits(components, FloatCanon::SixDp, words);
  std::cout << std::hex << std::uppercase << words[0] << ' ' << words[1] << '\n';  // prints: 3F3504F7 0

  // A fingerprint per object: all objects' words in one array, plus where each
  // object's words end. The chains run side by side.
  const std::vector<std::size_t> ends = {1, 4};  // object 0: words[0, 1), object 1: words[1, 4)
  std::vector<std::uint64_t> hashes(ends.size(), corvane::FNV1A_OFFSET_BASIS);
  corvane::fnv1a_fold_records(words, ends, hashes);
  const std::span<const std::uint32_t> object_1 = std::span(words).subspan(1);
  std::cout << (hashes[1] == corvane::fnv1a_fold(corvane::FNV1A_OFFSET_BASIS, object_1)) << '\n';  // prints: 1
  // [fingerprints]

  // [positions]
  const std::vector<corvane::WorldPosition> log = {
      {corvane::Guid{0xDA550000u}, {84.0f, 108.0f, 0.0f}, Quaternion::identity()},
      {corvane::Guid{0x00000100u}, {0.0f, 0.0f, 0.0f}, Quaternion::identity()},
  };
  std::vector<corvane::WorldCoordinates> coordinates(log.size());
  corvane::to_world_coords(log, coordinates);
  // Every text into one string, each followed by the separator; the string
  // grows once, and reusing it for the next batch allocates nothing.
  std::string text;
  corvane::append_map_text(text, coordinates, 1, '\n');
  std::cout << text;  // prints: 33.5S, 72.7E, 0.0Z
                      // prints: Indoors [0100]
  // Sizes that differ are refused before anything is written.
  try {
    corvane::to_world_coords(log, std::span(coordinates).first(1));
  } catch (const std::invalid_argument&) {
    std::cout << "sizes differ\n";  // prints: sizes differ
  }
  // [positions]

  // [quaternions]
  std::vector<Quaternion> rotations = {Quaternion::identity(), {0.0f, 0.0f, 0.0f, 2.0f}};
  corvane::normalize(rotations, rotations);  // in place: the output may be the input span
  std::cout << rotations[1].z << '\n';  // prints: 1
  // [quaternions]
}
