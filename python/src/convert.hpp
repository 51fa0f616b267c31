// Strict conversion of Python arguments into the library's value types: a
// value that would change on the way in is refused with an error that names
// the argument and says what to pass instead.
#pragma once

#include <pybind11/pybind11.h>

#include <cstddef>
#include <cstdint>

#include "corvane/bake_fingerprint.hpp"
#include "corvane/guid.hpp"
#include "corvane/math.hpp"
#include "corvane/position.hpp"

namespace corvane::python {

namespace py = pybind11;

// Arguments that the module checks itself (see below), typed so that the
// signatures in help() and the generated stub say what to pass. Each takes any
// object; its type name is given under pybind11::detail below.
inline int any_object(PyObject*) { return 1; }
#define CORVANE_PYTHON_ARGUMENT(Name)                    \
  class Name : public py::object {                       \
   public:                                               \
    PYBIND11_OBJECT_DEFAULT(Name, py::object, any_object) \
  }
CORVANE_PYTHON_ARGUMENT(RealArg);      // float
CORVANE_PYTHON_ARGUMENT(IntArg);       // int
CORVANE_PYTHON_ARGUMENT(IdArg);        // Guid | int
CORVANE_PYTHON_ARGUMENT(VectorArg);    // Vector3 | Sequence[float]
CORVANE_PYTHON_ARGUMENT(QuaternionArg);// Quaternion | Sequence[float]
CORVANE_PYTHON_ARGUMENT(ArrayArg);     // numpy.typing.ArrayLike
CORVANE_PYTHON_ARGUMENT(Float32ArrayArg);
CORVANE_PYTHON_ARGUMENT(VocabularyArg);// type
CORVANE_PYTHON_ARGUMENT(MatrixArg);    // nine floats
CORVANE_PYTHON_ARGUMENT(RotationArg);  // a quaternion or None
CORVANE_PYTHON_ARGUMENT(AlternativeArg);  // WorldCoordinates.Indoor or .Outdoor
// Results whose Python type depends on the argument, or a container.
CORVANE_PYTHON_ARGUMENT(WordsResult);  // int | NDArray[numpy.uint32]
CORVANE_PYTHON_ARGUMENT(HashesResult); // NDArray[numpy.uint64]
CORVANE_PYTHON_ARGUMENT(PositionsResult);  // (ids, xyz)
CORVANE_PYTHON_ARGUMENT(TextsResult);  // list[str]
CORVANE_PYTHON_ARGUMENT(TextBufferResult);  // (text bytes, ends)
CORVANE_PYTHON_ARGUMENT(NamesResult);  // list[str | None]
CORVANE_PYTHON_ARGUMENT(CoordsResult); // WorldCoordsArrays
CORVANE_PYTHON_ARGUMENT(MatrixResult);
CORVANE_PYTHON_ARGUMENT(FloatsIterator);
CORVANE_PYTHON_ARGUMENT(MemberArg);    // a vocabulary member, or None as a result
CORVANE_PYTHON_ARGUMENT(CanonArg);
CORVANE_PYTHON_ARGUMENT(HashesArg);    // a start hash or one per record
// A member of the vocabulary type whose method is called.
CORVANE_PYTHON_ARGUMENT(SelfArg);
CORVANE_PYTHON_ARGUMENT(NamedFlagsResult);  // list[tuple[str, Self]]
#undef CORVANE_PYTHON_ARGUMENT

/// Largest number of digits after the point that map texts are written with,
/// the library's limit for every surface.
inline constexpr std::size_t kMaxPrecision = MAX_MAP_TEXT_PRECISION;

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

/// A precision for map text: 0 to kMaxPrecision.
std::size_t precision_arg(py::handle value);

}  // namespace corvane::python

namespace pybind11::detail {
#define CORVANE_PYTHON_ARGUMENT_NAME(Name, text) \
  template <>                                    \
  struct handle_type_name<corvane::python::Name> { static constexpr auto name = const_name(text); }
CORVANE_PYTHON_ARGUMENT_NAME(RealArg, "float");
CORVANE_PYTHON_ARGUMENT_NAME(IntArg, "int");
CORVANE_PYTHON_ARGUMENT_NAME(IdArg, "Guid | int");
CORVANE_PYTHON_ARGUMENT_NAME(VectorArg, "Vector3 | Sequence[float]");
CORVANE_PYTHON_ARGUMENT_NAME(QuaternionArg, "Quaternion | Sequence[float]");
CORVANE_PYTHON_ARGUMENT_NAME(ArrayArg, "ArrayLike");
CORVANE_PYTHON_ARGUMENT_NAME(Float32ArrayArg, "NDArray[numpy.float32]");
CORVANE_PYTHON_ARGUMENT_NAME(VocabularyArg, "type");
CORVANE_PYTHON_ARGUMENT_NAME(MatrixArg, "Sequence[float]");
CORVANE_PYTHON_ARGUMENT_NAME(RotationArg, "Quaternion | Sequence[float] | None");
CORVANE_PYTHON_ARGUMENT_NAME(AlternativeArg, "WorldCoordinates.Indoor | WorldCoordinates.Outdoor");
CORVANE_PYTHON_ARGUMENT_NAME(WordsResult, "int | NDArray[numpy.uint32]");
CORVANE_PYTHON_ARGUMENT_NAME(HashesResult, "NDArray[numpy.uint64]");
CORVANE_PYTHON_ARGUMENT_NAME(PositionsResult, "tuple[NDArray[numpy.uint32], NDArray[numpy.float32]]");
CORVANE_PYTHON_ARGUMENT_NAME(TextsResult, "list[str]");
CORVANE_PYTHON_ARGUMENT_NAME(TextBufferResult, "tuple[NDArray[numpy.uint8], NDArray[numpy.uint64]]");
CORVANE_PYTHON_ARGUMENT_NAME(NamesResult, "list[str | None]");
CORVANE_PYTHON_ARGUMENT_NAME(CoordsResult, "WorldCoordsArrays");
CORVANE_PYTHON_ARGUMENT_NAME(MatrixResult, "tuple[float, float, float, float, float, float, float, float, float]");
CORVANE_PYTHON_ARGUMENT_NAME(FloatsIterator, "Iterator[float]");
CORVANE_PYTHON_ARGUMENT_NAME(MemberArg, "Any");
CORVANE_PYTHON_ARGUMENT_NAME(CanonArg, "FloatCanon");
CORVANE_PYTHON_ARGUMENT_NAME(HashesArg, "int | NDArray[numpy.uint64]");
CORVANE_PYTHON_ARGUMENT_NAME(SelfArg, "Self");
CORVANE_PYTHON_ARGUMENT_NAME(NamedFlagsResult, "list[tuple[str, Self]]");
#undef CORVANE_PYTHON_ARGUMENT_NAME
}  // namespace pybind11::detail
