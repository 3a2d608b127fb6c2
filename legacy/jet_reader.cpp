#include "legacy/jet_reader.h"

#include "legacy/jet_stream.h"

// The library's header opens extern "C" around its glib include; glib has to come first in C++.
#include <glib.h>
#include <mdbtools.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

namespace legacy {

namespace {

struct HandleCloser
{
    void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};
struct TableFreer
{
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};

QByteArray field(const char* tag, const QByteArray& value)
{
    QByteArray line = tag;
    line += '\t';
    appendField(line, value);
    return line;
}

// "<days>:<seconds>": the whole days since 1899-12-30 and the time of day. Before that day the file
// keeps the days negative and the time positive, so the two parts are taken apart from zero.
QByteArray dateField(double stored)
{
    if (!std::isfinite(stored) || std::fabs(stored) > 1e7)
        return QByteArrayLiteral("invalid");
    double days = std::trunc(stored);
    auto seconds = std::llround(std::fabs(stored - days) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        days += stored < 0 ? -1 : 1;
    }
    return QByteArray::number(static_cast<qlonglong>(days)) + ':' + QByteArray::number(qlonglong(seconds));
}

// One value of the current row: null, or its exact stored form where the bound text would lose
// something (currency, dates, reals), else the bound text.
JetField valueOf(MdbHandle* mdb, MdbColumn* col, const char* bound)
{
    const unsigned char* raw = mdb->pg_buf + col->cur_value_start;
    switch (col->col_type) {
    case MDB_BOOL:
        // The value lives in the null mask: a yes/no is never null.
        return QByteArray(bound);
    case MDB_MONEY: {
        if (col->cur_value_len != 8)
            return std::nullopt;
        std::int64_t tenThousandths = 0;
        std::memcpy(&tenThousandths, raw, 8);
        return QByteArray::number(static_cast<qlonglong>(GINT64_FROM_LE(tenThousandths)));
    }
    case MDB_DATETIME:
        if (col->cur_value_len != 8)
            return std::nullopt;
        return dateField(mdb_get_double(mdb->pg_buf, col->cur_value_start));
    case MDB_DOUBLE:
        if (col->cur_value_len != 8)
            return std::nullopt;
        return QByteArray::number(mdb_get_double(mdb->pg_buf, col->cur_value_start), 'g', 17);
    case MDB_FLOAT:
        if (col->cur_value_len != 4)
            return std::nullopt;
        return QByteArray::number(double(mdb_get_single(mdb->pg_buf, col->cur_value_start)), 'g', 9);
    case MDB_BINARY:
    case MDB_OLE:
    case MDB_COMPLEX:
        // Pictures and attachments: nothing the program keeps.
        return std::nullopt;
    default:
        // The library cannot tell an empty text from a missing one; both come back as nothing.
        if (col->cur_value_len == 0 || bound[0] == '\0')
            return std::nullopt;
        return QByteArray(bound);
    }
}

bool takesStoredBytes(int type)
{
    return type == MDB_MONEY || type == MDB_DATETIME || type == MDB_DOUBLE || type == MDB_FLOAT ||
           type == MDB_BINARY || type == MDB_OLE || type == MDB_COMPLEX;
}

int fail(JetStreamWriter& out, const char* stage, const QByteArray& detail)
{
    QByteArray line = "ERROR\t";
    line += stage;
    line += '\t';
    appendField(line, detail);
    out.write(line);
    out.finish();
    return 3;
}

MdbCatalogEntry* findTable(MdbHandle* mdb, const std::string& name)
{
    for (unsigned int i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE &&
            QString::fromUtf8(entry->object_name).compare(QString::fromUtf8(name), Qt::CaseInsensitive) == 0)
            return entry;
    }
    return nullptr;
}

// Writes one table; returns false after an ERROR line.
bool writeTable(JetStreamWriter& out, MdbHandle* mdb, MdbCatalogEntry* entry, int& code)
{
    std::unique_ptr<MdbTableDef, TableFreer> table(mdb_read_table(entry));
    if (!table) {
        code = fail(out, "table", entry->object_name);
        return false;
    }
    if (!mdb_read_columns(table.get())) {
        code = fail(out, "columns", entry->object_name);
        return false;
    }
    const unsigned int columns = table->num_cols;
    out.write(field("TABLE", entry->object_name) + '\t' + QByteArray::number(table->num_rows) + '\t' +
              QByteArray::number(columns));
    std::vector<std::unique_ptr<char[]>> bound(columns);
    std::vector<int> lengths(columns, 0);
    for (unsigned int i = 0; i < columns; ++i) {
        auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
        out.write(field("COLUMN", col->name) + '\t' + QByteArray::number(col->col_type));
        bound[i] = std::make_unique<char[]>(kJetBindSize + 1);
        bound[i][0] = '\0';
        // Currency, dates and reals are taken from their stored bytes: left unbound, the library does
        // not spend time turning them into text.
        if (!takesStoredBytes(col->col_type))
            mdb_bind_column(table.get(), int(i + 1), bound[i].get(), &lengths[i]);
    }

    mdb_rewind_table(table.get());
    std::int64_t sent = 0;
    QByteArray line;
    while (mdb_fetch_row(table.get())) {
        line = "ROW";
        for (unsigned int i = 0; i < columns; ++i) {
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
            if ((col->col_type == MDB_MEMO || col->col_type == MDB_TEXT) &&
                std::strlen(bound[i].get()) + 4 >= kJetBindSize) {
                code = fail(out, "memo", QByteArray(entry->object_name) + '.' + col->name);
                return false;
            }
            line += '\t';
            appendField(line, valueOf(mdb, col, bound[i].get()));
        }
        out.write(line);
        ++sent;
    }
    out.write("END\t" + QByteArray::number(qlonglong(sent)));
    return true;
}

} // namespace

int runJetReader(const std::string& path, const std::vector<std::string>& tables, std::FILE* out)
{
    JetStreamWriter writer(out);
    writer.write(QByteArray(kStreamMagic) + '\t' + QByteArray::number(kStreamVersion));
    std::unique_ptr<MdbHandle, HandleCloser> mdb(mdb_open(path.c_str(), MDB_NOFLAGS));
    if (!mdb)
        return fail(writer, "open", QByteArray::fromStdString(path));
    writer.write("FILE\t" + QByteArray::number(mdb->f->jet_version == MDB_VER_JET3 ? 3 : 4));
    mdb_set_bind_size(mdb.get(), kJetBindSize);
    if (!mdb_read_catalog(mdb.get(), MDB_TABLE))
        return fail(writer, "catalog", QByteArray::fromStdString(path));

    int code = 0;
    for (const std::string& name : tables) {
        MdbCatalogEntry* entry = findTable(mdb.get(), name);
        if (!entry) {
            writer.write(field("MISSING", QByteArray::fromStdString(name)));
            continue;
        }
        if (!writeTable(writer, mdb.get(), entry, code))
            return code;
    }
    return writer.finish() ? 0 : 4;
}

} // namespace legacy
