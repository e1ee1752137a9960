#include "app/neuer_tov.h"
#include "common/coolbar.h"
#include "common/forms.h"
#include "common/htmled.h"
#include "common/line3d.h"
#include "common/moddraw.h"
#include "common/richtexthtml.h"
#include "common/textfile.h"
#include "common/textformatactions.h"
#include "greetings/erinnerung1.h"
#include "greetings/html_editor.h"
#include "greetings/smtpcontrol.h"
#include "settings/settingsfile.h"
#include "support/filesizelimit.h"
#include "support/formfixture.h"
#include "support/smtpserver.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextList>
#include <QTextTable>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <functional>
#include <optional>
#include <sys/stat.h>

namespace
{

const QString Smiley = QString::fromUtf8("\xF0\x9F\x98\x80");

QString person(const QString& greeting)
{
    return QStringList{"Anna",   "Meier", "01.02.1980", "0",   "0",
                       greeting, "Weg 1", "12345",      "Ort", "anna@example.org"}
        .join('~');
}

// Runs act once the modal window T is up, then closes it if act left it open, so a failing step
// never leaves the run waiting; assertions on the outcome follow once trigger has returned.
template <typename T> void whileOpen(const std::function<void(T&)>& act, const std::function<void()>& trigger)
{
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&act, &timer] {
        T* window = Forms::Loaded<T>();
        if (!window || !window->isVisible())
            return;
        timer.stop();
        act(*window);
        if (T* open = Forms::Loaded<T>(); open && open->isVisible())
            open->reject();
    });
    timer.start(0);
    trigger();
    timer.stop();
    FlushDeletedWindows();
}

void typeText(HTML_Editor& editor, const QString& text)
{
    editor.HTMLed1->Editor()->insertPlainText(text);
}

QTextCharFormat formatAt(const HTMLed& ed, int position)
{
    QTextCursor cursor(ed.Editor()->document());
    cursor.setPosition(position + 1);
    return cursor.charFormat();
}

// Works the editor as a user does: text is typed; in braces the commands {B}, {I}, {U}, {S}
// (strike-through), {Enter}, {ShiftEnter}, {Center}, {Right}, {Justify}, {Left}, {List},
// {Font:family:size} and {Color:#rrggbb} (answered in the dialogs) and {VORNAME} (the menu item).
void play(HTMLed& ed, const QString& script, FakePrompt& prompt)
{
    static const QRegularExpression token(QStringLiteral("\\{([^}]*)\\}|[^{]+"));
    QTextEdit* text = ed.Editor();
    TextFormatActions* format = ed.Format();
    for (const QRegularExpressionMatch& match : token.globalMatch(script)) {
        const QString command = match.captured(1);
        const QStringList parts = command.split(':');
        if (command.isEmpty())
            text->insertPlainText(match.captured(0));
        else if (command == "B")
            format->Bold->trigger();
        else if (command == "I")
            format->Italic->trigger();
        else if (command == "U")
            format->Underline->trigger();
        else if (command == "S")
            format->ToggleStrikeOut();
        else if (command == "Enter")
            QTest::keyClick(text, Qt::Key_Return);
        else if (command == "ShiftEnter")
            QTest::keyClick(text, Qt::Key_Return, Qt::ShiftModifier);
        else if (command == "Center")
            format->AlignCenter->trigger();
        else if (command == "Right")
            format->AlignRight->trigger();
        else if (command == "Justify")
            format->AlignJustify->trigger();
        else if (command == "Left")
            format->AlignLeft->trigger();
        else if (command == "List")
            format->List->trigger();
        else if (parts[0] == "Font") {
            prompt.fontAnswers = {QFont(parts[1], parts[2].toInt())};
            format->Font->trigger();
        } else if (parts[0] == "Color") {
            prompt.colorAnswers = {QColor(parts[1])};
            format->Color->trigger();
        } else if (command == "VORNAME")
            ed.InsertText("&lt;VORNAME&gt;", HTMLed::InsertAsHtml);
        else
            qFatal("unknown command %s", qPrintable(command));
    }
}

// What a reader sees of the character at position: its font, colour and link, and the
// alignment and list of its line.
QString lookAt(QTextDocument& document, int position)
{
    QTextCursor cursor(&document);
    cursor.setPosition(position + 1);
    const QTextCharFormat format = cursor.charFormat();
    const QFont font = format.font().resolve(document.defaultFont());
    const QTextBlock block = cursor.block();
    const Qt::Alignment alignment =
        block.blockFormat().alignment() & Qt::AlignHorizontal_Mask & ~Qt::AlignAbsolute;
    const QTextList* list = block.textList();
    return QStringList{
        font.family(),
        QString::number(font.pointSizeF()),
        QString::number(font.weight()),
        QString::number(font.italic()),
        QString::number(font.underline()),
        QString::number(font.strikeOut()),
        format.foreground().style() == Qt::NoBrush ? "-" : format.foreground().color().name(),
        format.anchorHref(),
        QString::number(alignment == Qt::AlignLeft ? 0 : int(alignment)),
        list ? QString::number(list->format().style()) + "/" + QString::number(list->format().indent()) : "-"}
        .join(' ');
}

// The two documents show the same text, formatted alike, in the same height.
void verifyRenderedAlike(const QTextDocument& written, const QTextDocument& read)
{
    std::unique_ptr<QTextDocument> a(written.clone());
    std::unique_ptr<QTextDocument> b(read.clone());
    a->setDefaultFont(GreetingFont());
    b->setDefaultFont(GreetingFont());
    QCOMPARE(b->toPlainText(), a->toPlainText());
    QCOMPARE(b->characterCount(), a->characterCount());
    for (int position = 0; position + 1 < a->characterCount(); ++position) {
        const QChar c = a->characterAt(position);
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            continue;
        QCOMPARE(QString(c + (": " + lookAt(*b, position))), QString(c + (": " + lookAt(*a, position))));
    }
    a->setTextWidth(500);
    b->setTextWidth(500);
    QCOMPARE(b->size().height(), a->size().height());
}

// Nothing of Qt's own document in a stored greeting.
void verifyCompact(const QString& stored)
{
    for (const char* qtMarkup : {"qrichtext", "-qt-", "DOCTYPE", "<html", "<head", "<body", "<style", "<meta",
                                 "margin-left", "text-indent", "font-weight:400", "\r"})
        QVERIFY2(!stored.contains(QLatin1String(qtMarkup), Qt::CaseInsensitive),
                 qPrintable(qtMarkup + (": " + stored)));
}

// What the editor shows of its document, in a window of a fixed size. The first layout with a
// font not used before may differ in its last bits from later ones, so that one is thrown away.
QImage shownBy(HTMLed& ed)
{
    QTextEdit* editor = ed.Editor();
    editor->resize(520, 900);
    editor->viewport()->grab();
    editor->document()->markContentsDirty(0, editor->document()->characterCount());
    return editor->viewport()->grab().toImage();
}

// What the reader finds in the tables of a document: their frames, cells and cell colours.
void collectFrames(QTextFrame* frame, QList<QTextFrame*>& frames)
{
    for (QTextFrame* child : frame->childFrames()) {
        frames << child;
        collectFrames(child, frames);
    }
}

