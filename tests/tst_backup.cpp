#include "common/filelists.h"
#include "common/forms.h"
#include "common/mousepointer.h"
#include "common/textfile.h"
#include "maintenance/backupfile.h"
#include "maintenance/datensicherung1.h"
#include "support/filesizelimit.h"
#include "support/formfixture.h"
#include "support/sparsefile.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QtEndian>

namespace
{

const QString Script = QStringLiteral(TOVALINERO_TESTS_DIR "/support/dsi_format.py");
const QStringList DataFiles = {"demnaechst.dat", "tovalinero.dat", "einstellungen.dat", "standard.html"};

struct PythonResult {
    int exitCode = -1;
    QByteArray output;
};

PythonResult python(const QStringList& arguments)
{
    QProcess process;
    process.start("/usr/bin/python3", QStringList{Script} + arguments);
    if (!process.waitForFinished(30000))
        qFatal("dsi_format.py did not finish");
    return {process.exitCode(), process.readAllStandardOutput()};
}

// The entries of a backup as the independent reader sees them: path and content.
QList<QPair<QString, QByteArray>> independentlyRead(const QString& path, const QString& layout)
{
    const PythonResult result = python({"read", path});
    if (result.exitCode != 0)
        return {};
    const QJsonObject root = QJsonDocument::fromJson(result.output).object();
    if (root["layout"].toString() != layout)
        return {};
    QList<QPair<QString, QByteArray>> entries;
    for (const QJsonValue& entry : root["entries"].toArray())
        entries.append(
            {entry["path"].toString(), QByteArray::fromHex(entry["content"].toString().toLatin1())});
    return entries;
}

QByteArray person(const QString& first, const QString& last, const QString& born)
{
    return (QStringList{first, last, born, "0", "0", "", "", "", "", ""}.join('~') + "\r\n").toLatin1();
}

QByteArray index(qint32 value)
{
    char raw[4];
    qToLittleEndian(value, raw);
    return QByteArray(raw, 4);
}

// A length of the extended layout.
QByteArray wideLength(quint32 value)
{
    char raw[4];
    qToLittleEndian(value, raw);
    return QByteArray(raw, 4);
}

} // namespace

class BackupTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        FormRegistry::setProgramEndHandler([] {});
    }
    void init();
    void cleanup();

    void fileName_data();
    void fileName();
    void backupName_data();
    void backupName();
    void plainLayoutAsTheIndependentReaderSeesIt();
    void independentWriterIsRead_data();
    void independentWriterIsRead();
    void windowStartsInTheProgramFolder();
    void restoreAndDeletionFollowTheSelection();
    void unreadableDriveKeepsTheWindow();
    void deletion_data();
    void deletion();
    void backupThenRestoreGivesTheFilesBack();
    void backupOfAnotherInstallationRestoresHere();
    void backupNameAndReplacedOlderBackup_data();
    void backupNameAndReplacedOlderBackup();
    void failedBackupKeepsTheOlderOne();
    void killedBackupKeepsTheOlderOne();
    void killedRestoreKeepsEachDataFileWhole();
    void largeListUsesTheWideLayout();
    void badBackupTouchesNoDataFile_data();
    void badBackupTouchesNoDataFile();
    void hugeBackupIsRefusedUnread_data();
    void hugeBackupIsRefusedUnread();
    void restoreFailingAtTheThirdEntryShowsTheRestoredList();
    void hugeDataFileIsNotBackedUp();

private:
    datensicherung1& open();
    void writeDataFiles(const QByteArray& list);
    QList<QByteArray> dataFiles() const;
    QString pythonBackup(const QString& name, const QList<QPair<QString, QByteArray>>& entries,
                         const QStringList& options = {});
    void restore(datensicherung1& window, const QString& name);
    QString messageText(int i) const { return fixture_->seams->prompt.messages.value(i).text; }
    std::unique_ptr<FormFixture> fixture_;
};

void BackupTest::init()
{
    fixture_ = std::make_unique<FormFixture>();
    writeDataFiles(person("Anna", "Meier", "01.06.1980") + person("Jürgen", "Müller", "03.08.1970"));
    fixture_->form().LoadBirthdayList();
}

void BackupTest::cleanup()
{
    fixture_.reset();
}

datensicherung1& BackupTest::open()
{
    datensicherung1& window = Forms::Get<datensicherung1>();
    window.show();
    return window;
}

