#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// The workbook of the export: one sheet, the header row "Vorname", "Nachname", "Tovalinero",
// then one row per person. Every cell is written as text exactly as given, so a birth date
// stays "01.02.1980" and "=1+1" never becomes a formula. afterRow is told each person's row
// number (from 1) once it is written. False, with the reason in error, when the file cannot
// be written.
//
// A cell holds at most SpreadsheetCellLimit characters: a longer text is cut there, the row is
// written all the same, and the cell is named in shortened (the person's index from 0, the
// column from 0).
constexpr qsizetype SpreadsheetCellLimit = 32767;
struct ShortenedCell {
    int person;
    int column;
};
bool WriteNameListWorkbook(const QString& path, const QList<QStringList>& people,
                           const std::function<void(int)>& afterRow, QString* error = nullptr,
                           QList<ShortenedCell>* shortened = nullptr);
