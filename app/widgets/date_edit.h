#pragma once

#include <QDateEdit>

// A day field "yyyy/mm/dd" that takes a whole date typed as text ("2028/01/15", "2028-1-15" or
// "20280115") as well as the arrows and the calendar. The plain spin box reads typed digits section by
// section, so a date typed over the selected field lost its year. Up and Down step the part of the date
// the cursor is in; the date is read when the user presses Enter or leaves the field.
class DateEdit : public QDateEdit
{
    Q_OBJECT
public:
    explicit DateEdit(const QDate& date, QWidget* parent = nullptr);

protected:
    QString textFromDateTime(const QDateTime& dateTime) const override;
    QDateTime dateTimeFromText(const QString& text) const override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    void stepBy(int steps) override;
    StepEnabled stepEnabled() const override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
};
