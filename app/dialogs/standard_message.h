#pragma once

#include "app/dialogs/user_prompts.h"

#include <QString>

// Shows the standard dialog of the group and code (common/message_table.h) through the prompts, over
// the active window. A question answers Yes or No, a notice Ok; an unknown group or code shows nothing
// and answers Ok, so no caller takes it for a Yes.
Answer showStandardMessage(UserPrompts& prompts, const QString& group, const QString& code,
                           const QString& text);
