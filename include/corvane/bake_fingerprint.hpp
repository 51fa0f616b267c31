// Content fingerprints of baked world data: canonical 32-bit patterns of
// floats, folded word by word into a 64-bit FNV-1a hash.
//
// Stored fingerprints depend on every rule here (the byte order of the fold,
// the zero merge, the six-decimal rounding); changing any of them changes
// every fingerprint ever computed.
#pragma once

#include <cstdint>

#include "corvane/export.hpp"
#include "corvane/properties/enumeration.hpp"

namespace corvane {

/// How a float is canonicalised before it is folded into a fingerprint, stored
/// in one byte. It has the operations of every enumeration (from_repr, name,
/// members, operator<<); no default member is fixed.
///   SixDp     the value as it reads back after being written with exactly six
///             decimals (ties to even), then parsed to the nearest float.
///             Scenery quaternions use it so that tiny export noise does not
///             change the fingerprint.
///   Lossless  the value's own bits; only -0 is merged into +0.
#define CORVANE_ENUMERATION (FloatCanon, std::uint8_t, float_canon)
#include "corvane/properties/declare_vocabulary.inc"

/// The 64-bit FNV offset basis: the fingerprint of an empty sequence.
inline constexpr std::uint64_t FNV1A_OFFSET_BASIS = 0xcbf29ce484222325u;

/// The 64-bit FNV prime.
inline constexpr std::uint64_t FNV1A_PRIME = 0x100000001b3u;

/// The running hash `h` after folding the four bytes of `word`, least
/// significant byte first on every host (0x12345678 folds 0x78, 0x56, 0x34,
/// 0x12). Folding words from FNV1A_OFFSET_BASIS gives the standard 64-bit
/// FNV-1a hash of their little-endian bytes. Zero bytes still run the
/// multiplication, so folding the word 0 changes the hash.
constexpr std::uint64_t fnv1a_fold(std::uint64_t h, std::uint32_t word) noexcept {
  for (int shift = 0; shift < 32; shift += 8) {
    h ^= (word >> shift) & 0xFFu;
    h *= FNV1A_PRIME;  // wraps modulo 2^64 by definition of unsigned arithmetic
  }
  return h;
}

/// The canonical bit pattern of `v` under `canon`.
///
/// Both regimes first merge -0 into +0 (0x00000000).
/// - Lossless: the IEEE-754 bits of `v`; NaN payloads and signs are kept.
/// - SixDp: the bits of the float nearest to `v` rounded to six decimals
///   (exact value, ties to even). A positive value below 0.0000005 gives
///   0x00000000, a negative one above -0.0000005 gives 0x80000000 (-0, as
///   its text is "-0.000000"); values of magnitude 16 or more and the
///   infinities come back unchanged; every NaN gives 0x7FC00000.
///   Idempotent except through the zero merge: a tiny negative gives -0,
///   which a second pass turns into +0.
/// A `canon` outside the two members is treated as SixDp.
CORVANE_EXPORT std::uint32_t fingerprint_f32_bits(float v, FloatCanon canon) noexcept;

/// The SixDp pattern of `v`, for float values in wire form; always equal to
/// fingerprint_f32_bits(v, FloatCanon::SixDp).
CORVANE_EXPORT std::uint32_t wire_f32_bits(float v) noexcept;

}  // namespace corvane
