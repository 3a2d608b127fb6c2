#pragma once

#include "storage/inp_work_layout.h"
#include "storage/value.h"

#include <QString>
#include <QVariant>

// What a column of a work table holds, and how its values look in a grid, in an editor and under
// Qt::EditRole. Amounts are kept exact (ten-thousandths) until they are shown.
using CellKind = ColumnKind;

// The kind of a work-table column by its name; columns not named here hold text.
CellKind cellKindOfColumn(const QString& name);
// As the grid shows it: amounts "#,###" (0 as empty), dates yyyy/mm/dd, yes/no as no text.
QString cellDisplayText(CellKind kind, const Value& value);
// As an editor starts from it: the exact amount without separators, empty for 0.
QString cellEditText(CellKind kind, const Value& value);
// Amounts as yen (double), dates as QDate, whole numbers as qlonglong, yes/no as bool, nothing as null.
QVariant cellEditValue(CellKind kind, const Value& value);
// Turns an editor's text or a value from code into the stored form; false when it is not a value of
// that kind (an amount that does not parse or is out of range, a text that is no date). Empty text
// is nothing.
bool cellFromInput(CellKind kind, const QVariant& input, Value* out);
