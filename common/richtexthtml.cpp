#include "common/richtexthtml.h"

#include <QRegularExpression>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextList>
#include <QTextTable>
#include <optional>

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

QString pixels(qreal value)
{
    return number(value) + QStringLiteral("px");
}

QString colorValue(const QColor& color)
{
    if (color.alpha() == 255)
        return color.name();
    if (color.alpha() == 0)
        return QStringLiteral("transparent");
    // Read back as a share of 255 and cut to a whole number: a quarter above gives the same alpha.
    return QStringLiteral("rgba(%1,%2,%3,%4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(number((color.alpha() + 0.25) / 255));
}

// A solid colour of the format, if it has one.
std::optional<QColor> solidColor(const QTextFormat& format, int property)
{
    if (!format.hasProperty(property))
        return std::nullopt;
    const QBrush brush = format.brushProperty(property);
    if (brush.style() != Qt::SolidPattern)
        return std::nullopt;
    return brush.color();
}

// CSS declarations of one style attribute, each ended by ";".
struct Style {
    QString declarations;
    void add(const QString& name, const QString& value)
    {
        declarations += name + QLatin1Char(':') + value + QLatin1Char(';');
    }
    QString attribute() const
    {
        return declarations.isEmpty()
                   ? QString()
                   : QStringLiteral(" style=\"") + attributeEscaped(declarations) + QLatin1Char('"');
    }
};

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

QString verticalAlignmentValue(QTextCharFormat::VerticalAlignment alignment)
{
    switch (alignment) {
    case QTextCharFormat::AlignSubScript:
        return QStringLiteral("sub");
    case QTextCharFormat::AlignSuperScript:
        return QStringLiteral("super");
    case QTextCharFormat::AlignMiddle:
        return QStringLiteral("middle");
    case QTextCharFormat::AlignTop:
        return QStringLiteral("top");
    case QTextCharFormat::AlignBottom:
        return QStringLiteral("bottom");
    default:
        return {};
    }
}

// What surrounds the text: the document's font, and the background the text stands on (its
// cell's or its paragraph's), which the text takes over when the HTML is read.
struct Surroundings {
    QFont font;
    std::optional<QColor> background;
};

Tags tagsFor(const QTextCharFormat& format, const Surroundings& around)
{
    const QFont& base = around.font;
    Tags tags;
    const bool anchor = format.isAnchor() && !format.anchorHref().isEmpty();
    if (anchor)
        tags.wrap(QStringLiteral("a"),
                  QStringLiteral(" href=\"") + attributeEscaped(format.anchorHref()) + QLatin1Char('"'));

    Style style;
    QStringList families = format.property(QTextFormat::FontFamilies).toStringList();
    if (families.isEmpty() && format.hasProperty(QTextFormat::FontFamily))
        families = {format.stringProperty(QTextFormat::FontFamily)};
    if (!families.isEmpty() && !families.first().isEmpty() &&
        families.first().compare(base.family(), Qt::CaseInsensitive) != 0)
        style.add(QStringLiteral("font-family"),
                  QLatin1Char('\'') + QString(families.first()).remove('\'').remove('"') + QLatin1Char('\''));
    if (format.hasProperty(QTextFormat::FontPointSize) && format.fontPointSize() > 0 &&
        !qFuzzyCompare(format.fontPointSize(), base.pointSizeF()))
        style.add(QStringLiteral("font-size"), number(format.fontPointSize()) + QStringLiteral("pt"));
    else if (format.hasProperty(QTextFormat::FontPixelSize) &&
             format.intProperty(QTextFormat::FontPixelSize) > 0)
        style.add(QStringLiteral("font-size"),
                  QString::number(format.intProperty(QTextFormat::FontPixelSize)) + QStringLiteral("px"));
    const int weight = format.hasProperty(QTextFormat::FontWeight) ? format.fontWeight() : int(QFont::Normal);
    if (weight != QFont::Normal && weight != QFont::Bold)
        style.add(QStringLiteral("font-weight"), QString::number(weight));
    // A link takes its colour and underline from the mail program, as it did from the editor.
    if (const auto color = solidColor(format, QTextFormat::ForegroundBrush); color && !anchor)
        style.add(QStringLiteral("color"), colorValue(*color));
    if (const auto background = solidColor(format, QTextFormat::BackgroundBrush);
        background && background != around.background)
        style.add(QStringLiteral("background-color"), colorValue(*background));
    if (const QString alignment = verticalAlignmentValue(format.verticalAlignment()); !alignment.isEmpty())
        style.add(QStringLiteral("vertical-align"), alignment);
    if (format.fontOverline())
        style.add(QStringLiteral("text-decoration"), QStringLiteral("overline"));
    switch (format.fontCapitalization()) {
    case QFont::AllUppercase:
        style.add(QStringLiteral("text-transform"), QStringLiteral("uppercase"));
        break;
    case QFont::AllLowercase:
        style.add(QStringLiteral("text-transform"), QStringLiteral("lowercase"));
        break;
    case QFont::SmallCaps:
        style.add(QStringLiteral("font-variant"), QStringLiteral("small-caps"));
        break;
    default:
        break;
    }
    if (format.fontWordSpacing() != 0)
        style.add(QStringLiteral("word-spacing"), pixels(format.fontWordSpacing()));
    if (!style.declarations.isEmpty())
        tags.wrap(QStringLiteral("span"), style.attribute());

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

// The targets of links into the text; they mark a place and show nothing.
QString anchorNamesHtml(const QTextCharFormat& format)
{
    QString html;
    if (format.isAnchor())
        for (const QString& name : format.anchorNames())
            html += QStringLiteral("<a name=\"") + attributeEscaped(name) + QStringLiteral("\"></a>");
    return html;
}

QString imageHtml(const QTextImageFormat& image)
{
    if (image.name().isEmpty())
        return {};
    QString html = QStringLiteral("<img src=\"") + attributeEscaped(image.name()) + QLatin1Char('"');
    if (image.hasProperty(QTextFormat::ImageAltText))
        html += QStringLiteral(" alt=\"") +
                attributeEscaped(image.stringProperty(QTextFormat::ImageAltText)) + QLatin1Char('"');
    if (image.hasProperty(QTextFormat::ImageTitle))
        html += QStringLiteral(" title=\"") +
                attributeEscaped(image.stringProperty(QTextFormat::ImageTitle)) + QLatin1Char('"');
    if (image.hasProperty(QTextFormat::ImageWidth))
        html += QStringLiteral(" width=\"") + number(image.width()) + QLatin1Char('"');
    if (image.hasProperty(QTextFormat::ImageHeight))
        html += QStringLiteral(" height=\"") + number(image.height()) + QLatin1Char('"');
    if (image.verticalAlignment() == QTextCharFormat::AlignMiddle ||
        image.verticalAlignment() == QTextCharFormat::AlignTop)
        html += QStringLiteral(" style=\"vertical-align:") +
                verticalAlignmentValue(image.verticalAlignment()) + QStringLiteral(";\"");
    return html + QLatin1Char('>');
}

// A line break is followed by a line end, so the stored text reads line by line; the line end
// goes again where blanks are kept as typed.
const QString LineBreak = QStringLiteral("<br>\n");

QString blockHtml(const QTextBlock& block, const Surroundings& around)
{
    QString html;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid())
            continue;
        const QTextCharFormat format = fragment.charFormat();
        const QString text = fragment.text();
        html += anchorNamesHtml(format);
        if (format.isImageFormat()) {
            for (const QChar c : text)
                if (c == QChar::ObjectReplacementCharacter)
                    html += imageHtml(format.toImageFormat());
            continue;
        }
        const Tags tags = tagsFor(format, around);
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

QString alignmentAttribute(Qt::Alignment alignment)
{
    alignment &= Qt::AlignHorizontal_Mask;
    if (alignment & Qt::AlignHCenter)
        return QStringLiteral(" align=\"center\"");
    if (alignment & Qt::AlignJustify)
        return QStringLiteral(" align=\"justify\"");
    if (alignment & Qt::AlignRight)
        return QStringLiteral(" align=\"right\"");
    return {};
}

QString alignmentAttribute(const QTextBlockFormat& format)
{
    return alignmentAttribute(format.alignment());
}

// How a paragraph looks beyond its text: its element, alignment and direction, and the
// spacing, indent, line height and background it has beyond what the element gives by itself.
struct BlockLook {
    QString tag = QStringLiteral("div");
    QString attributes;
    Style style;
    bool nonBreakable = false;
    std::optional<QColor> background;

    bool plain() const
    {
        return tag == QLatin1String("div") && attributes.isEmpty() && style.declarations.isEmpty();
    }
    // An empty line shows no alignment or direction.
    bool plainWhenEmpty() const { return tag == QLatin1String("div") && style.declarations.isEmpty(); }
    bool sameAs(const BlockLook& other) const
    {
        return tag == other.tag && attributes == other.attributes &&
               style.declarations == other.style.declarations && nonBreakable == other.nonBreakable;
    }
    // Paragraphs without spacing of their own are lines of one element.
    bool joinsLines() const { return tag == QLatin1String("div"); }
};

// What the HTML reader gives a <p> above and below, in pixels.
constexpr qreal ParagraphMargin = 12;

BlockLook lookOf(const QTextBlock& block, const Surroundings& around, qreal indentWidth, bool inList)
{
    const QTextBlockFormat format = block.blockFormat();
    BlockLook look;
    const int heading = format.headingLevel();
    const qreal top = format.topMargin();
    const qreal bottom = format.bottomMargin();
    if (!inList && heading >= 1 && heading <= 6) {
        look.tag = QLatin1Char('h') + QString::number(heading);
        look.style.add(QStringLiteral("margin-top"), pixels(top));
        look.style.add(QStringLiteral("margin-bottom"), pixels(bottom));
    } else if (!inList && (top > 0 || bottom > 0)) {
        look.tag = QStringLiteral("p");
        if (!qFuzzyCompare(top, ParagraphMargin) || !qFuzzyCompare(bottom, ParagraphMargin)) {
            look.style.add(QStringLiteral("margin-top"), pixels(top));
            look.style.add(QStringLiteral("margin-bottom"), pixels(bottom));
        }
    }
    look.attributes = alignmentAttribute(format);
    if (format.hasProperty(QTextFormat::LayoutDirection) && format.layoutDirection() == Qt::RightToLeft)
        look.attributes += QStringLiteral(" dir=\"rtl\"");
    if (!inList) {
        // An indent step is as wide as the document says; a mail program knows only margins.
        if (const qreal left = format.leftMargin() + format.indent() * indentWidth; left > 0)
            look.style.add(QStringLiteral("margin-left"), pixels(left));
        if (format.rightMargin() > 0)
            look.style.add(QStringLiteral("margin-right"), pixels(format.rightMargin()));
    }
    if (format.textIndent() != 0)
        look.style.add(QStringLiteral("text-indent"), pixels(format.textIndent()));
    switch (format.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        look.style.add(QStringLiteral("line-height"), number(format.lineHeight()) + QLatin1Char('%'));
        break;
    case QTextBlockFormat::MinimumHeight:
        look.style.add(QStringLiteral("line-height"), pixels(format.lineHeight()));
        break;
    case QTextBlockFormat::FixedHeight:
        look.style.add(QStringLiteral("line-height"), number(format.lineHeight()));
        look.style.add(QStringLiteral("-qt-line-height-type"), QStringLiteral("fixed"));
        break;
    case QTextBlockFormat::LineDistanceHeight:
        look.style.add(QStringLiteral("line-height"), number(format.lineHeight()));
        look.style.add(QStringLiteral("-qt-line-height-type"), QStringLiteral("line-distance"));
        break;
    default:
        break;
    }
    // A paragraph in a coloured cell takes the cell's colour when the HTML is read.
    look.background = solidColor(format, QTextFormat::BackgroundBrush);
    if (look.background == around.background)
        look.background.reset();
    if (look.background)
        look.style.add(QStringLiteral("background-color"), colorValue(*look.background));
    look.nonBreakable = format.nonBreakableLines();
    return look;
}

QString whiteSpaceValue(bool nonBreakable, bool keepBlanks)
{
    if (nonBreakable)
        return QStringLiteral("pre");
    return keepBlanks ? QStringLiteral("pre-wrap") : QString();
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

QString lengthAttribute(const char* name, const QTextLength& length)
{
    if (length.type() == QTextLength::FixedLength)
        return QLatin1Char(' ') + QLatin1String(name) + QStringLiteral("=\"") + number(length.rawValue()) +
               QLatin1Char('"');
    if (length.type() == QTextLength::PercentageLength)
        return QLatin1Char(' ') + QLatin1String(name) + QStringLiteral("=\"") + number(length.rawValue()) +
               QStringLiteral("%\"");
    return {};
}

QString tableHtml(const QTextTable& table, const Surroundings& around, qreal indentWidth);

// The paragraphs and tables of one frame (the document, a table cell), in their order.
class CompactWriter
{
public:
    CompactWriter(const Surroundings& around, qreal indentWidth) : around_(around), indentWidth_(indentWidth)
    {
    }

    void add(const QTextBlock& block)
    {
        const bool afterFrame = afterFrame_;
        afterFrame_ = false;
        if (QTextList* list = block.textList()) {
            addListItem(block, list);
            return;
        }
        closeLists();
        const BlockLook look = lookOf(block, around_, indentWidth_, false);
        const QTextBlockFormat format = block.blockFormat();
        if (format.hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth)) {
            addElement(QStringLiteral("<hr") +
                       lengthAttribute(
                           "width", format.lengthProperty(QTextFormat::BlockTrailingHorizontalRulerWidth)) +
                       QLatin1Char('>'));
            return;
        }
        if (block.text().isEmpty()) {
            // The line the document keeps after every table comes back by itself.
            if (afterFrame)
                return;
            if (look.plainWhenEmpty() ||
                (paragraph_ == Paragraph::Open && look.joinsLines() && look_.sameAs(look))) {
                ++emptyLines_;
                return;
            }
            // An empty paragraph with spacing or a background of its own: the reader needs to be told
            // that its line break makes no second line.
            Style style;
            style.add(QStringLiteral("-qt-paragraph-type"), QStringLiteral("empty"));
            style.declarations += look.style.declarations;
            addElement(QLatin1Char('<') + look.tag + look.attributes + style.attribute() +
                       QStringLiteral("><br></") + look.tag + QLatin1Char('>'));
            return;
        }
        Surroundings around = around_;
        if (look.background)
            around.background = look.background;
        if (afterFrame && look.plain() && paragraph_ == Paragraph::None && emptyLines_ == 0) {
            // Text right after a table goes into the line the document keeps there; a paragraph
            // of its own would add one.
            paragraph_ = Paragraph::Bare;
            look_ = look;
        } else if (paragraph_ != Paragraph::None && look.joinsLines() && look_.sameAs(look) &&
                   paragraph_ != Paragraph::Single) {
            paragraphHtml_ += LineBreak.repeated(emptyLines_ + 1);
        } else {
            closeParagraph();
            paragraph_ = look.joinsLines() ? Paragraph::Open : Paragraph::Single;
            look_ = look;
            paragraphHtml_ = LineBreak.repeated(emptyLines_);
        }
        emptyLines_ = 0;
        keepBlanks_ = keepBlanks_ || needsKeptBlanks(block);
        paragraphHtml_ += blockHtml(block, around);
    }

    void addTable(const QTextTable& table)
    {
        addElement(tableHtml(table, around_, indentWidth_));
        afterFrame_ = true;
    }

    // A frame that is no table shows its text; its own border and margins are not kept.
    void addFrameText(const QString& html)
    {
        addElement(html);
        afterFrame_ = true;
    }

    QString finish()
    {
        closeLists();
        // Empty lines at the end stay with the last paragraph; after a list they show nothing.
        if (paragraph_ != Paragraph::None)
            paragraphHtml_ += LineBreak.repeated(emptyLines_);
        emptyLines_ = 0;
        closeParagraph();
        return html_;
    }

private:
    // Open: lines of one element that the next line may join; Single: an element of its own;
    // Bare: text without an element, right after a table.
    enum class Paragraph { None, Open, Single, Bare };
    struct OpenList {
        QTextList* list;
        int indent;
        QString tag;
    };

    // Elements stand on lines of their own; text without an element touches its neighbours, as a
    // line end beside it would be read as a blank.
    void put(const QString& element, bool bare = false)
    {
        if (!html_.isEmpty() && !bare && !lastBare_)
            html_ += QLatin1Char('\n');
        html_ += element;
        lastBare_ = bare;
    }

    // An element between paragraphs: the empty lines before it go with the paragraph before.
    void addElement(const QString& html)
    {
        closeLists();
        flushEmptyLines();
        closeParagraph();
        put(html);
    }

    void flushEmptyLines()
    {
        if (emptyLines_ == 0)
            return;
        if (paragraph_ != Paragraph::None)
            paragraphHtml_ += LineBreak.repeated(emptyLines_);
        else
            put(QStringLiteral("<div>") + LineBreak.repeated(std::max(emptyLines_ - 1, 1)) +
                QStringLiteral("</div>"));
        emptyLines_ = 0;
    }

    void addListItem(const QTextBlock& block, QTextList* list)
    {
        // An item without text shows only its bullet, and would not survive reading anyway.
        if (block.text().isEmpty())
            return;
        flushEmptyLines();
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
        const BlockLook look = lookOf(block, around_, indentWidth_, true);
        Surroundings around = around_;
        if (look.background)
            around.background = look.background;
        const bool keep = needsKeptBlanks(block);
        QString item = blockHtml(block, around);
        Style style = look.style;
        if (const QString whiteSpace = whiteSpaceValue(look.nonBreakable, keep); !whiteSpace.isEmpty()) {
            item.remove(QLatin1Char('\n'));
            style.add(QStringLiteral("white-space"), whiteSpace);
        }
        listHtml_ += QStringLiteral("<li") + look.attributes + style.attribute() + QLatin1Char('>') + item +
                     QStringLiteral("</li>");
    }

    void closeList()
    {
        listHtml_ += QStringLiteral("</") + lists_.takeLast().tag + QLatin1Char('>');
        if (lists_.isEmpty()) {
            put(listHtml_);
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
        const QString whiteSpace = whiteSpaceValue(look_.nonBreakable, keepBlanks_);
        // Blanks kept as typed would keep the line ends too.
        if (!whiteSpace.isEmpty())
            paragraphHtml_.remove(QLatin1Char('\n'));
        if (paragraph_ == Paragraph::Bare) {
            if (!whiteSpace.isEmpty())
                paragraphHtml_ = QStringLiteral("<span style=\"white-space:") + whiteSpace +
                                 QStringLiteral(";\">") + paragraphHtml_ + QStringLiteral("</span>");
            put(paragraphHtml_, true);
        } else {
            Style style = look_.style;
            if (!whiteSpace.isEmpty())
                style.add(QStringLiteral("white-space"), whiteSpace);
            put(QLatin1Char('<') + look_.tag + look_.attributes + style.attribute() + QLatin1Char('>') +
                paragraphHtml_ + QStringLiteral("</") + look_.tag + QLatin1Char('>'));
        }
        paragraph_ = Paragraph::None;
        look_ = BlockLook();
        paragraphHtml_.clear();
        keepBlanks_ = false;
    }

    Surroundings around_;
    qreal indentWidth_;
    QString html_;
    bool lastBare_ = false;
    Paragraph paragraph_ = Paragraph::None;
    BlockLook look_;
    QString paragraphHtml_;
    bool keepBlanks_ = false;
    int emptyLines_ = 0;
    bool afterFrame_ = false;
    QList<OpenList> lists_;
    QString listHtml_;
};

// The blocks and frames from begin to end, one level of the document.
QString frameContentHtml(QTextFrame::iterator it, const QTextFrame::iterator& end, const Surroundings& around,
                         qreal indentWidth)
{
    CompactWriter writer(around, indentWidth);
    bool first = true;
    for (; it != end; ++it) {
        if (QTextFrame* frame = it.currentFrame()) {
            if (auto* table = qobject_cast<QTextTable*>(frame))
                writer.addTable(*table);
            else
                writer.addFrameText(frameContentHtml(frame->begin(), frame->end(), around, indentWidth));
        } else if (const QTextBlock block = it.currentBlock(); block.isValid()) {
            // A table cannot start a frame: the document puts an empty line before it, and does
            // so again when the HTML is read.
            QTextFrame::iterator next = it;
            ++next;
            const bool beforeFrameOnly =
                first && block.text().isEmpty() && !block.textList() && next != end && next.currentFrame();
            if (!beforeFrameOnly)
                writer.add(block);
        }
        first = false;
    }
    return writer.finish();
}

QString backgroundAttribute(const QTextFormat& format)
{
    if (format.hasProperty(QTextFormat::BackgroundImageUrl))
        return QStringLiteral(" background=\"") +
               attributeEscaped(format.stringProperty(QTextFormat::BackgroundImageUrl)) + QLatin1Char('"');
    if (const auto color = solidColor(format, QTextFormat::BackgroundBrush))
        return QStringLiteral(" bgcolor=\"") + colorValue(*color) + QLatin1Char('"');
    return {};
}

QString borderStyleValue(QTextFrameFormat::BorderStyle style)
{
    switch (style) {
    case QTextFrameFormat::BorderStyle_None:
        return QStringLiteral("none");
    case QTextFrameFormat::BorderStyle_Dotted:
        return QStringLiteral("dotted");
    case QTextFrameFormat::BorderStyle_Dashed:
        return QStringLiteral("dashed");
    case QTextFrameFormat::BorderStyle_Solid:
        return QStringLiteral("solid");
    case QTextFrameFormat::BorderStyle_Double:
        return QStringLiteral("double");
    case QTextFrameFormat::BorderStyle_DotDash:
        return QStringLiteral("dot-dash");
    case QTextFrameFormat::BorderStyle_DotDotDash:
        return QStringLiteral("dot-dot-dash");
    case QTextFrameFormat::BorderStyle_Groove:
        return QStringLiteral("groove");
    case QTextFrameFormat::BorderStyle_Ridge:
        return QStringLiteral("ridge");
    case QTextFrameFormat::BorderStyle_Inset:
        return QStringLiteral("inset");
    default:
        return QStringLiteral("outset");
    }
}

QString cellStyle(const QTextTableCellFormat& cell)
{
    Style style;
    if (const QString alignment = verticalAlignmentValue(cell.verticalAlignment());
        cell.verticalAlignment() >= QTextCharFormat::AlignMiddle && !alignment.isEmpty())
        style.add(QStringLiteral("vertical-align"), alignment);
    struct Side {
        const char* name;
        int padding, border, brush, borderStyle;
    };
    static constexpr Side sides[] = {
        {"top", QTextFormat::TableCellTopPadding, QTextFormat::TableCellTopBorder,
         QTextFormat::TableCellTopBorderBrush, QTextFormat::TableCellTopBorderStyle},
        {"right", QTextFormat::TableCellRightPadding, QTextFormat::TableCellRightBorder,
         QTextFormat::TableCellRightBorderBrush, QTextFormat::TableCellRightBorderStyle},
        {"bottom", QTextFormat::TableCellBottomPadding, QTextFormat::TableCellBottomBorder,
         QTextFormat::TableCellBottomBorderBrush, QTextFormat::TableCellBottomBorderStyle},
        {"left", QTextFormat::TableCellLeftPadding, QTextFormat::TableCellLeftBorder,
         QTextFormat::TableCellLeftBorderBrush, QTextFormat::TableCellLeftBorderStyle},
    };
    for (const Side& side : sides)
        if (cell.hasProperty(side.padding))
            style.add(QStringLiteral("padding-") + QLatin1String(side.name),
                      pixels(cell.doubleProperty(side.padding)));
    for (const Side& side : sides) {
        const QString prefix = QStringLiteral("border-") + QLatin1String(side.name);
        if (cell.hasProperty(side.border))
            style.add(prefix + QStringLiteral("-width"), pixels(cell.doubleProperty(side.border)));
        if (cell.hasProperty(side.brush))
            style.add(prefix + QStringLiteral("-color"), colorValue(cell.brushProperty(side.brush).color()));
        if (cell.hasProperty(side.borderStyle))
            style.add(prefix + QStringLiteral("-style"),
                      borderStyleValue(QTextFrameFormat::BorderStyle(cell.intProperty(side.borderStyle))));
    }
    return style.attribute();
}

QString tableHtml(const QTextTable& table, const Surroundings& around, qreal indentWidth)
{
    const QTextTableFormat format = table.format();
    const QTextTableFormat defaults;
    QString html = QStringLiteral("<table");
    if (format.hasProperty(QTextFormat::FrameBorder))
        html += QStringLiteral(" border=\"") + number(format.border()) + QLatin1Char('"');
    if (format.hasProperty(QTextFormat::TableCellSpacing))
        html += QStringLiteral(" cellspacing=\"") + number(format.cellSpacing()) + QLatin1Char('"');
    if (format.hasProperty(QTextFormat::TableCellPadding))
        html += QStringLiteral(" cellpadding=\"") + number(format.cellPadding()) + QLatin1Char('"');
    html += alignmentAttribute(format.alignment());
    html += lengthAttribute("width", format.width());
    html += backgroundAttribute(format);
    Style style;
    if (format.borderBrush() != defaults.borderBrush())
        style.add(QStringLiteral("border-color"), colorValue(format.borderBrush().color()));
    if (format.borderStyle() != defaults.borderStyle())
        style.add(QStringLiteral("border-style"), borderStyleValue(format.borderStyle()));
    if (format.topMargin() != 0 || format.bottomMargin() != 0 || format.leftMargin() != 0 ||
        format.rightMargin() != 0) {
        style.add(QStringLiteral("margin-top"), pixels(format.topMargin()));
        style.add(QStringLiteral("margin-bottom"), pixels(format.bottomMargin()));
        style.add(QStringLiteral("margin-left"), pixels(format.leftMargin()));
        style.add(QStringLiteral("margin-right"), pixels(format.rightMargin()));
    }
    if (format.borderCollapse())
        style.add(QStringLiteral("border-collapse"), QStringLiteral("collapse"));
    html += style.attribute() + QLatin1Char('>');

    QList<QTextLength> widths = format.columnWidthConstraints();
    widths.resize(table.columns());
    QList<bool> widthWritten(table.columns(), false);
    const int headerRows = std::min(format.headerRowCount(), table.rows());
    if (headerRows > 0)
        html += QStringLiteral("<thead>");
    for (int row = 0; row < table.rows(); ++row) {
        html += QStringLiteral("\n<tr>");
        for (int column = 0; column < table.columns(); ++column) {
            const QTextTableCell cell = table.cellAt(row, column);
            if (cell.row() != row || cell.column() != column)
                continue;
            html += QStringLiteral("<td");
            if (cell.columnSpan() == 1 && !widthWritten[column]) {
                html += lengthAttribute("width", widths[column]);
                widthWritten[column] = true;
            }
            if (cell.columnSpan() > 1)
                html += QStringLiteral(" colspan=\"") + QString::number(cell.columnSpan()) + QLatin1Char('"');
            if (cell.rowSpan() > 1)
                html += QStringLiteral(" rowspan=\"") + QString::number(cell.rowSpan()) + QLatin1Char('"');
            const QTextTableCellFormat cellFormat = cell.format().toTableCellFormat();
            html += backgroundAttribute(cellFormat) + cellStyle(cellFormat) + QLatin1Char('>');
            Surroundings inCell = around;
            if (const auto background = solidColor(cellFormat, QTextFormat::BackgroundBrush))
                inCell.background = background;
            html += frameContentHtml(cell.begin(), cell.end(), inCell, indentWidth);
            html += QStringLiteral("</td>");
        }
        html += QStringLiteral("</tr>");
        if (row == headerRows - 1)
            html += QStringLiteral("</thead>");
    }
    return html + QStringLiteral("\n</table>");
}

} // namespace

QFont GreetingFont()
{
    return QFont(QStringLiteral("Arial"), 11);
}

QString CompactHtml(const QTextDocument& document)
{
    if (document.isEmpty())
        return {};
    const QTextFrame* root = document.rootFrame();
    const QString content = frameContentHtml(root->begin(), root->end(),
                                             {document.defaultFont(), std::nullopt}, document.indentWidth());
    // The page's own colour belongs to the body, the one element that has it.
    const QString page = backgroundAttribute(root->frameFormat());
    if (page.isEmpty())
        return content;
    return QStringLiteral("<body") + page + QStringLiteral(">\n") + content + QStringLiteral("\n</body>");
}

QString MailHtmlDocument(const QString& html)
{
    static const QRegularExpression wholeDocument(QStringLiteral("<html\\b"),
                                                  QRegularExpression::CaseInsensitiveOption);
    if (html.contains(wholeDocument))
        return html;
    // A stored text with a page colour comes as a body of its own, without a document around it.
    static const QRegularExpression body(QStringLiteral("^\\s*<body\\b([^>]*)>(.*)</body>\\s*$"),
                                         QRegularExpression::CaseInsensitiveOption |
                                             QRegularExpression::DotMatchesEverythingOption);
    QString attributes;
    QString content = html;
    if (const QRegularExpressionMatch match = body.match(html); match.hasMatch()) {
        attributes = match.captured(1);
        content = match.captured(2).trimmed();
    } else if (html.contains(QLatin1String("<body"), Qt::CaseInsensitive)) {
        return html;
    }
    const QFont font = GreetingFont();
    return QStringLiteral(
               "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
               "</head>\n<body") +
           attributes + QStringLiteral(" style=\"font-family:'") + font.family() +
           QStringLiteral("', sans-serif; font-size:") + number(font.pointSizeF()) +
           QStringLiteral("pt;\">\n") + content + QStringLiteral("\n</body></html>");
}

QString MailPlainText(const QString& html)
{
    QTextDocument document;
    document.setHtml(QString(html).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    QStringList lines;
    qreal spaceBelow = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QString line;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().isImageFormat())
                line += fragment.charFormat().stringProperty(QTextFormat::ImageAltText);
            else
                line += fragment.text();
        }
        line.replace(QChar::LineSeparator, QLatin1Char('\n')).replace(QChar::Nbsp, QLatin1Char(' '));
        line.remove(QChar::ObjectReplacementCharacter);
        // A blank at the end of a line shows nowhere.
        static const QRegularExpression blanksAtLineEnd(QStringLiteral("[ \\t]+(?=\\n|$)"));
        line.remove(blanksAtLineEnd);
        if (const QTextList* list = block.textList()) {
            const QTextListFormat::Style style = list->format().style();
            const bool bullet = style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle ||
                                style == QTextListFormat::ListSquare;
            line.prepend(bullet ? QStringLiteral("- ") : list->itemText(block) + QLatin1Char(' '));
        }
        const QTextBlockFormat format = block.blockFormat();
        if (!lines.isEmpty() && !line.isEmpty() && std::max(spaceBelow, format.topMargin()) > 0 &&
            !lines.last().isEmpty())
            lines << QString();
        lines << line;
        spaceBelow = format.bottomMargin();
    }
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    while (!lines.isEmpty() && lines.first().trimmed().isEmpty())
        lines.removeFirst();
    return lines.join(QLatin1Char('\n'));
}
