#pragma once

#include <QLabel>

// A label that answers the mouse: the banner opens a web page on a click, the colour swatch opens the
// colour chooser on a double click.
class ClickableLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();
    void doubleClicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};
