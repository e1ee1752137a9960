#include "app/listfile.h"

#include "common/dates.h"
#include "common/textfile.h"

#include <QFileInfo>

namespace
{
constexpr int BirthdayField = 3;
}

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

std::optional<QStringList> ReadListFileRows(const QString& path, QString* error)
{
    QString reason;
    const auto bytes = ReadFileBytes(path, &reason);
    if (!bytes) {
        if (error)
            *error = reason;
        return std::nullopt;
    }
    return ListRowsFromText(DecodeCp1252(*bytes));
}

QByteArray ListFileBytes(const QStringList& rowTexts)
{
    QByteArray bytes;
    for (const QString& row : rowTexts)
        bytes += EncodeCp1252(QString(row).replace('\t', '~')) + "\r\n";
    return bytes;
}
