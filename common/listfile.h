#pragma once

#include "common/textfile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The list file: one person a line, the ten fields joined by "~", Windows-1252, CR LF.
// In memory a person is the grid's row text, the same fields joined by TAB.

// What ends the lines of a list file: CR (a CR LF pair counts as one end, a lone LF stays in its
// field), or LF in a file without any CR, as a text editor on Linux saves it. The program
// writes CR LF after every line, so a list it wrote is never read the second way.
char ListLineEnd(const QByteArray& bytes);

// The row texts of a list file's bytes (Windows-1252), each birth date re-formatted to
// "dd.mm.yyyy", each handed to take as it is read.
void ForEachListRow(const QByteArray& bytes, const std::function<void(const QString&)>& take);

// The largest list file that is read from a file the user chooses or from a backup: far more
// persons than any list holds. Also the limit of each file in a backup.
constexpr qint64 MaxListFileSize = MaxDataFileSize;

// Where a list file comes from. One the program has just written is read as it stands. A file
// the user chose is taken as the start-up's load takes the list file (a short row gets empty
// cells, further fields stay), unless it holds what no list can: a NUL (binary data) or a TAB,
// which would split a field in two.
enum class ListSource { Written, Chosen };

// Why the bytes can be no list file ("Zeile 3 enthält einen Tabulator."), if they cannot.
std::optional<QString> ListContentProblem(const QByteArray& bytes);

// Why the bytes are a list of the free edition (";" between the fields, no "~" anywhere), which
// is read by the import and would be one field per line here, if they are.
std::optional<QString> FreeEditionListProblem(const QByteArray& bytes);

// The row texts of a list file's bytes, all at once.
QStringList ListRows(const QByteArray& bytes);

// The row texts of a list file the user chose (or a backup holds); nothing, with the reason in
// error, when it can be no list.
std::optional<QStringList> ChosenListRows(const QByteArray& bytes, QString* error = nullptr);

// Reads a whole list file of at most MaxListFileSize bytes; on failure nothing and the reason
// in error. A file the user chose is also refused when it is a list of the free edition.
std::optional<QStringList> ReadListFileRows(const QString& path, QString* error = nullptr,
                                            ListSource source = ListSource::Written);

// The bytes of a list file holding these row texts.
QByteArray ListFileBytes(const QStringList& rowTexts);
// Appends one row text as a line of a list file.
void AppendListFileLine(QByteArray& bytes, const QString& rowText);
