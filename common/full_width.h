#pragma once

#include <QString>

// Japanese keyboards in full-width mode type the digits U+FF10..U+FF19 and full-width signs and
// separators (＋ － ， ．); the minus may also arrive as the mathematical minus sign U+2212. Every field
// that takes a number reads the text through this: those characters as their ASCII forms, every other
// character as it is.
QString foldFullWidth(const QString& text);
