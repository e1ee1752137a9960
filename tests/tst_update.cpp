#include "support/formfixture.h"
#include "support/httpserver.h"

#include "common/forms.h"
#include "common/version.h"
#include "common/webaddresses.h"
#include "maintenance/update_vorhanden.h"
#include "maintenance/versionspru.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>

namespace
{

const QString InfoPath = QStringLiteral("update/tov_pro.ini");
const QString FailureText = QStringLiteral("Es konnte nicht geprüft werden, ob ein Update vorhanden ist.\r"
                                           "Dies könnte u. a. mit einem Serverproblem zusammenhängen.");
const QString UpdateQuestion =
    QStringLiteral("Bitte laden Sie sich auf der nachfolgenden Website\r"
                   "die aktuelle Programmversion runter und installieren Sie diese.\r"
                   "\r"
                   "Soll die Website nun aufgerufen werden?");

} // namespace

class UpdateTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void offeredVersion_data();
    void offeredVersion();
    void failedDownload_data();
    void failedDownload();
    void staleFileIsNeverRead();
    void offlineDoesNothing();
    void startUpChecksWhenLine24Says_data();
    void startUpChecksWhenLine24Says();
    void noticeShowsWhileTheMainWindowIsInTheTray();
    void updateStarten_data();
    void updateStarten();
    void ignorierenClosesTheNotice();
    void menuAsksAndOpensThePage_data();
    void menuAsksAndOpensThePage();
    void versionsCompareAsNumbers_data();
    void versionsCompareAsNumbers();

private:
    update_vorhanden* notice() const { return Forms::Loaded<update_vorhanden>(); }
    update_vorhanden& showNotice();
    void checkUpdateQuestion() const;
    FakeInternet& internet() { return fixture_->seams->internet; }
    FakePrompt& prompt() { return fixture_->seams->prompt; }
    QString infoFile() const { return fixture_->folder->data("temp/tov_pro.ini"); }
    HttpServer server_;
    std::unique_ptr<FormFixture> fixture_;
};

void UpdateTest::initTestCase()
{
    QVERIFY(server_.start());
}

void UpdateTest::init()
{
    fixture_ = std::make_unique<FormFixture>();
    internet().isOnline = true;
    internet().port = server_.port();
    server_.put(InfoPath, "3.1.1\r\n");
}

void UpdateTest::cleanup()
{
    fixture_.reset();
}

update_vorhanden& UpdateTest::showNotice()
{
    server_.put(InfoPath, "3.2.0\r\n");
    fixture_->form().CheckForUpdate();
    if (!notice())
        qFatal("no notice");
    return *notice();
}

void UpdateTest::checkUpdateQuestion() const
{
    const MessageRequest& box = fixture_->seams->prompt.messages.at(0);
    QCOMPARE(box.text, UpdateQuestion);
    QCOMPARE(box.title, QStringLiteral("Online-Update"));
    QCOMPARE(box.buttons, MsgButtons::YesNo);
    QCOMPARE(box.icon, MsgIcon::Information);
}

void UpdateTest::offeredVersion_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("failed");
    QTest::addRow("the same version") << QByteArray("3.1.1\r\n") << "" << false;
    QTest::addRow("a newer minor version") << QByteArray("3.2.0\r\n") << "3.2.0" << false;
    QTest::addRow("10.0.0 is newer than 3.1.1") << QByteArray("10.0.0\r\n") << "10.0.0" << false;
    QTest::addRow("3.10.0 is newer than 3.1.1") << QByteArray("3.10.0") << "3.10.0" << false;
    QTest::addRow("a trailing blank is no newer version") << QByteArray("3.1.1 \r\n") << "" << false;
    QTest::addRow("an older version") << QByteArray("3.0.9\r\n") << "" << false;
    QTest::addRow("two parts, further lines ignored") << QByteArray("3.2\r\nHinweise\r\n") << "3.2" << false;
    QTest::addRow("an error page of a proxy")
        << QByteArray("<html><head><title>Fehler</title></head><body>Zugriff verweigert</body></html>\r\n")
        << "" << true;
    QTest::addRow("an empty file") << QByteArray() << "" << true;
}

