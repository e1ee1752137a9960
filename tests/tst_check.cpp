#include "support/formfixture.h"

#include "app/vorwarnung1.h"
#include "common/forms.h"
#include "settings/settingsfile.h"
#include "support/filesizelimit.h"

#include <QAccessible>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <sys/stat.h>

namespace
{
QString person(const QString& first, const QString& last, const QString& born, const QString& automatic = "0",
               const QString& standard = "1", const QString& email = "")
{
    return QStringList{first, last, born, automatic, standard, "<p>Gruß</p>", "Weg 1", "12345", "Ort", email}
        .join('~');
}
} // namespace

class CheckTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { fixture_.reset(); }
    void leadTimeWarnsAndListsTheBirthday();
    void checkRun_data();
    void checkRun();
    void secondWarningNamesBoth();
    void birthdayTodayOpensTheWindowInListOrder();
    void leadTimeZeroWarnsOnTheDay();
    void upcomingGridIsSortedNearestFirst();
    void failingRunKeepsTheOldGridAndLine();
    void unreadableBirthDateDoesNotStopTheRun();
    void checksDoNotOverlap();
    void badFlagsDoNotSilenceTheRest_data();
    void badFlagsDoNotSilenceTheRest();
    void fullDiskEndsTheRunWithTheBox();
    void linkInPlaceOfTheUpcomingFileIsReplaced();
    void leadTimeWarningWhereTheDesktopShowsIt_data();
    void leadTimeWarningWhereTheDesktopShowsIt();
    void warningWindowClosesByKeyboard_data();
    void warningWindowClosesByKeyboard();
    void countLineFollowsTheGrids();
    void leadTimeChangedDuringARunCountsForLaterPersons();
    void pipeInPlaceOfTheUpcomingFileDoesNotHoldTheRun();
    void semicolonInANameStaysInTheName_data();
    void semicolonInANameStaysInTheName();
    void negativeLeadTimeWarnsNobody_data();
    void negativeLeadTimeWarnsNobody();
    void headingFollowsTheYearOfTheLatestCheck();
    void listChangedDuringARunIsListedAtItsEnd();

private:
    void run(const QDate& today, const QStringList& list, const QString& leadTime = "2");
    std::unique_ptr<FormFixture> fixture_;
};

void CheckTest::init()
{
    fixture_ = std::make_unique<FormFixture>();
}

void CheckTest::run(const QDate& today, const QStringList& list, const QString& leadTime)
{
    fixture_->seams->clock.set(QDateTime(today, QTime(8, 5, 9)));
    fixture_->folder->setSetting(Settings::LeadTimeDays, leadTime);
    fixture_->writeList(list);
    fixture_->folder->writeBytes(fixture_->folder->data("demnaechst.dat"), QByteArray());
    Form1& form = fixture_->form();
    form.LoadBirthdayList();
    form.LoadUpcomingList();
    form.ueberpr_Click();
}

void CheckTest::leadTimeWarnsAndListsTheBirthday()
{
    run(QDate(2026, 1, 30), {person("Anna", "Meier", "01.02.1980")});
    const auto& balloons = fixture_->seams->tray.balloons;
    QCOMPARE(balloons.size(), 1);
    QCOMPARE(balloons[0].title, QStringLiteral("In 2 Tage(n) hat folgende Person Tovalinero:"));
    QCOMPARE(balloons[0].text, QStringLiteral("Anna Meier\r\n"));
    QCOMPARE(fixture_->seams->tray.toolTip, QStringLiteral("Tovalinero Pro V3.1.1"));
    QVERIFY(fixture_->seams->tray.shown);
    QCOMPARE(fixture_->upcomingLines(), QStringList{"Anna Meier   (wird 46);2"});
    QCOMPARE(fixture_->folder->readBytes(fixture_->folder->data("demnaechst.dat")),
             QByteArray("Anna Meier   (wird 46);2\r\n"));
    Form1& form = fixture_->form();
    QCOMPARE(form.Grid2->RowCount(), 1);
    QCOMPARE(form.Grid2->Cell(1, 1), QStringLiteral("Anna Meier   (wird 46)"));
    QCOMPARE(form.Grid2->Cell(1, 2), QStringLiteral("2"));
    QCOMPARE(form.Label5->text(),
             QStringLiteral("Letzte Überprüfung der Tovalineroe am 30.01.2026 um 08:05:09 Uhr"));
    QVERIFY(fixture_->seams->prompt.messages.isEmpty());
}

