#include "support/formfixture.h"

#include "app/listprint.h"
#include "common/coolbar.h"
#include "common/mousepointer.h"

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace
{

QString person(const QString& first, const QString& last, const QString& born)
{
    return QStringList{first, last, born, "0", "1", "", "", "", "", ""}.join('~');
}

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        qWarning("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text lines of the print, as pdftotext lays them out, without the empty ones.
QStringList printedLines(const QString& pdf)
{
    QStringList lines;
    for (const QString& line : run("pdftotext", {"-layout", pdf, "-"}).split('\n'))
        if (!line.trimmed().isEmpty() && line.trimmed() != "\f")
            lines << line.simplified();
    return lines;
}

int pageCount(const QString& pdf)
{
    static const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
    return pages.match(run("pdfinfo", {pdf})).captured(1).toInt();
}

struct Word {
    QString text;
    int page = 0;
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
    double yMax = 0;
    double pageWidth = 0;
    double pageHeight = 0;
};

QList<Word> printedWords(const QString& pdf)
{
    static const QRegularExpression tag(QStringLiteral(
        "<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">|<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" "
        "xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QList<Word> words;
    int page = 0;
    double width = 0;
    double height = 0;
    for (auto it = tag.globalMatch(run("pdftotext", {"-bbox", pdf, "-"})); it.hasNext();) {
        const auto match = it.next();
        if (!match.captured(1).isEmpty()) {
            ++page;
            width = match.captured(1).toDouble();
            height = match.captured(2).toDouble();
            continue;
        }
        words.append(Word{match.captured(7), page, match.captured(3).toDouble(), match.captured(4).toDouble(),
                          match.captured(5).toDouble(), match.captured(6).toDouble(), width, height});
    }
    return words;
}

Word find(const QList<Word>& words, const QString& text)
{
    for (const Word& word : words)
        if (word.text == text)
            return word;
    qWarning("word %s not printed", qPrintable(text));
    return Word{};
}

// Calls back at every paint of the watched window.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(std::function<void()> painted) : painted_(std::move(painted)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted_();
        return false;
    }

private:
    std::function<void()> painted_;
};

} // namespace

class PrintTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void titleSeparatorsAndPersons_data();
    void titleSeparatorsAndPersons();
    void separatorFitsThePrintableWidth_data();
    void separatorFitsThePrintableWidth();
    void longFirstNamePushesTheLastNameDown();
    void longListGoesOnOnASecondPage();
    void cancelPrintsNothing();
    void windowIsPaintedUnderTheHourglassBeforeThePages();
    void printerThatCannotStartSaysSo();
    void printButtonShowsThePrinter_data();
    void printButtonShowsThePrinter();

private:
    Form1& loadList(const QStringList& lines);
    void clickPrint() { fixture_->form().Coolbar1->Button("drucken")->click(); }
    FakePrompt& prompt() { return fixture_->seams->prompt; }
    std::unique_ptr<FormFixture> fixture_;
    QString pdf_;
};

void PrintTest::init()
{
    fixture_ = std::make_unique<FormFixture>();
    pdf_ = fixture_->folder->folder() + "/liste.pdf";
}

void PrintTest::cleanup()
{
    fixture_.reset();
    ShowNormalPointer();
}

Form1& PrintTest::loadList(const QStringList& lines)
{
    fixture_->writeList(lines);
    Form1& form = fixture_->form();
    form.LoadBirthdayList();
    return form;
}

void PrintTest::titleSeparatorsAndPersons_data()
{
    QTest::addColumn<int>("persons");
    QTest::addRow("empty list") << 0;
    QTest::addRow("one person") << 1;
    QTest::addRow("three persons") << 3;
}

void PrintTest::titleSeparatorsAndPersons()
{
    QFETCH(int, persons);
    QStringList lines;
    QStringList expected{"Tovalinerosliste", SeparatorLine()};
    for (int i = 1; i <= persons; ++i) {
        lines << person(QStringLiteral("Vorname%1").arg(i), QStringLiteral("Jürgens%1").arg(i), "1.2.1980");
        expected << QStringLiteral("Vorname%1 Jürgens%1 01.02.1980").arg(i) << SeparatorLine();
    }
    loadList(lines);
    prompt().printToPdf = pdf_;
    clickPrint();
    QCOMPARE(prompt().printDialogs, 1);
    QVERIFY(prompt().messages.isEmpty());
    QCOMPARE(printedLines(pdf_), expected);
    QCOMPARE(pageCount(pdf_), 1);
    QVERIFY(!IsBusyPointerShown());
}