void UpdateTest::offeredVersion()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, shown);
    QFETCH(bool, failed);
    server_.put(InfoPath, file);
    fixture_->form().CheckForUpdate();

    QCOMPARE(internet().requests, QList<QUrl>{QUrl(WebAddresses::UpdateBase + "/update/tov_pro.ini")});
    QCOMPARE(internet().timeouts, QList<std::chrono::milliseconds>{UpdateDownloadTimeout});
    QVERIFY(UpdateDownloadTimeout >= std::chrono::seconds(5) &&
            UpdateDownloadTimeout <= std::chrono::seconds(30));
    QCOMPARE(server_.requests().last(), QStringLiteral("GET /update/tov_pro.ini"));
    QVERIFY(!QFile::exists(infoFile()));
    QCOMPARE(prompt().texts(), failed ? QStringList{FailureText} : QStringList());
    QCOMPARE(notice() != nullptr, !shown.isEmpty());
    if (shown.isEmpty())
        return;
    QCOMPARE(notice()->updVersion->text(), shown);
    QVERIFY(notice()->isVisible());
    QVERIFY(!notice()->isModal());
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(notice()->windowTitle(), QStringLiteral("Neues Update"));
    QVERIFY(!notice()->Image1->pixmap().isNull());
    QCOMPARE(
        notice()->Label1->text(),
        QStringLiteral("Es liegt ein neues Update von \"Tovalinero Pro\" vor. Die neue Version lautet:"));
    QCOMPARE(notice()->Command2->text(), QStringLiteral("&Update starten"));
    QCOMPARE(notice()->Command1->text(), QStringLiteral("&Ignorieren"));
    QCOMPARE(QFontInfo(notice()->updVersion->font()).styleHint(), QFont::TypeWriter);
    QVERIFY(QFontInfo(notice()->updVersion->font()).fixedPitch());
}

void UpdateTest::failedDownload_data()
{
    QTest::addColumn<QString>("how");
    QTest::addRow("404") << "404";
    QTest::addRow("a server that never answers") << "silent";
    QTest::addRow("a file far too large") << "large";
    QTest::addRow("no folder daten/temp") << "notemp";
}

void UpdateTest::failedDownload()
{
    QFETCH(QString, how);
    QTcpServer silent;
    if (how == "404") {
        server_.remove(InfoPath);
    } else if (how == "silent") {
        // Takes the connection and the request, and never says a word.
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        internet().port = silent.serverPort();
    } else if (how == "large") {
        server_.put(InfoPath, "3.2.0\r\n" + QByteArray(200 * 1024, 'x'));
    } else {
        QVERIFY(QDir(fixture_->folder->data("temp")).removeRecursively());
    }
    fixture_->form().CheckForUpdate();
    QCOMPARE(internet().requests.size(), 1);
    QCOMPARE(prompt().texts(), QStringList{FailureText});
    QCOMPARE(prompt().messages[0].title, QStringLiteral("Fehler"));
    QCOMPARE(prompt().messages[0].icon, MsgIcon::Critical);
    QCOMPARE(prompt().messages[0].buttons, MsgButtons::Ok);
    QVERIFY(!notice());
    QVERIFY(!QFile::exists(infoFile()));
}

void UpdateTest::staleFileIsNeverRead()
{
    fixture_->folder->writeBytes(infoFile(), "9.9.9\r\n");
    server_.remove(InfoPath);
    fixture_->form().CheckForUpdate();
    QVERIFY(!notice());
    QVERIFY(!QFile::exists(infoFile()));
    QCOMPARE(prompt().texts(), QStringList{FailureText});
}

void UpdateTest::offlineDoesNothing()
{
    internet().isOnline = false;
    server_.put(InfoPath, "3.2.0\r\n");
    fixture_->form().CheckForUpdate();
    QVERIFY(internet().requests.isEmpty());
    QVERIFY(prompt().messages.isEmpty());
    QVERIFY(!notice());
}

void UpdateTest::startUpChecksWhenLine24Says_data()
{
    QTest::addColumn<QString>("line24");
    QTest::addColumn<bool>("checked");
    QTest::addRow("0 as the options write it") << " 0 " << false;
    QTest::addRow("1 as the options write it") << " 1 " << true;
    QTest::addRow("True") << "True" << true;
}

void UpdateTest::startUpChecksWhenLine24Says()
{
    QFETCH(QString, line24);
    QFETCH(bool, checked);
    fixture_->folder->setSetting(24, line24);
    server_.put(InfoPath, "3.2.0\r\n");
    fixture_->form().Form_Load();
    QCOMPARE(internet().requests.size(), checked ? 1 : 0);
    QCOMPARE(notice() != nullptr, checked);
    QVERIFY(prompt().messages.isEmpty());
}

