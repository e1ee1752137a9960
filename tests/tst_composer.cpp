#include "common/coolbar.h"
#include "common/forms.h"
#include "common/mousepointer.h"
#include "common/sevtext.h"
#include "greetings/anlagen1.h"
#include "greetings/email_fenster.h"
#include "greetings/frmlog.h"
#include "greetings/smtpcontrol.h"
#include "settings/settingsfile.h"
#include "support/fakes.h"
#include "support/filesizelimit.h"
#include "support/programfolderfixture.h"
#include "support/smtpserver.h"
#include "support/sparsefile.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextList>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>
#include <sys/stat.h>

namespace
{

const QDateTime LastSecondOf2026(QDate(2026, 12, 31), QTime(23, 59, 59));
const QString CopyName = QStringLiteral("20261231 235959.eml");

QString accessibleName(QObject* object)
{
    return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name);
}

QTextCharFormat formatAt(QTextEdit* edit, int position)
{
    QTextCursor cursor(edit->document());
    cursor.setPosition(position + 1);
    return cursor.charFormat();
}

void select(QTextEdit* edit, int from, int to)
{
    QTextCursor cursor(edit->document());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    edit->setTextCursor(cursor);
}

// The file names of the message's attachments, in order.
QStringList attachmentNames(const QByteArray& message)
{
    static const QRegularExpression name(QStringLiteral("filename=\"?([^\";\r\n]*)"));
    QStringList names;
    for (const QRegularExpressionMatch& match : name.globalMatch(QString::fromUtf8(message)))
        names << match.captured(1);
    return names;
}

// The value of a header field of the message's own header, unfolded; empty when it is missing.
QString headerField(const QByteArray& message, const QByteArray& field)
{
    const QByteArray head = message.left(message.indexOf("\r\n\r\n"));
    const QList<QByteArray> lines = head.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].startsWith(field + ":"))
            continue;
        QByteArray value = lines[i].mid(field.size() + 1).trimmed();
        while (i + 1 < lines.size() && (lines[i + 1].startsWith(' ') || lines[i + 1].startsWith('\t')))
            value += ' ' + lines[++i].trimmed();
        return QString::fromUtf8(value);
    }
    return {};
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

} // namespace

class ComposerTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        FormRegistry::setProgramEndHandler([] {});
    }
    void init();
    void cleanup();

    void designedState();
    void toolbarComponent();
    void sendsTheFormattedMail();
    void priorityAndReadReceipt_data();
    void priorityAndReadReceipt();
    void attachmentsInListOrder();
    void failures_data();
    void failures();
    void copyThatCannotBeWrittenIsReported();
    void copyWhoseNameIsTakenGetsANumber_data();
    void copyWhoseNameIsTakenGetsANumber();
    void copiesAreTheOwnersAlone();
    void closingWhileTheServerAnswersKeepsTheMail();
    void serverLineMayNameThePort();
    void formattingButtons_data();
    void formattingButtons();
    void bullets();
    void dialogs_data();
    void dialogs();
    void insertMenu_data();
    void insertMenu();
    void attachmentEditorAddsAndHandsBack();
    void attachmentEditorFrameDiscards();
    void attachmentEditorRefusesWhatIsNoFile_data();
    void attachmentEditorRefusesWhatIsNoFile();
    void programEndWhileTheEditorIsOpen();
    void attachmentRemoval_data();
    void attachmentRemoval();
    void enlargingScalesTheControls();
    void keyboardAndAccessibleNames();
    void closingAsksOnlyForAnUnsentMessage_data();
    void closingAsksOnlyForAnUnsentMessage();
    void closingAnswers_data();
    void closingAnswers();

private:
    eMail_Fenster& open();
    void setAccount(const QString& server = QStringLiteral("127.0.0.1")) const;
    void write(eMail_Fenster& window, const QString& to, const QString& cc, const QString& subject,
               const QString& html);
    QString copyPath(const QString& name = CopyName) const { return folder_->data("emails/" + name); }
    QString logText() const { return Forms::Loaded<frmlog>() ? Forms::Loaded<frmlog>()->Text() : QString(); }
    FakePrompt& prompt() { return seams_->prompt; }

    std::unique_ptr<FakeSeams> seams_;
    std::unique_ptr<ProgramFolderFixture> folder_;
};

void ComposerTest::init()
{
    seams_ = std::make_unique<FakeSeams>();
    seams_->clock.set(LastSecondOf2026);
    folder_ = std::make_unique<ProgramFolderFixture>();
}

void ComposerTest::cleanup()
{
    Forms::Unload<anlagen1>();
    Forms::Unload<eMail_Fenster>();
    Forms::Unload<frmlog>();
    FlushDeletedWindows();
    SmtpControl::SetPortOverrideForTests(0);
    QVERIFY(SmtpControl::FinishPendingTransfers(20));
    folder_.reset();
    seams_.reset();
}

eMail_Fenster& ComposerTest::open()
{
    eMail_Fenster& window = Forms::Get<eMail_Fenster>();
    window.show();
    return window;
}

void ComposerTest::setAccount(const QString& server) const
{
    folder_->setSetting(Settings::SmtpFromName, QStringLiteral("Jürgen Sender"));
    folder_->setSetting(Settings::SmtpFromCompany, QStringLiteral("Muster GmbH"));
    folder_->setSetting(Settings::SmtpFromAddress, QStringLiteral("juergen@example.org"));
    folder_->setSetting(Settings::SmtpServer, server);
    folder_->setSetting(Settings::SmtpAuthRequired, QStringLiteral(" 0 "));
    // What the greetings use; the composer has its own buttons for these.
    folder_->setSetting(Settings::ReadReceiptRequested, QStringLiteral(" 1 "));
    folder_->setSetting(Settings::GreetingSubject, QStringLiteral("Alles Gute"));
}

void ComposerTest::write(eMail_Fenster& window, const QString& to, const QString& cc, const QString& subject,
                         const QString& html)
{
    window.sevEmail->SetText(to);
    window.sevEmailCC->SetText(cc);
    window.sevEmailBetreff->SetText(subject);
    window.RichTextBox1->setHtml(html);
}

