// The value types with their C++ names, fields and operations. repr() is the
// debug text, str() what operator<< writes; optional results become None.
#include <pybind11/operators.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>

#include "bindings.hpp"
#include "convert.hpp"
#include "corvane/bake_fingerprint.hpp"
#include "corvane/guid.hpp"
#include "corvane/math.hpp"
#include "corvane/position.hpp"
#include "corvane/sequence.hpp"

namespace corvane::python {

namespace {

template <class T>
std::string stream_text(const T& value) {
  std::ostringstream os;
  os << value;
  return os.str();
}

/// repr() as the debug text and str() as the stream text, for every type.
template <class Class>
void add_text(Class& cls) {
  using T = typename Class::type;
  cls.def("__repr__", [](const T& v) { return debug_string(v); }, "The debug text.");
  cls.def("__str__", [](const T& v) { return stream_text(v); }, "The text form.");
}

void bind_guid(py::module_& m) {
  py::class_<Guid> cls(m, "Guid", "A 32-bit identifier with one public raw field.");
  cls.def(py::init([](IntArg raw) { return Guid{u32_arg(raw, "raw")}; }),
          py::arg("raw") = 0, "Wraps a raw value in 0..0xFFFFFFFF.");
  cls.def_readwrite("raw", &Guid::raw, "The raw 32-bit value.");
  cls.def("__int__", [](Guid g) { return g.raw; }, "The raw value.");
  cls.def("__index__", [](Guid g) { return g.raw; }, "The raw value.");
  cls.def(
      "__rshift__", [](Guid g, IntArg rhs) { return g >> static_cast<std::uint32_t>(unsigned_arg(rhs, "rhs", 31)); },
      py::is_operator(), "The raw value shifted right by rhs (0 to 31) bits, as an int.");
  cls.def(
      "__and__", [](Guid g, IntArg rhs) { return g & u32_arg(rhs, "rhs"); },
      py::is_operator(), "The raw value AND a 32-bit mask, as an int.");
  cls.def(py::self == py::self);
  cls.def(py::self < py::self);
  cls.def(py::self <= py::self);
  cls.def(py::self > py::self);
  cls.def(py::self >= py::self);
  cls.def("__hash__", [](Guid g) { return std::hash<Guid>{}(g); }, "The C++ hash of the id.");
  add_text(cls);
  cls.def(py::pickle([](Guid g) { return py::make_tuple(g.raw); },
                     [](const py::tuple& t) { return Guid{u32_arg(t[0], "raw")}; }));

  m.def("is_newer_u16",
        [](IntArg candidate, IntArg current) {
          return is_newer_u16(static_cast<std::uint16_t>(unsigned_arg(candidate, "candidate", 0xFFFF)),
                              static_cast<std::uint16_t>(unsigned_arg(current, "current", 0xFFFF)));
        },
        py::arg("candidate"), py::arg("current"),
        "Whether candidate is strictly newer than current on a 16-bit wrapping counter; at half "
        "the range the smaller raw value is the newer.");
  m.def("is_newer_u32",
        [](IntArg candidate, IntArg current) {
          return is_newer_u32(u32_arg(candidate, "candidate"), u32_arg(current, "current"));
        },
        py::arg("candidate"), py::arg("current"),
        "Whether candidate is strictly newer than current on a 32-bit wrapping counter; at half "
        "the range neither is.");
}

void bind_geometry(py::module_& m) {
  py::class_<Vector3> vec(m, "Vector3", "A single-precision 3-D vector in metres: +X east, +Y north, +Z up.");
  vec.def(py::init([](RealArg x, RealArg y, RealArg z) {
            return Vector3{f32_arg(x, "x"), f32_arg(y, "y"), f32_arg(z, "z")};
          }),
          py::arg("x") = 0.0f, py::arg("y") = 0.0f, py::arg("z") = 0.0f,
          "The vector (x, y, z), each rounded to the nearest float32.");
  vec.def_readwrite("x", &Vector3::x, "East component.");
  vec.def_readwrite("y", &Vector3::y, "North component.");
  vec.def_readwrite("z", &Vector3::z, "Up component.");
  vec.def_static("zero", &Vector3::zero, "The vector (0, 0, 0).");
  vec.def("dot", [](const Vector3& a, VectorArg b) { return a.dot(vector3_arg(b, "other")); },
          py::arg("other"), "(x*x' + y*y') + z*z' in single precision.");
  vec.def("cross", [](const Vector3& a, VectorArg b) { return a.cross(vector3_arg(b, "other")); },
          py::arg("other"), "The cross product self x other.");
  vec.def("length_squared", &Vector3::length_squared, "self.dot(self).");
  vec.def("length", &Vector3::length, "The Euclidean length.");
  vec.def("distance",
          [](const Vector3& a, VectorArg b) { return a.distance(vector3_arg(b, "other")); },
          py::arg("other"), "(self - other).length().");
  vec.def("heading_to",
          [](const Vector3& a, VectorArg b) { return a.heading_to(vector3_arg(b, "target")); },
          py::arg("target"),
          "Heading in radians [0, 2*pi) toward target: 0 west, pi/2 north, pi east; 0 when the "
          "points nearly coincide.");
  // The operators C++ gives a Vector3, and no more: the difference.
  vec.def(
      "__sub__", [](const Vector3& a, VectorArg b) { return a - vector3_arg(b, "other"); },
      py::is_operator(), py::arg("other"), "The difference, component by component.");
  vec.def(
      "__rsub__", [](const Vector3& b, VectorArg a) { return vector3_arg(a, "other") - b; },
      py::is_operator(), py::arg("other"), "other - self, component by component.");
  vec.def(py::self == py::self);
  vec.def("__iter__", [](const Vector3& v) -> FloatsIterator { return py::iter(py::make_tuple(v.x, v.y, v.z)); },
          "Iterates x, y, z.");
  add_text(vec);
  vec.def(py::pickle([](const Vector3& v) { return py::make_tuple(v.x, v.y, v.z); },
                     [](const py::tuple& t) { return vector3_arg(t, "state"); }));

  py::class_<Quaternion> quat(m, "Quaternion",
                              "A single-precision rotation quaternion, scalar part w first; the "
                              "default is all zeros, identity() is (1, 0, 0, 0).");
  quat.def(py::init([](RealArg w, RealArg x, RealArg y, RealArg z) {
             return Quaternion{f32_arg(w, "w"), f32_arg(x, "x"), f32_arg(y, "y"), f32_arg(z, "z")};
           }),
           py::arg("w") = 0.0f, py::arg("x") = 0.0f, py::arg("y") = 0.0f, py::arg("z") = 0.0f,
           "The quaternion (w, x, y, z), each rounded to the nearest float32.");
  quat.def_readwrite("w", &Quaternion::w, "Scalar part.");
  quat.def_readwrite("x", &Quaternion::x, "First vector component.");
  quat.def_readwrite("y", &Quaternion::y, "Second vector component.");
  quat.def_readwrite("z", &Quaternion::z, "Third vector component.");
  quat.def_static("identity", &Quaternion::identity, "The identity rotation (1, 0, 0, 0).");
  quat.def("dot",
           [](const Quaternion& a, QuaternionArg b) { return a.dot(quaternion_arg(b, "other")); },
           py::arg("other"), "The four-component dot product, summed left to right.");
  quat.def("multiply",
           [](const Quaternion& a, QuaternionArg b) { return a.multiply(quaternion_arg(b, "other")); },
           py::arg("other"), "The Hamilton product self*other (other applied first).");
  quat.def("conjugate", &Quaternion::conjugate, "(w, -x, -y, -z).");
  quat.def("normalize", &Quaternion::normalize,
           "A unit-length copy; a zero or NaN magnitude returns the quaternion unchanged.");
  quat.def("rotate_vector",
           [](const Quaternion& q, VectorArg v) { return q.rotate_vector(vector3_arg(v, "v")); },
           py::arg("v"), "v rotated by this quaternion (taken as unit length).");
  quat.def(
      "to_rotation_matrix",
      [](const Quaternion& q) -> MatrixResult {
        const auto a = q.to_rotation_matrix();
        return py::make_tuple(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]);
      },
      "The rotation matrix as nine floats, column by column.");
  quat.def_static(
      "from_rotation_matrix",
      [](MatrixArg m9) {
        if (!PySequence_Check(m9.ptr()) || PySequence_Size(m9.ptr()) != 9) {
          PyErr_Clear();
          throw py::type_error("m must be a sequence of nine numbers, column by column");
        }
        std::array<float, 9> a{};
        const py::sequence seq = py::reinterpret_borrow<py::sequence>(m9);
        for (std::size_t i = 0; i < 9; ++i) a[i] = f32_arg(seq[i], "m[i]");
        return Quaternion::from_rotation_matrix(a);
      },
      py::arg("m"), "The normalised rotation of a matrix given as nine floats, column by column.");
  quat.def_static(
      "slerp",
      [](QuaternionArg from, QuaternionArg to, RealArg t) {
        return Quaternion::slerp(quaternion_arg(from, "from"), quaternion_arg(to, "to"),
                                 f32_arg(t, "t"));
      },
      py::arg("from_"), py::arg("to"), py::arg("t"),
      "Spherical interpolation along the shorter arc, normalised; t outside [0, 1] blends "
      "straight.");
  quat.def("to_heading", &Quaternion::to_heading,
           "Heading in radians of the turn about Z (reads only w and z).");
  quat.def_static(
      "from_heading", [](RealArg h) { return Quaternion::from_heading(f32_arg(h, "heading_rad")); },
      py::arg("heading_rad"), "The turn about Z that faces heading_rad, with w >= 0.");
  quat.def(py::self == py::self);
  quat.def("__iter__",
           [](const Quaternion& q) -> FloatsIterator { return py::iter(py::make_tuple(q.w, q.x, q.y, q.z)); },
           "Iterates w, x, y, z.");
  add_text(quat);
  quat.def(py::pickle([](const Quaternion& q) { return py::make_tuple(q.w, q.x, q.y, q.z); },
                      [](const py::tuple& t) { return quaternion_arg(t, "state"); }));

