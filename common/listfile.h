#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The list file: one person a line, the ten fields joined by "~", Windows-1252, CR LF.
// In memory a person is the grid's row text, the same fields joined by TAB.

// The row texts of a list file's text, each birth date re-formatted to "dd.mm.yyyy".
QStringList ListRowsFromText(const QString& text);
// The same for the bytes of a list file (Windows-1252), each row handed to take as it is read.
void ForEachListRow(const QByteArray& bytes, const std::function<void(const QString&)>& take);

// Where a list file comes from. One the program has just written is read as it stands; a file
// the user chose may be anything, and one that holds binary data, a TAB or a line of another
// number of fields than ten is refused as no list file.
enum class ListSource { Written, Chosen };

// Reads a whole list file; on failure nothing and the reason in error.
std::optional<QStringList> ReadListFileRows(const QString& path, QString* error = nullptr,
                                            ListSource source = ListSource::Written);

// The bytes of a list file holding these row texts.
QByteArray ListFileBytes(const QStringList& rowTexts);
// Appends one row text as a line of a list file.
void AppendListFileLine(QByteArray& bytes, const QString& rowText);
