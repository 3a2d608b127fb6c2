#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <vector>

namespace legacy {

// The reader child hands what it read to the program as UTF-8 lines of tab-separated fields:
//
//   DORIVAN-JET  1
//   FILE         <format: 3 or 4>
//   TABLE        <name> <rows the table says it has> <column count>     (or MISSING <name>)
//   COLUMN       <name> <type code>                                      (once per column)
//   ROW          <value> ...                                             (one field per column)
//   END          <rows sent>
//   ERROR        <what> <detail>                                         (the reader gave up)
//   DONE         <lines before this one> <SHA-256 of every byte before this line, hex>
//
// A value is escaped text (\\ \t \n \r) or \N for nothing. Currency is the stored whole number of
// ten-thousandths, a date "<whole days since 1899-12-30>:<seconds of the day>", a real number in
// "%.17g", anything else the text the library gives. The count and the checksum at the end tell a
// complete hand-over from one that a crash or a stray write cut short or spoilt.

// The Access column types the hand-over distinguishes (the codes of the file format).
enum JetType : int {
    kJetBool = 0x01,
    kJetByte = 0x02,
    kJetInt = 0x03,
    kJetLong = 0x04,
    kJetMoney = 0x05,
    kJetFloat = 0x06,
    kJetDouble = 0x07,
    kJetDateTime = 0x08,
    kJetBinary = 0x09,
    kJetText = 0x0a,
    kJetOle = 0x0b,
    kJetMemo = 0x0c,
    kJetGuid = 0x0f,
    kJetNumeric = 0x10,
};

inline constexpr char kStreamMagic[] = "DORIVAN-JET";
inline constexpr int kStreamVersion = 1;

using JetField = std::optional<QByteArray>; // nothing for a null

struct JetColumn
{
    QString name;
    int type = 0;
};

struct JetTable
{
    QString name;
    std::int64_t declaredRows = 0;
    std::vector<JetColumn> columns;
    std::vector<std::vector<JetField>> rows;

    // Index of the column of that name, letters compared without case; -1 when there is none.
    int columnIndex(const QString& name) const;
};

struct JetDump
{
    int format = 0; // 3 or 4
    std::vector<JetTable> tables;
    QStringList missingTables;

    const JetTable* table(const QString& name) const;
};

// Escapes one field for a ROW line.
void appendField(QByteArray& line, const JetField& field);

// A hand-over that is incomplete or not in the expected form; `reason` is for the user (Japanese).
class JetStreamError : public std::runtime_error
{
public:
    explicit JetStreamError(const QString& reason);
    const QString& reason() const { return m_reason; }

private:
    QString m_reason;
};

// The reader said it could not read the file (an ERROR line).
class JetReaderFailure : public std::runtime_error
{
public:
    JetReaderFailure(QString stage, QString detail);
    // Where it gave up: "open", "catalog", "table", "columns" or "memo".
    const QString& stage() const { return m_stage; }
    const QString& detail() const { return m_detail; }

private:
    QString m_stage;
    QString m_detail;
};

// Writes the hand-over: every line is counted and summed on its way out.
class JetStreamWriter
{
public:
    explicit JetStreamWriter(std::FILE* out);
    ~JetStreamWriter();
    JetStreamWriter(const JetStreamWriter&) = delete;
    JetStreamWriter& operator=(const JetStreamWriter&) = delete;

    // One line without its line end; fields are joined by tabs by the caller.
    void write(const QByteArray& line);
    // The DONE line; then everything is flushed. Returns false when the output could not be written.
    bool finish();

private:
    void flush();

    std::FILE* m_out;
    QByteArray m_buffer;
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
    std::int64_t m_lines = 0;
    bool m_failed = false;
};

// Takes the child's output in pieces as it arrives and builds the dump, checking every line.
class JetStreamParser
{
public:
    // Throws JetStreamError or JetReaderFailure.
    void feed(const char* data, qsizetype size);
    // Throws JetStreamError unless DONE arrived with the right count and checksum.
    JetDump finish();

    // Rows taken so far, and the rows the tables read so far say they hold (for progress).
    std::int64_t rowsSeen() const { return m_rowsSeen; }
    const JetDump& partial() const { return m_dump; }

private:
    void line(const QByteArray& text);

    QByteArray m_pending;
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
    std::int64_t m_lines = 0;
    std::int64_t m_rowsSeen = 0;
    std::int64_t m_declaredColumns = 0;
    bool m_started = false;
    bool m_done = false;
    bool m_inTable = false;
    JetDump m_dump;
};

} // namespace legacy
