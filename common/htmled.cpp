#include "common/htmled.h"

#include "common/richtexthtml.h"
#include "common/textfile.h"
#include "common/textformatactions.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{

QString reference(char32_t codePoint)
{
    return QStringLiteral("&#x") + QString::number(static_cast<uint>(codePoint), 16).toUpper() +
           QLatin1Char(';');
}

} // namespace

QString WithCharacterReferences(const QString& html)
{
    QString out;
    out.reserve(html.size());
    for (qsizetype i = 0; i < html.size(); ++i) {
        const QChar c = html[i];
        if (IsCp1252Representable(c)) {
            out += c;
        } else if (c.isHighSurrogate() && i + 1 < html.size() && html[i + 1].isLowSurrogate()) {
            out += reference(QChar::surrogateToUcs4(c, html[i + 1]));
            ++i;
        } else {
            out += reference(c.isSurrogate() ? 0xFFFD : c.unicode());
        }
    }
    return out;
}

QString WithoutCharsetDeclaration(const QString& html)
{
    static const QRegularExpression charsetMeta(QStringLiteral("<meta\\s+charset\\s*=\\s*\"[^\"]*\"\\s*/?>"),
                                                QRegularExpression::CaseInsensitiveOption);
    return QString(html).remove(charsetMeta);
}

HTMLed::HTMLed(QWidget* parent) : QWidget(parent)
{
    formatBar_ = new QToolBar(this);
    formatBar_->setObjectName(QStringLiteral("FormatBar"));
    formatBar_->setAccessibleName(QStringLiteral("Formatierung"));
    formatBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    formatBar_->setFloatable(false);
    formatBar_->setMovable(false);

    editor_ = new QTextEdit(this);
    editor_->setObjectName(QStringLiteral("Editor"));
    editor_->setAccessibleName(QStringLiteral("Grußtext"));
    editor_->setFont(GreetingFont());
    editor_->document()->setDefaultFont(GreetingFont());
    // The Tab key moves on to the next control; a tab in HTML is only a blank anyway.
    editor_->setTabChangesFocus(true);

    format_ = new TextFormatActions(editor_, this);
    format_->AddTo(formatBar_);
    // The bar's own button for the commands that do not fit when the control is narrow.
    if (auto* more = formatBar_->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(QStringLiteral("Weitere Formatierungen"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(formatBar_);
    layout->addWidget(editor_, 1);
    setFocusProxy(editor_);
}

bool HTMLed::LoadFile(const QString& path, QString* error)
{
    if (!QFileInfo::exists(path)) {
        SetDocumentHTML(QString());
        return true;
    }
    const std::optional<QByteArray> bytes = ReadFileBytes(path, error);
    // The reader takes a CR for text: before a table it would leave a blank in the line above.
    SetDocumentHTML(
        bytes ? DecodeCp1252(*bytes).replace(QLatin1String("\r\n"), QLatin1String("\n")).replace('\r', '\n')
              : QString());
    return bytes.has_value();
}

bool HTMLed::SaveFile(const QString& path, QString* error) const
{
    const QString html = DocumentHTML().replace(QLatin1String("\n"), QLatin1String("\r\n"));
    // Like every file in the data folder, the owner's alone.
    return WriteTextFileAtomic(path, html, error, FileAccess::OwnerOnly);
}

QString HTMLed::DocumentHTML() const
{
    return WithCharacterReferences(CompactHtml(*editor_->document()));
}

void HTMLed::SetDocumentHTML(const QString& html)
{
    // A line end after the last element would be read as a blank at the end of the text.
    editor_->setHtml(html.trimmed());
    editor_->document()->setDefaultFont(GreetingFont());
}

void HTMLed::InsertText(const QString& text, int mode)
{
    QTextCursor cursor = editor_->textCursor();
    // Source without markup (a placeholder) is text in the format at the caret, like typed text;
    // inserted as HTML it would fall back to the document's plain format.
    if (mode == InsertAsHtml && text.contains(QLatin1Char('<')))
        cursor.insertHtml(text);
    else if (mode == InsertAsHtml)
        cursor.insertText(QTextDocumentFragment::fromHtml(text).toPlainText());
    else
        cursor.insertText(text);
    editor_->setTextCursor(cursor);
}
