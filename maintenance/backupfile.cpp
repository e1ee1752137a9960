#include "maintenance/backupfile.h"

#include "common/textfile.h"

#include <QBuffer>
#include <QtEndian>
#include <limits>

namespace
{

constexpr int MaxEntries = 4;
constexpr int IndexSize = 4;
constexpr int MaxShownName = 100;

struct Layout {
    int lengthSize;
    int entryCount;
};

void setReason(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
}

void appendLength(QByteArray& bytes, qsizetype length, int size)
{
    if (size == 2) {
        char raw[2];
        qToLittleEndian(static_cast<quint16>(length), raw);
        bytes.append(raw, 2);
    } else {
        char raw[4];
        qToLittleEndian(static_cast<quint32>(length), raw);
        bytes.append(raw, 4);
    }
}

// Reads exactly size bytes at pos; false when the device gives fewer.
bool readAt(QIODevice& device, qint64 pos, qint64 size, QByteArray& bytes)
{
    if (!device.seek(pos))
        return false;
    bytes = device.read(size);
    return bytes.size() == size;
}

// Reads a length at pos, which must lie before end with its field; nothing when it does not.
std::optional<qint64> readLength(QIODevice& device, qint64& pos, qint64 end, int lengthSize)
{
    QByteArray raw;
    if (end - pos < lengthSize || !readAt(device, pos, lengthSize, raw))
        return std::nullopt;
    pos += lengthSize;
    return lengthSize == 2 ? qFromLittleEndian<quint16>(raw.constData())
                           : static_cast<qint64>(qFromLittleEndian<quint32>(raw.constData()));
}

std::optional<Layout> layoutOf(qint32 index)
{
    if (index >= 0 && index < MaxEntries)
        return Layout{2, index + 1};
    if (index < 0 && index >= -MaxEntries)
        return Layout{4, -index};
    return std::nullopt;
}

} // namespace

QStringList BackupDataFileNames()
{
    return {QStringLiteral("demnaechst.dat"), QStringLiteral("tovalinero.dat"),
            QStringLiteral("einstellungen.dat"), QStringLiteral("standard.html")};
}

QString BackupDateSuffix(const QDate& day)
{
    return day.toString(QStringLiteral("dd.MM.yyyy")).replace('.', '_');
}

QString BackupFileName(bool dated, const QString& dateSuffix)
{
    return dated ? QStringLiteral("TovPro_%1_Sicherung.dsi").arg(dateSuffix)
                 : QStringLiteral("TovPro_Datensicherung.dsi");
}

QString StoredBackupPath(const QString& path)
{
    return QString(path).replace('/', '\\');
}

QString GetFileName(const QString& path)
{
    const qsizetype cut = std::max(path.lastIndexOf('\\'), path.lastIndexOf('/'));
    return path.mid(cut + 1);
}

QString DataFileNameOf(const BackupEntry& entry)
{
    return DataFileNameOf(entry.FilePath);
}

QString DataFileNameOf(const QString& storedPath)
{
    const QString name = GetFileName(storedPath);
    for (const QString& known : BackupDataFileNames())
        if (name.compare(known, Qt::CaseInsensitive) == 0)
            return known;
    return QString();
}

std::optional<QByteArray> BackupFileBytes(const QList<BackupEntry>& entries, QString* error)
{
    QList<QByteArray> paths;
    bool wide = false;
    for (const BackupEntry& entry : entries) {
        paths << EncodeCp1252(entry.FilePath);
        const qsizetype longest = std::max(paths.last().size(), entry.Content.size());
        // What the restore would refuse is never written.
        if (entry.Content.size() > MaxBackupContentSize) {
            setReason(error,
                      QStringLiteral("Die Datei %1 ist zu groß für eine Datensicherung (%2, höchstens %3).")
                          .arg(GetFileName(entry.FilePath), FileSizeText(entry.Content.size()),
                               FileSizeText(MaxBackupContentSize)));
            return std::nullopt;
        }
        if (paths.last().size() > MaxBackupPathSize) {
            setReason(error, QStringLiteral("Der Pfad der Datei %1 ist zu lang für eine Datensicherung.")
                                 .arg(GetFileName(entry.FilePath)));
            return std::nullopt;
        }
        wide = wide || longest > std::numeric_limits<quint16>::max();
    }
    const int lengthSize = wide ? 4 : 2;
    QByteArray bytes;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        appendLength(bytes, paths[i].size(), lengthSize);
        bytes += paths[i];
        appendLength(bytes, entries[i].Content.size(), lengthSize);
        bytes += entries[i].Content;
    }
    const auto count = static_cast<qint32>(entries.size());
    char index[IndexSize];
    qToLittleEndian<qint32>(wide ? -count : count - 1, index);
    bytes.append(index, IndexSize);
    return bytes;
}

