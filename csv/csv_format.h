#pragma once

#include "common/money.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

// The CSV form of the schedule that export writes and import reads: a header line, then one line per
// row of date, payer, planned amount, received amount and balance. What Excel in Japan and the
// accountants' programs accept: dates yyyy/mm/dd, plain amounts, RFC 4180 quoting only where needed,
// CRLF after every line, UTF-8 with a byte-order mark or Shift_JIS (CP932).
namespace csv {

enum class CsvEncoding { Utf8, Cp932 };

// "UTF-8" or "Shift_JIS（CP932）", for messages.
QString encodingName(CsvEncoding encoding);

// The columns in file order. Import accepts the header without the last one (balances are recomputed).
const QStringList& headerColumns();
inline constexpr int kColumnsWithBalance = 5;
inline constexpr int kColumnsWithoutBalance = 4;

inline const QByteArray kUtf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");

// Appends the field to a line, in double quotes (an inner quote doubled) only when it holds a comma, a
// double quote, CR or LF.
void appendField(QString& line, const QString& field);

// ICU's converter for one encoding, refusing what it cannot convert instead of substituting.
class Converter
{
public:
    explicit Converter(CsvEncoding encoding);
    ~Converter();
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    CsvEncoding encoding() const { return m_encoding; }
    // The bytes of the text; nothing when a character has no form in this encoding, whose position
    // (in UTF-16 units) goes to *failedAt.
    std::optional<QByteArray> encode(const QString& text, qsizetype* failedAt = nullptr);
    // The text of the bytes; nothing when a byte sequence is not of this encoding. The refused bytes go
    // to *badBytes.
    std::optional<QString> decode(const char* data, qsizetype size, QByteArray* badBytes = nullptr);
    // The same, with U+FFFD for what cannot be read, so that the rest of a line can still be checked.
    QString decodeLossy(const char* data, qsizetype size);

private:
    struct Handle;
    CsvEncoding m_encoding;
    std::unique_ptr<Handle> m_handle;
};

// One record of a file, split into fields by RFC 4180 but not yet decoded: neither encoding uses the
// bytes of the comma, the double quote, CR or LF inside a character, so the bytes can be split first.
struct ByteRecord
{
    int line = 0;                   // of the file, where the record starts (1-based)
    std::vector<QByteArray> fields; // empty when the record has an error
    QString error;                  // why the record could not be split, in Japanese
};

// Reads the records of a file one at a time, from any device (a file, standard input), so that only
// one record is held at a time however long the file is. CRLF, LF or CR ends a record; a line break at
// the very end adds no record. A record longer than kMaxRecordBytes is passed over and reported
// instead of being held: no line of a schedule comes near it.
class RecordStream
{
public:
    static constexpr qsizetype kMaxRecordBytes = 64 * 1024;

    explicit RecordStream(QIODevice& source) : m_source(source) {}
    // Steps over `prefix` (the byte-order mark) when the file starts with it.
    bool skipPrefix(const QByteArray& prefix);
    // The next record; false at the end of the file or once the device fails (readError()).
    bool next(ByteRecord& record);
    // Why the device could not be read; empty when it could.
    const QString& readError() const { return m_readError; }

private:
    int peek();
    void take() { ++m_pos; }
    bool fill();

    QIODevice& m_source;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    bool m_atEnd = false;
    int m_line = 1;
    QString m_readError;
};

} // namespace csv
