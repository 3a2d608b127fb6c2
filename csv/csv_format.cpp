#include "csv/csv_format.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <stdexcept>

namespace csv {

QString encodingName(CsvEncoding encoding)
{
    return encoding == CsvEncoding::Cp932 ? QStringLiteral("Shift_JIS（CP932）") : QStringLiteral("UTF-8");
}

const QStringList& headerColumns()
{
    static const QStringList columns{QStringLiteral("日付"), QStringLiteral("入金先名"),
                                     QStringLiteral("予定額"), QStringLiteral("入金額"),
                                     QStringLiteral("残高")};
    return columns;
}

QString plainAmountText(Money amount)
{
    const std::int64_t raw = amount.raw();
    const bool negative = raw < 0;
    // The magnitude of the smallest value does not fit a signed integer; work unsigned.
    const std::uint64_t magnitude = negative ? std::uint64_t(0) - std::uint64_t(raw) : std::uint64_t(raw);
    QString text = QString::number(magnitude / Money::kScale);
    if (const std::uint64_t fraction = magnitude % Money::kScale) {
        QString digits = QStringLiteral("%1").arg(fraction, 4, 10, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        text += QLatin1Char('.') + digits;
    }
    return negative ? QLatin1Char('-') + text : text;
}

void appendField(QString& line, const QString& field)
{
    bool needsQuotes = false;
    for (QChar c : field) {
        if (c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\r') ||
            c == QLatin1Char('\n')) {
            needsQuotes = true;
            break;
        }
    }
    if (!needsQuotes) {
        line += field;
        return;
    }
    line += QLatin1Char('"');
    for (QChar c : field) {
        if (c == QLatin1Char('"'))
            line += QLatin1Char('"');
        line += c;
    }
    line += QLatin1Char('"');
}

struct Converter::Handle
{
    UConverter* strict = nullptr;
    UConverter* lossy = nullptr;
    ~Handle()
    {
        if (strict)
            ucnv_close(strict);
        if (lossy)
            ucnv_close(lossy);
    }
};

namespace {

// Microsoft's Shift_JIS, with the NEC and IBM extensions Japanese Windows writes ("windows-31j" in ICU).
const char* icuName(CsvEncoding encoding)
{
    return encoding == CsvEncoding::Cp932 ? "windows-31j" : "UTF-8";
}

UConverter* openConverter(CsvEncoding encoding, bool strict)
{
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(icuName(encoding), &status);
    if (U_FAILURE(status) || !converter)
        throw std::runtime_error(std::string("ICU has no converter for ") + icuName(encoding));
    if (strict) {
        ucnv_setFromUCallBack(converter, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
        ucnv_setToUCallBack(converter, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    } else {
        // U+FFFD for every unreadable sequence.
        ucnv_setToUCallBack(converter, UCNV_TO_U_CALLBACK_SUBSTITUTE, nullptr, nullptr, nullptr, &status);
    }
    if (U_FAILURE(status)) {
        ucnv_close(converter);
        throw std::runtime_error("cannot set up the ICU converter");
    }
    return converter;
}

} // namespace

Converter::Converter(CsvEncoding encoding) : m_encoding(encoding), m_handle(std::make_unique<Handle>())
{
    m_handle->strict = openConverter(encoding, true);
}

Converter::~Converter() = default;

std::optional<QByteArray> Converter::encode(const QString& text, qsizetype* failedAt)
{
    UConverter* converter = m_handle->strict;
    ucnv_resetFromUnicode(converter);
    // Four bytes a UTF-16 unit is more than either encoding needs.
    QByteArray out(text.size() * 4 + 4, Qt::Uninitialized);
    char* target = out.data();
    const UChar* source = reinterpret_cast<const UChar*>(text.utf16());
    UErrorCode status = U_ZERO_ERROR;
    ucnv_fromUnicode(converter, &target, out.data() + out.size(), &source, source + text.size(), nullptr,
                     true, &status);
    if (U_FAILURE(status)) {
        if (failedAt) {
            // The source stops just past the refused character.
            qsizetype at = source - reinterpret_cast<const UChar*>(text.utf16()) - 1;
            if (at > 0 && text.at(at).isLowSurrogate())
                --at;
            *failedAt = std::max<qsizetype>(at, 0);
        }
        return std::nullopt;
    }
    out.truncate(target - out.data());
    return out;
}

std::optional<QString> Converter::decode(const char* data, qsizetype size, QByteArray* badBytes)
{
    UConverter* converter = m_handle->strict;
    ucnv_resetToUnicode(converter);
    // A byte never gives more than one UTF-16 unit in either encoding.
    QString out(size + 1, Qt::Uninitialized);
    UChar* target = reinterpret_cast<UChar*>(out.data());
    UChar* const begin = target;
    const char* source = data;
    UErrorCode status = U_ZERO_ERROR;
    ucnv_toUnicode(converter, &target, begin + out.size(), &source, data + size, nullptr, true, &status);
    if (U_FAILURE(status)) {
        if (badBytes) {
            char bytes[32];
            int8_t length = sizeof bytes;
            UErrorCode ignored = U_ZERO_ERROR;
            ucnv_getInvalidChars(converter, bytes, &length, &ignored);
            *badBytes = U_SUCCESS(ignored) ? QByteArray(bytes, length) : QByteArray();
        }
        return std::nullopt;
    }
    out.truncate(target - begin);
    return out;
}

QString Converter::decodeLossy(const char* data, qsizetype size)
{
    if (!m_handle->lossy)
        m_handle->lossy = openConverter(m_encoding, false);
    UConverter* converter = m_handle->lossy;
    ucnv_resetToUnicode(converter);
    QString out(size + 1, Qt::Uninitialized);
    UChar* target = reinterpret_cast<UChar*>(out.data());
    UChar* const begin = target;
    const char* source = data;
    UErrorCode status = U_ZERO_ERROR;
    ucnv_toUnicode(converter, &target, begin + out.size(), &source, data + size, nullptr, true, &status);
    out.truncate(target - begin);
    return out;
}

SplitText splitRecords(const QString& text)
{
    SplitText result;
    const qsizetype n = text.size();
    const QChar* s = text.constData();
    qsizetype pos = 0;
    int line = 1;
    auto atBreak = [&](qsizetype at) { return s[at] == QLatin1Char('\r') || s[at] == QLatin1Char('\n'); };
    // Steps over one line break (CRLF counts once).
    auto skipBreak = [&] {
        if (s[pos] == QLatin1Char('\r') && pos + 1 < n && s[pos + 1] == QLatin1Char('\n'))
            ++pos;
        ++pos;
        ++line;
    };

    while (pos < n) {
        CsvRecord record;
        record.line = line;
        QString syntaxError;
        for (;;) {
            QString field;
            if (pos < n && s[pos] == QLatin1Char('"')) {
                ++pos;
                bool closed = false;
                while (pos < n) {
                    if (s[pos] == QLatin1Char('"')) {
                        if (pos + 1 < n && s[pos + 1] == QLatin1Char('"')) {
                            field += QLatin1Char('"');
                            pos += 2;
                            continue;
                        }
                        ++pos;
                        closed = true;
                        break;
                    }
                    if (s[pos] == QLatin1Char('\n') ||
                        (s[pos] == QLatin1Char('\r') && !(pos + 1 < n && s[pos + 1] == QLatin1Char('\n'))))
                        ++line;
                    field += s[pos++];
                }
                if (!closed) {
                    result.errors.push_back(
                        {record.line, QStringLiteral("引用符（\"）が閉じられていません。")});
                    return result;
                }
                if (pos < n && s[pos] != QLatin1Char(',') && !atBreak(pos)) {
                    syntaxError = QStringLiteral("引用符（\"）で囲んだ項目の後に余分な文字があります。");
                    while (pos < n && !atBreak(pos))
                        ++pos;
                }
            } else {
                const qsizetype start = pos;
                while (pos < n && s[pos] != QLatin1Char(',') && !atBreak(pos))
                    ++pos;
                field = text.mid(start, pos - start);
            }
            record.fields << field;
            if (pos < n && s[pos] == QLatin1Char(',')) {
                ++pos;
                continue;
            }
            break;
        }
        if (pos < n)
            skipBreak();
        if (syntaxError.isEmpty())
            result.records.push_back(std::move(record));
        else
            result.errors.push_back({record.line, syntaxError});
    }
    return result;
}

} // namespace csv
