#include "common/textfile.h"

#include <QFile>
#include <QSaveFile>
#include <array>

namespace
{

// Code points of the bytes 0x80 to 0x9F; the undefined ones keep their own value.
constexpr std::array<char16_t, 32> HighControlTable = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::optional<char> byteOf(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<char>(u);
    for (size_t i = 0; i < HighControlTable.size(); ++i)
        if (HighControlTable[i] == u)
            return static_cast<char>(0x80 + i);
    return std::nullopt;
}

} // namespace

QString DecodeCp1252(const QByteArray& bytes)
{
    QString text;
    text.resize(bytes.size());
    QChar* out = text.data();
    for (const char raw : bytes) {
        const auto b = static_cast<unsigned char>(raw);
        *out++ = (b >= 0x80 && b < 0xA0) ? QChar(HighControlTable[b - 0x80]) : QChar(b);
    }
    return text;
}

QByteArray EncodeCp1252(const QString& text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    for (const QChar c : text)
        *out++ = byteOf(c).value_or('?');
    return bytes;
}

bool IsCp1252Representable(QChar c)
{
    return byteOf(c).has_value();
}

std::optional<QChar> FirstUnrepresentable(const QString& text)
{
    for (const QChar c : text)
        if (!IsCp1252Representable(c))
            return c;
    return std::nullopt;
}

QStringList SplitLinesAtCr(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start < size) {
        qsizetype end = text.indexOf(QChar('\r'), start);
        if (end < 0) {
            lines << text.mid(start);
            break;
        }
        lines << text.mid(start, end - start);
        start = end + 1;
        if (start < size && text[start] == QChar('\n'))
            ++start;
    }
    return lines;
}

std::optional<QByteArray> ReadFileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

std::optional<QString> ReadTextFile(const QString& path)
{
    const auto bytes = ReadFileBytes(path);
    if (!bytes)
        return std::nullopt;
    return DecodeCp1252(*bytes);
}

bool WriteFileAtomic(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

bool WriteTextFileAtomic(const QString& path, const QString& text, QString* error)
{
    return WriteFileAtomic(path, EncodeCp1252(text), error);
}

bool AppendLine(const QString& path, const QString& line, QString* error)
{
    QFile file(path);
    const QByteArray bytes = EncodeCp1252(line) + "\r\n";
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(bytes) != bytes.size()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool TruncateFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
