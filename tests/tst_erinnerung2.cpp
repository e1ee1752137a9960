#include "app/reminders.h"
#include "common/forms.h"
#include "common/globale_variablen.h"
#include "greetings/erinnerung1.h"
#include "greetings/erinnerung2.h"
#include "greetings/frmlog.h"
#include "greetings/greetingsender.h"
#include "greetings/smtpcontrol.h"
#include "settings/settingsfile.h"
#include "support/fakes.h"
#include "support/formfixture.h"
#include "support/programfolderfixture.h"
#include "support/smtpserver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Globale_Variablen;

namespace
{

const QString Preparing = QStringLiteral("Die Tovalinerosemail wird vorbereitet...");
const QString Completed = QStringLiteral("Übermittlung abgeschlossen!");

QString countdownText(int n)
{
    return QStringLiteral("In %1 Sekunden wird das Fenster automatisch geschlossen.").arg(n);
}

void setPerson(int useStandardText, const QString& birthday = QStringLiteral("30.01.1980"))
{
    PersonFirstName = QStringLiteral("Anna");
    PersonLastName = QStringLiteral("Muster");
    PersonBirthday = birthday;
    PersonEmail = QStringLiteral("anna@example.org");
    PersonStreet = QStringLiteral("Hauptstraße 1");
    PersonZip = QStringLiteral("10115");
    PersonTown = QStringLiteral("Berlin");
    PersonGreetingHtml = QStringLiteral("<p>Liebe &lt;VORNAME&gt;</p>");
    PersonUseStandardText = useStandardText;
    SenderName = QStringLiteral("Jürgen");
}

void setAccount(const ProgramFolderFixture& folder)
{
    folder.setSetting(Settings::SmtpFromAddress, QStringLiteral("juergen@example.org"));
    folder.setSetting(Settings::SmtpServer, QStringLiteral("127.0.0.1"));
    folder.setSetting(Settings::GreetingSubject, QStringLiteral("Alles Gute"));
    folder.setSetting(Settings::ReminderSoundFile, QStringLiteral("/nirgends/ton.wav"));
}

// A check opens the real reminder windows; the automatic one closes itself one second after it
// opened.
void useRealWindowsClosingAfterOneSecond(FormFixture& fixture)
{
    SetReminderWindowOpener({});
    setAccount(*fixture.folder);
    fixture.folder->setSetting(Settings::AutoCloseEnabled, QStringLiteral(" 1 "));
    fixture.folder->setSetting(Settings::AutoCloseSeconds, QStringLiteral("1"));
}

struct Sample {
    qint64 ms;
    QString countdown;
    bool countdownVisible;
    bool okayEnabled;
    bool sending;
    QString status;
};

// Looks at the window every 20 ms from inside whatever loop runs, since the countdown and the
// send wait in nested loops of their own; the last look is taken as the window hides.
class Recorder : public QObject
{
public:
    QTimer timer;
    QElapsedTimer clock;
    QList<Sample> samples;
    std::function<void(erinnerung2&, const Sample&)> action;
    QPointer<erinnerung2> watched;

    Recorder()
    {
        clock.start();
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, this, [this] {
            erinnerung2* w = Forms::Loaded<erinnerung2>();
            if (!w || !w->isVisible())
                return;
            if (watched != w) {
                watched = w;
                w->installEventFilter(this);
            }
            const Sample s = sample(*w);
            samples << s;
            if (action)
                action(*w, s);
        });
        timer.start();
    }

    Sample sample(erinnerung2& w) const
    {
        return Sample{clock.elapsed(),         w.Label2->text(), w.Label2->isVisibleTo(&w),
                      w.Command1->isEnabled(), w.IsSending(),    w.lblStatus->text()};
    }

    bool eventFilter(QObject* object, QEvent* event) override
    {
        // A window that is being destroyed is no erinnerung2 any more; qobject_cast knows.
        if (event->type() == QEvent::Hide)
            if (auto* w = qobject_cast<erinnerung2*>(object))
                samples << sample(*w);
        return false;
    }

