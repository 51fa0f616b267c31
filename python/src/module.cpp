#include <pybind11/pybind11.h>

#include "bindings.hpp"
#include "corvane/version.hpp"

PYBIND11_MODULE(_corvane, m) {
  m.doc() = R"(The corvane_common library from Python: the same answers as the game client.

Value types (Guid, Vector3, Quaternion, Plane, Triangle, WorldPosition,
WorldCoordinates) carry the C++ names, fields and operations; repr() is the
library's debug text and str() its text form; optional results are None.
Arguments are single precision: Python floats are rounded to the nearest
float32, as a C++ float parameter would be, and a finite number too large for
a float32 raises ValueError.

The vocabularies are enum.IntEnum (enumerations) and enum.IntFlag (flag sets)
types built at import from the library's own tables. Member names are letter
for letter, so a member that is a Python keyword is reached by subscription:
SpellType["None"]. A flag-set value is a 32-bit mask.

The vectorised functions take numpy arrays: ids of shape (N,) holding integers
in 0..0xFFFFFFFF (uint32, or another integer dtype whose values fit), xyz
float32 of shape (N, 3), values float32 of any shape. A conversion that could
change a value is never made silently: the wrong dtype, shape or an id out of
range raises TypeError or ValueError naming the argument. They release the GIL
while they run.)";
  m.attr("__version__") = corvane::version_string;
  corvane::python::bind_values(m);
  corvane::python::bind_vocabularies(m);
  corvane::python::bind_batch(m);

  pybind11::list names;
  for (const auto& item : m.attr("__dict__").cast<pybind11::dict>()) {
    const auto name = item.first.cast<std::string>();
    if (!name.empty() && name.front() != '_') names.append(name);
  }
  names.attr("sort")();
  m.attr("__all__") = names;
}
