// The schedule grid and the clipboard: copying cells as the tab-separated text spreadsheets paste as
// cells, pasting such a block from the current cell, filling a selection down from its first row and
// emptying a selection. Each is one step of the draft's history.
#include "app/pages/schedule_page.h"

#include "app/dialogs/standard_message.h"
#include "app/grid/bound_grid.h"
#include "app/grid/schedule_columns.h"
#include "app/grid/work_table_model.h"
#include "common/dates.h"
#include "common/full_width.h"
#include "common/money.h"
#include "schedule/day_entry.h"
#include "schedule/draft.h"
#include "schedule/row_content.h"

#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QStringList>

#include <algorithm>
#include <set>

using namespace schedule_columns;

namespace {

// The columns the user sees, left to right: a pasted block fills them in this order.
constexpr int kShownColumns[] = {k表示日付, k入金先名, k予定額, k入金額, k残高};
// Past this many refused cells the message only counts the rest.
constexpr int kListedRefusals = 10;

struct Block
{
    int top = -1;
    int bottom = -1;
    std::vector<int> columns; // shown columns, left to right
};

// The rectangle around the selected cells (the current cell when nothing is selected).
Block selectedBlock(const BoundGrid* grid)
{
    Block block;
    std::set<int> columns;
    QModelIndexList cells = grid->selectionModel()->selectedIndexes();
    if (cells.isEmpty() && grid->currentIndex().isValid())
        cells << grid->currentIndex();
    for (const QModelIndex& cell : cells) {
        if (std::find(std::begin(kShownColumns), std::end(kShownColumns), cell.column()) ==
            std::end(kShownColumns))
            continue;
        block.top = block.top < 0 ? cell.row() : std::min(block.top, cell.row());
        block.bottom = std::max(block.bottom, cell.row());
        columns.insert(cell.column());
    }
    for (const int column : kShownColumns) {
        if (columns.contains(column))
            block.columns.push_back(column);
    }
    return block;
}

QString copiedText(const schedule::WorkRow& row, int column)
{
    switch (column) {
    case k表示日付:
        return row.日付 ? toSlashDate(*row.日付) : QString();
    case k入金先名:
        return row.入金先名.value_or(QString());
    case k予定額:
        return row.予定額 && schedule::holdsData(row) ? plainAmountText(*row.予定額) : QString();
    case k入金額:
        return row.入金額 && schedule::holdsData(row) ? plainAmountText(*row.入金額) : QString();
    case k残高:
        return row.残高 && schedule::holdsData(row) ? plainAmountText(*row.残高) : QString();
    default:
        return {};
    }
}

// Spreadsheets put a cell holding a tab, a line break or a quote in double quotes.
QString unquoted(const QString& cell)
{
    if (cell.size() >= 2 && cell.startsWith(QLatin1Char('"')) && cell.endsWith(QLatin1Char('"')))
        return cell.mid(1, cell.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    return cell;
}

std::vector<QStringList> pastedCells(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    // A copied block ends with a line break; it makes no row of its own.
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    std::vector<QStringList> cells;
    for (const QString& line : lines) {
        QStringList fields = line.split(QLatin1Char('\t'));
        for (QString& field : fields)
            field = unquoted(field).trimmed();
        cells.push_back(fields);
    }
    return cells;
}

} // namespace

void SchedulePage::copyCells()
{
    const Block block = selectedBlock(GridInp);
    if (block.top < 0 || block.columns.empty())
        return;
    QStringList lines;
    for (int row = block.top; row <= block.bottom; ++row) {
        QStringList fields;
        for (const int column : block.columns) {
            QString text = copiedText(m_draft->rows()[std::size_t(row)], column);
            // A spreadsheet reads a cell with a tab, a line break or a quote only when it is quoted.
            if (text.contains(QLatin1Char('\t')) || text.contains(QLatin1Char('\n')) ||
                text.contains(QLatin1Char('"')))
                text = QLatin1Char('"') +
                       QString(text).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + QLatin1Char('"');
            fields << text;
        }
        lines << fields.join(QLatin1Char('\t'));
    }
    QApplication::clipboard()->setText(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

void SchedulePage::pasteCells()
{
    const QModelIndex start = GridInp->currentIndex();
    const auto first = std::find(std::begin(kShownColumns), std::end(kShownColumns), start.column());
    if (!start.isValid() || first == std::end(kShownColumns) || !m_workMonth.isValid())
        return;
    const std::vector<QStringList> block = pastedCells(QApplication::clipboard()->text());
    if (block.empty())
        return;

    std::vector<schedule::CellChange> changes;
    QStringList refusals;
    int refused = 0;
    const auto refuse = [&](int row, int column, const QString& why) {
        if (++refused <= kListedRefusals)
            refusals << QStringLiteral("%1行目の%2: %3").arg(row + 1).arg(datInp->columnCaption(column), why);
    };
    std::vector<QString> payers;
    for (std::size_t r = 0; r < block.size(); ++r) {
        const int row = start.row() + int(r);
        if (row >= int(m_draft->rows().size())) {
            ++refused;
            refusals << QStringLiteral("%1行目以降: 表の終わりを超えています").arg(row + 1);
            break;
        }
        for (qsizetype c = 0; c < block[r].size(); ++c) {
            const auto target = first + c;
            if (target >= std::end(kShownColumns))
                break;
            const int column = *target;
            const QString& text = block[r][c];
            const std::size_t at = std::size_t(row);
            switch (column) {
            case k表示日付: {
                if (text.isEmpty()) {
                    changes.push_back({at, k表示日付, Value()});
                    break;
                }
                // A whole date must lie in the displayed month; a bare number is a day of it.
                std::optional<QDate> date = parseDateText(foldFullWidth(text));
                if (date && (date->year() != m_workMonth.year() || date->month() != m_workMonth.month())) {
                    refuse(row, column, QStringLiteral("表示中の月の日付ではありません"));
                    break;
                }
                const schedule::DayEntry entry =
                    schedule::completeDay(m_workMonth, date ? QString::number(date->day()) : text);
                if (entry.kind != schedule::DayEntry::Kind::SetDate) {
                    refuse(row, column, QStringLiteral("日付として読めません"));
                    break;
                }
                changes.push_back({at, k表示日付, Value(entry.cellText)});
                changes.push_back({at, k日付, Value(entry.date)});
                break;
            }
            case k入金先名:
                changes.push_back({at, k入金先名, text.isEmpty() ? Value() : Value(text)});
                if (!text.isEmpty())
                    payers.push_back(text);
                break;
            case k予定額:
            case k入金額: {
                Value amount;
                if (!datInp->toStored(column, text, &amount)) {
                    const bool outOfRange = parseAmount(text).status == AmountParse::OutOfRange;
                    refuse(row, column,
                           outOfRange ? QStringLiteral("金額が大きすぎます")
                                      : QStringLiteral("金額として読めません"));
                    break;
                }
                changes.push_back({at, column, amount.isNull() ? Value(Money()) : amount});
                break;
            }
            default:
                // 総額 follows from the amounts: a pasted value there is passed over.
                break;
            }
        }
    }
    if (refused > 0) {
        if (refused > kListedRefusals)
            refusals << QStringLiteral("ほか %1 件").arg(refused - kListedRefusals);
        showStandardMessage(prompts(), QStringLiteral("その他"), QStringLiteral("メッセージ"),
                            QStringLiteral("貼り付けできないセルがあるため、何も貼り付けていません。\n") +
                                refusals.join(QLatin1Char('\n')));
        return;
    }
    if (!changeCells(changes, QStringLiteral("貼り付け")))
        return;
    if (m_source.autoRegistration()) {
        for (const QString& name : payers)
            registerPayer(name);
    }
}

void SchedulePage::fillDown()
{
    const Block block = selectedBlock(GridInp);
    if (block.top < 0 || block.bottom <= block.top)
        return;
    const schedule::WorkRow& source = m_draft->rows()[std::size_t(block.top)];
    std::vector<schedule::CellChange> changes;
    for (int row = block.top + 1; row <= block.bottom; ++row) {
        const std::size_t at = std::size_t(row);
        for (const int column : block.columns) {
            switch (column) {
            case k表示日付:
                changes.push_back(
                    {at, k表示日付, source.表示日付.isEmpty() ? Value() : Value(source.表示日付)});
                changes.push_back({at, k日付, Value(source.日付)});
                break;
            case k入金先名:
                changes.push_back({at, k入金先名, Value(source.入金先名)});
                break;
            case k予定額:
                changes.push_back({at, k予定額, Value(source.予定額.value_or(Money()))});
                break;
            case k入金額:
                changes.push_back({at, k入金額, Value(source.入金額.value_or(Money()))});
                break;
            default:
                break;
            }
        }
    }
    changeCells(changes, QStringLiteral("下方向へコピー"));
}

void SchedulePage::clearSelection()
{
    const Block block = selectedBlock(GridInp);
    if (block.top < 0)
        return;
    std::vector<schedule::CellChange> changes;
    for (int row = block.top; row <= block.bottom; ++row) {
        const std::size_t at = std::size_t(row);
        for (const int column : block.columns) {
            // As typing an empty text: a day emptied keeps the row's date, an amount reads 0.
            if (column == k表示日付 || column == k入金先名)
                changes.push_back({at, column, Value()});
            else if (column == k予定額 || column == k入金額)
                changes.push_back({at, column, Value(Money())});
        }
    }
    changeCells(changes, QStringLiteral("削除"));
}
