#pragma once

#include "common/money.h"

#include <QByteArray>
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

// The amount in yen without separators: integers as integers, a fraction with up to four digits and no
// trailing zeros ("1234.5"), a leading minus for negatives.
QString plainAmountText(Money amount);

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

// One record of a CSV text and the line of the file it starts on (1-based).
struct CsvRecord
{
    int line = 0;
    QStringList fields;
};

// A record that could not be split into fields: a quote left open or text after a closing quote.
struct CsvSyntaxError
{
    int line = 0;
    QString reason;
};

struct SplitText
{
    std::vector<CsvRecord> records;
    std::vector<CsvSyntaxError> errors;
};

// Splits the text into records by RFC 4180, accepting CRLF, LF or CR between records. A line break at
// the very end adds no record. A record with an error is left out and reported instead.
SplitText splitRecords(const QString& text);

} // namespace csv
