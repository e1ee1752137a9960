#include "common/fileerrors.h"

#include "common/runtimeerror.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <cerrno>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace
{

const char* const fileTooLarge = "Die Datei ist größer, als der Datenträger oder das System erlaubt.";

struct KnownError {
    int code;
    const char* german;
};

// The system errors a write meets, as Qt words them (qt_error_string) in any language.
const KnownError KnownErrors[] = {
    {ENOSPC, "Auf dem Datenträger ist nicht genügend Speicherplatz frei."},
#ifdef EDQUOT
    {EDQUOT, "Der zugeteilte Speicherplatz (Quota) ist aufgebraucht."},
#endif
    {EFBIG, fileTooLarge},
    {EACCES, "Zugriff verweigert: Es fehlt die Berechtigung zum Schreiben."},
    {EPERM, "Der Vorgang ist nicht erlaubt."},
    {EROFS, "Der Datenträger ist schreibgeschützt."},
    {EIO, "Ein- oder Ausgabefehler des Datenträgers."},
    {ENOENT, "Der Ordner ist nicht vorhanden."},
    {ENOTDIR, "Ein Teil des Pfades ist kein Ordner."},
    {EISDIR, "An dieser Stelle steht ein Ordner."},
    {ENAMETOOLONG, "Der Dateiname ist zu lang."},
    {EMFILE, "Es sind zu viele Dateien geöffnet."},
    {ENFILE, "Es sind zu viele Dateien geöffnet."},
    {EBUSY, "Die Datei wird gerade benutzt."},
};

const char* germanOf(const QString& reason)
{
    for (const KnownError& known : KnownErrors) {
        const QString text = qt_error_string(known.code);
        if (!text.isEmpty() && reason.contains(text, Qt::CaseInsensitive))
            return known.german;
    }
    return nullptr;
}

} // namespace

QString GermanReadReason(const QString& reason)
{
    if (reason.contains(qt_error_string(ENOENT), Qt::CaseInsensitive))
        return QStringLiteral("Die Datei ist nicht vorhanden.");
    if (reason.contains(qt_error_string(EACCES), Qt::CaseInsensitive))
        return QStringLiteral("Zugriff verweigert: Es fehlt die Berechtigung zum Lesen.");
    if (const char* german = germanOf(reason))
        return QString::fromUtf8(german);
    return QStringLiteral("Die Datei konnte nicht gelesen werden.");
}

QString GermanWriteReason(const QString& path, const QString& reason, qint64 bytes)
{
    if (const char* german = germanOf(reason))
        return QString::fromUtf8(german);
    // Qt's own texts ("Existing file ... is not writable", "Unknown error"): the disk tells.
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir())
        return QStringLiteral("Der Ordner ist nicht vorhanden.");
    if (file.exists() && !file.isWritable())
        return QStringLiteral("Die Datei ist schreibgeschützt.");
    if (!folder.isWritable())
        return QStringLiteral("Der Ordner ist schreibgeschützt.");
    const QStorageInfo storage(folder.absoluteFilePath());
    if (storage.isValid() && storage.isReadOnly())
        return QStringLiteral("Der Datenträger ist schreibgeschützt.");
    if (storage.isValid() && storage.bytesAvailable() >= 0 && storage.bytesAvailable() < bytes)
        return QStringLiteral("Auf dem Datenträger ist nicht genügend Speicherplatz frei.");
#ifdef Q_OS_UNIX
    // A write that stopped part-way leaves Qt without the system's reason; the largest file the
    // process may write is one.
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        static_cast<rlim_t>(bytes) > limit.rlim_cur)
        return QString::fromUtf8(fileTooLarge);
#endif
    return QStringLiteral("Die Datei konnte nicht vollständig geschrieben werden.");
}

namespace
{

struct NumberedReason {
    const char* reason; // how the German reason begins
    int number;
    const char* description;
};

const char* const accessDenied = "Zugriff verweigert";
const char* const pathNotFound = "Pfad nicht gefunden";
const char* const diskFull = "Datenträger voll";

const NumberedReason NumberedReasons[] = {
    {"Zugriff verweigert", 70, accessDenied},
    {"Der Vorgang ist nicht erlaubt.", 70, accessDenied},
    {"Die Datei ist schreibgeschützt.", 70, accessDenied},
    {"Der Ordner ist schreibgeschützt.", 70, accessDenied},
    {"Der Datenträger ist schreibgeschützt.", 70, accessDenied},
    {"Der Ordner ist nicht vorhanden.", 76, pathNotFound},
    {"Ein Teil des Pfades ist kein Ordner.", 76, pathNotFound},
    {"Die Datei ist nicht vorhanden.", 53, "Datei nicht gefunden"},
    {"Auf dem Datenträger ist nicht genügend Speicherplatz frei.", 61, diskFull},
    {"Der zugeteilte Speicherplatz", 61, diskFull},
    {"Ein- oder Ausgabefehler", 57, "Geräte-E/A-Fehler"},
    {"Es sind zu viele Dateien geöffnet.", 67, "Zu viele Dateien"},
};

} // namespace

RuntimeError FileRuntimeError(const QString& reason, const QString& path)
{
    int number = RuntimeError::pathFileAccess().number();
    QString description = RuntimeError::pathFileAccess().description();
    for (const NumberedReason& known : NumberedReasons) {
        if (reason.startsWith(QString::fromUtf8(known.reason))) {
            number = known.number;
            description = QString::fromUtf8(known.description);
            break;
        }
    }
    // "Zugriff verweigert: Es fehlt die Berechtigung zum Schreiben." names its number already.
    if (reason.startsWith(description))
        description = reason;
    else if (!reason.isEmpty())
        description += ": " + reason;
    return RuntimeError(number, description + "\n\n" + QDir::toNativeSeparators(path));
}
