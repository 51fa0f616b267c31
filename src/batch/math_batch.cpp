// The batch quaternion operations: size checks, the choice of vector path, and
// the scalar loop that finishes what the vector kernels leave (and does all
// of it on other CPUs).
#include "batch/math_batch.hpp"

#include <optional>
#include <stdexcept>

namespace corvane {
namespace detail {
namespace {

#if CORVANE_X86_64_KERNELS
// Empty for the portable path: everything goes through the scalar loop.
std::optional<QuaternionKernels> kernels_for(SimdPath path) noexcept {
  switch (path) {
    case SimdPath::Sse2:
      return quaternion_kernels_sse2();
    case SimdPath::Avx2:
      return quaternion_kernels_avx2();
    case SimdPath::Avx512:
      return quaternion_kernels_avx512();
    case SimdPath::Portable:
      break;
  }
  return std::nullopt;
}
#endif

}  // namespace

void multiply_batch(SimdPath path, std::span<const Quaternion> a, std::span<const Quaternion> b,
                    std::span<Quaternion> out) noexcept {
  std::size_t i = 0;
#if CORVANE_X86_64_KERNELS
  if (const auto k = kernels_for(path)) i = k->multiply(a.data(), b.data(), out.data(), a.size());
#else
  (void)path;
#endif
  for (; i < a.size(); ++i) out[i] = a[i].multiply(b[i]);
}

void rotate_vector_batch(SimdPath path, std::span<const Quaternion> q,
                         std::span<const Vector3> v, std::span<Vector3> out) noexcept {
  std::size_t i = 0;
#if CORVANE_X86_64_KERNELS
  if (const auto k = kernels_for(path)) {
    i = k->rotate_vector(q.data(), v.data(), out.data(), q.size());
  }
#else
  (void)path;
#endif
  for (; i < q.size(); ++i) out[i] = q[i].rotate_vector(v[i]);
}

void normalize_batch(SimdPath path, std::span<const Quaternion> in,
                     std::span<Quaternion> out) noexcept {
  std::size_t i = 0;
#if CORVANE_X86_64_KERNELS
  if (const auto k = kernels_for(path)) i = k->normalize(in.data(), out.data(), in.size());
#else
  (void)path;
#endif
  for (; i < in.size(); ++i) out[i] = in[i].normalize();
}

}  // namespace detail

void multiply(std::span<const Quaternion> a, std::span<const Quaternion> b,
              std::span<Quaternion> out) {
  if (a.size() != b.size() || a.size() != out.size()) {
    throw std::invalid_argument("corvane::multiply: the three spans differ in size");
  }
  detail::multiply_batch(detail::best_simd_path(), a, b, out);
}

void rotate_vector(std::span<const Quaternion> q, std::span<const Vector3> v,
                   std::span<Vector3> out) {
  if (q.size() != v.size() || q.size() != out.size()) {
    throw std::invalid_argument("corvane::rotate_vector: the three spans differ in size");
  }
  detail::rotate_vector_batch(detail::best_simd_path(), q, v, out);
}

void normalize(std::span<const Quaternion> in, std::span<Quaternion> out) {
  if (in.size() != out.size()) {
    throw std::invalid_argument("corvane::normalize: input and output sizes differ");
  }
  detail::normalize_batch(detail::best_simd_path(), in, out);
}

}  // namespace corvane
