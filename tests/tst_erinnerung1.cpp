#include "app/messageloop.h"
#include "common/forms.h"
#include "common/sevtext.h"
#include "greetings/email_fenster.h"
#include "greetings/erinnerung1.h"
#include "greetings/smtpcontrol.h"
#include "platform/office.h"
#include "settings/settingsfile.h"
#include "support/fake_office.h"
#include "support/formfixture.h"
#include "support/smtpserver.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QUrlQuery>

class Erinnerung1Test : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void loadPlaysTheSoundAndShowsTheFirstTab();
    void figures_data();
    void figures();
    void namesWithMarkupShowAsTheListHoldsThem_data();
    void namesWithMarkupShowAsTheListHoldsThem();
    void laterActivationsChangeNothing();
    void copyPutsTheFiguresOnTheClipboard();
    void mailLinkHasNoRecipient();
    void wordProcessor_data();
    void wordProcessor();
    void composerAndCloseButtons();
    void greetingFromTheDropDown_data();
    void greetingFromTheDropDown();
    void failedConnectionGivesTheWindowBack();
    void closingWhileTheServerAnswersKeepsTheGreeting();
    void programEndWaitsForTheGreeting();
    void birthdayCheckOpensTheWindow();
    void emptyTextDocumentIsOpenDocument();
    void keys_data();
    void keys();

private:
    erinnerung1& open();
    void setPerson(const QString& first, const QString& last, const QString& born, const QString& email = {});
    QAction* menuItem(erinnerung1& window, const QString& key);
    void setAccount();
    QString copyFile() const { return fixture_->folder->data("emails/2026_anna@example.org_Anna.eml"); }
    std::unique_ptr<FormFixture> fixture_;
    FakeOffice office_;
};

void Erinnerung1Test::initTestCase()
{
    FormRegistry::setProgramEndHandler([] {});
}

void Erinnerung1Test::init()
{
    fixture_ = std::make_unique<FormFixture>();
    office_ = FakeOffice();
    OfficeSeam::install(&office_);
    setPerson("Anna", "Meier", "01.02.1980", "anna@example.org");
}

void Erinnerung1Test::cleanup()
{
    fixture_.reset();
    OfficeSeam::install(nullptr);
    SmtpControl::SetPortOverrideForTests(0);
}

void Erinnerung1Test::setPerson(const QString& first, const QString& last, const QString& born,
                                const QString& email)
{
    using namespace Globale_Variablen;
    PersonFirstName = first;
    PersonLastName = last;
    PersonBirthday = born;
    PersonEmail = email;
    PersonStreet = "Weg 1";
    PersonZip = "12345";
    PersonTown = "Ort";
    PersonGreetingHtml = "<p>Liebe &lt;VORNAME&gt;, alles Gute!</p>";
}

erinnerung1& Erinnerung1Test::open()
{
    erinnerung1& window = Forms::Get<erinnerung1>();
    window.show();
    return window;
}

QAction* Erinnerung1Test::menuItem(erinnerung1& window, const QString& key)
{
    for (QAction* item : window.Command1->menu()->actions())
        if (item->objectName() == key)
            return item;
    return nullptr;
}

void Erinnerung1Test::setAccount()
{
    const ProgramFolderFixture& folder = *fixture_->folder;
    folder.setSetting(Settings::SmtpFromName, "Absender");
    folder.setSetting(Settings::SmtpFromAddress, "absender@example.org");
    folder.setSetting(Settings::SmtpServer, "127.0.0.1");
    folder.setSetting(Settings::SmtpAuthRequired, " 0 ");
    folder.setSetting(Settings::GreetingSubject, "Herzlichen Glückwunsch");
    folder.setSetting(Settings::ReadReceiptRequested, " 0 ");
}

