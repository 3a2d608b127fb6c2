#include "app/widgets/month_edit.h"

#include "common/dates.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <optional>

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
    const QDate base = hasValue() ? date() : todayBy(m_clock);
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