void CheckTest::checkRun_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QStringList>("upcoming");
    QTest::addColumn<int>("balloons");
    QTest::addRow("empty list") << QDate(2026, 5, 5) << QStringList() << QStringList() << 0;
    QTest::addRow("1 January not seen on 30 December")
        << QDate(2026, 12, 30) << QStringList{person("Neu", "Jahr", "01.01.1990")} << QStringList() << 0;
    QTest::addRow("passed birthday gets nothing")
        << QDate(2026, 6, 1) << QStringList{person("Alt", "Mai", "31.05.1970")} << QStringList() << 0;
    QTest::addRow("29 February counts as 28 February")
        << QDate(2026, 2, 26) << QStringList{person("Schalt", "Tag", "29.02.1996")}
        << QStringList{"Schalt Tag   (wird 30);2"} << 1;
    QTest::addRow("29 February in a leap year")
        << QDate(2028, 2, 27) << QStringList{person("Schalt", "Tag", "29.02.1996")}
        << QStringList{"Schalt Tag   (wird 32);2"} << 1;
}

void CheckTest::checkRun()
{
    QFETCH(QDate, today);
    QFETCH(QStringList, list);
    QFETCH(QStringList, upcoming);
    QFETCH(int, balloons);
    run(today, list);
    QCOMPARE(fixture_->upcomingLines(), upcoming);
    QCOMPARE(fixture_->seams->tray.balloons.size(), balloons);
    QCOMPARE(fixture_->form().Grid2->RowCount(), upcoming.size());
    QVERIFY(fixture_->form().Label5->text().startsWith("Letzte Überprüfung der Tovalineroe am"));
    QVERIFY(fixture_->reminders.isEmpty());
}

void CheckTest::secondWarningNamesBoth()
{
    run(QDate(2026, 3, 8), {person("Eva", "Erst", "10.03.1990"), person("Max", "Mitte", "20.03.1990"),
                            person("Zoe", "Zweit", "10.03.2000")});
    const auto& balloons = fixture_->seams->tray.balloons;
    QCOMPARE(balloons.size(), 2);
    QCOMPARE(balloons[0].text, QStringLiteral("Eva Erst\r\n"));
    QCOMPARE(balloons[1].text, QStringLiteral("Eva Erst\r\nZoe Zweit\r\n"));
}

void CheckTest::birthdayTodayOpensTheWindowInListOrder()
{
    run(QDate(2026, 4, 1),
        {person("Hand", "Werk", "01.04.1980", "0", "1", "h@w.de"),
         person("Auto", "Matik", "1.4.1990", "1", "0", "a@m.de"), person("Morgen", "Erst", "02.04.1990")});
    const auto& opened = fixture_->reminders;
    QCOMPARE(opened.size(), 2);
    QCOMPARE(opened[0].window, ReminderWindow::Manual);
    QCOMPARE(opened[0].firstName, QStringLiteral("Hand"));
    QCOMPARE(opened[0].email, QStringLiteral("h@w.de"));
    QCOMPARE(opened[0].birthday, QStringLiteral("01.04.1980"));
    QCOMPARE(opened[1].window, ReminderWindow::Automatic);
    QCOMPARE(opened[1].lastName, QStringLiteral("Matik"));
    QCOMPARE(opened[1].birthday, QStringLiteral("01.04.1990"));
    QCOMPARE(opened[1].useStandardText, 0);
    QCOMPARE(opened[1].greetingHtml, QStringLiteral("<p>Gruß</p>"));
    // No line for today, no balloon with a lead time of 2 for them.
    QCOMPARE(fixture_->upcomingLines(), QStringList{"Morgen Erst   (wird 36);1"});
    QVERIFY(fixture_->seams->tray.balloons.isEmpty());
}

