#pragma once

#include <QLabel>

// A label that answers the mouse: the banner opens a web page on a click, the colour swatch opens the
// colour chooser on a click. A label that takes the keyboard focus (a focus policy other than
// Qt::NoFocus) also answers Enter with activated(); it then shows a focus frame, so that the keyboard
// user sees where Enter goes.
//
// An eliding label (setElided) asks the layout for no width of its own: a longer text never widens the
// window. It keeps the height of two lines and breaks a text too long for one at a blank, so that a count
// and a sum stay readable in a narrow column; only what two lines cannot hold ends in "…" (the tool tip
// shows it whole).
class ClickableLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

    void setElided(bool elided);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // What an eliding label paints, line by line, at its present width.
    QStringList shownLines() const;

signals:
    void clicked();
    void activated();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int elidedHeight() const;

    bool m_elided = false;
    static constexpr int kElidedLines = 2;
};
