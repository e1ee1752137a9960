#include "common/listfile.h"

#include "common/dates.h"
#include "common/textfile.h"

#include <QFileInfo>
#include <algorithm>
#include <cstring>

namespace
{
constexpr int BirthdayField = 3;

void setReason(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
}

// One line of the file as a row text: every "~" a TAB, the birth date re-formatted. One pass
// and one buffer per row, since a list may hold 100,000 persons.
QString listRowOf(QString row)
{
    QChar* cells = row.data();
    qsizetype birthdayStart = -1;
    qsizetype birthdayEnd = row.size();
    int field = 1;
    for (qsizetype i = 0; i < row.size(); ++i) {
        if (cells[i] != QLatin1Char('~'))
            continue;
        cells[i] = QLatin1Char('\t');
        ++field;
        if (field == BirthdayField)
            birthdayStart = i + 1;
        else if (field == BirthdayField + 1)
            birthdayEnd = i;
    }
    if (birthdayStart < 0)
        return row;
    const QStringView birthday = QStringView(row).mid(birthdayStart, birthdayEnd - birthdayStart);
    if (!IsStoredBirthday(birthday)) {
        const QString normalized = NormalizeBirthday(birthday.toString());
        if (normalized != birthday)
            row.replace(birthdayStart, birthday.size(), normalized);
    }
    return row;
}

} // namespace

char ListLineEnd(const QByteArray& bytes)
{
    return bytes.contains('\r') ? '\r' : '\n';
}

void ForEachListRow(const QByteArray& bytes, const std::function<void(const QString&)>& take)
{
    // Each line decoded on its own and handed over at once: neither the whole file's text nor
    // all its rows exist twice.
    const char end = ListLineEnd(bytes);
    const char* data = bytes.constData();
    const qsizetype size = bytes.size();
    qsizetype start = 0;
    while (start < size) {
        const void* found = std::memchr(data + start, end, static_cast<size_t>(size - start));
        const qsizetype stop = found ? static_cast<const char*>(found) - data : size;
        take(listRowOf(DecodeCp1252(QByteArray::fromRawData(data + start, stop - start))));
        start = stop + 1;
        if (end == '\r' && start < size && data[start] == '\n')
            ++start;
    }
}

std::optional<QString> ListContentProblem(const QByteArray& bytes)
{
    // NUL and TAB are the same bytes in Windows-1252. Lines are counted as the list's reader
    // counts them.
    const char end = ListLineEnd(bytes);
    int line = 1;
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = bytes[i];
        if (c == end) {
            if (end == '\r' && i + 1 < size && bytes[i + 1] == '\n')
                ++i;
            ++line;
        } else if (c == '\0') {
            return QStringLiteral("Zeile %1 enthält Binärdaten (ein Nullzeichen).").arg(line);
        } else if (c == '\t') {
            return QStringLiteral("Zeile %1 enthält einen Tabulator.").arg(line);
        }
    }
    return std::nullopt;
}

QStringList ListRows(const QByteArray& bytes)
{
    QStringList rows;
    rows.reserve(bytes.count(ListLineEnd(bytes)) + 1);
    ForEachListRow(bytes, [&rows](const QString& row) { rows.append(row); });
    return rows;
}

std::optional<QStringList> ChosenListRows(const QByteArray& bytes, QString* error)
{
    if (const auto problem = ListContentProblem(bytes)) {
        setReason(error, *problem);
        return std::nullopt;
    }
    return ListRows(bytes);
}

std::optional<QString> FreeEditionListProblem(const QByteArray& bytes)
{
    // The free edition splits its three fields by ";"; a list of this program has at least one
    // "~" as soon as any row holds more than a first name.
    if (bytes.contains('~') || !bytes.contains(';'))
        return std::nullopt;
    return QStringLiteral("Ihre Zeilen trennen die Felder durch \";\" und enthalten kein \"~\", wie eine "
                          "Liste der Free-Version. Eine solche Liste übernehmen Sie mit \"Datei\" > "
                          "\"Import von Tovalineroen aus der Free-Version\".");
}

std::optional<QStringList> ReadListFileRows(const QString& path, QString* error, ListSource source)
{
    QString reason;
    bool tooLarge = false;
    const auto bytes = ReadFileBytesUpTo(path, MaxListFileSize, &reason, &tooLarge);
    if (!bytes) {
        setReason(error,
                  tooLarge ? "Die Datei ist zu groß für eine Tovalinerosliste (" + reason + ")." : reason);
        return std::nullopt;
    }
    if (source == ListSource::Written)
        return ListRows(*bytes);
    // Both checks read the bytes alone, before a row is made of them.
    auto problem = ListContentProblem(*bytes);
    if (!problem)
        problem = FreeEditionListProblem(*bytes);
    if (!problem)
        return ListRows(*bytes);
    setReason(error, "Die Datei ist keine Tovalinerosliste: " + *problem);
    return std::nullopt;
}

void AppendListFileLine(QByteArray& bytes, const QString& rowText)
{
    const qsizetype start = bytes.size();
    bytes += EncodeCp1252(rowText);
    std::replace(bytes.begin() + start, bytes.end(), '\t', '~');
    bytes += "\r\n";
}

QByteArray ListFileBytes(const QStringList& rowTexts)
{
    qsizetype size = 0;
    for (const QString& row : rowTexts)
        size += row.size() + 2;
    QByteArray bytes;
    bytes.reserve(size);
    for (const QString& row : rowTexts)
        AppendListFileLine(bytes, row);
    return bytes;
}
