#include "platform/programfolder.h"

#include <QCoreApplication>
#include <QDir>

namespace
{
QString& overriddenFolder()
{
    static QString folder;
    return folder;
}
QString& overriddenPath()
{
    static QString path;
    return path;
}
} // namespace

QString ProgramFolder()
{
    if (!overriddenFolder().isEmpty())
        return overriddenFolder();
    // Asked for at every read of a setting, so once per person in a check run; the folder of
    // the running program does not change.
    static QString folder;
    if (folder.isEmpty() && QCoreApplication::instance())
        folder = QCoreApplication::applicationDirPath();
    return folder;
}

QString ProgramPath()
{
    if (!overriddenPath().isEmpty())
        return overriddenPath();
    if (!overriddenFolder().isEmpty())
        return overriddenFolder() + "/tovalinero";
    return QCoreApplication::applicationFilePath();
}

void SetProgramFolder(const QString& folder, const QString& programPath)
{
    overriddenFolder() = folder.isEmpty() ? QString() : QDir::cleanPath(folder);
    overriddenPath() = programPath;
}

QString DataFolder()
{
    return ProgramFolder() + "/daten";
}

QString DataFile(const QString& name)
{
    return DataFolder() + "/" + name;
}
