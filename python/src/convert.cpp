#include "arrays.hpp"
#include "convert.hpp"

#include <cmath>
#include <optional>
#include <string>

namespace corvane::python {

namespace {

std::string type_name_of(py::handle value) {
  return py::str(py::type::handle_of(value).attr("__name__"));
}

}  // namespace

std::uint64_t unsigned_arg(py::handle value, const char* name, std::uint64_t max) {
  // bool is an int in Python, but passing True as an id is a mistake.
  if (PyBool_Check(value.ptr()) || !PyIndex_Check(value.ptr())) {
    throw py::type_error(std::string(name) + " must be an integer, not " + type_name_of(value));
  }
  const py::int_ number = py::reinterpret_steal<py::int_>(PyNumber_Index(value.ptr()));
  if (!number) throw py::error_already_set();
  int overflow = 0;
  const long long as_signed = PyLong_AsLongLongAndOverflow(number.ptr(), &overflow);
  if (overflow < 0 || (overflow == 0 && as_signed < 0)) {
    throw py::value_error(std::string(name) + " must not be negative, got " +
                          py::repr(number).cast<std::string>());
  }
  const unsigned long long as_unsigned =
      overflow == 0 ? static_cast<unsigned long long>(as_signed)
                    : PyLong_AsUnsignedLongLong(number.ptr());
  if (PyErr_Occurred() || as_unsigned > max) {
    PyErr_Clear();
    throw py::value_error(std::string(name) + " must be at most " + std::to_string(max) +
                          ", got " + py::repr(number).cast<std::string>());
  }
  return as_unsigned;
}

float f32_arg(py::handle value, const char* name) {
  if (PyBool_Check(value.ptr()) ||
      !(PyFloat_Check(value.ptr()) || PyLong_Check(value.ptr()) ||
        py::hasattr(value, "__float__"))) {
    throw py::type_error(std::string(name) + " must be a real number, not " +
                         type_name_of(value));
  }
  const double d = PyFloat_AsDouble(value.ptr());
  if (d == -1.0 && PyErr_Occurred()) throw py::error_already_set();
  // A finite number that would round to infinity is refused, as the tool
  // refuses it: from 2^128 - 2^103 up, the nearest float is infinity.
  // Infinities and NaN pass, since every operation defines its result for them.
  if (std::isfinite(d) && std::fabs(d) >= 0x1.ffffffp+127) {
    throw py::value_error(std::string(name) + " is too large for a float32, got " +
                          py::repr(value).cast<std::string>());
  }
  return static_cast<float>(d);
}

std::size_t precision_arg(py::handle value) {
  return static_cast<std::size_t>(unsigned_arg(value, "precision", kMaxPrecision));
}

Guid guid_arg(py::handle value, const char* name) {
  if (py::isinstance<Guid>(value)) return value.cast<Guid>();
  return Guid{u32_arg(value, name)};
}

namespace {

template <std::size_t N>
std::array<float, N> floats_arg(py::handle value, const char* name, const char* what) {
  const bool sequence = PySequence_Check(value.ptr()) && !PyUnicode_Check(value.ptr());
  const Py_ssize_t size = sequence ? PySequence_Size(value.ptr()) : -1;
  if (size != static_cast<Py_ssize_t>(N)) {
    PyErr_Clear();
    throw py::type_error(std::string(name) + " must be a " + what + " or a sequence of " +
                         std::to_string(N) + " numbers, not " + type_name_of(value) +
                         (sequence ? " of length " + std::to_string(size) : std::string()));
  }
  std::array<float, N> out{};
  const py::sequence seq = py::reinterpret_borrow<py::sequence>(value);
  for (std::size_t i = 0; i < N; ++i) {
    const std::string element = std::string(name) + "[" + std::to_string(i) + "]";
    out[i] = f32_arg(seq[i], element.c_str());
  }
  return out;
}

}  // namespace

Vector3 vector3_arg(py::handle value, const char* name) {
  if (py::isinstance<Vector3>(value)) return value.cast<Vector3>();
  const auto v = floats_arg<3>(value, name, "Vector3");
  return Vector3{v[0], v[1], v[2]};
}

Quaternion quaternion_arg(py::handle value, const char* name) {
  if (py::isinstance<Quaternion>(value)) return value.cast<Quaternion>();
  const auto q = floats_arg<4>(value, name, "Quaternion");
  return Quaternion{q[0], q[1], q[2], q[3]};
}

FloatCanon float_canon_arg(py::handle value) {
  const auto raw = static_cast<std::uint8_t>(unsigned_arg(value, "canon", 0xFF));
  const std::optional<FloatCanon> canon = from_repr<FloatCanon>(raw);
  if (!canon) throw py::value_error("canon must be FloatCanon.SixDp or FloatCanon.Lossless");
  return *canon;
}

}  // namespace corvane::python