// The window as it opens: fields, the 22 buttons with their start states, the insert menu.
void ComposerTest::designedState()
{
    eMail_Fenster& window = open();
    QCOMPARE(window.windowTitle(), QStringLiteral("eMail verfassen"));
    QCOMPARE(window.lblHeading->text(), QStringLiteral("eMail schreiben"));
    QCOMPARE(window.sevEmail->CaptionLabel()->text(), QStringLiteral("Empfänger:"));
    QCOMPARE(window.sevEmailCC->CaptionLabel()->text(), QStringLiteral("CC (Kopie):"));
    QCOMPARE(window.sevEmailBetreff->CaptionLabel()->text(), QStringLiteral("Betreff:"));
    for (SevText* field : {window.sevEmail, window.sevEmailCC, window.sevEmailBetreff}) {
        QVERIFY(field->Text().isEmpty());
        QCOMPARE(field->CaptionLabel()->buddy(), field->Edit());
    }
    QCOMPARE(window.Command16->text(), QStringLiteral("&Senden"));
    QVERIFY(!window.lblStatus->isVisible());
    QVERIFY(!window.xpProgress1->isVisible());
    QVERIFY(window.RichTextBox1->toPlainText().isEmpty());
    QCOMPARE(window.RichTextBox1->document()->defaultFont().family(), QStringLiteral("Arial"));
    QCOMPARE(window.lstAttachments->count(), 0);
    QVERIFY(window.MailPriority.isEmpty());
    QVERIFY(window.ReadReceipt.isNull());

    Coolbar* bar = window.Coolbar2;
    QCOMPARE(bar->Keys(), (QStringList{"fett",
                                       "kursiv",
                                       "unterstrichen",
                                       "durchgestrichen",
                                       "",
                                       "schriftart",
                                       "schriftfarbe",
                                       "",
                                       "aufzaehlung",
                                       "",
                                       "links",
                                       "mitte",
                                       "rechts",
                                       "",
                                       "",
                                       "anhang_ico",
                                       "",
                                       "hoch",
                                       "normal",
                                       "niedrig",
                                       "",
                                       "lesebestaetigung"}));
    // place, text, tooltip, tooltip title, checkable, pressed at first
    const QList<std::tuple<int, QString, QString, QString, bool, bool>> buttons = {
        {1, "", "Fett", "", false, false},
        {2, "", "Kursiv", "", false, false},
        {3, "", "Unterstrichen", "", false, false},
        {4, "", "Durchgestrichen", "", false, false},
        {6, "", "Schriftart", "", false, false},
        {7, "", "Schriftfarbe", "", false, false},
        {9, "", "Aufzählung", "", false, false},
        {11, "", "Linksbündig", "", true, true},
        {12, "", "Zentriert", "", true, false},
        {13, "", "Rechtsbündig", "", true, false},
        {15, "Einfügen", "In den Text einfügen...", "", false, false},
        {16, "", "eMail-Anhang öffnen / hinzufügen", "", false, false},
        {18, "Hoch", "Hoch", "Priorität", true, false},
        {19, "Normal", "Normal", "Priorität", true, true},
        {20, "Niedrig", "Niedrig", "Priorität", true, false},
        {22, "Lesebestätigung", "Leselbestätigung ein/aus", "", true, false},
    };
    for (const auto& [place, text, toolTip, title, checkable, pressed] : buttons) {
        QToolButton* button = bar->Button(place);
        QVERIFY2(button, qPrintable(toolTip));
        QCOMPARE(button->text(), text);
        QCOMPARE(button->toolTip(), toolTip);
        QCOMPARE(button->property("toolTipTitle").toString(), title);
        QCOMPARE(button->isCheckable(), checkable);
        QCOMPARE(button->isChecked(), pressed);
    }
    for (int separator : {5, 8, 10, 14, 17, 21})
        QVERIFY(!bar->Button(separator));
    QCOMPARE(bar->Button(15)->popupMode(), QToolButton::InstantPopup);
    QStringList items;
    for (QAction* item : bar->ButtonMenu(15)->actions())
        items << (item->isSeparator() ? "-" : item->text() + "|" + item->objectName());
    QCOMPARE(items, (QStringList{"Aktuelles Datum &kurz|datumkurz", "Aktuelles Datum &lang|datumlang", "-",
                                 "&Anrede|anrede"}));
}

// The toolbar component: places count separators, groups are exclusive among neighbours only, a
// button without a key opens its menu, and a menu item names its button's place.
void ComposerTest::toolbarComponent()
{
    Coolbar bar;
    bar.AddButton("a", "A", {}, "a", {}, Coolbar::Style::Group);
    bar.AddButton("b", "B", {}, "b", {}, Coolbar::Style::Group);
    bar.AddSeparator();
    bar.AddButton("c", "C", {}, "c", {}, Coolbar::Style::Group);
    bar.AddButton("d", "D", {}, "d", {}, Coolbar::Style::Check);
    bar.AddButton({}, "Menü", {}, "m");
    bar.AddButtonMenu(6, "eins", "&Eins");
    bar.AddButtonMenu(6, {}, "-");
    bar.AddButtonMenu(6, "zwei", "&Zwei");
    bar.AddButton("e", "E", {}, "e");
    QCOMPARE(bar.ButtonCount(), 7);
    QCOMPARE(bar.Button(4), bar.Button("c"));
    QVERIFY(!bar.Button(3));
    QVERIFY(!bar.Button(8));
    QSignalSpy clicks(&bar, &Coolbar::ButtonClick);
    QSignalSpy menuClicks(&bar, &Coolbar::ButtonMenuClick);

    bar.Button("a")->click();
    bar.Button("c")->click();
    bar.Button("b")->click();
    QVERIFY(!bar.Button("a")->isChecked());
    QVERIFY(bar.Button("b")->isChecked());
    QVERIFY(bar.Button("c")->isChecked());
    bar.Button("b")->click();
    QVERIFY(bar.Button("b")->isChecked());
    bar.Button("d")->click();
    QVERIFY(bar.Button("d")->isChecked());
    bar.Button("d")->click();
    QVERIFY(!bar.Button("d")->isChecked());
    bar.Button("e")->click();
    QVERIFY(!bar.Button("e")->isChecked());
    QStringList keys;
    for (const QList<QVariant>& click : clicks)
        keys << click[0].toString();
    QCOMPARE(keys, (QStringList{"a", "c", "b", "b", "d", "d", "e"}));

    QToolButton* menuButton = bar.Button(6);
    QCOMPARE(menuButton->popupMode(), QToolButton::InstantPopup);
    QCOMPARE(menuButton->menu()->actions().size(), 3);
    QVERIFY(menuButton->menu()->actions()[1]->isSeparator());
    menuButton->menu()->actions()[2]->trigger();
    QCOMPARE(menuClicks.size(), 1);
    QCOMPARE(menuClicks[0][0].toInt(), 6);
    QCOMPARE(menuClicks[0][1].toString(), QStringLiteral("zwei"));
    QCOMPARE(clicks.size(), 7);
    // A keyed button keeps its own click beside the menu arrow.
    bar.AddButtonMenu("e", "drei", "Drei");
    QCOMPARE(bar.Button("e")->popupMode(), QToolButton::MenuButtonPopup);
}

