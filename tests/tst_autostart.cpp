#include "common/forms.h"
#include "common/sevtext.h"
#include "platform/autostart.h"
#include "platform/programfolder.h"
#include "settings/optionen1.h"
#include "settings/settingsfile.h"
#include "support/fakes.h"
#include "support/programfolderfixture.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// The real desktop entries, written into a private configuration folder.
class AutostartTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        FormRegistry::setProgramEndHandler([] {});
    }
    void init();
    void cleanup();
    void valueName_data();
    void valueName();
    void entryFolder_data();
    void entryFolder();
    void enterWritesTheEntry_data();
    void enterWritesTheEntry();
    void enterTwiceRemoveTwice();
    void failures_data();
    void failures();

private:
    optionen1& open() { return Forms::Get<optionen1>(); }
    QString autostartFolder() const { return config_->path() + "/autostart"; }
    QStringList messages() const;
    std::unique_ptr<QTemporaryDir> config_;
    std::unique_ptr<QTemporaryDir> home_;
    std::unique_ptr<FakeSeams> seams_;
    std::unique_ptr<ProgramFolderFixture> folder_;
    QByteArray savedConfigHome_;
    QByteArray savedHome_;
};

void AutostartTest::init()
{
    savedConfigHome_ = qgetenv("XDG_CONFIG_HOME");
    savedHome_ = qgetenv("HOME");
    config_ = std::make_unique<QTemporaryDir>();
    home_ = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_->path()));
    qputenv("HOME", QFile::encodeName(home_->path()));
    seams_ = std::make_unique<FakeSeams>();
    folder_ = std::make_unique<ProgramFolderFixture>();
}

void AutostartTest::cleanup()
{
    UnloadAllForms();
    FlushDeletedWindows();
    folder_.reset();
    seams_.reset();
    qputenv("XDG_CONFIG_HOME", savedConfigHome_);
    if (savedConfigHome_.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    qputenv("HOME", savedHome_);
}

QStringList AutostartTest::messages() const
{
    QStringList list;
    for (const MessageRequest& m : seams_->prompt.messages)
        list << m.title + ": " + m.text +
                    (m.icon == MsgIcon::Critical      ? " (stop)"
                     : m.icon == MsgIcon::Information ? " (i)"
                                                      : "");
    return list;
}

void AutostartTest::valueName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::addRow("Beispiel.exe") << "C:\\Programme\\Tovalinero\\Beispiel.exe"
                                  << "Beispiel";
    QTest::addRow("several dots") << "C:\\Programme\\Mein.Programm.exe"
                                  << "Mein.Programm";
    QTest::addRow("several dots, slashes") << "/opt/tov/Mein.Programm.exe"
                                           << "Mein.Programm";
    QTest::addRow("no extension") << "/usr/local/bin/tovalinero"
                                  << "tovalinero";
    QTest::addRow("dot in a folder only") << "/opt/tov.d/tovalinero"
                                          << "tovalinero";
    QTest::addRow("only an extension") << "/opt/tov/.tovalinero"
                                       << ".tovalinero";
}

void AutostartTest::valueName()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(AutostartValueName(path), name);
}

void AutostartTest::entryFolder_data()
{
    QTest::addColumn<QString>("configHome");
    QTest::addColumn<bool>("inHome");
    QTest::addRow("set") << "<config>" << false;
    QTest::addRow("unset") << "<unset>" << true;
    QTest::addRow("empty") << "" << true;
    QTest::addRow("relative is ignored") << "relativ/config" << true;
}

void AutostartTest::entryFolder()
{
    QFETCH(QString, configHome);
    QFETCH(bool, inHome);
    if (configHome == QLatin1String("<unset>"))
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME",
                QFile::encodeName(configHome == "<config>" ? config_->path() : configHome));
    const QString folder = inHome ? home_->path() + "/.config/autostart" : autostartFolder();
    QCOMPARE(XdgAutostart::Folder(), folder);
    open().Command5_Click();
    QCOMPARE(messages(), QStringList{"Autostart: Der Eintrag war erfolgreich. (i)"});
    QVERIFY(QFile::exists(folder + "/tovalinero.desktop"));
}