void Erinnerung1Test::loadPlaysTheSoundAndShowsTheFirstTab()
{
    const QString sound = fixture_->folder->folder() + "/sounds/erinnerung.wav";
    fixture_->folder->setSetting(Settings::ReminderSoundFile, sound);
    erinnerung1& window = open();
    QCOMPARE(fixture_->seams->sound.played, QStringList{sound});
    QCOMPARE(window.SoundFile, sound);
    QCOMPARE(window.windowTitle(), QStringLiteral("Erinnerung"));
    QVERIFY(!window.ProgressBar1->isVisible());
    QCOMPARE(window.Label2->text(),
             QStringLiteral("Folgende Person aus Ihrer Tovalinerosliste hat heute Tovalinero:"));
    QCOMPARE(window.Label3->text(), QStringLiteral("Was möchten Sie nun tun?"));
    QStringList tabs;
    for (int i = 0; i < window.sevTabStrip1->count(); ++i)
        tabs << window.sevTabStrip1->tabText(i);
    QCOMPARE(tabs, (QStringList{"&Tovalinero", "&Sternzeichen", "&Berechnung", "&Info"}));
    QCOMPARE(window.sevTabStrip1->currentIndex(), 0);
    QVERIFY(window.Label1->isVisible());
    QVERIFY(!window.sevBerechnung->isVisible());
    window.sevTabStrip1->setCurrentIndex(2);
    QVERIFY(window.sevBerechnung->isVisible());
    QVERIFY(window.Command4->isVisible());
    QVERIFY(!window.Label1->isVisible());
    QStringList items;
    for (QAction* item : window.Command1->menu()->actions())
        items << (item->isSeparator() ? "-" : item->text()) + "|" + item->objectName();
    QCOMPARE(items,
             (QStringList{"Standard-Text senden|standardtext", "Individuellen Text senden|individuellertext",
                          "-|", "Standard eMail-Programm öffnen|standardmailer"}));
    QCOMPARE(window.Command1->text(), QStringLiteral("&eMail schreiben"));
    QCOMPARE(window.Command2->text(), QStringLiteral("&MS-Word® öffnen"));
    QCOMPARE(window.Command3->text(), QStringLiteral("&Schließen"));
}

void Erinnerung1Test::figures_data()
{
    QTest::addColumn<QString>("born");
    QTest::addColumn<QString>("nameLine");
    QTest::addColumn<QString>("sign");
    QTest::addColumn<QStringList>("lines");
    QTest::addRow("age 46") << "01.02.1980"
                            << "Anna Meier (46)"
                            << "Wassermann"
                            << QStringList{"552 Monaten",     "2.392 Wochen",       "16.790 Tagen",
                                           "402.960 Stunden", "24.177.600 Minuten", "1.450.656.000 Sekunden"};
    QTest::addRow("born this year") << "30.01.2026"
                                    << "Anna Meier (0)"
                                    << "Wassermann" << QStringList{" Monaten", " Wochen",  " Tagen",
                                                                   " Stunden", " Minuten", " Sekunden"};
    QTest::addRow("seconds beyond 32 bits")
        << "29.02.1957"
        << "Anna Meier (69)"
        << "Fische" << QStringList{"828 Monaten",     "3.588 Wochen",       "25.185 Tagen",
                                   "604.440 Stunden", "36.266.400 Minuten", "2.175.984.000 Sekunden"};
}

void Erinnerung1Test::figures()
{
    QFETCH(QString, born);
    QFETCH(QString, nameLine);
    QFETCH(QString, sign);
    QFETCH(QStringList, lines);
    setPerson("Anna", "Meier", born);
    erinnerung1& window = open();
    QCOMPARE(window.Label1->text(), nameLine);
    QCOMPARE(window.Label4->text(), sign);
    QCOMPARE(QAccessible::queryAccessibleInterface(window.Label4)->text(QAccessible::Name), sign);
    const QString text = "Dies entspricht eine Lebenszeit von: \r\n" + lines.join("\r\n");
    QCOMPARE(LifetimeText(nameLine.section('(', 1).chopped(1).toInt()), text);
    QCOMPARE(window.sevBerechnung->toPlainText(), QString(text).replace("\r\n", "\n"));
    // The greetings fill the birthday placeholder with the whole date.
    QCOMPARE(Globale_Variablen::PersonBirthday, born);
}

void Erinnerung1Test::namesWithMarkupShowAsTheListHoldsThem_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addRow("tags") << "<b>Fett</b>"
                          << "Meier";
    QTest::addRow("a character reference") << "Herz &lt;3"
                                           << "Meier";
    QTest::addRow("a placeholder's text") << "Dora&lt;EMAIL&gt;"
                                          << "Meier";
    QTest::addRow("ampersand and brackets") << "Anna"
                                            << "Müller & Söhne <GmbH>";
    QTest::addRow("a long name") << "Dora&lt;EMAIL&gt;"
                                 << "Müller & Söhne <GmbH> von und zu Hohenstein-Ernstthal und Umgebung";
}