QStringList tablesOf(const QTextDocument& document)
{
    QStringList tables;
    QList<QTextFrame*> frames;
    collectFrames(document.rootFrame(), frames);
    for (QTextFrame* frame : frames) {
        const auto* table = qobject_cast<QTextTable*>(frame);
        if (!table)
            continue;
        const QTextTableFormat format = table->format();
        QString text = QStringLiteral("%1x%2 border %3 spacing %4 padding %5 width %6/%7")
                           .arg(table->rows())
                           .arg(table->columns())
                           .arg(format.border())
                           .arg(format.cellSpacing())
                           .arg(format.cellPadding())
                           .arg(format.width().type())
                           .arg(format.width().rawValue());
        for (int row = 0; row < table->rows(); ++row)
            for (int column = 0; column < table->columns(); ++column) {
                const QTextTableCell cell = table->cellAt(row, column);
                if (cell.row() == row && cell.column() == column)
                    text += QStringLiteral(" [%1,%2 %3x%4 %5]")
                                .arg(row)
                                .arg(column)
                                .arg(cell.rowSpan())
                                .arg(cell.columnSpan())
                                .arg(cell.format().background().style() == Qt::NoBrush
                                         ? QStringLiteral("-")
                                         : cell.format().background().color().name());
            }
        tables << text;
    }
    return tables;
}

} // namespace

class HtmlEditorTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        FormRegistry::setProgramEndHandler([] {});
    }
    void init() { fixture_ = std::make_unique<FormFixture>(); }
    void cleanup()
    {
        fixture_.reset();
        SmtpControl::SetPortOverrideForTests(0);
    }
    void windowMenuAndBand();
    void placeholderItemInsertsItsText_data();
    void placeholderItemInsertsItsText();
    void placeholderTakesTheFormatAtTheCaret();
    void savedTemplateIsTheNextStandardGreeting();
    void shippedTemplateKeepsItsPlaceholders();
    void missingTemplateStartsEmpty();
    void unreadableTemplateIsReported_data();
    void unreadableTemplateIsReported();
    void failedSaveKeepsTheWindowAndItsText_data();
    void failedSaveKeepsTheWindowAndItsText();
    void cancelChangesNeitherTemplateNorField_data();
    void cancelChangesNeitherTemplateNorField();
    void storableHtml_data();
    void storableHtml();
    void handBackHtml_data();
    void handBackHtml();
    void ownGreetingGoesBackIntoTheListFile_data();
    void ownGreetingGoesBackIntoTheListFile();
    void formatting_data();
    void formatting();
    void fontDialog_data();
    void fontDialog();
    void colourDialog_data();
    void colourDialog();
    void enlargingScalesTheControls();
    void keyboardAndAccessibleNames();
    void compactHtml_data();
    void compactHtml();
    void greetingKeepsItsFormattingThroughStoring_data();
    void greetingKeepsItsFormattingThroughStoring();
    void shippedTemplateSavedLooksTheSame();
    void greetingStoredByEarlierVersionsStillLoads_data();
    void greetingStoredByEarlierVersionsStillLoads();
    void writtenOrPastedDocumentKeepsItsLook_data();
    void writtenOrPastedDocumentKeepsItsLook();
    void handWrittenLineEndsAddNoBlanks_data();
    void handWrittenLineEndsAddNoBlanks();
    void templateWithATableSavedAndReopened_data();
    void templateWithATableSavedAndReopened();

private:
    void openTemplate(const std::function<void(HTML_Editor&)>& act);
    // Opens the entry form for the first person, its editor, runs act in the editor, and gives
    // the entry form's greeting field as it was once the editor had closed.
    QString editOwnGreeting(const std::function<void(HTML_Editor&)>& act, bool takeOver = false);
    // The same for the first person of the list as it stands.
    QString editFirstPersonsGreeting(const std::function<void(HTML_Editor&)>& act, bool takeOver);
    QByteArray templateBytes() const { return fixture_->folder->readBytes(templatePath()); }
    // The template as stored, its CR LF line ends read as LF; false when a line ends otherwise.
    bool readTemplate(QString* text) const
    {
        const QByteArray bytes = templateBytes();
        *text = DecodeCp1252(bytes).replace("\r\n", "\n");
        return bytes.count("\n") == bytes.count("\r\n");
    }
    QStringList listFileLines() const
    {
        return SplitLinesAtCr(
            DecodeCp1252(fixture_->folder->readBytes(fixture_->folder->data("tovalinero.dat"))));
    }
    QString templatePath() const { return fixture_->folder->data("standard.html"); }
    FakePrompt& prompt() { return fixture_->seams->prompt; }
    std::unique_ptr<FormFixture> fixture_;
};

void HtmlEditorTest::openTemplate(const std::function<void(HTML_Editor&)>& act)
{
    whileOpen<HTML_Editor>(act, [this] { fixture_->form().standtext->trigger(); });
}

QString HtmlEditorTest::editOwnGreeting(const std::function<void(HTML_Editor&)>& act, bool takeOver)
{
    fixture_->writeList({person("<p>Gruß</p>")});
    fixture_->form().LoadBirthdayList();
    return editFirstPersonsGreeting(act, takeOver);
}

QString HtmlEditorTest::editFirstPersonsGreeting(const std::function<void(HTML_Editor&)>& act, bool takeOver)
{
    Form1& form = fixture_->form();
    QString field;
    whileOpen<neuer_tov>(
        [&](neuer_tov& entry) {
            entry.Form_Activate();
            whileOpen<HTML_Editor>(act, [&] { entry.Command5->click(); });
            field = entry.FieldText(6);
            if (takeOver)
                entry.Command2->click();
        },
        [&] { form.Coolbar1->Button("aendern")->click(); });
    return field;
}

void HtmlEditorTest::windowMenuAndBand()
{
    bool opened = false;
    openTemplate([&](HTML_Editor& editor) {
        opened = true;
        QCOMPARE(editor.windowTitle(), QStringLiteral("Standardtext für Tovalinerosgrüße festlegen"));
        QVERIFY(editor.isModal());
        QCOMPARE(editor.MainMenu->actions().size(), 1);
        QCOMPARE(editor.varia->title(), QStringLiteral("&Variablen"));
        QStringList items;
        for (QAction* item : editor.varia->actions())
            items << (item->isSeparator() ? QStringLiteral("-") : item->objectName() + " " + item->text());
        QCOMPARE(items,
                 (QStringList{"variable_vorname &Vorname", "variable_nachname &Nachname",
                              "variable_tovalinero &Tovalinero", "variable_strasse &Strasse",
                              "variable_plz &PLZ", "variable_wohnort &Wohnort",
                              "variable_email &eMail-Adresse", "-", "variable_absendername &Absendername"}));
        QCOMPARE(editor.Command1->text(), QStringLiteral("&Standard speichern"));
        QCOMPARE(editor.Command2->text(), QStringLiteral("&Übernehmen"));
        QCOMPARE(editor.Command3->text(), QStringLiteral("&Abbrechen"));
        QVERIFY(editor.Command1->isVisible());
        QVERIFY(!editor.Command2->isVisible());
        // The editing area fills the width under the menu bar; the band and its line below it.
        const QRect client = editor.contentsRect();
        QCOMPARE(editor.HTMLed1->geometry().topLeft(), client.topLeft());
        QCOMPARE(editor.HTMLed1->width(), client.width());
        QVERIFY(editor.MainMenu->geometry().bottom() < client.top());
        QVERIFY(editor.picBottom->painted());
        const auto& band = editor.picBottom->vertices();
        QCOMPARE(static_cast<uint16_t>(band[0].blue), uint16_t(162 << 8));
        QCOMPARE(static_cast<uint16_t>(band[1].green), uint16_t(172 << 8));
        QCOMPARE(band[1].x, editor.picBottom->width());
        QCOMPARE(editor.Line1->X2(), editor.picBottom->width());
        QVERIFY(editor.Line1->Y1() < editor.picBottom->y());
        // The shipped template is in the document, its placeholders shown in angle brackets.
        QVERIFY(editor.HTMLed1->Editor()->toPlainText().contains("Hallo <VORNAME> <NACHNAME>,"));
        editor.Command3->click();
    });
    QVERIFY(opened);
    QVERIFY(!Forms::Loaded<HTML_Editor>());
    QVERIFY(prompt().messages.isEmpty());
}

