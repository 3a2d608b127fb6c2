#pragma once

#include <QLabel>

// A label that answers the mouse: the banner opens a web page on a click, the colour swatch opens the
// colour chooser on a double click. A label that takes the keyboard focus (a focus policy other than
// Qt::NoFocus) also answers Enter, and a single click while it already holds the focus, with
// activated(); it then shows a focus frame, so that the keyboard user sees where Enter goes.
class ClickableLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();
    void doubleClicked();
    void activated();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_focusFromPress = false; // the focus came with the press that is going on
    bool m_armed = false;          // the press under way started with the focus already here
};