// The name line shows the name exactly as the list holds it, though it reads like markup.
void Erinnerung1Test::namesWithMarkupShowAsTheListHoldsThem()
{
    QFETCH(QString, first);
    QFETCH(QString, last);
    setPerson(first, last, "01.02.1980");
    erinnerung1& window = open();
    const QString nameLine = first + " " + last + " (46)";
    QCOMPARE(window.Label1->text(), nameLine);
    QCOMPARE(window.Label1->textFormat(), Qt::PlainText);
    QCOMPARE(window.Label4->textFormat(), Qt::PlainText);
    // All of it, on as many lines as it takes.
    QTRY_VERIFY(window.Label1->height() >=
                window.Label1->fontMetrics()
                    .boundingRect(QRect(0, 0, window.Label1->width(), 1000), Qt::TextWordWrap, nameLine)
                    .height());
    QVERIFY(window.Label1->mapTo(&window, window.Label1->rect().topRight()).x() < window.width());
}

void Erinnerung1Test::laterActivationsChangeNothing()
{
    erinnerung1& window = open();
    const QString figures = window.sevBerechnung->toPlainText();
    setPerson("Bert", "Abel", "23.11.1990");
    window.Form_Activate();
    window.hide();
    window.show();
    QCOMPARE(window.Label1->text(), QStringLiteral("Anna Meier (46)"));
    QCOMPARE(window.Label4->text(), QStringLiteral("Wassermann"));
    QCOMPARE(window.sevBerechnung->toPlainText(), figures);
}

void Erinnerung1Test::copyPutsTheFiguresOnTheClipboard()
{
    erinnerung1& window = open();
    QApplication::clipboard()->setText("vorher");
    window.sevTabStrip1->setCurrentIndex(2);
    window.Command4->click();
    const QString copied = QApplication::clipboard()->text();
    QCOMPARE(copied, window.sevBerechnung->toPlainText());
    QVERIFY(copied.startsWith("Dies entspricht eine Lebenszeit von: "));
    QVERIFY(copied.endsWith(" Sekunden"));
    QVERIFY(!copied.contains("Anna"));
}

void Erinnerung1Test::mailLinkHasNoRecipient()
{
    erinnerung1& window = open();
    menuItem(window, "standardmailer")->trigger();
    QCoreApplication::processEvents(); // the entries run queued
    QCOMPARE(fixture_->seams->shell.opened,
             QStringList{"mailto:?subject=Herzlichen%20Gl%C3%BCckwunsch%20zum%20Tovalinero"
                         "&body=Hallo%20Anna%20Meier%20%2846%29"});
    const QUrl link(fixture_->seams->shell.opened.first());
    QCOMPARE(link.scheme(), QStringLiteral("mailto"));
    QCOMPARE(link.path(), QString());
    const QUrlQuery query(link);
    QCOMPARE(query.queryItemValue("subject", QUrl::FullyDecoded),
             QStringLiteral("Herzlichen Glückwunsch zum Tovalinero"));
    QCOMPARE(query.queryItemValue("body", QUrl::FullyDecoded), QStringLiteral("Hallo Anna Meier (46)"));
    QVERIFY(fixture_->seams->prompt.messages.isEmpty());
}

void Erinnerung1Test::wordProcessor_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addRow("word processor") << true;
    QTest::addRow("none installed") << false;
}

void Erinnerung1Test::wordProcessor()
{
    QFETCH(bool, installed);
    office_.wordProcessorInstalled = installed;
    erinnerung1& window = open();
    window.Command2->click();
    QCOMPARE(office_.documentsRequested, 1);
    QCOMPARE(fixture_->seams->prompt.messages.size(), installed ? 0 : 1);
    if (!installed) {
        const QString text = fixture_->seams->prompt.messages[0].text;
        QVERIFY2(text.startsWith("Es konnte kein neues Textdokument geöffnet werden."), qPrintable(text));
        QVERIFY(text.contains(office_.refusal));
    }
    QVERIFY(Forms::Loaded<erinnerung1>());
}