void HtmlEditorTest::placeholderItemInsertsItsText_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("stored");
    QTest::addRow("Vorname") << "variable_vorname"
                             << "&lt;VORNAME&gt;";
    QTest::addRow("Nachname") << "variable_nachname"
                              << "&lt;NACHNAME&gt;";
    QTest::addRow("Tovalinero") << "variable_tovalinero"
                                << "&lt;TOVALINERO&gt;";
    QTest::addRow("Strasse") << "variable_strasse"
                             << "&lt;STRASSE&gt;";
    QTest::addRow("PLZ") << "variable_plz"
                         << "&lt;PLZ&gt;";
    QTest::addRow("Wohnort") << "variable_wohnort"
                             << "&lt;WOHNORT&gt;";
    QTest::addRow("eMail-Adresse") << "variable_email"
                                   << "&lt;EMAIL&gt;";
    QTest::addRow("Absendername") << "variable_absendername"
                                  << "&lt;ABSENDERNAME&gt;";
}

void HtmlEditorTest::placeholderItemInsertsItsText()
{
    QFETCH(QString, item);
    QFETCH(QString, stored);
    QString shown;
    openTemplate([&](HTML_Editor& editor) {
        editor.HTMLed1->SetDocumentHTML(QString());
        typeText(editor, "[");
        editor.findChild<QAction*>(item)->trigger();
        typeText(editor, "]");
        shown = editor.HTMLed1->Editor()->toPlainText();
        editor.Command1->click();
    });
    QString unescaped = stored;
    unescaped.replace("&lt;", "<").replace("&gt;", ">");
    QCOMPARE(shown, "[" + unescaped + "]");
    const QString file = DecodeCp1252(templateBytes());
    QVERIFY2(file.contains("[" + stored + "]"), qPrintable(file));
    QVERIFY(!Forms::Loaded<HTML_Editor>());
    QVERIFY(prompt().messages.isEmpty());
}

void HtmlEditorTest::placeholderTakesTheFormatAtTheCaret()
{
    openTemplate([&](HTML_Editor& editor) {
        editor.HTMLed1->SetDocumentHTML(QString());
        editor.HTMLed1->Format()->Bold->trigger();
        typeText(editor, "Liebe ");
        editor.variable_vorname->trigger();
        editor.Command1->click();
    });
    const QString file = DecodeCp1252(templateBytes());
    QCOMPARE(file, QStringLiteral("<div><b>Liebe &lt;VORNAME&gt;</b></div>"));
}

void HtmlEditorTest::savedTemplateIsTheNextStandardGreeting()
{
    const QString typed = QStringLiteral(", alles Gute ") + Smiley + QStringLiteral(" und Grüße von Ősz!");
    openTemplate([&](HTML_Editor& editor) {
        editor.HTMLed1->SetDocumentHTML(QString());
        typeText(editor, "Liebe ");
        editor.variable_vorname->trigger();
        typeText(editor, typed);
        editor.Command1->click();
    });
    const QByteArray bytes = templateBytes();
    QVERIFY(bytes.contains("Liebe &lt;VORNAME&gt;, alles Gute &#x1F600; und Gr\xfc\xdf"
                           "e von &#x150;sz!"));
    QVERIFY(!bytes.contains('?'));
    QVERIFY(!bytes.toLower().contains("charset"));
    QCOMPARE(bytes.count("\n"), bytes.count("\r\n"));

    const ProgramFolderFixture& folder = *fixture_->folder;
    folder.setSetting(Settings::SmtpFromAddress, "absender@example.org");
    folder.setSetting(Settings::SmtpServer, "127.0.0.1");
    folder.setSetting(Settings::GreetingSubject, "Herzlichen Glückwunsch");
    SmtpServer server;
    QVERIFY(server.start({}));
    SmtpControl::SetPortOverrideForTests(server.port());
    using namespace Globale_Variablen;
    PersonFirstName = "Anna";
    PersonLastName = "Meier";
    PersonBirthday = "01.02.1980";
    PersonEmail = "anna@example.org";
    erinnerung1& window = Forms::Get<erinnerung1>();
    window.show();
    for (QAction* entry : window.Command1->menu()->actions())
        if (entry->objectName() == QLatin1String("standardtext"))
            entry->trigger();
    QCoreApplication::processEvents(); // the entries run queued
    QVERIFY2(prompt().messages.isEmpty(), qPrintable(prompt().texts().join('|')));
    QCOMPARE(server.messages().size(), 1);
    const QString html = SmtpServer::HtmlPart(server.messages().first());
    QVERIFY2(html.contains("Liebe Anna, alles Gute &#x1F600;"), qPrintable(html));
    QTextDocument shown;
    shown.setHtml(html);
    QVERIFY2(shown.toPlainText().contains("Liebe Anna" + typed), qPrintable(shown.toPlainText()));
}

void HtmlEditorTest::shippedTemplateKeepsItsPlaceholders()
{
    openTemplate([](HTML_Editor& editor) { editor.Command1->click(); });
    const QString file = DecodeCp1252(templateBytes());
    for (const char* placeholder :
         {"&lt;VORNAME&gt;", "&lt;NACHNAME&gt;", "&lt;TOVALINERO&gt;", "&lt;EMAIL&gt;", "&lt;STRASSE&gt;",
          "&lt;PLZ&gt;", "&lt;WOHNORT&gt;", "&lt;ABSENDERNAME&gt;"})
        QVERIFY2(file.contains(QLatin1String(placeholder)), placeholder);
    QVERIFY(file.contains("Herzliche Grüße"));
    QVERIFY(!file.contains("charset", Qt::CaseInsensitive));
}

void HtmlEditorTest::missingTemplateStartsEmpty()
{
    QVERIFY(QFile::remove(templatePath()));
    QString shown = "?";
    openTemplate([&](HTML_Editor& editor) {
        shown = editor.HTMLed1->Editor()->toPlainText();
        typeText(editor, "Neuer Gruß");
        editor.Command1->click();
    });
    QCOMPARE(shown, QString());
    QVERIFY(prompt().messages.isEmpty());
    QVERIFY(DecodeCp1252(templateBytes()).contains("Neuer Gruß"));
}

void HtmlEditorTest::unreadableTemplateIsReported_data()
{
    QTest::addColumn<bool>("pipe");
    QTest::addRow("a folder in its place") << false;
    QTest::addRow("a pipe in its place, which would never end") << true;
}

void HtmlEditorTest::unreadableTemplateIsReported()
{
    QFETCH(bool, pipe);
    QVERIFY(QFile::remove(templatePath()));
    if (pipe)
        QCOMPARE(mkfifo(QFile::encodeName(templatePath()).constData(), 0600), 0);
    else
        QVERIFY(QDir().mkpath(templatePath()));
    QString shown = "?";
    openTemplate([&](HTML_Editor& editor) {
        shown = editor.HTMLed1->Editor()->toPlainText();
        editor.Command3->click();
    });
    QCOMPARE(shown, QString());
    QCOMPARE(prompt().messages.size(), 1);
    QVERIFY(prompt().messages[0].text.startsWith("Der Standard-Text konnte nicht gelesen werden:\n"));
    QVERIFY(prompt().messages[0].text.contains("standard.html"));
    QCOMPARE(prompt().messages[0].icon, MsgIcon::Exclamation);
    QVERIFY(QFileInfo::exists(templatePath()) && !QFileInfo(templatePath()).isFile());
}

