#pragma once

#include <QFile>
#include <QString>
#include <sys/resource.h>

// A file of the given size that costs no disk: apart from head and tail its bytes are a hole.
// False when the file system cannot hold such a file.
inline bool MakeSparseFile(const QString& path, qint64 size, const QByteArray& head = QByteArray(),
                           const QByteArray& tail = QByteArray())
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || !file.resize(size))
        return false;
    if (!head.isEmpty() && (!file.seek(0) || file.write(head) != head.size()))
        return false;
    if (!tail.isEmpty() && (!file.seek(size - tail.size()) || file.write(tail) != tail.size()))
        return false;
    return file.size() == size;
}

// The most memory the process has held so far, in KiB.
inline long PeakMemoryKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A reader that refuses a huge file from its size holds no more than this meanwhile.
constexpr long BoundedMemoryKiB = 32 * 1024;

constexpr qint64 GiB = qint64(1) << 30;
