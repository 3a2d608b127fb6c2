#include "common/dates.h"

#include "common/full_width.h"

#include <QRegularExpression>

#include <algorithm>

#include <unicode/calendar.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <memory>

namespace {

constexpr qint64 kUnixEpochJulianDay = 2440588;
constexpr double kMillisecondsPerDay = 86400000.0;

// The Japanese calendar and the formatter of its era names are costly to build and the month field
// formats on every repaint, so each thread keeps one pair.
class JapaneseCalendar
{
public:
    JapaneseCalendar()
    {
        UErrorCode status = U_ZERO_ERROR;
        const icu::Locale locale("ja_JP@calendar=japanese");
        m_calendar.reset(icu::Calendar::createInstance(icu::TimeZone::getGMT()->clone(), locale, status));
        if (U_FAILURE(status))
            m_calendar.reset();
        status = U_ZERO_ERROR;
        m_eraFormat = std::make_unique<icu::SimpleDateFormat>(icu::UnicodeString(u"GGGG"), locale, status);
        if (U_FAILURE(status))
            m_eraFormat.reset();
    }

    std::optional<EraYear> eraOf(const QDate& date)
    {
        if (!m_calendar || !m_eraFormat || !date.isValid())
            return std::nullopt;
        UErrorCode status = U_ZERO_ERROR;
        // Noon keeps the instant well inside the day whatever the calendar does with the zone.
        const double instant =
            double(date.toJulianDay() - kUnixEpochJulianDay) * kMillisecondsPerDay + kMillisecondsPerDay / 2;
        m_calendar->setTime(instant, status);
        const int year = m_calendar->get(UCAL_YEAR, status);
        if (U_FAILURE(status) || year < 1)
            return std::nullopt;
        icu::UnicodeString name;
        icu::FieldPosition position;
        m_eraFormat->format(*m_calendar, name, position);
        if (name.isEmpty())
            return std::nullopt;
        return EraYear{QString::fromUtf16(name.getBuffer(), name.length()), year};
    }

private:
    std::unique_ptr<icu::Calendar> m_calendar;
    std::unique_ptr<icu::SimpleDateFormat> m_eraFormat;
};

JapaneseCalendar& japaneseCalendar()
{
    thread_local JapaneseCalendar calendar;
    return calendar;
}

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// The day count rule the month load relies on, month numbers outside 1..12 included.
int daysInMonthOf(int year, int month)
{
    switch (month) {
    case 1:
    case 3:
    case 5:
    case 7:
    case 8:
    case 10:
    case 12:
        return 31;
    case 2: {
        const bool leap = year % 100 == 0 ? year % 400 == 0 : year % 4 == 0;
        return leap ? 29 : 28;
    }
    default:
        return 30;
    }
}

// The yyyy/mm/dd text of a value, or nothing when it is not a date the text forms can hold.
std::optional<QString> normalised(const QString& value)
{
    const auto date = parseDateText(value);
    if (!date)
        return std::nullopt;
    return toSlashDate(*date);
}

} // namespace

QString toSlashDate(const QDate& date)
{
    return date.isValid() ? date.toString(QStringLiteral("yyyy/MM/dd")) : QString();
}

QString toSlashDateTime(const QDate& date)
{
    return date.isValid() ? toSlashDate(date) + QStringLiteral(" 00:00:00") : QString();
}

QString toCompactDate(const QDate& date)
{
    return date.isValid() ? date.toString(QStringLiteral("yyyyMMdd")) : QString();
}

QString toTwoDigitDay(const QDate& date)
{
    return date.isValid() ? twoDigits(date.day()) : QString();
}

bool isKeptDate(const QDate& date)
{
    return date.isValid() && date >= kFirstKeptDate && date <= kLastKeptDate;
}

QString outsideKeptDatesMessage(const QString& shownDate)
{
    return QStringLiteral("日付「%1」は %2年から%3年までの範囲にありません。")
        .arg(shownDate)
        .arg(kFirstKeptDate.year())
        .arg(kLastKeptDate.year());
}

namespace {

// yyyy/mm/dd or yyyy-mm-dd, one-digit month and day allowed, and the time of day that may follow it
// (captured 5).
const QRegularExpression& separatedDate()
{
    static const QRegularExpression form(QStringLiteral(
        R"(^(\d{4})([/-])(\d{1,2})\2(\d{1,2})((?:[ T]\d{1,2}:\d{2}(?::\d{2}(?:\.\d+)?)?)?)$)"));
    return form;
}

std::optional<QDate> dateOf(int year, int month, int day)
{
    const QDate date(year, month, day);
    if (!date.isValid() || year < 1)
        return std::nullopt;
    return date;
}

} // namespace

std::optional<QDate> parseSeparatedDate(const QString& text)
{
    const auto match = separatedDate().match(text.trimmed());
    if (!match.hasMatch() || !match.capturedView(5).isEmpty())
        return std::nullopt;
    return dateOf(match.captured(1).toInt(), match.captured(3).toInt(), match.captured(4).toInt());
}

