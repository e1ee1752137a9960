#include "common/richtexthtml.h"

#include <QRegularExpression>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextList>

namespace
{

QString textEscaped(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '~':
            out += QLatin1String("&#126;");
            break;
        case '\t':
            out += QLatin1String("&#9;");
            break;
        case 0xA0:
            out += QLatin1String("&#160;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString attributeEscaped(const QString& value)
{
    QString out = textEscaped(value);
    out.replace(QLatin1Char('"'), QLatin1String("&quot;"));
    out.replace(QLatin1Char('\n'), QLatin1String("&#10;"));
    out.replace(QLatin1Char('\r'), QLatin1String("&#13;"));
    return out;
}

QString number(qreal value)
{
    return QString::number(value, 'g', 6);
}

// The tags around one piece of text, for what its format has beyond the document's font.
struct Tags {
    QString open;
    QString close;
    void wrap(const QString& name, const QString& attributes = {})
    {
        open += QLatin1Char('<') + name + attributes + QLatin1Char('>');
        close.prepend(QStringLiteral("</") + name + QLatin1Char('>'));
    }
};

Tags tagsFor(const QTextCharFormat& format, const QFont& base)
{
    Tags tags;
    const bool anchor = format.isAnchor() && !format.anchorHref().isEmpty();
    if (anchor)
        tags.wrap(QStringLiteral("a"),
                  QStringLiteral(" href=\"") + attributeEscaped(format.anchorHref()) + QLatin1Char('"'));

    QStringList style;
    QStringList families = format.property(QTextFormat::FontFamilies).toStringList();
    if (families.isEmpty() && format.hasProperty(QTextFormat::FontFamily))
        families = {format.stringProperty(QTextFormat::FontFamily)};
    if (!families.isEmpty() && !families.first().isEmpty() &&
        families.first().compare(base.family(), Qt::CaseInsensitive) != 0)
        style << QStringLiteral("font-family:'") + QString(families.first()).remove('\'').remove('"') +
                     QLatin1Char('\'');
    if (format.hasProperty(QTextFormat::FontPointSize) && format.fontPointSize() > 0 &&
        !qFuzzyCompare(format.fontPointSize(), base.pointSizeF()))
        style << QStringLiteral("font-size:") + number(format.fontPointSize()) + QStringLiteral("pt");
    else if (format.hasProperty(QTextFormat::FontPixelSize) &&
             format.intProperty(QTextFormat::FontPixelSize) > 0)
        style << QStringLiteral("font-size:") +
                     QString::number(format.intProperty(QTextFormat::FontPixelSize)) + QStringLiteral("px");
    const int weight = format.hasProperty(QTextFormat::FontWeight) ? format.fontWeight() : int(QFont::Normal);
    if (weight != QFont::Normal && weight != QFont::Bold)
        style << QStringLiteral("font-weight:") + QString::number(weight);
    // A link takes its colour and underline from the mail program, as it did from the editor.
    if (!anchor && format.hasProperty(QTextFormat::ForegroundBrush) &&
        format.foreground().style() != Qt::NoBrush)
        style << QStringLiteral("color:") + format.foreground().color().name();
    if (!style.isEmpty())
        tags.wrap(QStringLiteral("span"),
                  QStringLiteral(" style=\"") + style.join(QLatin1Char(';')) + QStringLiteral(";\""));

    if (const int adjustment = format.intProperty(QTextFormat::FontSizeAdjustment); adjustment != 0)
        tags.wrap(QStringLiteral("font"),
                  QStringLiteral(" size=\"") + QString::number(adjustment + 3) + QLatin1Char('"'));
    if (weight == QFont::Bold)
        tags.wrap(QStringLiteral("b"));
    if (format.fontItalic())
        tags.wrap(QStringLiteral("i"));
    if (format.fontUnderline() && !anchor)
        tags.wrap(QStringLiteral("u"));
    if (format.fontStrikeOut())
        tags.wrap(QStringLiteral("s"));
    return tags;
}

QString imageHtml(const QTextImageFormat& image)
{
    if (image.name().isEmpty())
        return {};
    QString html = QStringLiteral("<img src=\"") + attributeEscaped(image.name()) + QLatin1Char('"');
    if (image.hasProperty(QTextFormat::ImageWidth))
        html += QStringLiteral(" width=\"") + number(image.width()) + QLatin1Char('"');
    if (image.hasProperty(QTextFormat::ImageHeight))
        html += QStringLiteral(" height=\"") + number(image.height()) + QLatin1Char('"');
    return html + QLatin1Char('>');
}

// A line break is followed by a line end, so the stored text reads line by line; the line end
// goes again where blanks are kept as typed.
const QString LineBreak = QStringLiteral("<br>\n");

QString blockHtml(const QTextBlock& block, const QFont& base)
{
    QString html;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid())
            continue;
        const QTextCharFormat format = fragment.charFormat();
        const QString text = fragment.text();
        if (format.isImageFormat()) {
            for (const QChar c : text)
                if (c == QChar::ObjectReplacementCharacter)
                    html += imageHtml(format.toImageFormat());
            continue;
        }
        const Tags tags = tagsFor(format, base);
        html += tags.open;
        qsizetype start = 0;
        for (qsizetype i = 0; i <= text.size(); ++i) {
            if (i < text.size() && text[i] != QChar::LineSeparator &&
                text[i] != QChar::ObjectReplacementCharacter)
                continue;
            html += textEscaped(QStringView(text).mid(start, i - start));
            if (i < text.size() && text[i] == QChar::LineSeparator)
                html += LineBreak;
            start = i + 1;
        }
        html += tags.close;
    }
    return html;
}

// Whether HTML would fold the block's blanks: a run of them, one that starts a line, a TAB. (A
// blank that ends a line is kept by the editor and shows nowhere.)
bool needsKeptBlanks(const QTextBlock& block)
{
    const QString text = block.text();
    for (const QString& line : text.split(QChar::LineSeparator)) {
        if (line.startsWith(QLatin1Char(' ')) || line.contains(QLatin1String("  ")) ||
            line.contains(QLatin1Char('\t')))
            return true;
    }
    return false;
}

QString alignmentAttribute(const QTextBlockFormat& format)
{
    const Qt::Alignment alignment = format.alignment() & Qt::AlignHorizontal_Mask;
    if (alignment & Qt::AlignHCenter)
        return QStringLiteral(" align=\"center\"");
    if (alignment & Qt::AlignJustify)
        return QStringLiteral(" align=\"justify\"");
    if (alignment & Qt::AlignRight)
        return QStringLiteral(" align=\"right\"");
    return {};
}

QString keptBlanksAttribute(bool keep)
{
    return keep ? QStringLiteral(" style=\"white-space:pre-wrap;\"") : QString();
}

QString listTag(QTextListFormat::Style style, QString* type)
{
    switch (style) {
    case QTextListFormat::ListCircle:
        *type = QStringLiteral("circle");
        return QStringLiteral("ul");
    case QTextListFormat::ListSquare:
        *type = QStringLiteral("square");
        return QStringLiteral("ul");
    case QTextListFormat::ListDecimal:
        return QStringLiteral("ol");
    case QTextListFormat::ListLowerAlpha:
        *type = QStringLiteral("a");
        return QStringLiteral("ol");
    case QTextListFormat::ListUpperAlpha:
        *type = QStringLiteral("A");
        return QStringLiteral("ol");
    case QTextListFormat::ListLowerRoman:
        *type = QStringLiteral("i");
        return QStringLiteral("ol");
    case QTextListFormat::ListUpperRoman:
        *type = QStringLiteral("I");
        return QStringLiteral("ol");
    default:
        return QStringLiteral("ul");
    }
}

class CompactWriter
{
public:
    explicit CompactWriter(const QFont& base) : base_(base) {}

