#include "app/grid/cell_values.h"

#include "common/dates.h"
#include "common/money.h"

#include <QDate>

#include <cmath>
#include <optional>

namespace {

std::optional<Money> moneyFromYen(double yen)
{
    const double raw = std::round(yen * double(Money::kScale));
    // Doubles at the edge of the range cannot be compared exactly; stay clearly inside it.
    if (!std::isfinite(raw) || std::fabs(raw) >= 9.2e18)
        return std::nullopt;
    return Money::fromRaw(std::int64_t(raw));
}

} // namespace

CellKind cellKindOfColumn(const QString& name)
{
    const QByteArray utf8 = name.toUtf8();
    const std::size_t index =
        inpWorkColumnIndex(std::string_view(utf8.constData(), std::size_t(utf8.size())));
    if (index < kInpWorkLayout.size())
        return kInpWorkLayout[index].kind;
    // The payer master's work table marks rows to delete.
    if (name == QStringLiteral("チェック"))
        return CellKind::YesNo;
    return CellKind::Text;
}

QString cellDisplayText(CellKind kind, const Value& v)
{
    if (v.isNull())
        return {};
    switch (kind) {
    case CellKind::Amount:
        return formatAmount(v.toMoney());
    case CellKind::Date: {
        const std::optional<QDate> date = v.toDate();
        return date ? toSlashDate(*date) : v.toText();
    }
    case CellKind::YesNo:
        return {};
    case CellKind::Integer:
    case CellKind::Text:
        break;
    }
    return v.toText();
}

QString cellEditText(CellKind kind, const Value& v)
{
    if (kind == CellKind::Amount) {
        const std::optional<Money> amount = v.toMoney();
        return amount && !amount->isZero() ? plainAmountText(*amount) : QString();
    }
    return cellDisplayText(kind, v);
}

bool cellFromInput(CellKind kind, const QVariant& input, Value* out)
{
    *out = Value();
    if (input.isNull() || !input.isValid())
        return true;
    const bool isText = input.typeId() == QMetaType::QString;
    const QString text = isText ? input.toString().trimmed() : QString();
    if (isText && text.isEmpty())
        return true;
    switch (kind) {
    case CellKind::Amount: {
        if (isText) {
            const ParsedAmount parsed = parseAmount(text);
            if (parsed.status == AmountParse::Empty)
                return true;
            if (parsed.status != AmountParse::Ok)
                return false;
            *out = Value(parsed.amount);
            return true;
        }
        bool ok = false;
        const double yen = input.toDouble(&ok);
        const std::optional<Money> amount = ok ? moneyFromYen(yen) : std::nullopt;
        if (!amount)
            return false;
        *out = Value(*amount);
        return true;
    }
    case CellKind::Date: {
        const std::optional<QDate> date = isText ? parseDateText(text) : std::optional<QDate>(input.toDate());
        if (!date || !date->isValid())
            return false;
        *out = Value(*date);
        return true;
    }
    case CellKind::Integer: {
        bool ok = false;
        const qlonglong n = isText ? text.toLongLong(&ok) : input.toLongLong(&ok);
        if (!ok)
            return false;
        *out = Value(std::int64_t(n));
        return true;
    }
    case CellKind::YesNo:
        *out = Value(input.toBool());
        return true;
    case CellKind::Text:
        // Typed text is kept as typed; blanks around a name are part of it.
        *out = Value(input.toString());
        return true;
    }
    return false;
}

QVariant cellEditValue(CellKind kind, const Value& v)
{
    if (v.isNull())
        return {};
    switch (kind) {
    case CellKind::Amount:
        if (const std::optional<Money> amount = v.toMoney())
            return amount->toYenDouble();
        return {};
    case CellKind::Date:
        if (const std::optional<QDate> date = v.toDate())
            return *date;
        return {};
    case CellKind::Integer:
        if (const std::optional<std::int64_t> n = v.toInt64())
            return qlonglong(*n);
        return {};
    case CellKind::YesNo:
        return v.toBool();
    case CellKind::Text:
        return v.toText();
    }
    return {};
}
