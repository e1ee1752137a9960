#include "common/textfile.h"

#include "common/fileerrors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <array>
#include <cerrno>
#include <cstring>
#include <limits>
#include <mutex>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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
    // Latin-1 in one sweep, then the few bytes where Windows-1252 differs.
    QString text = QString::fromLatin1(bytes);
    QChar* out = nullptr;
    const char* in = bytes.constData();
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        // Eight plain ASCII bytes at a time are skipped.
        if (i + 8 <= size) {
            quint64 word;
            std::memcpy(&word, in + i, sizeof word);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += 7;
                continue;
            }
        }
        const auto b = static_cast<unsigned char>(in[i]);
        if (b < 0x80 || b >= 0xA0)
            continue;
        if (!out)
            out = text.data();
        out[i] = QChar(HighControlTable[b - 0x80]);
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

QStringList UnrepresentableCharacters(const QString& text)
{
    QStringList characters;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (IsCp1252Representable(text[i]))
            continue;
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const QString character = text.mid(i, pair ? 2 : 1);
        if (pair)
            ++i;
        if (!characters.contains(character))
            characters << character;
    }
    return characters;
}

QString StorableLine(const QString& text)
{
    QString line = DecodeCp1252(EncodeCp1252(text));
    return line.replace(QChar('\r'), QChar('?')).replace(QChar('\n'), QChar('?'));
}