    // The countdown texts in the order they appeared, each once.
    QStringList countdownSteps() const
    {
        QStringList steps;
        for (const Sample& s : samples)
            if (s.countdownVisible && (steps.isEmpty() || steps.last() != s.countdown))
                steps << s.countdown;
        return steps;
    }
};

} // namespace

class TestErinnerung2 : public QObject
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
        Forms::Unload<erinnerung2>();
        Forms::Unload<frmlog>();
        FlushDeletedWindows();
    }

    // Load and activation: sound, name with age, status line; the birth date stays whole.
    void loadAndActivation_data()
    {
        QTest::addColumn<QString>("birthday");
        QTest::addColumn<QString>("nameLine");
        QTest::addRow("46 today") << "30.01.1980"
                                  << "Anna Muster (46)";
        QTest::addRow("born this year") << "30.01.2026"
                                        << "Anna Muster (0)";
    }

    void loadAndActivation()
    {
        QFETCH(QString, birthday);
        QFETCH(QString, nameLine);
        FakeSeams seams;
        ProgramFolderFixture folder;
        setAccount(folder);
        setPerson(7, birthday);
        erinnerung2& w = Forms::Get<erinnerung2>();
        QCOMPARE(seams.sound.played, QStringList{"/nirgends/ton.wav"});
        QCOMPARE(w.SoundFile, QStringLiteral("/nirgends/ton.wav"));
        w.open();
        QCOMPARE(w.windowTitle(), QStringLiteral("Statusmeldung"));
        QCOMPARE(w.Label3->text(),
                 QStringLiteral("Folgende Person aus Ihrer Tovalinerosliste hat heute Tovalinero:"));
        QCOMPARE(w.Label1->text(), nameLine);
        QCOMPARE(w.lblStatus->text(), Preparing);
        QCOMPARE(PersonBirthday, birthday);
        QVERIFY(w.ProgressBar1->isHidden());
        QVERIFY(w.Label2->isHidden());
        QVERIFY(w.Timer1->isActive());
        QVERIFY(!w.Timer2->isActive());
        QCOMPARE(w.Command1->text(), QStringLiteral("&Okay"));
        QVERIFY(w.findChild<SmtpControl*>("sevSMTP1"));
        // A flag that is neither 0 nor 1 never sends.
        QTest::qWait(2300);
        QCOMPARE(w.lblStatus->text(), Preparing);
        QVERIFY(w.Timer1->isActive());
        QTest::mouseClick(w.Command1, Qt::LeftButton);
        FlushDeletedWindows();
        QVERIFY(!Forms::Loaded<erinnerung2>());
    }

    // Name line and status line show the person's name and address exactly as the list holds
    // them, though they read like markup.
    void namesWithMarkupShowAsTheListHoldsThem_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("email");
        QTest::addRow("tags") << "<b>Fett</b>"
                              << "Muster"
                              << "<i>fett</i>@example.org";
        QTest::addRow("character references") << "Herz &lt;3"
                                              << "Dora&lt;EMAIL&gt;"
                                              << "herz&amp;co@example.org";
        QTest::addRow("a long name") << "Dora&lt;EMAIL&gt;"
                                     << "Müller & Söhne <GmbH> von und zu Hohenstein-Ernstthal"
                                     << "dora@example.org";
    }

    void namesWithMarkupShowAsTheListHoldsThem()
    {
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(QString, email);
        FakeSeams seams;
        ProgramFolderFixture folder;
        setAccount(folder);
        setPerson(1);
        PersonFirstName = first;
        PersonLastName = last;
        PersonEmail = email;
        folder.writeBytes(GreetingSender::CopyFilePath(email, first), "earlier greeting");
        erinnerung2& w = Forms::Get<erinnerung2>();
        w.open();
        QCOMPARE(w.Label1->text(), first + " " + last + " (46)");
        QCOMPARE(w.Label1->textFormat(), Qt::PlainText);
        // All of it, on as many lines as it takes.
        QTRY_VERIFY(w.Label1->height() >= w.Label1->fontMetrics()
                                              .boundingRect(QRect(0, 0, w.Label1->width(), 1000),
                                                            Qt::TextWordWrap, w.Label1->text())
                                              .height());
        QVERIFY(w.Label1->geometry().right() < w.width());
        const QString status =
            "Ein Tovalinerosgruß wurde heute bereits an \r\n< " + email + " > abgeschickt.";
        QTRY_COMPARE_WITH_TIMEOUT(w.lblStatus->text(), status, 15000);
        QCOMPARE(w.lblStatus->textFormat(), Qt::PlainText);
        QCOMPARE(seams.prompt.messages.size(), 0);
    }

    // The send one second after opening, without a countdown: its outcome in the status line.
    void sendsOnce_data()
    {
        QTest::addColumn<int>("flag");
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("messages");
        QTest::addColumn<int>("boxes");
        QTest::addRow("standard text") << 1 << "" << Completed << 1 << 0;
        QTest::addRow("own text") << 0 << "" << Completed << 1 << 0;
        QTest::addRow("already sent this year")
            << 1 << "sent"
            << "Ein Tovalinerosgruß wurde heute bereits an \r\n< anna@example.org > abgeschickt." << 0 << 0;
        QTest::addRow("server not reachable") << 0 << "closed" << Preparing << 0 << 1;
    }

    void sendsOnce()
    {
        QFETCH(int, flag);
        QFETCH(QString, situation);
        QFETCH(QString, status);
        QFETCH(int, messages);
        QFETCH(int, boxes);
        FakeSeams seams;
        ProgramFolderFixture folder;
        setAccount(folder);
        setPerson(flag);
        const QString copy = folder.data("emails/2026_anna@example.org_Anna.eml");
        if (situation == "sent")
            folder.writeBytes(copy, "earlier greeting");
        SmtpServer server;
        QVERIFY(server.start({}));
        SmtpControl::SetPortOverrideForTests(situation == "closed" ? SmtpServer::FreePort() : server.port());

        erinnerung2& w = Forms::Get<erinnerung2>();
        QPointer<erinnerung2> window(&w);
        w.open();
        if (situation == "closed")
            QTRY_COMPARE_WITH_TIMEOUT(seams.prompt.messages.size(), 1, 15000);
        else
            QTRY_COMPARE_WITH_TIMEOUT(w.lblStatus->text(), status, 15000);
        QTRY_VERIFY(!w.IsSending());
        QTest::qWait(1200); // one more tick must not send again
        QCOMPARE(w.lblStatus->text(), status);
        QCOMPARE(server.messages().size(), messages);
        QCOMPARE(seams.prompt.messages.size(), boxes);
        if (boxes)
            QVERIFY(seams.prompt.messages.first().text.startsWith(
                "Fehler beim Verbinden mit dem Mailserver\r\n"));
        QVERIFY(w.Command1->isEnabled());
        QVERIFY(w.ProgressBar1->isHidden());
        QVERIFY(w.isVisible());
        if (messages)
            QCOMPARE(folder.readBytes(copy), server.messages().first());
        else if (situation != "sent")
            QVERIFY(!QFile::exists(copy));
        QVERIFY(window);
    }

    // The countdown: n, ..., 0 once a second, then the window closes and the check goes on.
    void countdown_data()
    {
        QTest::addColumn<int>("flag");
        QTest::addColumn<bool>("alreadySent");
        QTest::addColumn<int>("messages");
        QTest::addColumn<bool>("okayAtEnd");
        QTest::addRow("send inside the countdown") << 1 << false << 1 << true;
        QTest::addRow("already sent: Okay stays disabled") << 1 << true << 0 << false;
        QTest::addRow("no send: Okay stays disabled") << 3 << false << 0 << false;
    }

    void countdown()
    {
        QFETCH(int, flag);
        QFETCH(bool, alreadySent);
        QFETCH(int, messages);
        QFETCH(bool, okayAtEnd);
        FakeSeams seams;
        ProgramFolderFixture folder;
        setAccount(folder);
        folder.setSetting(Settings::AutoCloseEnabled, QStringLiteral(" 1 "));
        folder.setSetting(Settings::AutoCloseSeconds, QStringLiteral("1"));
        setPerson(flag);
        if (alreadySent)
            folder.writeBytes(folder.data("emails/2026_anna@example.org_Anna.eml"), "earlier");
        SmtpServer server;
        QVERIFY(server.start({}));
        SmtpControl::SetPortOverrideForTests(server.port());

        Recorder recorder;
        QElapsedTimer clock;
        clock.start();
        ShowReminderWindow(ReminderWindow::Automatic); // returns when the window has closed
        const qint64 elapsed = clock.elapsed();
        FlushDeletedWindows();

        QVERIFY(!Forms::Loaded<erinnerung2>());
        QCOMPARE(recorder.countdownSteps(), (QStringList{QString(), countdownText(1), countdownText(0)}));
        QVERIFY2(elapsed >= 1000, qPrintable(QString::number(elapsed)));
        QCOMPARE(server.messages().size(), messages);
        QVERIFY(!recorder.samples.isEmpty());
        QCOMPARE(recorder.samples.last().okayEnabled, okayAtEnd);
        for (const Sample& s : recorder.samples)
            if (s.countdownVisible && !s.okayEnabled)
                QVERIFY(s.status != Completed); // Okay comes back with the end of the send
    }

    // No usable countdown setting: the window waits for "&Okay".
    void noCountdown_data()
    {
        QTest::addColumn<QString>("line20");
        QTest::addColumn<QString>("line19");
        QTest::addRow("switched off") << " 0 "
                                      << "1";
        QTest::addRow("empty switch") << ""
                                      << "1";
        QTest::addRow("seconds not a number") << " 1 "
                                              << "zehn";
        QTest::addRow("seconds zero") << " 1 "
                                      << "0";
        QTest::addRow("seconds over 99") << " 1 "
                                         << "100";
        QTest::addRow("seconds empty") << " 1 "
                                       << "";
    }

    void noCountdown()
    {
        QFETCH(QString, line20);
        QFETCH(QString, line19);
        FakeSeams seams;
        ProgramFolderFixture folder;
        setAccount(folder);
        folder.setSetting(Settings::AutoCloseEnabled, line20);
        folder.setSetting(Settings::AutoCloseSeconds, line19);
        setPerson(5);
        erinnerung2& w = Forms::Get<erinnerung2>();
        QPointer<erinnerung2> window(&w);
        w.open();
        QTest::qWait(2300);
        QVERIFY(window);
        QVERIFY(w.isVisible());
        QVERIFY(w.Label2->isHidden());
        QVERIFY(w.Command1->isEnabled());
        QVERIFY(!w.Timer2->isActive());
    }

    // A slow send inside the countdown holds its number; the frame's close waits for the send.
    void sendHoldsCountdown()
    {
        FakeSeams seams;
        ProgramFolderFixture folder;
        setAccount(folder);
        folder.setSetting(Settings::AutoCloseEnabled, QStringLiteral(" 1 "));
        folder.setSetting(Settings::AutoCloseSeconds, QStringLiteral("1"));
        setPerson(1);
        SmtpServer server;
        SmtpServer::Options options;
        options.acceptDelay = 3;
        QVERIFY(server.start(options));
        SmtpControl::SetPortOverrideForTests(server.port());

        Recorder recorder;
        bool closeTried = false;
        bool stayedOpen = false;
        recorder.action = [&](erinnerung2& w, const Sample& s) {
            if (s.sending && !closeTried) {
                closeTried = true;
                w.close();
                stayedOpen = w.isVisible();
            }
        };
        ShowReminderWindow(ReminderWindow::Automatic);
        FlushDeletedWindows();

        QVERIFY(closeTried);
        QVERIFY(stayedOpen);
        QCOMPARE(server.messages().size(), 1);
        QCOMPARE(recorder.countdownSteps(), (QStringList{QString(), countdownText(1), countdownText(0)}));
        // While the send runs the countdown text does not change.
        QString duringSend;
        bool seenSending = false;
        for (const Sample& s : recorder.samples) {
            if (!s.sending)
                continue;
            if (!seenSending)
                duringSend = s.countdown;
            seenSending = true;
            QCOMPARE(s.countdown, duringSend);
        }
        QVERIFY(seenSending);
        // The window closed after the send had ended, with the send's outcome shown.
        QVERIFY(!recorder.samples.last().sending);
        QCOMPARE(recorder.samples.last().status, Completed);
    }

    // "&Okay" after the send while the countdown runs: the window goes at once, nothing follows.
    void okayDuringCountdown()
    {
        FakeSeams seams;
        ProgramFolderFixture folder;
        setAccount(folder);
        folder.setSetting(Settings::AutoCloseEnabled, QStringLiteral(" 1 "));
        folder.setSetting(Settings::AutoCloseSeconds, QStringLiteral("20"));
        setPerson(0);
        SmtpServer server;
        QVERIFY(server.start({}));
        SmtpControl::SetPortOverrideForTests(server.port());

        Recorder recorder;
        QString countdownAtClose;
        bool clicked = false;
        recorder.action = [&](erinnerung2& w, const Sample& s) {
            if (s.okayEnabled && s.status == Completed && !clicked) {
                clicked = true;
                countdownAtClose = w.Label2->text();
                QTest::mouseClick(w.Command1, Qt::LeftButton);
            }
        };
        QElapsedTimer clock;
        clock.start();
        ShowReminderWindow(ReminderWindow::Automatic);
        FlushDeletedWindows();

        QVERIFY(clicked);
        QVERIFY(clock.elapsed() < 15000);
        QVERIFY(!Forms::Loaded<erinnerung2>());
        QCOMPARE(recorder.samples.last().countdown, countdownAtClose);
        QCOMPARE(server.messages().size(), 1);
    }

    // The road of one event: the check finds today's birthday, the window sends the standard
    // greeting and closes itself; the next check that day finds the copy and sends nothing.
    void birthdayCheckSendsOneGreetingAYear()
    {
        FormFixture fixture;
        useRealWindowsClosingAfterOneSecond(fixture);
        fixture.writeList({QStringList{"Anna", "Muster", "30.01.1980", "1", "1", "", "Hauptstraße 1", "10115",
                                       "Berlin", "anna@example.org"}
                               .join('~')});
        SmtpServer server;
        QVERIFY(server.start({}));
        SmtpControl::SetPortOverrideForTests(server.port());
        Form1& form = fixture.form();
        form.LoadBirthdayList();

        QStringList statusAtClose;
        Recorder recorder;
        form.ueberpr_Click();
        statusAtClose << recorder.samples.value(recorder.samples.size() - 1).status;
        FlushDeletedWindows();
        form.ueberpr_Click();
        statusAtClose << recorder.samples.value(recorder.samples.size() - 1).status;
        FlushDeletedWindows();

        QCOMPARE(server.messages().size(), 1);
        QCOMPARE(statusAtClose,
                 (QStringList{
                     Completed,
                     "Ein Tovalinerosgruß wurde heute bereits an \r\n< anna@example.org > abgeschickt."}));
        const QString html = SmtpServer::HtmlPart(server.messages().first());
        QVERIFY2(html.contains("Hallo Anna Muster,") && html.contains("am 30.01.1980"), qPrintable(html));
        QCOMPARE(fixture.folder->readBytes(fixture.folder->data("emails/2026_anna@example.org_Anna.eml")),
                 server.messages().first());
        QVERIFY(fixture.seams->prompt.messages.isEmpty());
    }

    // Two birthdays today: one window after the other, in list order, each with its greeting.
    void twoBirthdaysTodayGreetInTurn()
    {
        FormFixture fixture;
        useRealWindowsClosingAfterOneSecond(fixture);
        fixture.writeList(
            {QStringList{"Anna", "Muster", "30.01.1980", "1", "1", "", "", "", "", "anna@example.org"}.join(
                 '~'),
             QStringList{"Bert", "Beispiel", "30.01.1990", "1", "0", "<p>Lieber &lt;VORNAME&gt;!</p>", "", "",
                         "", "bert@example.org"}
                 .join('~')});
        SmtpServer server;
        QVERIFY(server.start({}));
        SmtpControl::SetPortOverrideForTests(server.port());
        Form1& form = fixture.form();
        form.LoadBirthdayList();
        form.ueberpr_Click();
        FlushDeletedWindows();
        QCOMPARE(server.messages().size(), 2);
        QVERIFY(server.messages()[0].contains("To: anna@example.org"));
        QVERIFY(server.messages()[1].contains("To: bert@example.org"));
        QVERIFY(SmtpServer::HtmlPart(server.messages()[1]).contains("Lieber Bert!"));
        QVERIFY(QFile::exists(fixture.folder->data("emails/2026_anna@example.org_Anna.eml")));
        QVERIFY(QFile::exists(fixture.folder->data("emails/2026_bert@example.org_Bert.eml")));
        QVERIFY(fixture.seams->prompt.messages.isEmpty());
    }

    // A run started at 23:59:58 on 31 December whose first reminder is closed after midnight: the
    // second person's window opens in the new year, but age and copy belong to the run's day.
    void checkAcrossMidnightKeepsTheRunsDay()
    {
        FormFixture fixture;
        useRealWindowsClosingAfterOneSecond(fixture);
        fixture.writeList(
            {QStringList{"Hand", "Werk", "31.12.1980", "0", "1", "", "", "", "", "hand@example.org"}.join(
                 '~'),
             QStringList{"Bert", "Beispiel", "31.12.1990", "1", "1", "", "", "", "", "bert@example.org"}.join(
                 '~')});
        SmtpServer server;
        QVERIFY(server.start({}));
        SmtpControl::SetPortOverrideForTests(server.port());
        fixture.seams->clock.set(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58)));
        Form1& form = fixture.form();
        form.LoadBirthdayList();

        QString manualName;
        QString automaticName;
        QTimer look;
        connect(&look, &QTimer::timeout, this, [&] {
            if (erinnerung1* manual = Forms::Loaded<erinnerung1>(); manual && manual->isVisible()) {
                manualName = manual->Label1->text();
                fixture.seams->clock.set(QDateTime(QDate(2027, 1, 1), QTime(0, 0, 3)));
                manual->Command3->click();
            } else if (erinnerung2* automatic = Forms::Loaded<erinnerung2>();
                       automatic && automatic->isVisible()) {
                automaticName = automatic->Label1->text();
            }
        });
        look.start(20);
        form.ueberpr_Click();
        look.stop();
        FlushDeletedWindows();

        QCOMPARE(manualName, QStringLiteral("Hand Werk (46)"));
        QCOMPARE(automaticName, QStringLiteral("Bert Beispiel (36)"));
        QCOMPARE(server.messages().size(), 1);
        const QDir emails(fixture.folder->data("emails"));
        QCOMPARE(emails.entryList({"*.eml"}), QStringList{"2026_bert@example.org_Bert.eml"});
        QCOMPARE(form.Label2->text(),
                 QStringLiteral("Hier sehen Sie eine Liste der noch im Jahr 2026 anstehenden Tovalineroe."));
        QCOMPARE(form.Label5->text(),
                 QStringLiteral("Letzte Überprüfung der Tovalineroe am 31.12.2026 um 23:59:58 Uhr"));

        // A year later the greeting goes out again.
        fixture.seams->clock.set(QDateTime(QDate(2027, 12, 31), QTime(10, 0, 0)));
        look.start(20);
        form.ueberpr_Click();
        look.stop();
        FlushDeletedWindows();
        QCOMPARE(automaticName, QStringLiteral("Bert Beispiel (37)"));
        QCOMPARE(server.messages().size(), 2);
        QCOMPARE(emails.entryList({"*.eml"}),
                 (QStringList{"2026_bert@example.org_Bert.eml", "2027_bert@example.org_Bert.eml"}));
        QVERIFY(fixture.seams->prompt.messages.isEmpty());
    }
};

QTEST_MAIN(TestErinnerung2)
#include "tst_erinnerung2.moc"
