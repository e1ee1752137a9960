#include "common/zeilen_lesen.h"

#include "common/textfile.h"

#include <QFile>
#include <cstring>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace
{

// No text file that is read line by line comes near this size; a larger one counts as unreadable.
constexpr qint64 LargestFile = MaxDataFileSize;

// The bytes of a file as they stand now. A check run reads the settings file once per person,
// so this is the file system's own open, read and close into a buffer kept between calls.
std::optional<QByteArrayView> readWholeFile(const QString& path)
{
#ifdef Q_OS_UNIX
    thread_local QString lastPath;
    thread_local QByteArray nativePath;
    thread_local QByteArray buffer;
    if (path != lastPath) {
        lastPath = path;
        nativePath = QFile::encodeName(path);
    }
    // Non-blocking, so a pipe at the path cannot hold the program; only a regular file is read.
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > LargestFile) {
        ::close(fd);
        return std::nullopt;
    }
    // One byte more than the size, so a file that grew since the stat is read to its end; a
    // read of a regular file that returns less than asked for has reached the end.
    qsizetype capacity = static_cast<qsizetype>(info.st_size) + 1;
    qsizetype length = 0;
    bool ok = true;
    for (;;) {
        if (buffer.size() < capacity)
            buffer.resize(capacity);
        const ssize_t got = ::read(fd, buffer.data() + length, static_cast<size_t>(capacity - length));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        length += got;
        if (length < capacity)
            break;
        if (capacity > LargestFile) {
            ok = false;
            break;
        }
        capacity *= 2;
    }
    ::close(fd);
    if (!ok)
        return std::nullopt;
    return QByteArrayView(buffer.constData(), length);
#else
    thread_local QByteArray buffer;
    auto bytes = ReadFileBytes(path);
    if (!bytes)
        return std::nullopt;
    buffer = std::move(*bytes);
    return QByteArrayView(buffer);
#endif
}

// Where the next CR LF pair starts, from `from` on; -1 when there is none.
qsizetype crLfAt(QByteArrayView bytes, qsizetype from)
{
    const char* data = bytes.data();
    const qsizetype size = bytes.size();
    while (from < size) {
        const void* cr = std::memchr(data + from, '\r', static_cast<size_t>(size - from));
        if (!cr)
            return -1;
        const qsizetype at = static_cast<const char*>(cr) - data;
        if (at + 1 < size && data[at + 1] == '\n')
            return at;
        from = at + 1;
    }
    return -1;
}

// Piece n (from 1) of the bytes split at CR LF pairs; only that piece is decoded, since the
// settings readers call this once per line they need.
QString pieceOfBytes(QByteArrayView bytes, long n)
{
    if (n < 0) {
        long pieces = 1;
        for (qsizetype at = crLfAt(bytes, 0); at >= 0; at = crLfAt(bytes, at + 2))
            ++pieces;
        n = pieces + n + 1;
    }
    if (n < 1)
        return QString();
    qsizetype start = 0;
    for (long k = 1; k < n; ++k) {
        const qsizetype end = crLfAt(bytes, start);
        if (end < 0)
            return QString();
        start = end + 2;
    }
    const qsizetype end = crLfAt(bytes, start);
    const qsizetype length = (end < 0 ? bytes.size() : end) - start;
    return DecodeCp1252(QByteArray::fromRawData(bytes.data() + start, length));
}

} // namespace

QString ReadLineN(const QString& path, long n)
{
    if (n == 0)
        return QString();
    const auto bytes = readWholeFile(path);
    return bytes && !bytes->isEmpty() ? pieceOfBytes(*bytes, n) : QString();
}
