#include "app/widgets/input_method.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QWidget>

void setImeOpen(QWidget* widget, bool open)
{
    if (!widget)
        return;
    widget->setAttribute(Qt::WA_InputMethodEnabled, open);
    widget->setInputMethodHints(open ? Qt::ImhNone
                                     : Qt::ImhDigitsOnly | Qt::ImhPreferLatin | Qt::ImhNoPredictiveText);
    // A widget that has the focus tells the input method at once, so the conversion state follows the
    // cursor without the user leaving the field.
    if (QGuiApplication::focusObject() == widget)
        QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
}
