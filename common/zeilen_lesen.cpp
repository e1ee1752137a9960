#include "common/zeilen_lesen.h"

#include "common/textfile.h"

namespace
{

// Piece n (from 1) of the bytes split at CR LF pairs; only that piece is decoded, since the
// settings readers call this once per line they need.
QString pieceOfBytes(const QByteArray& bytes, long n)
{
    if (n < 0)
        n = static_cast<long>(bytes.count("\r\n")) + 1 + n + 1;
    if (n < 1)
        return QString();
    qsizetype start = 0;
    for (long k = 1; k < n; ++k) {
        const qsizetype end = bytes.indexOf("\r\n", start);
        if (end < 0)
            return QString();
        start = end + 2;
    }
    const qsizetype end = bytes.indexOf("\r\n", start);
    return DecodeCp1252(bytes.mid(start, end < 0 ? -1 : end - start));
}

} // namespace

QString ReadLineN(const QString& path, long n)
{
    if (n == 0)
        return QString();
    const auto bytes = ReadFileBytes(path);
    return bytes && !bytes->isEmpty() ? pieceOfBytes(*bytes, n) : QString();
}
