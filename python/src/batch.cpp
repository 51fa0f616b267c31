// Vectorised functions over numpy arrays. Each validates its arrays (see
// arrays.hpp), releases the GIL, runs the library's operation over the whole
// batch and hands back new arrays; results equal the scalar operation applied
// to each element in order.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "arrays.hpp"
#include "bindings.hpp"
#include "convert.hpp"
#include "corvane/bake_fingerprint.hpp"
#include "corvane/position.hpp"

namespace corvane::python {

namespace {

/// Scalars (Python or numpy numbers) take the scalar path and give an int;
/// anything array-like goes through the array checks.
bool is_array_like(py::handle value) {
  return py::isinstance<py::array>(value) || PyList_Check(value.ptr()) ||
         PyTuple_Check(value.ptr());
}

/// A numpy float32 scalar is read through its bits: converting it to a
/// Python float would quiet a signalling NaN.
bool is_float32_scalar(py::handle value) {
  if (!py::hasattr(value, "dtype") || is_array_like(value)) return false;
  const py::dtype dt = py::reinterpret_borrow<py::object>(value).attr("dtype");
  return dt.kind() == 'f' && dt.itemsize() == 4;
}

template <class T>
py::array_t<T> new_array(const std::vector<py::ssize_t>& shape) {
  return py::array_t<T>(shape);
}

std::vector<py::ssize_t> shape_of(const py::array& a) {
  return std::vector<py::ssize_t>(a.shape(), a.shape() + a.ndim());
}

py::object fingerprint(py::handle values, py::handle canon_arg) {
  const FloatCanon canon = float_canon_arg(canon_arg);
  const bool scalar = is_float32_scalar(values);
  if (!scalar && !is_array_like(values)) {
    return py::int_(fingerprint_f32_bits(f32_arg(values, "values"), canon));
  }
  const Float32Array in = float32_arg(values, "values");
  py::array_t<std::uint32_t> out = new_array<std::uint32_t>(shape_of(in.array));
  std::uint32_t* dst = out.mutable_data();
  {
    py::gil_scoped_release release;
    fingerprint_f32_bits(in.values, canon, std::span<std::uint32_t>(dst, in.values.size()));
  }
  if (scalar) return py::int_(dst[0]);
  return out;
}

py::object wire(py::handle values) {
  const bool scalar = is_float32_scalar(values);
  if (!scalar && !is_array_like(values)) return py::int_(wire_f32_bits(f32_arg(values, "values")));
  const Float32Array in = float32_arg(values, "values");
  py::array_t<std::uint32_t> out = new_array<std::uint32_t>(shape_of(in.array));
  std::uint32_t* dst = out.mutable_data();
  {
    py::gil_scoped_release release;
    wire_f32_bits(in.values, std::span<std::uint32_t>(dst, in.values.size()));
  }
  if (scalar) return py::int_(dst[0]);
  return out;
}

std::uint64_t fold(py::handle h_arg, py::handle words_arg) {
  std::uint64_t h = unsigned_arg(h_arg, "h", ~std::uint64_t{0});
  if (!is_array_like(words_arg)) return fnv1a_fold(h, u32_arg(words_arg, "words"));
  const U32Array words = u32_array_arg(words_arg, "words");
  py::gil_scoped_release release;
  return fnv1a_fold(h, words.values);
}

/// Record ends from a 2-D word array (one record per row) or from an explicit
/// array of ends over 1-D words; checked here so that errors name the argument.
std::vector<std::size_t> record_ends_of(const U32Array& words, py::handle ends_arg) {
  std::vector<std::size_t> ends;
  if (words.array.ndim() == 2) {
    if (!ends_arg.is_none()) {
      throw py::value_error("record_ends must be None when words is 2-D (one record per row)");
    }
    const auto rows = static_cast<std::size_t>(words.array.shape(0));
    const auto width = static_cast<std::size_t>(words.array.shape(1));
    ends.resize(rows);
    for (std::size_t r = 0; r < rows; ++r) ends[r] = (r + 1) * width;
    return ends;
  }
  if (ends_arg.is_none()) {
    throw py::value_error("words is 1-D: pass record_ends (where each record ends), or a 2-D "
                          "array with one record per row");
  }
  const py::array a = contiguous(as_array(ends_arg), "record_ends", ".astype(np.int64)");
  if (a.ndim() != 1) throw py::value_error("record_ends must have 1 dimension");
  visit_integers(a, "record_ends", "", [&]<class T>(const T* data, std::size_t n) {
    ends.resize(n);
    std::size_t previous = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const T v = data[i];
      bool fits = true;
      if constexpr (std::is_signed_v<T>) fits = v >= 0;
      if (!fits || static_cast<std::uint64_t>(v) < previous ||
          static_cast<std::uint64_t>(v) > words.values.size()) {
        throw py::value_error("record_ends[" + std::to_string(i) + "] is " + std::to_string(v) +
                              "; ends must not decrease and lie within 0.." +
                              std::to_string(words.values.size()));
      }
      ends[i] = previous = static_cast<std::size_t>(v);
    }
  });
  if ((ends.empty() ? 0 : ends.back()) != words.values.size()) {
    throw py::value_error("the last of record_ends must be len(words) = " +
                          std::to_string(words.values.size()) + ": every word belongs to a record");
  }
  return ends;
}

py::array_t<std::uint64_t> fold_records(py::handle words_arg, py::handle ends_arg, py::handle h_arg) {
  const py::array words_array = as_array(words_arg);
  const U32Array words = u32_array_arg(words_array, "words", words_array.ndim() == 2 ? 2 : 1);
  const std::vector<std::size_t> ends = record_ends_of(words, ends_arg);
  py::array_t<std::uint64_t> hashes(static_cast<py::ssize_t>(ends.size()));
  std::uint64_t* dst = hashes.mutable_data();
  if (is_array_like(h_arg)) {
    // Running hashes, one per record, continued by this fold.
    const py::array h = contiguous(as_array(h_arg), "h", ".astype(np.uint64)");
    if (h.dtype().kind() != 'u' || h.dtype().itemsize() != 8 || h.ndim() != 1 ||
        static_cast<std::size_t>(h.size()) != ends.size()) {
      throw py::type_error("h must be an int or a uint64 array with one running hash per record (" +
                           std::to_string(ends.size()) + ")");
    }
    std::memcpy(dst, h.data(), ends.size() * sizeof(std::uint64_t));
  } else {
    const std::uint64_t h0 = unsigned_arg(h_arg, "h", ~std::uint64_t{0});
    for (std::size_t i = 0; i < ends.size(); ++i) dst[i] = h0;
  }
  {
    py::gil_scoped_release release;
    fnv1a_fold_records(words.values, ends, std::span<std::uint64_t>(dst, ends.size()));
  }
  return hashes;
}

/// The validated `ids` and `xyz` arguments of a position function.
struct Positions {
  U32Array ids;
  Float32Array xyz;
  std::size_t size() const { return ids.values.size(); }
};

Positions positions_arg(py::handle ids_arg, py::handle xyz_arg_value) {
  Positions p{u32_array_arg(ids_arg, "ids"), {}};
  p.xyz = xyz_arg(xyz_arg_value, p.size());
  return p;
}

py::tuple to_world_coords_arrays(py::handle ids, py::handle xyz) {
  const Positions p = positions_arg(ids, xyz);
  const auto size = static_cast<py::ssize_t>(p.size());
  py::array_t<float> lat(size), lon(size), alt(size);
  py::array_t<bool> indoor(size);
  py::array_t<std::uint16_t> cell(size);
  static_assert(sizeof(bool) == sizeof(std::uint8_t));
  const MapCoordinateColumns out{
      std::span<float>(lat.mutable_data(), p.size()), std::span<float>(lon.mutable_data(), p.size()),
      std::span<float>(alt.mutable_data(), p.size()),
      // numpy's bool is one byte holding 0 or 1, as the indoor column is.
      std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(indoor.mutable_data()), p.size()),
      std::span<std::uint16_t>(cell.mutable_data(), p.size())};
  {
    py::gil_scoped_release release;
    to_world_coords(p.ids.values, p.xyz.values, out);
  }
  return py::make_tuple(lat, lon, alt, indoor, cell);
}

