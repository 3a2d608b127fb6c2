#pragma once

#include <QString>

#include <exception>
#include <functional>

class UserPrompts;

// The one way a failed step reaches the user: the standard message box (その他/メッセージ) with the
// Japanese text the failure carries. Every step the window runs against the store is one transaction or
// none, so telling is all that is left to do; nothing is half-stored.

// The text the user reads for a failure: the failure's own message for the kinds that carry one (the
// store, the settings input, an amount out of range, which an overflow of Money is too), otherwise
// `unforeseen`, which says what stayed unchanged.
QString failureMessage(const std::exception& failure, const QString& unforeseen);

// Runs the step; a failure is told through the prompts with failureMessage and the answer is false. True when
// the step went through.
bool runReportingFailure(UserPrompts& prompts, const std::function<void()>& step, const QString& unforeseen);

// What most steps say when they fail in a way nobody foresaw.
extern const QString kStepNotCompleted;
