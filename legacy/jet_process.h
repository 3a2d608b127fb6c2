#pragma once

#include "legacy/jet_stream.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace legacy {

struct JetReaderOptions
{
    // The program to start as the reader; empty for the one set by setJetReaderProgram(), or this
    // program itself.
    QString program;
    // A reader that sends nothing for this long is taken for hung and stopped. The reader sends every
    // row as it reads it, so even a large file never keeps it quiet for long.
    int silenceTimeoutMs = 30000;
};

// The program that answers --read-jet FILE TABLE...: normally this very program. Tests, which run in
// a program of their own, name the built one.
void setJetReaderProgram(const QString& program);
QString jetReaderProgram();

// Rows taken so far, and the rows the tables begun so far say they hold.
using JetReadProgress = std::function<void(std::int64_t rowsRead, std::int64_t rowsDeclared)>;

// Reads the named tables of the Access file in a reader child and checks the hand-over. Tells
// `progress` as the rows arrive. Throws ImportError naming the file
// when the reader cannot start, crashes, hangs, gives up or hands over something incomplete. Tables
// that the file lacks are listed in JetDump::missingTables.
JetDump readJetTables(const QString& file, const QStringList& tables, const JetReaderOptions& options = {},
                      const JetReadProgress& progress = {});

} // namespace legacy