// A formatted body goes out as HTML with the plain text beside it, to recipient and copy
// recipients; the copy, named from the clock, holds exactly what the server received; nothing
// is shown and everything stays for the next send.
void ComposerTest::sendsTheFormattedMail()
{
    setAccount();
    SmtpServer server;
    QVERIFY(server.start({}));
    SmtpControl::SetPortOverrideForTests(server.port());
    eMail_Fenster& window = open();
    write(window, "anna@example.org", "bert@example.org; carl@example.org", "Grüße aus Köln",
          "<p>Hallo <b>Anna</b>,</p><ul><li>erstens</li><li>zweitens</li></ul>");
    QVERIFY(!window.lblStatus->isVisible());
    int statusShown = 0;
    QString statusText;
    connect(window.sevSMTP1, &SmtpControl::Progress, this, [&] {
        statusShown += window.lblStatus->isVisible() && window.xpProgress1->isVisible() &&
                       !window.Command16->isEnabled() && IsBusyPointerShown();
        statusText = window.lblStatus->text();
    });
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.Command16->setFocus();

    window.Command16->click();

    QVERIFY2(prompt().messages.isEmpty(), qPrintable(prompt().texts().join('|')));
    QVERIFY(statusShown > 0);
    QCOMPARE(statusText, QStringLiteral("Nachricht wird versandt..."));
    QCOMPARE(server.messages().size(), 1);
    const QByteArray received = server.messages().first();
    const QJsonObject envelope = server.envelopes().first();
    QCOMPARE(envelope.value("mail_from").toString(), QStringLiteral("juergen@example.org"));
    QCOMPARE(envelope.value("rcpt_tos").toArray().toVariantList(),
             (QVariantList{"anna@example.org", "bert@example.org", "carl@example.org"}));
    QCOMPARE(headerField(received, "To"), QStringLiteral("anna@example.org"));
    QVERIFY2(headerField(received, "Cc").contains("bert@example.org") &&
                 headerField(received, "Cc").contains("carl@example.org"),
             received.constData());
    QCOMPARE(headerField(received, "X-Mailer"),
             QStringLiteral("Tovalinero Pro V3.1.1  (www.tovalinero.example)"));
    QCOMPARE(headerField(received, "Organization"), QStringLiteral("Muster GmbH"));
    QVERIFY(headerField(received, "X-Priority").isEmpty());
    QVERIFY(headerField(received, "Disposition-Notification-To").isEmpty());
    QVERIFY(received.contains("multipart/alternative"));
    QVERIFY(received.contains("Content-Type: text/plain"));
    const QString html = SmtpServer::HtmlPart(received);
    QVERIFY2(html.contains(QRegularExpression("font-weight:[67]00;\">Anna</span>")), qPrintable(html));
    QVERIFY2(html.contains("<li") && html.contains("zweitens"), qPrintable(html));
    QVERIFY(html.contains("Arial"));
    QVERIFY(received.contains("Hallo Anna,"));
    QVERIFY(QFile::exists(copyPath()));
    QCOMPARE(folder_->readBytes(copyPath()), received);
    QCOMPARE(window.sevSMTP1->Port(), 0);
    QVERIFY(logText().startsWith("C: QUIT\r\n"));

    QVERIFY(window.Command16->isEnabled());
    // The focus is back on the button, not in a field where the next key would overwrite text.
    QVERIFY(window.Command16->hasFocus());
    QVERIFY(!window.lblStatus->isVisible());
    QVERIFY(!window.xpProgress1->isVisible());
    QVERIFY(!IsBusyPointerShown());
    QCOMPARE(window.sevEmail->Text(), QStringLiteral("anna@example.org"));
    QCOMPARE(window.sevEmailCC->Text(), QStringLiteral("bert@example.org; carl@example.org"));
    QCOMPARE(window.sevEmailBetreff->Text(), QStringLiteral("Grüße aus Köln"));
    QCOMPARE(window.RichTextBox1->toPlainText(), QStringLiteral("Hallo Anna,\nerstens\nzweitens"));

    // The same message again within the same second: sent again, and both copies are kept.
    window.Command16->click();
    QCOMPARE(server.messages().size(), 2);
    QCOMPARE(QDir(folder_->data("emails")).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"20261231 235959 (2).eml", CopyName}));
    QCOMPARE(folder_->readBytes(copyPath()), server.messages().first());
    QCOMPARE(folder_->readBytes(copyPath("20261231 235959 (2).eml")), server.messages().last());
}

void ComposerTest::priorityAndReadReceipt_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("priority");
    QTest::addColumn<QVariant>("readReceipt");
    QTest::addColumn<QString>("xPriority");
    QTest::addColumn<bool>("receiptHeader");
    QTest::addRow("no click, though Normal shows pressed")
        << QStringList{} << "" << QVariant() << "" << false;
    QTest::addRow("Normal") << QStringList{"normal"} << "Normal" << QVariant() << "3 (Normal)" << false;
    QTest::addRow("Hoch") << QStringList{"hoch"} << "High" << QVariant() << "1 (Highest)" << false;
    QTest::addRow("Niedrig after Hoch")
        << QStringList{"hoch", "niedrig"} << "Low" << QVariant() << "5 (Lowest)" << false;
    QTest::addRow("read receipt") << QStringList{"lesebestaetigung"} << "" << QVariant(1) << "" << true;
    QTest::addRow("read receipt off again")
        << QStringList{"lesebestaetigung", "lesebestaetigung"} << "" << QVariant(0) << "" << false;
}

// No priority until a priority button is clicked; the read receipt follows its toggle button,
// whatever the settings ask of the greetings.
void ComposerTest::priorityAndReadReceipt()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, priority);
    QFETCH(QVariant, readReceipt);
    QFETCH(QString, xPriority);
    QFETCH(bool, receiptHeader);
    setAccount();
    SmtpServer server;
    QVERIFY(server.start({}));
    SmtpControl::SetPortOverrideForTests(server.port());
    eMail_Fenster& window = open();
    write(window, "anna@example.org", "", "Betreff", "<p>Text</p>");
    for (const QString& key : clicks)
        window.Coolbar2->Button(key)->click();
    QCOMPARE(window.MailPriority, priority);
    QCOMPARE(window.ReadReceipt, readReceipt);

    window.Command16->click();

    QCOMPARE(server.messages().size(), 1);
    const QByteArray received = server.messages().first();
    QCOMPARE(headerField(received, "X-Priority"), xPriority);
    QCOMPARE(!headerField(received, "Disposition-Notification-To").isEmpty(), receiptHeader);
    if (receiptHeader)
        QVERIFY(headerField(received, "Disposition-Notification-To").contains("juergen@example.org"));
}

// The attachments go out in list order; the same file twice gives two parts.
void ComposerTest::attachmentsInListOrder()
{
    setAccount();
    SmtpServer server;
    QVERIFY(server.start({}));
    SmtpControl::SetPortOverrideForTests(server.port());
    const QString first = folder_->folder() + "/brief.txt";
    const QString second = folder_->folder() + "/bild.bin";
    folder_->writeBytes(first, "Lieber Brief\r\n");
    folder_->writeBytes(second, QByteArray("\x00\x01\x02\xff", 4));
    eMail_Fenster& window = open();
    write(window, "anna@example.org", "", "Anlagen", "<p>Drei Anlagen</p>");
    window.lstAttachments->addItems({first, second, first});

    window.Command16->click();

    QVERIFY2(prompt().messages.isEmpty(), qPrintable(prompt().texts().join('|')));
    QCOMPARE(server.messages().size(), 1);
    QCOMPARE(attachmentNames(server.messages().first()), (QStringList{"brief.txt", "bild.bin", "brief.txt"}));
    QVERIFY(server.messages().first().contains("\r\n\r\nAAEC/w==\r\n"));
    QCOMPARE(window.sevSMTP1->Attachments(), (QStringList{first, second, first}));
    QCOMPARE(window.lstAttachments->count(), 3);
}

