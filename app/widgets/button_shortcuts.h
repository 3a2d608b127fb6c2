#pragma once

class QKeySequence;
class QPushButton;
class QString;
class QWidget;

// A key that presses a button as a click does, named in the button's tooltip ("登録 (Ctrl+S)"). The key
// works while the button could be clicked: its page shown, the button enabled, its window active. So
// one key serves the button of the same name on every page, and F1 the hint of the page in view.
void giveButtonShortcut(QPushButton* button, const QKeySequence& key, const QString& keyName);

// The window's keys: Ctrl+S 登録, Ctrl+P 印刷, PageUp / PageDown the previous / next month, Ctrl+I
// 行挿入, Ctrl+Delete 行削除, F1 the page's hint; given to the buttons of those names in `window`.
void addWindowShortcuts(QWidget& window);