/// Room for the texts of n positions at `precision`, most of them outdoors
/// with a short altitude, so that the text rarely grows (each growth copies
/// it into new memory). Pages are mapped only as the text is written.
std::size_t expected_text_size(std::size_t n, std::size_t precision) {
  return n * (20 + 2 * precision);
}

py::list map_text(py::handle ids, py::handle xyz, py::handle precision_value) {
  const std::size_t precision = precision_arg(precision_value);
  const Positions p = positions_arg(ids, xyz);
  std::string text;
  const std::unique_ptr<std::size_t[]> ends(new std::size_t[p.size()]);  // all written below
  {
    py::gil_scoped_release release;
    text.reserve(expected_text_size(p.size(), precision));
    append_map_text(text, p.ids.values, p.xyz.values, precision, {ends.get(), p.size()});
  }
  py::list out(static_cast<py::ssize_t>(p.size()));
  std::size_t begin = 0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    PyObject* s = PyUnicode_FromStringAndSize(text.data() + begin,
                                              static_cast<py::ssize_t>(ends[i] - begin));
    if (s == nullptr) throw py::error_already_set();
    PyList_SET_ITEM(out.ptr(), static_cast<py::ssize_t>(i), s);
    begin = ends[i];
  }
  return out;
}

/// A one-dimensional numpy array of `T` over the bytes of `storage`, which
/// the array then owns: no copy.
template <class T, class Storage>
py::array_t<T> array_owning(Storage&& storage) {
  auto* held = new Storage(std::move(storage));
  const py::capsule owner(held, [](void* p) { delete static_cast<Storage*>(p); });
  const auto size = static_cast<py::ssize_t>(held->size() * sizeof(*held->data()) / sizeof(T));
  return py::array_t<T>(size, reinterpret_cast<const T*>(held->data()), owner);
}

