#pragma once

#include "platform/seam.h"

#include <QByteArray>
#include <QString>

// The current user's autostart list: one entry per value name, starting the program's path at
// every logon.
class Autostart
{
public:
    virtual ~Autostart() = default;
    // Writes (or overwrites) the entry; true when it was written.
    virtual bool enter(const QString& valueName, const QString& programPath) = 0;
    // Deletes the entry; true when an entry was deleted.
    virtual bool remove(const QString& valueName) = 0;
    virtual bool exists(const QString& valueName) = 0;
};

// A desktop entry in $XDG_CONFIG_HOME/autostart (~/.config/autostart when the variable is unset
// or not an absolute path), named after the value name.
class XdgAutostart : public Autostart
{
public:
    bool enter(const QString& valueName, const QString& programPath) override;
    bool remove(const QString& valueName) override;
    bool exists(const QString& valueName) override;

    static QString Folder();
    static QString EntryPath(const QString& valueName);
    // The whole desktop entry; empty when the path cannot be put on an Exec line.
    static QByteArray EntryText(const QString& valueName, const QString& programPath);
    // The path as one argument of an Exec line, quoted and escaped as the format asks.
    static QString ExecArgument(const QString& programPath);
};

#ifdef Q_OS_WIN
// The value under HKEY_CURRENT_USER\SOFTWARE\Microsoft\Windows\CurrentVersion\Run.
class RegistryAutostart : public Autostart
{
public:
    bool enter(const QString& valueName, const QString& programPath) override;
    bool remove(const QString& valueName) override;
    bool exists(const QString& valueName) override;
};
using NativeAutostart = RegistryAutostart;
#else
using NativeAutostart = XdgAutostart;
#endif

using AutostartSeam = Seam<Autostart, NativeAutostart>;

// The program file's name without its extension: the text after the last path separator, cut
// before its last ".".
QString AutostartValueName(const QString& programPath);
