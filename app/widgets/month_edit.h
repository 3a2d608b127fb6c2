#pragma once

#include "common/clock.h"

#include <QDateEdit>

// The month field: a date whose day is not shown, drawn in the Western form "yyyy年mm月" or the era form
// "ggg ee年mm月". Its minimum date stands for "no month" and shows as an empty field; the user gets
// there with Delete or Backspace, code with setDate(minimumDate()) or setMonth({}).
//
// Only the user's changes raise monthChanged(): a month set by code (a clear, the previous/next month
// buttons) must not load the month a second time.
class MonthEdit : public QDateEdit
{
    Q_OBJECT
public:
    explicit MonthEdit(QWidget* parent = nullptr);

    // The clock whose month the arrow keys start from in an empty field.
    void setClock(Clock clock) { m_clock = std::move(clock); }

    // One of the two month formats (common/dates.h).
    void setMonthFormat(const QString& format);
    const QString& monthFormat() const { return m_format; }

    // An invalid date empties the field. Neither raises monthChanged().
    void setMonth(const QDate& date);
    void setDate(const QDate& date) { setMonth(date); }
    void clearMonth() { setMonth({}); }
    bool hasValue() const;
    // Invalid when the field is empty.
    QDate month() const;

signals:
    void monthChanged();

protected:
    QString textFromDateTime(const QDateTime& dateTime) const override;
    QDateTime dateTimeFromText(const QString& text) const override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    void stepBy(int steps) override;
    StepEnabled stepEnabled() const override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    void onDateChanged();
    void setByUser(const QDate& date);

    Clock m_clock;
    QString m_format;
    int m_byCode = 0;
    int m_byUser = 0;
};
