#include "storage/value.h"

#include <cmath>
#include <limits>

Value::Value(const QDate& v)
{
    if (v.isValid())
        m_v = v.toString(Qt::ISODate);
}

std::optional<std::int64_t> Value::toInt64() const
{
    if (auto i = std::get_if<std::int64_t>(&m_v))
        return *i;
    if (auto d = std::get_if<double>(&m_v)) {
        // 2^63 is exactly representable; anything at or beyond it does not fit.
        if (!std::isfinite(*d) || *d >= 9223372036854775808.0 || *d < -9223372036854775808.0)
            return std::nullopt;
        return std::int64_t(std::llround(*d));
    }
    if (auto s = std::get_if<QString>(&m_v)) {
        bool ok = false;
        const qlonglong v = s->trimmed().toLongLong(&ok);
        if (ok)
            return std::int64_t(v);
    }
    return std::nullopt;
}

std::optional<Money> Value::toMoney() const
{
    if (auto raw = toInt64())
        return Money::fromRaw(*raw);
    return std::nullopt;
}

std::optional<QDate> Value::toDate() const
{
    auto s = std::get_if<QString>(&m_v);
    if (!s || s->size() < 10)
        return std::nullopt;
    QString head = s->left(10);
    head.replace(QLatin1Char('/'), QLatin1Char('-'));
    const QDate d = QDate::fromString(head, Qt::ISODate);
    if (!d.isValid())
        return std::nullopt;
    return d;
}

bool Value::toBool() const
{
    if (auto i = toInt64())
        return *i != 0;
    if (auto s = std::get_if<QString>(&m_v))
        return s->compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    return false;
}

QString Value::toText() const
{
    if (auto s = std::get_if<QString>(&m_v))
        return *s;
    if (auto i = std::get_if<std::int64_t>(&m_v))
        return QString::number(*i);
    if (auto d = std::get_if<double>(&m_v))
        return QString::number(*d, 'g', 17);
    return {};
}

double Value::toDouble() const
{
    if (auto d = std::get_if<double>(&m_v))
        return *d;
    if (auto i = std::get_if<std::int64_t>(&m_v))
        return double(*i);
    return 0.0;
}