void ComposerTest::failures_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("quit");
    QTest::addRow("vanished attachment") << "attachment"
                                         << "Fehler beim Versenden der Nachricht\r\n"
                                         << true;
    QTest::addRow("pipe as attachment") << "pipe"
                                        << "Fehler beim Versenden der Nachricht\r\n"
                                        << true;
    QTest::addRow("folder as attachment") << "folder"
                                          << "Fehler beim Versenden der Nachricht\r\n"
                                          << true;
    QTest::addRow("attachment grown huge") << "huge"
                                           << "Fehler beim Versenden der Nachricht\r\n"
                                           << true;
    QTest::addRow("recipient rejected") << "reject"
                                        << "Fehler beim Versenden der Nachricht\r\n"
                                        << true;
    QTest::addRow("no server") << "closed"
                               << "Fehler beim Verbinden mit dem Mailserver\r\n"
                               << false;
}

// Each failure shows its message with the control's reason; the connection is ended when it was
// made; the window gives everything back and keeps the message.
void ComposerTest::failures()
{
    QFETCH(QString, situation);
    QFETCH(QString, message);
    QFETCH(bool, quit);
    setAccount();
    SmtpServer server;
    SmtpServer::Options options;
    options.rejectRecipients = situation == "reject";
    QVERIFY(server.start(options));
    quint16 port = server.port();
    if (situation == "closed") {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        port = closed.serverPort();
    }
    SmtpControl::SetPortOverrideForTests(port);
    eMail_Fenster& window = open();
    write(window, "anna@example.org", "", "Betreff", "<p>Text</p>");
    if (situation == "attachment")
        window.lstAttachments->addItem(folder_->folder() + "/weg.pdf");
    // Added as files and swapped since: a pipe would keep the send waiting for ever.
    const QString swapped = folder_->folder() + "/anlage.pdf";
    if (situation == "pipe")
        QCOMPARE(mkfifo(QFile::encodeName(swapped).constData(), 0600), 0);
    if (situation == "folder")
        QVERIFY(QDir().mkdir(swapped));
    if (situation == "huge")
        QVERIFY(MakeSparseFile(swapped, 40 * GiB));
    if (situation == "pipe" || situation == "folder" || situation == "huge")
        window.lstAttachments->addItem(swapped);
    const long memoryBefore = PeakMemoryKiB();

    window.Command16->click();

    QCOMPARE(prompt().messages.size(), 1);
    const MessageRequest& box = prompt().messages.first();
    QVERIFY2(box.text.startsWith(message), qPrintable(box.text));
    QVERIFY2(box.text.size() > message.size(), qPrintable(box.text));
    QCOMPARE(box.title, QStringLiteral("Tovalinero"));
    QCOMPARE(box.icon, MsgIcon::None);
    QCOMPARE(box.buttons, MsgButtons::Ok);
    if (situation == "attachment")
        QVERIFY(box.text.contains("weg.pdf"));
    if (situation == "pipe" || situation == "folder")
        QVERIFY2(box.text.contains("anlage.pdf\" ist keine gewöhnliche Datei"), qPrintable(box.text));
    if (situation == "huge") {
        QVERIFY2(box.text.contains("anlage.pdf\" ist zu groß (40,0 GB"), qPrintable(box.text));
        QVERIFY(PeakMemoryKiB() - memoryBefore < BoundedMemoryKiB);
    }
    QCOMPARE(logText().contains("C: QUIT"), quit);
    QCOMPARE(server.messages().size(), 0);
    QVERIFY(!QFile::exists(copyPath()));
    QVERIFY(window.Command16->isEnabled());
    QVERIFY(!window.lblStatus->isVisible());
    QVERIFY(!window.xpProgress1->isVisible());
    QVERIFY(!IsBusyPointerShown());
    QCOMPARE(window.sevEmail->Text(), QStringLiteral("anna@example.org"));
    QCOMPARE(window.RichTextBox1->toPlainText(), QStringLiteral("Text"));
}

// The server took the message but its copy could not be kept (a full disk): the user is told.
void ComposerTest::copyThatCannotBeWrittenIsReported()
{
    setAccount();
    SmtpServer server;
    QVERIFY(server.start({}));
    SmtpControl::SetPortOverrideForTests(server.port());
    eMail_Fenster& window = open();
    write(window, "anna@example.org", "", "Betreff", "<p>Text</p>");
    {
        const FileSizeLimit diskFull(100);
        window.Command16->click();
    }
    QCOMPARE(server.messages().size(), 1);
    QVERIFY(!QFile::exists(copyPath()));
    QCOMPARE(prompt().messages.size(), 1);
    const MessageRequest& box = prompt().messages.first();
    QVERIFY2(box.text.startsWith("Die Nachricht wurde gesendet, aber ihre Kopie"), qPrintable(box.text));
    QVERIFY(box.text.contains(CopyName));
    QCOMPARE(box.icon, MsgIcon::Exclamation);
    QVERIFY(window.Command16->isEnabled());
}

void ComposerTest::copyWhoseNameIsTakenGetsANumber_data()
{
    QTest::addColumn<QStringList>("there");
    QTest::addColumn<QString>("written");
    QTest::addRow("nothing there") << QStringList{} << CopyName;
    QTest::addRow("the copy of a mail sent in the same second")
        << QStringList{CopyName} << "20261231 235959 (2).eml";
    QTest::addRow("two copies there")
        << QStringList{CopyName, "20261231 235959 (2).eml"} << "20261231 235959 (3).eml";
    QTest::addRow("a link that leads nowhere")
        << QStringList{"link:" + CopyName} << "20261231 235959 (2).eml";
    QTest::addRow("only a numbered copy there") << QStringList{"20261231 235959 (2).eml"} << CopyName;
}

// Two mails sent within one second both keep their copy: a name that is taken gets a number, and
// what stood there stays as it was.
void ComposerTest::copyWhoseNameIsTakenGetsANumber()
{
    QFETCH(QStringList, there);
    QFETCH(QString, written);
    setAccount();
    QMap<QString, QByteArray> before;
    for (QString name : there) {
        if (name.startsWith("link:")) {
            name = name.mid(5);
            QVERIFY(QFile::link(folder_->data("nirgends.eml"), copyPath(name)));
            continue;
        }
        before.insert(name, "earlier mail " + name.toUtf8());
        folder_->writeBytes(copyPath(name), before.value(name));
    }
    SmtpServer server;
    QVERIFY(server.start({}));
    SmtpControl::SetPortOverrideForTests(server.port());
    eMail_Fenster& window = open();
    write(window, "anna@example.org", "", "Noch eine", "<p>Text</p>");

    window.Command16->click();

    QVERIFY2(prompt().messages.isEmpty(), qPrintable(prompt().texts().join('|')));
    QCOMPARE(server.messages().size(), 1);
    QCOMPARE(folder_->readBytes(copyPath(written)), server.messages().first());
    QCOMPARE(QFile::permissions(copyPath(written)), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                        QFileDevice::ReadUser | QFileDevice::WriteUser);
    for (auto it = before.begin(); it != before.end(); ++it)
        QCOMPARE(folder_->readBytes(copyPath(it.key())), it.value());
    QStringList names = there;
    names.replaceInStrings("link:", "");
    names << written;
    names.sort();
    QCOMPARE(QDir(folder_->data("emails")).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name),
             names);
    QVERIFY(!QFile::exists(folder_->data("nirgends.eml")));
}