void BackupTest::writeDataFiles(const QByteArray& list)
{
    const ProgramFolderFixture& folder = *fixture_->folder;
    folder.writeBytes(folder.data("demnaechst.dat"), "Anna Meier   (wird 46);2\r\n");
    folder.writeBytes(folder.data("tovalinero.dat"), list);
    folder.setSetting(12, "geheim");
    folder.writeBytes(folder.data("standard.html"), "<html><body>Liebe &lt;VORNAME&gt;\xe4</body></html>");
}

QList<QByteArray> BackupTest::dataFiles() const
{
    QList<QByteArray> files;
    for (const QString& name : DataFiles)
        files << fixture_->folder->readBytes(fixture_->folder->data(name));
    return files;
}

QString BackupTest::pythonBackup(const QString& name, const QList<QPair<QString, QByteArray>>& entries,
                                 const QStringList& options)
{
    QStringList arguments{"write", fixture_->folder->folder() + "/" + name};
    int i = 0;
    for (const auto& [path, content] : entries) {
        const QString contentFile = fixture_->folder->folder() + QStringLiteral("/inhalt%1").arg(++i);
        fixture_->folder->writeBytes(contentFile, content);
        arguments << path + "=" + contentFile;
    }
    if (python(arguments + options).exitCode != 0)
        qFatal("dsi_format.py write failed");
    return fixture_->folder->folder() + "/" + name;
}

void BackupTest::restore(datensicherung1& window, const QString& name)
{
    window.File1->Refresh();
    window.File1->SelectFile(name);
    QVERIFY(window.Command2->isEnabled());
    QTest::mouseClick(window.Command2, Qt::LeftButton);
}

void BackupTest::fileName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::addRow("backslashes") << "C:\\Programme\\Tovalinero\\daten\\tovalinero.dat"
                                 << "tovalinero.dat";
    QTest::addRow("slashes") << "/home/anna/daten/standard.html"
                             << "standard.html";
    QTest::addRow("both") << "..\\../.bashrc"
                          << ".bashrc";
    QTest::addRow("no separator") << "einstellungen.dat"
                                  << "einstellungen.dat";
    QTest::addRow("trailing separator") << "C:\\daten\\"
                                        << "";
}

void BackupTest::fileName()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(GetFileName(path), name);
}

void BackupTest::backupName_data()
{
    QTest::addColumn<bool>("dated");
    QTest::addColumn<QString>("name");
    QTest::addRow("undated") << false << "TovPro_Datensicherung.dsi";
    QTest::addRow("dated") << true << "TovPro_09_12_2026_Sicherung.dsi";
}

void BackupTest::backupName()
{
    QFETCH(bool, dated);
    QFETCH(QString, name);
    QCOMPARE(BackupFileName(dated, BackupDateSuffix(QDate(2026, 12, 9))), name);
}

void BackupTest::plainLayoutAsTheIndependentReaderSeesIt()
{
    const QList<BackupEntry> entries = {{"C:\\T\\daten\\demnaechst.dat", ""},
                                        {"C:\\T\\daten\\tovalinero.dat", person("Änne", "Ö", "01.01.1990")},
                                        {"C:\\Tö\\daten\\einstellungen.dat", QByteArray(65535, 'x')},
                                        {"C:\\T\\daten\\standard.html", "<html/>"}};
    const auto bytes = BackupFileBytes(entries);
    QVERIFY(bytes);
    qsizetype expectedSize = 4;
    for (const BackupEntry& entry : entries)
        expectedSize += 4 + entry.FilePath.size() + entry.Content.size();
    QCOMPARE(bytes->size(), expectedSize);
    QCOMPARE(bytes->right(4), QByteArray("\x03\x00\x00\x00", 4));
    const QString path = fixture_->folder->folder() + "/plain.dsi";
    fixture_->folder->writeBytes(path, *bytes);
    const auto seen = independentlyRead(path, "plain");
    QCOMPARE(seen.size(), 4);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(seen[i].first, entries[i].FilePath);
        QCOMPARE(seen[i].second, entries[i].Content);
    }
}

void BackupTest::independentWriterIsRead_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addRow("plain") << QStringList();
    QTest::addRow("wide") << QStringList{"--wide"};
}

void BackupTest::independentWriterIsRead()
{
    QFETCH(QStringList, options);
    const QList<QPair<QString, QByteArray>> written = {
        {"D:\\Alt\\daten\\tovalinero.dat", "A~B~01.01.1990~0~0~~~~~\r\n"},
        {"/opt/tov/daten/standard.html", "<p>\xe4</p>"}};
    const QString path = pythonBackup("python.dsi", written, options);
    const auto entries = ReadBackupEntries(fixture_->folder->readBytes(path));
    QVERIFY(entries);
    QCOMPARE(entries->size(), 2);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(entries->at(i).FilePath, written[i].first);
        QCOMPARE(entries->at(i).Content, written[i].second);
    }
}