py::tuple map_text_buffer(py::handle ids, py::handle xyz, py::handle precision_value) {
  const std::size_t precision = precision_arg(precision_value);
  const Positions p = positions_arg(ids, xyz);
  std::string text;
  static_assert(sizeof(std::size_t) == sizeof(std::uint64_t));
  py::array_t<std::uint64_t> ends(static_cast<py::ssize_t>(p.size()));
  const std::span<std::size_t> ends_out(reinterpret_cast<std::size_t*>(ends.mutable_data()), p.size());
  {
    py::gil_scoped_release release;
    text.reserve(expected_text_size(p.size(), precision));
    append_map_text(text, p.ids.values, p.xyz.values, precision, ends_out);
  }
  return py::make_tuple(array_owning<std::uint8_t>(std::move(text)), ends);
}

/// New (ids, xyz) arrays from a column operation over positions.
template <void (*Op)(std::span<const std::uint32_t>, std::span<const float>,
                     std::span<std::uint32_t>, std::span<float>)>
py::tuple transform(py::handle ids, py::handle xyz) {
  const Positions p = positions_arg(ids, xyz);
  const std::size_t n = p.size();
  py::array_t<std::uint32_t> ids_out(static_cast<py::ssize_t>(n));
  py::array_t<float> xyz_out({static_cast<py::ssize_t>(n), py::ssize_t{3}});
  const std::span<std::uint32_t> id_dst(ids_out.mutable_data(), n);
  const std::span<float> xyz_dst(xyz_out.mutable_data(), 3 * n);
  {
    py::gil_scoped_release release;
    Op(p.ids.values, p.xyz.values, id_dst, xyz_dst);
  }
  return py::make_tuple(ids_out, xyz_out);
}

}  // namespace

