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

bool RecordStream::fill()
{
    if (m_atEnd)
        return false;
    constexpr qint64 kChunk = 64 * 1024;
    m_buffer.resize(kChunk);
    const qint64 got = m_source.read(m_buffer.data(), kChunk);
    m_pos = 0;
    if (got <= 0) {
        if (got < 0)
            m_readError = m_source.errorString();
        m_buffer.clear();
        m_atEnd = true;
        return false;
    }
    m_buffer.truncate(got);
    return true;
}

int RecordStream::peek()
{
    if (m_pos >= m_buffer.size() && !fill())
        return -1;
    return static_cast<unsigned char>(m_buffer[m_pos]);
}

bool RecordStream::skipPrefix(const QByteArray& prefix)
{
    // A pipe may hand over fewer bytes than asked for: gather the few the prefix needs.
    QByteArray start;
    while (start.size() < prefix.size()) {
        const int c = peek();
        if (c < 0)
            break;
        start += char(c);
        take();
    }
    if (start == prefix)
        return true;
    m_buffer = start + m_buffer.mid(m_pos);
    m_pos = 0;
    return false;
}

bool RecordStream::next(ByteRecord& record)
{
    record.fields.clear();
    record.error.clear();
    if (peek() < 0)
        return false;
    record.line = m_line;
    qsizetype bytes = 0;
    auto isBreak = [](int c) { return c == '\r' || c == '\n'; };
    auto append = [&](QByteArray& field, int c) {
        if (++bytes <= kMaxRecordBytes)
            field += char(c);
    };
    for (;;) {
        QByteArray field;
        int c = peek();
        if (c == '"') {
            take();
            bool closed = false;
            while ((c = peek()) >= 0) {
                take();
                if (c == '"') {
                    if (peek() == '"') {
                        take();
                        append(field, '"');
                        continue;
                    }
                    closed = true;
                    break;
                }
                if (c == '\n' || (c == '\r' && peek() != '\n'))
                    ++m_line;
                append(field, c);
            }
            if (!closed) {
                record.fields.clear();
                record.error = QStringLiteral("引用符（\"）が閉じられていません。");
                return true;
            }
            if (c = peek(); c >= 0 && c != ',' && !isBreak(c)) {
                record.error = QStringLiteral("引用符（\"）で囲んだ項目の後に余分な文字があります。");
                while ((c = peek()) >= 0 && !isBreak(c))
                    take();
            }
        } else {
            while ((c = peek()) >= 0 && c != ',' && !isBreak(c)) {
                take();
                append(field, c);
            }
        }
        if (record.error.isEmpty() && bytes <= kMaxRecordBytes)
            record.fields.push_back(std::move(field));
        if (peek() == ',') {
            take();
            ++bytes;
            continue;
        }
        break;
    }
    if (const int c = peek(); c == '\r') {
        take();
        if (peek() == '\n')
            take();
        ++m_line;
    } else if (c == '\n') {
        take();
        ++m_line;
    }
    if (record.error.isEmpty() && bytes > kMaxRecordBytes)
        record.error = QStringLiteral("行が長すぎます（%1 バイトを超えています）。").arg(kMaxRecordBytes);
    if (!record.error.isEmpty())
        record.fields.clear();
    return true;
}

} // namespace csv
