#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// The Access files under tests/data/legacy (see its README) and what the import tests do with them.

// A file or folder under tests/data/legacy.
QString legacyData(const QString& name);
// Copies the files (not the folders) of one folder into another, which is made when missing.
void copyFiles(const QString& from, const QString& to);
// Every file under the folder, by relative path, with its bytes: "nothing changed" is an equal snapshot.
QMap<QString, QByteArray> snapshot(const QString& folder);
// Reads the Access files with the built program, as the program itself does.
void useBuiltReader();
// Writes an executable shell script standing in for the reader.
QString writeScript(const QString& folder, const QString& name, const QByteArray& body);
