#include "common/forms.h"
#include "common/globale_variablen.h"
#include "common/htmled.h"
#include "common/mousepointer.h"
#include "common/richtexthtml.h"
#include "common/textfile.h"
#include "greetings/frmlog.h"
#include "greetings/greetingsender.h"
#include "greetings/smtpcontrol.h"
#include "greetings/smtpserveraddress.h"
#include "settings/settingsfile.h"
#include "support/fakes.h"
#include "support/programfolderfixture.h"
#include "support/smtpserver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

using namespace Globale_Variablen;

namespace
{

// The parts of a reminder window that a greeting send touches.
struct HostWindow {
    QWidget window;
    SmtpControl* smtp = new SmtpControl(&window);
    QPushButton* button = new QPushButton(QStringLiteral("&eMail schreiben"), &window);
    QProgressBar* bar = new QProgressBar(&window);
    GreetingWorkBox* box = new GreetingWorkBox(&window);
    QList<bool> completions;
    int alreadySentNotices = 0;
    int barShownDuringSend = 0;
    int buttonEnabledDuringSend = 0;

    HostWindow()
    {
        bar->hide();
        QObject::connect(smtp, &SmtpControl::SendStart, &window, [this] {
            barShownDuringSend += bar->isVisibleTo(&window);
            buttonEnabledDuringSend += button->isEnabled();
            GreetingSender::HandleSendStart(bar);
        });
        QObject::connect(smtp, &SmtpControl::Progress, &window,
                         [this](int percent) { GreetingSender::HandleProgress(bar, percent); });
        QObject::connect(smtp, &SmtpControl::Log, &window,
                         [](const QString& line) { GreetingSender::HandleLog(line); });
    }

    void send(GreetingSender::Body body)
    {
        GreetingSender::WindowParts parts;
        parts.window = &window;
        parts.smtp = smtp;
        parts.sendButton = button;
        parts.progressBar = bar;
        parts.workBox = box;
        parts.alreadySent = [this] { ++alreadySentNotices; };
        parts.completed = [this](bool sent) { completions << sent; };
        GreetingSender::Send(body, parts);
    }
};

void setPerson(const QString& firstName = QStringLiteral("Anna"),
               const QString& email = QStringLiteral("anna@example.org"))
{
    PersonFirstName = firstName;
    PersonLastName = QStringLiteral("Muster");
    PersonBirthday = QStringLiteral("30.01.1980");
    PersonEmail = email;
    PersonStreet = QStringLiteral("Hauptstraße 1");
    PersonZip = QStringLiteral("10115");
    PersonTown = QStringLiteral("Berlin");
    PersonGreetingHtml =
        QStringLiteral("<p>Liebe &lt;VORNAME&gt;, &lt;Vorname&gt; <VORNAME> &lt;ABSENDERNAME&gt;</p>");
    PersonUseStandardText = 1;
    SenderName = QStringLiteral("Jürgen");
}

// 64 + 1 + 189 = 254 characters, the most an address may have.
QString longestAddress()
{
    return QString(64, QLatin1Char('a')) + "@" + QString(63, QLatin1Char('b')) + "." +
           QString(63, QLatin1Char('c')) + "." + QString(58, QLatin1Char('d')) + ".de";
}

void setAccount(const ProgramFolderFixture& folder)
{
    folder.setSetting(Settings::SmtpFromName, QStringLiteral("Jürgen Sender"));
    folder.setSetting(Settings::SmtpFromCompany, QStringLiteral("Muster GmbH"));
    folder.setSetting(Settings::SmtpFromAddress, QStringLiteral("juergen@example.org"));
    folder.setSetting(Settings::SmtpServer, QStringLiteral("127.0.0.1"));
    folder.setSetting(Settings::GreetingSubject, QStringLiteral("Alles Gute zum Tovalinero!"));
}

// Sends the person's greeting to a real server on this machine and gives the one message it
// received; every message box shown on the way fails the test.
void sendOneGreeting(bool standard, const FakeSeams& seams, QByteArray* received)
{
    SmtpServer server;
    QVERIFY(server.start({}));
    SmtpControl::SetPortOverrideForTests(server.port());
    HostWindow host;

    host.send(standard ? GreetingSender::Body::Standard : GreetingSender::Body::Individual);

    QCOMPARE(seams.prompt.messages.size(), 0);
    QCOMPARE(server.messages().size(), 1);
    *received = server.messages().first();
}

} // namespace