// The copy of a sent mail holds the whole message: under the usual umask 022 it is the owner's
// alone, and so is the folder the control makes for the copies when it is missing.
void ComposerTest::copiesAreTheOwnersAlone()
{
    setAccount();
    SmtpServer server;
    QVERIFY(server.start({}));
    SmtpControl::SetPortOverrideForTests(server.port());
    QVERIFY(QDir(folder_->data("emails")).removeRecursively());
    const mode_t saved = ::umask(022);
    eMail_Fenster& window = open();
    write(window, "anna@example.org", "", "Betreff", "<p>Text</p>");
    window.Command16->click();
    ::umask(saved);

    QVERIFY2(prompt().messages.isEmpty(), qPrintable(prompt().texts().join('|')));
    QCOMPARE(server.messages().size(), 1);
    QCOMPARE(QFile::permissions(copyPath()), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ReadUser | QFileDevice::WriteUser);
    QCOMPARE(QFile::permissions(folder_->data("emails")), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                              QFileDevice::ExeOwner | QFileDevice::ReadUser |
                                                              QFileDevice::WriteUser | QFileDevice::ExeUser);
}

// The server has the message and answers the end of its data late; the composer is closed
// meanwhile. The message still completes and leaves its copy.
void ComposerTest::closingWhileTheServerAnswersKeepsTheMail()
{
    setAccount();
    SmtpServer server;
    SmtpServer::Options options;
    options.replyDelay = 2;
    QVERIFY(server.start(options));
    SmtpControl::SetPortOverrideForTests(server.port());
    eMail_Fenster& window = open();
    write(window, "anna@example.org", "", "Betreff", "<p>Text</p>");
    QPointer<eMail_Fenster> closed(&window);
    connect(window.sevSMTP1, &SmtpControl::Progress, this, [&](int percent) {
        if (percent == 100 && closed)
            closed->close();
    });

    window.Command16->click();
    FlushDeletedWindows();

    QVERIFY(!closed);
    QVERIFY(!Forms::Loaded<eMail_Fenster>());
    QVERIFY(!IsBusyPointerShown());
    QVERIFY(SmtpControl::FinishPendingTransfers(20));
    QCOMPARE(server.messages().size(), 1);
    QCOMPARE(folder_->readBytes(copyPath()), server.messages().first());
    QVERIFY(prompt().messages.isEmpty());
}

// "host:port" in the server line: that port; otherwise the control's own default.
void ComposerTest::serverLineMayNameThePort()
{
    SmtpServer server;
    QVERIFY(server.start({}));
    setAccount(QStringLiteral("127.0.0.1:%1").arg(server.port()));
    eMail_Fenster& window = open();
    write(window, "anna@example.org", "", "Betreff", "<p>Text</p>");

    window.Command16->click();

    QVERIFY2(prompt().messages.isEmpty(), qPrintable(prompt().texts().join('|')));
    QCOMPARE(server.messages().size(), 1);
    QCOMPARE(window.sevSMTP1->Host(), QStringLiteral("127.0.0.1"));
    QCOMPARE(window.sevSMTP1->Port(), qint32(server.port()));
}

void ComposerTest::formattingButtons_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("effect");
    QTest::addRow("bold") << "fett"
                          << "bold";
    QTest::addRow("italic") << "kursiv"
                            << "italic";
    QTest::addRow("underline") << "unterstrichen"
                               << "underline";
    QTest::addRow("strike-out") << "durchgestrichen"
                                << "strike";
    QTest::addRow("centred") << "mitte"
                             << "centre";
    QTest::addRow("right") << "rechts"
                           << "right";
    QTest::addRow("left again") << "links"
                                << "left";
}

// Each button formats the selection and gives the focus back to the body; a second click of a
// style button takes the style off again.
void ComposerTest::formattingButtons()
{
    QFETCH(QString, key);
    QFETCH(QString, effect);
    eMail_Fenster& window = open();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTextEdit* body = window.RichTextBox1;
    body->setHtml("<p>Hallo Welt</p><p>Zweite Zeile</p>");
    body->selectAll();
    const auto styled = [&] {
        const QTextCharFormat format = formatAt(body, 2);
        const Qt::Alignment alignment = body->document()->lastBlock().blockFormat().alignment();
        if (effect == "bold")
            return format.fontWeight() >= QFont::Bold;
        if (effect == "italic")
            return format.fontItalic();
        if (effect == "underline")
            return format.fontUnderline();
        if (effect == "strike")
            return format.fontStrikeOut();
        if (effect == "centre")
            return bool(alignment & Qt::AlignHCenter);
        if (effect == "right")
            return bool(alignment & Qt::AlignRight);
        return !(alignment & (Qt::AlignHCenter | Qt::AlignRight));
    };
    if (effect == "left")
        window.Coolbar2->Button("rechts")->click();
    window.sevEmail->setFocus();

    window.Coolbar2->Button(key)->click();

    QVERIFY(styled());
    QVERIFY(body->hasFocus());
    if (window.Coolbar2->Button(key)->isCheckable()) {
        // One of the group is pressed at a time.
        int pressed = 0;
        for (const char* other : {"links", "mitte", "rechts"})
            pressed += window.Coolbar2->Button(other)->isChecked();
        QCOMPARE(pressed, 1);
        QVERIFY(window.Coolbar2->Button(key)->isChecked());
    } else {
        window.Coolbar2->Button(key)->click();
        QVERIFY(!styled());
    }
}

// Bullets on for a selection that is not all bulleted, in Qt's list format; off when it is.
void ComposerTest::bullets()
{
    eMail_Fenster& window = open();
    QTextEdit* body = window.RichTextBox1;
    body->setHtml("<p>eins</p><ul><li>zwei</li></ul><p>drei</p>");
    body->selectAll();
    QToolButton* button = window.Coolbar2->Button("aufzaehlung");

    button->click();
    QTextDocument* document = body->document();
    QTextList* list = document->firstBlock().textList();
    QVERIFY(list);
    for (QTextBlock block = document->firstBlock(); block.isValid(); block = block.next())
        QCOMPARE(block.textList(), list);
    QCOMPARE(list->format().style(), QTextListFormat::ListDisc);
    QCOMPARE(list->format().indent(), 1);

    button->click();
    for (QTextBlock block = document->firstBlock(); block.isValid(); block = block.next()) {
        QVERIFY(!block.textList());
        QCOMPARE(block.blockFormat().indent(), 0);
    }
    QCOMPARE(body->toPlainText(), QStringLiteral("eins\nzwei\ndrei"));
}

