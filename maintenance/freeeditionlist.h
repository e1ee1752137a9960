#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The list of the program's free edition: first name, last name and birth date a line, split
// by ";", Windows-1252, lines ending at CR (CR LF counting as one end). Fields after the third
// are ignored; nothing is escaped.

struct FreeEditionLine {
    int lineNumber = 0; // in the file, from 1
    QStringList fields; // every field of the line, the birth date as "dd.mm.yyyy"
};

// The lines that hold a person; lines with nothing but blanks and ";" are left out.
QList<FreeEditionLine> FreeEditionLinesFromText(const QString& text);

// The list row of an imported person: the three fields, no automatic greeting, no own
// text, no address, joined by TAB.
QString ImportedRowText(const QStringList& fields);

// A character in the first three fields that the list file cannot hold ("~" or TAB).
struct ForbiddenCharacter {
    int lineNumber = 0;
    QChar character;
};
std::optional<ForbiddenCharacter> FindForbiddenCharacter(const QList<FreeEditionLine>& lines);
