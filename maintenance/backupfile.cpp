#include "maintenance/backupfile.h"

#include "common/textfile.h"

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

// Reads a length at pos and the bytes it counts, all before end; false when they pass it.
bool takeField(const QByteArray& bytes, qsizetype& pos, qsizetype end, int lengthSize, QByteArray& field)
{
    if (end - pos < lengthSize)
        return false;
    const char* at = bytes.constData() + pos;
    const qsizetype length = lengthSize == 2 ? qFromLittleEndian<quint16>(at)
                                             : static_cast<qsizetype>(qFromLittleEndian<quint32>(at));
    pos += lengthSize;
    if (end - pos < length)
        return false;
    field = bytes.mid(pos, length);
    pos += length;
    return true;
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
    const QString name = GetFileName(entry.FilePath);
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
        if (longest > std::numeric_limits<quint32>::max()) {
            setReason(error, QStringLiteral("Die Datei %1 ist zu groß für eine Datensicherung.")
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

std::optional<QList<BackupEntry>> ReadBackupEntries(const QByteArray& bytes, QString* error)
{
    if (bytes.size() < IndexSize) {
        setReason(error, QStringLiteral("Die Datei ist zu kurz für eine Datensicherung."));
        return std::nullopt;
    }
    const qsizetype end = bytes.size() - IndexSize;
    const auto layout = layoutOf(qFromLittleEndian<qint32>(bytes.constData() + end));
    if (!layout) {
        setReason(error,
                  QStringLiteral("Die Anzahl der gesicherten Dateien am Ende der Datei ist ungültig."));
        return std::nullopt;
    }
    QList<BackupEntry> entries;
    qsizetype pos = 0;
    for (int i = 0; i < layout->entryCount; ++i) {
        QByteArray path;
        QByteArray content;
        if (!takeField(bytes, pos, end, layout->lengthSize, path) ||
            !takeField(bytes, pos, end, layout->lengthSize, content)) {
            setReason(error, QStringLiteral("Ein Eintrag reicht über das Ende der Datei hinaus."));
            return std::nullopt;
        }
        entries.append(BackupEntry{DecodeCp1252(path), content});
    }
    if (pos != end) {
        setReason(error, QStringLiteral("Hinter dem letzten Eintrag stehen weitere Daten."));
        return std::nullopt;
    }
    QStringList seen;
    for (const BackupEntry& entry : entries) {
        const QString name = DataFileNameOf(entry);
        if (name.isEmpty()) {
            setReason(error, QStringLiteral("Die Datei enthält eine unbekannte Datei: %1")
                                 .arg(GetFileName(entry.FilePath).left(MaxShownName)));
            return std::nullopt;
        }
        if (seen.contains(name)) {
            setReason(error, QStringLiteral("Die Datei enthält %1 mehrfach.").arg(name));
            return std::nullopt;
        }
        seen << name;
    }
    return entries;
}

bool WriteBackupEntries(const QList<BackupEntry>& entries, const QString& folder, QString* failedPath,
                        QString* error)
{
    for (const BackupEntry& entry : entries) {
        const QString path = folder + DataFileNameOf(entry);
        if (!WriteFileAtomic(path, entry.Content, error, FileAccess::OwnerOnly)) {
            if (failedPath)
                *failedPath = path;
            return false;
        }
    }
    return true;
}
