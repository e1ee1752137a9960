#include "maintenance/namelistworkbook.h"

#include <QFile>
#include <xlsxwriter.h>

namespace
{

const QStringList Headers = {QStringLiteral("Vorname"), QStringLiteral("Nachname"),
                             QStringLiteral("Tovalinero")};

lxw_error writeRow(lxw_worksheet* sheet, lxw_row_t row, const QStringList& cells)
{
    for (qsizetype column = 0; column < Headers.size(); ++column) {
        const QByteArray text = cells.value(column).toUtf8();
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
                           const std::function<void(int)>& afterRow, QString* error)
{
    lxw_workbook* book = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet* sheet = book ? workbook_add_worksheet(book, nullptr) : nullptr;
    if (!sheet) {
        if (book)
            workbook_close(book);
        if (error)
            *error = QStringLiteral("Die Tabelle konnte nicht angelegt werden.");
        return false;
    }
    lxw_error result = writeRow(sheet, 0, Headers);
    for (qsizetype i = 0; i < people.size() && result == LXW_NO_ERROR; ++i) {
        result = writeRow(sheet, static_cast<lxw_row_t>(i + 1), people[i]);
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
