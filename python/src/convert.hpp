// Strict conversion of Python arguments into the library's value types: a
// value that would change on the way in is refused with an error that names
// the argument and says what to pass instead.
#pragma once

#include <pybind11/pybind11.h>

#include <cstdint>

#include "corvane/bake_fingerprint.hpp"
#include "corvane/guid.hpp"
#include "corvane/math.hpp"

namespace corvane::python {

namespace py = pybind11;

/// An integer in [0, max]: a Python int or anything with __index__ (numpy
/// integers). Floats, strings and out-of-range values raise.
std::uint64_t unsigned_arg(py::handle value, const char* name, std::uint64_t max);

inline std::uint32_t u32_arg(py::handle value, const char* name) {
  return static_cast<std::uint32_t>(unsigned_arg(value, name, 0xFFFF'FFFFu));
}

/// A real number as f32: Python floats and ints are rounded to the nearest
/// f32, as a C++ `float` parameter would be.
float f32_arg(py::handle value, const char* name);

/// A `Guid`, or an integer id in 0..0xFFFFFFFF.
Guid guid_arg(py::handle value, const char* name);

/// A `Vector3`, or a sequence of three real numbers.
Vector3 vector3_arg(py::handle value, const char* name);

/// A `Quaternion`, or a sequence (w, x, y, z) of four real numbers.
Quaternion quaternion_arg(py::handle value, const char* name);

/// A `FloatCanon` member (or its raw value); anything else raises.
FloatCanon float_canon_arg(py::handle value);

}  // namespace corvane::python
