#include "app/widgets/button_shortcuts.h"

#include "app/grid/bound_grid.h"

#include <QApplication>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>

namespace {

void pressByKey(QPushButton* button)
{
    // A click takes the focus from the cell being typed into, which stores it first; a key does the
    // same, and a text the grid refuses keeps the user in the cell instead of going on.
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        if (auto* grid = qobject_cast<BoundGrid*>(w)) {
            if (!grid->commitRow())
                return;
            break;
        }
    }
    button->click();
}

} // namespace

void giveButtonShortcut(QPushButton* button, const QKeySequence& key, const QString& keyName)
{
    // Owned by the button, so the key lives and sleeps with it (a hidden page's buttons take no keys).
    auto* shortcut = new QShortcut(key, button);
    shortcut->setContext(Qt::WindowShortcut);
    shortcut->setAutoRepeat(false);
    QObject::connect(shortcut, &QShortcut::activated, button, [button] { pressByKey(button); });
    const QString tip = button->toolTip().isEmpty() ? button->text() : button->toolTip();
    button->setToolTip(tip + QStringLiteral(" (") + keyName + QLatin1Char(')'));
}

void addWindowShortcuts(QWidget& window)
{
    // The buttons are the pages' own; the keys are the window's, so they are found by name.
    const auto buttons = [&window](std::initializer_list<const char16_t*> names) {
        QList<QPushButton*> found;
        for (const char16_t* name : names)
            if (auto* b = window.findChild<QPushButton*>(QString::fromUtf16(name)))
                found.append(b);
        return found;
    };
    const auto give = [&](std::initializer_list<const char16_t*> names, const QKeySequence& key,
                          const QString& keyName) {
        for (QPushButton* b : buttons(names))
            giveButtonShortcut(b, key, keyName);
    };
    give({u"cmd登録", u"cmd支払先登録", u"cmd設定登録"}, QKeySequence(Qt::CTRL | Qt::Key_S),
         QStringLiteral("Ctrl+S"));
    give({u"Cmd印刷"}, QKeySequence(Qt::CTRL | Qt::Key_P), QStringLiteral("Ctrl+P"));
    give({u"cmdMonBef"}, QKeySequence(Qt::Key_PageUp), QStringLiteral("PageUp"));
    give({u"cmdMonNext"}, QKeySequence(Qt::Key_PageDown), QStringLiteral("PageDown"));
    give({u"cmd行挿入"}, QKeySequence(Qt::CTRL | Qt::Key_I), QStringLiteral("Ctrl+I"));
    give({u"cmd行削除", u"cmd支払先行削除"}, QKeySequence(Qt::CTRL | Qt::Key_Delete),
         QStringLiteral("Ctrl+Delete"));
    give({u"cmdHint", u"cmdHint1", u"cmdHint2", u"cmdHint3"}, QKeySequence(Qt::Key_F1), QStringLiteral("F1"));
}