void ComposerTest::dialogs_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("chosen");
    QTest::addRow("colour chosen") << "schriftfarbe" << true;
    QTest::addRow("colour dialog cancelled") << "schriftfarbe" << false;
    QTest::addRow("font chosen") << "schriftart" << true;
    QTest::addRow("font dialog cancelled") << "schriftart" << false;
}

// On a selection of mixed colours and styles: a cancelled dialog changes nothing; a chosen font
// sets what the dialog offers and keeps the colours; a chosen colour colours all.
void ComposerTest::dialogs()
{
    QFETCH(QString, key);
    QFETCH(bool, chosen);
    eMail_Fenster& window = open();
    QTextEdit* body = window.RichTextBox1;
    body->setHtml(
        "<p><span style=\"color:#ff0000; font-weight:700;\">rot</span> "
        "<span style=\"color:#0000ff; font-family:'Courier New'; font-size:14pt;\">blau</span></p>");
    body->selectAll();
    const QString before = body->toHtml();
    QFont font(QStringLiteral("Liberation Serif"), 16);
    font.setItalic(true);
    font.setStrikeOut(true);
    prompt().fontAnswers = {chosen ? std::optional<QFont>(font) : std::nullopt};
    prompt().colorAnswers = {chosen ? std::optional<QColor>(QColor(0, 128, 0)) : std::nullopt};

    window.Coolbar2->Button(key)->click();

    if (!chosen) {
        QCOMPARE(body->toHtml(), before);
        return;
    }
    const QTextCharFormat red = formatAt(body, 0);
    const QTextCharFormat blue = formatAt(body, 5);
    if (key == "schriftfarbe") {
        QCOMPARE(red.foreground().color(), QColor(0, 128, 0));
        QCOMPARE(blue.foreground().color(), QColor(0, 128, 0));
        QCOMPARE(red.fontWeight(), int(QFont::Bold));
        return;
    }
    QCOMPARE(red.foreground().color(), QColor(Qt::red));
    QCOMPARE(blue.foreground().color(), QColor(Qt::blue));
    for (const QTextCharFormat& format : {red, blue}) {
        QCOMPARE(format.fontFamilies().toStringList(), QStringList{"Liberation Serif"});
        QCOMPARE(format.fontPointSize(), 16.0);
        QVERIFY(format.fontItalic());
        QVERIFY(format.fontStrikeOut());
        QVERIFY(!format.fontUnderline());
        QCOMPARE(format.fontWeight(), int(QFont::Normal));
    }
}

void ComposerTest::insertMenu_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::addRow("short date") << "datumkurz"
                                << "Text: 09.12.2026!";
    QTest::addRow("long date") << "datumlang"
                               << "Text: Mittwoch, den 09.12.2026!";
    QTest::addRow("greeting line") << "anrede"
                                   << "Text: Guten Tag,\n\n!";
}

// On Wednesday 9 December 2026 in German: the item replaces the selection, the caret ends after
// it and the body has the focus.
void ComposerTest::insertMenu()
{
    QFETCH(QString, key);
    QFETCH(QString, expected);
    seams_->clock.set(QDateTime(QDate(2026, 12, 9), QTime(8, 5, 7)));
    eMail_Fenster& window = open();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTextEdit* body = window.RichTextBox1;
    body->setPlainText("Text: XXX!");
    select(body, 6, 9);
    window.sevEmailBetreff->setFocus();
    QAction* item = nullptr;
    for (QAction* action : window.Coolbar2->ButtonMenu(15)->actions())
        if (action->objectName() == key)
            item = action;
    QVERIFY(item);

    item->trigger();

    QCOMPARE(body->toPlainText(), expected);
    QCOMPARE(body->textCursor().position(), expected.size() - 1);
    QVERIFY(body->hasFocus());
    QCOMPARE(LongDateText(QDate(2026, 12, 9)), QStringLiteral("Mittwoch, den 09.12.2026"));
}

// The editor starts with the composer's list; a cancelled dialog adds nothing; a chosen file is
// appended and selected; "&Schließen" hands the list back.
void ComposerTest::attachmentEditorAddsAndHandsBack()
{
    eMail_Fenster& window = open();
    window.lstAttachments->addItems({"/tmp/a.pdf", "/tmp/b.pdf"});
    prompt().fileAnswers = {QString(), "/tmp/c.odt"};
    QStringList opened;
    bool modal = false;
    whileOpen<anlagen1>(
        [&](anlagen1& editor) {
            modal = editor.isModal();
            QCOMPARE(editor.windowTitle(), QStringLiteral("eMail-Anlagen"));
            QCOMPARE(editor.lblHeading->text(),
                     QStringLiteral("eMail Anlagen verwalten, hinzufügen und entfernen"));
            opened = ItemTexts(editor.lstAttachments);
            QVERIFY(!editor.Command6->isEnabled());
            editor.cmdAttachmentAdd->click();
            QCOMPARE(editor.lstAttachments->count(), 2);
            QVERIFY(!editor.Command6->isEnabled());
            editor.cmdAttachmentAdd->click();
            QCOMPARE(editor.lstAttachments->currentRow(), 2);
            QVERIFY(editor.lstAttachments->item(2)->isSelected());
            QVERIFY(editor.Command6->isEnabled());
            editor.Command1->click();
        },
        [&] { window.Coolbar2->Button("anhang_ico")->click(); });
    QVERIFY(modal);
    QCOMPARE(opened, (QStringList{"/tmp/a.pdf", "/tmp/b.pdf"}));
    QCOMPARE(ItemTexts(window.lstAttachments), (QStringList{"/tmp/a.pdf", "/tmp/b.pdf", "/tmp/c.odt"}));
    QVERIFY(!Forms::Loaded<anlagen1>());
    QCOMPARE(prompt().fileRequests.size(), 2);
    QCOMPARE(prompt().fileRequests[0].title, QStringLiteral("Anlage hinzufügen"));
    QCOMPARE(prompt().fileRequests[0].filter, QStringLiteral("alle Dateien (*.*)|*.*"));
    // Shown as worded, "*.*" matches every file, also those without a dot.
    QCOMPARE(ToQtFilter(prompt().fileRequests[0].filter), QStringLiteral("alle Dateien (*.*) (*)"));
}

// Closing the editor by its frame (or Esc) leaves the composer's list as it was.
void ComposerTest::attachmentEditorFrameDiscards()
{
    eMail_Fenster& window = open();
    window.lstAttachments->addItem("/tmp/a.pdf");
    prompt().fileAnswers = {"/tmp/b.pdf"};
    for (bool byEscape : {false, true}) {
        whileOpen<anlagen1>(
            [&](anlagen1& editor) {
                editor.cmdAttachmentAdd->click();
                editor.lstAttachments->setCurrentRow(0);
                editor.Command6->click();
                if (byEscape)
                    QTest::keyClick(&editor, Qt::Key_Escape);
                else
                    editor.close();
            },
            [&] { window.ShowAttachments(); });
        QCOMPARE(ItemTexts(window.lstAttachments), QStringList{"/tmp/a.pdf"});
        QVERIFY(!Forms::Loaded<anlagen1>());
    }
}

