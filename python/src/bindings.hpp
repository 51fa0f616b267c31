// The parts of the extension module, each adding its names to the module.
#pragma once

#include <pybind11/pybind11.h>

namespace corvane::python {

void bind_values(pybind11::module_& m);
void bind_vocabularies(pybind11::module_& m);
void bind_batch(pybind11::module_& m);

}  // namespace corvane::python
