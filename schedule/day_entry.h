#pragma once

#include <QDate>
#include <QString>

namespace schedule {

// What a day typed into the grid means for its row in the displayed month.
struct DayEntry
{
    enum class Kind {
        KeepDate, // the cell was emptied: the row keeps its date
        Clear,    // not a day of this month: the cell and the row's date are cleared
        SetDate,  // a valid day: the row takes the full date
    };
    // Why a typed text is no day (Kind::Clear), for the message the user gets.
    enum class Reason {
        None,
        NotANumber, // letters and the like
        NotADay,    // a number that is no day of the month (0, 32, 30 in February, 1.5)
    };
    Kind kind = Kind::KeepDate;
    Reason reason = Reason::None;
    QDate date;
    QString cellText; // what the cell shows for SetDate: the day in two digits, as a loaded row shows it
};

DayEntry completeDay(const QDate& month, const QString& typed);

} // namespace schedule
