#include "common/listfile.h"

#include "common/dates.h"
#include "common/textfile.h"

#include <QFileInfo>

namespace
{
constexpr int BirthdayField = 3;
constexpr int FieldCount = 10;

// Why the text is no list file (a picture, a document, a list of another layout), if it is
// not: such a file must never take the place of the list. A TAB would split a field in two.
std::optional<QString> foreignContent(const QString& text)
{
    if (text.contains(QChar(0)))
        return QStringLiteral("Die Datei ist keine Tovalinerosliste (sie enthält Binärdaten).");
    const QStringList lines = SplitLinesAtCr(text);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const qsizetype fields = lines[i].count('~') + 1;
        if (lines[i].contains('\t'))
            return QStringLiteral("Die Datei ist keine Tovalinerosliste: Zeile %1 enthält einen Tabulator.")
                .arg(i + 1);
        if (!lines[i].isEmpty() && fields != FieldCount)
            return QStringLiteral("Die Datei ist keine Tovalinerosliste: Zeile %1 hat %2 statt %3 Felder.")
                .arg(i + 1)
                .arg(fields)
                .arg(FieldCount);
    }
    return std::nullopt;
}

} // namespace

QStringList ListRowsFromText(const QString& text)
{
    QStringList rows = SplitLinesAtCr(text);
    for (QString& row : rows) {
        QStringList cells = row.split('~');
        if (cells.size() >= BirthdayField)
            cells[BirthdayField - 1] = NormalizeBirthday(cells[BirthdayField - 1]);
        row = cells.join('\t');
    }
    return rows;
}

std::optional<QStringList> ReadListFileRows(const QString& path, QString* error, ListSource source)
{
    QString reason;
    const auto bytes = ReadFileBytes(path, &reason);
    if (!bytes) {
        if (error)
            *error = reason;
        return std::nullopt;
    }
    const QString text = DecodeCp1252(*bytes);
    if (const auto foreign = source == ListSource::Chosen ? foreignContent(text) : std::nullopt) {
        if (error)
            *error = *foreign;
        return std::nullopt;
    }
    return ListRowsFromText(text);
}

QByteArray ListFileBytes(const QStringList& rowTexts)
{
    QByteArray bytes;
    for (const QString& row : rowTexts)
        bytes += EncodeCp1252(QString(row).replace('\t', '~')) + "\r\n";
    return bytes;
}
