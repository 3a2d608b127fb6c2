#pragma once

#include <QString>

#include <map>

// The widths the user gave a grid's columns, kept in a small file beside the data files so that the
// next start shows them again. The file is the window's own state, not data: a missing or unreadable
// one gives the usual widths. Widths are in twips, by column name, for each grid by its object name.
inline const QString kColumnWidthsFileName = QStringLiteral("column_widths.json");

std::map<QString, double> readColumnWidths(const QString& path, const QString& grid);
// Replaces the grid's widths in the file, keeping those of other grids; written whole to a temporary
// file and renamed over the old one, so that a crash leaves the old file or the new one. False when it
// could not be written.
bool writeColumnWidths(const QString& path, const QString& grid, const std::map<QString, double>& widths);
