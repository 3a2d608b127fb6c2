#include "app/color_chooser.h"

#include "settings/colors.h"

#include <QColorDialog>

namespace {

ColorChooserAnswerer& answerer()
{
    static ColorChooserAnswerer instance;
    return instance;
}

} // namespace

std::int64_t ShowColorChooser(QWidget* owner, std::int64_t initialColor)
{
    if (const ColorChooserAnswerer answer = answerer())
        return answer(owner, initialColor);

    // The custom colours are shared by every colour dialog of the process; a colour picked into them
    // in one call must not show up in the next.
    for (int i = 0; i < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(i, QColor(Qt::white));

    QColorDialog dialog(owner);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    dialog.setCurrentColor(colorFromRgbValue(initialColor));
    if (dialog.exec() != QDialog::Accepted)
        return -1;
    return rgbValueFromColor(dialog.selectedColor());
}

void setColorChooserAnswerer(ColorChooserAnswerer answer)
{
    answerer() = std::move(answer);
}
