#include <pybind11/pybind11.h>

#include "bindings.hpp"

PYBIND11_MODULE(_corvane, m) {
  m.doc() =
      "The compiled part of the corvane package: the corvane_common library's value types, "
      "operations, vocabulary tables and batch operations. Import `corvane`, not this module.";
  corvane::python::bind_values(m);
  corvane::python::bind_vocabularies(m);
  corvane::python::bind_batch(m);
}