// The already-sent notice points to "eMail schreiben", which opens the composer modally with the
// person's address; closing the composer leaves the window as it was.
void Erinnerung1Test::composerAndCloseButtons()
{
    fixture_->folder->writeBytes(fixture_->folder->data("emails/2026_anna@example.org_Anna.eml"), "kopie");
    erinnerung1& window = open();
    menuItem(window, "standardtext")->trigger();
    QCoreApplication::processEvents(); // the entries run queued
    QCOMPARE(fixture_->seams->prompt.messages.size(), 1);
    QVERIFY(fixture_->seams->prompt.messages[0].text.endsWith("\"eMail schreiben\"."));

    QString recipient;
    bool modal = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        eMail_Fenster* composer = Forms::Loaded<eMail_Fenster>();
        if (!composer || !composer->isVisible())
            return;
        poll.stop();
        recipient = composer->sevEmail->Text();
        modal = composer->isModal();
        composer->close();
    });
    poll.start(0);
    window.Command1->click();
    QCoreApplication::processEvents(); // the button runs queued
    poll.stop();
    FlushDeletedWindows();
    QCOMPARE(recipient, QStringLiteral("anna@example.org"));
    QVERIFY(modal);
    QVERIFY(!Forms::Loaded<eMail_Fenster>());
    QCOMPARE(fixture_->seams->prompt.messages.size(), 1);
    QCOMPARE(window.Label1->text(), QStringLiteral("Anna Meier (46)"));
    window.Command3->click();
    QVERIFY(!Forms::Loaded<erinnerung1>());
}

void Erinnerung1Test::greetingFromTheDropDown_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("bodyPart");
    QTest::addRow("standard text") << "standardtext" << QByteArray("Hallo Anna Meier,");
    QTest::addRow("individual text") << "individuellertext" << QByteArray("Liebe Anna, alles Gute!");
}

void Erinnerung1Test::greetingFromTheDropDown()
{
    QFETCH(QString, key);
    QFETCH(QByteArray, bodyPart);
    SmtpServer server;
    QVERIFY(server.startMailbox());
    SmtpControl::SetPortOverrideForTests(server.port());
    const ProgramFolderFixture& folder = *fixture_->folder;
    setAccount();
    erinnerung1& window = open();
    menuItem(window, key)->trigger();
    QCoreApplication::processEvents(); // the entries run queued
    QVERIFY2(fixture_->seams->prompt.messages.isEmpty(),
             qPrintable(fixture_->seams->prompt.texts().join('|')));
    QTRY_COMPARE(server.messages().size(), 1);
    const QByteArray copy = folder.readBytes(folder.data("emails/2026_anna@example.org_Anna.eml"));
    QVERIFY(copy.contains("To: anna@example.org"));
    QVERIFY2(copy.contains(bodyPart), copy.constData());
    QVERIFY(window.Command1->isEnabled());
    QVERIFY(!window.ProgressBar1->isVisible());

    // A second pick finds this year's copy and sends nothing.
    menuItem(window, key)->trigger();
    QCoreApplication::processEvents(); // the entries run queued
    QCOMPARE(fixture_->seams->prompt.messages.size(), 1);
    const MessageRequest& box = fixture_->seams->prompt.messages[0];
    QCOMPARE(box.title, QStringLiteral("eMail bereits gesendet"));
    QCOMPARE(box.icon, MsgIcon::Information);
    QVERIFY(box.text.contains("< anna@example.org >"));
    QTest::qWait(200);
    QCOMPARE(server.messages().size(), 1);
}

void Erinnerung1Test::failedConnectionGivesTheWindowBack()
{
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closed.serverPort();
    closed.close();
    SmtpControl::SetPortOverrideForTests(port);
    fixture_->folder->setSetting(Settings::SmtpServer, "127.0.0.1");
    fixture_->folder->setSetting(Settings::SmtpFromAddress, "absender@example.org");
    erinnerung1& window = open();
    menuItem(window, "standardtext")->trigger();
    QCoreApplication::processEvents(); // the entries run queued
    QCOMPARE(fixture_->seams->prompt.messages.size(), 1);
    QVERIFY(
        fixture_->seams->prompt.messages[0].text.startsWith("Fehler beim Verbinden mit dem Mailserver\r\n"));
    QVERIFY(window.Command1->isEnabled());
    QVERIFY(!window.ProgressBar1->isVisible());
    QVERIFY(!QFile::exists(fixture_->folder->data("emails/2026_anna@example.org_Anna.eml")));
}