    void add(const QTextBlock& block)
    {
        if (QTextList* list = block.textList()) {
            addListItem(block, list);
            return;
        }
        closeLists();
        if (block.text().isEmpty()) {
            ++emptyLines_;
            return;
        }
        const QTextBlockFormat format = block.blockFormat();
        const bool spaced = format.topMargin() > 0 || format.bottomMargin() > 0;
        const QString alignment = alignmentAttribute(format);
        if (!spaced && paragraph_ == Paragraph::Div && alignment_ == alignment) {
            paragraphHtml_ += LineBreak.repeated(emptyLines_ + 1);
        } else {
            closeParagraph();
            paragraph_ = spaced ? Paragraph::P : Paragraph::Div;
            alignment_ = alignment;
            paragraphHtml_ = LineBreak.repeated(emptyLines_);
        }
        emptyLines_ = 0;
        keepBlanks_ = keepBlanks_ || needsKeptBlanks(block);
        paragraphHtml_ += blockHtml(block, base_);
    }

    QString finish()
    {
        closeLists();
        // Empty lines at the end stay with the last paragraph; after a list they show nothing.
        if (paragraph_ != Paragraph::None)
            paragraphHtml_ += LineBreak.repeated(emptyLines_);
        emptyLines_ = 0;
        closeParagraph();
        return elements_.join(QLatin1Char('\n'));
    }

private:
    enum class Paragraph { None, Div, P };
    struct OpenList {
        QTextList* list;
        int indent;
        QString tag;
    };

