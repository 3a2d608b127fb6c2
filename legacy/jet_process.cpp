#include "legacy/jet_process.h"

#include "legacy/import_error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace legacy {

namespace {

constexpr int kStartTimeoutMs = 10000;

QString& readerProgramOverride()
{
    static QString program;
    return program;
}

QString shown(const QString& file)
{
    return QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath());
}

// The library picks its text conversions and its debugging from the environment: the child gets
// UTF-8 out, the Japanese code page for Access 97 files, and no debugging output in the hand-over.
QProcessEnvironment readerEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("MDBOPTS"));
    env.remove(QStringLiteral("MDBPATH"));
    env.insert(QStringLiteral("MDBICONV"), QStringLiteral("UTF-8"));
    env.insert(QStringLiteral("MDB_JET3_CHARSET"), QStringLiteral("CP932"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    return env;
}

QString readerFailureMessage(const QString& file, const JetReaderFailure& failure)
{
    if (failure.stage() == QLatin1String("memo"))
        return QStringLiteral("ファイル「%1」の「%2」に長すぎる文章があり、最後まで読み取れません。")
            .arg(shown(file), failure.detail());
    if (failure.stage() == QLatin1String("table") || failure.stage() == QLatin1String("columns"))
        return QStringLiteral(
                   "ファイル「%1」の表「%2」を読み取れません。ファイルが壊れているか、途中で切れています。")
            .arg(shown(file), failure.detail());
    return QStringLiteral("ファイル「%1」を Access のデータベースとして開けません。ファイルが壊れているか、"
                          "途中で切れています。")
        .arg(shown(file));
}

} // namespace

void setJetReaderProgram(const QString& program)
{
    readerProgramOverride() = program;
}

QString jetReaderProgram()
{
    if (!readerProgramOverride().isEmpty())
        return readerProgramOverride();
    return QCoreApplication::applicationFilePath();
}

JetDump readJetTables(const QString& file, const QStringList& tables, const JetReaderOptions& options,
                      const JetReadProgress& progress)
{
    QProcess reader;
    reader.setProgram(options.program.isEmpty() ? jetReaderProgram() : options.program);
    reader.setArguments(QStringList{QStringLiteral("--read-jet"), QFileInfo(file).absoluteFilePath()} +
                        tables);
    reader.setProcessEnvironment(readerEnvironment());
    reader.setReadChannel(QProcess::StandardOutput);
    reader.start(QIODevice::ReadOnly);
    if (!reader.waitForStarted(kStartTimeoutMs))
        throw ImportError(
            QStringLiteral("ファイルを読み取る処理を開始できませんでした。（%1）").arg(reader.errorString()));

    auto stop = [&reader] {
        reader.kill();
        reader.waitForFinished(kStartTimeoutMs);
    };
    auto crashed = [&] {
        return ImportError(QStringLiteral("ファイル「%1」を読み取る処理が異常終了しました。ファイルが壊れて"
                                          "いる可能性があります。")
                               .arg(shown(file)));
    };

    JetStreamParser parser;
    try {
        for (;;) {
            // The library's warnings are of no use to the user; they are only kept from piling up.
            reader.readAllStandardError();
            const QByteArray chunk = reader.readAllStandardOutput();
            if (!chunk.isEmpty()) {
                parser.feed(chunk.constData(), chunk.size());
                if (progress) {
                    std::int64_t declared = 0;
                    for (const JetTable& table : parser.partial().tables)
                        declared += table.declaredRows;
                    progress(parser.rowsSeen(), declared);
                }
                continue;
            }
            if (reader.state() == QProcess::NotRunning)
                break;
            if (!reader.waitForReadyRead(options.silenceTimeoutMs) &&
                reader.state() != QProcess::NotRunning) {
                stop();
                throw ImportError(QStringLiteral("ファイル「%1」の読み取りが進まなくなったため中止しました。"
                                                 "ファイルが壊れている可能性があります。")
                                      .arg(shown(file)));
            }
        }
    } catch (const JetReaderFailure& failure) {
        stop();
        throw ImportError(readerFailureMessage(file, failure));
    } catch (const JetStreamError& e) {
        // A crash that cut a line short is reported as the crash, not as the broken line.
        const bool died =
            reader.state() == QProcess::NotRunning && reader.exitStatus() == QProcess::CrashExit;
        stop();
        if (died)
            throw crashed();
        throw ImportError(
            QStringLiteral("ファイル「%1」を読み取れませんでした。%2").arg(shown(file), e.reason()));
    }
    if (reader.exitStatus() == QProcess::CrashExit || reader.exitCode() != 0)
        throw crashed();
    try {
        return parser.finish();
    } catch (const JetStreamError& e) {
        throw ImportError(
            QStringLiteral("ファイル「%1」を読み取れませんでした。%2").arg(shown(file), e.reason()));
    }
}

} // namespace legacy
