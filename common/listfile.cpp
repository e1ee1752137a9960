#include "common/listfile.h"

#include "common/dates.h"
#include "common/textfile.h"

#include <QFileInfo>

namespace
{
constexpr int BirthdayField = 3;

void setReason(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
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

std::optional<QString> ListContentProblem(const QString& text)
{
    // Lines counted as the list's reader counts them: a CR ends one, CR LF too, a LF does not.
    int line = 1;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c == QChar('\r')) {
            if (i + 1 < size && text[i + 1] == QChar('\n'))
                ++i;
            ++line;
        } else if (c == QChar(0)) {
            return QStringLiteral("Zeile %1 enthält Binärdaten (ein Nullzeichen).").arg(line);
        } else if (c == QChar('\t')) {
            return QStringLiteral("Zeile %1 enthält einen Tabulator.").arg(line);
        }
    }
    return std::nullopt;
}

std::optional<QStringList> ChosenListRows(const QByteArray& bytes, QString* error)
{
    const QString text = DecodeCp1252(bytes);
    if (const auto problem = ListContentProblem(text)) {
        setReason(error, *problem);
        return std::nullopt;
    }
    return ListRowsFromText(text);
}

std::optional<QStringList> ReadListFileRows(const QString& path, QString* error, ListSource source)
{
    QString reason;
    bool tooLarge = false;
    const auto bytes = ReadFileBytesUpTo(path, MaxListFileSize, &reason, &tooLarge);
    if (!bytes) {
        setReason(error, tooLarge
                             ? QStringLiteral("Die Datei ist zu groß für eine Tovalinerosliste (%1, "
                                              "höchstens %2).")
                                   .arg(FileSizeText(QFileInfo(path).size()), FileSizeText(MaxListFileSize))
                             : reason);
        return std::nullopt;
    }
    if (source == ListSource::Written)
        return ListRowsFromText(DecodeCp1252(*bytes));
    QString problem;
    auto rows = ChosenListRows(*bytes, &problem);
    if (!rows)
        setReason(error, "Die Datei ist keine Tovalinerosliste: " + problem);
    return rows;
}

QByteArray ListFileBytes(const QStringList& rowTexts)
{
    QByteArray bytes;
    for (const QString& row : rowTexts)
        bytes += EncodeCp1252(QString(row).replace('\t', '~')) + "\r\n";
    return bytes;
}
