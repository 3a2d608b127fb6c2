#include "app/widgets/date_edit.h"

#include "common/dates.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace {

// The ends of the year and of the month in "yyyy/mm/dd".
constexpr int kYearEnd = 4;
constexpr int kMonthEnd = 7;

} // namespace

DateEdit::DateEdit(const QDate& date, QWidget* parent) : QDateEdit(date, parent)
{
    // The text is drawn and read by this class; the format gives the calendar and the width.
    setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    // The spin box would select a date section whenever the cursor moves, and read each typed digit
    // into it; a date is typed here as plain text instead.
    disconnect(lineEdit(), &QLineEdit::cursorPositionChanged, this, nullptr);
}

QString DateEdit::textFromDateTime(const QDateTime& dateTime) const
{
    return toSlashDate(dateTime.date());
}

QDateTime DateEdit::dateTimeFromText(const QString& text) const
{
    const std::optional<QDate> parsed = parseDateText(text);
    if (!parsed || *parsed < minimumDate() || *parsed > maximumDate())
        return dateTime();
    return QDateTime(*parsed, QTime(0, 0));
}

QValidator::State DateEdit::validate(QString& input, int&) const
{
    const std::optional<QDate> parsed = parseDateText(input);
    if (parsed && *parsed >= minimumDate() && *parsed <= maximumDate())
        return QValidator::Acceptable;
    // Digits and separators are a date still being typed; an empty field too, which goes back to the
    // date before when the user leaves it.
    static const QRegularExpression typing(QStringLiteral(R"(^\s*[0-9/-]{0,10}\s*$)"));
    return typing.match(input).hasMatch() ? QValidator::Intermediate : QValidator::Invalid;
}

void DateEdit::fixup(QString& input) const
{
    input = textFromDateTime(dateTime());
}

void DateEdit::stepBy(int steps)
{
    const int cursor = lineEdit()->cursorPosition();
    const QDate from = date();
    QDate to;
    if (cursor <= kYearEnd)
        to = from.addYears(steps);
    else if (cursor <= kMonthEnd)
        to = from.addMonths(steps);
    else
        to = from.addDays(steps);
    setDate(std::clamp(to, minimumDate(), maximumDate()));
    lineEdit()->setCursorPosition(cursor);
}

QAbstractSpinBox::StepEnabled DateEdit::stepEnabled() const
{
    if (isReadOnly())
        return StepNone;
    return StepUpEnabled | StepDownEnabled;
}

void DateEdit::keyPressEvent(QKeyEvent* event)
{
    // Plain text editing: the spin box's own handling works on sections the typed text need not have.
    // Its Enter still reads the text.
    QAbstractSpinBox::keyPressEvent(event);
}

bool DateEdit::focusNextPrevChild(bool next)
{
    // Tab leaves the field rather than moving between the parts of the date.
    return QWidget::focusNextPrevChild(next);
}
