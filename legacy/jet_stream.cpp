#include "legacy/jet_stream.h"

namespace legacy {

namespace {

constexpr qsizetype kFlushAt = 1 << 16;
// A line longer than this cannot come from the tables the program reads (a hint text is at most a
// megabyte); it means the output is not ours.
constexpr qsizetype kMaxLine = 8 << 20;

[[noreturn]] void malformed(const QString& what)
{
    throw JetStreamError(
        QStringLiteral("読み取り処理から受け取ったデータが正しくありません（%1）。").arg(what));
}

std::int64_t number(const QByteArray& field, const char* what)
{
    bool ok = false;
    const qlonglong n = field.toLongLong(&ok);
    if (!ok || n < 0)
        malformed(QString::fromLatin1(what));
    return n;
}

JetField unescape(const QByteArray& field)
{
    if (field == "\\N")
        return std::nullopt;
    if (!field.contains('\\'))
        return field;
    QByteArray text;
    text.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c != '\\') {
            text += c;
            continue;
        }
        if (++i == field.size())
            malformed(QStringLiteral("値の終わりが不完全です"));
        switch (field[i]) {
        case '\\':
            text += '\\';
            break;
        case 't':
            text += '\t';
            break;
        case 'n':
            text += '\n';
            break;
        case 'r':
            text += '\r';
            break;
        default:
            malformed(QStringLiteral("値の書き方が不明です"));
        }
    }
    return text;
}

QString textOf(const QByteArray& field)
{
    return QString::fromUtf8(unescape(field).value_or(QByteArray()));
}

} // namespace

