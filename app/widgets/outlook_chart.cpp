#include "app/widgets/outlook_chart.h"

#include "common/dates.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QLineSeries>
#include <QLocale>
#include <QValueAxis>

#include <algorithm>

namespace {

// A value axis over [low, high] with round steps; an empty or flat range still gets a visible span.
void fitAxis(QValueAxis* axis, double low, double high)
{
    if (high <= low) {
        low -= 1;
        high += 1;
    }
    axis->setRange(low, high);
    axis->applyNiceNumbers();
}

} // namespace

// The chart is handed to the base at once: a view made without one makes a chart of its own, and
// setChart() would leave that one behind undeleted.
OutlookChart::OutlookChart(QWidget* parent) : QChartView(new QChart, parent)
{
    QChart* chart = this->chart();
    chart->setAnimationOptions(QChart::NoAnimation);
    // Numbers with the thousands separators of the grids.
    chart->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    chart->setLocalizeNumbers(true);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));

    m_planned = new QBarSet(QStringLiteral("予定額"));
    m_received = new QBarSet(QStringLiteral("入金額"));
    m_planned->setColor(QColor(0x5b, 0x8d, 0xc9));
    m_received->setColor(QColor(0x8c, 0xc0, 0x7a));
    auto* bars = new QBarSeries;
    bars->append(m_planned);
    bars->append(m_received);
    m_balance = new QLineSeries;
    m_balance->setName(QStringLiteral("月末残高"));
    QPen pen(QColor(0xc0, 0x50, 0x30));
    pen.setWidthF(2.0);
    m_balance->setPen(pen);
    m_balance->setPointsVisible(true);
    chart->addSeries(bars);
    chart->addSeries(m_balance);

    m_months = new QBarCategoryAxis;
    m_amounts = new QValueAxis;
    m_balances = new QValueAxis;
    m_balances->setGridLineVisible(false);
    QFont labelFont = font();
    labelFont.setPointSizeF(labelFont.pointSizeF() * 0.85);
    for (QValueAxis* axis : {m_amounts, m_balances}) {
        axis->setLabelFormat(QStringLiteral("%.0f"));
        axis->setLabelsFont(labelFont);
    }
    m_months->setLabelsFont(labelFont);
    // One title for the units instead of two axis titles, which would take the room of the labels.
    QFont titleFont = font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 0.9);
    chart->setTitleFont(titleFont);
    chart->setTitle(QStringLiteral("見通し（円）　棒：予定額・入金額（左目盛）　線：月末残高（右目盛）"));
    chart->addAxis(m_months, Qt::AlignBottom);
    chart->addAxis(m_amounts, Qt::AlignLeft);
    chart->addAxis(m_balances, Qt::AlignRight);
    bars->attachAxis(m_months);
    bars->attachAxis(m_amounts);
    m_balance->attachAxis(m_months);
    m_balance->attachAxis(m_balances);

    setRenderHint(QPainter::Antialiasing);
}

void OutlookChart::setOutlook(const std::vector<schedule::MonthOutlook>& months, const QString& monthFormat)
{
    QStringList labels;
    QList<qreal> planned;
    QList<qreal> received;
    QList<QPointF> balances;
    double low = 0;
    double high = 0;
    double balanceLow = 0;
    double balanceHigh = 0;
    for (std::size_t i = 0; i < months.size(); ++i) {
        const schedule::MonthOutlook& month = months[i];
        // Year over month, so twelve labels fit side by side.
        labels
            << formatMonth(month.month, monthFormat).replace(QStringLiteral("年"), QStringLiteral("年<br>"));
        planned << month.予定額.toYenDouble();
        received << month.入金額.toYenDouble();
        balances << QPointF(double(i), month.月末残高.toYenDouble());
        low = std::min({low, planned.back(), received.back()});
        high = std::max({high, planned.back(), received.back()});
        balanceLow = i == 0 ? balances.back().y() : std::min(balanceLow, balances.back().y());
        balanceHigh = i == 0 ? balances.back().y() : std::max(balanceHigh, balances.back().y());
    }
    m_months->setCategories(labels);
    m_planned->remove(0, m_planned->count());
    m_planned->append(planned);
    m_received->remove(0, m_received->count());
    m_received->append(received);
    m_balance->replace(balances);
    fitAxis(m_amounts, low, high);
    fitAxis(m_balances, balanceLow, balanceHigh);
}
