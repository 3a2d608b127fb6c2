#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QMessageBox;

// A message box as the user saw it.
struct SeenBox
{
    QString title;
    QString text;
    QStringList buttons; // captions, in the box's order
    QString defaultButton;
};

using BoxAnswer = std::function<void(QMessageBox*)>;
// Answers: a click on the button with this caption, Escape, or Enter (the default button).
BoxAnswer clickButton(const QString& caption);
BoxAnswer pressEscape();
BoxAnswer pressEnter();

// Runs `action` with real boxes: each modal message box it opens is recorded and answered by the next
// of `answers`; a box left without an answer is closed with Escape so that the test cannot hang.
std::vector<SeenBox> withRealBoxes(const std::function<void()>& action, std::vector<BoxAnswer> answers);
