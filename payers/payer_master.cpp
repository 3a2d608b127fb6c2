#include "payers/payer_master.h"

#include "common/money.h"
#include "storage/database.h"
#include "storage/rowset.h"
#include "storage/transaction.h"
#include "terms/terms_store.h"

#include <QHash>
#include <QList>

#include <algorithm>
#include <tuple>

namespace payers {

namespace {

// The terms of a row of the editing copy, read as the page shows them; the first field that does not
// read, or terms that do not go together, refuse the row.
terms::PaymentTerms readRowTerms(const RowSet& row, const QString& who)
{
    using namespace terms;
    PaymentTerms result;
    QString error;
    const auto take = [&](auto parsed, auto& field, const char16_t* caption) {
        if (!error.isEmpty())
            return;
        if (parsed.ok())
            field = parsed.value;
        else
            error = QStringLiteral("%1: %2").arg(QString::fromUtf16(caption), parsed.error);
    };
    const auto text = [&](const char* column) { return row.get(QString::fromUtf8(column)).toText(); };
    take(parse締め日(text("締め日")), result.締め日, u"締め日");
    take(parse支払月(text("支払月")), result.支払月, u"支払月");
    take(parse支払日(text("支払日")), result.支払日, u"支払日");
    take(parse休日(text("休日")), result.休日, u"休日");
    result.定額 = row.get(QStringLiteral("定額")).toMoney();
    take(parse定額開始(text("定額開始")), result.定額開始, u"定額開始");
    take(parse定額終了(text("定額終了")), result.定額終了, u"定額終了");
    if (error.isEmpty())
        error = validateTerms(result);
    if (!error.isEmpty())
        throw PayerRowRefused(
            QStringLiteral("入金先「%1」は登録できません。%2\n入金先マスタは変更されていません。")
                .arg(who, error));
    return result;
}

// Moves the rows of a table from one payer name to another where the name is part of the key: a row the
// new name already has stays, the old name's copy of it goes.
void moveKeyedRows(Database& db, const std::string& table, const std::string& otherColumns,
                   const Rename& rename)
{
    db.execute("insert or ignore into " + table + " (入金先名, " + otherColumns + ") select ?, " +
                   otherColumns + " from " + table + " where 入金先名 = ?",
               {Value(rename.to), Value(rename.from)});
    db.execute("delete from " + table + " where 入金先名 = ?", {Value(rename.from)});
}

// A named row of the editing copy, read and checked.
struct CopiedPayer
{
    Value name;
    Value kana;
    terms::PaymentTerms terms;
};

std::vector<CopiedPayer> readCopy(Database& db)
{
    std::vector<CopiedPayer> payers;
    // Lines are counted as the page shows them, unnamed rows included.
    RowSet rows = db.openRowSet("select * from w入金先マスタ order by rowid");
    int line = 0;
    for (rows.moveFirst(); !rows.atEnd(); rows.moveNext()) {
        ++line;
        const QString name = rows.get(QStringLiteral("入金先名")).toText();
        if (name.isEmpty())
            continue;
        const QString who = name.trimmed().isEmpty() ? QStringLiteral("%1 行目").arg(line) : name;
        const Value kana = rows.get(QStringLiteral("フリガナ"));
        payers.push_back(
            {Value(name), kana.toText().isEmpty() ? Value() : Value(kana.toText()), readRowTerms(rows, who)});
    }
    return payers;
}

} // namespace

PayerRowRefused::PayerRowRefused(const QString& message)
    : std::runtime_error(message.toStdString()), m_userMessage(message)
{
}

void loadEditingCopy(Database& db)
{
    Transaction transaction(db);
    db.execute("delete from w入金先マスタ");
    // One statement rather than a row at a time: a master of thousands of names is copied within a
    // screen frame. The rows still arrive in name order, unticked.
    db.execute("insert into work.w入金先マスタ (入金先名, 元入金先名, フリガナ, 定額)"
               " select 入金先名, 入金先名, フリガナ, 定額 from main.入金先マスタ order by 入金先名");
    // The terms in the page's text forms, row by row: only payers with terms have any to convert. Each
    // goes to its copied row by the row's id, found once for all (looking each payer up by its name in
    // the copy grew with the square of the master).
    RowSet stored = db.openRowSet(std::string("select 入金先名, ") + terms::kTermsColumns +
                                  " from main.入金先マスタ where coalesce(締め日, 支払月, 支払日, 休日,"
                                  " 定額開始, 定額終了) is not null order by 入金先名");
    if (stored.isEmpty()) {
        transaction.commit();
        return;
    }
    QHash<QString, QList<qint64>> copiedRows;
    RowWalk copied(db, "select rowid, 入金先名 from work.w入金先マスタ order by rowid");
    while (copied.next())
        copiedRows[copied.value(1).toText()].append(copied.integer(0));
    RepeatedWrite update(db, "update work.w入金先マスタ set 締め日 = ?, 支払月 = ?, 支払日 = ?, 休日 = ?,"
                             " 定額開始 = ?, 定額終了 = ? where rowid = ?");
    const auto shown = [](const QString& text) { return text.isEmpty() ? Value() : Value(text); };
    for (stored.moveFirst(); !stored.atEnd(); stored.moveNext()) {
        QList<qint64>& rows = copiedRows[stored.get(QStringLiteral("入金先名")).toText()];
        if (rows.isEmpty())
            continue;
        const terms::PaymentTerms t = terms::termsOfStoredRow(stored);
        update.run({shown(terms::formatTermDay(t.締め日)), shown(terms::format支払月(t.支払月)),
                    shown(terms::formatTermDay(t.支払日)),
                    t.休日 ? Value(terms::format休日(t.休日)) : Value(),
                    shown(terms::formatYearMonth(t.定額開始)), shown(terms::formatYearMonth(t.定額終了)),
                    Value(rows.takeFirst())});
    }
    transaction.commit();
}

void checkEditingCopy(Database& db)
{
    readCopy(db);
}

bool editingCopyDiffers(Database& db)
{
    using Payer = std::tuple<QString, QString, terms::PaymentTerms>;
    std::vector<Payer> copy;
    try {
        for (const CopiedPayer& payer : readCopy(db))
            copy.emplace_back(payer.name.toText(), payer.kana.toText(), payer.terms);
    } catch (const PayerRowRefused&) {
        return true;
    }
    std::vector<Payer> master;
    RowSet stored = db.openRowSet(std::string("select 入金先名, フリガナ, ") + terms::kTermsColumns +
                                  " from main.入金先マスタ where 入金先名 <> ''");
    for (stored.moveFirst(); !stored.atEnd(); stored.moveNext())
        master.emplace_back(stored.get(QStringLiteral("入金先名")).toText(),
                            stored.get(QStringLiteral("フリガナ")).toText(), terms::termsOfStoredRow(stored));
    if (copy.size() != master.size())
        return true;
    const auto byName = [](const Payer& a, const Payer& b) {
        return std::tie(std::get<0>(a), std::get<1>(a)) < std::tie(std::get<0>(b), std::get<1>(b));
    };
    std::sort(copy.begin(), copy.end(), byName);
    std::sort(master.begin(), master.end(), byName);
    return copy != master;
}

std::vector<Rename> findRenames(Database& db)
{
    std::vector<Rename> renames;
    RowSet rows = db.openRowSet("select 元入金先名, 入金先名 from w入金先マスタ where 元入金先名 <> ''"
                                " and 入金先名 <> '' and 入金先名 <> 元入金先名 order by rowid");
    for (rows.moveFirst(); !rows.atEnd(); rows.moveNext()) {
        Rename rename{rows.get(QStringLiteral("元入金先名")).toText(),
                      rows.get(QStringLiteral("入金先名")).toText()};
        rename.storedRows =
            int(db.readFirst("select count(*) from 入金予定表 where 入金先名 = ?", {Value(rename.from)})
                    .toInt64()
                    .value_or(0));
        renames.push_back(rename);
    }
    return renames;
}

void saveEditingCopy(Database& db, const std::vector<Rename>& carried)
{
    // Every row is read before anything is written: one bad row stores nothing.
    const std::vector<CopiedPayer> payers = readCopy(db);

    // Delete and copy are one unit: a failed copy must never leave the master emptied.
    Transaction transaction(db);
    db.execute("delete from 入金先マスタ");
    for (const CopiedPayer& payer : payers) {
        Params values{payer.name, payer.kana};
        for (Value& v : terms::storedTermsValues(payer.terms))
            values.push_back(std::move(v));
        db.execute(std::string("insert into main.入金先マスタ (入金先名, フリガナ, ") + terms::kTermsColumns +
                       ") values (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                   values);
    }
    // The renames of one save happen at once: each old name first moves to a name nobody can type, then
    // to its new one, so that A→B with B→A swaps the two payers' rows and A→B with B→C keeps them apart,
    // where one rename after the other would merge them.
    std::vector<Rename> first, second;
    for (std::size_t i = 0; i < carried.size(); ++i) {
        const QString passing = QStringLiteral("\u0001rename\u0001%1").arg(i);
        first.push_back({carried[i].from, passing});
        second.push_back({passing, carried[i].to});
    }
    for (const std::vector<Rename>* step : {&first, &second}) {
        for (const Rename& rename : *step) {
            const Params names{Value(rename.to), Value(rename.from)};
            db.execute("update 入金予定表 set 入金先名 = ? where 入金先名 = ?", names);
            db.execute("update InpWork set 入金先名 = ? where 入金先名 = ?", names);
            db.execute("update InpWorkBase set 入金先名 = ? where 入金先名 = ?", names);
            moveKeyedRows(db, "定額予定記録", "年月", rename);
            moveKeyedRows(db, "入金先照合名", "照合キー, 振込依頼人名", rename);
        }
    }
    db.execute("update w入金先マスタ set 元入金先名 = 入金先名 where 入金先名 <> ''");
    transaction.commit();
}

void clearEditingCopy(Database& db)
{
    db.execute("delete from w入金先マスタ");
}

void deleteAllPayers(Database& db)
{
    Transaction transaction(db);
    db.execute("delete from 入金先マスタ");
    clearEditingCopy(db);
    transaction.commit();
}

int deleteTickedPayers(Database& db)
{
    Transaction transaction(db);
    RowSet ticked = db.openRowSet("select * from w入金先マスタ where チェック = 1");
    for (ticked.moveFirst(); !ticked.atEnd(); ticked.moveNext()) {
        // A row renamed on the page stands for the payer it was read as.
        for (const char* column : {"入金先名", "元入金先名"}) {
            const Value name = ticked.get(QString::fromUtf8(column));
            if (!name.isNull())
                db.execute("delete from 入金先マスタ where 入金先名 = ?", {name});
        }
    }
    const int removed = db.execute("delete from w入金先マスタ where チェック = 1");
    transaction.commit();
    return removed;
}

void refreshDropDown(Database& db)
{
    Transaction transaction(db);
    db.execute("delete from w入金先名");
    db.execute("insert into work.w入金先名 select 入金先名 from main.入金先マスタ order by 入金先名");
    transaction.commit();
}

bool addPayer(Database& db, const std::optional<QString>& name)
{
    if (!name || name->isEmpty())
        return false;
    Transaction transaction(db);
    RowSet same = db.openTable("入金先マスタ", "where 入金先名 = ?", {Value(*name)});
    if (!same.isEmpty())
        return false;
    same.addNew();
    same.set("入金先名", Value(*name));
    same.update();
    transaction.commit();
    return true;
}

} // namespace payers
