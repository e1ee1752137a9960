#include "app/listprint.h"

#include <QDir>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <utility>

namespace
{

constexpr int TitleColumn = 8;
constexpr int ListColumn = 15;
constexpr int LastNameColumn = 45;
constexpr int BirthdayColumn = 85;
constexpr int SeparatorLength = 99;

// Lines of text at print columns, counted from 1 at the left edge of the printable area in
// average character widths of the font in use, the way the printer's own metrics measure them.
class ColumnPrinter
{
public:
    ColumnPrinter(QPrinter& printer, QPainter& painter)
        : printer_(printer), painter_(painter),
          pageHeight_(printer.pageLayout().paintRectPixels(printer.resolution()).height())
    {
    }

    void setFont(const QFont& font) { painter_.setFont(font); }

    void emptyLines(int count)
    {
        for (int i = 0; i < count; ++i) {
            makeRoom();
            nextLine();
        }
    }

    // Each item goes to its column; where the text before it already reaches past that column,
    // it goes to the column on the next line.
    void printLine(std::initializer_list<std::pair<int, QString>> items)
    {
        const QFontMetricsF metrics(painter_.font(), painter_.device());
        makeRoom();
        for (const auto& [column, text] : items) {
            const qreal at = (column - 1) * metrics.averageCharWidth();
            if (x_ > at) {
                nextLine();
                makeRoom();
            }
            painter_.drawText(QPointF(at, y_ + metrics.ascent()), text);
            x_ = at + metrics.horizontalAdvance(text);
        }
        nextLine();
    }

private:
    qreal lineHeight() const { return QFontMetricsF(painter_.font(), painter_.device()).lineSpacing(); }

    void nextLine()
    {
        y_ += lineHeight();
        x_ = 0;
    }

    void makeRoom()
    {
        if (y_ > 0 && y_ + lineHeight() > pageHeight_) {
            printer_.newPage();
            y_ = 0;
        }
    }

    QPrinter& printer_;
    QPainter& painter_;
    qreal pageHeight_;
    qreal x_ = 0;
    qreal y_ = 0;
};

QString printerName(const QPrinter& printer)
{
    return printer.outputFileName().isEmpty() ? printer.printerName()
                                              : QDir::toNativeSeparators(printer.outputFileName());
}

} // namespace

QString SeparatorLine()
{
    QString line;
    for (int i = 0; i < SeparatorLength; ++i)
        line += i % 2 == 0 ? '-' : '=';
    return line;
}

bool PrintPersonList(QPrinter& printer, const QList<PrintedPerson>& persons, QString* error)
{
    printer.setDocName(QStringLiteral("Tovalinerosliste"));
    QPainter painter;
    if (!painter.begin(&printer)) {
        if (error)
            *error =
                QStringLiteral("Der Drucker \"%1\" konnte nicht gestartet werden.").arg(printerName(printer));
        return false;
    }
    ColumnPrinter page(printer, painter);
    QFont title(QStringLiteral("Arial"), 18);
    title.setBold(true);
    page.setFont(title);
    page.emptyLines(2);
    page.printLine({{TitleColumn, QStringLiteral("Tovalinerosliste")}});

    page.setFont(QFont(QStringLiteral("Arial"), 10));
    page.emptyLines(4);
    const QString separator = SeparatorLine();
    page.printLine({{ListColumn, separator}});
    for (const PrintedPerson& person : persons) {
        page.printLine({{ListColumn, person.firstName},
                        {LastNameColumn, person.lastName},
                        {BirthdayColumn, person.birthday}});
        page.printLine({{ListColumn, separator}});
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        if (error)
            *error =
                QStringLiteral("Der Druckauftrag an \"%1\" ist fehlgeschlagen.").arg(printerName(printer));
        return false;
    }
    return true;
}