int JetTable::columnIndex(const QString& name) const
{
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

const JetTable* JetDump::table(const QString& name) const
{
    for (const JetTable& t : tables) {
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

void appendField(QByteArray& line, const JetField& field)
{
    if (!field) {
        line += "\\N";
        return;
    }
    for (const char c : *field) {
        switch (c) {
        case '\\':
            line += "\\\\";
            break;
        case '\t':
            line += "\\t";
            break;
        case '\n':
            line += "\\n";
            break;
        case '\r':
            line += "\\r";
            break;
        default:
            line += c;
        }
    }
}

JetStreamError::JetStreamError(const QString& reason)
    : std::runtime_error(reason.toStdString()), m_reason(reason)
{
}

JetReaderFailure::JetReaderFailure(QString stage, QString detail)
    : std::runtime_error((stage + QLatin1String(": ") + detail).toStdString()), m_stage(std::move(stage)),
      m_detail(std::move(detail))
{
}

JetStreamWriter::JetStreamWriter(std::FILE* out) : m_out(out)
{
    m_buffer.reserve(kFlushAt * 2);
}

JetStreamWriter::~JetStreamWriter()
{
    flush();
}

void JetStreamWriter::write(const QByteArray& line)
{
    const qsizetype start = m_buffer.size();
    m_buffer += line;
    m_buffer += '\n';
    m_hash.addData(QByteArrayView(m_buffer).sliced(start));
    ++m_lines;
    if (m_buffer.size() >= kFlushAt)
        flush();
}

bool JetStreamWriter::finish()
{
    flush();
    m_buffer = "DONE\t" + QByteArray::number(m_lines) + '\t' + m_hash.result().toHex() + '\n';
    flush();
    return std::fflush(m_out) == 0 && !m_failed;
}

void JetStreamWriter::flush()
{
    if (!m_buffer.isEmpty() && std::fwrite(m_buffer.constData(), 1, std::size_t(m_buffer.size()), m_out) !=
                                   std::size_t(m_buffer.size()))
        m_failed = true;
    m_buffer.clear();
}

void JetStreamParser::feed(const char* data, qsizetype size)
{
    m_pending.append(data, size);
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = m_pending.indexOf('\n', start);
        if (end < 0)
            break;
        line(m_pending.mid(start, end - start));
        start = end + 1;
    }
    m_pending.remove(0, start);
    if (m_pending.size() > kMaxLine)
        malformed(QStringLiteral("行が長すぎます"));
}

void JetStreamParser::line(const QByteArray& text)
{
    if (m_done)
        malformed(QStringLiteral("終わりの後にデータがあります"));
    const QList<QByteArray> fields = text.split('\t');
    const QByteArray& tag = fields[0];

    if (tag == "DONE") {
        if (fields.size() != 3 || number(fields[1], "行数") != m_lines ||
            fields[2] != m_hash.result().toHex())
            malformed(QStringLiteral("行数か検査値が合いません"));
        if (m_inTable)
            malformed(QStringLiteral("表の終わりがありません"));
        m_done = true;
        return;
    }
    m_hash.addData(text);
    m_hash.addData(QByteArrayView("\n"));
    ++m_lines;

    if (!m_started) {
        if (tag != kStreamMagic || fields.size() != 2 || fields[1].toInt() != kStreamVersion)
            malformed(QStringLiteral("始まりが違います"));
        m_started = true;
        return;
    }
    if (tag == "ROW") {
        if (!m_inTable)
            malformed(QStringLiteral("表の外に行があります"));
        JetTable& table = m_dump.tables.back();
        if (std::size_t(fields.size() - 1) != table.columns.size())
            malformed(QStringLiteral("列の数が合いません"));
        std::vector<JetField> row;
        row.reserve(table.columns.size());
        for (qsizetype i = 1; i < fields.size(); ++i)
            row.push_back(unescape(fields[i]));
        table.rows.push_back(std::move(row));
        ++m_rowsSeen;
    } else if (tag == "COLUMN") {
        if (!m_inTable || fields.size() != 3 || !m_dump.tables.back().rows.empty())
            malformed(QStringLiteral("列の定義の位置が違います"));
        m_dump.tables.back().columns.push_back({textOf(fields[1]), int(number(fields[2], "列の型"))});
    } else if (tag == "TABLE") {
        if (m_inTable || fields.size() != 4)
            malformed(QStringLiteral("表の始まりが違います"));
        JetTable table;
        table.name = textOf(fields[1]);
        table.declaredRows = number(fields[2], "行数");
        m_declaredColumns = number(fields[3], "列数");
        table.rows.reserve(std::size_t(std::min<std::int64_t>(table.declaredRows, 100000)));
        m_dump.tables.push_back(std::move(table));
        m_inTable = true;
    } else if (tag == "END") {
        if (!m_inTable || fields.size() != 2)
            malformed(QStringLiteral("表の終わりが違います"));
        const JetTable& table = m_dump.tables.back();
        if (std::size_t(number(fields[1], "行数")) != table.rows.size())
            malformed(QStringLiteral("表「%1」の行数が合いません").arg(table.name));
        if (table.columns.size() != std::size_t(m_declaredColumns))
            malformed(QStringLiteral("表「%1」の列の数が合いません").arg(table.name));
        m_inTable = false;
    } else if (tag == "MISSING") {
        if (m_inTable || fields.size() != 2)
            malformed(QStringLiteral("表の有無の位置が違います"));
        m_dump.missingTables << textOf(fields[1]);
    } else if (tag == "FILE") {
        if (fields.size() != 2)
            malformed(QStringLiteral("形式の行が違います"));
        m_dump.format = int(number(fields[1], "形式"));
    } else if (tag == "ERROR") {
        throw JetReaderFailure(QString::fromUtf8(fields.value(1)), QString::fromUtf8(fields.value(2)));
    } else {
        malformed(QStringLiteral("不明な行があります"));
    }
}

JetDump JetStreamParser::finish()
{
    if (!m_done || !m_pending.isEmpty())
        throw JetStreamError(QStringLiteral("読み取り処理が最後まで終わりませんでした。"));
    return std::move(m_dump);
}

} // namespace legacy
