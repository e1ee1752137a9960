#pragma once

#include <QString>

// Why writing the file at path failed, in German: from the reason the writer gave (the system's
// own text, often English) and, where that names nothing known, from what the disk shows now.
// bytes is the size that was to be written.
QString GermanWriteReason(const QString& path, const QString& reason, qint64 bytes = 0);

// Why reading a file failed, in German, from the reader's reason (the system's own text).
QString GermanReadReason(const QString& reason);