void HtmlEditorTest::failedSaveKeepsTheWindowAndItsText_data()
{
    QTest::addColumn<QString>("cause");
    QTest::addRow("data folder gone") << "gone";
    QTest::addRow("a folder in the template's place") << "folder";
    QTest::addRow("disk full") << "full";
    QTest::addRow("read-only template") << "readonly file";
    QTest::addRow("read-only data folder") << "readonly folder";
}

void HtmlEditorTest::failedSaveKeepsTheWindowAndItsText()
{
    QFETCH(QString, cause);
    const QByteArray before = templateBytes();
    const QString data = fixture_->folder->folder() + "/daten";
    const QStringList files = QDir(data).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    const QString locked = cause == "readonly file" ? templatePath() : data;
    const QFileDevice::Permissions permissions = QFile::permissions(locked);
    const auto unlock = [&] { QFile::setPermissions(locked, permissions); };
    if (cause.startsWith("readonly")) {
        QVERIFY(QFile::setPermissions(
            locked, QFileDevice::ReadOwner | QFileDevice::ReadUser |
                        (cause == "readonly folder" ? QFileDevice::ExeOwner : QFileDevice::Permissions())));
        if (QFileInfo(locked).isWritable()) {
            unlock();
            QSKIP("This user may write read-only files (root).");
        }
    }
    bool stillOpen = false;
    QString text;
    openTemplate([&](HTML_Editor& editor) {
        editor.HTMLed1->SetDocumentHTML("<p>Geändert</p>");
        if (cause == "gone")
            QVERIFY(QDir(fixture_->folder->folder()).rename("daten", "daten-weg"));
        if (cause == "folder")
            QVERIFY(QFile::rename(templatePath(), templatePath() + ".alt") && QDir().mkpath(templatePath()));
        {
            std::optional<FileSizeLimit> diskFull;
            if (cause == "full")
                diskFull.emplace(10); // less than the stored text
            editor.Command1->click();
        }
        stillOpen = Forms::Loaded<HTML_Editor>() == &editor && editor.isVisible();
        text = editor.HTMLed1->Editor()->toPlainText();
        if (cause == "gone")
            QVERIFY(QDir(fixture_->folder->folder()).rename("daten-weg", "daten"));
        if (cause == "folder")
            QVERIFY(QDir(templatePath()).removeRecursively() &&
                    QFile::rename(templatePath() + ".alt", templatePath()));
        editor.Command3->click();
    });
    unlock();
    QVERIFY(stillOpen);
    QCOMPARE(text, QStringLiteral("Geändert"));
    QCOMPARE(prompt().messages.size(), 1);
    const MessageRequest& box = prompt().messages[0];
    QVERIFY2(box.text.startsWith("Der Standard-Text konnte nicht gespeichert werden:\n"),
             qPrintable(box.text));
    QVERIFY(box.text.contains("standard.html"));
    QCOMPARE(box.icon, MsgIcon::Critical);
    QCOMPARE(templateBytes(), before);
    QCOMPARE(QDir(data).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), files);
}

void HtmlEditorTest::cancelChangesNeitherTemplateNorField_data()
{
    QTest::addColumn<bool>("standard");
    QTest::addColumn<QString>("how");
    for (const bool isTemplate : {true, false})
        for (const char* how : {"Abbrechen", "Esc", "frame"})
            QTest::addRow("%s, %s", isTemplate ? "template" : "own greeting", how) << isTemplate << how;
}

void HtmlEditorTest::cancelChangesNeitherTemplateNorField()
{
    QFETCH(bool, standard);
    QFETCH(QString, how);
    const auto act = [&](HTML_Editor& editor) {
        typeText(editor, "geändert");
        if (how == "Abbrechen")
            editor.Command3->click();
        else if (how == "Esc")
            QTest::keyClick(editor.HTMLed1->Editor(), Qt::Key_Escape);
        else
            editor.close();
        QVERIFY(!editor.isVisible());
    };
    const QByteArray before = templateBytes();
    if (standard)
        openTemplate(act);
    else
        QCOMPARE(editOwnGreeting(act), QStringLiteral("<p>Gruß</p>"));
    QCOMPARE(templateBytes(), before);
    QVERIFY(!Forms::Loaded<HTML_Editor>());
    QVERIFY(prompt().messages.isEmpty());
}

void HtmlEditorTest::storableHtml_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("stored");
    QTest::addRow("emoji, one reference for the pair") << "a" + Smiley + "b"
                                                       << "a&#x1F600;b";
    QTest::addRow("letter outside the code page") << QString::fromUtf8("\xC5\x91") << "&#x151;";
    QTest::addRow("Windows-1252 characters stay") << QString::fromUtf8("\xE2\x82\xAC \xC3\xBC \xC2\xA0")
                                                  << QString::fromUtf8("\xE2\x82\xAC \xC3\xBC \xC2\xA0");
    QTest::addRow("a lone surrogate") << QString(QChar(0xD83D)) << "&#xFFFD;";
    QTest::addRow("Qt's charset declaration goes")
        << "<head><meta name=\"qrichtext\" content=\"1\" /><meta charset=\"utf-8\" /><style>"
        << "<head><meta name=\"qrichtext\" content=\"1\" /><style>";
}

void HtmlEditorTest::storableHtml()
{
    QFETCH(QString, html);
    QFETCH(QString, stored);
    QCOMPARE(WithCharacterReferences(WithoutCharsetDeclaration(html)), stored);
}

void HtmlEditorTest::handBackHtml_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("field");
    QTest::addRow("&nbsp; becomes a blank") << "a&nbsp;b&nbsp;&nbsp;c"
                                            << "a b  c";
    QTest::addRow("so does the character itself") << QString("a") + QChar::Nbsp + "b"
                                                  << "a b";
    QTest::addRow("other capitals stay") << "a&NBSP;b"
                                         << "a&NBSP;b";
    QTest::addRow("CR goes, LF stays") << "<p>a</p>\r\n<p>b</p>\r"
                                       << "<p>a</p>\n<p>b</p>";
    QTest::addRow("~ and TAB as references") << "a~b\tc"
                                             << "a&#126;b&#9;c";
}

void HtmlEditorTest::handBackHtml()
{
    QFETCH(QString, html);
    QFETCH(QString, field);
    QCOMPARE(HandBackHtml(html), field);
}

void HtmlEditorTest::ownGreetingGoesBackIntoTheListFile_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("inField");
    QTest::addColumn<QString>("shown");
    QTest::addRow("non-breaking spaces") << QString("a") + QChar::Nbsp + "b"
                                         << "a b"
                                         << "a b";
    QTest::addRow("~ and TAB") << "x~y\tz"
                               << "x&#126;y&#9;z"
                               << "x~y\tz";
    QTest::addRow("emoji") << "Alles Gute " + Smiley << "Alles Gute &#x1F600;"
                           << "Alles Gute " + Smiley;
    QTest::addRow("several lines") << "Zeile 1\nZeile 2"
                                   << "Zeile 2"
                                   << "Zeile 1\nZeile 2";
}

