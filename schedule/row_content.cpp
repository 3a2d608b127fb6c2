#include "schedule/row_content.h"

#include "storage/value.h"

namespace schedule {

namespace {

bool nonZero(const std::optional<Money>& amount)
{
    return amount && !amount->isZero();
}

} // namespace

bool hasPayer(const std::optional<QString>& payer)
{
    return payer && !payer->isEmpty();
}

bool hasPayer(const Value& payerCell)
{
    return !payerCell.isNull() && !payerCell.toText().isEmpty();
}

bool hasPayer(const WorkRow& row)
{
    return hasPayer(row.入金先名);
}

bool holdsData(const WorkRow& row)
{
    // A day cell emptied by the user keeps the row's date behind it; the row looks blank and is
    // taken as blank.
    return !row.表示日付.trimmed().isEmpty() || hasPayer(row) || nonZero(row.予定額) || nonZero(row.入金額);
}

std::vector<int> rowsWithoutPayer(const std::vector<WorkRow>& rows)
{
    std::vector<int> numbers;
    for (const WorkRow& row : rows)
        if (!hasPayer(row) && holdsData(row))
            numbers.push_back(row.行番号);
    return numbers;
}

} // namespace schedule
