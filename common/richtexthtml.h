#pragma once

#include <QFont>
#include <QString>

class QTextDocument;

// The font a greeting is written in and goes out in where the user chose none.
QFont GreetingFont();

// The document as the HTML that greetings are stored in: everything the editor shows (text
// formats and colours, links, pictures, paragraphs with their alignment, spacing, indent and
// background, headings, lists, rules, tables with their borders, widths, spans and cell colours,
// the page colour) in plain HTML that mail programs and the editor read alike; nothing of Qt's
// own document frame or style sheet, and Qt's own markers only where HTML has no word the editor
// reads alike (an empty paragraph with spacing or a background, a fixed line height). An empty
// document gives an empty text.
//
// Paragraphs without spacing are lines of one <div>, separated by <br>: an empty <div> vanishes
// when the text is read again, an empty line between two <br> does not. Runs of blanks, a blank
// at the start of a line and TAB keep their width through "white-space:pre-wrap". The list
// file's separators "~" and TAB, and the non-breaking space, are written as character
// references; characters outside Windows-1252 are left to WithCharacterReferences. A page colour
// makes the text a <body> of its own.
QString CompactHtml(const QTextDocument& document);

// The HTML part of a greeting: stored text without a document frame of its own (or with only the
// body of a page colour) goes out in one that declares UTF-8 and the greeting font, so it looks as
// it did in the editor; a whole document (a template written by hand, a text stored by earlier
// versions) goes out as it is.
QString MailHtmlDocument(const QString& html);

// The text of a greeting's HTML for its plain part: paragraphs, line breaks, list items and
// table cells on lines of their own, an empty line where paragraphs have spacing between them,
// tags gone and character references read; pictures show their alternative text, if any.
QString MailPlainText(const QString& html);
