#include "schedule/row_content.h"

namespace schedule {

namespace {

bool nonZero(const std::optional<Money>& amount)
{
    return amount && !amount->isZero();
}

} // namespace

bool hasPayer(const WorkRow& row)
{
    return row.入金先名 && !row.入金先名->isEmpty();
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
