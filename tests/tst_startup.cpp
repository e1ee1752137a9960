#include "support/formfixture.h"
#include "support/sparsefile.h"

#include "app/messageloop.h"
#include "common/forms.h"
#include "platform/programfolder.h"
#include "platform/programfolderlock.h"
#include "settings/settingsfile.h"

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

class StartupTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { fixture_ = std::make_unique<FormFixture>(); }
    void cleanup() { fixture_.reset(); }
    void startShowsTheWelcomeTab();
    void missingSettingsFileStopsWithTheBox();
    void hugeListFileIsRefusedUnread();
    void startFailureNamesItsCause_data();
    void startFailureNamesItsCause();
    void startTab_data();
    void startTab();
    void startMinimisedGoesToTheTray_data();
    void startMinimisedGoesToTheTray();
    void withoutTrayTheWindowStaysInTheTaskBar();
    void doubleClickBringsTheWindowBack();
    void trayMenu();
    void countdownRunsTheCheckAfterTheInterval();
    void countdownOfARealTimer();
    void untickingStopsTheCountdown();
    void checkBoxKeepsItsPlace_data();
    void checkBoxKeepsItsPlace();
    void intervalThatIsNoNumberCountsAsAnHour_data();
    void intervalThatIsNoNumberCountsAsAnHour();
    void closingEndsTheProgramWithEveryWindow();
    void endDuringStartUpEndsTheProgram_data();
    void endDuringStartUpEndsTheProgram();
    void programIconShowsInWindowAndTray();
    void secondStartWhileTheProgramRuns();
    void folderLock_data();
    void folderLock();
    void lockStaysWithThisProgram();

private:
    Form1& start();
    std::unique_ptr<FormFixture> fixture_;
};

Form1& StartupTest::start()
{
    Form1& form = fixture_->form();
    form.Form_Load();
    return form;
}

void StartupTest::startShowsTheWelcomeTab()
{
    fixture_->writeList({"Anna~Meier~01.02.1980~0~1~~~~~", "Bert~Abel~1.3.1975~0~1~~~~~"});
    fixture_->folder->writeBytes(fixture_->folder->data("demnaechst.dat"), "alt;1\r\n");
    Form1& form = start();
    QVERIFY(fixture_->seams->prompt.messages.isEmpty());
    QVERIFY(form.isVisible());
    QCOMPARE(form.windowTitle(), QStringLiteral("Tovalinero Pro"));
    QCOMPARE(form.sevTabStrip1->currentIndex(), 0);
    QCOMPARE(form.sevTabStrip1->tabText(1), QStringLiteral("&Kommende Tovalineroe"));
    QCOMPARE(form.Label3->text(), QStringLiteral("Version 3.1.1"));
    QCOMPARE(form.Label2->text(),
             QStringLiteral("Hier sehen Sie eine Liste der noch im Jahr 2026 anstehenden Tovalineroe."));
    QCOMPARE(form.Grid1->RowCount(), 2);
    QCOMPARE(form.Grid1->Cell(2, 3), QStringLiteral("01.03.1975"));
    QCOMPARE(form.Grid2->RowCount(), 2);
    QCOMPARE(fixture_->upcomingLines(),
             (QStringList{"Anna Meier   (wird 46);2", "Bert Abel   (wird 51);30"}));
    for (QLabel* label : form.Label4)
        QCOMPARE(label->text(), QStringLiteral("Tovalineroe: 2 - In 2026: 2"));
    QVERIFY(!form.Check_Pruefung->isChecked());
    QVERIFY(!form.xpProgress1->isVisible());
    QVERIFY(!form.Timer1->isActive());
    QVERIFY(!form.Label5->text().isEmpty());
}

void StartupTest::missingSettingsFileStopsWithTheBox()
{
    fixture_->writeList({"Anna~Meier~01.02.1980~0~1~~~~~"});
    QFile::remove(Settings::Path());
    Form1& form = start();
    QCOMPARE(fixture_->seams->prompt.texts(), QStringList{"Fehler: 13 - Typen unverträglich"});
    QCOMPARE(fixture_->seams->prompt.messages[0].buttons, MsgButtons::Ok);
    QVERIFY(form.isVisible());
    QCOMPARE(form.Grid1->RowCount(), 0);
    QVERIFY(!form.Timer1->isActive());
}

