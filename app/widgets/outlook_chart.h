#pragma once

#include "schedule/overdue.h"

#include <QChartView>
#include <QString>

#include <vector>

class QBarCategoryAxis;
class QBarSet;
class QLineSeries;
class QValueAxis;

// Chart見通し: the twelve months of the outlook as bars of the planned and received totals (series
// "予定額" and "入金額", left axis) and a line of the month-end balance ("月末残高", right axis, as
// the balance runs on a scale of its own). Amounts in yen; the months labelled in the month field's
// form of the era value.
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

private:
    QBarSet* m_planned = nullptr;
    QBarSet* m_received = nullptr;
    QLineSeries* m_balance = nullptr;
    QBarCategoryAxis* m_months = nullptr;
    QValueAxis* m_amounts = nullptr;
    QValueAxis* m_balances = nullptr;
};
