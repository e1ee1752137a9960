#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// Windows-1252 text files. The five bytes the code page leaves undefined map to the control
// characters of the same value, so every byte survives a load and a save.
QString DecodeCp1252(const QByteArray& bytes);
QByteArray EncodeCp1252(const QString& text);
bool IsCp1252Representable(QChar c);
// Every character of the text that Windows-1252 cannot store, each once, in the order of its
// first appearance; a character beyond U+FFFF is one entry of its two surrogates.
QStringList UnrepresentableCharacters(const QString& text);
// The text as one line of a Windows-1252 file holds it: a character the code page has no byte
// for, and a CR or LF, become "?".
QString StorableLine(const QString& text);
// How a refusal goes on after 'Das Feld "Vorname" ': 'enthält die Zeichen "Ł" und "ł", die in
// der Tovalinerosliste nicht gespeichert werden können.', for characters as the message shows them
// and a place such as "in der Tovalinerosliste".
QString UnstorableCharactersClause(const QStringList& shownCharacters, const QString& place);

// Splits as the line-by-line readers do: a line ends at CR, a CR LF pair counts as one end,
// a lone LF stays inside its line. A text that ends with its line end gives no empty last line.
QStringList SplitLinesAtCr(const QString& text);

// The largest data file the program reads (list, settings, template, each file of a backup):
// far more than any of them holds, so a larger one is damaged and refused from its size.
constexpr qint64 MaxDataFileSize = qint64(64) << 20;

// The whole file, or nothing when it does not exist, is no regular file or cannot be read.
std::optional<QByteArray> ReadFileBytes(const QString& path, QString* error = nullptr);
// The same for a file of at most maxSize bytes. A larger one is refused from its size before
// anything of it is read, and tooLarge is set; so is one that grows past maxSize while it is read.
// Then error holds its size against the limit, for the caller's sentence: "40,0 GB, höchstens 64,0 MB".
std::optional<QByteArray> ReadFileBytesUpTo(const QString& path, qint64 maxSize, QString* error = nullptr,
                                            bool* tooLarge = nullptr);
// A size as a German message gives it: "40,0 GB", "64,0 MB", "812 Bytes".
QString FileSizeText(qint64 bytes);
std::optional<QString> ReadTextFile(const QString& path);

// Who may read a file the program writes: personal data and the password stay the owner's.
// A file the user chose holds personal data too, but one that exists keeps the mode its owner
// gave it (a list shared with the family stays readable by the group).
enum class FileAccess { Default, OwnerOnly, OwnerOnlyWhenNew };

// The file a write to path reaches: a symbolic link followed to the end of its chain (the
// target need not exist yet), or path itself.
QString WriteTarget(const QString& path);

// Writes through a temporary file renamed over the old one; on failure the old file stays and
// the reason is given in error. A symbolic link stays a link: its target receives the bytes,
// replaced in the target's folder. A folder, pipe, device or socket is refused and left alone.
bool WriteFileAtomic(const QString& path, const QByteArray& bytes, QString* error = nullptr,
                     FileAccess access = FileAccess::Default);
bool WriteTextFileAtomic(const QString& path, const QString& text, QString* error = nullptr,
                         FileAccess access = FileAccess::Default);

// Appends one line and its CR LF, creating the file (owner-only) when it is missing. A full
// disk fails here, at the write or at the close.
bool AppendLine(const QString& path, const QString& line, QString* error = nullptr);

// Creates the file empty (owner-only) or cuts it to 0 bytes; a link at the path is replaced.
bool TruncateFile(const QString& path, QString* error = nullptr);
