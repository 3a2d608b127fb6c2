#include "app/month_edit.h"

#include "common/dates.h"
#include "common/full_width.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>

#include <optional>

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

// Reads "2024年05月", "202405", "2024/5" or "令和 06年05月" (also "令和元年5月"); nullopt otherwise.
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

} // namespace

MonthEdit::MonthEdit(QWidget* parent) : QDateEdit(parent), m_format(kWesternMonthFormat)
{
    // The text is drawn and read by this class; the format only gives the spin box its sections.
    setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    setKeyboardTracking(false);
    setCalendarPopup(false);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setAlignment(Qt::AlignCenter);
    // The spin box would select a date section whenever the cursor moves, so a second typed digit
    // replaced the first; the month is typed as plain text instead.
    disconnect(lineEdit(), &QLineEdit::cursorPositionChanged, this, nullptr);
    connect(this, &QDateEdit::dateChanged, this, &MonthEdit::onDateChanged);
    setMonth({});
}

void MonthEdit::setMonthFormat(const QString& format)
{
    m_format = format;
    // Redraw in the new form without touching the value.
    const QDate current = date();
    ++m_byCode;
    QDateEdit::setDate(current == minimumDate() ? minimumDate().addDays(1) : minimumDate());
    QDateEdit::setDate(current);
    --m_byCode;
}

void MonthEdit::setMonth(const QDate& date)
{
    ++m_byCode;
    QDateEdit::setDate(date.isValid() && date > minimumDate() ? date : minimumDate());
    --m_byCode;
}

bool MonthEdit::hasValue() const
{
    return date() > minimumDate();
}

QDate MonthEdit::month() const
{
    return hasValue() ? date() : QDate();
}

void MonthEdit::onDateChanged()
{
    if (m_byCode == 0 && m_byUser > 0)
        emit monthChanged();
}

void MonthEdit::setByUser(const QDate& date)
{
    ++m_byUser;
    QDateEdit::setDate(date.isValid() && date > minimumDate() ? date : minimumDate());
    --m_byUser;
}

QString MonthEdit::textFromDateTime(const QDateTime& dateTime) const
{
    const QDate date = dateTime.date();
    if (!date.isValid() || date <= minimumDate())
        return {};
    return formatMonth(date, m_format);
}

QDateTime MonthEdit::dateTimeFromText(const QString& text) const
{
    if (text.trimmed().isEmpty())
        return minimumDateTime();
    const int day = hasValue() ? date().day() : 1;
    const std::optional<QDate> parsed = parseMonthText(text, day);
    if (!parsed)
        return dateTime();
    return QDateTime(*parsed, QTime(0, 0));
}

QValidator::State MonthEdit::validate(QString& input, int&) const
{
    if (input.trimmed().isEmpty())
        return QValidator::Acceptable;
    const std::optional<QDate> parsed = parseMonthText(input, 1);
    if (parsed && *parsed > minimumDate() && *parsed <= maximumDate())
        return QValidator::Acceptable;
    // Half-typed months are fine while the user is still typing.
    return input.size() <= 16 ? QValidator::Intermediate : QValidator::Invalid;
}

void MonthEdit::fixup(QString& input) const
{
    input = textFromDateTime(dateTime());
}

void MonthEdit::stepBy(int steps)
{
    // Up and down move by whole months; from an empty field they start at this month.
    const QDate base = hasValue() ? date() : QDate::currentDate();
    setByUser(base.addMonths(steps));
}

QAbstractSpinBox::StepEnabled MonthEdit::stepEnabled() const
{
    if (isReadOnly())
        return StepNone;
    return StepUpEnabled | StepDownEnabled;
}

void MonthEdit::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if ((key == Qt::Key_Delete || key == Qt::Key_Backspace) && !isReadOnly() &&
        lineEdit()->text() == textFromDateTime(dateTime())) {
        // The shown month is one value: deleting it empties the field. Text being typed is edited
        // character by character as usual.
        setByUser(minimumDate());
        event->accept();
        return;
    }
    if (key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
        stepBy(key == Qt::Key_PageUp ? 12 : -12);
        event->accept();
        return;
    }
    // Plain text editing: the sections of the spin box do not match the drawn month text.
    QAbstractSpinBox::keyPressEvent(event);
}

bool MonthEdit::event(QEvent* event)
{
    // Page Up and Page Down step a year here, before the window's month keys see them.
    if (event->type() == QEvent::ShortcutOverride) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            event->accept();
            return true;
        }
    }
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::InputMethod:
    case QEvent::FocusOut:
    case QEvent::Wheel:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        ++m_byUser;
        const bool result = QDateEdit::event(event);
        --m_byUser;
        return result;
    }
    default:
        return QDateEdit::event(event);
    }
}