void CheckTest::leadTimeZeroWarnsOnTheDay()
{
    run(QDate(2026, 4, 1), {person("Hand", "Werk", "01.04.1980")}, "0");
    QCOMPARE(fixture_->reminders.size(), 1);
    QCOMPARE(fixture_->seams->tray.balloons.size(), 1);
    QCOMPARE(fixture_->seams->tray.balloons[0].title,
             QStringLiteral("In 0 Tage(n) hat folgende Person Tovalinero:"));
}

void CheckTest::upcomingGridIsSortedNearestFirst()
{
    run(QDate(2026, 1, 1), {person("Zehn", "A", "11.01.1990"), person("Zwei", "B", "03.01.1990"),
                            person("Hundert", "C", "11.04.1990"), person("Neun", "D", "10.01.1990")});
    Grid* grid = fixture_->form().Grid2;
    QStringList days;
    for (int i = 1; i <= grid->RowCount(); ++i)
        days << grid->Cell(i, 2);
    QCOMPARE(days, (QStringList{"2", "9", "10", "100"}));
    QCOMPARE(grid->CurrentRow(), 1);
    // The file keeps the list order.
    QCOMPARE(fixture_->upcomingLines().first(), QStringLiteral("Zehn A   (wird 36);10"));
}

void CheckTest::failingRunKeepsTheOldGridAndLine()
{
    run(QDate(2026, 1, 30), {person("Anna", "Meier", "01.02.1980"), person("Bert", "Abel", "05.02.1980")});
    Form1& form = fixture_->form();
    const QString lastCheck = form.Label5->text();
    fixture_->folder->setSetting(Settings::LeadTimeDays, "");
    fixture_->seams->clock.set(QDateTime(QDate(2026, 1, 30), QTime(9, 0, 0)));
    form.ueberpr_Click();
    QCOMPARE(fixture_->seams->prompt.texts(), QStringList{"Fehler: 13 Typen unverträglich"});
    QCOMPARE(fixture_->seams->prompt.messages[0].title, QStringLiteral("Tovalinero"));
    QCOMPARE(form.Grid2->RowCount(), 2);
    QCOMPARE(form.Label5->text(), lastCheck);
    QVERIFY(fixture_->upcomingLines().isEmpty());
}

void CheckTest::unreadableBirthDateDoesNotStopTheRun()
{
    run(QDate(2026, 4, 1), {person("Ohne", "Datum", ""), person("Kaputt", "Datum", "99.99.1999"),
                            person("Hand", "Werk", "01.04.1980")});
    QCOMPARE(fixture_->reminders.size(), 1);
    QCOMPARE(fixture_->reminders[0].firstName, QStringLiteral("Hand"));
    QVERIFY(fixture_->seams->prompt.messages.isEmpty());
}

void CheckTest::checksDoNotOverlap()
{
    Form1& form = fixture_->form();
    int nested = 0;
    fixture_->duringReminder = [&] {
        ++nested;
        form.RunBirthdayCheck();
        form.ueberpr_Click();
        form.sevTray1_MenuClick(1, "manueber");
    };
    run(QDate(2026, 4, 1), {person("Hand", "Werk", "01.04.1980"), person("Bald", "Da", "03.04.1980")});
    QCOMPARE(nested, 1);
    QCOMPARE(fixture_->reminders.size(), 1);
    QCOMPARE(fixture_->upcomingLines(), QStringList{"Bald Da   (wird 46);2"});
    // Once the run is over, a new one starts as usual.
    fixture_->duringReminder = nullptr;
    form.ueberpr_Click();
    QCOMPARE(fixture_->reminders.size(), 2);
}

void CheckTest::badFlagsDoNotSilenceTheRest_data()
{
    QTest::addColumn<QString>("badRecord");
    QTest::addColumn<int>("laterStandardText");
    QTest::addColumn<QString>("laterStandardCell");
    QTest::addRow("field 4 no truth value") << "Bad~Flag~01.04.1980~x~1~~~~~b@f.de" << 0 << "0";
    QTest::addRow("field 4 empty") << "Bad~Flag~01.04.1980~~1~~~~~b@f.de" << 1 << "1";
    QTest::addRow("fields 4 on missing") << "Bad~Flag~01.04.1980" << 1 << "2";
    QTest::addRow("field 5 no number") << "Bad~Flag~01.04.1980~x~x" << 1 << "x";
}

