#pragma once

#include "app/dialogs/user_prompts.h"

#include <QDate>
#include <QString>

#include <vector>

// The schedule page's own questions, asked through the window's prompts over `parent`.

// What to do with edits of the displayed month that are not saved yet.
enum class UnsavedChoice {
    Save,    // はい: save, then go on
    Discard, // いいえ: go on without saving
    Stay,    // キャンセル or Escape: stay on the month with the edits
};
// "未登録の変更" with はい / いいえ / キャンセル, はい the default.
UnsavedChoice AskUnsavedChanges(UserPrompts& prompts, QWidget* parent);

// "入力の復元": typed work of `month` from an earlier run that was never saved. True for はい (the
// default), restore it; いいえ discards it.
bool AskRestoreDraft(UserPrompts& prompts, QWidget* parent, const QDate& month);

// Lists the grid rows (1-based, as the user counts them) that hold something but no payer and so are
// not saved. True for はい, save the rest; いいえ (the default, and Escape) goes back to them.
bool AskSaveWithoutPayerRows(UserPrompts& prompts, QWidget* parent, const std::vector<int>& gridRows);
// The text of that question.
QString payerlessRowsText(const std::vector<int>& gridRows);