void AutostartTest::enterWritesTheEntry_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("exec");
    QTest::addRow("plain path") << "/opt/tovalinero/tovalinero"
                                << "tovalinero.desktop"
                                << "Exec=\"/opt/tovalinero/tovalinero\"";
    QTest::addRow("blanks") << "/home/anna/Meine Programme/Tovalinero Pro"
                            << "Tovalinero Pro.desktop"
                            << "Exec=\"/home/anna/Meine Programme/Tovalinero Pro\"";
    QTest::addRow("several dots") << "/opt/tov/Mein.Programm.exe"
                                  << "Mein.Programm.desktop"
                                  << "Exec=\"/opt/tov/Mein.Programm.exe\"";
    QTest::addRow("quote and dollar") << "/opt/a\"b$c/tov"
                                      << "tov.desktop"
                                      << "Exec=\"/opt/a\\\\\"b\\\\$c/tov\"";
    QTest::addRow("backslash") << "/opt/back\\slash/tov"
                               << "tov.desktop"
                               << "Exec=\"/opt/back\\\\\\\\slash/tov\"";
    QTest::addRow("percent and backtick") << "/opt/100%/`x`/tov"
                                          << "tov.desktop"
                                          << "Exec=\"/opt/100%%/\\\\`x\\\\`/tov\"";
    QTest::addRow("umlaut") << "/opt/Geburtstage für Jürgen/tov"
                            << "tov.desktop"
                            << "Exec=\"/opt/Geburtstage für Jürgen/tov\"";
}

void AutostartTest::enterWritesTheEntry()
{
    QFETCH(QString, program);
    QFETCH(QString, file);
    QFETCH(QString, exec);
    SetProgramFolder(folder_->folder(), program);
    optionen1& dialog = open();
    QCOMPARE(dialog.txtFilename->Text(), program);
    dialog.Command5->click();
    QCOMPARE(messages(), QStringList{"Autostart: Der Eintrag war erfolgreich. (i)"});
    QCOMPARE(QDir(autostartFolder()).entryList(QDir::Files), QStringList{file});
    QFile entry(autostartFolder() + "/" + file);
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(entry.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.value(0), QStringLiteral("[Desktop Entry]"));
    QVERIFY(lines.contains("Type=Application"));
    QVERIFY(lines.contains(exec));
    QCOMPARE(lines.filter(QRegularExpression("^Exec=")).size(), 1);
}

void AutostartTest::enterTwiceRemoveTwice()
{
    const QByteArray settings = folder_->readBytes(Settings::Path());
    optionen1& dialog = open();
    dialog.Command5->click();
    dialog.Command5->click();
    QCOMPARE(QDir(autostartFolder()).entryList(QDir::Files), QStringList{"tovalinero.desktop"});
    // The entry is made at once: cancelling the dialog keeps it, and the settings file stays.
    dialog.Command2->click();
    FlushDeletedWindows();
    QVERIFY(QFile::exists(autostartFolder() + "/tovalinero.desktop"));
    QCOMPARE(folder_->readBytes(Settings::Path()), settings);

    optionen1& again = open();
    again.Command4->click();
    QVERIFY(!QFile::exists(autostartFolder() + "/tovalinero.desktop"));
    again.Command4->click();
    const QString entered = "Autostart: Der Eintrag war erfolgreich. (i)";
    const QString removed = "Autostart: Der Eintrag wurde entfernt! (i)";
    QCOMPARE(messages(), (QStringList{entered, entered, removed, removed}));
}

void AutostartTest::failures_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("message");
    QTest::addRow("configuration folder is a file") << "config is a file"
                                                    << "Command5"
                                                    << "Autostart: Der Eintrag ist fehlgeschlagen! (stop)";
    QTest::addRow("entry cannot be removed") << "entry is a folder"
                                             << "Command4"
                                             << "Autostart: Der Eintrag konnte nicht entfernt werden! (stop)";
}

void AutostartTest::failures()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, button);
    QFETCH(QString, message);
    if (obstacle == QLatin1String("config is a file")) {
        const QString file = config_->path() + "/datei";
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(file));
    } else {
        QVERIFY(QDir().mkpath(autostartFolder() + "/tovalinero.desktop/inhalt"));
    }
    open().findChild<QPushButton*>(button)->click();
    QCOMPARE(messages(), QStringList{message});
}

QTEST_MAIN(AutostartTest)
#include "tst_autostart.moc"
