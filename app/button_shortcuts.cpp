#include "app/button_shortcuts.h"

#include "app/FrmDorivan.h"
#include "app/bound_grid.h"

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

void addWindowShortcuts(FrmDorivan& w)
{
    const QKeySequence save(Qt::CTRL | Qt::Key_S);
    for (QPushButton* b : {w.cmd登録, w.cmd支払先登録, w.cmd設定登録})
        giveButtonShortcut(b, save, QStringLiteral("Ctrl+S"));
    giveButtonShortcut(w.Cmd印刷, QKeySequence(Qt::CTRL | Qt::Key_P), QStringLiteral("Ctrl+P"));
    giveButtonShortcut(w.cmdMonBef, QKeySequence(Qt::Key_PageUp), QStringLiteral("PageUp"));
    giveButtonShortcut(w.cmdMonNext, QKeySequence(Qt::Key_PageDown), QStringLiteral("PageDown"));
    giveButtonShortcut(w.cmd行挿入, QKeySequence(Qt::CTRL | Qt::Key_I), QStringLiteral("Ctrl+I"));
    const QKeySequence deleteRow(Qt::CTRL | Qt::Key_Delete);
    for (QPushButton* b : {w.cmd行削除, w.cmd支払先行削除})
        giveButtonShortcut(b, deleteRow, QStringLiteral("Ctrl+Delete"));
    for (QPushButton* b : {w.cmdHint, w.cmdHint1, w.cmdHint2})
        giveButtonShortcut(b, QKeySequence(Qt::Key_F1), QStringLiteral("F1"));
}