void CheckTest::badFlagsDoNotSilenceTheRest()
{
    QFETCH(QString, badRecord);
    QFETCH(int, laterStandardText);
    QFETCH(QString, laterStandardCell);
    run(QDate(2026, 4, 1), {badRecord, person("Gut", "Auto", "01.04.1985", "1", laterStandardCell, "g@a.de"),
                            person("Morgen", "Erst", "02.04.1990")});
    const auto& opened = fixture_->reminders;
    QCOMPARE(opened.size(), 2);
    QCOMPARE(opened[0].window, ReminderWindow::Manual);
    QCOMPARE(opened[0].firstName, QStringLiteral("Bad"));
    QCOMPARE(opened[1].window, ReminderWindow::Automatic);
    QCOMPARE(opened[1].firstName, QStringLiteral("Gut"));
    QCOMPARE(opened[1].useStandardText, laterStandardText);
    QCOMPARE(fixture_->upcomingLines(), QStringList{"Morgen Erst   (wird 36);1"});
    QVERIFY(fixture_->seams->prompt.messages.isEmpty());
}

void CheckTest::fullDiskEndsTheRunWithTheBox()
{
    QStringList list;
    for (int i = 0; i < 20; ++i)
        list << person(QStringLiteral("Person%1").arg(i), "Voll", "01.05.1980");
    fixture_->writeList(list);
    fixture_->folder->writeBytes(fixture_->folder->data("demnaechst.dat"), QByteArray());
    Form1& form = fixture_->form();
    form.LoadBirthdayList();
    form.LoadUpcomingList();
    {
        const FileSizeLimit diskFull(100);
        form.ueberpr_Click();
    }
    const auto& messages = fixture_->seams->prompt.messages;
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].text.startsWith("Fehler: 75 "), qPrintable(messages[0].text));
}

void CheckTest::linkInPlaceOfTheUpcomingFileIsReplaced()
{
    const QString elsewhere = fixture_->folder->folder() + "/wichtig.txt";
    fixture_->folder->writeBytes(elsewhere, "nicht anfassen\r\n");
    const QString upcoming = fixture_->folder->data("demnaechst.dat");
    QFile::remove(upcoming);
    QVERIFY(QFile::link(elsewhere, upcoming));
    fixture_->writeList({person("Morgen", "Erst", "02.04.1990")});
    fixture_->seams->clock.set(QDateTime(QDate(2026, 4, 1), QTime(8, 0)));
    Form1& form = fixture_->form();
    form.LoadBirthdayList();
    form.LoadUpcomingList();
    form.ueberpr_Click();
    QCOMPARE(fixture_->folder->readBytes(elsewhere), QByteArray("nicht anfassen\r\n"));
    QVERIFY(!QFileInfo(upcoming).isSymLink());
    QCOMPARE(fixture_->upcomingLines(), QStringList{"Morgen Erst   (wird 36);1"});
}

void CheckTest::leadTimeWarningWhereTheDesktopShowsIt_data()
{
    QTest::addColumn<bool>("tray");
    QTest::addColumn<bool>("notifications");
    QTest::addColumn<int>("balloons");
    QTest::addColumn<int>("notificationsTried");
    QTest::addColumn<bool>("window");
    QTest::addRow("tray: balloons") << true << true << 2 << 0 << false;
    QTest::addRow("no tray: notifications") << false << true << 0 << 2 << false;
    QTest::addRow("neither: a window") << false << false << 0 << 2 << true;
}