void BackupTest::windowStartsInTheProgramFolder()
{
    const QString folder = fixture_->folder->folder();
    for (const char* name : {"a.dsi", "b.DSI", "c.txt", "TovPro_Datensicherung.dsi.bak"})
        fixture_->folder->writeBytes(folder + "/" + name, "x");
    QDir(folder).mkdir("ordner.dsi");
    datensicherung1& window = open();
    QCOMPARE(window.windowTitle(), QStringLiteral("Datensicherung"));
    QCOMPARE(window.Dir1->Path(), folder);
    QCOMPARE(window.File1->Path(), folder);
    QVERIFY(folder.startsWith(window.Drive1->Drive()));
    QCOMPARE(window.DataFolderPath, folder + "/daten/");
    QCOMPARE(window.BackupDateSuffix, QStringLiteral("30_01_2026"));
    QStringList listed;
    for (int i = 0; i < window.File1->count(); ++i)
        listed << window.File1->item(i)->text();
    QCOMPARE(listed, (QStringList{"a.dsi", "b.DSI"}));
    QCOMPARE(window.File1->FileName(), QString());
    QVERIFY(!window.xpProgress1->isVisible());
    QVERIFY(!window.xpCheck1->isChecked());
    QVERIFY(window.Command1->isEnabled());
    QVERIFY(window.Command3->isEnabled());
    QVERIFY(!window.Command2->isEnabled());
    QVERIFY(!window.Command4->isEnabled());
    QVERIFY(fixture_->seams->prompt.messages.isEmpty());
}

void BackupTest::restoreAndDeletionFollowTheSelection()
{
    const QString folder = fixture_->folder->folder();
    fixture_->folder->writeBytes(folder + "/eins.dsi", "x");
    QDir(folder).mkdir("unter");
    fixture_->folder->writeBytes(folder + "/unter/zwei.dsi", "x");
    datensicherung1& window = open();
    window.File1->setFocus();
    QTest::keyClick(window.File1, Qt::Key_Down);
    QCOMPARE(window.File1->FileName(), QStringLiteral("eins.dsi"));
    QVERIFY(window.Command2->isEnabled());
    QVERIFY(window.Command4->isEnabled());

    // Opening a folder from the keyboard lists its files, none selected.
    window.Dir1->setFocus();
    QTreeWidgetItem* sub = window.Dir1->findItems("unter", Qt::MatchExactly | Qt::MatchRecursive).value(0);
    QVERIFY(sub);
    window.Dir1->setCurrentItem(sub);
    QTest::keyClick(window.Dir1, Qt::Key_Return);
    QCOMPARE(window.Dir1->Path(), folder + "/unter");
    QCOMPARE(window.File1->count(), 1);
    QCOMPARE(window.File1->FileName(), QString());
    QVERIFY(!window.Command2->isEnabled());
    QVERIFY(!window.Command4->isEnabled());
    QVERIFY(Forms::Loaded<datensicherung1>());

    QTest::mouseClick(window.File1->viewport(), Qt::LeftButton, {},
                      window.File1->visualItemRect(window.File1->item(0)).center());
    QCOMPARE(window.File1->FileName(), QStringLiteral("zwei.dsi"));
    QVERIFY(window.Command2->isEnabled());
}

void BackupTest::unreadableDriveKeepsTheWindow()
{
    datensicherung1& window = open();
    const QString drive = window.Drive1->Drive();
    window.Drive1->addItem("Z:", QStringLiteral("/kein-laufwerk-hier"));
    window.Drive1->setCurrentIndex(window.Drive1->count() - 1);
    const auto& boxes = fixture_->seams->prompt.messages;
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].title, QStringLiteral("Fehler - Error"));
    QCOMPARE(boxes[0].icon, MsgIcon::Critical);
    QVERIFY(
        boxes[0].text.startsWith("Es ist folgender Fehler aufgetreten:\r\rFehler-Nr.:\r68\r\rBeschreibung:\r"
                                 "Gerät nicht verfügbar"));
    QCOMPARE(window.Drive1->Drive(), drive);
    QCOMPARE(window.Dir1->Path(), fixture_->folder->folder());
    QVERIFY(Forms::Loaded<datensicherung1>());
}

void BackupTest::deletion_data()
{
    QTest::addColumn<MsgAnswer>("answer");
    QTest::addColumn<bool>("deleted");
    QTest::addRow("Ja") << MsgAnswer::Yes << true;
    QTest::addRow("Nein") << MsgAnswer::No << false;
}