std::optional<QList<BackupEntryPlace>> ReadBackupPlaces(QIODevice& backup, QString* error)
{
    const qint64 size = backup.size();
    if (size < IndexSize) {
        setReason(error, QStringLiteral("Die Datei ist zu kurz für eine Datensicherung."));
        return std::nullopt;
    }
    if (size > MaxBackupFileSize) {
        setReason(error, QStringLiteral("Die Datei ist größer als jede Datensicherung (%1, höchstens %2).")
                             .arg(FileSizeText(size), FileSizeText(MaxBackupFileSize)));
        return std::nullopt;
    }
    const qint64 end = size - IndexSize;
    QByteArray raw;
    if (!readAt(backup, end, IndexSize, raw)) {
        setReason(error, QStringLiteral("Die Datei konnte nicht gelesen werden."));
        return std::nullopt;
    }
    const auto layout = layoutOf(qFromLittleEndian<qint32>(raw.constData()));
    if (!layout) {
        setReason(error,
                  QStringLiteral("Die Anzahl der gesicherten Dateien am Ende der Datei ist ungültig."));
        return std::nullopt;
    }
    const QString beyondTheEnd = QStringLiteral("Ein Eintrag reicht über das Ende der Datei hinaus.");
    QList<BackupEntryPlace> places;
    qint64 pos = 0;
    for (int i = 0; i < layout->entryCount; ++i) {
        // Every length is checked against the rest of the file and its limit before it is used.
        const auto pathSize = readLength(backup, pos, end, layout->lengthSize);
        if (!pathSize || *pathSize > end - pos) {
            setReason(error, beyondTheEnd);
            return std::nullopt;
        }
        if (*pathSize > MaxBackupPathSize) {
            setReason(
                error,
                QStringLiteral("Der Pfad des Eintrags %1 ist länger als jeder gesicherte Pfad.").arg(i + 1));
            return std::nullopt;
        }
        QByteArray path;
        if (!readAt(backup, pos, *pathSize, path)) {
            setReason(error, beyondTheEnd);
            return std::nullopt;
        }
        pos += *pathSize;
        const auto contentSize = readLength(backup, pos, end, layout->lengthSize);
        if (!contentSize || *contentSize > end - pos) {
            setReason(error, beyondTheEnd);
            return std::nullopt;
        }
        if (*contentSize > MaxBackupContentSize) {
            setReason(error, QStringLiteral(
                                 "Der Eintrag %1 ist größer als jede gesicherte Datei (%2, höchstens %3).")
                                 .arg(i + 1)
                                 .arg(FileSizeText(*contentSize), FileSizeText(MaxBackupContentSize)));
            return std::nullopt;
        }
        places.append(BackupEntryPlace{DecodeCp1252(path), pos, *contentSize});
        pos += *contentSize;
    }
    if (pos != end) {
        setReason(error, QStringLiteral("Hinter dem letzten Eintrag stehen weitere Daten."));
        return std::nullopt;
    }
    QStringList seen;
    for (const BackupEntryPlace& place : places) {
        const QString name = DataFileNameOf(place.FilePath);
        if (name.isEmpty()) {
            setReason(error, QStringLiteral("Die Datei enthält eine unbekannte Datei: %1")
                                 .arg(GetFileName(place.FilePath).left(MaxShownName)));
            return std::nullopt;
        }
        if (seen.contains(name)) {
            setReason(error, QStringLiteral("Die Datei enthält %1 mehrfach.").arg(name));
            return std::nullopt;
        }
        seen << name;
    }
    return places;
}

std::optional<QByteArray> ReadBackupContent(QIODevice& backup, const BackupEntryPlace& place, QString* error)
{
    QByteArray content;
    if (!readAt(backup, place.ContentOffset, place.ContentSize, content)) {
        setReason(error, QStringLiteral("Die gesicherte Datei %1 konnte nicht vollständig gelesen werden.")
                             .arg(GetFileName(place.FilePath).left(MaxShownName)));
        return std::nullopt;
    }
    return content;
}

std::optional<QList<BackupEntry>> ReadBackupEntries(const QByteArray& bytes, QString* error)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const auto places = ReadBackupPlaces(buffer, error);
    if (!places)
        return std::nullopt;
    QList<BackupEntry> entries;
    for (const BackupEntryPlace& place : *places) {
        const auto content = ReadBackupContent(buffer, place, error);
        if (!content)
            return std::nullopt;
        entries.append(BackupEntry{place.FilePath, *content});
    }
    return entries;
}

bool WriteBackupEntry(const BackupEntry& entry, const QString& folder, QString* error)
{
    return WriteFileAtomic(folder + DataFileNameOf(entry), entry.Content, error, FileAccess::OwnerOnly);
}

bool WriteBackupEntries(const QList<BackupEntry>& entries, const QString& folder, QString* failedPath,
                        QString* error)
{
    for (const BackupEntry& entry : entries) {
        if (!WriteBackupEntry(entry, folder, error)) {
            if (failedPath)
                *failedPath = folder + DataFileNameOf(entry);
            return false;
        }
    }
    return true;
}
