#include "common/full_width.h"

namespace {

QChar folded(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'０' && u <= u'９')
        return QChar(u'0' + (u - u'０'));
    switch (u) {
    case u'，':
        return QLatin1Char(',');
    case u'．':
        return QLatin1Char('.');
    case u'－':
    case u'−':
        return QLatin1Char('-');
    case u'＋':
        return QLatin1Char('+');
    default:
        return c;
    }
}

} // namespace

QString foldFullWidth(const QString& text)
{
    QString ascii = text;
    for (QChar& c : ascii)
        c = folded(c);
    return ascii;
}