void BackupTest::deletion()
{
    QFETCH(MsgAnswer, answer);
    QFETCH(bool, deleted);
    const QString path = fixture_->folder->folder() + "/alt.dsi";
    fixture_->folder->writeBytes(path, "x");
    datensicherung1& window = open();
    window.File1->SelectFile("alt.dsi");
    fixture_->seams->prompt.answers = {answer};
    QTest::mouseClick(window.Command4, Qt::LeftButton);
    const auto& boxes = fixture_->seams->prompt.messages;
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, "Sind Sie sicher, dass Sie die Datei:\r\n\r\n" + QDir::toNativeSeparators(path) +
                                "\r\n\r\nvon Ihrem Datenträger löschen wollen?");
    QCOMPARE(boxes[0].title, QStringLiteral("Sicherungsdatei löschen"));
    QCOMPARE(boxes[0].buttons, MsgButtons::YesNo);
    QCOMPARE(boxes[0].icon, MsgIcon::Question);
    // Enter alone keeps the file.
    QVERIFY(boxes[0].defaultAnswer == MsgAnswer::No);
    QCOMPARE(QFile::exists(path), !deleted);
    QCOMPARE(window.File1->count(), deleted ? 0 : 1);
    QCOMPARE(window.File1->FileName(), deleted ? QString() : QStringLiteral("alt.dsi"));
    QCOMPARE(window.Command4->isEnabled(), !deleted);
    QCOMPARE(window.Command2->isEnabled(), !deleted);
    QVERIFY(!IsBusyPointerShown());
}

void BackupTest::backupThenRestoreGivesTheFilesBack()
{
    const QList<QByteArray> original = dataFiles();
    datensicherung1& window = open();
    QTest::mouseClick(window.Command1, Qt::LeftButton);

    const QString backup = fixture_->folder->folder() + "/TovPro_Datensicherung.dsi";
    QCOMPARE(
        fixture_->seams->prompt.texts(),
        QStringList{"Die Datensicherung wurde unter:\r\r" + QDir::toNativeSeparators(backup) +
                    "\r\rangelegt. Aus diesem Verzeichnis können Sie später die\rRücksicherung vornehmen."});
    QCOMPARE(fixture_->seams->prompt.messages[0].title, QStringLiteral("Datensicherung"));
    QCOMPARE(fixture_->seams->prompt.messages[0].icon, MsgIcon::Information);
    const QByteArray bytes = fixture_->folder->readBytes(backup);
    QCOMPARE(bytes.right(4), QByteArray("\x03\x00\x00\x00", 4));
    // The backup holds the mail password.
    QCOMPARE(QFile::permissions(backup) & (QFile::ReadGroup | QFile::ReadOther), QFileDevice::Permissions());
    const auto seen = independentlyRead(backup, "plain");
    QCOMPARE(seen.size(), 4);
    qsizetype size = 4;
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(seen[i].first, QString(fixture_->folder->data(DataFiles[i])).replace('/', '\\'));
        QCOMPARE(seen[i].second, original[i]);
        size += 4 + seen[i].first.toUtf8().size() + seen[i].second.size();
    }
    QCOMPARE(bytes.size(), size);
    QCOMPARE(window.File1->count(), 1);
    QVERIFY(!window.xpProgress1->isVisible());
    QCOMPARE(window.xpProgress1->value(), 0);
    QVERIFY(window.Command1->isEnabled());
    QVERIFY(window.xpCheck1->isEnabled());
    QVERIFY(!IsBusyPointerShown());

    // Everything changes, the list gets shorter; the main window shows the change.
    writeDataFiles(person("Neu", "X", "02.02.2002"));
    fixture_->folder->writeBytes(fixture_->folder->data("einstellungen.dat"), "anders\r\n");
    QVERIFY(fixture_->form().ReplaceBirthdayList(fixture_->folder->data("tovalinero.dat")));
    fixture_->seams->prompt.messages.clear();
    restore(window, "TovPro_Datensicherung.dsi");

    // The coming birthdays are those of the restored list as of today, not of the backup's day.
    const QList<QByteArray> restored = dataFiles();
    QCOMPARE(restored[0],
             QByteArray("Anna Meier   (wird 46);122\r\nJ\xFCrgen M\xFCller   (wird 56);185\r\n"));
    QCOMPARE(restored.mid(1), original.mid(1));
    QCOMPARE(fixture_->form().Grid2->RowCount(), 2);
    QCOMPARE(fixture_->seams->prompt.texts(),
             QStringList{"Die Rücksicherung Ihrer Daten war erfolgreich.\r\r"
                         "Bitte beenden Sie nun das Programm und rufen Sie es erneut auf.\r"
                         "Erst dann ist die Rücksicherung der Daten vollkommen abgeschlossen."});
    QCOMPARE(fixture_->seams->prompt.messages[0].title, QStringLiteral("Rücksicherung"));
    QCOMPARE(fixture_->seams->prompt.messages[0].icon, MsgIcon::Information);
    const QString settings = fixture_->folder->data("einstellungen.dat");
    QCOMPARE(QFile::permissions(settings) & (QFile::ReadGroup | QFile::ReadOther),
             QFileDevice::Permissions());
    Grid* list = fixture_->form().Grid1;
    QCOMPARE(list->RowCount(), 2);
    QCOMPARE(list->Cell(2, 2), QStringLiteral("Müller"));
    QVERIFY(!window.xpProgress1->isVisible());
    QCOMPARE(window.xpProgress1->value(), 0);
    QVERIFY(window.Command2->isEnabled());
    QVERIFY(!IsBusyPointerShown());
}

