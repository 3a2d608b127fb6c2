#include "app/dialogs/color_chooser.h"

#include "settings/colors.h"

#include <QColorDialog>

std::int64_t ShowColorChooser(QWidget* owner, std::int64_t initialColor)
{
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
