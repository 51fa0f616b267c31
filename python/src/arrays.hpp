// Validation of numpy array arguments. Nothing is converted in a way that
// could change a value: a float64 array where float32 is required, a
// non-integer id, an id outside 0..0xFFFFFFFF or a wrong shape raise an error
// naming the argument and the fix. Copies are made only to gather a strided
// array into contiguous memory or to narrow integers whose range was checked.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace corvane::python {

namespace py = pybind11;

/// str() of a Python object.
inline std::string text_of(py::handle h) { return py::str(h).cast<std::string>(); }

/// Any array-like as a numpy array, without changing its dtype.
py::array as_array(py::handle value);

/// A float32 array of any shape, C-contiguous and aligned (see contiguous).
struct Float32Array {
  py::array array;
  std::span<const float> values;
};
Float32Array float32_arg(py::handle value, const char* name);

/// A one-dimensional array of 32-bit unsigned words. uint32 is taken as it
/// is; other integer dtypes are accepted when every value lies in
/// 0..0xFFFFFFFF and copied; anything else raises.
struct U32Array {
  py::array array;                   // keeps a uint32 input alive
  std::vector<std::uint32_t> copy;   // holds checked values from other dtypes
  std::span<const std::uint32_t> values;
};
U32Array u32_array_arg(py::handle value, const char* name, std::ptrdiff_t ndim = 1);

/// `xyz`: a float32 array of shape (n, 3).
Float32Array xyz_arg(py::handle value, std::size_t n);

/// Calls `f(const T* data, std::size_t n)` with the integer elements of a
/// contiguous array; raises TypeError naming `name` for a non-integer dtype.
template <class F>
void visit_integers(const py::array& a, const char* name, const char* fix, F&& f) {
  const py::dtype dt = a.dtype();
  const char kind = dt.kind();
  const auto n = static_cast<std::size_t>(a.size());
  const void* data = a.data();
  if (kind == 'u') {
    switch (dt.itemsize()) {
      case 1: return f(static_cast<const std::uint8_t*>(data), n);
      case 2: return f(static_cast<const std::uint16_t*>(data), n);
      case 4: return f(static_cast<const std::uint32_t*>(data), n);
      case 8: return f(static_cast<const std::uint64_t*>(data), n);
      default: break;
    }
  } else if (kind == 'i') {
    switch (dt.itemsize()) {
      case 1: return f(static_cast<const std::int8_t*>(data), n);
      case 2: return f(static_cast<const std::int16_t*>(data), n);
      case 4: return f(static_cast<const std::int32_t*>(data), n);
      case 8: return f(static_cast<const std::int64_t*>(data), n);
      default: break;
    }
  }
  throw py::type_error(std::string(name) + " must hold integers, not " +
                       text_of(dt) + fix);
}

/// A C-contiguous, aligned array in native byte order (gathered into a copy
/// when strided or misaligned; raises for another byte order).
py::array contiguous(py::array a, const char* name, const char* fix);

}  // namespace corvane::python
