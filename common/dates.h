#pragma once

#include <QDate>
#include <QString>

#include <optional>

// Date text forms shared by the windows, the statements and the report.
QString toSlashDate(const QDate& date);     // yyyy/mm/dd
QString toSlashDateTime(const QDate& date); // yyyy/mm/dd 00:00:00
QString toCompactDate(const QDate& date);   // yyyymmdd
QString toTwoDigitDay(const QDate& date);   // dd
// Reads yyyy/mm/dd (one-digit month and day allowed), yyyy-mm-dd or yyyymmdd, ignoring a time of day that
// follows; nullopt when not a date of years 1 to 9999.
std::optional<QDate> parseDateText(const QString& text);
// Reads only a date as written in a file: yyyy/mm/dd or yyyy-mm-dd, month and day with or without their
// leading zero; no time of day and no yyyymmdd.
std::optional<QDate> parseSeparatedDate(const QString& text);

// The dates the program keeps: the month field, the era calendar and the Access files it imports all
// stay within these years, and a row outside them could be neither shown nor reached by month.
inline const QDate kFirstKeptDate(1900, 1, 1);
inline const QDate kLastKeptDate(2099, 12, 31);
bool isKeptDate(const QDate& date);
// "日付「0224/01/05」は 1900年から2099年までの範囲にありません。" for a date outside them.
QString outsideKeptDatesMessage(const QString& shownDate);

// Month arithmetic. The value may be empty, in which case it is returned unchanged; a value that is not
// a date gives an empty text. Only the interval "m" (calendar months) is used by the program; "d" and
// "yyyy" are accepted as well.
QString addToDate(const QString& value, const QString& interval, int count);

struct MonthRange
{
    QString first; // yyyy/mm/01
    QString last;  // yyyy/mm/dd, the last day
};
// Empty text, or text that is not a date, gives nullopt (both results unset).
std::optional<MonthRange> monthRange(const QString& dateText);
// 28 to 31; 0 for an empty text or one that is not a date.
int daysInMonth(const QString& dateText);

// Which format shows a month: the month field uses the Western form only for "西暦", the printout uses
// the era form only for "和暦".
enum class MonthUse { MonthField, Printout };
QString monthDisplayFormat(const QString& eraValue, MonthUse use = MonthUse::MonthField);
inline const QString kWesternMonthFormat = QStringLiteral("yyyy年mm月");
inline const QString kEraMonthFormat = QStringLiteral("ggg ee年mm月");

// Formats a date by one of the two month formats: "yyyy年mm月" gives "2024年05月"; "ggg ee年mm月" gives
// "令和 06年05月" from ICU's Japanese calendar.
QString formatMonth(const QDate& date, const QString& format);
// The era name and the two-digit year within the era, from ICU's Japanese calendar.
struct EraYear
{
    QString eraName;
    int yearInEra = 0;
};
std::optional<EraYear> japaneseEraOf(const QDate& date);
// A full date in the form of one of the two month formats, the day added: "2024年05月03日" or
// "令和 06年05月03日".
QString formatDay(const QDate& date, const QString& monthFormat);

// A month typed into the month field: "2024年05月", "202405", "2024/5" or an era form such as
// "令和 06年05月" or "令和元年5月", full-width digits read as ASCII. The date is that month's `day`,
// clamped to the month's last day; nullopt for anything else, an era year the era never had included.
std::optional<QDate> parseMonthText(const QString& input, int day);
