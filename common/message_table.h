#pragma once

#include <QString>

#include <optional>

// The complete vocabulary of questions and notices the program shows.
enum class DialogStyle {
    AskDefaultNo,  // Yes/No, question icon, No is default
    AskDefaultYes, // Yes/No, question icon, Yes is default
    Notice,        // OK, information icon
    Warning,       // OK, exclamation icon
    WarnDefaultNo, // Yes/No, exclamation icon, No is default: a question whose Yes replaces data
    Error,         // OK, critical icon: the operation failed and the window cannot go on as it was
};

struct DialogSpec
{
    QString title;
    QString message;
    DialogStyle style = DialogStyle::Notice;
    // A long list behind the message (the rows an import would change), shown below it in a field of
    // its own that scrolls.
    QString details = {};
    bool isQuestion() const
    {
        return style == DialogStyle::AskDefaultNo || style == DialogStyle::AskDefaultYes ||
               style == DialogStyle::WarnDefaultNo;
    }
};

// Looks the dialog up by exact group and code and composes its message with the caller's text;
// nullopt for a group or a code the table does not list.
std::optional<DialogSpec> lookupStandardMessage(const QString& group, const QString& code,
                                                const QString& text);