// A damaged list file of 40 GiB (a hole, costing no disk): the start-up says so from its size,
// reads nothing of it, and the list it could not load is never written over it.
void StartupTest::hugeListFileIsRefusedUnread()
{
    const QString list = fixture_->folder->data("tovalinero.dat");
    if (!MakeSparseFile(list, 40 * GiB, "Anna~Meier~01.02.1980~0~1~~~~~\r\n"))
        QSKIP("the file system holds no sparse file");
    const long memoryBefore = PeakMemoryKiB();
    Form1& form = start();
    QVERIFY(PeakMemoryKiB() - memoryBefore < BoundedMemoryKiB);
    QCOMPARE(fixture_->seams->prompt.texts(),
             QStringList{"Fehler: 7 - Die Tovalinerosliste ist zu groß (40,0 GB, höchstens 64,0 MB)"});
    QCOMPARE(form.Grid1->RowCount(), 0);
    QVERIFY(!form.SaveBirthdayList());
    QCOMPARE(QFileInfo(list).size(), 40 * GiB);
}

void StartupTest::startFailureNamesItsCause_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    QTest::addRow("list file missing") << "missing"
                                       << ""
                                       << "Fehler: 53 - Datei nicht gefunden";
    QTest::addRow("data folder read-only") << "read-only folder"
                                           << "demnaechst.dat"
                                           << "Fehler: 70 - Zugriff verweigert: Es fehlt die Berechtigung "
                                              "zum Schreiben.";
    QTest::addRow("list file unreadable") << "unreadable list"
                                          << "tovalinero.dat"
                                          << "Fehler: 70 - Zugriff verweigert: Es fehlt die Berechtigung "
                                             "zum Lesen.";
}

