#pragma once

#include <QString>

#include <vector>

class QWidget;

// The schedule page's own questions, shown as modal boxes over `parent`. When tests answer dialogs
// (setDialogAnswerer), a Yes/No answer stands for はい/いいえ.

// What to do with edits of the displayed month that are not saved yet.
enum class UnsavedChoice {
    Save,    // はい: save, then go on
    Discard, // いいえ: go on without saving
    Stay,    // キャンセル or Escape: stay on the month with the edits
};
// "未登録の変更" with はい / いいえ / キャンセル, はい the default.
UnsavedChoice AskUnsavedChanges(QWidget* parent);

// Lists the grid rows (1-based, as the user counts them) that hold something but no payer and so are
// not saved. True for はい, save the rest; いいえ (the default, and Escape) goes back to them.
bool AskSaveWithoutPayerRows(QWidget* parent, const std::vector<int>& gridRows);
// The text of that question.
QString payerlessRowsText(const std::vector<int>& gridRows);
