#pragma once

#include "common/message_table.h"

#include <QString>

#include <functional>
#include <optional>

// What the user answered. A notice is only acknowledged (Ok); Cancel comes only from a question that
// offers it.
enum class Answer { Yes, No, Cancel, Ok };

// Shows the standard dialog of the group and code over the active window: a modal QMessageBox run with
// exec(). A question answers Yes or No, a notice Ok; an unknown group or code shows nothing and answers
// Ok, so no caller takes it for a Yes.
Answer ShowStandardMessage(const QString& group, const QString& code, const QString& text);

// Lets tests answer dialogs without a real box: the function gets the dialog that would be shown and
// returns true for Yes (ignored for notices). An empty function restores the real boxes.
using DialogAnswerer = std::function<bool(const DialogSpec&)>;
void setDialogAnswerer(DialogAnswerer answerer);

// For boxes of their own that a window builds (not in the table): the installed answerer's answer to
// the dialog, recorded like any other; nothing when real boxes are shown.
std::optional<bool> AnswerInsteadOfBox(const DialogSpec& dialog);