// The server has kept the greeting and answers the end of its data late; the window closes
// meanwhile. The greeting still gets its copy, so picking it again sends nothing.
void Erinnerung1Test::closingWhileTheServerAnswersKeepsTheGreeting()
{
    SmtpServer server;
    SmtpServer::Options options;
    options.replyDelay = 3;
    QVERIFY(server.start(options));
    SmtpControl::SetPortOverrideForTests(server.port());
    setAccount();
    erinnerung1& window = open();
    QPointer<erinnerung1> closed(&window);
    connect(window.sevSMTP1, &SmtpControl::Progress, this, [&](int percent) {
        if (percent == 100 && closed)
            closed->Command3->click();
    });
    menuItem(window, "standardtext")->trigger();
    QCoreApplication::processEvents(); // the entries run queued
    FlushDeletedWindows();
    QVERIFY(!closed);
    QVERIFY(!Forms::Loaded<erinnerung1>());

    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(copyFile()), 20000);
    QCOMPARE(server.messages().size(), 1);
    QCOMPARE(fixture_->folder->readBytes(copyFile()), server.messages().first());
    QVERIFY(SmtpControl::FinishPendingTransfers(20));

    erinnerung1& again = open();
    menuItem(again, "standardtext")->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(fixture_->seams->prompt.messages.size(), 1);
    QCOMPARE(fixture_->seams->prompt.messages.first().title, QStringLiteral("eMail bereits gesendet"));
    QCOMPARE(server.messages().size(), 1);
}

// The program ends while the server answers the end of the greeting's data: the end waits for
// the answer, and the copy is there when the program has ended.
void Erinnerung1Test::programEndWaitsForTheGreeting()
{
    SmtpServer server;
    SmtpServer::Options options;
    options.replyDelay = 3;
    QVERIFY(server.start(options));
    SmtpControl::SetPortOverrideForTests(server.port());
    setAccount();
    int ends = 0;
    FormRegistry::setProgramEndHandler([&ends] {
        ++ends;
        QCoreApplication::quit();
    });
    QTimer::singleShot(0, this, [&] {
        erinnerung1& window = open();
        connect(window.sevSMTP1, &SmtpControl::Progress, this, [&](int percent) {
            if (percent == 100 && ends == 0)
                UnloadAllForms();
        });
        menuItem(window, "standardtext")->trigger();
    });
    // Should the end never come, the test fails below instead of hanging.
    QTimer::singleShot(60000, qApp, [] { QCoreApplication::quit(); });

    RunMessageLoop();

    QCOMPARE(ends, 1);
    QCOMPARE(server.messages().size(), 1);
    QVERIFY(QFile::exists(copyFile()));
    QCOMPARE(fixture_->folder->readBytes(copyFile()), server.messages().first());
}

void Erinnerung1Test::birthdayCheckOpensTheWindow()
{
    SetReminderWindowOpener({});
    fixture_->writeList({"Anna~Meier~30.01.1980~0~1~~~~~anna@example.org"});
    fixture_->folder->writeBytes(fixture_->folder->data("demnaechst.dat"), QByteArray());
    Form1& form = fixture_->form();
    form.LoadBirthdayList();
    form.LoadUpcomingList();
    QString nameLine, sign;
    bool modal = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        erinnerung1* window = Forms::Loaded<erinnerung1>();
        if (!window || !window->isVisible())
            return;
        poll.stop();
        nameLine = window->Label1->text();
        sign = window->Label4->text();
        modal = window->isModal();
        window->Command3->click();
    });
    poll.start(0);
    form.ueberpr_Click();
    poll.stop();
    QCOMPARE(nameLine, QStringLiteral("Anna Meier (46)"));
    QCOMPARE(sign, QStringLiteral("Wassermann"));
    QVERIFY(modal);
    QCOMPARE(fixture_->seams->sound.played.size(), 1);
    FlushDeletedWindows();
    QVERIFY(!Forms::Loaded<erinnerung1>());
}

void Erinnerung1Test::emptyTextDocumentIsOpenDocument()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("neu.odt");
    QString error;
    QVERIFY2(WriteEmptyTextDocument(path, &error), qPrintable(error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("PK"));
    QVERIFY(bytes.contains("mimetypeapplication/vnd.oasis.opendocument.text"));
    QVERIFY(!WriteEmptyTextDocument(dir.filePath("fehlt/neu.odt"), &error));
    QVERIFY(!error.isEmpty());
}