// Ending the program while the attachment editor is open unloads both windows cleanly.
void ComposerTest::attachmentEditorRefusesWhatIsNoFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("added");
    QTest::addRow("pipe") << "pipe" << false;
    QTest::addRow("folder") << "folder" << false;
    QTest::addRow("device") << "device" << false;
    QTest::addRow("link to a pipe") << "link" << false;
    QTest::addRow("file") << "file" << true;
    QTest::addRow("link to a file") << "link to file" << true;
    QTest::addRow("40 GiB") << "huge" << false;
}

// Only a regular file becomes an attachment: a pipe would hold the send for ever, a folder or a
// device cannot be sent. The user is told which file was refused.
void ComposerTest::attachmentEditorRefusesWhatIsNoFile()
{
    QFETCH(QString, kind);
    QFETCH(bool, added);
    const QString path = folder_->folder() + "/anlage";
    const QString file = folder_->folder() + "/brief.txt";
    folder_->writeBytes(file, "Hallo");
    if (kind == "pipe" || kind == "link")
        QCOMPARE(mkfifo(QFile::encodeName(kind == "link" ? path + ".pipe" : path).constData(), 0600), 0);
    if (kind == "link")
        QVERIFY(QFile::link(path + ".pipe", path));
    if (kind == "folder")
        QVERIFY(QDir().mkdir(path));
    if (kind == "file")
        QVERIFY(QFile::copy(file, path));
    if (kind == "link to file")
        QVERIFY(QFile::link(file, path));
    if (kind == "huge" && !MakeSparseFile(path, 40 * GiB))
        QSKIP("the file system holds no sparse file");
    const QString chosen = kind == "device" ? QStringLiteral("/dev/zero") : path;

    eMail_Fenster& window = open();
    prompt().fileAnswers = {chosen};
    whileOpen<anlagen1>(
        [&](anlagen1& editor) {
            editor.cmdAttachmentAdd->click();
            editor.Command1->click();
        },
        [&] { window.ShowAttachments(); });

    QCOMPARE(ItemTexts(window.lstAttachments), added ? QStringList{chosen} : QStringList());
    if (added) {
        QVERIFY(prompt().messages.isEmpty());
        return;
    }
    QCOMPARE(prompt().messages.size(), 1);
    const MessageRequest& box = prompt().messages.first();
    QCOMPARE(box.text, kind == "huge"
                           ? "\"" + chosen +
                                 "\" ist zu groß für eine Anlage (40,0 GB, alle Anlagen zusammen "
                                 "höchstens 64,0 MB)."
                           : "\"" + chosen +
                                 "\" ist keine gewöhnliche Datei und kann nicht als Anlage versandt werden.");
    QCOMPARE(box.title, QStringLiteral("Anlage hinzufügen"));
    QCOMPARE(box.icon, MsgIcon::Exclamation);
    QCOMPARE(box.buttons, MsgButtons::Ok);
}

void ComposerTest::programEndWhileTheEditorIsOpen()
{
    eMail_Fenster& window = open();
    QPointer<eMail_Fenster> composer(&window);
    QToolButton* button = window.Coolbar2->Button("anhang_ico");
    whileOpen<anlagen1>([&](anlagen1&) { UnloadAllForms(); },
                        [&] { QTest::mouseClick(button, Qt::LeftButton); });
    FlushDeletedWindows();
    QVERIFY(!composer);
    QVERIFY(!Forms::Loaded<anlagen1>());
}

void ComposerTest::attachmentRemoval_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<int>("selectedAfter");
    QTest::addRow("the only one") << 1 << 0 << QStringList{} << -1;
    QTest::addRow("the last of three") << 3 << 2 << QStringList{"0", "1"} << 1;
    QTest::addRow("the first of three") << 3 << 0 << QStringList{"1", "2"} << 0;
    QTest::addRow("the middle of three") << 3 << 1 << QStringList{"0", "2"} << 1;
}

// The item at the selection goes; the same place stays selected, or the new last one; with the
// list empty nothing is selected and "Anlage löschen" is disabled. Selecting enables it.
void ComposerTest::attachmentRemoval()
{
    QFETCH(int, count);
    QFETCH(int, selected);
    QFETCH(QStringList, left);
    QFETCH(int, selectedAfter);
    anlagen1& editor = Forms::Get<anlagen1>();
    editor.show();
    for (int i = 0; i < count; ++i)
        editor.lstAttachments->addItem(QString::number(i));
    QVERIFY(!editor.Command6->isEnabled());
    QTest::mouseClick(editor.lstAttachments->viewport(), Qt::LeftButton, {},
                      editor.lstAttachments->visualItemRect(editor.lstAttachments->item(selected)).center());
    QVERIFY(editor.Command6->isEnabled());

    editor.Command6->click();

    QCOMPARE(ItemTexts(editor.lstAttachments), left);
    const QList<QListWidgetItem*> selection = editor.lstAttachments->selectedItems();
    QCOMPARE(selection.isEmpty() ? -1 : editor.lstAttachments->row(selection.first()), selectedAfter);
    QCOMPARE(editor.Command6->isEnabled(), selectedAfter >= 0);
    editor.lstAttachments->clearSelection();
    QVERIFY(!editor.Command6->isEnabled());
}

// The controls keep their places in proportion to the window.
void ComposerTest::enlargingScalesTheControls()
{
    eMail_Fenster& window = open();
    QCOMPARE(window.contentsRect().size(), QSize(860, 580));
    const QRect send = window.Command16->geometry();
    const QRect body = window.RichTextBox1->geometry();
    window.resize(1290, 870); // 150 percent each way
    QCOMPARE(window.Command16->geometry(), QRect(1080, 802, 192, 48));
    QCOMPARE(window.RichTextBox1->geometry(), QRect(18, 315, 1254, 471));
    window.resize(860, 580);
    QCOMPARE(window.Command16->geometry(), send);
    QCOMPARE(window.RichTextBox1->geometry(), body);
}