void HtmlEditorTest::ownGreetingGoesBackIntoTheListFile()
{
    QFETCH(QString, typed);
    QFETCH(QString, inField);
    QFETCH(QString, shown);
    QString opened;
    const QString field = editOwnGreeting(
        [&](HTML_Editor& editor) {
            QVERIFY(editor.Command2->isVisible());
            QVERIFY(!editor.Command1->isVisible());
            opened = editor.HTMLed1->Editor()->toPlainText();
            editor.HTMLed1->Editor()->selectAll();
            typeText(editor, typed);
            editor.Command2->click();
        },
        true);
    QCOMPARE(opened, QStringLiteral("Gruß"));
    QVERIFY2(field.contains(inField), qPrintable(field));
    QVERIFY(!field.contains('\r'));
    QVERIFY(!field.contains(QChar::Nbsp));
    QVERIFY(!field.contains("&nbsp;"));
    if (typed.contains('\n'))
        QVERIFY(field.contains('\n'));
    // The entry form took it over and the list file kept its shape.
    QVERIFY2(prompt().messages.isEmpty(), qPrintable(prompt().texts().join('|')));
    const QStringList lines = listFileLines();
    QCOMPARE(lines.size(), 1);
    const QStringList fields = lines[0].split('~');
    QCOMPARE(fields.size(), 10);
    QCOMPARE(fields[5], field);
    QCOMPARE(fields[9], QStringLiteral("anna@example.org"));
    QTextDocument greeting;
    greeting.setHtml(fields[5]);
    QCOMPARE(greeting.toPlainText(), shown);
}

void HtmlEditorTest::formatting_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("expected");
    QTest::addRow("bold") << "Bold"
                          << "bold";
    QTest::addRow("italic") << "Italic"
                            << "italic";
    QTest::addRow("underline") << "Underline"
                               << "underline";
    QTest::addRow("centred") << "AlignCenter"
                             << "centre";
    QTest::addRow("right") << "AlignRight"
                           << "right";
    QTest::addRow("justified") << "AlignJustify"
                               << "justify";
    QTest::addRow("list") << "List"
                          << "list";
}

void HtmlEditorTest::formatting()
{
    QFETCH(QString, action);
    QFETCH(QString, expected);
    HTMLed ed;
    ed.SetDocumentHTML("<p>Hallo Welt</p><p>Zweite Zeile</p>");
    ed.Editor()->selectAll();
    QAction* command = ed.findChild<QAction*>(action);
    QVERIFY(command);
    command->trigger();
    const QTextCharFormat format = formatAt(ed, 2);
    const QTextBlock second = ed.Editor()->document()->lastBlock();
    const auto check = [&](bool on) {
        if (expected == "bold")
            QCOMPARE(format.fontWeight() >= QFont::Bold, on);
        else if (expected == "italic")
            QCOMPARE(format.fontItalic(), on);
        else if (expected == "underline")
            QCOMPARE(format.fontUnderline(), on);
        else if (expected == "centre")
            QCOMPARE(bool(second.blockFormat().alignment() & Qt::AlignHCenter), on);
        else if (expected == "right")
            QCOMPARE(bool(second.blockFormat().alignment() & Qt::AlignRight), on);
        else if (expected == "justify")
            QCOMPARE(bool(second.blockFormat().alignment() & Qt::AlignJustify), on);
        else
            QCOMPARE(second.textList() != nullptr, on);
    };
    check(true);
    QVERIFY(command->isChecked());
    if (command->isCheckable() && expected != "centre" && expected != "right" && expected != "justify") {
        command->trigger();
        const QTextCharFormat after = formatAt(ed, 2);
        if (expected == "list")
            QVERIFY(!ed.Editor()->document()->lastBlock().textList());
        else
            QCOMPARE(after.fontWeight() >= QFont::Bold || after.fontItalic() || after.fontUnderline(), false);
        QVERIFY(!command->isChecked());
    }
}

void HtmlEditorTest::fontDialog_data()
{
    QTest::addColumn<bool>("chosen");
    QTest::addRow("font chosen") << true;
    QTest::addRow("dialog cancelled") << false;
}

