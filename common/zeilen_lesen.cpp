#include "common/zeilen_lesen.h"

#include "common/textfile.h"

QString PieceN(const QString& text, long n)
{
    if (n == 0 || text.isEmpty())
        return QString();
    const QStringList pieces = text.split(QStringLiteral("\r\n"));
    const long last = static_cast<long>(pieces.size()) - 1;
    const long index = n > 0 ? n - 1 : last + n + 1;
    if (index < 0 || index > last)
        return QString();
    return pieces[index];
}

QString ReadLineN(const QString& path, long n)
{
    if (n == 0)
        return QString();
    const auto text = ReadTextFile(path);
    return text ? PieceN(*text, n) : QString();
}
