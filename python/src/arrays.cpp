#include "arrays.hpp"

#include <limits>
#include <type_traits>

namespace corvane::python {

namespace {

std::string shape_text(const py::array& a) {
  std::string s = "(";
  for (py::ssize_t i = 0; i < a.ndim(); ++i) {
    if (i > 0) s += ", ";
    s += std::to_string(a.shape(i));
  }
  if (a.ndim() == 1) s += ",";
  return s + ")";
}

}  // namespace

py::array as_array(py::handle value) {
  if (py::isinstance<py::array>(value)) return py::reinterpret_borrow<py::array>(value);
  return py::module_::import("numpy").attr("asarray")(value);
}

py::array contiguous(py::array a, const char* name, const char* fix) {
  if (!a.dtype().attr("isnative").cast<bool>()) {
    throw py::type_error(std::string(name) + " is not in native byte order; pass " + fix);
  }
  // Arrays unpickled from another process (Dask, multiprocessing) may start at
  // any byte: reading one through a typed pointer would be undefined.
  if (!(a.flags() & py::array::c_style) || !a.attr("flags").attr("aligned").cast<bool>()) {
    a = py::module_::import("numpy").attr("require")(a, py::none(), "CA");
  }
  return a;
}

Float32Array float32_arg(py::handle value, const char* name) {
  py::array a = as_array(value);
  if (a.dtype().kind() != 'f' || a.dtype().itemsize() != 4) {
    throw py::type_error(std::string(name) + " must be a float32 array, not " +
                         text_of(a.dtype()) + "; converting to float32 may round, so "
                         "do it explicitly with " + name + ".astype(np.float32)");
  }
  a = contiguous(a, name, ".astype(np.float32)");
  return {a, std::span<const float>(static_cast<const float*>(a.data()),
                                    static_cast<std::size_t>(a.size()))};
}

U32Array u32_array_arg(py::handle value, const char* name, std::ptrdiff_t ndim) {
  py::array a = as_array(value);
  if (a.ndim() != ndim) {
    throw py::value_error(std::string(name) + " must have " + std::to_string(ndim) +
                          (ndim == 1 ? " dimension" : " dimensions") + ", not shape " +
                          shape_text(a));
  }
  const std::string fix = "; pass integers in 0..0xFFFFFFFF, for example " + std::string(name) +
                          ".astype(np.uint32) after checking the range";
  if (a.dtype().kind() != 'u' && a.dtype().kind() != 'i') {
    throw py::type_error(std::string(name) + " must be a uint32 array, not " +
                         text_of(a.dtype()) + fix);
  }
  a = contiguous(a, name, ".astype(np.uint32)");
  U32Array out;
  out.array = a;
  if (a.dtype().kind() == 'u' && a.dtype().itemsize() == 4) {
    out.values = std::span<const std::uint32_t>(static_cast<const std::uint32_t*>(a.data()),
                                                static_cast<std::size_t>(a.size()));
    return out;
  }
  visit_integers(a, name, fix.c_str(), [&]<class T>(const T* data, std::size_t n) {
    out.copy.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
      const T v = data[i];
      bool in_range = true;
      if constexpr (std::is_signed_v<T>) in_range = v >= 0;
      if constexpr (sizeof(T) > 4) {
        in_range = in_range && static_cast<std::uint64_t>(v) <= 0xFFFF'FFFFu;
      }
      if (!in_range) {
        throw py::value_error(std::string(name) + "[" + std::to_string(i) + "] is " +
                              std::to_string(v) + ", outside 0..0xFFFFFFFF (4294967295)");
      }
      out.copy[i] = static_cast<std::uint32_t>(v);
    }
  });
  out.values = out.copy;
  return out;
}

Float32Array xyz_arg(py::handle value, std::size_t n) {
  Float32Array xyz = float32_arg(value, "xyz");
  const py::array& a = xyz.array;
  if (a.ndim() != 2 || a.shape(1) != 3 || static_cast<std::size_t>(a.shape(0)) != n) {
    throw py::value_error("xyz must have shape (" + std::to_string(n) +
                          ", 3), one row (x, y, z) per id, not " + shape_text(a));
  }
  return xyz;
}

}  // namespace corvane::python
