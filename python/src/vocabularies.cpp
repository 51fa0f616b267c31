// The vocabularies as enum.IntEnum (enumerations) and enum.IntFlag (flag sets)
// types, built at import from the library's registry; every lookup and flag
// operation is the vocabulary's own C++ code, reached through the registry.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

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
#include "properties/registry.hpp"

namespace corvane::python {

namespace {

py::str str_of(std::string_view s) { return py::str(s.data(), s.size()); }

/// The Python type of each vocabulary, in the registry's order. The module
/// holds them for the life of the interpreter.
std::vector<py::handle>& vocabulary_types() {
  static std::vector<py::handle> types;
  return types;
}

const registry::Vocabulary& vocabulary_of(py::handle type) {
  const auto& types = vocabulary_types();
  for (std::size_t i = 0; i < types.size(); ++i) {
    if (types[i].is(type)) return registry::all()[i];
  }
  throw py::type_error(py::repr(type).cast<std::string>() + " is not a corvane vocabulary type");
}

const registry::FlagVocabulary& flag_set_of(py::handle self) {
  return *vocabulary_of(py::type::handle_of(self)).flag_set;
}

std::uint32_t mask_of(py::handle member) { return member.cast<std::uint32_t>(); }

/// The mask of `other`, which must be of the same flag-set type as `self`.
std::uint32_t same_flags(py::handle self, py::handle other) {
  const py::handle type = py::type::handle_of(self);
  if (!py::isinstance(other, type)) {
    throw py::type_error("expected a " + type.attr("__name__").cast<std::string>() + ", not " +
                         py::type::handle_of(other).attr("__name__").cast<std::string>());
  }
  return mask_of(other);
}

/// Names of many raw values: member names (None for no member) of an
/// enumeration, computed without the GIL.
py::list enumeration_names(const registry::EnumVocabulary& v, py::handle raws) {
  const py::array a = contiguous(as_array(raws), "raws", ".astype(np.uint32)");
  std::vector<std::optional<std::size_t>> indices;
  visit_integers(a, "raws", "; pass an integer array", [&]<class T>(const T* data, std::size_t n) {
    py::gil_scoped_release release;
    indices.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
      const T raw = data[i];
      bool fits = true;
      if constexpr (std::is_signed_v<T>) fits = raw >= 0;
      fits = fits && static_cast<std::uint64_t>(raw) <= 0xFFFF'FFFFu;
      indices[i] = fits ? v.index_of(static_cast<std::uint32_t>(raw)) : std::nullopt;
    }
  });
  std::vector<py::str> cache;
  cache.reserve(v.members.size());
  for (const registry::EnumMember& m : v.members) cache.push_back(str_of(m.name));
  py::list out(indices.size());
  for (std::size_t i = 0; i < indices.size(); ++i) {
    py::object item = indices[i] ? py::object(cache[*indices[i]]) : py::none();
    PyList_SET_ITEM(out.ptr(), static_cast<py::ssize_t>(i), item.release().ptr());
  }
  return out;
}

/// The text form of each of many masks.
py::list flag_texts(const registry::FlagVocabulary& v, py::handle raws) {
  const py::array a = as_array(raws);
  const U32Array masks = u32_array_arg(a, "raws", a.ndim());
  py::list out(masks.values.size());
  for (std::size_t i = 0; i < masks.values.size(); ++i) {
    PyList_SET_ITEM(out.ptr(), static_cast<py::ssize_t>(i),
                    str_of(v.text_of(masks.values[i])).release().ptr());
  }
  return out;
}

/// Sets `fn` as a method of `cls`.
template <class F, class... Extra>
void add_method(py::handle cls, const char* name, F&& fn, const Extra&... extra) {
  py::cpp_function method(std::forward<F>(fn), py::name(name), py::is_method(cls), extra...);
  py::setattr(cls, name, method);
}

/// Sets `fn` (taking the class first) as a class method of `cls`.
template <class F, class... Extra>
void add_class_method(py::handle cls, const char* name, F&& fn, const Extra&... extra) {
  py::cpp_function function(std::forward<F>(fn), py::name(name), extra...);
  py::setattr(cls, name, py::module_::import("builtins").attr("classmethod")(function));
}

std::string format_member(SelfArg self, const std::string& spec) {
  if (spec.empty()) return py::str(self);
  // As a plain int: the member's own __format__ is this function.
  return py::reinterpret_steal<py::object>(PyNumber_Long(self.ptr())).attr("__format__")(spec).cast<std::string>();
}

py::object make_enumeration(const py::module_& enum_module, const registry::EnumVocabulary& v) {
  py::list members;
  for (const registry::EnumMember& m : v.members) members.append(py::make_tuple(str_of(m.name), m.value));
  py::object cls = enum_module.attr("IntEnum")(str_of(v.name), members, py::arg("module") = "corvane",
                                               py::arg("qualname") = str_of(v.name));
  add_method(cls, "__str__", [](SelfArg self) { return self.attr("_name_").cast<std::string>(); }, "The member name.");
  add_method(cls, "__format__", &format_member, py::arg("spec"),
             "The member name; with a format spec, the value formatted as an int.");
  return cls;
}

py::object make_flag_set(const py::module_& enum_module, const registry::FlagVocabulary& v) {
  py::list members;
  for (const registry::FlagInfo& f : v.flags) members.append(py::make_tuple(str_of(f.name), f.value));
  py::object cls = enum_module.attr("IntFlag")(
      str_of(v.name), members, py::arg("module") = "corvane", py::arg("qualname") = str_of(v.name),
      py::arg("boundary") = enum_module.attr("KEEP"));
  // A mask is 32 bits, as in C++: a wider value is refused when the mask is
  // made, not when it is first used.
  const py::object flag_missing = enum_module.attr("Flag").attr("_missing_").attr("__func__");
  add_class_method(
      cls, "_missing_",
      [flag_missing](py::handle type, py::handle value) -> py::object {
        if (!PyLong_Check(value.ptr())) return py::none();
        const std::string what = type.attr("__name__").cast<std::string>() + " mask";
        u32_arg(value, what.c_str());
        return flag_missing(type, value);
      },
      py::arg("cls"), py::arg("value"), "Masks of unnamed bits; a value outside 0..0xFFFFFFFF raises ValueError.");
  add_method(cls, "__invert__",
             [](SelfArg self) -> SelfArg { return py::type::handle_of(self)(~mask_of(self)); },
             "The complement in 32 bits.");
  add_method(cls, "__str__", [](SelfArg self) { return flag_set_of(self).text_of(mask_of(self)); },
             "The text form: the names iter_names lists joined by ' | ', then any unnamed bits in hex.");
  add_method(cls, "__format__", &format_member, py::arg("spec"),
             "The text form; with a format spec, the mask formatted as an int.");
  add_method(cls, "bits", [](SelfArg self) { return mask_of(self); }, "The raw 32-bit mask.");
  add_method(cls, "contains",
             [](SelfArg self, SelfArg other) {
               return flag_set_of(self).contains(mask_of(self), same_flags(self, other));
             },
             py::arg("other"), "True when every bit of other is set here (true for an empty other).");
  add_method(cls, "intersects",
             [](SelfArg self, SelfArg other) {
               return flag_set_of(self).intersects(mask_of(self), same_flags(self, other));
             },
             py::arg("other"), "True when a bit is set in both.");
  add_method(cls, "difference",
             [](SelfArg self, SelfArg other) -> SelfArg {
               const std::uint32_t bits = flag_set_of(self).difference(mask_of(self), same_flags(self, other));
               return py::type::handle_of(self)(bits);
             },
             py::arg("other"), "These bits without those of other.");
  add_method(cls, "is_empty", [](SelfArg self) { return flag_set_of(self).is_empty(mask_of(self)); },
             "True when no bit is set.");
  add_method(cls, "iter_names",
             [](SelfArg self) -> NamedFlagsResult {
               const py::handle type = py::type::handle_of(self);
               py::list out;
               for (const auto& [n, bits] : flag_set_of(self).names_of(mask_of(self))) {
                 out.append(py::make_tuple(str_of(n), type(bits)));
               }
               return out;
             },
             "The named flags held, as (name, flag) pairs in the library's table order. A flag is "
             "listed when all its bits are held and not all of them were covered by flags listed "
             "before it; unnamed bits never produce a name.");
  if (v.has_display_names) {
    add_method(cls, "iter_display_names",
               [](SelfArg self) -> TextsResult {
                 py::list out;
                 for (const std::string_view n : flag_set_of(self).display_names_of(mask_of(self))) {
                   out.append(str_of(n));
                 }
                 return out;
               },
               "The display names of exactly the flags iter_names lists, in order.");
  }
  add_class_method(cls, "from_bits_retain",
                   [](py::type type, IntArg raw) -> SelfArg { return type(u32_arg(raw, "raw")); },
                   py::arg("cls"), py::arg("raw"), "Exactly the bits of raw, named or not.");
  add_class_method(cls, "from_bits_truncate",
                   [](py::type type, IntArg raw) -> SelfArg {
                     return type(vocabulary_of(type).flag_set->from_bits_truncate(u32_arg(raw, "raw")));
                   },
                   py::arg("cls"), py::arg("raw"), "raw without the bits no named flag covers.");
  add_class_method(cls, "all",
                   [](py::type type) -> SelfArg { return type(vocabulary_of(type).flag_set->all); },
                   py::arg("cls"), "Every named flag.");
  return cls;
}

/// A per-type question about one member, taking its raw value.
template <Enumeration E>
void bind_question(py::module_& m, const char* fn_name, bool (*question)(E), const char* doc) {
  m.def(
      fn_name,
      [question, fn_name](IntArg member) {
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
  const py::module_ enum_module = py::module_::import("enum");
  py::list all;
  for (const registry::Vocabulary& v : registry::all()) {
    py::object cls = v.enumeration != nullptr ? make_enumeration(enum_module, *v.enumeration)
                                              : make_flag_set(enum_module, *v.flag_set);
    cls.attr("__doc__") = "The " + std::string(v.name()) + " vocabulary of corvane_common (" +
                          std::to_string(v.enumeration != nullptr ? v.enumeration->bits : 32) +
                          "-bit), built from the library's table.";
    m.attr(str_of(v.name())) = cls;
    vocabulary_types().push_back(cls);
    all.append(cls);
  }
  m.attr("VOCABULARIES") = py::tuple(all);

  m.def(
      "from_repr",
      [](VocabularyArg vocabulary, IntArg raw) -> MemberArg {
        const registry::Vocabulary& v = vocabulary_of(vocabulary);
        if (v.enumeration == nullptr) {
          const std::string n(v.name());
          throw py::type_error(n + " is a flag set; use " + n + ".from_bits_retain(raw)");
        }
        if (PyBool_Check(raw.ptr()) || !PyIndex_Check(raw.ptr())) {
          throw py::type_error("raw must be an integer, not " +
                               py::type::handle_of(raw).attr("__name__").cast<std::string>());
        }
        const py::int_ value = py::reinterpret_steal<py::int_>(PyNumber_Index(raw.ptr()));
        int overflow = 0;
        const long long number = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
        if (overflow != 0 || number < 0 || number > 0xFFFF'FFFFll) return py::none();
        const std::optional<std::size_t> index = v.enumeration->index_of(static_cast<std::uint32_t>(number));
        if (!index) return py::none();
        return vocabulary(v.enumeration->members[*index].value);
      },
      py::arg("vocabulary"), py::arg("raw"), "The member of an enumeration whose wire value is raw, or None.");
  m.def(
      "default_value",
      [](VocabularyArg vocabulary) -> MemberArg {
        const registry::Vocabulary& v = vocabulary_of(vocabulary);
        if (v.enumeration == nullptr || !v.enumeration->default_value) return py::none();
        return vocabulary(*v.enumeration->default_value);
      },
      py::arg("vocabulary"), "The vocabulary's fixed Default member, or None where it fixes none.");
  m.def(
      "display_name",
      [](MemberArg member) {
        const registry::Vocabulary& v = vocabulary_of(py::type::handle_of(member));
        if (v.enumeration == nullptr || !v.enumeration->has_display_names) {
          throw py::type_error(std::string(v.name()) + " has no display names");
        }
        const auto index = v.enumeration->index_of(member.cast<std::uint32_t>());
        return str_of(v.enumeration->members[index.value()].display_name);
      },
      py::arg("member"), "The player-facing name of a member, for enumerations that have them.");
  m.def(
      "storage_bits",
      [](VocabularyArg vocabulary) {
        const registry::Vocabulary& v = vocabulary_of(vocabulary);
        return v.enumeration != nullptr ? v.enumeration->bits : 32u;
      },
      py::arg("vocabulary"), "The storage width of a vocabulary's values in bits: 8, 16 or 32.");
  m.def(
      "names",
      [](VocabularyArg vocabulary, ArrayArg raws) -> NamesResult {
        const registry::Vocabulary& v = vocabulary_of(vocabulary);
        return v.enumeration != nullptr ? enumeration_names(*v.enumeration, raws)
                                        : flag_texts(*v.flag_set, raws);
      },
      py::arg("vocabulary"), py::arg("raws"),
      "Names of many raw values at once, flattened in C order. For an enumeration: each value's "
      "member name, or None for a value that names no member. For a flag set: each mask's text "
      "form (\"CHEST | ABDOMEN | 0x1\"); masks must lie in 0..0xFFFFFFFF.");

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
