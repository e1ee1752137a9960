#include "maintenance/freeeditionlist.h"

#include "common/dates.h"
#include "common/textfile.h"

namespace
{
constexpr int ImportedFields = 3;
constexpr int RecordFields = 10;
constexpr int BirthdayField = 3;
} // namespace

QList<FreeEditionLine> FreeEditionLinesFromText(const QString& text)
{
    QList<FreeEditionLine> lines;
    int number = 0;
    for (const QString& line : SplitLinesAtCr(text)) {
        ++number;
        if (QString(line).remove(';').trimmed().isEmpty())
            continue;
        QStringList fields = line.split(';');
        if (fields.size() >= BirthdayField)
            fields[BirthdayField - 1] = NormalizeBirthday(fields[BirthdayField - 1]);
        lines.append(FreeEditionLine{number, fields});
    }
    return lines;
}

QString ImportedRowText(const QStringList& fields)
{
    QStringList row;
    for (int i = 0; i < ImportedFields; ++i)
        row << fields.value(i);
    row << QStringLiteral("0") << QStringLiteral("0");
    while (row.size() < RecordFields)
        row << QString();
    return row.join('\t');
}

std::optional<ForbiddenCharacter> FindForbiddenCharacter(const QList<FreeEditionLine>& lines)
{
    for (const FreeEditionLine& line : lines)
        for (int i = 0; i < ImportedFields && i < line.fields.size(); ++i)
            for (const QChar c : line.fields[i])
                if (c == '~' || c == '\t')
                    return ForbiddenCharacter{line.lineNumber, c};
    return std::nullopt;
}