void PrintTest::separatorFitsThePrintableWidth_data()
{
    QTest::addColumn<QPageSize>("paper");
    QTest::addRow("A4") << QPageSize(QPageSize::A4);
    QTest::addRow("Letter") << QPageSize(QPageSize::Letter);
}

void PrintTest::separatorFitsThePrintableWidth()
{
    QFETCH(QPageSize, paper);
    loadList({person("Anna", "Meier", "01.02.1980")});
    prompt().printToPdf = pdf_;
    prompt().printPageSize = paper;
    clickPrint();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(paper);
    const QRectF printable = printer.pageLayout().paintRect(QPageLayout::Point);

    const QList<Word> words = printedWords(pdf_);
    const Word separator = find(words, SeparatorLine());
    QCOMPARE(separator.text.size(), 99);
    QVERIFY2(
        separator.xMax <= printable.right(),
        qPrintable(
            QStringLiteral("ends at %1 pt, printable to %2 pt").arg(separator.xMax).arg(printable.right())));
    // Column 15 for the separator and the first name alike, column 8 of a larger font for the title.
    const Word firstName = find(words, "Anna");
    QVERIFY(qAbs(separator.xMin - firstName.xMin) < 0.5);
    QVERIFY(find(words, "Tovalinerosliste").xMin > printable.left());
    QVERIFY(find(words, "Tovalinerosliste").xMin < firstName.xMin);
    QVERIFY(find(words, "Meier").xMin < find(words, "01.02.1980").xMin);
}

void PrintTest::longFirstNamePushesTheLastNameDown()
{
    const QString longName = QStringLiteral("Maximilianeadelheidwilhelminefriederike");
    loadList({person("Anna", "Meier", "01.02.1980"), person(longName, "Lang", "03.04.1975")});
    prompt().printToPdf = pdf_;
    clickPrint();
    const QList<Word> words = printedWords(pdf_);
    const Word first = find(words, longName);
    const Word last = find(words, "Lang");
    const Word born = find(words, "03.04.1975");
    QVERIFY(first.xMax > find(words, "Meier").xMin);
    // The last name keeps its column on the next line, and the birth date follows it there.
    QVERIFY(last.yMin > first.yMax - 0.5);
    QVERIFY(qAbs(last.xMin - find(words, "Meier").xMin) < 0.5);
    QVERIFY(qAbs(born.yMin - last.yMin) < 0.5);
    QVERIFY(qAbs(born.xMin - find(words, "01.02.1980").xMin) < 0.5);
    QCOMPARE(printedLines(pdf_).size(), 2 + 2 + 3);
}

void PrintTest::longListGoesOnOnASecondPage()
{
    QStringList lines;
    QStringList names;
    for (int i = 1; i <= 40; ++i) {
        names << QStringLiteral("Person%1").arg(i, 2, 10, QChar('0'));
        lines << person(names.last(), "Seite", "05.06.1970");
    }
    loadList(lines);
    prompt().printToPdf = pdf_;
    clickPrint();
    QCOMPARE(pageCount(pdf_), 2);
    const QStringList printed = printedLines(pdf_);
    QCOMPARE(printed.count(SeparatorLine()), 41);
    QStringList personLines;
    for (const QString& line : printed)
        if (line.startsWith("Person"))
            personLines << line.section(' ', 0, 0);
    QCOMPARE(personLines, names);
    // No line runs off the bottom of its page.
    int onSecondPage = 0;
    for (const Word& word : printedWords(pdf_)) {
        QVERIFY(word.yMax <= word.pageHeight);
        onSecondPage += word.page == 2;
    }
    QVERIFY(onSecondPage > 0);
}

