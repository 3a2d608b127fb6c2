#include "legacy/legacy_test_files.h"

#include "legacy/jet_process.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

QString legacyData(const QString& name)
{
    return QDir(QStringLiteral(DORIVAN_LEGACY_DATA)).filePath(name);
}

void copyFiles(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files)) {
        const QString target = QDir(to).filePath(name);
        QFile::remove(target);
        QFile::copy(QDir(from).filePath(name), target);
        QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
}

QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        files.insert(QDir(folder).relativeFilePath(path), file.readAll());
    }
    return files;
}

void useBuiltReader()
{
    legacy::setJetReaderProgram(QStringLiteral(DORIVAN_EXECUTABLE));
}

QString writeScript(const QString& folder, const QString& name, const QByteArray& body)
{
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}