void HtmlEditorTest::fontDialog()
{
    QFETCH(bool, chosen);
    HTMLed ed;
    ed.SetDocumentHTML("<p><span style=\"color:#ff0000;\">Hallo Welt</span></p>");
    ed.Editor()->selectAll();
    const QTextCharFormat before = formatAt(ed, 2);
    QFont font(QStringLiteral("Courier New"), 14);
    font.setBold(true);
    font.setItalic(true);
    font.setUnderline(true);
    font.setStrikeOut(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    prompt().fontAnswers = {chosen ? std::optional<QFont>(font) : std::nullopt};
    ed.Format()->Font->trigger();
    QVERIFY(prompt().fontAnswers.isEmpty());
    const QTextCharFormat after = formatAt(ed, 2);
    QCOMPARE(after.foreground().color(), QColor(Qt::red));
    if (!chosen) {
        QCOMPARE(after.properties(), before.properties());
        return;
    }
    QCOMPARE(after.fontFamilies().toStringList(), QStringList{"Courier New"});
    QCOMPARE(after.fontPointSize(), 14.0);
    QCOMPARE(after.fontWeight(), int(QFont::Bold));
    QVERIFY(after.fontItalic());
    QVERIFY(after.fontUnderline());
    QVERIFY(after.fontStrikeOut());
    QVERIFY(!after.hasProperty(QTextFormat::FontLetterSpacing));
}

void HtmlEditorTest::colourDialog_data()
{
    QTest::addColumn<bool>("chosen");
    QTest::addRow("colour chosen") << true;
    QTest::addRow("dialog cancelled") << false;
}

void HtmlEditorTest::colourDialog()
{
    QFETCH(bool, chosen);
    HTMLed ed;
    ed.SetDocumentHTML("<p><b>Hallo Welt</b></p>");
    ed.Editor()->selectAll();
    const QTextCharFormat before = formatAt(ed, 2);
    prompt().colorAnswers = {chosen ? std::optional<QColor>(QColor(0, 0, 255)) : std::nullopt};
    ed.Format()->Color->trigger();
    const QTextCharFormat after = formatAt(ed, 2);
    QCOMPARE(after.fontWeight(), int(QFont::Bold));
    if (chosen)
        QCOMPARE(after.foreground().color(), QColor(0, 0, 255));
    else
        QCOMPARE(after.properties(), before.properties());
    QCOMPARE(ed.DocumentHTML().contains("color:#0000ff"), chosen);
}

void HtmlEditorTest::enlargingScalesTheControls()
{
    int menu = 0;
    QRect editorPlace;
    openTemplate([&](HTML_Editor& editor) {
        menu = editor.contentsRect().top();
        QCOMPARE(editor.contentsRect().size(), QSize(720, 480));
        editor.resize(1080, 720 + menu); // 150 percent each way
        QCOMPARE(editor.contentsRect().size(), QSize(1080, 720));
        QCOMPARE(editor.HTMLed1->geometry(), QRect(0, menu, 1080, 600));
        QCOMPARE(editor.Command1->geometry(), QRect(654, menu + 637, 225, 48));
        QCOMPARE(editor.Command3->geometry(), QRect(894, menu + 637, 165, 48));
        QCOMPARE(editor.picBottom->geometry(), QRect(0, menu + 603, 1080, 117));
        QCOMPARE(editor.MainMenu->width(), 1080);
        // The band is painted again across its new width and the line follows it.
        QCOMPARE(editor.picBottom->vertices()[1].x, 1080);
        QCOMPARE(editor.picBottom->vertices()[1].y, 117);
        QCOMPARE(editor.Line1->X2(), 1080);
        QCOMPARE(editor.Line1->Y1(), menu + 600);
        // The text area inside the editing control grows with it.
        QVERIFY(editor.HTMLed1->Editor()->height() > 500);
        editor.Command3->click();
    });
    QVERIFY(menu > 0);
    // Opened again: scaled against the first opening's layout, so at its designed places.
    openTemplate([&](HTML_Editor& editor) {
        editorPlace = editor.HTMLed1->geometry();
        editor.Command3->click();
    });
    QCOMPARE(editorPlace, QRect(0, menu, 720, 400));
}

void HtmlEditorTest::keyboardAndAccessibleNames()
{
    openTemplate([&](HTML_Editor& editor) {
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QTextEdit* text = editor.HTMLed1->Editor();
        QVERIFY(text->hasFocus());
        const auto name = [](QObject* object) {
            return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name);
        };
        QCOMPARE(name(text), QStringLiteral("Grußtext"));
        QCOMPARE(name(editor.Command1), QStringLiteral("Standard speichern"));
        QCOMPARE(name(editor.Command3), QStringLiteral("Abbrechen"));
        QStringList bar;
        for (QAction* action : editor.HTMLed1->FormatBar()->actions()) {
            if (action->isSeparator())
                continue;
            QWidget* button = editor.HTMLed1->FormatBar()->widgetForAction(action);
            QVERIFY(button->focusPolicy() & Qt::TabFocus);
            QVERIFY(!action->shortcut().isEmpty());
            bar << name(button);
        }
        for (QToolButton* button : editor.HTMLed1->FormatBar()->findChildren<QToolButton*>())
            QVERIFY2(!name(button).isEmpty(), qPrintable(button->objectName()));
        QCOMPARE(bar, (QStringList{"Fett", "Kursiv", "Unterstrichen", "Schriftart", "Schriftfarbe",
                                   "Linksbündig", "Zentriert", "Rechtsbündig", "Blocksatz", "Aufzählung"}));
        // Formatting by key, then on to the buttons with Tab.
        editor.HTMLed1->SetDocumentHTML("<p>Hallo</p>");
        text->selectAll();
        QTest::keyClick(text, Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(formatAt(*editor.HTMLed1, 1).fontWeight(), int(QFont::Bold));
        QTest::keyClick(text, Qt::Key_Tab);
        QVERIFY(editor.Command1->hasFocus());
        QCOMPARE(text->toPlainText(), QStringLiteral("Hallo"));
        editor.Command3->click();
    });
}

void HtmlEditorTest::compactHtml_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("stored");
    QTest::addRow("bold and a new paragraph") << "Liebe {B}Anna{B},{Enter}alles Gute!"
                                              << "<div>Liebe <b>Anna</b>,<br>\nalles Gute!</div>";
    QTest::addRow("line break inside a paragraph") << "eins{ShiftEnter}zwei"
                                                   << "<div>eins<br>\nzwei</div>";
    QTest::addRow("bold across a line break") << "{B}a{ShiftEnter}b{B}"
                                              << "<div><b>a<br>\nb</b></div>";
    QTest::addRow("italic, underline, strike-through") << "{I}k{I} {U}u{U} {S}d{S}"
                                                       << "<div><i>k</i> <u>u</u> <s>d</s></div>";
    QTest::addRow("font and size")
        << "a{Font:Courier New:14}b"
        << "<div>a<span style=\"font-family:'Courier New';font-size:14pt;\">b</span></div>";
    QTest::addRow("the editor's own font chosen") << "a{Font:Arial:11}b"
                                                  << "<div>ab</div>";
    QTest::addRow("colour") << "{Color:#0000ff}blau"
                            << "<div><span style=\"color:#0000ff;\">blau</span></div>";
    QTest::addRow("alignment") << "links{Enter}{Center}mitte{Enter}{Right}rechts{Enter}{Justify}block"
                               << "<div>links</div>\n<div align=\"center\">mitte</div>\n"
                                  "<div align=\"right\">rechts</div>\n<div align=\"justify\">block</div>";
    QTest::addRow("list") << "davor{Enter}{List}eins{Enter}zwei{Enter}{List}danach"
                          << "<div>davor</div>\n<ul style=\"margin-top:0;margin-bottom:0;\"><li>eins</li>"
                             "<li>zwei</li></ul>\n<div>danach</div>";
    QTest::addRow("empty lines") << "{Enter}a{Enter}{Enter}b{Enter}{Enter}"
                                 << "<div><br>\na<br>\n<br>\nb<br>\n<br>\n</div>";
    QTest::addRow("empty line before centred text") << "a{Enter}{Enter}{Center}c"
                                                    << "<div>a</div>\n<div align=\"center\"><br>\nc</div>";
    QTest::addRow("blanks and TAB kept") << "a  b{Enter} eingerückt{Enter}Tab\tx"
                                         << "<div style=\"white-space:pre-wrap;\">a  b<br> eingerückt<br>"
                                            "Tab&#9;x</div>";
    QTest::addRow("blank at the end of a line") << "Hallo {ShiftEnter}x"
                                                << "<div>Hallo <br>\nx</div>";
    QTest::addRow("placeholder, and what the list file cannot hold")
        << QString("{VORNAME} ~ a") + QChar::Nbsp + "b Ősz " + Smiley
        << "<div>&lt;VORNAME&gt; &#126; a&#160;b &#x150;sz &#x1F600;</div>";
    QTest::addRow("markup characters typed") << "a < b & c > d \"q\""
                                             << "<div>a &lt; b &amp; c &gt; d \"q\"</div>";
    QTest::addRow("empty document") << ""
                                    << "";
}

// Only what the user formatted is stored, and reading it again shows the same.
void HtmlEditorTest::compactHtml()
{
    QFETCH(QString, script);
    QFETCH(QString, stored);
    HTMLed ed;
    ed.SetDocumentHTML(QString());
    play(ed, script, prompt());
    const QString html = ed.DocumentHTML();
    QCOMPARE(html, stored);
    verifyCompact(html);
    HTMLed again;
    again.SetDocumentHTML(html);
    verifyRenderedAlike(*ed.Editor()->document(), *again.Editor()->document());
    QCOMPARE(again.DocumentHTML(), html);
}

void HtmlEditorTest::greetingKeepsItsFormattingThroughStoring_data()
{
    QTest::addColumn<bool>("standard");
    QTest::addRow("template") << true;
    QTest::addRow("own greeting") << false;
}

// Written in the editor, stored in the template file or the list file, opened again: the same
// greeting, and nothing of Qt's own document in the file.
void HtmlEditorTest::greetingKeepsItsFormattingThroughStoring()
{
    QFETCH(bool, standard);
    const QString script = "Liebe {B}Anna{B},{Enter}alles Gute{ShiftEnter}von {VORNAME}";
    std::unique_ptr<QTextDocument> written;
    std::unique_ptr<QTextDocument> read;
    const auto write = [&](HTML_Editor& editor) {
        editor.HTMLed1->SetDocumentHTML(QString());
        play(*editor.HTMLed1, script, prompt());
        written.reset(editor.HTMLed1->Editor()->document()->clone());
        (standard ? editor.Command1 : editor.Command2)->click();
    };
    const auto readBack = [&](HTML_Editor& editor) {
        read.reset(editor.HTMLed1->Editor()->document()->clone());
        editor.Command3->click();
    };
    QString stored;
    if (standard) {
        openTemplate(write);
        QVERIFY(readTemplate(&stored));
        openTemplate(readBack);
    } else {
        editOwnGreeting(write, true);
        const QStringList lines = listFileLines();
        QCOMPARE(lines.size(), 1);
        stored = lines[0].split('~').value(5);
        fixture_->form().LoadBirthdayList();
        QCOMPARE(editFirstPersonsGreeting(readBack, false), stored);
    }
    QVERIFY2(prompt().messages.isEmpty(), qPrintable(prompt().texts().join('|')));
    QVERIFY(written && read);
    verifyCompact(stored);
    QVERIFY2(stored.contains("Liebe <b>Anna</b>,<br>") && stored.contains("&lt;VORNAME&gt;"),
             qPrintable(stored));
    verifyRenderedAlike(*written, *read);
}

