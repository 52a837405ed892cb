// SPDX-License-Identifier: MIT
#include "model/numeric_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace henon {
namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// The core of the text without its blanks, or empty when the shape is wrong.
std::optional<std::string_view> numberCore(std::string_view t) {
  while (!t.empty() && isBlank(t.front())) t.remove_prefix(1);
  while (!t.empty() && isBlank(t.back())) t.remove_suffix(1);
  std::size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  std::size_t digits = 0;
  bool point = false;
  for (; i < t.size(); ++i) {
    if (isDigit(t[i])) {
      ++digits;
    } else if (t[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return std::nullopt;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t expDigits = 0;
    for (; i < t.size() && isDigit(t[i]); ++i) ++expDigits;
    if (expDigits == 0) return std::nullopt;
  }
  if (i != t.size()) return std::nullopt;
  return t;
}

// For a text that from_chars finds out of range: is it too small (rather than too large)?
bool isUnderflow(std::string_view t) {
  bool seenPoint = false, seenDigit = false;
  long long intDigits = 0, zerosAfterPoint = 0;
  std::size_t i = 0;
  for (; i < t.size() && (isDigit(t[i]) || t[i] == '.'); ++i) {
    if (t[i] == '.') {
      seenPoint = true;
    } else if (!seenDigit && t[i] == '0') {
      if (seenPoint) ++zerosAfterPoint;
    } else {
      if (!seenPoint) ++intDigits;
      seenDigit = true;
    }
  }
  // Decimal exponent of the first significant digit, counted from the mantissa's point.
  const long long lead = intDigits > 0 ? intDigits - 1 : -(zerosAfterPoint + 1);
  long long exp = 0;
  if (i < t.size()) {
    ++i;  // 'e' or 'E'
    bool neg = t[i] == '-';
    if (t[i] == '+' || t[i] == '-') ++i;
    for (; i < t.size(); ++i) exp = exp > 100000 ? exp : exp * 10 + (t[i] - '0');
    if (neg) exp = -exp;
  }
  return lead + exp < 0;
}

}  // namespace

std::optional<double> toDouble(std::string_view text) {
  auto core = numberCore(text);
  if (!core) return std::nullopt;
  std::string_view t = *core;
  // from_chars takes no '+'.
  bool negative = false;
  if (t.front() == '+' || t.front() == '-') {
    negative = t.front() == '-';
    t.remove_prefix(1);
  }
  double value = 0;
  auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  if (end != t.data() + t.size()) return std::nullopt;
  if (ec == std::errc::result_out_of_range) {
    // Underflow is a tiny number, overflow is no number at all.
    if (!isUnderflow(t)) return std::nullopt;
    value = 0;
  } else if (ec != std::errc()) {
    return std::nullopt;
  }
  if (!std::isfinite(value)) return std::nullopt;
  return negative ? -value : value;
}

std::optional<std::int32_t> toInt32(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  double r = std::nearbyint(value);
  if (r < -2147483648.0 || r > 2147483647.0) return std::nullopt;
  return static_cast<std::int32_t>(r);
}

std::string formatFixed(double value, int decimals) {
  if (!std::isfinite(value)) return formatGeneral(value);
  // Far more digits than are kept, so exact halves show as ...5000 and round away from zero.
  char buf[512];
  double mag = std::fabs(value);
  auto res = std::to_chars(buf, buf + sizeof buf, mag, std::chars_format::fixed, decimals + 30);
  std::string s(buf, res.ptr);
  std::size_t dot = s.find('.');
  std::string kept = s.substr(0, dot + 1 + static_cast<std::size_t>(decimals));
  if (s[dot + 1 + static_cast<std::size_t>(decimals)] >= '5') {
    int i = static_cast<int>(kept.size()) - 1;
    for (; i >= 0; --i) {
      if (kept[i] == '.') continue;
      if (kept[i] == '9') {
        kept[i] = '0';
      } else {
        ++kept[i];
        break;
      }
    }
    if (i < 0) kept.insert(kept.begin(), '1');
  }
  if (decimals == 0) kept.pop_back();
  bool zero = kept.find_first_not_of("0.") == std::string::npos;
  if (value < 0 && !zero) kept.insert(kept.begin(), '-');
  return kept;
}

namespace {

// Enough for the smallest subnormal to read back exactly.
constexpr int kMaxDecimals = 400;

bool readsBackAs(const std::string& text, double value) {
  const std::optional<double> read = toDouble(text);
  return read && *read == value;
}

}  // namespace

std::string formatPointer(double value, double pixel, std::optional<double> corner, int way) {
  if (!std::isfinite(value)) return formatFixed(value, 4);
  // Views a few doubles wide: both ends of a drag can land on the same one.
  if (corner && value == *corner && way != 0) {
    const double next = std::nextafter(value, way * std::numeric_limits<double>::infinity());
    if (std::isfinite(next)) value = next;
  }
  for (int decimals = 4;; ++decimals) {
    std::string text = formatFixed(value, decimals);
    const double read = toDouble(text).value_or(value);
    if (read == value || decimals >= kMaxDecimals) return text;
    const bool near = std::fabs(read - value) < pixel;
    const bool sameSide =
        !corner || value == *corner || (value > *corner ? read > *corner : read < *corner);
    if (near && sameSide) return text;
  }
}

std::array<std::string, 2> formatBounds(double low, double high) {
  for (int decimals = 2;; ++decimals) {
    std::array<std::string, 2> texts = {formatFixed(low, decimals), formatFixed(high, decimals)};
    if (texts[0] != texts[1] || decimals >= kMaxDecimals) return texts;
    // Equal bounds, or ones that are not numbers, print alike however many decimals they get.
    if (readsBackAs(texts[0], low) && readsBackAs(texts[1], high)) return texts;
    if (!std::isfinite(low) || !std::isfinite(high)) return texts;
  }
}

std::string formatGeneral(double value) {
  if (value == 0) return "0";
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  // %.15g, but with a decimal point whatever the user's locale: titles list the values with
  // commas between them.
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
  std::string s(buf, res.ptr);
  // 1e-5 rather than C's 1e-05.
  std::size_t e = s.find('e');
  if (e != std::string::npos && e + 2 < s.size() && s[e + 2] == '0' && e + 3 < s.size())
    s.erase(e + 2, 1);
  return s;
}

}  // namespace henon