void CheckTest::leadTimeWarningWhereTheDesktopShowsIt()
{
    QFETCH(bool, tray);
    QFETCH(bool, notifications);
    QFETCH(int, balloons);
    QFETCH(int, notificationsTried);
    QFETCH(bool, window);
    fixture_->seams->tray.trayAvailable = tray;
    fixture_->seams->notifier.serviceAvailable = notifications;
    run(QDate(2026, 3, 8), {person("Eva", "Erst", "10.03.1990"), person("Zoe", "Zweit", "10.03.2000")});
    const QString title = "In 2 Tage(n) hat folgende Person Tovalinero:";
    QCOMPARE(fixture_->seams->tray.balloons.size(), balloons);
    const auto& tried = fixture_->seams->notifier.attempts;
    QCOMPARE(tried.size(), notificationsTried);
    if (!tried.isEmpty()) {
        QCOMPARE(tried.last().title, title);
        QCOMPARE(tried.last().text, QStringLiteral("Eva Erst\r\nZoe Zweit\r\n"));
    }
    vorwarnung1* warning = Forms::Loaded<vorwarnung1>();
    QCOMPARE(warning && warning->isVisible(), window);
    if (window) {
        QCOMPARE(warning->Label1->text(), title);
        QCOMPARE(warning->Label2->text(), QStringLiteral("Eva Erst\nZoe Zweit"));
    }
}

void CheckTest::warningWindowClosesByKeyboard_data()
{
    QTest::addColumn<int>("key");
    QTest::addRow("Escape") << int(Qt::Key_Escape);
    QTest::addRow("Enter") << int(Qt::Key_Return);
}

void CheckTest::warningWindowClosesByKeyboard()
{
    QFETCH(int, key);
    fixture_->seams->tray.trayAvailable = false;
    fixture_->seams->notifier.serviceAvailable = false;
    run(QDate(2026, 1, 30), {person("Anna", "Meier", "01.02.1980")});
    QPointer<vorwarnung1> warning(Forms::Loaded<vorwarnung1>());
    QVERIFY(warning);
    QCOMPARE(warning->windowTitle(), QStringLiteral("Tovalinero Pro"));
    QVERIFY(!warning->windowIcon().isNull());
    QCOMPARE(warning->focusWidget(), warning->Command1);
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(warning.data());
    QCOMPARE(window->text(QAccessible::Name), QStringLiteral("In 2 Tage(n) hat folgende Person Tovalinero:"));
    QCOMPARE(window->text(QAccessible::Description), QStringLiteral("Anna Meier"));
    QCOMPARE(QAccessible::queryAccessibleInterface(warning->Command1)->text(QAccessible::Name),
             QStringLiteral("Schließen"));
    QTest::keyClick(warning.data(), Qt::Key(key));
    FlushDeletedWindows();
    QVERIFY(warning.isNull());
    // Only the warning goes; the program runs on.
    QCOMPARE(fixture_->programEnds, 0);
    QVERIFY(Forms::Loaded<Form1>());
}

void CheckTest::countLineFollowsTheGrids()
{
    run(QDate(2026, 1, 30), {person("Anna", "Meier", "01.02.1980"), person("Bert", "Abel", "05.02.1980")});
    Form1& form = fixture_->form();
    const auto countLine = [&](const QString& expected) {
        for (QLabel* label : form.Label4)
            if (label->text() != expected)
                return false;
        return expected == QStringLiteral("Tovalineroe: %1 - In 2026: %2")
                               .arg(form.Grid1->RowCount())
                               .arg(form.Grid2->RowCount());
    };
    QVERIFY(countLine("Tovalineroe: 2 - In 2026: 2"));
    auto& prompt = fixture_->seams->prompt;
    prompt.answers = {MsgAnswer::Yes};
    form.Grid1->SetCurrentRow(1);
    form.Coolbar1_ButtonClick("loeschen");
    QVERIFY(countLine("Tovalineroe: 1 - In 2026: 1"));
    form.ueberpr_Click();
    QVERIFY(countLine("Tovalineroe: 1 - In 2026: 1"));
    // A run that fails keeps the coming birthdays, and the line still names them.
    fixture_->folder->setSetting(Settings::LeadTimeDays, "");
    form.ueberpr_Click();
    QCOMPARE(prompt.messages.size(), 2);
    QVERIFY(countLine("Tovalineroe: 1 - In 2026: 1"));
    fixture_->folder->setSetting(Settings::LeadTimeDays, "2");
    prompt.answers = {MsgAnswer::Yes};
    form.Coolbar1_ButtonMenuClick(1, "alle_loeschen");
    QVERIFY(countLine("Tovalineroe: 0 - In 2026: 0"));
    form.ueberpr_Click();
    QVERIFY(countLine("Tovalineroe: 0 - In 2026: 0"));
    QCOMPARE(prompt.messages.size(), 3);
}

