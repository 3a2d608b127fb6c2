#include "app/pages/overdue_models.h"

#include "common/dates.h"

namespace {

constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kCentre = Qt::AlignCenter;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;

bool validRow(const QModelIndex& index, std::size_t rows, int columns)
{
    return index.isValid() && std::size_t(index.row()) < rows && index.column() >= 0 &&
           index.column() < columns;
}

QVariant caption(const char16_t* const* captions, int count, int section, Qt::Orientation orientation,
                 int role)
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return QString::number(section + 1);
    return section >= 0 && section < count ? QString::fromUtf16(captions[section]) : QVariant();
}

} // namespace

void OpenRowsModel::setRows(std::vector<schedule::OpenRow> rows, const QDate& asOf,
                            const QString& monthFormat)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_asOf = asOf;
    m_format = monthFormat;
    endResetModel();
}

int OpenRowsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int OpenRowsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant OpenRowsModel::data(const QModelIndex& index, int role) const
{
    if (!validRow(index, m_rows.size(), kColumnCount))
        return {};
    const schedule::OpenRow& row = m_rows[std::size_t(index.row())];
    const bool edit = role == Qt::EditRole;
    if (role == Qt::TextAlignmentRole) {
        if (index.column() == k日付)
            return QVariant::fromValue(kCentre);
        return QVariant::fromValue(index.column() == k入金先名 ? kLeft : kRight);
    }
    if (role != Qt::DisplayRole && !edit)
        return {};
    switch (index.column()) {
    case k日付:
        return edit ? QVariant(row.日付) : QVariant(formatDay(row.日付, m_format));
    case k入金先名:
        return row.入金先名;
    case k予定額:
        return edit ? QVariant(row.予定額.toYenDouble()) : QVariant(formatAmount(row.予定額));
    case k入金額:
        return edit ? QVariant(row.入金額.toYenDouble()) : QVariant(formatAmount(row.入金額));
    case k未入金額:
        return edit ? QVariant(row.未入金額().toYenDouble()) : QVariant(formatAmount(row.未入金額()));
    case k経過日数:
        return edit ? QVariant(qlonglong(row.経過日数(m_asOf)))
                    : QVariant(QString::number(row.経過日数(m_asOf)));
    }
    return {};
}

QVariant OpenRowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char16_t* const captions[] = {u"日付",   u"入金先名", u"予定額",
                                               u"入金額", u"未入金額", u"経過日数"};
    return caption(captions, kColumnCount, section, orientation, role);
}

void PayerTotalsModel::setPayers(std::vector<schedule::PayerOpen> payers, const QString& monthFormat)
{
    beginResetModel();
    m_payers = std::move(payers);
    m_format = monthFormat;
    endResetModel();
}

int PayerTotalsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_payers.size());
}

int PayerTotalsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant PayerTotalsModel::data(const QModelIndex& index, int role) const
{
    if (!validRow(index, m_payers.size(), kColumnCount))
        return {};
    const schedule::PayerOpen& payer = m_payers[std::size_t(index.row())];
    const bool edit = role == Qt::EditRole;
    if (role == Qt::TextAlignmentRole) {
        if (index.column() == k最古の日付)
            return QVariant::fromValue(kCentre);
        return QVariant::fromValue(index.column() == k入金先名 ? kLeft : kRight);
    }
    if (role != Qt::DisplayRole && !edit)
        return {};
    switch (index.column()) {
    case k入金先名:
        return payer.入金先名;
    case k件数:
        return edit ? QVariant(qlonglong(payer.件数)) : QVariant(QString::number(payer.件数));
    case k未入金額:
        return edit ? QVariant(payer.未入金額.toYenDouble()) : QVariant(formatAmount(payer.未入金額));
    case k最古の日付:
        return edit ? QVariant(payer.最古の日付) : QVariant(formatDay(payer.最古の日付, m_format));
    }
    return {};
}

QVariant PayerTotalsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char16_t* const captions[] = {u"入金先名", u"件数", u"未入金額", u"最古の日付"};
    return caption(captions, kColumnCount, section, orientation, role);
}
