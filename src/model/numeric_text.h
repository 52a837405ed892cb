// SPDX-License-Identifier: MIT
// Numbers as the user types them, and numbers as the program writes them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace henon {

// Blanks around an optionally signed decimal with an optional exponent; nothing else counts,
// and neither does a text whose value overflows a double.
std::optional<double> toDouble(std::string_view text);

// Round to nearest, halves to even; empty when the result leaves the 32-bit range.
std::optional<std::int32_t> toInt32(double value);

// "###0.00" for decimals = 2, "###0.0000" for 4: halves away from zero, no "-0.00".
std::string formatFixed(double value, int decimals);

// A coordinate the mouse writes: "###0.0000" when that text lies closer than `pixel` to `value`,
// otherwise the fewest further decimals that do. It never goes past the first text that reads
// back as `value` itself (at most 17 significant digits). Given `corner`, the value of the
// opposite corner of a drag, the text also stays on value's side of it, so that a drag of a pixel
// or more never closes up or turns round; where value equals the corner, `way` (+1 or -1) says
// which side the drag went, and the text is the neighbouring double on that side.
std::string formatPointer(double value, double pixel, std::optional<double> corner = std::nullopt,
                          int way = 0);

// The two bounds of one axis: "###0.00", or with the fewest further decimals that print them
// differently; both with the same number of decimals.
std::array<std::string, 2> formatBounds(double low, double high);

// Up to 15 significant digits, no trailing zeros, an exponent only where it is needed.
std::string formatGeneral(double value);

}  // namespace henon
