#include "settings/colors.h"

QColor colorFromRgbValue(std::int64_t value)
{
    const auto bits = static_cast<std::uint64_t>(value);
    return QColor(int(bits & 0xFF), int((bits >> 8) & 0xFF), int((bits >> 16) & 0xFF));
}

std::int64_t rgbValueFromColor(const QColor& color)
{
    if (!color.isValid())
        return kBlackRgbValue;
    const QColor rgb = color.toRgb();
    return std::int64_t(rgb.red()) | (std::int64_t(rgb.green()) << 8) | (std::int64_t(rgb.blue()) << 16);
}