void CheckTest::leadTimeChangedDuringARunCountsForLaterPersons()
{
    // The lead time goes from 2 to 5 days while today's reminder window is open.
    fixture_->duringReminder = [&] { fixture_->folder->setSetting(Settings::LeadTimeDays, "5"); };
    run(QDate(2026, 4, 1),
        {person("Zwei", "Vorher", "03.04.1980"), person("Hand", "Werk", "01.04.1980"),
         person("Zwei", "Nachher", "03.04.1980"), person("Fuenf", "Nachher", "06.04.1980")});
    const auto& balloons = fixture_->seams->tray.balloons;
    QCOMPARE(balloons.size(), 2);
    QCOMPARE(balloons[0].title, QStringLiteral("In 2 Tage(n) hat folgende Person Tovalinero:"));
    QCOMPARE(balloons[1].title, QStringLiteral("In 5 Tage(n) hat folgende Person Tovalinero:"));
    QCOMPARE(balloons[1].text, QStringLiteral("Zwei Vorher\r\nFuenf Nachher\r\n"));
}

void CheckTest::pipeInPlaceOfTheUpcomingFileDoesNotHoldTheRun()
{
    const QString upcoming = fixture_->folder->data("demnaechst.dat");
    bool pipeMade = false;
    fixture_->duringReminder = [&] {
        QFile::remove(upcoming);
        pipeMade = mkfifo(QFile::encodeName(upcoming).constData(), 0600) == 0;
    };
    run(QDate(2026, 4, 1), {person("Hand", "Werk", "01.04.1980"), person("Bald", "Da", "03.04.1980")});
    QVERIFY(pipeMade);
    QVERIFY(QFileInfo(upcoming).isFile());
    QCOMPARE(fixture_->upcomingLines(), QStringList{"Bald Da   (wird 46);2"});
    QVERIFY(fixture_->seams->prompt.messages.isEmpty());
}

void CheckTest::semicolonInANameStaysInTheName_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addRow("in the last name") << "Anna"
                                      << "Ober;Unter";
    QTest::addRow("in the first name") << "An;na"
                                       << "Meier";
    QTest::addRow("several, at the ends") << ";A;"
                                          << "B;;";
}

void CheckTest::semicolonInANameStaysInTheName()
{
    QFETCH(QString, first);
    QFETCH(QString, last);
    run(QDate(2026, 1, 30), {person("Zehn", "Tage", "09.02.1980"), person(first, last, "01.02.1990"),
                             person("Drei", "Tage", "02.02.1980")});
    const QString name = first + " " + last + "   (wird 36)";
    QCOMPARE(fixture_->upcomingLines(),
             (QStringList{"Zehn Tage   (wird 46);10", name + ";2", "Drei Tage   (wird 46);3"}));
    Grid* grid = fixture_->form().Grid2;
    QCOMPARE(grid->RowCount(), 3);
    QCOMPARE(grid->Cell(1, 1), name);
    QCOMPARE(grid->Cell(1, 2), QStringLiteral("2"));
    QCOMPARE(grid->Cell(2, 2), QStringLiteral("3"));
    QCOMPARE(grid->Cell(3, 2), QStringLiteral("10"));
}

void CheckTest::negativeLeadTimeWarnsNobody_data()
{
    QTest::addColumn<QString>("leadTime");
    QTest::addRow("-5") << "-5";
    QTest::addRow("-1") << "-1";
    QTest::addRow("-364, the first day of the year") << "-364";
    QTest::addRow("as the file writes numbers") << " -5 ";
}