    void addListItem(const QTextBlock& block, QTextList* list)
    {
        // An item without text shows only its bullet, and would not survive reading anyway.
        if (block.text().isEmpty())
            return;
        if (emptyLines_ > 0) {
            if (paragraph_ != Paragraph::None)
                paragraphHtml_ += LineBreak.repeated(emptyLines_);
            else
                elements_ << QStringLiteral("<div>") + LineBreak.repeated(std::max(emptyLines_ - 1, 1)) +
                                 QStringLiteral("</div>");
            emptyLines_ = 0;
        }
        closeParagraph();

        const int indent = list->format().indent();
        while (!lists_.isEmpty() && lists_.last().list != list && lists_.last().indent >= indent)
            closeList();
        if (lists_.isEmpty() || lists_.last().list != list) {
            QString type;
            const QString tag = listTag(list->format().style(), &type);
            listHtml_ += QLatin1Char('<') + tag;
            if (!type.isEmpty())
                listHtml_ += QStringLiteral(" type=\"") + type + QLatin1Char('"');
            // Lists made in the editor sit close to the text around them, as they did there.
            if (block.blockFormat().topMargin() <= 0)
                listHtml_ += QStringLiteral(" style=\"margin-top:0;margin-bottom:0;\"");
            listHtml_ += QLatin1Char('>');
            lists_.append({list, indent, tag});
        }
        const bool keep = needsKeptBlanks(block);
        QString item = blockHtml(block, base_);
        if (keep)
            item.remove(QLatin1Char('\n'));
        listHtml_ += QStringLiteral("<li") + alignmentAttribute(block.blockFormat()) +
                     keptBlanksAttribute(keep) + QLatin1Char('>') + item + QStringLiteral("</li>");
    }

    void closeList()
    {
        listHtml_ += QStringLiteral("</") + lists_.takeLast().tag + QLatin1Char('>');
        if (lists_.isEmpty()) {
            elements_ << listHtml_;
            listHtml_.clear();
        }
    }

    void closeLists()
    {
        while (!lists_.isEmpty())
            closeList();
    }

    void closeParagraph()
    {
        if (paragraph_ == Paragraph::None)
            return;
        // Blanks kept as typed would keep the line ends too.
        if (keepBlanks_)
            paragraphHtml_.remove(QLatin1Char('\n'));
        const QString tag = paragraph_ == Paragraph::P ? QStringLiteral("p") : QStringLiteral("div");
        elements_ << QLatin1Char('<') + tag + alignment_ + keptBlanksAttribute(keepBlanks_) +
                         QLatin1Char('>') + paragraphHtml_ + QStringLiteral("</") + tag + QLatin1Char('>');
        paragraph_ = Paragraph::None;
        alignment_.clear();
        paragraphHtml_.clear();
        keepBlanks_ = false;
    }

    QFont base_;
    QStringList elements_;
    Paragraph paragraph_ = Paragraph::None;
    QString alignment_;
    QString paragraphHtml_;
    bool keepBlanks_ = false;
    int emptyLines_ = 0;
    QList<OpenList> lists_;
    QString listHtml_;
};

} // namespace

QFont GreetingFont()
{
    return QFont(QStringLiteral("Arial"), 11);
}

QString CompactHtml(const QTextDocument& document)
{
    if (document.isEmpty())
        return {};
    CompactWriter writer(document.defaultFont());
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        writer.add(block);
    return writer.finish();
}

QString MailHtmlDocument(const QString& html)
{
    static const QRegularExpression documentFrame(QStringLiteral("<(html|body)\\b"),
                                                  QRegularExpression::CaseInsensitiveOption);
    if (html.contains(documentFrame))
        return html;
    const QFont font = GreetingFont();
    return QStringLiteral(
               "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
               "</head>\n<body style=\"font-family:'") +
           font.family() + QStringLiteral("', sans-serif; font-size:") + number(font.pointSizeF()) +
           QStringLiteral("pt;\">\n") + html + QStringLiteral("\n</body></html>");
}
