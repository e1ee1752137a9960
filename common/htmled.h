#pragma once

#include <QString>
#include <QWidget>

class QTextEdit;
class QToolBar;
class TextFormatActions;

// The visual HTML editing control: a rich text field under a small formatting bar. It gives out
// the document as compact HTML (see CompactHtml) that can be stored in a Windows-1252 file: a
// character outside the code page is written as a numeric character reference. It reads any
// HTML, also the whole documents that earlier versions stored.
class HTMLed : public QWidget
{
    Q_OBJECT
public:
    // InsertText's mode for HTML source.
    static constexpr int InsertAsHtml = 2;

    explicit HTMLed(QWidget* parent = nullptr);

    // The document becomes the HTML of the Windows-1252 file; a missing file gives an empty
    // document. False, with the reason, when the file is there but cannot be read.
    bool LoadFile(const QString& path, QString* error = nullptr);
    // Replaces the file whole (through a temporary file) by the document's HTML, Windows-1252 with
    // CR LF. False, with the reason, when it cannot be written; the old file then stays.
    bool SaveFile(const QString& path, QString* error = nullptr) const;

    QString DocumentHTML() const;
    void SetDocumentHTML(const QString& html);
    // Inserts at the caret: as HTML source in mode InsertAsHtml ("&lt;VORNAME&gt;" shows as
    // <VORNAME>, in the format at the caret, and is given out as written), as plain text otherwise.
    void InsertText(const QString& text, int mode);

    QTextEdit* Editor() const { return editor_; }
    QToolBar* FormatBar() const { return formatBar_; }
    TextFormatActions* Format() const { return format_; }

private:
    QToolBar* formatBar_;
    QTextEdit* editor_;
    TextFormatActions* format_;
};

// Every character that Windows-1252 cannot hold as "&#x...;" (a surrogate pair as one character).
QString WithCharacterReferences(const QString& html);
// Without the <meta charset="..."> that Qt writes into its HTML.
QString WithoutCharsetDeclaration(const QString& html);
