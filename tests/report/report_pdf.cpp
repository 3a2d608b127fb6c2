#include "report_pdf.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace pdf {

namespace {

QByteArray run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput();
}

} // namespace

bool toolsAvailable()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

QStringList pagesText(const QString& pdfPath)
{
    const QString text = QString::fromUtf8(run(QStringLiteral("pdftotext"), {"-layout", pdfPath, "-"}));
    QStringList pages = text.split(QLatin1Char('\f'));
    // The form feed ends each page, so the text after the last one is empty.
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

int pageCount(const QString& pdfPath)
{
    const QString info = QString::fromUtf8(run(QStringLiteral("pdfinfo"), {pdfPath}));
    const auto match =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
            .match(info);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QImage firstPageImage(const QString& pdfPath)
{
    const QString prefix = pdfPath + QStringLiteral("-page");
    run(QStringLiteral("pdftoppm"), {"-r", "72", "-png", "-singlefile", "-f", "1", "-l", "1", "-aa", "no",
                                     "-aaVector", "no", pdfPath, prefix});
    return QImage(prefix + QStringLiteral(".png"));
}

QStringList wordsOfLineWith(const QString& text, const QString& needle)
{
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.contains(needle))
            return line.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    }
    return {};
}

} // namespace pdf