  py::class_<Plane> plane(m, "Plane", "The plane of points p with normal.dot(p) + d == 0.");
  plane.def(py::init([](VectorArg normal, RealArg d) {
              return Plane{vector3_arg(normal, "normal"), f32_arg(d, "d")};
            }),
            py::arg("normal") = Vector3{}, py::arg("d") = 0.0f, "A plane from its fields.");
  plane.def_readwrite("normal", &Plane::normal, "The normal, unit length when from a triangle.");
  plane.def_readwrite("d", &Plane::d, "The offset: -normal.dot(v) for a point v on the plane.");
  plane.def_static(
      "from_triangle",
      [](VectorArg v0, VectorArg v1, VectorArg v2) {
        return Plane::from_triangle(vector3_arg(v0, "v0"), vector3_arg(v1, "v1"),
                                    vector3_arg(v2, "v2"));
      },
      py::arg("v0"), py::arg("v1"), py::arg("v2"),
      "The plane through three points (right-hand rule), or None for a degenerate triangle.");
  plane.def("distance_to_point",
            [](const Plane& p, VectorArg v) { return p.distance_to_point(vector3_arg(v, "point")); },
            py::arg("point"), "Signed distance normal.dot(point) + d.");
  plane.def(py::self == py::self);
  add_text(plane);
  plane.def(py::pickle([](const Plane& p) { return py::make_tuple(p.normal, p.d); },
                       [](const py::tuple& t) {
                         return Plane{vector3_arg(t[0], "normal"), f32_arg(t[1], "d")};
                       }));

