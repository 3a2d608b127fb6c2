#pragma once

#include "common/money.h"

#include <QDate>
#include <QString>

#include <concepts>
#include <cstdint>
#include <optional>
#include <variant>

// One column value as the store keeps it: nothing, a whole number, a real or a text. Amounts are whole
// numbers of ten-thousandths, dates ISO text (yyyy-mm-dd), yes/no 0 or 1.
class Value
{
public:
    Value() = default;
    Value(std::nullptr_t) {}
    template <std::integral T>
    requires(!std::same_as<T, bool>) Value(T v) : m_v(std::int64_t(v)) {}
    Value(bool v) : m_v(std::int64_t(v ? 1 : 0)) {}
    Value(double v) : m_v(v) {}
    Value(const QString& v) : m_v(v) {}
    Value(const char* utf8) : m_v(QString::fromUtf8(utf8)) {}
    Value(Money v) : m_v(v.raw()) {}
    // An invalid date is stored as nothing.
    Value(const QDate& v);
    template <typename T> Value(const std::optional<T>& v)
    {
        if (v)
            *this = Value(*v);
    }

    bool isNull() const { return std::holds_alternative<std::monostate>(m_v); }
    bool isInteger() const { return std::holds_alternative<std::int64_t>(m_v); }
    bool isReal() const { return std::holds_alternative<double>(m_v); }
    bool isText() const { return std::holds_alternative<QString>(m_v); }

    // Conversions give nullopt for nothing and for a value that does not convert.
    std::optional<std::int64_t> toInt64() const;
    std::optional<Money> toMoney() const;
    std::optional<QDate> toDate() const;
    bool toBool() const;     // nothing reads as no
    double toDouble() const; // for reals; 0 otherwise
    QString toText() const;  // nothing reads as empty text

    friend bool operator==(const Value&, const Value&) = default;

private:
    std::variant<std::monostate, std::int64_t, double, QString> m_v;
};
