#include "app/widgets/twips.h"

#include <QWidget>

#include <cmath>

namespace {

int dpiOf(const QWidget* widget)
{
    const int dpi = widget ? widget->logicalDpiX() : 0;
    return dpi > 0 ? dpi : 96;
}

} // namespace

int twipsToPixels(double twips, const QWidget* widget)
{
    return int(std::lround(twips * dpiOf(widget) / 1440.0));
}

double pixelsToTwips(int pixels, const QWidget* widget)
{
    return pixels * 1440.0 / dpiOf(widget);
}
