#pragma once

class QWidget;

// Widths of the window's columns and fields are kept in twips (1/1440 inch), the unit the layout was
// drawn in; the widget's logical resolution turns them into pixels (96 dpi when it is unknown).
int twipsToPixels(double twips, const QWidget* widget = nullptr);
// The other way round: the twips that make `pixels` on the widget's screen.
double pixelsToTwips(int pixels, const QWidget* widget);
