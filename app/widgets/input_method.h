#pragma once

class QWidget;

// Turns the text-input conversion on or off for a widget. On, the Japanese input method may compose
// into it (payer names); off, the widget takes plain keys and asks for digits (days and amounts). The
// hint is only a hint to the input method: the cells still check what they are given.
void setImeOpen(QWidget* widget, bool open);
