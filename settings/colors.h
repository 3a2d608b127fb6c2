#pragma once

#include <QColor>

#include <cstdint>

// Colours are kept as the stored files have always held them: one number with red in the lowest byte,
// green in the second and blue in the third (0 is black, 16777215 white).
inline constexpr std::int64_t kBlackRgbValue = 0;
inline constexpr std::int64_t kWhiteRgbValue = 0xFFFFFF;

// Whether the number is a colour of that layout (no bits above the blue byte, not negative).
constexpr bool isRgbValue(std::int64_t value)
{
    return value >= kBlackRgbValue && value <= kWhiteRgbValue;
}

// Only the three colour bytes count, so a number from an old file with stray high bits still shows
// a colour instead of failing.
QColor colorFromRgbValue(std::int64_t value);
// An invalid colour gives black.
std::int64_t rgbValueFromColor(const QColor& color);
