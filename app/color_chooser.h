#pragma once

#include <cstdint>
#include <functional>

class QWidget;

// Shows the colour dialog modal to the owner, starting from the initial colour (red in the lowest byte)
// with all sixteen custom colours white, as nothing is remembered between calls. Returns the chosen
// colour in the same layout, or -1 when the user cancels.
std::int64_t ShowColorChooser(QWidget* owner, std::int64_t initialColor);

// Lets tests answer the chooser without a dialog: the function gets the owner and the initial colour
// and returns what the user would have chosen (-1 for cancel). An empty function restores the dialog.
using ColorChooserAnswerer = std::function<std::int64_t(QWidget* owner, std::int64_t initialColor)>;
void setColorChooserAnswerer(ColorChooserAnswerer answerer);
