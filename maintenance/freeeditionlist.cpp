#include "maintenance/freeeditionlist.h"

#include "common/dates.h"
#include "common/textfile.h"

#include <QStringDecoder>
#include <algorithm>

namespace
{
constexpr int ImportedFields = 3;
constexpr int RecordFields = 10;
constexpr int BirthdayField = 3;
} // namespace

QString DecodeFreeEditionList(const QByteArray& bytes)
{
    const bool ascii =
        std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii) {
        // The decoder drops a leading byte order mark and marks any invalid sequence.
        QStringDecoder utf8(QStringConverter::Utf8);
        QString text = utf8.decode(bytes);
        if (!utf8.hasError())
            return text;
    }
    return DecodeCp1252(bytes);
}

QStringList SplitFreeEditionLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c != QChar('\r') && c != QChar('\n'))
            continue;
        lines << text.mid(start, i - start);
        if (c == QChar('\r') && i + 1 < size && text[i + 1] == QChar('\n'))
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines << text.mid(start);
    return lines;
}

QList<FreeEditionLine> FreeEditionLinesFromText(const QString& text)
{
    QList<FreeEditionLine> lines;
    int number = 0;
    for (const QString& line : SplitFreeEditionLines(text)) {
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
            for (const char32_t c : line.fields[i].toUcs4())
                if (c == U'~' || c == U'\t' || c == 0 || c > 0xFFFF ||
                    !IsCp1252Representable(QChar(static_cast<char16_t>(c))))
                    return ForbiddenCharacter{line.lineNumber, c};
    return std::nullopt;
}