void BackupTest::backupOfAnotherInstallationRestoresHere()
{
    const QList<QByteArray> files = {"Bert Abel   (wird 51);33\r\n", person("Bert", "Abel", "02.07.1975"),
                                     "einstellungen\r\n", "<html>anders</html>"};
    const QString source =
        pythonBackup("fremd.dsi", {{"C:\\Programme\\Tovalinero\\daten\\demnaechst.dat", files[0]},
                                   {"C:\\Programme\\Tovalinero\\daten\\Tovalinero.dat", files[1]},
                                   {"/home/anna/tov/daten/einstellungen.dat", files[2]},
                                   {"standard.html", files[3]}});
    Q_UNUSED(source);
    datensicherung1& window = open();
    restore(window, "fremd.dsi");
    QCOMPARE(dataFiles().mid(1), files.mid(1));
    QCOMPARE(dataFiles()[0], QByteArray("Bert Abel   (wird 51);153\r\n"));
    QCOMPARE(fixture_->form().Grid1->RowCount(), 1);
    QCOMPARE(fixture_->form().Grid1->Cell(1, 1), QStringLiteral("Bert"));
    QVERIFY(!QFile::exists(fixture_->folder->data("Tovalinero.dat")));
}

void BackupTest::backupNameAndReplacedOlderBackup_data()
{
    QTest::addColumn<bool>("dated");
    QTest::addColumn<QString>("name");
    QTest::addRow("undated") << false << "TovPro_Datensicherung.dsi";
    QTest::addRow("dated, from the day the window opened") << true << "TovPro_30_01_2026_Sicherung.dsi";
}

void BackupTest::backupNameAndReplacedOlderBackup()
{
    QFETCH(bool, dated);
    QFETCH(QString, name);
    const QString backup = fixture_->folder->folder() + "/" + name;
    fixture_->folder->writeBytes(backup, QByteArray(200000, 'a'));
    QFile::remove(fixture_->folder->data("demnaechst.dat"));
    datensicherung1& window = open();
    fixture_->seams->clock.set(QDateTime(QDate(2026, 1, 31), QTime(0, 0, 5)));
    window.xpCheck1->setChecked(dated);
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    const auto seen = independentlyRead(backup, "plain");
    QCOMPARE(seen.size(), 4);
    QCOMPARE(seen[0].second, QByteArray());
    QCOMPARE(seen[1].second, fixture_->folder->readBytes(fixture_->folder->data("tovalinero.dat")));
    QCOMPARE(QDir(fixture_->folder->folder()).entryList({"*.dsi"}), QStringList{name});
}

void BackupTest::failedBackupKeepsTheOlderOne()
{
    const QString backup = fixture_->folder->folder() + "/TovPro_Datensicherung.dsi";
    fixture_->folder->writeBytes(backup, "alt");
    const QStringList before = QDir(fixture_->folder->folder()).entryList(QDir::Files | QDir::Hidden);
    datensicherung1& window = open();
    {
        const FileSizeLimit diskFull(100);
        QTest::mouseClick(window.Command1, Qt::LeftButton);
    }
    QCOMPARE(fixture_->folder->readBytes(backup), QByteArray("alt"));
    QCOMPARE(QDir(fixture_->folder->folder()).entryList(QDir::Files | QDir::Hidden), before);
    const auto& boxes = fixture_->seams->prompt.messages;
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].title, QStringLiteral("Fehler - Error"));
    QVERIFY(boxes[0].text.startsWith(
        "Es ist folgender Fehler aufgetreten:\r\rFehler-Nr.:\r75\r\rBeschreibung:\r"));
    QVERIFY(window.Command1->isEnabled());
    QVERIFY(window.xpCheck1->isEnabled());
    QVERIFY(!window.xpProgress1->isVisible());
    QVERIFY(!IsBusyPointerShown());
}

