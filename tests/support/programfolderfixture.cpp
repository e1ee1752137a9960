#include "support/programfolderfixture.h"

#include "app/programfolderlayout.h"
#include "common/germanlocale.h"
#include "common/keyboard.h"
#include "common/textfile.h"
#include "platform/programfolder.h"
#include "settings/settingsfile.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QTest>

ProgramFolderFixture::ProgramFolderFixture()
{
    // What the program sets at its start: German whatever the locale the tests run under, and
    // its keyboard rules.
    UseGermanLocale();
    UseKeyboardConventions();
    const QStringList problems = LayOutProgramFolder(TOVALINERO_RESOURCES, dir_.path(), programPath());
    if (!problems.isEmpty())
        qFatal("program folder: %s", qPrintable(problems.join("; ")));
    SetProgramFolder(dir_.path(), programPath());
}

ProgramFolderFixture::~ProgramFolderFixture()
{
    FlushDeletedWindows();
    SetProgramFolder(QString());
}

void ProgramFolderFixture::writeBytes(const QString& path, const QByteArray& bytes) const
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

void ProgramFolderFixture::writeLines(const QString& path, const QStringList& lines) const
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += EncodeCp1252(line) + "\r\n";
    writeBytes(path, bytes);
}

QByteArray ProgramFolderFixture::readBytes(const QString& path) const
{
    return ReadFileBytes(path).value_or(QByteArray());
}

void ProgramFolderFixture::setSetting(int line, const QString& value) const
{
    QStringList lines = DecodeCp1252(readBytes(Settings::Path())).split("\r\n");
    while (lines.size() <= line)
        lines << QString();
    lines[line - 1] = value;
    writeBytes(Settings::Path(), EncodeCp1252(lines.join("\r\n")));
}

void FlushDeletedWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
