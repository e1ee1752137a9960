#include "platform/programfolderlock.h"

#include "common/fileerrors.h"
#include "platform/programfolder.h"
#include "platform/prompt.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

ProgramFolderLock::~ProgramFolderLock()
{
    Release();
}

QString ProgramFolderLock::FilePath(const QString& dataFolder)
{
    return dataFolder + "/" + FileName;
}

ProgramFolderLock::Outcome ProgramFolderLock::Take(const QString& dataFolder)
{
    Release();
    reason_.clear();
    const QByteArray path = QFile::encodeName(FilePath(dataFolder));
    // Close-on-exec: a desktop program started from here (the spreadsheet of an export) must not
    // keep the lock after this program has ended. Non-blocking: something else in the lock file's
    // place (a FIFO) must not hold up the start.
    const int flags = O_CLOEXEC | O_NONBLOCK;
    int handle = ::open(path.constData(), O_RDWR | O_CREAT | flags, S_IRUSR | S_IWUSR);
    const int createError = errno;
    // A lock file this user may only read (a read-only medium, a copied folder) locks as well.
    if (handle < 0)
        handle = ::open(path.constData(), O_RDONLY | flags);
    if (handle < 0) {
        const QFileInfo folder(dataFolder);
        if (!folder.isDir() || createError == EROFS || (createError == EACCES && !folder.isWritable()))
            return Outcome::NothingToGuard;
        reason_ = GermanWriteReason(QFile::decodeName(path), qt_error_string(createError));
        return Outcome::Failed;
    }
    if (::flock(handle, LOCK_EX | LOCK_NB) != 0) {
        const int lockError = errno;
        ::close(handle);
        if (lockError == EWOULDBLOCK)
            return Outcome::InUse;
        reason_ = lockError == ENOLCK || lockError == EINVAL || lockError == EOPNOTSUPP
                      ? QStringLiteral("Der Datenträger des Datenordners unterstützt keine Dateisperren.")
                      : GermanWriteReason(QFile::decodeName(path), qt_error_string(lockError));
        return Outcome::Failed;
    }
    handle_ = handle;
    return Outcome::Taken;
}

void ProgramFolderLock::Release()
{
    if (handle_ >= 0)
        ::close(handle_);
    handle_ = -1;
}

bool ProgramFolderLock::TakeForStart()
{
    const QString folder = DataFolder();
    switch (Take(folder)) {
    case Outcome::Taken:
    case Outcome::NothingToGuard:
        return true;
    case Outcome::InUse:
        MsgBox("Tovalinero Pro läuft bereits mit den Daten in\n" + QDir::toNativeSeparators(folder) +
                   "\n\nEin zweites Mal startet es dort nicht, denn beide Programme würden dieselbe "
                   "Tovalinerosliste schreiben. Das laufende Programm finden Sie in der Taskleiste "
                   "oder als Symbol im Infobereich.",
               MsgButtons::Ok, MsgIcon::Information);
        return false;
    case Outcome::Failed:
        MsgBox("Tovalinero Pro startet nicht, denn im Datenordner\n" + QDir::toNativeSeparators(folder) +
                   "\nlässt sich die Sperrdatei \"" + FileName +
                   "\" nicht anlegen oder sperren, die einen zweiten Start auf denselben Daten "
                   "verhindert.\n\n" +
                   reason_,
               MsgButtons::Ok, MsgIcon::Critical);
        return false;
    }
    return false;
}