void BackupTest::killedBackupKeepsTheOlderOne()
{
    const QString backup = fixture_->folder->folder() + "/TovPro_Datensicherung.dsi";
    fixture_->folder->writeBytes(backup, "alt");
    const QStringList before = QDir(fixture_->folder->folder()).entryList(QDir::Files | QDir::Hidden);
    QStringList files;
    for (const QString& name : DataFiles)
        files << fixture_->folder->data(name);
    datensicherung1& window = open();
    QVERIFY(KilledDuringWrite(500, [&] { window.CreateBackupFile(files, backup); }));
    QCOMPARE(fixture_->folder->readBytes(backup), QByteArray("alt"));
    QCOMPARE(QDir(fixture_->folder->folder()).entryList(QDir::Files | QDir::Hidden), before);
}

void BackupTest::killedRestoreKeepsEachDataFileWhole()
{
    const QList<QByteArray> original = dataFiles();
    const QStringList before =
        QDir(fixture_->folder->folder() + "/daten").entryList(QDir::Files | QDir::Hidden);
    const QList<BackupEntry> entries = {{"C:\\T\\daten\\demnaechst.dat", "kurz\r\n"},
                                        {"C:\\T\\daten\\tovalinero.dat", QByteArray(5000, 'x')}};
    QVERIFY(KilledDuringWrite(1000, [&] { WriteBackupEntries(entries, fixture_->folder->data("")); }));
    // The first file is restored whole, the second one killed half-way stays as it was.
    QCOMPARE(dataFiles(), (QList<QByteArray>{"kurz\r\n", original[1], original[2], original[3]}));
    QCOMPARE(QDir(fixture_->folder->folder() + "/daten").entryList(QDir::Files | QDir::Hidden), before);
}

void BackupTest::largeListUsesTheWideLayout()
{
    QByteArray list;
    for (int i = 0; list.size() < 70000; ++i)
        list += person(QStringLiteral("Person%1").arg(i), "Lang", "01.01.1990");
    writeDataFiles(list);
    QVERIFY(fixture_->form().ReplaceBirthdayList(fixture_->folder->data("tovalinero.dat")));
    const QList<QByteArray> original = dataFiles();
    datensicherung1& window = open();
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    const QString backup = fixture_->folder->folder() + "/TovPro_Datensicherung.dsi";
    QCOMPARE(fixture_->folder->readBytes(backup).right(4), index(-4));
    QVERIFY(python({"read", backup, "--plain-only"}).exitCode != 0);
    const auto seen = independentlyRead(backup, "wide");
    QCOMPARE(seen.size(), 4);
    QCOMPARE(seen[1].second, list);

    writeDataFiles(person("Kurz", "X", "02.02.2002"));
    fixture_->seams->prompt.messages.clear();
    restore(window, "TovPro_Datensicherung.dsi");
    QCOMPARE(fixture_->seams->prompt.messages.size(), 1);
    QCOMPARE(dataFiles(), original);
    QCOMPARE(fixture_->form().Grid1->RowCount(), list.count("\r\n"));
}

void BackupTest::badBackupTouchesNoDataFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray path = "C:\\T\\daten\\tovalinero.dat";
    const QByteArray content = "Fremd~X~01.01.1990~0~0~~~~~\r\n";
    auto entry = [](const QByteArray& p, const QByteArray& c) {
        QByteArray e;
        char raw[2];
        qToLittleEndian<quint16>(p.size(), raw);
        e += QByteArray(raw, 2) + p;
        qToLittleEndian<quint16>(c.size(), raw);
        return e + QByteArray(raw, 2) + c;
    };
    const QByteArray good = entry(path, content) + index(0);
    QVERIFY(ReadBackupEntries(good));
    QTest::addRow("empty") << QByteArray();
    QTest::addRow("shorter than 4 bytes") << QByteArray("\x00\x00\x00", 3);
    QTest::addRow("index -1") << entry(path, content) + index(-1);
    QTest::addRow("index 7") << entry(path, content) + index(7);
    QTest::addRow("index larger than the entries") << entry(path, content) + index(1);
    QTest::addRow("length beyond the end") << entry(path, content + "mehr").chopped(4) + index(0);
    QTest::addRow("trailing bytes") << entry(path, content) + "x" + index(0);
    QTest::addRow("../x") << entry("..\\..\\.bashrc", content) + index(0);
    QTest::addRow("/tmp/x") << entry("/tmp/x", content) + index(0);
    QTest::addRow("data folder itself") << entry("C:\\T\\daten\\", content) + index(0);
    QTest::addRow("duplicate name") << entry(path, content) + entry("D:\\TOVALINERO.DAT", content) + index(1);
    QTest::addRow("bad second entry") << entry(path, content) + entry("evil.exe", "x") + index(1);
    QTest::addRow("list entry with a NUL")
        << entry(path, QByteArray("A~B~01.01.1990\r\nC~D\0~02.02.1991\r\n", 33)) + index(0);
    QTest::addRow("list entry with a TAB, after an entry that would be written first")
        << entry("C:\\T\\daten\\demnaechst.dat", "C D   (wird 40);3\r\n") +
               entry(path, "A~B~01.01.1990\r\nC\tD~02.02.1991\r\n") + index(1);
    QTest::addRow("path longer than any")
        << wideLength(70000) + QByteArray(70000 - 14, 'a') + "tovalinero.dat" + wideLength(0) + index(-1);
}

