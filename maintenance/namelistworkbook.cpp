#include "maintenance/namelistworkbook.h"

#include <QFile>
#include <xlsxwriter.h>

namespace
{

// The name a German spreadsheet program gives a new sheet; the program is German whatever the
// desktop's language.
constexpr const char* SheetName = "Tabelle1";

const QStringList Headers = {QStringLiteral("Vorname"), QStringLiteral("Nachname"),
                             QStringLiteral("Tovalinero")};

// The text a cell can hold: at most the limit, never half of a surrogate pair.
QString fitToCell(const QString& text, bool* cut)
{
    *cut = text.size() > SpreadsheetCellLimit;
    if (!*cut)
        return text;
    qsizetype length = SpreadsheetCellLimit;
    if (text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

lxw_error writeRow(lxw_worksheet* sheet, lxw_row_t row, const QStringList& cells,
                   const std::function<void(int)>& cutColumn)
{
    for (qsizetype column = 0; column < Headers.size(); ++column) {
        bool cut = false;
        const QByteArray text = fitToCell(cells.value(column), &cut).toUtf8();
        if (cut && cutColumn)
            cutColumn(static_cast<int>(column));
        const lxw_error result =
            worksheet_write_string(sheet, row, static_cast<lxw_col_t>(column), text.constData(), nullptr);
        if (result != LXW_NO_ERROR)
            return result;
    }
    return LXW_NO_ERROR;
}

QString reasonOf(lxw_error result)
{
    return QString::fromUtf8(lxw_strerror(result));
}

} // namespace

bool WriteNameListWorkbook(const QString& path, const QList<QStringList>& people,
                           const std::function<void(int)>& afterRow, QString* error,
                           QList<ShortenedCell>* shortened)
{
    lxw_workbook* book = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet* sheet = book ? workbook_add_worksheet(book, SheetName) : nullptr;
    if (!sheet) {
        if (book)
            workbook_close(book);
        if (error)
            *error = QStringLiteral("Die Tabelle konnte nicht angelegt werden.");
        return false;
    }
    lxw_error result = writeRow(sheet, 0, Headers, {});
    for (qsizetype i = 0; i < people.size() && result == LXW_NO_ERROR; ++i) {
        const auto cutColumn = [shortened, i](int column) {
            if (shortened)
                shortened->append(ShortenedCell{static_cast<int>(i), column});
        };
        result = writeRow(sheet, static_cast<lxw_row_t>(i + 1), people[i], cutColumn);
        if (result == LXW_NO_ERROR && afterRow)
            afterRow(static_cast<int>(i + 1));
    }
    // Closing writes the file; it also frees the workbook after a failed row.
    const lxw_error closed = workbook_close(book);
    if (result == LXW_NO_ERROR)
        result = closed;
    if (result != LXW_NO_ERROR && error)
        *error = reasonOf(result);
    return result == LXW_NO_ERROR;
}