// The start-up's box names the cause the system gave, and the file. Permissions bind only an
// ordinary user, so the start runs in a child under one.
void StartupTest::startFailureNamesItsCause()
{
    QFETCH(QString, situation);
    QFETCH(QString, file);
    QFETCH(QString, message);
    fixture_->writeList({"Anna~Meier~01.02.1980~0~1~~~~~"});
    const ProgramFolderFixture& folder = *fixture_->folder;
    if (!file.isEmpty())
        message += "\n\n" + QDir::toNativeSeparators(folder.data(file));
    if (situation == "missing") {
        QFile::remove(folder.data("tovalinero.dat"));
        start();
        QCOMPARE(fixture_->seams->prompt.texts(), QStringList{message});
        return;
    }
    const uid_t nobody = 65534;
    const bool asRoot = geteuid() == 0;
    if (asRoot) {
        QDirIterator it(folder.folder(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        QVERIFY(::chown(QFile::encodeName(folder.folder()).constData(), nobody, nobody) == 0);
        while (it.hasNext())
            QVERIFY(::lchown(QFile::encodeName(it.next()).constData(), nobody, nobody) == 0);
    }
    if (situation == "read-only folder") {
        QFile::remove(folder.data("demnaechst.dat"));
        QVERIFY(::chmod(QFile::encodeName(folder.folder() + "/daten").constData(), 0555) == 0);
    } else {
        QVERIFY(::chmod(QFile::encodeName(folder.data("tovalinero.dat")).constData(), 0) == 0);
    }
    const pid_t child = fork();
    if (child == 0) {
        if (asRoot && (::setgid(nobody) != 0 || ::setuid(nobody) != 0))
            _exit(3);
        start();
        const QStringList shown = fixture_->seams->prompt.texts();
        if (shown != QStringList{message}) {
            std::fprintf(stderr, "shown: %s\n", qPrintable(shown.join('|')));
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    ::chmod(QFile::encodeName(folder.folder() + "/daten").constData(), 0700);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
}

void StartupTest::startTab_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("tab");
    QTest::addRow("welcome") << QStringList{"True", "False", "False"} << 0;
    QTest::addRow("upcoming") << QStringList{"False", "True", "False"} << 1;
    QTest::addRow("list") << QStringList{"False", "False", "True"} << 2;
    QTest::addRow("last true wins") << QStringList{"True", "True", "True"} << 2;
    QTest::addRow("older layout") << QStringList{"<Zeile 25>", "True", "True"} << 0;
    QTest::addRow("numbers as truth values") << QStringList{" 0 ", " 1 ", " 0 "} << 1;
}

void StartupTest::startTab()
{
    QFETCH(QStringList, lines);
    QFETCH(int, tab);
    for (int i = 0; i < 3; ++i)
        fixture_->folder->setSetting(Settings::StartTabWelcome + i, lines[i]);
    Form1& form = start();
    QVERIFY(fixture_->seams->prompt.messages.isEmpty());
    QCOMPARE(form.sevTabStrip1->currentIndex(), tab);
}

void StartupTest::startMinimisedGoesToTheTray_data()
{
    QTest::addColumn<QString>("line5");
    QTest::addColumn<bool>("minimised");
    QTest::addRow("as written") << " 1 " << true;
    QTest::addRow("without blanks") << "1" << true;
    QTest::addRow("zero") << " 0 " << false;
    QTest::addRow("empty") << "" << false;
    QTest::addRow("another number") << "2" << false;
}

void StartupTest::startMinimisedGoesToTheTray()
{
    QFETCH(QString, line5);
    QFETCH(bool, minimised);
    fixture_->folder->setSetting(Settings::StartMinimized, line5);
    Form1& form = start();
    QCoreApplication::processEvents();
    QVERIFY(fixture_->seams->prompt.messages.isEmpty());
    QCOMPARE(form.isVisible(), !minimised);
    QCOMPARE(fixture_->seams->tray.shown, minimised);
    if (minimised) {
        QCOMPARE(fixture_->seams->tray.toolTip, QStringLiteral("Tovalinero Pro V3.1.1"));
        const Balloon& balloon = fixture_->seams->tray.balloons.last();
        QCOMPARE(balloon.title, QStringLiteral("Tovalinero Pro V3.1.1"));
        QCOMPARE(balloon.text,
                 QStringLiteral("Hier mit rechter Maustaste klicken\r\num das Menü zu öffnen..."));
    }
}

void StartupTest::withoutTrayTheWindowStaysInTheTaskBar()
{
    fixture_->seams->tray.trayAvailable = false;
    fixture_->folder->setSetting(Settings::StartMinimized, " 1 ");
    Form1& form = start();
    QCoreApplication::processEvents();
    QVERIFY(form.isVisible());
    QVERIFY(form.isMinimized());
}

void StartupTest::doubleClickBringsTheWindowBack()
{
    Form1& form = start();
    form.showMinimized();
    QTRY_VERIFY(!form.isVisible());
    QVERIFY(fixture_->seams->tray.shown);
    emit fixture_->seams->tray.DblClick();
    QVERIFY(form.isVisible());
    QVERIFY(!form.isMinimized());
    QVERIFY(!fixture_->seams->tray.shown);
    // Each entry into the tray shows the balloon again.
    const int balloons = static_cast<int>(fixture_->seams->tray.balloons.size());
    form.showMinimized();
    QCOMPARE(fixture_->seams->tray.balloons.size(), balloons + 1);
}

void StartupTest::trayMenu()
{
    Form1& form = start();
    FakeTray& tray = fixture_->seams->tray;
    emit tray.MouseUp(1);
    QCOMPARE(tray.menusShown, 0);
    emit tray.MouseUp(2);
    QCOMPARE(tray.menusShown, 1);
    using Item = QPair<QString, QString>;
    QCOMPARE(tray.menu, (QList<Item>{{"Tovalinero Pro &öffnen...", "open"},
                                     {"Manuelle Überprüfung starten", "manueber"},
                                     {"-", ""},
                                     {"Programm &beenden", "exit"}}));
    fixture_->seams->clock.set(QDateTime(QDate(2026, 1, 30), QTime(11, 0, 0)));
    emit tray.MenuClick(1, "manueber");
    QVERIFY(form.Label5->text().endsWith("um 11:00:00 Uhr"));
    emit tray.MenuClick(9, "unbekannt");
    QCOMPARE(fixture_->programEnds, 0);
    emit tray.MenuClick(3, "exit");
    QCOMPARE(fixture_->programEnds, 1);
    QVERIFY(fixture_->seams->prompt.messages.isEmpty());
}

void StartupTest::countdownRunsTheCheckAfterTheInterval()
{
    fixture_->folder->setSetting(Settings::CheckIntervalSeconds, "2");
    fixture_->folder->setSetting(Settings::ContinuousCheckEnabled, " 1 ");
    Form1& form = start();
    QVERIFY(form.Check_Pruefung->isChecked());
    QVERIFY(form.xpProgress1->isVisible());
    QVERIFY(form.Timer1->isActive());
    QCOMPARE(form.Timer1->interval(), 1000);
    QCOMPARE(form.xpProgress1->maximum(), 2);
    fixture_->seams->clock.set(QDateTime(QDate(2026, 1, 30), QTime(12, 0, 0)));
    form.Timer1_Timer();
    form.Timer1_Timer();
    QCOMPARE(form.xpProgress1->value(), 2);
    QVERIFY(!form.Label5->text().endsWith("12:00:00 Uhr"));
    // The run comes at the tick after the bar is full, then the countdown starts anew.
    form.Timer1_Timer();
    QVERIFY(form.Label5->text().endsWith("12:00:00 Uhr"));
    QCOMPARE(form.xpProgress1->value(), 0);
    QVERIFY(form.Timer1->isActive());
}

void StartupTest::countdownOfARealTimer()
{
    fixture_->folder->setSetting(Settings::CheckIntervalSeconds, "1");
    fixture_->folder->setSetting(Settings::ContinuousCheckEnabled, " 1 ");
    fixture_->writeList({"Heute~Kind~30.01.2000~0~1~~~~~"});
    start();
    QCOMPARE(fixture_->reminders.size(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(fixture_->reminders.size(), 2, 5000);
}

void StartupTest::untickingStopsTheCountdown()
{
    fixture_->folder->setSetting(Settings::ContinuousCheckEnabled, " 1 ");
    Form1& form = start();
    form.Timer1_Timer();
    QCOMPARE(form.xpProgress1->value(), 1);
    form.Check_Pruefung->click();
    QVERIFY(!form.xpProgress1->isVisible());
    QVERIFY(!form.Timer1->isActive());
    form.Check_Pruefung->click();
    QVERIFY(form.xpProgress1->isVisible());
    QVERIFY(form.Timer1->isActive());
    QCOMPARE(form.xpProgress1->value(), 0);
    QCOMPARE(form.xpProgress1->maximum(), 3600);
    // The box is not written back.
    QCOMPARE(Settings::Read(Settings::ContinuousCheckEnabled), QStringLiteral(" 1 "));
}

void StartupTest::checkBoxKeepsItsPlace_data()
{
    QTest::addColumn<QString>("atStart");
    QTest::addRow("off at start") << " 0 ";
    QTest::addRow("on at start") << " 1 ";
}

// Ticking or unticking shows or hides the bar; a second click at the same spot still meets the box.
void StartupTest::checkBoxKeepsItsPlace()
{
    QFETCH(QString, atStart);
    fixture_->folder->setSetting(Settings::ContinuousCheckEnabled, atStart);
    Form1& form = start();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCheckBox* box = form.Check_Pruefung;
    const auto place = [&form, box] {
        QCoreApplication::processEvents();
        return QRect(box->mapTo(&form, QPoint(0, 0)), box->size());
    };
    const QRect before = place();
    const bool barShown = form.xpProgress1->isVisible();
    // On the box's square, at its left.
    const QPoint spot(box->height() / 2, box->height() / 2);
    QTest::mouseClick(box, Qt::LeftButton, {}, spot);
    QCOMPARE(form.xpProgress1->isVisible(), !barShown);
    QCOMPARE(place(), before);
    QTest::mouseClick(box, Qt::LeftButton, {}, spot);
    QCOMPARE(form.xpProgress1->isVisible(), barShown);
    QCOMPARE(place(), before);
    // The bar stays clear of the box.
    form.xpProgress1->show();
    QVERIFY(
        !QRect(form.xpProgress1->mapTo(&form, QPoint(0, 0)), form.xpProgress1->size()).intersects(before));
}

void StartupTest::intervalThatIsNoNumberCountsAsAnHour_data()
{
    QTest::addColumn<QString>("interval");
    QTest::addRow("no number") << "eine Stunde";
    QTest::addRow("zero") << "0";
    QTest::addRow("negative") << "-5";
    QTest::addRow("zero with blanks") << " 0 ";
}

void StartupTest::intervalThatIsNoNumberCountsAsAnHour()
{
    QFETCH(QString, interval);
    Form1& form = start();
    fixture_->folder->setSetting(Settings::CheckIntervalSeconds, interval);
    form.Check_Pruefung->click();
    QVERIFY(form.Timer1->isActive());
    QCOMPARE(form.xpProgress1->maximum(), 3600);
    QVERIFY(fixture_->seams->prompt.messages.isEmpty());
}

class OpenWindow : public QDialog
{
};

void StartupTest::closingEndsTheProgramWithEveryWindow()
{
    Form1& form = start();
    QPointer<OpenWindow> other(&Forms::Get<OpenWindow>());
    other->show();
    QPointer<Form1> main(&form);
    form.close();
    FlushDeletedWindows();
    QVERIFY(other.isNull());
    QVERIFY(main.isNull());
    QCOMPARE(fixture_->programEnds, 1);
    QCOMPARE(FormRegistry::loadedCount(), 0);
}

void StartupTest::endDuringStartUpEndsTheProgram_data()
{
    QTest::addColumn<bool>("byTray");
    QTest::addRow("main window closed") << false;
    QTest::addRow("tray's exit") << true;
}

// The start-up runs before the message loop: an end asked for while the first reminder window
// is open must end the program there, not be left to a loop that would never hear of it.
void StartupTest::endDuringStartUpEndsTheProgram()
{
    QFETCH(bool, byTray);
    fixture_->writeList({"Heute~Kind~30.01.2000~0~1~~~~~", "Auch~Heute~30.01.1990~1~1~~~~~"});
    fixture_->folder->setSetting(Settings::StartMinimized, " 0 ");
    fixture_->folder->setSetting(Settings::ContinuousCheckEnabled, " 1 ");
    Form1& form = fixture_->form();
    QPointer<Form1> main(&form);
    fixture_->duringReminder = [&] {
        if (byTray)
            emit fixture_->seams->tray.MenuClick(3, "exit");
        else
            form.close();
    };
    form.Form_Load();
    QCOMPARE(fixture_->programEnds, 1);
    QCOMPARE(fixture_->reminders.size(), 1);
    QVERIFY(!form.isVisible());
    QVERIFY(!form.Timer1->isActive());
    QVERIFY(fixture_->seams->prompt.messages.isEmpty());

    QTimer loopRan;
    loopRan.setSingleShot(true);
    connect(&loopRan, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    loopRan.start(0);
    QCOMPARE(RunMessageLoop(), 0);
    QVERIFY(main.isNull());
    QCOMPARE(FormRegistry::loadedCount(), 0);
}

// The icon comes from the program's own resources, on the path the program starts by.
void StartupTest::programIconShowsInWindowAndTray()
{
    Form1& form = start();
    QVERIFY(!form.windowIcon().pixmap(32, 32).isNull());
    form.showMinimized();
    QVERIFY(fixture_->seams->tray.shown);
    QVERIFY(!fixture_->seams->tray.icon.pixmap(16, 16).isNull());
}

namespace
{

// Every file and folder under the data folder with its mode and bytes.
QStringList DataFolderState()
{
    QStringList state;
    QDirIterator it(DataFolder(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        QString line = entry.filePath() + " " + QString::number(entry.permissions(), 16);
        if (entry.isFile() && !entry.isSymLink()) {
            QFile file(entry.filePath());
            line +=
                " " + QString::fromLatin1((file.open(QIODevice::ReadOnly) ? file.readAll() : "?").toHex());
        } else {
            line += " -> " + entry.symLinkTarget();
        }
        state << line;
    }
    state.sort();
    return state;
}

// %1: the data folder.
QString InUseText()
{
    return "Tovalinero Pro läuft bereits mit den Daten in\n%1\n\nEin zweites Mal startet es dort nicht, "
           "denn beide Programme würden dieselbe Tovalinerosliste schreiben. Das laufende Programm finden "
           "Sie in der Taskleiste oder als Symbol im Infobereich.";
}

} // namespace

// The program itself runs on the folder and holds it until it dies, even by SIGKILL: a start
// meanwhile says so and ends with every file of the data folder as it was; after the kill the
// next start runs.
void StartupTest::secondStartWhileTheProgramRuns()
{
    const ProgramFolderFixture& folder = *fixture_->folder;
    const QString upcoming = folder.data("demnaechst.dat");
    folder.writeBytes(upcoming, "alt;1\r\n");
    QVERIFY(QFile::copy(TOVALINERO_BUILD_DIR "/tovalinero", folder.programPath()));
    QProcess first;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    first.setProcessEnvironment(environment);
    first.setProcessChannelMode(QProcess::ForwardedChannels);
    first.start(folder.programPath(), {});
    QVERIFY(first.waitForStarted());
    // Its start-up empties the coming-birthday file, which it does once it holds the folder.
    QTRY_VERIFY_WITH_TIMEOUT(folder.readBytes(upcoming) != "alt;1\r\n" || first.state() != QProcess::Running,
                             120000);
    QCOMPARE(first.state(), QProcess::Running);
    const QStringList before = DataFolderState();

    ProgramFolderLock second;
    QVERIFY(!second.TakeForStart());
    QCOMPARE(fixture_->seams->prompt.texts(),
             QStringList{InUseText().arg(QDir::toNativeSeparators(DataFolder()))});
    QCOMPARE(fixture_->seams->prompt.messages[0].icon, MsgIcon::Information);
    QCOMPARE(fixture_->seams->prompt.messages[0].buttons, MsgButtons::Ok);
    QCOMPARE(fixture_->seams->prompt.messages[0].title, QStringLiteral("Tovalinero"));
    QCOMPARE(DataFolderState(), before);
    QCOMPARE(first.state(), QProcess::Running);

    first.kill();
    QVERIFY(first.waitForFinished());
    QCOMPARE(first.exitStatus(), QProcess::CrashExit);
    QVERIFY(second.TakeForStart());
    QCOMPARE(fixture_->seams->prompt.messages.size(), 1);
    fixture_->writeList({"Anna~Meier~01.02.1980~0~1~~~~~"});
    Form1& form = start();
    QCOMPARE(fixture_->seams->prompt.messages.size(), 1);
    QCOMPARE(form.Grid1->RowCount(), 1);
}

enum class LockSetUp {
    Nothing,
    HeldHere,
    LeftByAKilledProgram,
    OnlyReadable,
    NoDataFolder,
    ReadOnlyDataFolder,
    DanglingLink
};
Q_DECLARE_METATYPE(LockSetUp)
Q_DECLARE_METATYPE(ProgramFolderLock::Outcome)

void StartupTest::folderLock_data()
{
    using Outcome = ProgramFolderLock::Outcome;
    QTest::addColumn<LockSetUp>("setUp");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("box");
    QTest::addRow("first start") << LockSetUp::Nothing << Outcome::Taken << QString();
    QTest::addRow("held by another start") << LockSetUp::HeldHere << Outcome::InUse << InUseText();
    QTest::addRow("lock file of a killed program")
        << LockSetUp::LeftByAKilledProgram << Outcome::Taken << QString();
    QTest::addRow("lock file only readable") << LockSetUp::OnlyReadable << Outcome::Taken << QString();
    // The start-up reports the missing list itself.
    QTest::addRow("no data folder") << LockSetUp::NoDataFolder << Outcome::NothingToGuard << QString();
    QTest::addRow("data folder only readable")
        << LockSetUp::ReadOnlyDataFolder << Outcome::NothingToGuard << QString();
    QTest::addRow("dangling link as lock file")
        << LockSetUp::DanglingLink << Outcome::Failed
        << "Tovalinero Pro startet nicht, denn im Datenordner\n%1\nlässt sich die Sperrdatei "
           "\".tovalinero.lock\" nicht anlegen oder sperren, die einen "
           "zweiten Start auf denselben Daten verhindert.\n\nDer Ordner ist nicht vorhanden.";
}

// What a start finds in the data folder: whether it runs, and what it says when it does not; a
// start that does not run leaves the folder as it was.
void StartupTest::folderLock()
{
    QFETCH(LockSetUp, setUp);
    QFETCH(ProgramFolderLock::Outcome, outcome);
    QFETCH(QString, box);
    const QString data = DataFolder();
    if (!box.isEmpty())
        box = box.arg(QDir::toNativeSeparators(data));
    const QString lockFile = ProgramFolderLock::FilePath(data);
    ProgramFolderLock other;
    switch (setUp) {
    case LockSetUp::Nothing:
        break;
    case LockSetUp::HeldHere:
        QCOMPARE(other.Take(data), ProgramFolderLock::Outcome::Taken);
        break;
    case LockSetUp::LeftByAKilledProgram:
        QVERIFY(QFile(lockFile).open(QIODevice::WriteOnly));
        break;
    case LockSetUp::OnlyReadable:
        QVERIFY(QFile(lockFile).open(QIODevice::WriteOnly));
        QVERIFY(QFile::setPermissions(lockFile, QFile::ReadOwner));
        break;
    case LockSetUp::NoDataFolder:
        QVERIFY(QDir(data).removeRecursively());
        break;
    case LockSetUp::ReadOnlyDataFolder:
        if (::geteuid() == 0)
            QSKIP("the superuser writes into any folder");
        QVERIFY(QFile::setPermissions(data, QFile::ReadOwner | QFile::ExeOwner));
        break;
    case LockSetUp::DanglingLink:
        QVERIFY(QFile::link(fixture_->folder->folder() + "/fehlt/sperre", lockFile));
        break;
    }
    const QStringList before = DataFolderState();

    ProgramFolderLock lock;
    QCOMPARE(lock.TakeForStart(), box.isEmpty());
    QCOMPARE(fixture_->seams->prompt.texts(), box.isEmpty() ? QStringList() : QStringList{box});
    if (!box.isEmpty())
        QCOMPARE(fixture_->seams->prompt.messages[0].icon,
                 outcome == ProgramFolderLock::Outcome::Failed ? MsgIcon::Critical : MsgIcon::Information);
    if (outcome != ProgramFolderLock::Outcome::Taken || setUp != LockSetUp::Nothing)
        QCOMPARE(DataFolderState(), before);
    ProgramFolderLock again;
    QCOMPARE(again.Take(data),
             outcome == ProgramFolderLock::Outcome::Taken ? ProgramFolderLock::Outcome::InUse : outcome);
    if (setUp == LockSetUp::ReadOnlyDataFolder)
        QFile::setPermissions(data, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// The lock is this program's alone: a program it starts (the desktop's spreadsheet, a browser)
// does not keep it, and it goes with the lock's holder.
void StartupTest::lockStaysWithThisProgram()
{
    const QString data = DataFolder();
    auto lock = std::make_unique<ProgramFolderLock>();
    QCOMPARE(lock->Take(data), ProgramFolderLock::Outcome::Taken);
    QProcess started;
    started.start("sleep", {"600"});
    QVERIFY(started.waitForStarted());
    lock.reset();
    ProgramFolderLock next;
    QCOMPARE(next.Take(data), ProgramFolderLock::Outcome::Taken);
    started.kill();
    started.waitForFinished();
}

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