// Esc keeps the message; every control is reached from the keyboard and named by its caption.
void ComposerTest::keyboardAndAccessibleNames()
{
    eMail_Fenster& window = open();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.RichTextBox1->setPlainText("Nicht verlieren");
    QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(window.isVisible());
    QCOMPARE(window.RichTextBox1->toPlainText(), QStringLiteral("Nicht verlieren"));

    QCOMPARE(accessibleName(window.sevEmail->Edit()), QStringLiteral("Empfänger"));
    QCOMPARE(accessibleName(window.sevEmailCC->Edit()), QStringLiteral("CC (Kopie)"));
    QCOMPARE(accessibleName(window.sevEmailBetreff->Edit()), QStringLiteral("Betreff"));
    QCOMPARE(accessibleName(window.RichTextBox1), QStringLiteral("Nachricht"));
    QCOMPARE(accessibleName(window.lstAttachments), QStringLiteral("Anlagen"));
    QCOMPARE(accessibleName(window.Command16), QStringLiteral("Senden"));
    QStringList names;
    for (int i = 1; i <= window.Coolbar2->ButtonCount(); ++i) {
        if (QToolButton* button = window.Coolbar2->Button(i)) {
            QVERIFY(button->focusPolicy() & Qt::TabFocus);
            names << accessibleName(button);
        }
    }
    QCOMPARE(names, (QStringList{"Fett", "Kursiv", "Unterstrichen", "Durchgestrichen", "Schriftart",
                                 "Schriftfarbe", "Aufzählung", "Linksbündig", "Zentriert", "Rechtsbündig",
                                 "Einfügen", "eMail-Anhang öffnen / hinzufügen", "Hoch", "Normal", "Niedrig",
                                 "Lesebestätigung"}));

    // Tab walks from the fields over the attachments and the buttons to the body and the send button.
    window.sevEmail->setFocus();
    QList<QWidget*> visited;
    for (int i = 0; i < 24 && !window.Command16->hasFocus(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget();
    }
    QVERIFY(visited.contains(window.sevEmailBetreff->Edit()));
    QVERIFY(visited.contains(window.Coolbar2->Button("lesebestaetigung")));
    QVERIFY(visited.contains(window.RichTextBox1));
    QVERIFY(window.Command16->hasFocus());
    // Space presses a focused toolbar button; Ctrl+B sets bold in the body.
    window.Coolbar2->Button("hoch")->setFocus();
    QTest::keyClick(window.Coolbar2->Button("hoch"), Qt::Key_Space);
    QCOMPARE(window.MailPriority, QStringLiteral("High"));
    window.RichTextBox1->setFocus();
    window.RichTextBox1->selectAll();
    QTest::keyClick(window.RichTextBox1, Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(formatAt(window.RichTextBox1, 1).fontWeight(), int(QFont::Bold));
    // An alignment by key shows in the group; the body offers no alignment the bar lacks.
    QTest::keyClick(window.RichTextBox1, Qt::Key_E, Qt::ControlModifier);
    QVERIFY(window.Coolbar2->Button("mitte")->isChecked());
    QVERIFY(!window.Coolbar2->Button("links")->isChecked());
    QTest::keyClick(window.RichTextBox1, Qt::Key_J, Qt::ControlModifier);
    QVERIFY(window.RichTextBox1->alignment() & Qt::AlignHCenter);
}

// Closing by the frame throws away only what the user agrees to lose: something written that
// has not gone out as it stands. The recipient alone is the opener's, not written.
void ComposerTest::closingAsksOnlyForAnUnsentMessage_data()
{
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("cc");
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("attachment");
    QTest::addColumn<QString>("send");
    QTest::addColumn<bool>("asks");
    QTest::addRow("nothing written") << ""
                                     << ""
                                     << "" << false << "" << false;
    QTest::addRow("blanks and empty lines only") << " "
                                                 << " "
                                                 << "<p> </p><p></p>" << false << "" << false;
    QTest::addRow("body") << ""
                          << ""
                          << "<p>Hallo</p>" << false << "" << true;
    QTest::addRow("subject") << "Grüße"
                             << ""
                             << "" << false << "" << true;
    QTest::addRow("copy recipient") << ""
                                    << "bert@example.org"
                                    << "" << false << "" << true;
    QTest::addRow("attachment") << ""
                                << ""
                                << "" << true << "" << true;
    QTest::addRow("sent") << "Grüße"
                          << ""
                          << "<p>Hallo</p>" << true << "sent" << false;
    QTest::addRow("changed after the send") << "Grüße"
                                            << ""
                                            << "<p>Hallo</p>" << false << "sent, then changed" << true;
    QTest::addRow("send refused") << "Grüße"
                                  << ""
                                  << "<p>Hallo</p>" << false << "refused" << true;
}

void ComposerTest::closingAsksOnlyForAnUnsentMessage()
{
    QFETCH(QString, subject);
    QFETCH(QString, cc);
    QFETCH(QString, body);
    QFETCH(bool, attachment);
    QFETCH(QString, send);
    QFETCH(bool, asks);
    setAccount();
    SmtpServer server;
    SmtpServer::Options options;
    options.rejectRecipients = send == "refused";
    QVERIFY(server.start(options));
    SmtpControl::SetPortOverrideForTests(server.port());
    eMail_Fenster& window = open();
    write(window, "anna@example.org", cc, subject, body);
    if (attachment) {
        const QString file = folder_->folder() + "/karte.txt";
        folder_->writeBytes(file, "Karte");
        window.lstAttachments->addItem(file);
    }
    if (!send.isEmpty()) {
        window.Command16->click();
        QCOMPARE(server.messages().size(), send == "refused" ? 0 : 1);
        prompt().messages.clear();
    }
    if (send == "sent, then changed")
        window.RichTextBox1->append("Nachtrag");
    prompt().answers = {MsgAnswer::No};

    const QPointer<eMail_Fenster> composer(&window);
    const bool closed = window.close();

    QCOMPARE(prompt().messages.size(), asks ? 1 : 0);
    QCOMPARE(closed, !asks);
    FlushDeletedWindows();
    QCOMPARE(composer.isNull(), !asks);
}

void ComposerTest::closingAnswers_data()
{
    QTest::addColumn<MsgAnswer>("answer");
    QTest::addColumn<bool>("stays");
    QTest::addRow("Nein keeps the message") << MsgAnswer::No << true;
    QTest::addRow("Ja discards it") << MsgAnswer::Yes << false;
}

void ComposerTest::closingAnswers()
{
    QFETCH(MsgAnswer, answer);
    QFETCH(bool, stays);
    eMail_Fenster& window = open();
    write(window, "anna@example.org", "", "Grüße", "<p>Hallo Anna</p>");
    prompt().answers = {answer};
    const QPointer<eMail_Fenster> composer(&window);

    window.close();

    QCOMPARE(prompt().messages.size(), 1);
    const MessageRequest& question = prompt().messages.first();
    QCOMPARE(question.text,
             QStringLiteral("Die eMail wurde noch nicht gesendet.\r\nMöchten Sie sie verwerfen?"));
    QCOMPARE(question.title, QStringLiteral("eMail verfassen"));
    QCOMPARE(question.buttons, MsgButtons::YesNo);
    QCOMPARE(question.icon, MsgIcon::Question);
    QCOMPARE(question.defaultAnswer, std::optional<MsgAnswer>(MsgAnswer::No));
    FlushDeletedWindows();
    QCOMPARE(!composer.isNull(), stays);
    if (stays) {
        QVERIFY(window.isVisible());
        QCOMPARE(window.RichTextBox1->toPlainText(), QStringLiteral("Hallo Anna"));
        QCOMPARE(window.sevEmailBetreff->Text(), QStringLiteral("Grüße"));
    }
}

QTEST_MAIN(ComposerTest)
#include "tst_composer.moc"