// The shipped template, a whole document with spaced paragraphs, saved as it is.
void HtmlEditorTest::shippedTemplateSavedLooksTheSame()
{
    std::unique_ptr<QTextDocument> shipped;
    std::unique_ptr<QTextDocument> saved;
    openTemplate([&](HTML_Editor& editor) {
        shipped.reset(editor.HTMLed1->Editor()->document()->clone());
        editor.Command1->click();
    });
    const QString stored = DecodeCp1252(templateBytes()).replace("\r\n", "\n");
    openTemplate([&](HTML_Editor& editor) {
        saved.reset(editor.HTMLed1->Editor()->document()->clone());
        editor.Command3->click();
    });
    QVERIFY(shipped && saved);
    verifyCompact(stored);
    QVERIFY2(stored.startsWith("<p>Hallo &lt;VORNAME&gt; &lt;NACHNAME&gt;,"), qPrintable(stored));
    verifyRenderedAlike(*shipped, *saved);
}

void HtmlEditorTest::greetingStoredByEarlierVersionsStillLoads_data()
{
    QTest::addColumn<bool>("standard");
    QTest::addRow("template") << true;
    QTest::addRow("own greeting") << false;
}

// Qt's whole document, as earlier versions stored it, opens as the greeting it was, and is
// stored compact once taken over again.
void HtmlEditorTest::greetingStoredByEarlierVersionsStillLoads()
{
    QFETCH(bool, standard);
    HTMLed original;
    original.SetDocumentHTML(QString());
    play(original, "Liebe {B}Anna{B},{Enter}{Center}alles Gute{ShiftEnter}{Color:#ff0000}von {VORNAME}",
         prompt());
    const QString old = WithCharacterReferences(WithoutCharsetDeclaration(original.Editor()->toHtml()));
    QVERIFY(old.contains("qrichtext") && old.contains("-qt-"));
    std::unique_ptr<QTextDocument> read;
    QString shownInField;
    const auto openAndTakeOver = [&](HTML_Editor& editor) {
        read.reset(editor.HTMLed1->Editor()->document()->clone());
        (standard ? editor.Command1 : editor.Command2)->click();
    };
    QString stored;
    if (standard) {
        fixture_->folder->writeBytes(templatePath(), EncodeCp1252(QString(old).replace("\n", "\r\n")));
        openTemplate(openAndTakeOver);
        stored = DecodeCp1252(templateBytes()).replace("\r\n", "\n");
    } else {
        fixture_->writeList({person(HandBackHtml(old))});
        fixture_->form().LoadBirthdayList();
        stored = editFirstPersonsGreeting(openAndTakeOver, false);
    }
    QVERIFY2(prompt().messages.isEmpty(), qPrintable(prompt().texts().join('|')));
    QVERIFY(read);
    verifyRenderedAlike(*original.Editor()->document(), *read);
    verifyCompact(stored);
    QVERIFY2(stored.contains("Liebe <b>Anna</b>,"), qPrintable(stored));
}

void HtmlEditorTest::writtenOrPastedDocumentKeepsItsLook_data()
{
    QTest::addColumn<QString>("html");
    QTest::addRow("table with borders, widths and cell colours")
        << "<p>Liebe &lt;VORNAME&gt;,</p><table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" "
           "width=\"80%\" "
           "style=\"border-color:#ff0000;border-collapse:collapse\"><tr><td width=\"30%\" "
           "bgcolor=\"#00ff00\">Tag</td><td style=\"background-color:#0000ff\">Zeit</td></tr><tr><td "
           "colspan=\"2\">Ort</td></tr></table><p>Herzlich</p>";
    QTest::addRow("header row, spans, fixed widths, alignment, nested table")
        << "<table border=\"2\" cellpadding=\"3\" align=\"center\" bgcolor=\"#eeeeee\"><thead><tr><th "
           "width=\"120\">Kopf</th><th>Spalte</th></tr></thead><tr><td rowspan=\"2\" "
           "valign=\"bottom\">unten</td>"
           "<td align=\"right\">rechts</td></tr><tr><td><table border=\"1\" bgcolor=\"#123456\"><tr><td>"
           "<font color=\"#ffffff\">innen</font></td></tr></table></td></tr></table>";
    QTest::addRow("cell borders and paddings")
        << "<table cellspacing=\"0\"><tr><td style=\"padding-left:10px; padding-top:2px; border-bottom:3px; "
           "border-bottom-color:#0000ff; border-bottom-style:dashed\">a</td><td>b</td></tr></table>";
    QTest::addRow("table at the start and at the end")
        << "<table border=\"1\"><tr><td>allein</td></tr></table>";
    QTest::addRow("text right after a table")
        << "<table border=\"1\"><tr><td>a</td></tr></table>Viele Grüße<br>von <b>Anna</b>";
    QTest::addRow("blanks kept right after a table")
        << "<table border=\"1\"><tr><td>a</td></tr></table><span style=\"white-space:pre-wrap\">  zwei  "
           "Blanks</span>";
    QTest::addRow("empty line and text after a table")
        << "<table border=\"1\"><tr><td>a</td></tr></table><div><br>Gruß</div><div "
           "align=\"center\">Mitte</div>";
    QTest::addRow("two tables, text between them")
        << "<table border=\"1\"><tr><td>a</td></tr></table>zwischen<table "
           "border=\"1\"><tr><td>b</td></tr></table>";
    QTest::addRow("a cell of several lines and an empty cell")
        << "<table border=\"1\"><tr><td><p>eins</p><p>zwei</p>drei<br>vier</td><td></td></tr></table>";
    QTest::addRow("headings")
        << "<h1>Alles Gute</h1><h2>zum Tovalinero</h2><h3>von</h3><h4>uns</h4><h5>allen</h5>"
           "<h6>hier</h6><div>Text</div>";
    QTest::addRow("coloured paragraphs")
        << "<p style=\"background-color:#ffff00\">gelb</p><div style=\"background-color:#ccffcc\">eins<br>"
           "zwei</div><div style=\"background-color:#ccccff\">drei</div><div>ohne</div>";
    QTest::addRow("coloured text and text background")
        << "<div>ein <span style=\"background-color:#ff00ff\">markiertes</span> und ein <span "
           "style=\"color:rgba(255,0,0,0.5)\">blasses</span> Wort</div>";
    QTest::addRow("link and image references")
        << "<div><a href=\"https://example.org/?a=1&amp;b=2\">Seite</a> <img src=\"herz.png\" width=\"20\" "
           "height=\"20\" alt=\"Herz\" title=\"Ein Herz\"> <img src=\"file:///tmp/kerze.jpg\" "
           "style=\"vertical-align: middle;\"></div>";
    QTest::addRow("rule, indent, line height, preformatted, right to left")
        << "<div>oben</div><hr><hr width=\"50%\"><p style=\"margin-left:40px; margin-right:20px; "
           "text-indent:10px; line-height:150%\">eingerückt und weit gesetzt, lang genug, dass die Zeile "
           "umbricht und der Abstand sich zeigt</p><pre>vor  formatiert</pre><div dir=\"rtl\">rechts nach "
           "links</div><blockquote>Zitat</blockquote>";
    QTest::addRow("spacing of paragraphs")
        << "<p style=\"margin-top:4px; margin-bottom:20px\">eng oben</p><p>normal</p>";
    QTest::addRow("sub, super, overline, capitals, anchor")
        << "<div><a name=\"anfang\"></a>H<sub>2</sub>O, x<sup>2</sup>, <span "
           "style=\"text-decoration:overline\">oben</span>, <span "
           "style=\"font-variant:small-caps\">Kapitälchen</span>, <span "
           "style=\"text-transform:uppercase\">gross</span></div>";
    QTest::addRow("list with a coloured item")
        << "<ol type=\"A\"><li>eins</li><li "
           "style=\"background-color:#ffcc00\">zwei</li></ol><ul><li>drei</li>"
           "</ul>";
    QTest::addRow("page colour") << "<html><body bgcolor=\"#ffffcc\"><p>Auf Gelb</p></body></html>";
    QTest::addRow("empty paragraphs with spacing or a background")
        << "<p style=\"-qt-paragraph-type:empty; margin-top:12px; margin-bottom:12px;\"><br /></p>"
           "<p>Text</p><div style=\"-qt-paragraph-type:empty; background-color:#ffff00;\"><br /></div>"
           "<div>mehr</div>";
}

