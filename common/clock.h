#pragma once

#include <QDate>
#include <QDateTime>

#include <functional>

// The one source of "now": today's date, the day's backup, the month a cleared screen starts from,
// what is past due. The program reads the system clock; a test hands in a clock of its own and moves
// it (past midnight, say). Whoever needs the date is given a Clock and reads it through nowBy/todayBy.
using Clock = std::function<QDateTime()>;

// The system's clock.
Clock systemClock();

// The time by `clock`; an empty clock reads the system's.
QDateTime nowBy(const Clock& clock);
QDate todayBy(const Clock& clock);
