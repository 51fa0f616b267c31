// The shared case tables under tests/cases/: one JSON file per rule that
// several surfaces expose (the library, the tool, Python, the map page), so
// that every suite checks against the same answers.
#pragma once

#include <bit>
#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

namespace corvane::test {

/// The table `name` ("map_text.json") parsed; throws when it cannot be read.
inline nlohmann::json load_case_table(const std::string& name) {
  const std::string path = std::string(CORVANE_CASES_DIR) + "/" + name;
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot read " + path);
  return nlohmann::json::parse(in);
}

/// A float written in a table: a decimal meant to round to one float32.
inline float table_float(const nlohmann::json& value) {
  return static_cast<float>(value.get<double>());
}

/// An id or bit pattern written in a table as "0x..." text.
inline std::uint32_t table_hex(const nlohmann::json& value) {
  return static_cast<std::uint32_t>(std::stoul(value.get<std::string>(), nullptr, 16));
}

}  // namespace corvane::test
