#pragma once

#include <QElapsedTimer>
#include <QProgressBar>

// The progress of one long step of the window, shown in its bar. The bar takes every value, but only
// appears once the step has run long enough for the user to wait on it: a month load of a few
// milliseconds would only flash it, and each synchronous repaint of the bar also repaints the page
// behind it. The bar is hidden again when the step ends, however it ends.
class DelayedProgress
{
public:
    static constexpr qint64 kShowAfterMs = 200;

    explicit DelayedProgress(QProgressBar* bar) : m_bar(bar)
    {
        m_bar->reset();
        m_clock.start();
    }
    ~DelayedProgress() { m_bar->hide(); }
    DelayedProgress(const DelayedProgress&) = delete;
    DelayedProgress& operator=(const DelayedProgress&) = delete;

    void operator()(int percent)
    {
        // A hidden bar skips its repaint; a shown one paints at once, as nothing else runs meanwhile.
        m_bar->setValue(percent);
        if (!m_bar->isVisible() && m_clock.elapsed() >= kShowAfterMs) {
            m_bar->show();
            m_bar->repaint();
        }
    }

private:
    QProgressBar* m_bar;
    QElapsedTimer m_clock;
};