  py::class_<Triangle> tri(m, "Triangle", "A triangle of world geometry: three vertices.");
  tri.def(py::init([](VectorArg v0, VectorArg v1, VectorArg v2) {
            return Triangle{vector3_arg(v0, "v0"), vector3_arg(v1, "v1"), vector3_arg(v2, "v2")};
          }),
          py::arg("v0") = Vector3{}, py::arg("v1") = Vector3{}, py::arg("v2") = Vector3{},
          "The triangle with these vertices, in order.");
  tri.def_readwrite("v0", &Triangle::v0, "First vertex.");
  tri.def_readwrite("v1", &Triangle::v1, "Second vertex.");
  tri.def_readwrite("v2", &Triangle::v2, "Third vertex.");
  tri.def("plane", &Triangle::plane, "Plane.from_triangle(v0, v1, v2): None when degenerate.");
  tri.def("contains_xy",
          [](const Triangle& t, RealArg x, RealArg y) {
            return t.contains_xy(f32_arg(x, "x"), f32_arg(y, "y"));
          },
          py::arg("x"), py::arg("y"),
          "Whether (x, y) lies over the triangle seen from above, edges included, either winding.");
  tri.def("z_at_xy",
          [](const Triangle& t, RealArg x, RealArg y) {
            return t.z_at_xy(f32_arg(x, "x"), f32_arg(y, "y"));
          },
          py::arg("x"), py::arg("y"),
          "Height of the triangle's plane at (x, y); None when degenerate or near vertical.");
  tri.def("closest_point",
          [](const Triangle& t, VectorArg p) { return t.closest_point(vector3_arg(p, "p")); },
          py::arg("p"), "The point of the filled triangle nearest to p.");
  tri.def(py::self == py::self);
  add_text(tri);
  tri.def(py::pickle([](const Triangle& t) { return py::make_tuple(t.v0, t.v1, t.v2); },
                     [](const py::tuple& t) {
                       return Triangle{vector3_arg(t[0], "v0"), vector3_arg(t[1], "v1"),
                                       vector3_arg(t[2], "v2")};
                     }));
}

WorldPosition position_from(IdArg id, VectorArg coords, RotationArg rotation) {
  return WorldPosition{guid_arg(id, "landblock_id"), vector3_arg(coords, "coords"),
                       rotation.is_none() ? Quaternion{} : quaternion_arg(rotation, "rotation")};
}

void bind_position(py::module_& m) {
  py::class_<WorldCoordinates> coords(
      m, "WorldCoordinates",
      "Map coordinates: an Indoor cell word or Outdoor latitude, longitude and altitude. "
      "str() is the map text at precision 1.");
  py::class_<MapTextError> error(m, "MapTextError", "Why a map text was rejected by WorldCoordinates.parse.");
  py::enum_<MapTextError::Part>(error, "Part", "The part of a map text at fault.")
      .value("Text", MapTextError::Part::Text, "The text as a whole.")
      .value("Latitude", MapTextError::Part::Latitude)
      .value("Longitude", MapTextError::Part::Longitude)
      .value("Altitude", MapTextError::Part::Altitude)
      .value("Indoor", MapTextError::Part::Indoor, "The indoor cell.");
  error.def_readonly("part", &MapTextError::part, "The part of the text at fault.");
  error.def_property_readonly(
      "reason", [](const MapTextError& e) { return std::string(e.reason); },
      "What was wrong (\"expected N or S\").");
  error.def_readonly("offset", &MapTextError::offset, "Byte offset in the text where it went wrong.");
  error.def("message", &MapTextError::message,
            "\"latitude: expected N or S (at character 6)\", the offset counted from 1.");
  error.def("__str__", &MapTextError::message, "The message.");
  error.def("__repr__", [](const MapTextError& e) { return "MapTextError(" + py::repr(py::str(e.message())).cast<std::string>() + ")"; },
            "The message in a constructor-like form.");

  py::class_<ParsedMapText> parsed(m, "ParsedMapText", "What WorldCoordinates.parse read.");
  parsed.def_readonly("coordinates", &ParsedMapText::coordinates,
                      "The coordinates; None when the text was rejected.");
  parsed.def_readonly("lat_precision", &ParsedMapText::lat_precision,
                      "Digits after the point of the latitude as written (0 without a point, and "
                      "indoors): the precision to print it back at.");
  parsed.def_readonly("lon_precision", &ParsedMapText::lon_precision,
                      "Digits after the point of the longitude as written.");
  parsed.def_property_readonly(
      "error",
      [](const ParsedMapText& p) -> std::optional<MapTextError> {
        if (p.error.reason.empty()) return std::nullopt;
        return p.error;
      },
      "Why the text was rejected; None when it was read.");

  py::class_<WorldCoordinates::Indoor> indoor(coords, "Indoor", "An indoor place: its cell word.");
  indoor.def(py::init([](IntArg cell) {
               return WorldCoordinates::Indoor{
                   static_cast<std::uint16_t>(unsigned_arg(cell, "landblock", 0xFFFF))};
             }),
             py::arg("landblock") = 0, "Indoor coordinates of a cell word in 0..0xFFFF.");
  indoor.def_readwrite("landblock", &WorldCoordinates::Indoor::landblock,
                       "The low 16 bits of the landblock id: the interior cell number.");
  indoor.def(py::self == py::self);
  add_text(indoor);
  indoor.def(py::pickle([](const WorldCoordinates::Indoor& i) { return py::make_tuple(i.landblock); },
                        [](const py::tuple& t) {
                          return WorldCoordinates::Indoor{
                              static_cast<std::uint16_t>(unsigned_arg(t[0], "landblock", 0xFFFF))};
                        }));

  py::class_<WorldCoordinates::Outdoor> outdoor(coords, "Outdoor",
                                                "Outdoor map degrees (north and east positive) "
                                                "and the altitude.");
  outdoor.def(py::init([](RealArg lat, RealArg lon, RealArg alt) {
                return WorldCoordinates::Outdoor{f32_arg(lat, "lat"), f32_arg(lon, "lon"),
                                                 f32_arg(alt, "alt")};
              }),
              py::arg("lat") = 0.0f, py::arg("lon") = 0.0f, py::arg("alt") = 0.0f,
              "Outdoor coordinates, each rounded to the nearest float32.");
  outdoor.def_readwrite("lat", &WorldCoordinates::Outdoor::lat, "Latitude, north positive.");
  outdoor.def_readwrite("lon", &WorldCoordinates::Outdoor::lon, "Longitude, east positive.");
  outdoor.def_readwrite("alt", &WorldCoordinates::Outdoor::alt, "Altitude: the z offset.");
  outdoor.def(py::self == py::self);
  add_text(outdoor);
  outdoor.def(py::pickle(
      [](const WorldCoordinates::Outdoor& o) { return py::make_tuple(o.lat, o.lon, o.alt); },
      [](const py::tuple& t) {
        return WorldCoordinates::Outdoor{f32_arg(t[0], "lat"), f32_arg(t[1], "lon"),
                                         f32_arg(t[2], "alt")};
      }));

  const auto coords_from = [](AlternativeArg value) {
    if (py::isinstance<WorldCoordinates::Indoor>(value)) {
      return WorldCoordinates{value.cast<WorldCoordinates::Indoor>()};
    }
    if (py::isinstance<WorldCoordinates::Outdoor>(value)) {
      return WorldCoordinates{value.cast<WorldCoordinates::Outdoor>()};
    }
    throw py::type_error("value must be a WorldCoordinates.Indoor or a WorldCoordinates.Outdoor");
  };
  coords.def(py::init(coords_from), py::arg("value") = WorldCoordinates::Indoor{0},
             "Coordinates holding an Indoor or Outdoor value.");
  coords.def_property_readonly(
      "value",
      [](py::object self) -> AlternativeArg {
        // The alternative itself, so that assigning to its fields changes
        // these coordinates.
        auto& c = self.cast<WorldCoordinates&>();
        constexpr auto policy = py::return_value_policy::reference_internal;
        if (auto* i = std::get_if<WorldCoordinates::Indoor>(&c.value)) return py::cast(i, policy, self);
        return py::cast(std::get_if<WorldCoordinates::Outdoor>(&c.value), policy, self);
      },
      "The Indoor or Outdoor alternative held (assigning to its fields changes these coordinates).");
  coords.def("is_indoors", &WorldCoordinates::is_indoors, "Whether the value is Indoor.");
  coords.def(
      "indoor",
      [](const WorldCoordinates& c) -> std::optional<WorldCoordinates::Indoor> {
        if (const auto* i = c.indoor()) return *i;
        return std::nullopt;
      },
      "The Indoor value, or None.");
  coords.def(
      "outdoor",
      [](const WorldCoordinates& c) -> std::optional<WorldCoordinates::Outdoor> {
        if (const auto* o = c.outdoor()) return *o;
        return std::nullopt;
      },
      "The Outdoor value, or None.");
  coords.def(
      "to_string_with_precision",
      [](const WorldCoordinates& c, IntArg precision) {
        return c.to_string_with_precision(precision_arg(precision));
      },
      py::arg("precision") = 1,
      "The map text with this many digits after the point for latitude and longitude, 0 to 60 "
      "(precision 1 leans downwards; indoor text ignores the precision).");
  coords.def_static(
      "from_string",
      [](const std::string& text) { return WorldCoordinates::from_string(text); },
      py::arg("text"),
      "Reads a map text back (what to_string_with_precision writes at any precision, and what "
      "people type); None for anything else (parse says why).");
  coords.def_static(
      "parse", [](const std::string& text) { return WorldCoordinates::parse(text); },
      py::arg("text"),
      "from_string with the details: the digits written after the point, or which part of the "
      "text was rejected, why, and where.");
  coords.def(py::self == py::self);
  add_text(coords);
  coords.def(py::pickle(
      [](const WorldCoordinates& c) {
        if (const auto* i = c.indoor()) return py::make_tuple(*i);
        return py::make_tuple(*c.outdoor());
      },
      [coords_from](const py::tuple& t) { return coords_from(t[0]); }));

  py::class_<WorldPosition> pos(m, "WorldPosition",
                                "Where something is: a packed landblock-and-cell id, an offset "
                                "inside the landblock and a rotation.");
  pos.def(py::init(&position_from), py::arg("landblock_id") = 0, py::arg("coords") = Vector3{},
          py::arg("rotation") = py::none(),
          "A position from an id (Guid or int), an offset (Vector3 or three numbers) and a "
          "rotation (Quaternion or four numbers; all zeros when omitted, as in C++).");
  // The fields are the position's own, as def_readwrite gives them, so that
  // p.coords.x = 1.0 changes p; assigning a whole field converts its value.
  constexpr auto field = py::return_value_policy::reference_internal;
  pos.def_property(
      "landblock_id", py::cpp_function([](WorldPosition& p) -> Guid& { return p.landblock_id; }, field),
      [](WorldPosition& p, IdArg id) { p.landblock_id = guid_arg(id, "landblock_id"); },
      "Bits 31..24 landblock x, 23..16 landblock y, 15..0 the cell number.");
  pos.def_property(
      "coords", py::cpp_function([](WorldPosition& p) -> Vector3& { return p.coords; }, field),
      [](WorldPosition& p, VectorArg v) { p.coords = vector3_arg(v, "coords"); },
      "Offset inside the landblock.");
  pos.def_property(
      "rotation", py::cpp_function([](WorldPosition& p) -> Quaternion& { return p.rotation; }, field),
      [](WorldPosition& p, QuaternionArg q) { p.rotation = quaternion_arg(q, "rotation"); },
      "Orientation.");
  pos.def("is_indoors", &WorldPosition::is_indoors, "Whether the cell number is 0x100 or above.");
  pos.def("landblock_coords", &WorldPosition::landblock_coords,
          "The landblock's (x, y) bytes.");
  pos.def("global_coords", &WorldPosition::global_coords, "The offset in world space.");
  pos.def("distance_to",
          [](const WorldPosition& p, const WorldPosition& o) { return p.distance_to(o); },
          py::arg("other"), "Distance in metres: local when the ids are equal, world space otherwise.");
  pos.def("heading_to",
          [](const WorldPosition& p, const WorldPosition& o) { return p.heading_to(o); },
          py::arg("other"), "Heading in radians toward other: local when the ids are equal.");
  pos.def("landblock_chebyshev_distance_to",
          [](const WorldPosition& p, const WorldPosition& o) {
            return p.landblock_chebyshev_distance_to(o);
          },
          py::arg("other"), "Landblocks apart (the larger axis difference); None when an id is 0.");
  pos.def("derived_outdoor_cell_id", &WorldPosition::derived_outdoor_cell_id,
          "The outdoor cell (1 to 64) the offset lies in; None indoors or for id 0.");
  pos.def("normalize_outdoor_cell", &WorldPosition::normalize_outdoor_cell,
          "A copy with the cell number replaced by the derived one.");
  pos.def("rebucket_outdoor_landblock", &WorldPosition::rebucket_outdoor_landblock,
          "A copy moved into the landblock that contains its offset.");
  pos.def("to_world_coords", &WorldPosition::to_world_coords, "The map coordinates.");
  pos.def_static(
      "from_world_coords",
      [](const WorldCoordinates& c) { return WorldPosition::from_world_coords(c); },
      py::arg("coordinates"),
      "The outdoor position (identity rotation) those coordinates name; None for Indoor and "
      "outside the world.");
  pos.def(py::self == py::self);
  add_text(pos);
  pos.def(py::pickle(
      [](const WorldPosition& p) { return py::make_tuple(p.landblock_id.raw, p.coords, p.rotation); },
      [](const py::tuple& t) { return position_from(t[0], t[1], t[2]); }));
  m.attr("LANDBLOCK_LENGTH") = LANDBLOCK_LENGTH;
}

void bind_fingerprint_scalars(py::module_& m) {
  m.attr("FNV1A_OFFSET_BASIS") = py::int_(FNV1A_OFFSET_BASIS);
}

}  // namespace

void bind_values(py::module_& m) {
  bind_guid(m);
  bind_geometry(m);
  bind_position(m);
  bind_fingerprint_scalars(m);
}

}  // namespace corvane::python
