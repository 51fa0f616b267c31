// Content fingerprints of baked world data: canonical 32-bit patterns of
// floats, folded word by word into a 64-bit FNV-1a hash.
//
// Stored fingerprints depend on every rule here (the byte order of the fold,
// the zero merge, the six-decimal rounding); changing any of them changes
// every fingerprint ever computed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

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

// ---- Many values at once ------------------------------------------------------
//
// Each batch overload gives, bit for bit, what the single-value function gives
// for each element in order; the loop runs in the library, on the widest
// vector unit the CPU has. Output spans are the caller's; sizes that differ
// throw std::invalid_argument before anything is written; empty spans do
// nothing. No overload allocates.

/// out[i] = fingerprint_f32_bits(in[i], canon). `in` and `out` must not
/// overlap. Throws std::invalid_argument when the sizes differ.
CORVANE_EXPORT void fingerprint_f32_bits(std::span<const float> in, FloatCanon canon,
                                         std::span<std::uint32_t> out);

/// out[i] = wire_f32_bits(in[i]). `in` and `out` must not overlap. Throws
/// std::invalid_argument when the sizes differ.
CORVANE_EXPORT void wire_f32_bits(std::span<const float> in, std::span<std::uint32_t> out);

/// `h` after folding every word of `words` in order: the same as calling
/// fnv1a_fold(h, word) word by word. One hash is a chain of dependent
/// multiplications, so this runs at the multiplier's latency; to fingerprint
/// many objects, fold them side by side with fnv1a_fold_records.
CORVANE_EXPORT std::uint64_t fnv1a_fold(std::uint64_t h,
                                        std::span<const std::uint32_t> words) noexcept;

/// Folds many independent records at once. Record i is the words from
/// record_ends[i - 1] (0 for the first) up to record_ends[i]; it is folded into
/// hashes[i], which holds its running hash (FNV1A_OFFSET_BASIS to start a new
/// fingerprint): hashes[i] = fnv1a_fold(hashes[i], words of record i). Several
/// chains run side by side, which approaches the multiplier's throughput
/// rather than its latency; records of similar length pair best.
///
/// Throws std::invalid_argument, before writing, when record_ends and hashes
/// differ in size, when the ends decrease, or when the last end is not
/// words.size() (every word belongs to exactly one record).
CORVANE_EXPORT void fnv1a_fold_records(std::span<const std::uint32_t> words,
                                       std::span<const std::size_t> record_ends,
                                       std::span<std::uint64_t> hashes);

}  // namespace corvane
