#pragma once

#include <QString>

class UserPrompts;
class BoundGrid;
class QFrame;
class QLabel;
class QPushButton;
class QWidget;
class WorkTableModel;

// The control kinds every page of the main window builds alike, each named by its object name.
namespace page_controls {

template <typename T> T* named(T* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

// A command button of a page's button row.
QPushButton* button(const QString& name, const QString& caption, QWidget* parent);
// The hint button at the end of a page's button row.
QPushButton* hintButton(const QString& name, QWidget* parent);
// A raised panel holding a group of controls.
QFrame* panel(const QString& name, QWidget* parent);
QLabel* label(const QString& name, const QString& text, QWidget* parent);

// The columns of a grid: which are shown, their captions, alignment and width.
struct ColumnSetting
{
    const char16_t* field;
    bool hidden;
    const char16_t* caption; // nullptr keeps the field name
    Qt::Alignment alignment;
    double widthTwips; // 0 keeps the grid's width
};
// Applies the settings to the columns the table has; a column it lacks is skipped. The right-aligned
// columns are the amounts: never narrower than the largest amount in the grid's font.
void applyColumns(BoundGrid* grid, WorkTableModel* model, const ColumnSetting* begin,
                  const ColumnSetting* end);

// Widens an amount column, where needed, until `widest` fits in the grid's font.
void widenForAmount(BoundGrid* grid, int column, const QString& widest);

// A storage failure of a grid's table, told over the window.
void showStorageFailure(UserPrompts& prompts, QWidget* page, const QString& message);

} // namespace page_controls