void CheckTest::negativeLeadTimeWarnsNobody()
{
    QFETCH(QString, leadTime);
    fixture_->seams->tray.trayAvailable = false;
    fixture_->seams->notifier.serviceAvailable = false;
    run(QDate(2026, 12, 31),
        {person("Fuenf", "Vorbei", "26.12.1980"), person("Gestern", "Vorbei", "30.12.1980"),
         person("Neujahr", "Vorbei", "01.01.1980"), person("Heute", "Da", "31.12.1980")},
        leadTime);
    QVERIFY(fixture_->seams->tray.balloons.isEmpty());
    QVERIFY(fixture_->seams->notifier.attempts.isEmpty());
    QVERIFY(!Forms::Loaded<vorwarnung1>());
    // Today's birthday is reminded of as ever.
    QCOMPARE(fixture_->reminders.size(), 1);
    QVERIFY(fixture_->upcomingLines().isEmpty());
    QVERIFY(fixture_->seams->prompt.messages.isEmpty());
}

void CheckTest::headingFollowsTheYearOfTheLatestCheck()
{
    const QString heading = "Hier sehen Sie eine Liste der noch im Jahr %1 anstehenden Tovalineroe.";
    run(QDate(2026, 12, 31), {person("Zwei", "Januar", "02.01.1990"), person("Mitte", "Juni", "15.06.1990")});
    Form1& form = fixture_->form();
    QCOMPARE(form.Label2->text(), heading.arg(2026));
    QCOMPARE(form.Grid2->RowCount(), 0);
    QCOMPARE(form.Label4[0]->text(), QStringLiteral("Tovalineroe: 2 - In 2026: 0"));

    // "Dauerprüfung" runs the next check on New Year's Day.
    fixture_->seams->clock.set(QDateTime(QDate(2027, 1, 1), QTime(0, 0, 1)));
    form.Check_Pruefung->setChecked(true);
    form.ApplyContinuousCheck();
    form.xpProgress1->setValue(form.xpProgress1->maximum());
    form.Timer1_Timer();
    QCOMPARE(fixture_->upcomingLines(),
             (QStringList{"Zwei Januar   (wird 37);1", "Mitte Juni   (wird 37);165"}));
    QCOMPARE(form.Label2->text(), heading.arg(2027));
    for (QLabel* label : form.Label4)
        QCOMPARE(label->text(), QStringLiteral("Tovalineroe: 2 - In 2027: 2"));
    QCOMPARE(form.Label5->text(),
             QStringLiteral("Letzte Überprüfung der Tovalineroe am 01.01.2027 um 00:00:01 Uhr"));

    // A run that fails keeps the rows, and the heading and count line with them.
    fixture_->seams->clock.set(QDateTime(QDate(2027, 1, 2), QTime(9, 0, 0)));
    fixture_->folder->setSetting(Settings::LeadTimeDays, "");
    form.ueberpr_Click();
    QCOMPARE(fixture_->seams->prompt.messages.size(), 1);
    QCOMPARE(form.Label2->text(), heading.arg(2027));
    QCOMPARE(form.Label4[0]->text(), QStringLiteral("Tovalineroe: 2 - In 2027: 2"));
}

void CheckTest::listChangedDuringARunIsListedAtItsEnd()
{
    Form1& form = fixture_->form();
    // A person is deleted while today's reminder window is open.
    fixture_->duringReminder = [&] {
        fixture_->seams->prompt.answers = {MsgAnswer::Yes};
        form.Grid1->SetCurrentRow(3);
        form.Coolbar1_ButtonClick("loeschen");
    };
    run(QDate(2026, 4, 1), {person("Hand", "Werk", "01.04.1980"), person("Bald", "Da", "03.04.1980"),
                            person("Spaet", "Er", "06.04.1980")});
    QCOMPARE(fixture_->upcomingLines(), QStringList{"Bald Da   (wird 46);2"});
    QCOMPARE(form.Grid2->RowCount(), 1);
    QCOMPARE(form.Grid2->Cell(1, 1), QStringLiteral("Bald Da   (wird 46)"));
    QCOMPARE(form.Label4[0]->text(), QStringLiteral("Tovalineroe: 2 - In 2026: 1"));
}

QTEST_MAIN(CheckTest)
#include "tst_check.moc"
