#include "app/widgets/outlook_chart.h"

#include "common/dates.h"
#include "common/money.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QCursor>
#include <QLineSeries>
#include <QLocale>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

struct Unit
{
    double yen;
    QString name;
};

// The unit that keeps an axis's labels short: one large month would otherwise label every tick with
// ten or more digits.
Unit unitFor(double low, double high)
{
    const double largest = std::max(std::fabs(low), std::fabs(high));
    if (largest >= 1e8)
        return {1e8, QStringLiteral("億円")};
    if (largest >= 1e5)
        return {1e4, QStringLiteral("万円")};
    return {1, QStringLiteral("円")};
}

// A value axis over [low, high] (in its unit) in steps of 1, 2 or 5 times a power of ten, about five of
// them, each a tick with a label. A flat range is spanned from zero to it, and a flat zero (a year without
// rows) from 0 to 5 whole units: a span around it would show negative amounts and fractions of a yen.
void fitAxis(QValueAxis* axis, double low, double high)
{
    if (high <= low) {
        if (high > 0)
            low = 0;
        else if (low < 0)
            high = 0;
        else
            high = 5;
    }
    const double rough = (high - low) / 5;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = 10 * power;
    for (const double factor : {1.0, 2.0, 5.0})
        if (factor * power >= rough) {
            step = factor * power;
            break;
        }
    const double from = std::floor(low / step) * step;
    const double to = std::ceil(high / step) * step;
    axis->setRange(from, to);
    axis->setTickCount(int(std::lround((to - from) / step)) + 1);
    axis->setLabelFormat(step >= 1 ? QStringLiteral("%.0f") : QStringLiteral("%.1f"));
}

QList<qreal> inUnit(const QList<qreal>& yen, const Unit& unit)
{
    QList<qreal> scaled;
    for (const qreal value : yen)
        scaled << value / unit.yen;
    return scaled;
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
    QFont titleFont = font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 0.9);
    chart->setTitleFont(titleFont);
    chart->addAxis(m_months, Qt::AlignBottom);
    chart->addAxis(m_amounts, Qt::AlignLeft);
    chart->addAxis(m_balances, Qt::AlignRight);
    bars->attachAxis(m_months);
    bars->attachAxis(m_amounts);
    m_balance->attachAxis(m_months);
    m_balance->attachAxis(m_balances);

    setRenderHint(QPainter::Antialiasing);

    connect(m_planned, &QBarSet::hovered, this,
            [this](bool on, int index) { showValue(on, index, m_planned); });
    connect(m_received, &QBarSet::hovered, this,
            [this](bool on, int index) { showValue(on, index, m_received); });
    connect(m_balance, &QLineSeries::hovered, this,
            [this](const QPointF& point, bool on) { showValue(on, int(std::lround(point.x())), nullptr); });
}

void OutlookChart::showValue(bool hovered, int index, const QBarSet* set)
{
    if (!hovered || index < 0 || std::size_t(index) >= m_outlook.size()) {
        m_hoverText.clear();
        setToolTip(QString());
        QToolTip::hideText();
        return;
    }
    const schedule::MonthOutlook& month = m_outlook[std::size_t(index)];
    const Money amount = set == m_planned ? month.予定額 : set == m_received ? month.入金額 : month.月末残高;
    const QString what = set ? set->label() : m_balance->name();
    // Whole yen, as the lists show them: the axis only gives the size.
    const QString figure = formatAmount(amount);
    m_hoverText = QStringLiteral("%1　%2 %3 円")
                      .arg(m_monthTexts.value(index), what, figure.isEmpty() ? QStringLiteral("0") : figure);
    setToolTip(m_hoverText);
    QToolTip::showText(QCursor::pos(), m_hoverText, this);
}

void OutlookChart::setOutlook(const std::vector<schedule::MonthOutlook>& months, const QString& monthFormat)
{
    m_outlook = months;
    m_monthTexts.clear();
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
        const QString text = formatMonth(month.month, monthFormat);
        m_monthTexts << text;
        // The year where it starts, over the month; elsewhere the month alone, so that twelve labels
        // of the era form too fit side by side.
        const qsizetype year = text.indexOf(QStringLiteral("年"));
        if (year < 0)
            labels << text;
        else if (i == 0 || month.month.month() == 1)
            labels << text.left(year + 1) + QStringLiteral("<br>") + text.mid(year + 1);
        else
            labels << text.mid(year + 1);
        planned << month.予定額.toYenDouble();
        received << month.入金額.toYenDouble();
        balances << QPointF(double(i), month.月末残高.toYenDouble());
        low = std::min({low, planned.back(), received.back()});
        high = std::max({high, planned.back(), received.back()});
        balanceLow = i == 0 ? balances.back().y() : std::min(balanceLow, balances.back().y());
        balanceHigh = i == 0 ? balances.back().y() : std::max(balanceHigh, balances.back().y());
    }
    const Unit amountUnit = unitFor(low, high);
    const Unit balanceUnit = unitFor(balanceLow, balanceHigh);
    for (QPointF& point : balances)
        point.setY(point.y() / balanceUnit.yen);
    m_months->setCategories(labels);
    m_planned->remove(0, m_planned->count());
    m_planned->append(inUnit(planned, amountUnit));
    m_received->remove(0, m_received->count());
    m_received->append(inUnit(received, amountUnit));
    m_balance->replace(balances);
    fitAxis(m_amounts, low / amountUnit.yen, high / amountUnit.yen);
    fitAxis(m_balances, balanceLow / balanceUnit.yen, balanceHigh / balanceUnit.yen);
    // One title for the units instead of two axis titles, which would take the room of the labels.
    chart()->setTitle(QStringLiteral("見通し　棒：予定額・入金額（左目盛・%1）　線：月末残高（右目盛・%2）")
                          .arg(amountUnit.name, balanceUnit.name));
}