class TestGreetings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        FormRegistry::setProgramEndHandler([] {});
    }

    void cleanup()
    {
        SmtpControl::SetPortOverrideForTests(0);
        Forms::Unload<frmlog>();
        FlushDeletedWindows();
    }

    // Eight placeholders, exact and case-sensitive; the values go in escaped for HTML, so the
    // greeting shows them as the list holds them, also when they read like markup or a placeholder.
    void placeholders_data()
    {
        QTest::addColumn<QString>("firstName");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::addRow("all eight")
            << "Anna"
            << "&lt;VORNAME&gt; &lt;NACHNAME&gt; &lt;TOVALINERO&gt; &lt;EMAIL&gt; &lt;STRASSE&gt; "
               "&lt;PLZ&gt; "
               "&lt;WOHNORT&gt; &lt;ABSENDERNAME&gt;"
            << "Anna Muster 30.01.1980 anna@example.org Hauptstraße 1 10115 Berlin Jürgen";
        QTest::addRow("every occurrence") << "Anna"
                                          << "&lt;VORNAME&gt;&lt;VORNAME&gt;"
                                          << "AnnaAnna";
        QTest::addRow("other capitals and plain brackets stay")
            << "Anna"
            << "&lt;Vorname&gt; <VORNAME> &LT;VORNAME&GT; &lt;VORNAME &lt;"
            << "&lt;Vorname&gt; <VORNAME> &LT;VORNAME&GT; &lt;VORNAME &lt;";
        QTest::addRow("a placeholder's text in a value") << "&lt;EMAIL&gt;"
                                                         << "&lt;VORNAME&gt;"
                                                         << "&amp;lt;EMAIL&amp;gt;";
        QTest::addRow("a placeholder in plain brackets in a value") << "Dora<EMAIL>"
                                                                    << "&lt;VORNAME&gt;!"
                                                                    << "Dora&lt;EMAIL&gt;!";
        QTest::addRow("the same placeholder in a value") << "&lt;VORNAME&gt;"
                                                         << "&lt;VORNAME&gt;"
                                                         << "&amp;lt;VORNAME&amp;gt;";
        QTest::addRow("markup in a value") << "<b>Anna</b> & Co \"A\""
                                           << "&lt;VORNAME&gt;"
                                           << "&lt;b&gt;Anna&lt;/b&gt; &amp; Co &quot;A&quot;";
        QTest::addRow("empty text") << "Anna"
                                    << ""
                                    << "";
    }

    void placeholders()
    {
        QFETCH(QString, firstName);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        setPerson(firstName);
        QCOMPARE(GreetingSender::FillPlaceholders(text), expected);
    }

    // Standard and individual greeting arrive filled; the yearly copy holds the bytes sent.
    void sendsGreeting_data()
    {
        QTest::addColumn<bool>("standard");
        QTest::addColumn<bool>("removeFolders");
        QTest::addColumn<QStringList>("expected");
        QTest::addRow("standard template")
            << true << false
            << QStringList{"Hallo Anna Muster,", "am 30.01.1980", "in 10115 Berlin, Hauptstraße 1.",
                           "Jürgen</p>", "ging an anna@example.org."};
        QTest::addRow("own text") << false << false
                                  << QStringList{"<p>Liebe Anna, &lt;Vorname&gt; <VORNAME> Jürgen</p>"};
        QTest::addRow("copy and temp folders missing") << true << true << QStringList{"Hallo Anna Muster,"};
    }

    void sendsGreeting()
    {
        QFETCH(bool, standard);
        QFETCH(bool, removeFolders);
        QFETCH(QStringList, expected);
        FakeSeams seams;
        ProgramFolderFixture folder;
        setAccount(folder);
        setPerson();
        if (removeFolders) {
            QVERIFY(QDir(folder.data("emails")).removeRecursively());
            QVERIFY(QDir(folder.data("temp")).removeRecursively());
        }
        const QByteArray templateBytes = folder.readBytes(folder.data("standard.html"));
        SmtpServer server;
        QVERIFY(server.start({}));
        SmtpControl::SetPortOverrideForTests(server.port());
        HostWindow host;

        host.send(standard ? GreetingSender::Body::Standard : GreetingSender::Body::Individual);

        QCOMPARE(seams.prompt.messages.size(), 0);
        QCOMPARE(host.completions, QList<bool>{true});
        QCOMPARE(host.barShownDuringSend, 1);
        QCOMPARE(host.buttonEnabledDuringSend, 0);
        QVERIFY(host.button->isEnabled());
        QVERIFY(host.bar->isHidden());
        QVERIFY(!IsBusyPointerShown());
        QCOMPARE(server.messages().size(), 1);
        const QByteArray received = server.messages().first();
        const QString html = SmtpServer::HtmlPart(received);
        for (const QString& text : expected)
            QVERIFY2(html.contains(text), qPrintable(text + "\n" + html));
        QVERIFY(!html.contains("&lt;VORNAME&gt;"));
        QVERIFY(received.contains("Subject: Alles Gute zum Tovalinero!"));
        QVERIFY(received.contains("X-Mailer: Tovalinero Pro V3.1.1 (www.tovalinero.example)"));
        QVERIFY(received.contains("Organization: Muster GmbH"));
        QVERIFY(!received.contains("Disposition-Notification-To"));
        QCOMPARE(folder.readBytes(folder.data("emails/2026_anna@example.org_Anna.eml")), received);
        QCOMPARE(folder.readBytes(folder.data("standard.html")), templateBytes);
        QCOMPARE(host.smtp->Port(), 25);
        QVERIFY(QDir(folder.data("temp")).exists());
        if (standard)
            QVERIFY(host.box->Text().contains("Hallo Anna Muster,"));
        else
            // The person's own text stays as the list holds it.
            QCOMPARE(PersonGreetingHtml,
                     QStringLiteral(
                         "<p>Liebe &lt;VORNAME&gt;, &lt;Vorname&gt; <VORNAME> &lt;ABSENDERNAME&gt;</p>"));
        // The protocol went to the status window, which nobody showed.
        frmlog* log = Forms::Loaded<frmlog>();
        QVERIFY(log);
        QVERIFY(!log->isVisible());
        QVERIFY(log->Text().startsWith("C: QUIT\r\n"));
        QVERIFY(log->Text().contains("C: MAIL FROM:<juergen@example.org>"));
    }

    // One greeting a year per address and first name.
    void alreadySent_data()
    {
        QTest::addColumn<QString>("secondFirstName");
        QTest::addColumn<QString>("secondEmail");
        QTest::addColumn<int>("secondYear");
        QTest::addColumn<bool>("secondSent");
        QTest::addRow("another person, same address and first name") << "Anna"
                                                                     << "anna@example.org" << 2026 << false;
        QTest::addRow("same address, other first name") << "Bernd"
                                                        << "anna@example.org" << 2026 << true;
        QTest::addRow("next year") << "Anna"
                                   << "anna@example.org" << 2027 << true;
    }

    void alreadySent()
    {
        QFETCH(QString, secondFirstName);
        QFETCH(QString, secondEmail);
        QFETCH(int, secondYear);
        QFETCH(bool, secondSent);
        FakeSeams seams;
        ProgramFolderFixture folder;
        setAccount(folder);
        SmtpServer server;
        QVERIFY(server.start({}));
        SmtpControl::SetPortOverrideForTests(server.port());
        HostWindow host;
        setPerson();
        host.send(GreetingSender::Body::Standard);
        QCOMPARE(server.messages().size(), 1);

        setPerson(secondFirstName, secondEmail);
        PersonLastName = QStringLiteral("Zweiter");
        seams.clock.set(QDateTime(QDate(secondYear, 1, 30), QTime(11, 0)));
        const QString greetingBefore = PersonGreetingHtml;
        host.send(GreetingSender::Body::Individual);

        QCOMPARE(server.messages().size(), secondSent ? 2 : 1);
        QCOMPARE(host.alreadySentNotices, secondSent ? 0 : 1);
        QCOMPARE(host.completions.size(), secondSent ? 2 : 1);
        if (!secondSent)
            QCOMPARE(PersonGreetingHtml, greetingBefore); // nothing was prepared
        QVERIFY(QFile::exists(folder.data(
            QStringLiteral("emails/%1_%2_%3.eml").arg(secondYear).arg(secondEmail, secondFirstName))));
        QCOMPARE(seams.prompt.messages.size(), 0);
    }

    // The account members follow settings lines 6 to 14; a failed connection gives message 3.
    void accountMembers_data()
    {
        QTest::addColumn<QString>("line10");
        QTest::addColumn<QString>("line14");
        QTest::addColumn<bool>("authentication");
        QTest::addColumn<bool>("readReceipt");
        QTest::addRow("defaults") << " 0 "
                                  << " 0 " << false << false;
        QTest::addRow("authentication on") << " 1 "
                                           << " 0 " << true << false;
        QTest::addRow("without blanks") << "1"
                                        << "1" << true << true;
        QTest::addRow("two is no authentication, but a read receipt") << " 2 "
                                                                      << " 2 " << false << true;
        QTest::addRow("empty lines count as 0") << ""
                                                << "" << false << false;
        QTest::addRow("no number counts as 0") << "ja"
                                               << "x" << false << false;
    }

    void accountMembers()
    {
        QFETCH(QString, line10);
        QFETCH(QString, line14);
        QFETCH(bool, authentication);
        QFETCH(bool, readReceipt);
        FakeSeams seams;
        ProgramFolderFixture folder;
        setAccount(folder);
        folder.setSetting(Settings::SmtpAuthRequired, line10);
        folder.setSetting(Settings::SmtpUserName, QStringLiteral("anna.konto"));
        folder.setSetting(Settings::SmtpPassword, QStringLiteral(" geheim "));
        folder.setSetting(Settings::ReadReceiptRequested, line14);
        SmtpControl::SetPortOverrideForTests(SmtpServer::FreePort());
        setPerson();
        HostWindow host;

        host.send(GreetingSender::Body::Standard);

        SmtpControl& smtp = *host.smtp;
        QCOMPARE(smtp.Host(), QStringLiteral("127.0.0.1"));
        QCOMPARE(smtp.Port(), 25);
        QCOMPARE(smtp.FromName(), QStringLiteral("Jürgen Sender"));
        QCOMPARE(smtp.Organization(), QStringLiteral("Muster GmbH"));
        QCOMPARE(smtp.FromAddress(), QStringLiteral("juergen@example.org"));
        QCOMPARE(smtp.UseAuthentication(), authentication);
        QCOMPARE(smtp.UserName(), authentication ? QStringLiteral("anna.konto") : QString());
        QCOMPARE(smtp.ReadReceipt(), readReceipt);
        QCOMPARE(smtp.Subject(), QStringLiteral("Alles Gute zum Tovalinero!"));
        QVERIFY2(smtp.TextBody().startsWith("Hallo Anna Muster,\n\nzu Deinem Tovalinero am 30.01.1980"),
                 qPrintable(smtp.TextBody()));
        QCOMPARE(smtp.TempFolder(), folder.folder() + "/daten/temp");
        QCOMPARE(smtp.CopyFile(), folder.folder() + "/daten/emails/2026_anna@example.org_Anna.eml");
        QVERIFY(smtp.Attachments().isEmpty());

        QCOMPARE(seams.prompt.messages.size(), 1);
        const MessageRequest box = seams.prompt.messages.first();
        QCOMPARE(box.text, QStringLiteral("Fehler beim Verbinden mit dem Mailserver\r\n") + smtp.LastError());
        QVERIFY(box.text.contains("127.0.0.1"));
        QCOMPARE(box.title, QStringLiteral("Tovalinero"));
        QCOMPARE(box.icon, MsgIcon::None);
        QCOMPARE(box.buttons, MsgButtons::Ok);
        QVERIFY(host.completions.isEmpty());
        QVERIFY(host.button->isEnabled());
        QVERIFY(host.bar->isHidden());
        QVERIFY(!IsBusyPointerShown());
        QVERIFY(!QFile::exists(smtp.CopyFile()));
    }

    // A message the server refuses is reported, never shown as sent, and leaves no copy.
    void refusedMessage()
    {
        FakeSeams seams;
        ProgramFolderFixture folder;
        setAccount(folder);
        SmtpServer server;
        SmtpServer::Options options;
        options.rejectRecipients = true;
        QVERIFY(server.start(options));
        SmtpControl::SetPortOverrideForTests(server.port());
        setPerson();
        HostWindow host;

        host.send(GreetingSender::Body::Standard);

        QCOMPARE(host.completions, QList<bool>{false});
        QCOMPARE(seams.prompt.messages.size(), 1);
        QVERIFY(seams.prompt.messages.first().text.startsWith("Fehler beim Versenden der Nachricht\r\n"));
        QVERIFY(seams.prompt.messages.first().text.contains("550"));
        QVERIFY(!QFile::exists(folder.data("emails/2026_anna@example.org_Anna.eml")));
        QVERIFY(host.button->isEnabled());
        QVERIFY(host.bar->isHidden());
        QVERIFY(!IsBusyPointerShown());
    }

    // The already-sent texts, exactly.
    void notices()
    {
        setPerson();
        QCOMPARE(GreetingSender::AlreadySentBoxText(),
                 QStringLiteral(
                     "Sie haben bereits eine eMail an\r\r< anna@example.org >\r\rgesendet. Wenn Sie eine "
                     "neue eMail verfassen wollen, \rdann klicken Sie auf den Button \"eMail schreiben\"."));
        QCOMPARE(GreetingSender::AlreadySentStatusText(),
                 QStringLiteral(
                     "Ein Tovalinerosgruß wurde heute bereits an \r\n< anna@example.org > abgeschickt."));
        FakeSeams seams;
        GreetingSender::ShowAlreadySentBox();
        QCOMPARE(seams.prompt.messages.size(), 1);
        QCOMPARE(seams.prompt.messages.first().title, QStringLiteral("eMail bereits gesendet"));
        QCOMPARE(seams.prompt.messages.first().icon, MsgIcon::Information);
    }

    // The status window: created hidden by the first line, newest first, lost when closed.
    void statusWindow()
    {
        QVERIFY(!Forms::Loaded<frmlog>());
        GreetingSender::HandleLog("A\r\n");
        GreetingSender::HandleLog("B\r\n");
        GreetingSender::HandleLog("C");
        frmlog* log = Forms::Loaded<frmlog>();
        QVERIFY(log);
        QVERIFY(!log->isVisible());
        QCOMPARE(log->windowTitle(), QStringLiteral("Status"));
        QCOMPARE(log->Text(), QStringLiteral("CB\r\nA\r\n"));
        QCOMPARE(log->txtStatus->toPlainText(), QStringLiteral("CB\nA\n"));
        QVERIFY(log->txtStatus->isReadOnly());

        log->show();
        log->close();
        FlushDeletedWindows();
        QVERIFY(!Forms::Loaded<frmlog>());
        GreetingSender::HandleLog("D\r\n");
        QCOMPARE(Forms::Get<frmlog>().Text(), QStringLiteral("D\r\n"));
    }

    // A name that fits and holds no refused character stays as it always was; any other is made
    // to fit 255 bytes of UTF-8, without a refused character, and keeps persons apart.
    void copyFileName_data()
    {
        const QString longest = longestAddress();
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("firstName");
        QTest::addColumn<QString>("name");         // empty: shortened or changed, checked by its properties
        QTest::addColumn<QString>("otherAddress"); // must give another name
        QTest::addColumn<QString>("kept");         // must appear in the name
        QTest::addRow("short name unchanged") << "anna@example.org"
                                              << "Anna"
                                              << "2026_anna@example.org_Anna.eml" << QString() << QString();
        QTest::addRow("just fits unchanged")
            << QString(235, QLatin1Char('x')) + "@x.de"
            << "Anna"
            << "2026_" + QString(235, QLatin1Char('x')) + "@x.de_Anna.eml" << QString() << QString();
        QTest::addRow("longest address shortened") << longest << "Anna" << QString() << QString() << "_Anna~";
        QTest::addRow("long addresses differing at the end")
            << longest << "Anna" << QString() << QString(longest).replace(253, 1, "x") << "2026_aaaa";
        QTest::addRow("long first name shortened too")
            << longest << QString(300, QLatin1Char('c')) << QString() << QString() << "_cccc";
        QTest::addRow("refused characters replaced")
            << "a:b*c?d|e@example.org"
            << "An\"na<\\/>\t" << QString() << "a*b:c?d|e@example.org"
            << "2026_a_b_c_d_e@example.org_An_na_____~";
        QTest::addRow("non-ASCII first name counted in bytes")
            << QString(200, QLatin1Char('x')) + "@x.de" << QString(30, QChar(0x00FC)) << QString()
            << QString() << QString(10, QChar(0x00FC));
        QTest::addRow("characters beyond the basic plane kept whole")
            << QString(230, QLatin1Char('x')) + "@x.de"
            << QString::fromUtf8("\xF0\x9F\x8E\x82\xF0\x9F\x8E\x82") << QString() << QString() << QString();
    }

    void copyFileName()
    {
        QFETCH(QString, address);
        QFETCH(QString, firstName);
        QFETCH(QString, name);
        QFETCH(QString, otherAddress);
        QFETCH(QString, kept);
        FakeSeams seams;
        ProgramFolderFixture folder;
        const QString made = GreetingSender::CopyFileName("2026", address, firstName);
        if (!name.isEmpty())
            QCOMPARE(made, name);
        QVERIFY2(made.toUtf8().size() <= 255, qPrintable(QString::number(made.toUtf8().size())));
        QCOMPARE(QString::fromUtf8(made.toUtf8()), made); // no character cut in two
        QVERIFY(made.startsWith("2026_") && made.endsWith(".eml"));
        for (QChar c : made)
            QVERIFY2(c.unicode() >= 0x20 && !QStringLiteral("/\\:*?\"<>|").contains(c), qPrintable(made));
        if (!kept.isEmpty())
            QVERIFY2(made.contains(kept), qPrintable(made));
        if (!otherAddress.isEmpty())
            QVERIFY(GreetingSender::CopyFileName("2026", otherAddress, firstName) != made);
        // The file system takes it.
        const QString path = GreetingSender::CopyFilePath(address, firstName);
        QCOMPARE(QFileInfo(path).fileName(), made);
        folder.writeBytes(path, "copy");
        QVERIFY(QFile::exists(path));
    }

    // With the longest address the copy is written, so three checks send one greeting.
    // A copy written by an earlier version under its plain name still counts: a name with ":"
    // (allowed on this file system) or "/" must not be greeted a second time after an update.
    void earlierCopyNameStillMarksTheGreeting_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("earlierName");
        QTest::addRow("colon kept") << "a:b@example.org"
                                    << "2026_a:b@example.org_Anna.eml";
        QTest::addRow("slash replaced") << "a/b@example.org"
                                        << "2026_a_b@example.org_Anna.eml";
    }

    void earlierCopyNameStillMarksTheGreeting()
    {
        QFETCH(QString, address);
        QFETCH(QString, earlierName);
        FakeSeams seams;
        ProgramFolderFixture folder;
        setAccount(folder);
        SmtpServer server;
        QVERIFY(server.start({}));
        SmtpControl::SetPortOverrideForTests(server.port());
        folder.writeBytes(folder.data("emails/" + earlierName), "copy");
        setPerson(QStringLiteral("Anna"), address);
        HostWindow host;
        host.send(GreetingSender::Body::Standard);
        QCOMPARE(server.messages().size(), 0);
        QCOMPARE(host.alreadySentNotices, 1);
    }

    void longestAddressGreetedOnce()
    {
        FakeSeams seams;
        ProgramFolderFixture folder;
        setAccount(folder);
        SmtpServer server;
        QVERIFY(server.start({}));
        SmtpControl::SetPortOverrideForTests(server.port());
        const QString address = longestAddress();
        QCOMPARE(address.size(), 254);
        setPerson(QStringLiteral("Anna"), address);
        HostWindow host;

        for (int check = 0; check < 3; ++check)
            host.send(GreetingSender::Body::Standard);

        QVERIFY2(seams.prompt.messages.isEmpty(), qPrintable(seams.prompt.texts().join('|')));
        QCOMPARE(server.messages().size(), 1);
        QCOMPARE(server.envelopes().first().value("rcpt_tos").toArray().first().toString(), address);
        QCOMPARE(host.alreadySentNotices, 2);
        QCOMPARE(folder.readBytes(GreetingSender::CopyFilePath(address, "Anna")), server.messages().first());
    }

    // The server line may name a port, which then takes the place of 25.
    void serverLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("delivered");
        QTest::addColumn<QString>("error");
        QTest::addRow("host and port") << "127.0.0.1:%1" << true << QString();
        QTest::addRow("port not a number")
            << "127.0.0.1:abc" << false << "Der Name des Mailservers \"127.0.0.1:abc\" ist ungültig.";
        QTest::addRow("port out of range")
            << "127.0.0.1:70000" << false << "Der Name des Mailservers \"127.0.0.1:70000\" ist ungültig.";
    }

    void serverLine()
    {
        QFETCH(QString, line);
        QFETCH(bool, delivered);
        QFETCH(QString, error);
        FakeSeams seams;
        ProgramFolderFixture folder;
        setAccount(folder);
        SmtpServer server;
        QVERIFY(server.start({}));
        folder.setSetting(Settings::SmtpServer, line.contains("%1") ? line.arg(server.port()) : line);
        setPerson();
        HostWindow host;

        host.send(GreetingSender::Body::Standard);

        QCOMPARE(server.messages().size(), delivered ? 1 : 0);
        if (delivered) {
            QCOMPARE(host.smtp->Host(), QStringLiteral("127.0.0.1"));
            QCOMPARE(host.smtp->Port(), qint32(server.port()));
            QVERIFY(seams.prompt.messages.isEmpty());
        } else {
            QCOMPARE(seams.prompt.texts(),
                     QStringList{QStringLiteral("Fehler beim Verbinden mit dem Mailserver\r\n") + error});
        }
    }

    void serverAddress_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("implicitTls");
        QTest::addRow("host") << "smtp.example.org"
                              << "smtp.example.org" << 25 << false;
        QTest::addRow("submission port") << "smtp.example.org:587"
                                         << "smtp.example.org" << 587 << false;
        QTest::addRow("implicit TLS port") << "smtp.example.org:465"
                                           << "smtp.example.org" << 465 << true;
        QTest::addRow("colon without port") << "smtp.example.org:"
                                            << "smtp.example.org" << 25 << false;
        QTest::addRow("port not a number") << "smtp.example.org:abc"
                                           << "smtp.example.org:abc" << 25 << false;
        QTest::addRow("port with a sign") << "smtp.example.org:+25"
                                          << "smtp.example.org:+25" << 25 << false;
        QTest::addRow("port 0") << "smtp.example.org:0"
                                << "smtp.example.org:0" << 25 << false;
        QTest::addRow("port too large") << "smtp.example.org:70000"
                                        << "smtp.example.org:70000" << 25 << false;
        QTest::addRow("IPv6 with port") << "[::1]:587"
                                        << "::1" << 587 << false;
        QTest::addRow("IPv6 in brackets") << "[::1]"
                                          << "::1" << 25 << false;
        QTest::addRow("bare IPv6") << "2001:db8::25"
                                   << "2001:db8::25" << 25 << false;
        QTest::addRow("empty") << ""
                               << "" << 25 << false;
    }

    void serverAddress()
    {
        QFETCH(QString, text);
        QFETCH(QString, host);
        QFETCH(int, port);
        QFETCH(bool, implicitTls);
        const SmtpServerAddress address = ParseSmtpServer(text);
        QCOMPARE(address.host, host);
        QCOMPARE(address.port, port);
        QCOMPARE(address.implicitTls, implicitTls);
    }

    // A template that names another charset goes out declaring UTF-8, its umlauts intact.
    void templateCharset()
    {
        FakeSeams seams;
        ProgramFolderFixture folder;
        setAccount(folder);
        folder.writeBytes(folder.data("standard.html"),
                          EncodeCp1252("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                                       "charset=windows-1252\"></head>\r\n<body><p>Liebe &lt;VORNAME&gt;, "
                                       "herzliche Grüße!</p></body></html>\r\n"));
        SmtpServer server;
        QVERIFY(server.start({}));
        SmtpControl::SetPortOverrideForTests(server.port());
        setPerson(QStringLiteral("Jürgen"));
        HostWindow host;

        host.send(GreetingSender::Body::Standard);

        QCOMPARE(server.messages().size(), 1);
        const QString html = SmtpServer::HtmlPart(server.messages().first());
        QVERIFY2(html.contains("charset=utf-8\">"), qPrintable(html));
        QVERIFY(!html.contains("1252"));
        QVERIFY2(html.contains("Liebe Jürgen, herzliche Grüße!"), qPrintable(html));
    }

    // A greeting goes out as the editor showed it, whether stored compact or as the whole
    // document of earlier versions: one HTML document that declares UTF-8.
    void storedGreetingGoesOutAsShown_data()
    {
        QTest::addColumn<bool>("standard");
        QTest::addColumn<bool>("earlierVersion");
        QTest::addRow("own greeting") << false << false;
        QTest::addRow("own greeting stored by earlier versions") << false << true;
        QTest::addRow("template") << true << false;
        QTest::addRow("template stored by earlier versions") << true << true;
    }

    void storedGreetingGoesOutAsShown()
    {
        QFETCH(bool, standard);
        QFETCH(bool, earlierVersion);
        FakeSeams seams;
        ProgramFolderFixture folder;
        setAccount(folder);
        setPerson(QStringLiteral("Jürgen"));
        QTextDocument written;
        written.setDefaultFont(GreetingFont());
        written.setHtml("<div>Liebe &lt;VORNAME&gt;,<br>\n<b>alles Gute</b> von &lt;ABSENDERNAME&gt;!</div>");
        const QString stored = earlierVersion
                                   ? WithCharacterReferences(WithoutCharsetDeclaration(written.toHtml()))
                                   : CompactHtml(written);
        QCOMPARE(stored.contains("qrichtext"), earlierVersion);
        if (standard)
            folder.writeBytes(folder.data("standard.html"),
                              EncodeCp1252(QString(stored).replace("\n", "\r\n")));
        else
            PersonGreetingHtml = stored;
        QByteArray received;
        sendOneGreeting(standard, seams, &received);
        if (QTest::currentTestFailed())
            return;
        const QString html = SmtpServer::HtmlPart(received);
        QCOMPARE(html.count("<html", Qt::CaseInsensitive), 1);
        QCOMPARE(html.count("<body", Qt::CaseInsensitive), 1);
        QVERIFY(!html.contains("1252"));
        if (!earlierVersion) {
            QVERIFY2(html.contains("charset=utf-8\">"), qPrintable(html));
            QVERIFY2(html.contains("font-family:'Arial', sans-serif; font-size:11pt;"), qPrintable(html));
        }
        QTextDocument shown;
        shown.setDefaultFont(GreetingFont());
        shown.setHtml(html);
        QCOMPARE(shown.toPlainText().trimmed(), QStringLiteral("Liebe Jürgen,\nalles Gute von Jürgen!"));
        const qsizetype bold = shown.toPlainText().indexOf("alles Gute");
        QTextCursor cursor(&shown);
        cursor.setPosition(bold + 1);
        QCOMPARE(cursor.charFormat().fontWeight(), int(QFont::Bold));
        cursor.setPosition(bold + 12);
        QCOMPARE(cursor.charFormat().fontWeight(), int(QFont::Normal));
        QCOMPARE(folder.readBytes(folder.data("emails/2026_anna@example.org_Jürgen.eml")), received);
    }

    // The plain part of a greeting is the text its HTML shows.
    void mailPlainText_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("plain");
        QTest::addRow("paragraphs and line breaks")
            << "<p>Hallo Anna,</p>\n<p>alles Gute\nund viel Glück!<br>\nDein Jürgen</p>"
            << "Hallo Anna,\n\nalles Gute und viel Glück!\nDein Jürgen";
        QTest::addRow("lines of one element") << "<div>eins<br>\nzwei<br>\n<br>\ndrei</div>"
                                              << "eins\nzwei\n\ndrei";
        QTest::addRow("character references")
            << "<div>Müller &amp; Söhne &lt;GmbH&gt; &quot;A&quot;&nbsp;&#x1F600;</div>"
            << "Müller & Söhne <GmbH> \"A\" \U0001F600";
        QTest::addRow("a whole document")
            << "<html><head><title>Gruß</title><style>p { color: red; }</style></head>"
               "<body><p><b>Fett</b> und <a href=\"https://example.org\">Link</a></p>"
               "</body></html>"
            << "Fett und Link";
        QTest::addRow("lists")
            << "<div>davor</div><ul><li>eins</li><li>zwei</li></ul><ol><li>erstens</li></ol>"
            << "davor\n\n- eins\n- zwei\n\n1. erstens";
        QTest::addRow("table and pictures")
            << "<table><tr><td>Tag</td><td>30.01.</td></tr></table><div><img src=\"herz.png\" alt=\"Herz\"> "
               "<img src=\"x.png\"></div>"
            << "Tag\n30.01.\n\nHerz";
        QTest::addRow("empty") << ""
                               << "";
    }

    void mailPlainText()
    {
        QFETCH(QString, html);
        QFETCH(QString, plain);
        QCOMPARE(MailPlainText(html), plain);
    }

    // A stored text with a page colour goes out as one document with that colour and the font.
    void pageColourGoesOutWithTheDocument()
    {
        const QString html = MailHtmlDocument("<body bgcolor=\"#ffffcc\">\n<div>Gelb</div>\n</body>");
        QCOMPARE(html.count("<body"), 1);
        QVERIFY2(html.contains("<body bgcolor=\"#ffffcc\" style=\"font-family:'Arial', sans-serif; "
                               "font-size:11pt;\">\n<div>Gelb</div>\n</body></html>"),
                 qPrintable(html));
        QVERIFY(html.startsWith("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                                "charset=utf-8\">"));
    }

    // Names holding "&", "<" and a placeholder's text arrive as the list holds them, in both parts;
    // the plain part is the text of the HTML, the HTML part the template or own text as it is.
    void bothPartsShowTheNamesAsTyped_data()
    {
        QTest::addColumn<bool>("standard");
        QTest::addColumn<QString>("plain");
        QTest::addRow("standard template")
            << true
            << "Hallo Dora<EMAIL> Müller & Söhne <GmbH>,\n\nzu Deinem Tovalinero am 30.01.1980 gratuliere "
               "ich "
               "Dir ganz herzlich und wünsche Dir alles Gute, viel Gesundheit, Glück und Erfolg für das neue "
               "Lebensjahr!\n\nIch hoffe, es geht Dir gut in 10115 Berlin, Hauptstraße 1.\n\nHerzliche "
               "Grüße\n"
               "Jürgen\n\nDiese Nachricht ging an anna@example.org.";
        QTest::addRow("own text") << false
                                  << "Liebe Dora<EMAIL> Müller & Söhne <GmbH>,\n\nalles Gute!\nJürgen";
    }

    void bothPartsShowTheNamesAsTyped()
    {
        QFETCH(bool, standard);
        QFETCH(QString, plain);
        FakeSeams seams;
        ProgramFolderFixture folder;
        setAccount(folder);
        setPerson(QStringLiteral("Dora<EMAIL>"));
        PersonLastName = QStringLiteral("Müller & Söhne <GmbH>");
        const QString ownText = QStringLiteral(
            "<p>Liebe &lt;VORNAME&gt; &lt;NACHNAME&gt;,</p><p>alles Gute!<br>&lt;ABSENDERNAME&gt;</p>");
        PersonGreetingHtml = ownText;
        QByteArray received;
        sendOneGreeting(standard, seams, &received);
        if (QTest::currentTestFailed())
            return;
        const SmtpServer::MimeParts parts = SmtpServer::ParseMime(received);
        QCOMPARE(parts.types, (QStringList{"multipart/alternative", "text/plain", "text/html"}));
        QString text = parts.texts.value("text/plain");
        text.replace("\r\n", "\n");
        QCOMPARE(text.trimmed(), plain);
        const QString html = parts.texts.value("text/html");
        QVERIFY2(html.contains("Dora&lt;EMAIL&gt; Müller &amp; Söhne &lt;GmbH&gt;"), qPrintable(html));
        QTextDocument shown;
        shown.setHtml(html);
        QVERIFY2(shown.toPlainText().contains("Dora<EMAIL> Müller & Söhne <GmbH>,"),
                 qPrintable(shown.toPlainText()));
        QVERIFY(!shown.toPlainText().contains("anna@example.org Müller"));
        QCOMPARE(PersonGreetingHtml, ownText);
    }

    // A list entry cannot make the copy land outside the copy folder.
    void copyPathStaysInFolder()
    {
        FakeSeams seams;
        ProgramFolderFixture folder;
        const QString path = GreetingSender::CopyFilePath("a@b.de", "../../x/../y");
        QCOMPARE(QFileInfo(path).absolutePath(), folder.folder() + "/daten/emails");
        QCOMPARE(GreetingSender::CopyFilePath("a@b.de", "Anna"),
                 folder.folder() + "/daten/emails/2026_a@b.de_Anna.eml");
        QVERIFY(!GreetingSender::FileExists(folder.data("emails")));
    }
};

QTEST_MAIN(TestGreetings)
#include "tst_greetings.moc"
