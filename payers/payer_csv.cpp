#include "payers/payer_csv.h"

#include "storage/database.h"
#include "storage/rowset.h"
#include "storage/transaction.h"
#include "terms/terms_store.h"

#include <QBuffer>
#include <QHash>

namespace payers {

namespace {

constexpr QLatin1StringView kLineEnd("\r\n");

struct PayerLine
{
    int line = 0;
    QString name;
    QString kana;
    terms::PaymentTerms terms;
};

// The line's terms, or the first reason they cannot be stored.
QString readTerms(const QStringList& fields, terms::PaymentTerms* out)
{
    using namespace terms;
    QString error;
    const auto take = [&](auto parsed, auto& field, const QString& caption) {
        if (!error.isEmpty())
            return;
        if (parsed.ok())
            field = parsed.value;
        else
            error = caption + QStringLiteral(": ") + parsed.error;
    };
    const QStringList& columns = payerCsvColumns();
    take(parse締め日(fields[2]), out->締め日, columns[2]);
    take(parse支払月(fields[3]), out->支払月, columns[3]);
    take(parse支払日(fields[4]), out->支払日, columns[4]);
    take(parse休日(fields[5]), out->休日, columns[5]);
    take(parse定額(fields[6]), out->定額, columns[6]);
    take(parse定額開始(fields[7]), out->定額開始, columns[7]);
    take(parse定額終了(fields[8]), out->定額終了, columns[8]);
    return error.isEmpty() ? validateTerms(*out) : error;
}

csv::CsvEncoding detectEncoding(const QByteArray& bytes)
{
    if (bytes.startsWith(csv::kUtf8Bom))
        return csv::CsvEncoding::Utf8;
    csv::Converter utf8(csv::CsvEncoding::Utf8);
    return utf8.decode(bytes.constData(), bytes.size()) ? csv::CsvEncoding::Utf8 : csv::CsvEncoding::Cp932;
}

} // namespace

const QStringList& payerCsvColumns()
{
    static const QStringList columns{
        QStringLiteral("入金先名"), QStringLiteral("フリガナ"), QStringLiteral("締め日"),
        QStringLiteral("支払月"),   QStringLiteral("支払日"),   QStringLiteral("休日"),
        QStringLiteral("定額"),     QStringLiteral("定額開始"), QStringLiteral("定額終了")};
    return columns;
}

PayerCsvExport exportPayers(Database& db, csv::CsvEncoding encoding)
{
    PayerCsvExport result;
    QString text = payerCsvColumns().join(QLatin1Char(',')) + kLineEnd;
    RowSet rows = db.openRowSet(std::string("select 入金先名, フリガナ, ") + terms::kTermsColumns +
                                " from 入金先マスタ where 入金先名 is not null order by 入金先名");
    for (rows.moveFirst(); !rows.atEnd(); rows.moveNext()) {
        const terms::PaymentTerms t = terms::termsOfStoredRow(rows);
        QString line;
        csv::appendField(line, rows.get(QStringLiteral("入金先名")).toText());
        for (const QString& field :
             {rows.get(QStringLiteral("フリガナ")).toText(), terms::formatTermDay(t.締め日),
              terms::format支払月(t.支払月), terms::formatTermDay(t.支払日),
              t.休日 ? terms::format休日(t.休日) : QString(), t.定額 ? plainAmountText(*t.定額) : QString(),
              terms::formatYearMonth(t.定額開始), terms::formatYearMonth(t.定額終了)}) {
            line += QLatin1Char(',');
            csv::appendField(line, field);
        }
        ++result.rows;
        if (encoding == csv::CsvEncoding::Cp932) {
            csv::Converter cp932(csv::CsvEncoding::Cp932);
            qsizetype at = 0;
            if (!cp932.encode(line, &at)) {
                result.error = QStringLiteral("%1行目の「%2」に、Shift_JIS（CP932）で書けない文字があります。"
                                              "UTF-8 で書き出してください。何も書き出していません。")
                                   .arg(result.rows + 1)
                                   .arg(rows.get(QStringLiteral("入金先名")).toText());
                return result;
            }
        }
        text += line + kLineEnd;
    }
    if (encoding == csv::CsvEncoding::Utf8) {
        result.bytes = csv::kUtf8Bom + text.toUtf8();
    } else {
        csv::Converter cp932(csv::CsvEncoding::Cp932);
        result.bytes = cp932.encode(text).value_or(QByteArray());
    }
    return result;
}

PayerCsvImport importPayers(Database& db, const QByteArray& bytes, std::optional<csv::CsvEncoding> encoding)
{
    PayerCsvImport result;
    csv::Converter converter(encoding.value_or(detectEncoding(bytes)));
    QByteArray content = bytes;
    QBuffer buffer(&content);
    buffer.open(QIODevice::ReadOnly);
    csv::RecordStream records(buffer);
    if (converter.encoding() == csv::CsvEncoding::Utf8)
        records.skipPrefix(csv::kUtf8Bom);

    std::vector<PayerLine> lines;
    QHash<QString, int> lineOfName;
    bool headerSeen = false;
    csv::ByteRecord record;
    while (records.next(record)) {
        if (!record.error.isEmpty()) {
            result.problems.add(record.line, record.error);
            continue;
        }
        QStringList fields;
        bool readable = true;
        for (const QByteArray& field : record.fields) {
            const std::optional<QString> text = converter.decode(field.constData(), field.size());
            readable = readable && text.has_value();
            fields << text.value_or(QString());
        }
        if (!readable) {
            result.problems.add(record.line, QStringLiteral("%1 として読めない文字があります。")
                                                 .arg(csv::encodingName(converter.encoding())));
            continue;
        }
        if (!headerSeen) {
            headerSeen = true;
            if (fields != payerCsvColumns())
                result.problems.add(record.line, QStringLiteral("見出しの行は「%1」にしてください。")
                                                     .arg(payerCsvColumns().join(QLatin1Char(','))));
            continue;
        }
        if (std::all_of(fields.cbegin(), fields.cend(),
                        [](const QString& f) { return f.trimmed().isEmpty(); }))
            continue;
        if (fields.size() != payerCsvColumns().size()) {
            result.problems.add(record.line, QStringLiteral("項目が %1 個あります（%2 個にしてください）。")
                                                 .arg(fields.size())
                                                 .arg(payerCsvColumns().size()));
            continue;
        }
        PayerLine payer{record.line, fields[0], fields[1].trimmed(), {}};
        if (payer.name.trimmed().isEmpty()) {
            result.problems.add(record.line, QStringLiteral("入金先名がありません。"));
            continue;
        }
        if (const QString error = readTerms(fields, &payer.terms); !error.isEmpty()) {
            result.problems.add(record.line, QStringLiteral("入金先「%1」の%2").arg(payer.name, error));
            continue;
        }
        if (const auto seen = lineOfName.constFind(payer.name); seen != lineOfName.cend()) {
            result.problems.add(
                record.line,
                QStringLiteral("入金先「%1」は %2 行目にもあります。").arg(payer.name).arg(seen.value()));
            continue;
        }
        lineOfName.insert(payer.name, record.line);
        lines.push_back(std::move(payer));
    }
    if (!records.readError().isEmpty())
        result.problems.add(0, records.readError());
    if (!headerSeen)
        result.problems.add(0, QStringLiteral("ファイルが空です。"));
    if (!result.problems.isEmpty())
        return result;

    Transaction transaction(db);
    // The master read once: each line finds its payer by name here, not by a search of the table per
    // line, which grew with the master times the file.
    struct StoredPayer
    {
        qint64 rowId;
        QString kana;
        terms::PaymentTerms terms;
    };
    QHash<QString, StoredPayer> master;
    RowSet stored = db.openRowSet(std::string("select rowid, 入金先名, フリガナ, ") + terms::kTermsColumns +
                                  " from 入金先マスタ where 入金先名 is not null order by rowid");
    for (stored.moveFirst(); !stored.atEnd(); stored.moveNext()) {
        const QString name = stored.get(QStringLiteral("入金先名")).toText();
        // The first row of a name is the one a line updates, as a search by name found it.
        if (!master.contains(name))
            master.insert(name,
                          {stored.get(QStringLiteral("rowid")).toInt64().value_or(0),
                           stored.get(QStringLiteral("フリガナ")).toText(), terms::termsOfStoredRow(stored)});
    }
    RepeatedWrite insert(db, std::string("insert into 入金先マスタ (入金先名, フリガナ, ") +
                                 terms::kTermsColumns + ") values (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    RepeatedWrite update(db,
                         "update 入金先マスタ set フリガナ = ?, 締め日 = ?, 支払月 = ?, 支払日 = ?, 休日 = ?,"
                         " 定額 = ?, 定額開始 = ?, 定額終了 = ? where rowid = ?");
    for (const PayerLine& payer : lines) {
        const Value kana = payer.kana.isEmpty() ? Value() : Value(payer.kana);
        const Params terms = terms::storedTermsValues(payer.terms);
        const auto found = master.constFind(payer.name);
        if (found == master.constEnd()) {
            insert.run({Value(payer.name), kana, terms[0], terms[1], terms[2], terms[3], terms[4], terms[5],
                        terms[6]});
            master.insert(payer.name, {db.lastInsertRowId(), payer.kana, payer.terms});
            ++result.summary.added;
            continue;
        }
        if (found->kana == payer.kana && found->terms == payer.terms) {
            ++result.summary.unchanged;
            continue;
        }
        update.run({kana, terms[0], terms[1], terms[2], terms[3], terms[4], terms[5], terms[6],
                    Value(found->rowId)});
        master[payer.name] = {found->rowId, payer.kana, payer.terms};
        ++result.summary.updated;
    }
    transaction.commit();
    return result;
}

} // namespace payers
