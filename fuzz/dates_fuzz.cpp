// The date helpers and the day typed into the grid over arbitrary text. The input is up to five lines:
// what is typed, the displayed month as date text, a count of intervals, the interval, and a Julian day
// for the month display of far-away dates. Missing lines take plain defaults.
#include "common/dates.h"
#include "schedule/day_entry.h"

#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what, const QString& input)
{
    std::fprintf(stderr, "%s\n  input: %s\n", what, input.toUtf8().constData());
    std::abort();
}

void checkDateText(const QString& text, const QString& interval, int count)
{
    const std::optional<QDate> date = parseDateText(text);
    if (date) {
        if (!date->isValid() || date->year() < 1 || date->year() > 9999)
            fail("a date outside the text forms was read", text);
        if (parseDateText(toSlashDate(*date)) != date || parseDateText(toCompactDate(*date)) != date ||
            parseDateText(toSlashDateTime(*date)) != date)
            fail("a date does not read back from its own text forms", text);
    }

    const int days = daysInMonth(text);
    const std::optional<MonthRange> range = monthRange(text);
    if (date.has_value() != range.has_value() || (days != 0) != range.has_value())
        fail("the month range and the day count disagree on what is a date", text);
    if (date) {
        if (days != date->daysInMonth())
            fail("wrong number of days in the month", text);
        const auto first = parseDateText(range->first);
        const auto last = parseDateText(range->last);
        if (!first || !last || first->day() != 1 || last->day() != days || first->month() != date->month() ||
            last->month() != date->month() || first->year() != date->year() || last->year() != date->year())
            fail("the month range is not the month of the date", text);
    }

    const QString moved = addToDate(text, interval, count);
    if (text.isEmpty() ? moved != text : (!moved.isEmpty() && !parseDateText(moved)))
        fail("a moved date is neither empty nor a date", text);
    if (!date && !text.isEmpty() && !moved.isEmpty())
        fail("a text that is no date moved to a date", text);

    for (const QString& era : {QStringLiteral("西暦"), QStringLiteral("和暦"), text}) {
        const QString field = monthDisplayFormat(era, MonthUse::MonthField);
        const QString printout = monthDisplayFormat(era, MonthUse::Printout);
        if ((field != kWesternMonthFormat && field != kEraMonthFormat) ||
            (printout != kWesternMonthFormat && printout != kEraMonthFormat))
            fail("an unknown month format", text);
    }
}

void checkMonthDisplay(const QDate& date, const QString& input)
{
    const QString western = formatMonth(date, kWesternMonthFormat);
    if (date.isValid() && date.year() >= 1 && date.year() <= 9999 &&
        western != QStringLiteral("%1年%2月")
                       .arg(date.year(), 4, 10, QLatin1Char('0'))
                       .arg(date.month(), 2, 10, QLatin1Char('0')))
        fail("the Western month display is not yyyy年mm月", input);
    const QString era = formatMonth(date, kEraMonthFormat);
    if (!era.isEmpty() && (!era.endsWith(QStringLiteral("%1月").arg(date.month(), 2, 10, QLatin1Char('0')))))
        fail("the era month display does not end in the month", input);
    (void)japaneseEraOf(date);
}

void checkDay(const QDate& month, const QString& typed)
{
    const schedule::DayEntry entry = schedule::completeDay(month, typed);
    switch (entry.kind) {
    case schedule::DayEntry::Kind::SetDate:
        if (!entry.date.isValid() || entry.date.year() != month.year() ||
            entry.date.month() != month.month() || entry.cellText.isEmpty())
            fail("a day was set outside the displayed month", typed);
        break;
    case schedule::DayEntry::Kind::KeepDate:
        if (!typed.normalized(QString::NormalizationForm_KC).trimmed().isEmpty())
            fail("a typed day was ignored", typed);
        [[fallthrough]];
    case schedule::DayEntry::Kind::Clear:
        if (entry.date.isValid())
            fail("a cleared day carries a date", typed);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString input = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList lines = input.split(QLatin1Char('\n'));
    auto line = [&](int i, const QString& fallback) { return i < lines.size() ? lines[i] : fallback; };

    const QString typed = line(0, QString());
    const QString monthText = line(1, QStringLiteral("2024/02/01"));
    const int count = line(2, QStringLiteral("1")).toInt();
    const QString interval = line(3, QStringLiteral("m"));
    bool hasJulianDay = false;
    const qint64 julianDay = line(4, QString()).toLongLong(&hasJulianDay);

    checkDateText(typed, interval, count);
    checkDateText(monthText, interval, count);

    const QDate month = parseDateText(monthText).value_or(QDate());
    checkDay(month, typed);
    checkMonthDisplay(month, input);
    if (const auto typedDate = parseDateText(typed))
        checkMonthDisplay(*typedDate, input);
    if (hasJulianDay)
        checkMonthDisplay(QDate::fromJulianDay(julianDay), input);
    return 0;
}
