// The vocabularies' tables as the library declares them, for the Python side
// to build its enum.IntEnum and enum.IntFlag types from, and the per-type
// operations the Python types call back into. Vocabularies are addressed by
// their position in the library's list of every vocabulary.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "arrays.hpp"
#include "bindings.hpp"
#include "convert.hpp"
#include "corvane/properties/vocabularies.hpp"

namespace corvane::python {

namespace {

struct Vocabulary {
  py::dict (*table)();  // what the Python side builds its type from
  // Names of many raw values: member names (None for non-members) or, for a
  // flag set, the text form of each mask.
  py::list (*names)(const py::array& raws);
  py::list (*flag_names)(std::uint32_t bits);          // flag sets only
  py::list (*flag_display_names)(std::uint32_t bits);  // flag sets only
  std::string (*flag_text)(std::uint32_t bits);        // flag sets only
};

py::str str_of(std::string_view s) { return py::str(s.data(), s.size()); }

template <class T>
std::uint64_t widen(T v) {
  return static_cast<std::uint64_t>(v);
}

/// Index of each raw value's member (-1 for none), computed without the GIL.
template <Enumeration E>
std::vector<std::int32_t> member_indices(const py::array& raws) {
  using U = std::underlying_type_t<E>;
  std::vector<std::int32_t> indices;
  visit_integers(raws, "raws", "; pass an integer array", [&]<class T>(const T* data, std::size_t n) {
    py::gil_scoped_release release;
    indices.resize(n);
    const auto all = members<E>();
    for (std::size_t i = 0; i < n; ++i) {
      const T v = data[i];
      bool fits = true;
      if constexpr (std::is_signed_v<T>) fits = v >= 0;
      fits = fits && widen(v) <= std::numeric_limits<U>::max();
      const std::optional<E> e = fits ? from_repr<E>(static_cast<U>(v)) : std::nullopt;
      indices[i] = e ? static_cast<std::int32_t>(std::lower_bound(all.begin(), all.end(), *e) - all.begin())
                     : -1;
    }
  });
  return indices;
}

template <Enumeration E>
py::list enumeration_names(const py::array& raws) {
  const std::vector<std::int32_t> indices =
      member_indices<E>(contiguous(raws, "raws", ".astype(np.uint32)"));
  std::vector<py::str> cache;
  for (E e : members<E>()) cache.push_back(str_of(name(e)));
  py::list out(indices.size());
  for (std::size_t i = 0; i < indices.size(); ++i) {
    py::object item = indices[i] < 0 ? py::none() : py::object(cache[static_cast<std::size_t>(indices[i])]);
    PyList_SET_ITEM(out.ptr(), static_cast<py::ssize_t>(i), item.release().ptr());
  }
  return out;
}

template <FlagSetType F>
py::list flag_set_texts(const py::array& raws) {
  const U32Array masks = u32_array_arg(raws, "raws", raws.ndim());
  py::list out(masks.values.size());
  for (std::size_t i = 0; i < masks.values.size(); ++i) {
    const std::string text = debug_string(F::from_bits_retain(masks.values[i]));
    PyList_SET_ITEM(out.ptr(), static_cast<py::ssize_t>(i), str_of(text).release().ptr());
  }
  return out;
}

template <class E>
concept HasDisplayName = requires(E e) {
  { display_name(e) } -> std::convertible_to<std::string_view>;
};

template <Enumeration E>
py::dict enumeration_table() {
  py::dict t;
  t["name"] = str_of(enumeration_traits<E>::type_name);
  t["kind"] = "enumeration";
  t["bits"] = storage_bits_v<E>;
  py::list entries;
  for (E e : members<E>()) entries.append(py::make_tuple(str_of(name(e)), widen(repr(e))));
  t["members"] = entries;
  if constexpr (EnumerationWithDefault<E>) {
    t["default"] = str_of(name(default_value<E>()));
  } else {
    t["default"] = py::none();
  }
  if constexpr (HasDisplayName<E>) {
    py::list display;
    for (E e : members<E>()) display.append(str_of(display_name(e)));
    t["display_names"] = display;
  } else {
    t["display_names"] = py::none();
  }
  return t;
}

template <Enumeration E>
Vocabulary enumeration_vocabulary() {
  return {&enumeration_table<E>, &enumeration_names<E>, nullptr, nullptr, nullptr};
}

template <FlagSetType F>
py::dict flag_set_table() {
  using traits = flag_set_traits<F>;
  py::dict t;
  t["name"] = str_of(traits::type_name);
  t["kind"] = "flag_set";
  t["bits"] = 32;
  py::list entries;
  py::list display;
  for (const flag_entry& e : traits::flags) {
    entries.append(py::make_tuple(str_of(e.name), e.value));
    display.append(str_of(e.display_name.empty() ? e.name : e.display_name));
  }
  t["members"] = entries;
  t["default"] = py::none();
  t["display_names"] = traits::has_display_names ? py::object(display) : py::none();
  t["all"] = F::all().bits();
  return t;
}

template <FlagSetType F>
Vocabulary flag_set_vocabulary() {
  using traits = flag_set_traits<F>;
  const auto names = [](std::uint32_t bits) {
    py::list out;
    for (const auto& [n, flag] : F::from_bits_retain(bits).iter_names()) {
      out.append(py::make_tuple(str_of(n), flag.bits()));
    }
    return out;
  };
  const auto display_names = [](std::uint32_t bits) {
    py::list out;
    if constexpr (traits::has_display_names) {
      for (std::string_view n : F::from_bits_retain(bits).iter_display_names()) out.append(str_of(n));
    }
    return out;
  };
  const auto text = [](std::uint32_t bits) { return debug_string(F::from_bits_retain(bits)); };
  return {&flag_set_table<F>, &flag_set_texts<F>, +names, +display_names, +text};
}

const std::vector<Vocabulary>& vocabularies() {
  static const std::vector<Vocabulary> all = [] {
    std::vector<Vocabulary> v;
    const auto add = [&]<class V>() {
      if constexpr (Enumeration<V>) {
        v.push_back(enumeration_vocabulary<V>());
      } else {
        v.push_back(flag_set_vocabulary<V>());
      }
    };
    [&]<class... V>(type_list<V...>) { (add.template operator()<V>(), ...); }(all_vocabularies{});
    return v;
  }();
  return all;
}

const Vocabulary& vocabulary_at(py::handle index) {
  const auto& all = vocabularies();
  return all.at(static_cast<std::size_t>(unsigned_arg(index, "vocabulary", all.size() - 1)));
}

const Vocabulary& flag_set_at(py::handle index) {
  const Vocabulary& v = vocabulary_at(index);
  if (v.flag_text == nullptr) throw py::type_error("not a flag set");
  return v;
}

/// A per-type question about one member, taking its raw value.
template <Enumeration E>
void bind_question(py::module_& m, const char* fn_name, bool (*question)(E), const char* doc) {
  m.def(
      fn_name,
      [question, fn_name](py::handle member) {
        using U = std::underlying_type_t<E>;
        const auto raw = static_cast<U>(unsigned_arg(member, fn_name, std::numeric_limits<U>::max()));
        const std::optional<E> e = from_repr<E>(raw);
        if (!e) {
          throw py::value_error(std::string(fn_name) + ": " + std::to_string(raw) + " is no " +
                                std::string(enumeration_traits<E>::type_name) + " member");
        }
        return question(*e);
      },
      py::arg("member"), doc);
}

}  // namespace

void bind_vocabularies(py::module_& m) {
  m.def(
      "_vocabularies",
      [] {
        py::list out;
        for (const Vocabulary& v : vocabularies()) out.append(v.table());
        return out;
      },
      "The library's vocabulary tables: one dict per vocabulary, in the library's order.");
  m.def(
      "_names", [](py::handle index, py::handle raws) { return vocabulary_at(index).names(as_array(raws)); },
      py::arg("vocabulary"), py::arg("raws"), "Names (or flag texts) of many raw values.");
  m.def(
      "_flag_names",
      [](py::handle index, py::handle bits) { return flag_set_at(index).flag_names(u32_arg(bits, "bits")); },
      py::arg("vocabulary"), py::arg("bits"), "iter_names of a mask: (name, value) pairs.");
  m.def(
      "_flag_display_names",
      [](py::handle index, py::handle bits) {
        return flag_set_at(index).flag_display_names(u32_arg(bits, "bits"));
      },
      py::arg("vocabulary"), py::arg("bits"), "iter_display_names of a mask.");
  m.def(
      "_flag_text",
      [](py::handle index, py::handle bits) { return flag_set_at(index).flag_text(u32_arg(bits, "bits")); },
      py::arg("vocabulary"), py::arg("bits"), "The text form of a mask.");

  bind_question<PropertyAttribute2nd>(m, "is_max", &is_max,
                                      "Whether a secondary attribute is a maximum.");
  bind_question<PropertyAttribute2nd>(m, "is_current", &is_current,
                                      "Whether a secondary attribute is a current value.");
  bind_question<EmoteType>(m, "is_user_visible", &is_user_visible,
                           "Whether an emote type is shown to users.");
  bind_question<PropertyPosition>(m, "is_recall_target", &is_recall_target,
                                  "Whether a position slot is a recall target.");
  bind_question<PropertyPosition>(m, "is_admin_save_slot", &is_admin_save_slot,
                                  "Whether a position slot is an admin save slot.");
}

}  // namespace corvane::python
