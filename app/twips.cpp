#include "app/twips.h"

#include <QWidget>

#include <cmath>

int twipsToPixels(double twips, const QWidget* widget)
{
    int dpi = widget ? widget->logicalDpiX() : 0;
    if (dpi <= 0)
        dpi = 96;
    return int(std::lround(twips * dpi / 1440.0));
}
