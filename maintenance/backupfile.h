#pragma once

#include "common/textfile.h"

#include <QByteArray>
#include <QDate>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The backup file (.dsi): one entry per data file, each the path the file had when the backup
// was made and its bytes, then the index of the last entry in the last four bytes.
//
// Plain layout, while every length fits 16 bits: per entry a 16-bit path length, the path
// (Windows-1252), a 16-bit content length and the content; the last four bytes hold the index
// of the last entry (3 for four files). Extended layout, otherwise: the same with 32-bit
// lengths, and the last four bytes hold minus the number of entries (-4), so that a reader of
// the plain layout refuses the file before it writes anything. All numbers little-endian.

struct BackupEntry {
    QString FilePath;
    QByteArray Content;
};

// What a backup may hold: a data file of at most 64 MiB (the list's own limit) under a path of
// at most 65,535 bytes, four of them. A file larger than that is no backup, whatever it says.
constexpr qint64 MaxBackupContentSize = MaxDataFileSize;
constexpr qint64 MaxBackupPathSize = 65535;
constexpr qint64 MaxBackupFileSize = 4 * (4 + MaxBackupPathSize + 4 + MaxBackupContentSize) + 4;

// Where one entry lies in a backup file: its stored path and the place of its content.
struct BackupEntryPlace {
    QString FilePath;
    qint64 ContentOffset = 0;
    qint64 ContentSize = 0;
};

// The data files a backup holds, in entry order.
QStringList BackupDataFileNames();

// The date part of a dated backup's name: "09_12_2026".
QString BackupDateSuffix(const QDate& day);
// "TovPro_Datensicherung.dsi", or with the date "TovPro_09_12_2026_Sicherung.dsi".
QString BackupFileName(bool dated, const QString& dateSuffix);

// A path as a backup stores it: with backslashes, as on the system the format comes from.
QString StoredBackupPath(const QString& path);

// The part of a path after its last backslash or slash; the whole path when it holds neither.
QString GetFileName(const QString& path);

// The data file an entry restores: its stored name matched to one of BackupDataFileNames
// regardless of case; empty when it names none of them.
QString DataFileNameOf(const QString& storedPath);
QString DataFileNameOf(const BackupEntry& entry);

// The bytes of a backup of these entries; nothing, with the reason in error, when an entry is
// too large even for the extended layout.
std::optional<QByteArray> BackupFileBytes(const QList<BackupEntry>& entries, QString* error = nullptr);

// The entries of a backup file in either layout, checked whole from their lengths before any
// content is read: the file no larger than any backup, one to four entries, every length within
// its limit and inside the file (a length is followed only once it is known to fit), the last
// entry ending exactly where the index starts, and every entry naming a different one of the
// data files. Reads nothing but the lengths, the paths and the index. Otherwise nothing, with
// the reason in error.
std::optional<QList<BackupEntryPlace>> ReadBackupPlaces(QIODevice& backup, QString* error = nullptr);
// The content of one entry that ReadBackupPlaces found in the same backup.
std::optional<QByteArray> ReadBackupContent(QIODevice& backup, const BackupEntryPlace& place,
                                            QString* error = nullptr);
// The entries with their contents, checked as above.
std::optional<QList<BackupEntry>> ReadBackupEntries(const QByteArray& bytes, QString* error = nullptr);

// Writes the entry into the folder (ending in a separator) under its data file's name, through
// a temporary file and readable by the owner only; on failure the reason in error.
bool WriteBackupEntry(const BackupEntry& entry, const QString& folder, QString* error = nullptr);
// Writes every entry so. Stops at the first failure and gives its path and reason.
bool WriteBackupEntries(const QList<BackupEntry>& entries, const QString& folder,
                        QString* failedPath = nullptr, QString* error = nullptr);
