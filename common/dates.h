#pragma once

#include <QDate>
#include <QString>
#include <optional>

// Reads a date as day, month, year: "1.2.1980", "01.02.80", "1/2/1980", "1-2-1980", and the
// ISO form "1980-02-01". A two-digit year is completed to the latest year that is not after the
// current one: in 2026, "26" is 2026 and "27" is 1927.
std::optional<QDate> ParseGermanDate(const QString& text);

// "dd.mm.yyyy".
QString FormatGermanDate(const QDate& date);

// The birth date as the list keeps it: "dd.mm.yyyy", or the text unchanged when it does not
// read as a date.
QString NormalizeBirthday(const QString& text);
// Whether the text already is a valid date as the list keeps it, so NormalizeBirthday leaves it.
bool IsStoredBirthday(QStringView text);

// The birth year of a birth date; a date typed in another form still gives its last four digits.
std::optional<int> BirthYearOf(const QString& birthDate);

// This year's day of a birth date; 29 February falls on 28 February in a year without it.
std::optional<QDate> BirthdayInYear(const QString& birthDate, int year);