void BackupTest::badBackupTouchesNoDataFile()
{
    QFETCH(QByteArray, bytes);
    const QList<QByteArray> original = dataFiles();
    fixture_->folder->writeBytes(fixture_->folder->folder() + "/kaputt.dsi", bytes);
    const QStringList listed = QDir(fixture_->folder->folder()).entryList(QDir::AllEntries | QDir::Hidden);
    datensicherung1& window = open();
    restore(window, "kaputt.dsi");
    QCOMPARE(dataFiles(), original);
    QCOMPARE(QDir(fixture_->folder->folder()).entryList(QDir::AllEntries | QDir::Hidden), listed);
    QVERIFY(!QFile::exists(fixture_->folder->data("x")));
    QVERIFY(!QFile::exists(fixture_->folder->data(".bashrc")));
    const auto& boxes = fixture_->seams->prompt.messages;
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].title, QStringLiteral("Fehler - Error"));
    QCOMPARE(boxes[0].icon, MsgIcon::Critical);
    QVERIFY2(
        boxes[0].text.startsWith("Es ist folgender Fehler aufgetreten:\r\rFehler-Nr.:\r321\r\rBeschreibung:\r"
                                 "Ungültiges Dateiformat: "),
        qPrintable(boxes[0].text));
    QCOMPARE(fixture_->form().Grid1->RowCount(), 2);
    QVERIFY(window.Command2->isEnabled());
    QVERIFY(!window.xpProgress1->isVisible());
    QVERIFY(!IsBusyPointerShown());
}

void BackupTest::hugeBackupIsRefusedUnread_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<QString>("reason");
    const QByteArray path = "C:\\T\\daten\\tovalinero.dat";
    const QByteArray plainHead = wideLength(path.size()).left(2) + path + QByteArray("\xff\xff", 2);
    const QString larger = QStringLiteral("Die Datei ist größer als jede Datensicherung (%1, höchstens %2).");
    QTest::addRow("40 GiB") << 40 * GiB << plainHead << index(3)
                            << larger.arg("40,0 GB", FileSizeText(MaxBackupFileSize));
    QTest::addRow("4 GiB") << 4 * GiB << plainHead << index(3)
                           << larger.arg("4,0 GB", FileSizeText(MaxBackupFileSize));
    const qint64 content = 100 << 20;
    QTest::addRow("an entry of 100 MiB")
        << 4 + path.size() + 4 + content + 4 << wideLength(path.size()) + path + wideLength(content)
        << index(-1) << "Der Eintrag 1 ist größer als jede gesicherte Datei (100,0 MB, höchstens 64,0 MB).";
    QTest::addRow("a length past the end")
        << qint64(1 << 20) << wideLength(path.size()) + path + wideLength(0xfffffff0) << index(-1)
        << "Ein Eintrag reicht über das Ende der Datei hinaus.";
}

void BackupTest::hugeBackupIsRefusedUnread()
{
    QFETCH(qint64, size);
    QFETCH(QByteArray, head);
    QFETCH(QByteArray, tail);
    QFETCH(QString, reason);
    const QList<QByteArray> original = dataFiles();
    const QString backup = fixture_->folder->folder() + "/riesig.dsi";
    if (!MakeSparseFile(backup, size, head, tail))
        QSKIP("no sparse files here");
    datensicherung1& window = open();
    const long before = PeakMemoryKiB();
    restore(window, "riesig.dsi");
    QVERIFY(PeakMemoryKiB() - before < BoundedMemoryKiB);
    QFile::remove(backup);
    QCOMPARE(dataFiles(), original);
    QCOMPARE(fixture_->seams->prompt.texts(),
             QStringList{"Es ist folgender Fehler aufgetreten:\r\rFehler-Nr.:\r321\r\rBeschreibung:\r"
                         "Ungültiges Dateiformat: " +
                         reason + "\rEs wurden keine Daten zurückgeschrieben."});
    QCOMPARE(fixture_->form().Grid1->RowCount(), 2);
    QVERIFY(window.Command2->isEnabled());
    QVERIFY(!IsBusyPointerShown());
}

