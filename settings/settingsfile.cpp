#include "settings/settingsfile.h"

#include "common/runtimeerror.h"
#include "common/textfile.h"
#include "common/webaddresses.h"
#include "common/zeilen_lesen.h"
#include "platform/programfolder.h"

#include <QFile>

namespace Settings
{

namespace
{
constexpr int BoxWidth = 73;

QString centredInBox(const QString& text)
{
    const int room = BoxWidth - 2 - static_cast<int>(text.size());
    const int before = room / 2;
    return "#" + QString(before, ' ') + text + QString(room - before, ' ') + "#";
}
} // namespace

QString Path()
{
    return DataFile("einstellungen.dat");
}

QString Read(int line)
{
    return ReadLineN(Path(), line);
}

int ReadWholeNumber(int line)
{
    return ToWholeNumber(Read(line));
}

bool ReadTruthValue(int line)
{
    return ToTruthValue(Read(line));
}

int LinesInFile()
{
    // The line reader takes no file larger than this either; a damaged giant is not read.
    const auto bytes = ReadFileBytesUpTo(Path(), MaxDataFileSize);
    if (!bytes || bytes->isEmpty())
        return 0;
    return static_cast<int>(bytes->count("\r\n")) + (bytes->endsWith("\r\n") ? 0 : 1);
}

double ReadNumberOrZero(int line)
{
    bool ok = false;
    const double value = Read(line).trimmed().toDouble(&ok);
    return ok ? value : 0.0;
}

QString RenderWholeNumber(int value)
{
    return (value < 0 ? QString() : QStringLiteral(" ")) + QString::number(value) + " ";
}

QString RenderTruthValue(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QStringList FixedLines()
{
    QStringList lines;
    for (int n = 28; n <= 60; ++n)
        lines << QStringLiteral("<Zeile %1>").arg(n);
    const QString border(BoxWidth, '#');
    lines << border;
    lines << "#" + QString(15, ' ') + "Einstellungen von Tovalinero Pro V2" + QString(21, ' ') + "#";
    lines << centredInBox(WebAddresses::PublisherHost);
    lines << border;
    return lines;
}

QStringList DesignTimeLines(const QString& programPath)
{
    const QString zero = RenderWholeNumber(0);
    QStringList lines = {
        "3600",
        zero,
        QString(),
        programPath,
        zero, // 1 - 5
        QString(),
        QString(),
        QString(),
        QString(),
        zero, // 6 - 10
        QString(),
        QString(),
        QString(),
        zero,
        QString(), // 11 - 15
        zero,
        "10",
        QString(),
        "10",
        zero, // 16 - 20
        QString(),
        QString(),
        "2",
        zero, // 21 - 24
        RenderTruthValue(true),
        RenderTruthValue(false),
        RenderTruthValue(false), // 25 - 27
    };
    lines << FixedLines();
    return lines;
}

QByteArray Render(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += EncodeCp1252(line) + "\r\n";
    return bytes;
}

bool WriteAll(const QStringList& lines, QString* error)
{
    // The password stays the owner's where the file system knows owners; elsewhere it is saved all the same.
    return WriteFileAtomic(Path(), Render(lines), error, FileAccess::OwnerOnly);
}

} // namespace Settings
