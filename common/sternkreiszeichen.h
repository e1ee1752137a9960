#pragma once

#include <QDate>
#include <QString>

// The German name of the zodiac sign of a date of the current year, or "n/v" for a date of
// another year or no date.
QString GetSternkreiszeichen(const QDate& Birthday);

// The sign of a birth date "dd.mm.yyyy": its day and month moved into the current year. A birth
// date that does not read as a date gives "n/v"; 29 February gives "Fische" in every year.
QString SternkreiszeichenOfBirthDate(const QString& birthDate);
