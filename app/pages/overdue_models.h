#pragma once

#include "schedule/overdue.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QString>

#include <vector>

// The two read-only grids of the open-receipts page. Under Qt::EditRole they answer as the month grid
// does: dates as QDate, amounts as numbers of yen, counts and days as whole numbers; Qt::DisplayRole
// shows amounts "#,###" and dates in the month field's form of the era value.

// Grid未入金: 日付, 入金先名, 予定額, 入金額, 未入金額, 経過日数.
class OpenRowsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { k日付, k入金先名, k予定額, k入金額, k未入金額, k経過日数, kColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    // `asOf` is the date the ages are counted to; `monthFormat` one of the two month formats.
    void setRows(std::vector<schedule::OpenRow> rows, const QDate& asOf, const QString& monthFormat);
    const std::vector<schedule::OpenRow>& rows() const { return m_rows; }
    const QDate& asOf() const { return m_asOf; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<schedule::OpenRow> m_rows;
    QDate m_asOf;
    QString m_format;
};

// Grid入金先別: 入金先名, 件数, 未入金額, 最古の日付.
class PayerTotalsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { k入金先名, k件数, k未入金額, k最古の日付, kColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void setPayers(std::vector<schedule::PayerOpen> payers, const QString& monthFormat);
    const std::vector<schedule::PayerOpen>& payers() const { return m_payers; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<schedule::PayerOpen> m_payers;
    QString m_format;
};