void UpdateTest::noticeShowsWhileTheMainWindowIsInTheTray()
{
    fixture_->folder->setSetting(5, " 1 ");
    fixture_->folder->setSetting(24, " 1 ");
    server_.put(InfoPath, "3.2.0\r\n");
    Form1& form = fixture_->form();
    form.Form_Load();
    QTRY_VERIFY(!form.isVisible());
    QVERIFY(fixture_->seams->tray.iconShown());
    QVERIFY(notice());
    QVERIFY(notice()->isVisible());
    QVERIFY(notice()->isWindow());
    QVERIFY(!notice()->isMinimized());
    QVERIFY(!notice()->isModal());
}

void UpdateTest::updateStarten_data()
{
    QTest::addColumn<MsgAnswer>("answer");
    QTest::addRow("Ja") << MsgAnswer::Yes;
    QTest::addRow("Nein") << MsgAnswer::No;
}

void UpdateTest::updateStarten()
{
    QFETCH(MsgAnswer, answer);
    update_vorhanden& shown = showNotice();
    prompt().answers = {answer};
    shown.Command2->click();
    checkUpdateQuestion();
    FlushDeletedWindows();
    if (answer == MsgAnswer::Yes) {
        QCOMPARE(fixture_->seams->shell.opened, QStringList{WebAddresses::VersionPage});
        QCOMPARE(fixture_->programEnds, 1);
        QCOMPARE(FormRegistry::loadedCount(), 0);
    } else {
        QVERIFY(fixture_->seams->shell.opened.isEmpty());
        QCOMPARE(fixture_->programEnds, 0);
        QVERIFY(notice());
        QVERIFY(notice()->isVisible());
    }
}

void UpdateTest::ignorierenClosesTheNotice()
{
    showNotice().Command1->click();
    FlushDeletedWindows();
    QVERIFY(!notice());
    QVERIFY(Forms::Loaded<Form1>());
    QVERIFY(prompt().messages.isEmpty());
    QVERIFY(fixture_->seams->shell.opened.isEmpty());
}

void UpdateTest::menuAsksAndOpensThePage_data()
{
    QTest::addColumn<MsgAnswer>("answer");
    QTest::addColumn<QStringList>("opened");
    QTest::addRow("Ja") << MsgAnswer::Yes << QStringList{WebAddresses::VersionPage};
    QTest::addRow("Nein") << MsgAnswer::No << QStringList();
}

void UpdateTest::menuAsksAndOpensThePage()
{
    QFETCH(MsgAnswer, answer);
    QFETCH(QStringList, opened);
    prompt().answers = {answer};
    fixture_->form().findChild<QAction*>("onlup")->trigger();
    QCOMPARE(prompt().messages.size(), 1);
    checkUpdateQuestion();
    QCOMPARE(fixture_->seams->shell.opened, opened);
    QCOMPARE(fixture_->programEnds, 0);
    QVERIFY(internet().requests.isEmpty());
}

void UpdateTest::versionsCompareAsNumbers_data()
{
    QTest::addColumn<QString>("offered");
    QTest::addColumn<QString>("running");
    QTest::addColumn<bool>("newer");
    QTest::addRow("3.10.0 beats 3.9.0") << "3.10.0"
                                        << "3.9.0" << true;
    QTest::addRow("3.9.0 is below 3.10.0") << "3.9.0"
                                           << "3.10.0" << false;
    QTest::addRow("4 beats 3.1.1") << "4"
                                   << "3.1.1" << true;
    QTest::addRow("3.1 is below 3.1.1") << "3.1"
                                        << "3.1.1" << false;
    QTest::addRow("leading zeros") << "03.01.002"
                                   << "3.1.1" << true;
    QTest::addRow("many digits") << "3.1.100000000000000000001"
                                 << "3.1.99999999999999999999" << true;
}

void UpdateTest::versionsCompareAsNumbers()
{
    QFETCH(QString, offered);
    QFETCH(QString, running);
    QFETCH(bool, newer);
    QCOMPARE(IsNewerVersion(*ParseVersion(offered), *ParseVersion(running)), newer);
    QVERIFY(ParseVersion(VersionText()));
    for (const char* noVersion : {"", "3.", ".3", "3..1", "3.1.1.1", "v3.1.1", "3,1,1", "3.1.1-beta", "drei"})
        QVERIFY2(!ParseVersion(QString::fromLatin1(noVersion)), noVersion);
}

QTEST_MAIN(UpdateTest)
#include "tst_update.moc"
