#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A fresh program folder in a temporary folder, laid out as the build lays it out, and set as
// the program's folder for the life of the fixture.
class ProgramFolderFixture
{
public:
    ProgramFolderFixture();
    ~ProgramFolderFixture();

    QString folder() const { return dir_.path(); }
    QString programPath() const { return dir_.path() + "/tovalinero"; }
    QString data(const QString& name) const { return dir_.path() + "/daten/" + name; }

    // Writes bytes as they are; lines are joined by CR LF, each ended by one.
    void writeBytes(const QString& path, const QByteArray& bytes) const;
    void writeLines(const QString& path, const QStringList& lines) const;
    QByteArray readBytes(const QString& path) const;
    // Replaces line n (from 1) of the settings file.
    void setSetting(int line, const QString& value) const;

private:
    QTemporaryDir dir_;
};

// Deletes windows that were unloaded (their deletion waits for the event loop).
void FlushDeletedWindows();