std::optional<QDate> parseDateText(const QString& text)
{
    // Stored dates may come back with a time of day attached; the date part is what counts.
    static const QRegularExpression compact(QStringLiteral(R"(^(\d{4})(\d{2})(\d{2})$)"));

    const QString trimmed = text.trimmed();
    int year = 0, month = 0, day = 0;
    if (const auto match = separatedDate().match(trimmed); match.hasMatch()) {
        year = match.captured(1).toInt();
        month = match.captured(3).toInt();
        day = match.captured(4).toInt();
    } else if (const auto match = compact.match(trimmed); match.hasMatch()) {
        year = match.captured(1).toInt();
        month = match.captured(2).toInt();
        day = match.captured(3).toInt();
    } else {
        return std::nullopt;
    }
    return dateOf(year, month, day);
}

QString addToDate(const QString& value, const QString& interval, int count)
{
    if (value.isEmpty())
        return value;
    const auto date = parseDateText(value);
    if (!date)
        return {};

    QDate moved;
    const QString unit = interval.toLower();
    if (unit == QLatin1String("m"))
        moved = date->addMonths(count); // Qt keeps the day or falls back to the month's last day
    else if (unit == QLatin1String("d"))
        moved = date->addDays(count);
    else if (unit == QLatin1String("yyyy"))
        moved = date->addYears(count);
    // The text forms have four-digit years only.
    if (!moved.isValid() || moved.year() < 1 || moved.year() > 9999)
        return {};
    return toSlashDate(moved);
}

std::optional<MonthRange> monthRange(const QString& dateText)
{
    if (dateText.trimmed().isEmpty())
        return std::nullopt;
    const auto text = normalised(dateText);
    if (!text)
        return std::nullopt;
    const QString yearMonth = text->left(8);
    return MonthRange{yearMonth + QStringLiteral("01"), yearMonth + twoDigits(daysInMonth(*text))};
}

int daysInMonth(const QString& dateText)
{
    if (dateText.trimmed().isEmpty())
        return 0;
    const auto text = normalised(dateText);
    if (!text)
        return 0;
    return daysInMonthOf(text->mid(0, 4).toInt(), text->mid(5, 2).toInt());
}

QString monthDisplayFormat(const QString& eraValue, MonthUse use)
{
    if (use == MonthUse::MonthField)
        return eraValue == QStringLiteral("西暦") ? kWesternMonthFormat : kEraMonthFormat;
    return eraValue == QStringLiteral("和暦") ? kEraMonthFormat : kWesternMonthFormat;
}

QString formatMonth(const QDate& date, const QString& format)
{
    if (!date.isValid())
        return {};
    std::optional<EraYear> era;
    if (format.contains(QLatin1String("ggg")) || format.contains(QLatin1String("ee"))) {
        era = japaneseEraOf(date);
        if (!era)
            return {};
    }

    QString out;
    for (qsizetype at = 0; at < format.size();) {
        const QStringView rest = QStringView(format).mid(at);
        if (rest.startsWith(QLatin1String("yyyy"))) {
            out += QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
            at += 4;
        } else if (rest.startsWith(QLatin1String("ggg"))) {
            out += era->eraName;
            at += 3;
        } else if (rest.startsWith(QLatin1String("ee"))) {
            out += twoDigits(era->yearInEra);
            at += 2;
        } else if (rest.startsWith(QLatin1String("mm"))) {
            out += twoDigits(date.month());
            at += 2;
        } else if (rest.startsWith(QLatin1String("dd"))) {
            out += twoDigits(date.day());
            at += 2;
        } else {
            out += format[at];
            ++at;
        }
    }
    return out;
}

QString formatDay(const QDate& date, const QString& monthFormat)
{
    return formatMonth(date, monthFormat + QStringLiteral("dd日"));
}

std::optional<EraYear> japaneseEraOf(const QDate& date)
{
    return japaneseCalendar().eraOf(date);
}

namespace {

std::optional<int> gregorianYearOfEra(const QString& eraName, int yearInEra, int month)
{
    // The era table lives in ICU; find the year whose month falls in that era and era year.
    for (int year = 1868; year <= 2200; ++year) {
        const QDate first(year, month, 1);
        for (const QDate& day : {first, first.addMonths(1).addDays(-1)}) {
            const std::optional<EraYear> era = japaneseEraOf(day);
            if (era && era->eraName == eraName && era->yearInEra == yearInEra)
                return year;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<QDate> parseMonthText(const QString& input, int day)
{
    const QString text = foldFullWidth(input).trimmed();
    static const QRegularExpression western(QStringLiteral("^(\\d{4})\\s*[年/.-]?\\s*(\\d{1,2})\\s*月?$"));
    static const QRegularExpression era(
        QStringLiteral("^(\\D+?)\\s*(\\d{1,2}|元)\\s*年\\s*(\\d{1,2})\\s*月?$"));
    int year = 0;
    int month = 0;
    if (const QRegularExpressionMatch m = western.match(text); m.hasMatch()) {
        year = m.captured(1).toInt();
        month = m.captured(2).toInt();
    } else if (const QRegularExpressionMatch m = era.match(text); m.hasMatch()) {
        month = m.captured(3).toInt();
        if (month < 1 || month > 12)
            return std::nullopt;
        const int yearInEra = m.captured(2) == QStringLiteral("元") ? 1 : m.captured(2).toInt();
        const std::optional<int> found = gregorianYearOfEra(m.captured(1).trimmed(), yearInEra, month);
        if (!found)
            return std::nullopt;
        year = *found;
    } else {
        return std::nullopt;
    }
    if (month < 1 || month > 12 || year < 1)
        return std::nullopt;
    const QDate first(year, month, 1);
    return QDate(year, month, std::clamp(day, 1, first.daysInMonth()));
}