QString UnstorableCharactersClause(const QStringList& shownCharacters, const QString& place)
{
    if (shownCharacters.size() == 1)
        return "enthält das Zeichen " + shownCharacters.first() + ", das " + place +
               " nicht gespeichert werden kann.";
    const QString all =
        shownCharacters.mid(0, shownCharacters.size() - 1).join(", ") + " und " + shownCharacters.last();
    return "enthält die Zeichen " + all + ", die " + place + " nicht gespeichert werden können.";
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

namespace
{

// A symbolic link, a pipe or a device where a data file belongs is put aside, so the file
// written there is one of its own and nothing is written through the link. A folder stays.
bool replaceIfNotRegular(const QString& path, QString* error)
{
#ifdef Q_OS_UNIX
    struct stat info;
    const QByteArray native = QFile::encodeName(path);
    if (::lstat(native.constData(), &info) != 0 || S_ISREG(info.st_mode) || S_ISDIR(info.st_mode))
        return true;
    if (::unlink(native.constData()) == 0)
        return true;
    if (error)
        *error = qt_error_string(errno);
    return false;
#else
    Q_UNUSED(path);
    Q_UNUSED(error);
    return true;
#endif
}

void setReason(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
}

// Opens a data file for writing without following a link at its place; truncates or appends.
bool openDataFile(QFile& file, QIODevice::OpenMode mode, QString* error)
{
    if (!replaceIfNotRegular(file.fileName(), error))
        return false;
#ifdef Q_OS_UNIX
    const int flags =
        O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | (mode & QIODevice::Append ? O_APPEND : O_TRUNC);
    const int fd = ::open(QFile::encodeName(file.fileName()).constData(), flags, 0600);
    if (fd < 0) {
        setReason(error, qt_error_string(errno));
        return false;
    }
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        setReason(error, file.errorString());
        return false;
    }
    return true;
#else
    if (!file.open(mode)) {
        setReason(error, file.errorString());
        return false;
    }
    return true;
#endif
}

// The temporary file of a save is created with the process's umask (a new file) or given the
// mode of the file it replaces; a file of the owner's alone must be so before its first byte,
// also when the file system cannot create it unnamed and it appears under a name at once.
class OwnerOnlyCreation
{
public:
    OwnerOnlyCreation(const QString& path, FileAccess access)
    {
#ifdef Q_OS_UNIX
        if (access == FileAccess::Default)
            return;
        // The umask belongs to the process, and copies of sent mail are saved on a worker thread.
        lock_ = std::unique_lock(umaskLock());
        saved_ = ::umask(S_IRWXG | S_IRWXO);
        if (access != FileAccess::OwnerOnly)
            return;
        // QSaveFile gives its new file the mode of the file it replaces: the old one, which
        // holds the same kind of data, is narrowed first (it is a regular file or none by now).
        // Narrowed only: a file the user made read-only stays so, and the save is refused.
        const QByteArray native = QFile::encodeName(path);
        struct stat info;
        if (::stat(native.constData(), &info) == 0)
            ::chmod(native.constData(), info.st_mode & (S_IRUSR | S_IWUSR));
#else
        Q_UNUSED(path);
        Q_UNUSED(access);
#endif
    }
    ~OwnerOnlyCreation()
    {
#ifdef Q_OS_UNIX
        if (lock_.owns_lock())
            ::umask(saved_);
#endif
    }
    OwnerOnlyCreation(const OwnerOnlyCreation&) = delete;
    OwnerOnlyCreation& operator=(const OwnerOnlyCreation&) = delete;

private:
#ifdef Q_OS_UNIX
    static std::mutex& umaskLock()
    {
        static std::mutex lock;
        return lock;
    }
    std::unique_lock<std::mutex> lock_;
    mode_t saved_ = 0;
#endif
};

// The open temporary file itself is narrowed as well, in case the old file could not be (it
// belongs to someone else).
bool restrictToOwner(QFileDevice& file, bool wanted, QString* reason)
{
    if (!wanted)
        return true;
#ifdef Q_OS_UNIX
    if (::fchmod(file.handle(), S_IRUSR | S_IWUSR) == 0)
        return true;
    *reason = qt_error_string(errno);
    return false;
#else
    if (file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return true;
    *reason = file.errorString();
    return false;
#endif
}

// Writes all bytes and closes; a full disk shows at the write, the flush or the close.
bool writeAndClose(QFile& file, const QByteArray& bytes, QString* error)
{
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    const QString reason = file.errorString();
    file.close();
    if (written && file.error() == QFileDevice::NoError)
        return true;
    setReason(error, written ? file.errorString() : reason);
    return false;
}

#ifdef Q_OS_UNIX
// Follows a chain of symbolic links to its end; nothing when it never ends (a loop).
std::optional<QString> followLinks(const QString& path)
{
    QString current = path;
    for (int hops = 0; hops < 40; ++hops) {
        const QByteArray native = QFile::encodeName(current);
        struct stat info;
        if (::lstat(native.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        QByteArray target(qsizetype(info.st_size > 0 ? info.st_size : 255) + 1, Qt::Uninitialized);
        const ssize_t length = ::readlink(native.constData(), target.data(), size_t(target.size()));
        if (length <= 0 || length >= target.size())
            return std::nullopt;
        const QString next = QFile::decodeName(target.left(length));
        // A relative target counts from the link's folder, as the system resolves it.
        current = next.startsWith('/') ? next : current.left(current.lastIndexOf('/') + 1) + next;
    }
    return std::nullopt;
}
#endif

// Where a write to path lands: the end of a chain of links, in its folder's real place.
std::optional<QString> writeTarget(const QString& path)
{
#ifdef Q_OS_UNIX
    const auto target = followLinks(path);
    if (!target || *target == path)
        return target;
    const QFileInfo info(*target);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? *target : folder + "/" + info.fileName();
#else
    return path;
#endif
}

// Why what stands at target is no file to be replaced, if it is not.
std::optional<QString> notRegularFile(const QString& target, bool linked)
{
    const QString where = linked ? "Am Ziel der Verknüpfung (" + QDir::toNativeSeparators(target) + ") steht"
                                 : QStringLiteral("An dieser Stelle steht");
#ifdef Q_OS_UNIX
    struct stat info;
    if (::lstat(QFile::encodeName(target).constData(), &info) != 0 || S_ISREG(info.st_mode))
        return std::nullopt;
    if (S_ISDIR(info.st_mode))
        return where + " ein Ordner.";
    const char* kind = S_ISFIFO(info.st_mode)                           ? "eine benannte Pipe (FIFO)"
                       : S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) ? "eine Gerätedatei"
                       : S_ISSOCK(info.st_mode)                         ? "ein Socket"
                                                                        : "etwas anderes";
    return where + " keine gewöhnliche Datei, sondern " + QString::fromUtf8(kind) + ".";
#else
    if (QFileInfo(target).isDir())
        return where + " ein Ordner.";
    return std::nullopt;
#endif
}

} // namespace

std::optional<QByteArray> ReadFileBytes(const QString& path, QString* error)
{
    return ReadFileBytesUpTo(path, std::numeric_limits<qint64>::max(), error);
}

std::optional<QByteArray> ReadFileBytesUpTo(const QString& path, qint64 maxSize, QString* error,
                                            bool* tooLarge)
{
    if (tooLarge)
        *tooLarge = false;
    // A pipe or a device would block the reader or never end: only a regular file is read.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        setReason(error, QStringLiteral("Die Datei ist keine gewöhnliche Datei."));
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setReason(error, GermanReadReason(file.errorString()));
        return std::nullopt;
    }
    const auto refuseSize = [&](qint64 size) {
        if (tooLarge)
            *tooLarge = true;
        setReason(error, QStringLiteral("%1, höchstens %2").arg(FileSizeText(size), FileSizeText(maxSize)));
        return std::nullopt;
    };
    // The size decides before any byte is read: a huge or sparse file must not reach memory.
    const qint64 size = file.size();
    if (size > maxSize)
        return refuseSize(size);
    // Read in pieces up to the limit: the size a file reports may be wrong (a growing file, a
    // file of the proc file system that reports none).
    // Up to the reported size the bytes go straight into their buffer; what lies beyond it is
    // read through a small one, so the common case never grows (and copies) the buffer.
    QByteArray bytes(size, Qt::Uninitialized);
    qint64 at = 0;
    while (at < size) {
        const qint64 got = file.read(bytes.data() + at, size - at);
        if (got < 0) {
            setReason(error, GermanReadReason(file.errorString()));
            return std::nullopt;
        }
        if (got == 0)
            break;
        at += got;
    }
    bytes.truncate(at);
    char more[1 << 16];
    for (;;) {
        // One byte beyond the limit tells that the file passes it.
        const qint64 room = maxSize - bytes.size();
        const qint64 got = file.read(more, room < qint64(sizeof more) ? room + 1 : qint64(sizeof more));
        if (got < 0) {
            setReason(error, GermanReadReason(file.errorString()));
            return std::nullopt;
        }
        if (got == 0)
            break;
        bytes.append(more, got);
        if (bytes.size() > maxSize)
            return refuseSize(bytes.size());
    }
    return bytes;
}

QString FileSizeText(qint64 bytes)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    if (bytes < 1024)
        return QStringLiteral("%1 Bytes").arg(bytes);
    return german.formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

std::optional<QString> ReadTextFile(const QString& path)
{
    const auto bytes = ReadFileBytes(path);
    if (!bytes)
        return std::nullopt;
    return DecodeCp1252(*bytes);
}

QString WriteTarget(const QString& path)
{
    return writeTarget(path).value_or(path);
}

bool WriteFileAtomic(const QString& path, const QByteArray& bytes, QString* error, FileAccess access)
{
    // A link stays where the user put it (a list kept in a synced folder): its target is
    // replaced, beside itself, so the rename never crosses a file system.
    const auto target = writeTarget(path);
    if (!target) {
        setReason(error, QStringLiteral("Die Verknüpfung führt im Kreis und zu keiner Datei."));
        return false;
    }
    if (const auto refused = notRegularFile(*target, *target != path)) {
        setReason(error, *refused);
        return false;
    }
    const bool existed = QFileInfo::exists(*target);
    QSaveFile file(*target);
    // Unbuffered: QSaveFile's commit does not notice a failure of its own final flush (a full
    // disk), so every byte is written, and checked, before the commit.
    bool opened = false;
    {
        const OwnerOnlyCreation creation(*target, access);
        opened = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    const bool ownerOnly =
        access == FileAccess::OwnerOnly || (access == FileAccess::OwnerOnlyWhenNew && !existed);
    QString reason;
    if (!opened || !restrictToOwner(file, ownerOnly, &reason) || file.write(bytes) != bytes.size() ||
        !file.commit()) {
        setReason(error,
                  GermanWriteReason(*target, reason.isEmpty() ? file.errorString() : reason, bytes.size()));
        file.cancelWriting();
        return false;
    }
    return true;
}

bool WriteTextFileAtomic(const QString& path, const QString& text, QString* error, FileAccess access)
{
    return WriteFileAtomic(path, EncodeCp1252(text), error, access);
}

namespace
{

bool appendLine(const QString& path, const QString& line, QString* error)
{
#ifdef Q_OS_UNIX
    // A check run appends a line per coming birthday: plain calls on a regular file, the careful
    // way below only when something else stands at the path.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    struct stat info;
    if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        const QByteArray bytes = EncodeCp1252(line) + "\r\n";
        qsizetype written = 0;
        while (written < bytes.size()) {
            const ssize_t n =
                ::write(fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                setReason(error, qt_error_string(n < 0 ? errno : ENOSPC));
                ::close(fd);
                return false;
            }
            written += n;
        }
        if (::close(fd) != 0) {
            setReason(error, qt_error_string(errno));
            return false;
        }
        return true;
    }
    if (fd >= 0)
        ::close(fd);
#endif
    QFile file(path);
    return openDataFile(file, QIODevice::WriteOnly | QIODevice::Append, error) &&
           writeAndClose(file, EncodeCp1252(line) + "\r\n", error);
}

} // namespace

bool AppendLine(const QString& path, const QString& line, QString* error)
{
    if (appendLine(path, line, error))
        return true;
    if (error)
        *error = GermanWriteReason(path, *error, line.size() + 2);
    return false;
}

bool TruncateFile(const QString& path, QString* error)
{
    QFile file(path);
    if (openDataFile(file, QIODevice::WriteOnly | QIODevice::Truncate, error) &&
        writeAndClose(file, QByteArray(), error))
        return true;
    if (error)
        *error = GermanWriteReason(path, *error);
    return false;
}
