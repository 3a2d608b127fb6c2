#pragma once

#include "schedule/overdue.h"

#include <QChartView>
#include <QString>
#include <QStringList>

#include <vector>

class QBarCategoryAxis;
class QBarSet;
class QLineSeries;
class QValueAxis;

// Chart見通し: the twelve months of the outlook as bars of the planned and received totals (series
// "予定額" and "入金額", left axis) and a line of the month-end balance ("月末残高", right axis, as
// the balance runs on a scale of its own). Each axis counts in 円, 万円 or 億円, whichever its largest
// figure needs, with round steps; a bar or point under the mouse tells its month and exact amount. The
// months are labelled in the month field's form of the era value, the year only where it starts (the
// first month and January), so that twelve labels fit side by side.
class OutlookChart : public QChartView
{
    Q_OBJECT
public:
    explicit OutlookChart(QWidget* parent = nullptr);

    void setOutlook(const std::vector<schedule::MonthOutlook>& months, const QString& monthFormat);

    QBarSet* plannedSet() const { return m_planned; }
    QBarSet* receivedSet() const { return m_received; }
    QLineSeries* balanceSeries() const { return m_balance; }
    QBarCategoryAxis* monthAxis() const { return m_months; }
    QValueAxis* amountAxis() const { return m_amounts; }
    QValueAxis* balanceAxis() const { return m_balances; }
    // What the chart tells of the bar or point under the mouse; empty when there is none.
    const QString& hoverText() const { return m_hoverText; }

private:
    // The month and amount of a bar (`set`) or of the balance point (no set) of month `index`.
    void showValue(bool hovered, int index, const QBarSet* set);

    std::vector<schedule::MonthOutlook> m_outlook;
    QStringList m_monthTexts;
    QString m_hoverText;
    QBarSet* m_planned = nullptr;
    QBarSet* m_received = nullptr;
    QLineSeries* m_balance = nullptr;
    QBarCategoryAxis* m_months = nullptr;
    QValueAxis* m_amounts = nullptr;
    QValueAxis* m_balances = nullptr;
};
