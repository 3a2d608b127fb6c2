#include "report/report_data.h"

#include "common/dates.h"
#include "storage/database.h"
#include "storage/rowset.h"
#include "storage/transaction.h"

namespace report {

const QString kUnsavedFootnote =
    QStringLiteral("※ 印刷した時点で登録されていない変更を含みます（画面の内容のとおりに印刷しています）。");

namespace {

// An amount column that is empty prints blank, like a 0.
Money amountOf(const RowSet& rows, const QString& column)
{
    return rows.get(column).toMoney().value_or(Money{});
}

std::vector<ReportRow> readPrintRows(Database& db)
{
    std::vector<ReportRow> result;
    RowSet rows = db.openRowSet("select * from InpWork印刷 order by 行番号");
    for (rows.moveFirst(); !rows.atEnd(); rows.moveNext()) {
        ReportRow row;
        row.day = rows.get(QStringLiteral("表示日付")).toText();
        row.payer = rows.get(QStringLiteral("入金先名")).toText();
        row.planned = amountOf(rows, QStringLiteral("予定額"));
        row.received = amountOf(rows, QStringLiteral("入金額"));
        row.balance = amountOf(rows, QStringLiteral("残高"));
        result.push_back(std::move(row));
    }
    rows.close();
    return result;
}

} // namespace

QString reportMonthTitle(const QDate& month, const QString& eraValue)
{
    return formatMonth(month, monthDisplayFormat(eraValue, MonthUse::Printout));
}

ReportData prepareReport(Database& db, const QDate& month, const QString& eraValue,
                         const ScreenFigures& figures)
{
    {
        // Emptied and refilled together, so a failed copy never leaves a half-built printout.
        Transaction transaction(db);
        db.execute("delete from InpWork印刷");
        db.execute("insert into InpWork印刷 select * from InpWork where 入金先名 is not null");
        transaction.commit();
    }

    ReportData data;
    data.monthTitle = reportMonthTitle(month, eraValue);
    data.figures = figures;
    if (figures.unsaved)
        data.footnote = kUnsavedFootnote;
    data.rows = readPrintRows(db);
    return data;
}

} // namespace report
