#pragma once

#include <QString>

class RuntimeError;

// Why writing the file at path failed, in German: from the reason the writer gave (the system's
// own text, often English) and, where that names nothing known, from what the disk shows now.
// bytes is the size that was to be written.
QString GermanWriteReason(const QString& path, const QString& reason, qint64 bytes = 0);

// Why reading a file failed, in German, from the reader's reason (the system's own text).
QString GermanReadReason(const QString& reason);

// The run-time error by which a failed read or write of the file at path is reported where
// errors go by number (the start-up), from the German reason the reader or writer gave: its
// number says what the system said (70 "Zugriff verweigert" for a missing permission, 76 "Pfad
// nicht gefunden" for a missing folder, 61 "Datenträger voll", otherwise 75), its description
// the reason and the file.
RuntimeError FileRuntimeError(const QString& reason, const QString& path);
