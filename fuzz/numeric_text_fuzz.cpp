// SPDX-License-Identifier: MIT
// Typed numbers and the program's own number texts.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "check.h"
#include "model/numeric_text.h"

using namespace henon;

namespace {

bool hasNoNumberWord(const std::string& s) {
  for (const char* w : {"nan", "NaN", "inf", "Inf"})
    if (s.find(w) != std::string::npos) return false;
  return true;
}

void checkFixed(double v, int decimals) {
  const std::string s = formatFixed(v, decimals);
  FUZZ_CHECK(!s.empty(), "formatFixed(%.17g, %d) is empty", v, decimals);
  FUZZ_CHECK(s.find('e') == std::string::npos && s.find('E') == std::string::npos,
             "formatFixed(%.17g, %d) = %s", v, decimals, s.c_str());
  const std::size_t dot = s.find('.');
  FUZZ_CHECK(dot != std::string::npos && s.size() - dot - 1 == std::size_t(decimals),
             "formatFixed(%.17g, %d) = %s has the wrong number of decimals", v, decimals,
             s.c_str());
  FUZZ_CHECK(dot > 0 && std::isdigit(static_cast<unsigned char>(s[dot - 1])),
             "formatFixed(%.17g, %d) = %s has no digit before the point", v, decimals, s.c_str());
  // A negative zero shows no sign.
  FUZZ_CHECK(!(s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos),
             "formatFixed(%.17g, %d) = %s", v, decimals, s.c_str());
  const auto back = toDouble(s);
  FUZZ_CHECK(back.has_value(), "formatFixed(%.17g, %d) = %s does not read back", v, decimals,
             s.c_str());
  // Within half a unit of the last place, give or take the rounding of the text back to double.
  const double unit = std::pow(10.0, -decimals);
  const double slack = 0.5 * unit + 4 * std::fabs(v) * std::numeric_limits<double>::epsilon();
  FUZZ_CHECK(std::fabs(*back - v) <= slack, "formatFixed(%.17g, %d) = %s reads back as %.17g", v,
             decimals, s.c_str(), *back);
  FUZZ_CHECK(!(v < 0 && *back > 0) && !(v > 0 && *back < 0), "formatFixed(%.17g, %d) = %s", v,
             decimals, s.c_str());
}

void checkGeneral(double v) {
  const std::string s = formatGeneral(v);
  FUZZ_CHECK(hasNoNumberWord(s), "formatGeneral(%.17g) = %s", v, s.c_str());
  const auto back = toDouble(s);
  // Fifteen digits of the largest doubles round past the double range; titles only show them.
  if (!back && std::fabs(v) >= 1.797693134862315e308) return;
  FUZZ_CHECK(back.has_value(), "formatGeneral(%.17g) = %s does not read back", v, s.c_str());
  // 15 significant digits.
  FUZZ_CHECK(
      std::fabs(*back - v) <= 1e-14 * std::fabs(v) + std::numeric_limits<double>::denorm_min(),
      "formatGeneral(%.17g) = %s -> %.17g", v, s.c_str(), *back);
  const auto digits =
      s.find_first_of("eE") == std::string::npos ? s : s.substr(0, s.find_first_of("eE"));
  if (digits.find('.') != std::string::npos)
    FUZZ_CHECK(digits.back() != '0' && digits.back() != '.', "formatGeneral(%.17g) = %s", v,
               s.c_str());
}

void checkInt32(double v) {
  const auto n = toInt32(v);
  if (!std::isfinite(v) || v <= -2147483649.0 || v >= 2147483648.0) {
    FUZZ_CHECK(!n.has_value(), "toInt32(%.17g) gave %d", v, n.value_or(0));
    return;
  }
  if (!n) {
    // Only values that round past the ends may be refused.
    FUZZ_CHECK(v < -2147483648.5 || v >= 2147483647.5, "toInt32(%.17g) refused", v);
    return;
  }
  const double d = double(*n) - v;
  FUZZ_CHECK(std::fabs(d) <= 0.5, "toInt32(%.17g) = %d", v, *n);
  if (std::fabs(d) == 0.5) FUZZ_CHECK(*n % 2 == 0, "toInt32(%.17g) = %d, not even", v, *n);
}

// The fixed form with at least `decimals` decimals, reading back as a double.
double checkFixedForm(const std::string& s, std::size_t decimals, const char* what, double v) {
  FUZZ_CHECK(s.find_first_of("eE") == std::string::npos && hasNoNumberWord(s), "%s(%.17g) = %s",
             what, v, s.c_str());
  const std::size_t dot = s.find('.');
  FUZZ_CHECK(dot != std::string::npos && s.size() - dot - 1 >= decimals && dot > 0 &&
                 std::isdigit(static_cast<unsigned char>(s[dot - 1])),
             "%s(%.17g) = %s", what, v, s.c_str());
  const auto back = toDouble(s);
  FUZZ_CHECK(back.has_value(), "%s(%.17g) = %s does not read back", what, v, s.c_str());
  return *back;
}

void checkPointer(double v, double pixel, double corner) {
  const double back = checkFixedForm(formatPointer(v, pixel), 4, "formatPointer", v);
  FUZZ_CHECK(back == v || std::fabs(back - v) < pixel, "formatPointer(%.17g, %.17g) -> %.17g", v,
             pixel, back);
  // A drag keeps to its side of the press's corner, and leaves it when both meet.
  for (int way : {-1, 0, 1}) {
    const double drag = checkFixedForm(formatPointer(v, pixel, corner, way), 4, "drag", v);
    const int side = v != corner ? (v > corner) - (v < corner) : way;
    const bool room = std::isfinite(std::nextafter(corner, side * HUGE_VAL));
    if (side != 0 && room)
      FUZZ_CHECK((drag > corner) - (drag < corner) == side,
                 "formatPointer(%.17g, %.17g, %.17g, %d) -> %.17g", v, pixel, corner, way, drag);
  }
}

void checkBounds(double low, double high) {
  const auto [l, h] = formatBounds(low, high);
  checkFixedForm(l, 2, "formatBounds", low);
  checkFixedForm(h, 2, "formatBounds", high);
  FUZZ_CHECK(l.size() - l.find('.') == h.size() - h.find('.'),
             "formatBounds(%.17g, %.17g) = %s, %s: decimals differ", low, high, l.c_str(),
             h.c_str());
  FUZZ_CHECK(low == high || l != h, "formatBounds(%.17g, %.17g) = %s, %s", low, high, l.c_str(),
             h.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const auto v = toDouble(text);
  if (v) {
    FUZZ_CHECK(std::isfinite(*v), "accepted text gives %.17g", *v);
    checkInt32(*v);
    checkGeneral(*v);
    checkFixed(*v, 2);
    checkFixed(*v, 4);
  }

  // The same bytes as a raw double reach values no typed text may give.
  if (size >= sizeof(double)) {
    double raw;
    std::memcpy(&raw, data, sizeof raw);
    checkInt32(raw);
    if (std::isfinite(raw)) {
      checkGeneral(raw);
      checkFixed(raw, 2);
      checkFixed(raw, 4);
    }
  }
  // Two doubles: a pointer position and a pixel or the other corner, or the two axis bounds.
  if (size >= 2 * sizeof(double)) {
    double a, b;
    std::memcpy(&a, data, sizeof a);
    std::memcpy(&b, data + sizeof a, sizeof b);
    // Tiny values need hundreds of decimals, each tried in turn: slow, and the unit tests have
    // them.
    const auto moderate = [](double v) {
      return v == 0 || (std::fabs(v) < 1e30 && std::fabs(v) > 1e-30);
    };
    if (moderate(a) && moderate(b)) {
      checkPointer(a, std::fabs(b), b);
      checkPointer(a, std::fabs(a - b), b);
      checkBounds(a, b);
    }
  }
  return 0;
}