void Erinnerung1Test::keys_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QStringList>("outcomes");
    const QKeyCombination altS(Qt::ALT, Qt::Key_S);
    const QKeyCombination enter(Qt::Key_Return);
    // "&Sternzeichen" and "&Schließen" share Alt+S: each press moves on to the next of them and
    // presses nothing.
    QTest::addRow("Alt+S once shows the sign")
        << "" << QKeySequence(altS) << QStringList{"Seite &Sternzeichen"};
    QTest::addRow("Alt+S twice goes to Schließen")
        << "" << QKeySequence(altS, altS) << QStringList{"Seite &Sternzeichen", "Fokus &Schließen"};
    QTest::addRow("Alt+S twice, then Return closes")
        << "" << QKeySequence(altS, altS, enter)
        << QStringList{"Seite &Sternzeichen", "Fokus &Schließen", "geschlossen"};
    QTest::addRow("Alt+S on the tabs") << "tabs" << QKeySequence(altS) << QStringList{"Seite &Sternzeichen"};
    QTest::addRow("Alt+S on Schließen comes round to the tab")
        << "Command3" << QKeySequence(altS, altS) << QStringList{"Seite &Sternzeichen", "Fokus &Schließen"};
    QTest::addRow("Alt+B") << "" << QKeySequence(Qt::ALT | Qt::Key_B) << QStringList{"Seite &Berechnung"};
    QTest::addRow("Alt+M presses MS-Word at once")
        << "" << QKeySequence(Qt::ALT | Qt::Key_M) << QStringList{"Textdokument"};
    QTest::addRow("Return on Schließen") << "Command3" << QKeySequence(enter) << QStringList{"geschlossen"};
    QTest::addRow("keypad Enter on Schließen")
        << "Command3" << QKeySequence(Qt::KeypadModifier | Qt::Key_Enter) << QStringList{"geschlossen"};
    QTest::addRow("Return on MS-Word") << "Command2" << QKeySequence(enter) << QStringList{"Textdokument"};
    QTest::addRow("Return on the copy button")
        << "Command4" << QKeySequence(enter) << QStringList{"Zwischenablage"};
    QTest::addRow("Alt+Down on eMail schreiben")
        << "Command1" << QKeySequence(Qt::ALT | Qt::Key_Down) << QStringList{"Menü: Standard-Text senden"};
}

void Erinnerung1Test::keys()
{
    QFETCH(QString, focus);
    QFETCH(QKeySequence, keys);
    QFETCH(QStringList, outcomes);
    QApplication::clipboard()->clear();
    erinnerung1& window = open();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    if (focus == "Command4")
        window.sevTabStrip1->setCurrentIndex(2);
    QWidget* target = focus.isEmpty()   ? static_cast<QWidget*>(&window)
                      : focus == "tabs" ? window.sevTabStrip1->tabBar()
                                        : window.findChild<QWidget*>(focus);
    QVERIFY(target);
    target->setFocus(Qt::TabFocusReason);
    QString menu;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&menu] {
        if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            menu = "Menü: " + popup->actions().value(0)->text();
            popup->close();
        }
    });
    poll.start(0);
    QPointer<erinnerung1> alive(&window);
    const auto anyButtonDown = [&alive] {
        if (!alive)
            return false;
        const QList<QAbstractButton*> buttons = alive->findChildren<QAbstractButton*>();
        return std::any_of(buttons.begin(), buttons.end(), [](QAbstractButton* b) { return b->isDown(); });
    };
    QStringList seen;
    for (int i = 0; i < keys.count() && alive; ++i) {
        const int tab = window.sevTabStrip1->currentIndex();
        QWidget* before = QApplication::focusWidget();
        QTest::keyClick(before ? before : target, keys[i].key(), keys[i].keyboardModifiers());
        // A key of one button alone shows it pressed for a moment, then clicks it.
        QTRY_VERIFY(!anyButtonDown());
        QTest::qWait(0);
        FlushDeletedWindows();
        auto* button = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
        if (!alive)
            seen << "geschlossen";
        else if (!menu.isEmpty())
            seen << menu;
        else if (office_.documentsRequested > 0)
            seen << "Textdokument";
        else if (!QApplication::clipboard()->text().isEmpty())
            seen << "Zwischenablage";
        else if (window.sevTabStrip1->currentIndex() != tab)
            seen << "Seite " + window.sevTabStrip1->tabText(window.sevTabStrip1->currentIndex());
        else if (button && button != before)
            seen << "Fokus " + button->text();
        else
            seen << "nichts";
    }
    poll.stop();
    QCOMPARE(seen, outcomes);
}

QTEST_MAIN(Erinnerung1Test)
#include "tst_erinnerung1.moc"
