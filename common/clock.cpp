#include "common/clock.h"

Clock systemClock()
{
    return [] { return QDateTime::currentDateTime(); };
}

QDateTime nowBy(const Clock& clock)
{
    return clock ? clock() : QDateTime::currentDateTime();
}

QDate todayBy(const Clock& clock)
{
    return nowBy(clock).date();
}
