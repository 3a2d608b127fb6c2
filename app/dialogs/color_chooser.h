#pragma once

#include <cstdint>

class QWidget;

// Shows the colour dialog modal to the owner, starting from the initial colour (red in the lowest byte)
// with all sixteen custom colours white, as nothing is remembered between calls. Returns the chosen
// colour in the same layout, or -1 when the user cancels.
std::int64_t ShowColorChooser(QWidget* owner, std::int64_t initialColor);