void bind_batch(py::module_& m) {
  m.def(
      "fingerprint_f32_bits",
      [](ArrayArg values, CanonArg canon) -> WordsResult { return fingerprint(values, canon); },
      py::arg("values"), py::arg_v("canon", m.attr("FloatCanon").attr("SixDp"), "FloatCanon.SixDp"),
      "Canonical 32-bit patterns of float32 values under canon. A scalar gives an int; an array "
      "(float32, any shape) gives a uint32 array of the same shape.");
  m.def(
      "wire_f32_bits", [](ArrayArg values) -> WordsResult { return wire(values); }, py::arg("values"),
      "The SixDp pattern of float32 values: an int for a scalar, else a uint32 array.");
  m.def(
      "fnv1a_fold", [](IntArg h, ArrayArg words) { return fold(h, words); }, py::arg("h"),
      py::arg("words"), "The running FNV-1a hash h after folding one 32-bit word or a 1-D array of them.");
  m.def(
      "fnv1a_fold_records",
      [](ArrayArg words, ArrayArg record_ends, HashesArg h) -> HashesResult {
        return fold_records(words, record_ends, h);
      },
      py::arg("words"), py::arg("record_ends") = py::none(),
      py::arg_v("h", py::int_(FNV1A_OFFSET_BASIS), "FNV1A_OFFSET_BASIS"),
      "One fingerprint per record, folded side by side: a uint64 array. Records are the rows of a "
      "2-D words array, or, for 1-D words, the spans ending at each of record_ends (the last end "
      "is len(words)). h is the starting hash of every record, or a uint64 array of running "
      "hashes (one per record) that this fold continues.");

  py::list fields;
  for (const char* name : {"lat", "lon", "alt"}) {
    fields.append(py::make_tuple(name, "NDArray[numpy.float32]"));
  }
  fields.append(py::make_tuple("indoor", "NDArray[numpy.bool_]"));
  fields.append(py::make_tuple("cell", "NDArray[numpy.uint16]"));
  py::object arrays = py::module_::import("typing").attr("NamedTuple")("WorldCoordsArrays", fields);
  arrays.attr("__module__") = "corvane";
  arrays.attr("__doc__") =
      "Map coordinates of many positions. Outdoor rows hold lat, lon and alt (float32) and cell "
      "0; indoor rows hold NaN in lat, lon and alt, True in indoor and their cell word in cell.";
  m.attr("WorldCoordsArrays") = arrays;

  m.def(
      "to_world_coords",
      [arrays](ArrayArg ids, Float32ArrayArg xyz) -> CoordsResult {
        return arrays(*to_world_coords_arrays(ids, xyz));
      },
      py::arg("ids"), py::arg("xyz"),
      "WorldPosition(ids[i], xyz[i]).to_world_coords() for every row, as arrays.");
  m.def(
      "map_text",
      [](ArrayArg ids, Float32ArrayArg xyz, IntArg precision) -> TextsResult {
        return map_text(ids, xyz, precision);
      },
      py::arg("ids"), py::arg("xyz"), py::arg("precision") = 1,
      "The map text of every position at this precision (1 is what players see; at most 60).");
  m.def(
      "map_text_buffer",
      [](ArrayArg ids, Float32ArrayArg xyz, IntArg precision) -> TextBufferResult {
        return map_text_buffer(ids, xyz, precision);
      },
      py::arg("ids"), py::arg("xyz"), py::arg("precision") = 1,
      "The map texts of map_text as columns, without a Python string per text: (text, ends), "
      "text the UTF-8 bytes of every text with nothing between them and text i "
      "text[ends[i - 1]:ends[i]] (from 0 for the first), as an Arrow string array holds them "
      "(pyarrow.StringArray.from_buffers(len(ends), offsets, text) with offsets 0 and ends).");
  m.def(
      "rebucket_outdoor_landblock",
      [](ArrayArg ids, Float32ArrayArg xyz) -> PositionsResult {
        return transform<&rebucket_outdoor_landblock>(ids, xyz);
      },
      py::arg("ids"), py::arg("xyz"),
      "New (ids, xyz) arrays: every position moved into the landblock holding its offset.");
  m.def(
      "normalize_outdoor_cell",
      [](ArrayArg ids, Float32ArrayArg xyz) -> PositionsResult {
        return transform<&normalize_outdoor_cell>(ids, xyz);
      },
      py::arg("ids"), py::arg("xyz"),
      "New (ids, xyz) arrays: every outdoor cell number replaced by the derived one.");
}

}  // namespace corvane::python