// The list is the second entry: once it is written, the main window must show it, or its next
// save would bring the old list back over the restored one.
void BackupTest::restoreFailingAtTheThirdEntryShowsTheRestoredList()
{
    const QList<QByteArray> original = dataFiles();
    const QByteArray restoredList = person("Bert", "Abel", "02.07.1975") +
                                    person("Carl", "Cee", "03.03.1933") + person("Dora", "Dee", "04.04.1944");
    const QList<BackupEntry> entries = {{"C:\\T\\daten\\demnaechst.dat", "Bert Abel   (wird 51);33\r\n"},
                                        {"C:\\T\\daten\\tovalinero.dat", restoredList},
                                        {"C:\\T\\daten\\einstellungen.dat", QByteArray(5000, 's')},
                                        {"C:\\T\\daten\\standard.html", "<html>neu</html>"}};
    fixture_->folder->writeBytes(fixture_->folder->folder() + "/teil.dsi", BackupFileBytes(entries).value());
    datensicherung1& window = open();
    {
        const FileSizeLimit diskFull(2000);
        restore(window, "teil.dsi");
    }
    const QByteArray upcoming =
        "Bert Abel   (wird 51);153\r\nCarl Cee   (wird 93);32\r\nDora Dee   (wird 82);64\r\n";
    QCOMPARE(dataFiles(), (QList<QByteArray>{upcoming, restoredList, original[2], original[3]}));
    const QString native = QDir::toNativeSeparators(fixture_->folder->data(""));
    QCOMPARE(fixture_->seams->prompt.texts(),
             QStringList{"Es ist folgender Fehler aufgetreten:\r\rFehler-Nr.:\r75\r\rBeschreibung:\r"
                         "Fehler beim Zugriff auf Pfad/Datei\r" +
                         native +
                         "einstellungen.dat\rDie Datei ist größer, als der Datenträger oder das System "
                         "erlaubt.\r\rBereits zurückgeschrieben wurden:\r" +
                         native + "demnaechst.dat\r" + native +
                         "tovalinero.dat\rDie übrigen Dateien sind unverändert."});
    QCOMPARE(fixture_->seams->prompt.messages[0].title, QStringLiteral("Fehler - Error"));
    Grid* list = fixture_->form().Grid1;
    QCOMPARE(list->RowCount(), 3);
    QCOMPARE(list->Cell(1, 1), QStringLiteral("Bert"));
    QVERIFY(window.Command2->isEnabled());
    QVERIFY(!window.xpProgress1->isVisible());

    // A change in the main window keeps the restored list.
    fixture_->seams->prompt.answers = {MsgAnswer::Yes};
    list->SetCurrentRow(1);
    fixture_->form().Coolbar1_ButtonClick("loeschen");
    QCOMPARE(fixture_->folder->readBytes(fixture_->folder->data("tovalinero.dat")),
             person("Carl", "Cee", "03.03.1933") + person("Dora", "Dee", "04.04.1944"));
}

void BackupTest::hugeDataFileIsNotBackedUp()
{
    const QString html = fixture_->folder->data("standard.html");
    if (!MakeSparseFile(html, 40 * GiB, "<html>"))
        QSKIP("no sparse files here");
    datensicherung1& window = open();
    const long before = PeakMemoryKiB();
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    QVERIFY(PeakMemoryKiB() - before < BoundedMemoryKiB);
    QFile::remove(html);
    QCOMPARE(QDir(fixture_->folder->folder()).entryList({"*.dsi"}), QStringList());
    QCOMPARE(fixture_->seams->prompt.texts(),
             QStringList{"Es ist folgender Fehler aufgetreten:\r\rFehler-Nr.:\r75\r\rBeschreibung:\r"
                         "Fehler beim Zugriff auf Pfad/Datei\r" +
                         QDir::toNativeSeparators(html) +
                         "\rDie Datei ist zu groß für eine Datensicherung (40,0 GB, höchstens 64,0 MB)."});
    QVERIFY(window.Command1->isEnabled());
}

QTEST_MAIN(BackupTest)
#include "tst_backup.moc"
