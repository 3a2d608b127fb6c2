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
    Kind kind = Kind::KeepDate;
    QDate date;
    QString cellText; // what the cell shows for SetDate (full-width digits read as ASCII)
};

DayEntry completeDay(const QDate& month, const QString& typed);

} // namespace schedule
