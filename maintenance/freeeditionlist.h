#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The list of the program's free edition: first name, last name and birth date a line, split
// by ";". Fields after the third are ignored; nothing is escaped. Written on Windows it is
// Windows-1252 with CR LF; on other systems it comes as UTF-8 with LF, or with a lone CR.

struct FreeEditionLine {
    int lineNumber = 0; // in the file, from 1
    QStringList fields; // every field of the line, the birth date as "dd.mm.yyyy"
};

// The largest source taken: far more persons than any list holds, and the list made of it
// stays within the list file's limit.
constexpr qint64 MaxFreeEditionListSize = 8 * 1024 * 1024;

// The text of a source file: UTF-8 (without its byte order mark) when the bytes are valid UTF-8
// and hold a character beyond ASCII, otherwise Windows-1252.
QString DecodeFreeEditionList(const QByteArray& bytes);

// The lines of a source text: CR LF, a lone CR and a lone LF each end one line, so no field
// ever holds a line break. A text that ends with its line end gives no empty last line.
QStringList SplitFreeEditionLines(const QString& text);

// The lines that hold a person; lines with nothing but blanks and ";" are left out.
QList<FreeEditionLine> FreeEditionLinesFromText(const QString& text);

// The list row of an imported person: the three fields, no automatic greeting, no own
// text, no address, joined by TAB.
QString ImportedRowText(const QStringList& fields);

// A character in the first three fields that the list file cannot hold: "~", TAB, a NUL, or one
// that Windows-1252 has no byte for.
struct ForbiddenCharacter {
    int lineNumber = 0;
    char32_t character = 0;
};
std::optional<ForbiddenCharacter> FindForbiddenCharacter(const QList<FreeEditionLine>& lines);
