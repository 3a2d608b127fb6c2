#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <ostream>

// Reads rendered printouts back with poppler's command-line tools.
namespace pdf {

bool toolsAvailable();
// pdftotext -layout, one entry per page.
QStringList pagesText(const QString& pdfPath);
int pageCount(const QString& pdfPath);
// The first page at 72 dots per inch (one dot is 20 twips), without smoothing so lines keep their colour.
QImage firstPageImage(const QString& pdfPath);
// The line of the text holding the needle, split at blanks; empty when no line holds it.
QStringList wordsOfLineWith(const QString& text, const QString& needle);

} // namespace pdf

// Readable failure messages for texts and lists of texts.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