void PrintTest::cancelPrintsNothing()
{
    loadList({person("Anna", "Meier", "01.02.1980")});
    clickPrint();
    QCOMPARE(prompt().printDialogs, 1);
    QVERIFY(prompt().messages.isEmpty());
    QCOMPARE(QDir(fixture_->folder->folder()).entryList({"*.pdf"}, QDir::Files), QStringList());
    QVERIFY(!IsBusyPointerShown());
}

// The print dialog has left the screen, and the window it covered is painted again under the
// hourglass, before the first page is made: a long list takes seconds.
void PrintTest::windowIsPaintedUnderTheHourglassBeforeThePages()
{
    Form1& form = loadList({person("Anna", "Meier", "01.02.1980"), person("Bert", "Abel", "02.03.1975")});
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    prompt().printToPdf = pdf_;
    QStringList paints;
    PaintWatch watch([&] {
        paints << QStringLiteral("%1 %2").arg(IsBusyPointerShown() ? "Sanduhr" : "Zeiger",
                                              QFile::exists(pdf_) ? "gedruckt" : "vor dem Druck");
    });
    form.installEventFilter(&watch);
    clickPrint();
    form.removeEventFilter(&watch);
    QVERIFY2(paints.contains("Sanduhr vor dem Druck"), qPrintable(paints.join(", ")));
    QCOMPARE(printedLines(pdf_).size(), 1 + 1 + 2 * 2);
    QVERIFY(!IsBusyPointerShown());
}

void PrintTest::printerThatCannotStartSaysSo()
{
    loadList({person("Anna", "Meier", "01.02.1980")});
    prompt().printToPdf = fixture_->folder->folder() + "/fehlt/liste.pdf";
    clickPrint();
    QCOMPARE(prompt().messages.size(), 1);
    const MessageRequest& box = prompt().messages[0];
    QVERIFY(box.text.startsWith("Die Tovalinerosliste konnte nicht gedruckt werden."));
    QVERIFY(box.text.contains(QDir::toNativeSeparators(prompt().printToPdf)));
    QCOMPARE(box.icon, MsgIcon::Critical);
    QVERIFY(!QFile::exists(prompt().printToPdf));
    QVERIFY(!IsBusyPointerShown());
}

void PrintTest::printButtonShowsThePrinter_data()
{
    QTest::addColumn<QString>("theme");
    QTest::addRow("no icon theme") << QString();
    QTest::addRow("a theme with a printer of its own") << "eigenes";
}

// The print button shows the program's own printer on every desktop, never Qt's computer.
void PrintTest::printButtonShowsThePrinter()
{
    QFETCH(QString, theme);
    const QStringList searchPaths = QIcon::themeSearchPaths();
    const QString themeName = QIcon::themeName();
    QTemporaryDir themes;
    if (!theme.isEmpty()) {
        QDir(themes.path()).mkpath(theme + "/24x24/devices");
        QFile index(themes.filePath(theme + "/index.theme"));
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write("[Icon Theme]\nName=eigenes\nDirectories=24x24/devices\n\n"
                    "[24x24/devices]\nSize=24\nType=Fixed\n");
        index.close();
        QImage other(24, 24, QImage::Format_ARGB32);
        other.fill(Qt::blue);
        QVERIFY(other.save(themes.filePath(theme + "/24x24/devices/document-print.png")));
        QIcon::setThemeSearchPaths({themes.path()});
    }
    QIcon::setThemeName(theme);
    // The toolbar is made with the main window.
    fixture_.reset();
    FlushDeletedWindows();
    fixture_ = std::make_unique<FormFixture>();
    const QIcon icon = fixture_->form().Coolbar1->Button("drucken")->icon();
    QIcon::setThemeName(themeName);
    QIcon::setThemeSearchPaths(searchPaths);

    const auto image = [](const QIcon& shown) {
        return shown.pixmap(QSize(24, 24)).toImage().convertToFormat(QImage::Format_ARGB32);
    };
    const QImage printer = QImage(":/icons/drucken.xpm").convertToFormat(QImage::Format_ARGB32);
    QVERIFY(!printer.isNull());
    QCOMPARE(image(icon), printer);
    QVERIFY(image(icon) != image(fixture_->form().style()->standardIcon(QStyle::SP_ComputerIcon)));
}

QTEST_MAIN(PrintTest)
#include "tst_print.moc"
