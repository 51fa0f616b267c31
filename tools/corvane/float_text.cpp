#include "float_text.hpp"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <type_traits>

namespace corvane::cli {

namespace {

bool is_digit(char c) noexcept {
  return c >= '0' && c <= '9';
}

bool is_hex_digit(char c) noexcept {
  return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

char lower(char c) noexcept {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool is_word(std::string_view text, std::string_view lower_word) noexcept {
  if (text.size() != lower_word.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (lower(text[i]) != lower_word[i]) return false;
  }
  return true;
}

bool is_nan_text(std::string_view text) noexcept {
  if (text.size() < 3 || !is_word(text.substr(0, 3), "nan")) return false;
  text.remove_prefix(3);
  if (text.empty()) return true;
  if (text.front() != '(' || text.back() != ')') return false;
  for (const char c : text.substr(1, text.size() - 2)) {
    if (!is_digit(c) && !(lower(c) >= 'a' && lower(c) <= 'z') && c != '_') return false;
  }
  return true;
}

bool is_infinity_text(std::string_view text) noexcept {
  return is_word(text, "inf") || is_word(text, "infinity");
}

// Digits with at most one point, then an optional exponent.
bool is_digits_text(std::string_view text, FloatSyntax syntax) noexcept {
  const bool hex = syntax == FloatSyntax::Hex;
  std::size_t i = 0;
  std::size_t digits = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    if (hex ? is_hex_digit(text[i]) : is_digit(text[i])) {
      ++digits;
    } else if (text[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return false;
  if (i == text.size()) return true;
  if (lower(text[i]) != (hex ? 'p' : 'e')) return false;
  ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  if (i == text.size()) return false;
  for (; i < text.size(); ++i) {
    if (!is_digit(text[i])) return false;
  }
  return true;
}

template <class T>
std::optional<FloatReading<T>> read(std::string_view text, FloatSyntax syntax) {
  if (!is_float_text(text, syntax)) return std::nullopt;
  T value;
  if (is_nan_text(text) && syntax == FloatSyntax::Decimal) {
    // Not strtof: glibc would put the parenthesised characters in the payload.
    value = std::numeric_limits<T>::quiet_NaN();
  } else if (is_infinity_text(text) && syntax == FloatSyntax::Decimal) {
    value = std::numeric_limits<T>::infinity();
  } else {
    // strtof reads the decimal point of the C library's global locale. Nothing
    // in the tool calls setlocale, so the "C" locale holds and the point is '.'.
    const std::string digits = (syntax == FloatSyntax::Hex ? "0x" : "") + std::string(text);
    if constexpr (std::is_same_v<T, float>) {
      value = std::strtof(digits.c_str(), nullptr);
    } else {
      value = std::strtod(digits.c_str(), nullptr);
    }
    if (std::isinf(value)) return FloatReading<T>{value, true};
  }
  return FloatReading<T>{value, false};
}

}  // namespace

bool is_float_text(std::string_view text, FloatSyntax syntax) noexcept {
  if (syntax == FloatSyntax::Decimal && (is_nan_text(text) || is_infinity_text(text))) return true;
  return is_digits_text(text, syntax);
}

std::optional<FloatReading<float>> read_float(std::string_view text, FloatSyntax syntax) {
  return read<float>(text, syntax);
}

std::optional<FloatReading<double>> read_double(std::string_view text, FloatSyntax syntax) {
  return read<double>(text, syntax);
}

}  // namespace corvane::cli