// A template written by hand or pasted: what the editor shows after storing and opening again is
// what it showed before, and the stored text holds nothing of Qt's own document.
void HtmlEditorTest::writtenOrPastedDocumentKeepsItsLook()
{
    QFETCH(QString, html);
    HTMLed ed;
    ed.SetDocumentHTML(html);
    const QString stored = ed.DocumentHTML();
    HTMLed again;
    again.SetDocumentHTML(stored);
    const QTextDocument& before = *ed.Editor()->document();
    const QTextDocument& after = *again.Editor()->document();
    QVERIFY2(shownBy(again) == shownBy(ed), qPrintable(stored));
    QCOMPARE(tablesOf(after), tablesOf(before));
    verifyRenderedAlike(before, after);
    QCOMPARE(again.DocumentHTML(), stored);
    for (const char* qtMarkup :
         {"qrichtext", "-qt-block-indent", "-qt-list-indent", "-qt-table-type", "DOCTYPE", "<html", "<head",
          "<style", "<meta", "margin-left:0", "text-indent:0", "\r", "~", "\t"})
        QVERIFY2(!stored.contains(QLatin1String(qtMarkup), Qt::CaseInsensitive),
                 qPrintable(qtMarkup + (": " + stored)));
    if (!html.contains("-qt-"))
        QVERIFY2(!stored.contains("-qt-"), qPrintable(stored));
    // Only a page colour needs the body element.
    QCOMPARE(stored.contains("<body"), html.contains("<body bgcolor"));
}

void HtmlEditorTest::handWrittenLineEndsAddNoBlanks_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("shown");
    QTest::addRow("line end at the end") << EncodeCp1252(QString::fromUtf8("<p>Herzliche Grüße</p>\r\n\r\n"))
                                         << QString::fromUtf8("Herzliche Grüße");
    QTest::addRow("line end before a table")
        << QByteArray("<h2>Hallo</h2>\r\n<table border=\"1\"><tr><td>Tag</td></tr></table>\r\n")
        << "Hallo\nTag\n";
}

// A template written by hand in an editor of Windows: its line ends add no blank to the text,
// which the user would find behind the last word or before a table.
void HtmlEditorTest::handWrittenLineEndsAddNoBlanks()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, shown);
    fixture_->folder->writeBytes(templatePath(), file);
    QString text;
    openTemplate([&](HTML_Editor& editor) {
        text = editor.HTMLed1->Editor()->toPlainText();
        editor.Command3->click();
    });
    QCOMPARE(text, shown);
}

void HtmlEditorTest::templateWithATableSavedAndReopened_data()
{
    QTest::addColumn<bool>("standard");
    QTest::addRow("template") << true;
    QTest::addRow("own greeting") << false;
}

// A greeting with a table and a cell colour, opened, saved (or taken over into the list file)
// and opened again: the editor shows the same document, and the file keeps its form.
void HtmlEditorTest::templateWithATableSavedAndReopened()
{
    QFETCH(bool, standard);
    const QString html =
        "<h2>Alles Gute, &lt;VORNAME&gt;!</h2><table border=\"1\" cellspacing=\"0\" "
        "cellpadding=\"6\" width=\"90%\"><tr><td width=\"40%\" bgcolor=\"#ffd700\"><b>Tag</b></td>"
        "<td>&lt;TOVALINERO&gt;</td></tr><tr><td bgcolor=\"#add8e6\">Ort</td><td>&lt;WOHNORT&gt; ~ "
        "Tab\there</td></tr></table><p style=\"background-color:#ffe4e1\">Herzlich, "
        "&lt;ABSENDERNAME&gt; " +
        Smiley + "</p>";
    std::unique_ptr<QTextDocument> opened;
    std::unique_ptr<QTextDocument> reopened;
    QImage openedShown;
    QImage reopenedShown;
    const auto openAndStore = [&](HTML_Editor& editor) {
        opened.reset(editor.HTMLed1->Editor()->document()->clone());
        openedShown = shownBy(*editor.HTMLed1);
        (standard ? editor.Command1 : editor.Command2)->click();
    };
    const auto look = [&](HTML_Editor& editor) {
        reopened.reset(editor.HTMLed1->Editor()->document()->clone());
        reopenedShown = shownBy(*editor.HTMLed1);
        editor.Command3->click();
    };
    QString stored;
    if (standard) {
        fixture_->folder->writeBytes(templatePath(), EncodeCp1252(WithCharacterReferences(html)));
        openTemplate(openAndStore);
        QVERIFY(readTemplate(&stored));
        openTemplate(look);
    } else {
        fixture_->writeList({person(HandBackHtml(WithCharacterReferences(html)))});
        fixture_->form().LoadBirthdayList();
        editFirstPersonsGreeting(openAndStore, true);
        const QStringList lines = listFileLines();
        QCOMPARE(lines.size(), 1);
        const QStringList fields = lines[0].split('~');
        QCOMPARE(fields.size(), 10);
        stored = fields[5];
        QVERIFY(!stored.contains('\t'));
        fixture_->form().LoadBirthdayList();
        editFirstPersonsGreeting(look, false);
    }
    QVERIFY2(prompt().messages.isEmpty(), qPrintable(prompt().texts().join('|')));
    QVERIFY(opened && reopened);
    QCOMPARE(tablesOf(*opened).size(), 1);
    QCOMPARE(tablesOf(*reopened), tablesOf(*opened));
    QVERIFY(!openedShown.isNull());
    QVERIFY2(reopenedShown == openedShown, qPrintable(stored));
    verifyRenderedAlike(*opened, *reopened);
    QVERIFY2(stored.contains("bgcolor=\"#ffd700\"") && stored.contains("&#x1F600;") &&
                 stored.contains("&lt;VORNAME&gt;"),
             qPrintable(stored));
    verifyCompact(stored);
}

QTEST_MAIN(HtmlEditorTest)
#include "tst_htmleditor.moc"
