#pragma once

#include <QString>

// One program per program folder. Each program keeps the whole list in memory and rewrites the
// file from it, and each start-up check sends the day's greetings: two programs on one data
// folder would overwrite each other's changes and send every greeting twice. The first program
// holds a lock on a file in the data folder for as long as it runs; the system releases it when
// the process ends, however it ends, so a killed program never blocks the next start.
class ProgramFolderLock
{
public:
    enum class Outcome {
        Taken,
        // Another process holds the lock: a program already runs on this data folder.
        InUse,
        // Nothing in the data folder can be written by this program (a read-only medium, a folder
        // the user may only read, no data folder at all), so a second program could lose nothing;
        // the program runs without the lock and the start-up reports what it cannot do.
        NothingToGuard,
        // The lock could be neither taken nor ruled out; Reason() tells why.
        Failed,
    };

    ProgramFolderLock() = default;
    ~ProgramFolderLock();
    ProgramFolderLock(const ProgramFolderLock&) = delete;
    ProgramFolderLock& operator=(const ProgramFolderLock&) = delete;

    // Tries to take the lock on the data folder, at once, without waiting for another holder.
    Outcome Take(const QString& dataFolder);
    // Takes the lock on the program's data folder, or tells the user why the program must not run
    // (false: the program ends before it touches a file).
    bool TakeForStart();
    void Release();

    // Why the lock failed, in German.
    QString Reason() const { return reason_; }
    static QString FilePath(const QString& dataFolder);
    static inline const QString FileName = QStringLiteral(".tovalinero.lock");

private:
    int handle_ = -1;
    QString reason_;
};
