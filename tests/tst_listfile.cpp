#include "app/form1.h"
#include "common/forms.h"
#include "common/listfile.h"
#include "common/runtimeerror.h"
#include "support/fakes.h"
#include "support/filesizelimit.h"
#include "support/programfolderfixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTest>

class ListFileTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        FormRegistry::setProgramEndHandler([] {});
    }
    void init();
    void cleanup();
    void roundTripKeepsTheFile_data();
    void roundTripKeepsTheFile();
    void loadShowsFourColumnsAndSelectsRowOne();
    void loadCreatesTheReportFolder();
    void missingListFileRaisesFileNotFound();
    void failedSaveKeepsTheOldFileAndTellsTheUser();
    void isFilePathKnowsFilesAndFolders();
    void replaceReadsFirstAndChangesNothingOnFailure_data();
    void replaceReadsFirstAndChangesNothingOnFailure();
    void replaceTakesTheNewListAndSavesIt();
    void listFileIsTheOwnersOnly();
    void listBehindALinkIsSavedToItsTarget_data();
    void listBehindALinkIsSavedToItsTarget();
    void missingListFileIsCreatedByTheFirstChange();
    void listFileThatAppearedAfterTheStartIsKept();
    void pipeInPlaceOfTheListFailsTheLoad();
    void fullDiskKeepsTheOldListWithoutLeftovers();
    void killedSaveKeepsTheOldList();
    void chosenListIsTakenAsTheLoadTakesIt_data();
    void chosenListIsTakenAsTheLoadTakesIt();

private:
    std::unique_ptr<FakeSeams> seams_;
    std::unique_ptr<ProgramFolderFixture> folder_;
    Form1* form_ = nullptr;
};

void ListFileTest::init()
{
    seams_ = std::make_unique<FakeSeams>();
    folder_ = std::make_unique<ProgramFolderFixture>();
    form_ = &Forms::Get<Form1>();
}

void ListFileTest::cleanup()
{
    Forms::Unload<Form1>();
    FlushDeletedWindows();
    folder_.reset();
    seams_.reset();
}

void ListFileTest::roundTripKeepsTheFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<int>("rows");
    QTest::addRow("empty file") << QByteArray() << QByteArray() << 0;
    QTest::addRow("1.2.1980 is rewritten")
        << QByteArray("Anna~Meier~1.2.1980~0~1~~Weg 1~12345~Ort~a@b.de\r\n")
        << QByteArray("Anna~Meier~01.02.1980~0~1~~Weg 1~12345~Ort~a@b.de\r\n") << 1;
    QTest::addRow("LF inside the greeting")
        << QByteArray("Bert~Abel~03.04.1975~1~0~<p>Hallo\n</p>~~~~b@c.de\r\n")
        << QByteArray("Bert~Abel~03.04.1975~1~0~<p>Hallo\n</p>~~~~b@c.de\r\n") << 1;
    QTest::addRow("order kept, last line without CR LF")
        << QByteArray("Z~Z~01.01.1990~0~0~~~~~\r\nA~A~02.01.1990~0~0~~~~~")
        << QByteArray("Z~Z~01.01.1990~0~0~~~~~\r\nA~A~02.01.1990~0~0~~~~~\r\n") << 2;
    QTest::addRow("Windows-1252 bytes")
        << QByteArray("J\xfcrgen~M\xfcller~05.06.1960~0~0~\x80\x81\x9d~Stra\xdf"
                      "e~~~\r\n")
        << QByteArray("J\xfcrgen~M\xfcller~05.06.1960~0~0~\x80\x81\x9d~Stra\xdf"
                      "e~~~\r\n")
        << 1;
    QTest::addRow("unreadable date kept") << QByteArray("C~D~irgendwann~0~0~~~~~\r\nE~F~~0~0~~~~~\r\n")
                                          << QByteArray("C~D~irgendwann~0~0~~~~~\r\nE~F~~0~0~~~~~\r\n") << 2;
    // The clock stands in 2026: a two-digit year is the latest one that is not after it.
    QTest::addRow("two-digit years")
        << QByteArray("G~H~1.2.29~0~0~~~~~\r\nI~J~1.2.30~0~0~~~~~\r\nQ~R~1.1.26~0~0~~~~~\r\n")
        << QByteArray("G~H~01.02.1929~0~0~~~~~\r\nI~J~01.02.1930~0~0~~~~~\r\nQ~R~01.01.2026~0~0~~~~~\r\n")
        << 3;
    QTest::addRow("short row ending in its date")
        << QByteArray("K~L~1.2.1980\r\nM~N\r\n") << QByteArray("K~L~01.02.1980\r\nM~N\r\n") << 2;
    QTest::addRow("no such day kept")
        << QByteArray("O~P~31.02.1980~0~0~~~~~\r\n") << QByteArray("O~P~31.02.1980~0~0~~~~~\r\n") << 1;
    QTest::addRow("LF alone, as a Linux editor saves it")
        << QByteArray("Q~R~1.2.1980~0~0~~~~~\n\nS~T~03.04.1975~0~0~~~~~\n")
        << QByteArray("Q~R~01.02.1980~0~0~~~~~\r\n\r\nS~T~03.04.1975~0~0~~~~~\r\n") << 3;
    QTest::addRow("LF alone, the last line without it")
        << QByteArray("Q~R~01.02.1980~0~0~~~~~\nS~T~03.04.1975~0~0~~~~~")
        << QByteArray("Q~R~01.02.1980~0~0~~~~~\r\nS~T~03.04.1975~0~0~~~~~\r\n") << 2;
}

void ListFileTest::roundTripKeepsTheFile()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, saved);
    QFETCH(int, rows);
    const QString path = folder_->data("tovalinero.dat");
    folder_->writeBytes(path, file);
    form_->LoadBirthdayList();
    QCOMPARE(form_->Grid1->RowCount(), rows);
    QVERIFY(form_->SaveBirthdayList());
    QCOMPARE(folder_->readBytes(path), saved);
    QVERIFY(seams_->prompt.messages.isEmpty());
}

void ListFileTest::loadShowsFourColumnsAndSelectsRowOne()
{
    folder_->writeBytes(folder_->data("tovalinero.dat"),
                        "A~B~01.01.1990~1~0~~~~~x@y.de\r\nC~D~02.02.1991~0~0~~~~~\r\n");
    form_->LoadBirthdayList();
    Grid* grid = form_->Grid1;
    QCOMPARE(grid->ColumnCount(), 4);
    QCOMPARE(grid->Model()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("Tovalinero"));
    QCOMPARE(grid->ColumnIndex("tov_erinnern"), 4);
    QCOMPARE(grid->CurrentRow(), 1);
    QCOMPARE(grid->Cell(1, 10), QStringLiteral("x@y.de"));
}

void ListFileTest::loadCreatesTheReportFolder()
{
    form_->LoadBirthdayList();
    QVERIFY(QDir(folder_->folder() + "/report").exists());
}

void ListFileTest::missingListFileRaisesFileNotFound()
{
    QFile::remove(folder_->data("tovalinero.dat"));
    try {
        form_->LoadBirthdayList();
        QFAIL("no error raised");
    } catch (const RuntimeError& error) {
        QCOMPARE(error.number(), 53);
    }
}

void ListFileTest::failedSaveKeepsTheOldFileAndTellsTheUser()
{
    const QString path = folder_->data("tovalinero.dat");
    folder_->writeBytes(path, "A~B~01.01.1990~0~0~~~~~\r\n");
    form_->LoadBirthdayList();
    form_->Grid1->AddRow("neu\tperson\t02.02.2000\t0\t0\t\t\t\t\t");
    // The data folder goes away while the program runs (a removed stick, a network drive).
    QDir program(folder_->folder());
    QVERIFY(program.rename("daten", "daten-weg"));
    QVERIFY(!form_->SaveBirthdayList());
    QVERIFY(program.rename("daten-weg", "daten"));
    QCOMPARE(folder_->readBytes(path), QByteArray("A~B~01.01.1990~0~0~~~~~\r\n"));
    QCOMPARE(form_->Grid1->RowCount(), 2);
    QCOMPARE(seams_->prompt.messages.size(), 1);
    QCOMPARE(seams_->prompt.messages[0].icon, MsgIcon::Critical);
    QVERIFY(
        seams_->prompt.messages[0].text.startsWith("Die Tovalinerosliste konnte nicht gespeichert werden:"));
    QVERIFY(seams_->prompt.messages[0].text.contains("tovalinero.dat"));
}

void ListFileTest::isFilePathKnowsFilesAndFolders()
{
    QVERIFY(Form1::IsFilePath(folder_->data("tovalinero.dat")));
    QVERIFY(Form1::IsFilePath(folder_->folder() + "/daten"));
    QVERIFY(!Form1::IsFilePath(folder_->data("fehlt.dat")));
    QVERIFY(!Form1::IsFilePath(QString()));
}

void ListFileTest::replaceReadsFirstAndChangesNothingOnFailure_data()
{
    QTest::addColumn<QString>("source");
    QTest::addRow("missing file") << "fehlt.dat";
    QTest::addRow("a folder") << "ordner";
    QTest::addRow("a pipe") << "pipe.dat";
}

void ListFileTest::replaceReadsFirstAndChangesNothingOnFailure()
{
    QFETCH(QString, source);
    const QString path = folder_->data("tovalinero.dat");
    const QByteArray list("A~B~01.01.1990~0~0~~~~~\r\nC~D~02.02.1991~0~0~~~~~\r\n");
    folder_->writeBytes(path, list);
    QDir(folder_->folder()).mkdir("ordner");
    QCOMPARE(mkfifo(QFile::encodeName(folder_->folder() + "/pipe.dat").constData(), 0600), 0);
    form_->LoadBirthdayList();
    form_->Grid1->SetCurrentRow(2);

    QVERIFY(!form_->ReplaceBirthdayList(folder_->folder() + "/" + source));
    QCOMPARE(form_->Grid1->RowCount(), 2);
    QCOMPARE(form_->Grid1->CurrentRow(), 2);
    QCOMPARE(folder_->readBytes(path), list);
    QCOMPARE(seams_->prompt.messages.size(), 1);
    QVERIFY(seams_->prompt.messages[0].text.contains(source));
}

void ListFileTest::replaceTakesTheNewListAndSavesIt()
{
    const QString path = folder_->data("tovalinero.dat");
    folder_->writeBytes(path, "Alt~Person~01.01.1990~0~0~~~~~\r\n");
    form_->LoadBirthdayList();
    const QString other = folder_->folder() + "/andere.txt";
    folder_->writeBytes(other, "Neu~Eins~1.2.1980~1~0~<p>x</p>~~~~a@b.de\r\nNeu~Zwei~03.04.1975~0~1~~~~~");

    QVERIFY(form_->ReplaceBirthdayList(other));
    QCOMPARE(form_->Grid1->RowCount(), 2);
    QCOMPARE(form_->Grid1->CurrentRow(), 1);
    QCOMPARE(form_->Grid1->Cell(1, 3), QStringLiteral("01.02.1980"));
    QCOMPARE(folder_->readBytes(path),
             QByteArray("Neu~Eins~01.02.1980~1~0~<p>x</p>~~~~a@b.de\r\nNeu~Zwei~03.04.1975~0~1~~~~~\r\n"));
    QVERIFY(form_->Label4[0]->text().startsWith("Tovalineroe: 2 - In "));
    QVERIFY(seams_->prompt.messages.isEmpty());
}

void ListFileTest::listFileIsTheOwnersOnly()
{
    const QString path = folder_->data("tovalinero.dat");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::ReadGroup);
    form_->LoadBirthdayList();
    QVERIFY(form_->SaveBirthdayList());
    QCOMPARE(QFile::permissions(path) & (QFile::ReadGroup | QFile::ReadOther), QFileDevice::Permissions());
    QFile::remove(path);
    QVERIFY(form_->SaveBirthdayList());
    QCOMPARE(QFile::permissions(path) & (QFile::ReadGroup | QFile::ReadOther), QFileDevice::Permissions());
}

void ListFileTest::listBehindALinkIsSavedToItsTarget_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("second");
    QTest::addRow("absolute link") << "@/sync/liste.dat"
                                   << "";
    QTest::addRow("relative link") << "../sync/liste.dat"
                                   << "";
    QTest::addRow("a link to a link") << "../sync/weiter.dat"
                                      << "liste.dat";
}

// Users keep their list in a synced folder and link it into the data folder: every change
// reaches the synced file, and the link stays.
void ListFileTest::listBehindALinkIsSavedToItsTarget()
{
    QFETCH(QString, link);
    QFETCH(QString, second);
    const QString sync = folder_->folder() + "/sync";
    QVERIFY(QDir().mkdir(sync));
    const QString target = sync + "/liste.dat";
    folder_->writeBytes(target, "X~Y~01.01.1990~0~0~~~~~\r\n");
    QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    if (!second.isEmpty())
        QVERIFY(QFile::link(second, sync + "/weiter.dat"));
    const QString path = folder_->data("tovalinero.dat");
    QFile::remove(path);
    if (link.startsWith('@'))
        link = folder_->folder() + link.mid(1);
    QVERIFY(QFile::link(link, path));
    form_->LoadBirthdayList();
    QCOMPARE(form_->Grid1->RowCount(), 1);
    form_->Grid1->AddRow("Neu\tPerson\t02.02.2000\t0\t0\t\t\t\t\t");
    QVERIFY(form_->SaveBirthdayList());

    char text[4096];
    const ssize_t length = ::readlink(QFile::encodeName(path).constData(), text, sizeof text);
    QCOMPARE(QFile::decodeName(QByteArray(text, qMax<ssize_t>(length, 0))), link);
    QCOMPARE(folder_->readBytes(target),
             QByteArray("X~Y~01.01.1990~0~0~~~~~\r\nNeu~Person~02.02.2000~0~0~~~~~\r\n"));
    QCOMPARE(QFile::permissions(target) & (QFile::ReadGroup | QFile::ReadOther), QFileDevice::Permissions());
    const QStringList inSync = QDir(sync).entryList(QDir::Files | QDir::Hidden | QDir::System);
    const QStringList expected =
        second.isEmpty() ? QStringList{"liste.dat"} : QStringList{"liste.dat", "weiter.dat"};
    QCOMPARE(inSync, expected);
    QVERIFY(seams_->prompt.messages.isEmpty());
}

void ListFileTest::missingListFileIsCreatedByTheFirstChange()
{
    const QString path = folder_->data("tovalinero.dat");
    QFile::remove(path);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, form_->LoadBirthdayList());
    QVERIFY(form_->ListChangeAllowed());
    form_->Grid1->AddRow("Neu\tPerson\t02.02.2000\t0\t0\t\t\t\t\t");
    QVERIFY(form_->SaveBirthdayList());
    QCOMPARE(folder_->readBytes(path), QByteArray("Neu~Person~02.02.2000~0~0~~~~~\r\n"));
    QCOMPARE(QFile::permissions(path) & (QFile::ReadGroup | QFile::ReadOther), QFileDevice::Permissions());
    QVERIFY(seams_->prompt.messages.isEmpty());
}

// A list file put in place after the start was never read: it is not written over.
void ListFileTest::listFileThatAppearedAfterTheStartIsKept()
{
    const QString path = folder_->data("tovalinero.dat");
    QFile::remove(path);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, form_->LoadBirthdayList());
    const QByteArray list("A~B~01.01.1990~0~0~~~~~\r\n");
    folder_->writeBytes(path, list);
    form_->Grid1->AddRow("Neu\tPerson\t02.02.2000\t0\t0\t\t\t\t\t");
    QVERIFY(!form_->SaveBirthdayList());
    QCOMPARE(folder_->readBytes(path), list);
    QCOMPARE(seams_->prompt.messages.size(), 1);
    QVERIFY(seams_->prompt.messages[0].text.contains("Es wurde nichts geändert."));
}

void ListFileTest::pipeInPlaceOfTheListFailsTheLoad()
{
    const QString path = folder_->data("tovalinero.dat");
    QFile::remove(path);
    QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    try {
        form_->LoadBirthdayList();
        QFAIL("no error raised");
    } catch (const RuntimeError& error) {
        QCOMPARE(error.number(), 75);
    }
    QVERIFY(!form_->ListLoaded());
}

void ListFileTest::fullDiskKeepsTheOldListWithoutLeftovers()
{
    const QString path = folder_->data("tovalinero.dat");
    const QByteArray list("A~B~01.01.1990~0~0~~~~~\r\n");
    folder_->writeBytes(path, list);
    form_->LoadBirthdayList();
    for (int i = 0; i < 50; ++i)
        form_->Grid1->AddRow(QStringLiteral("Person%1\tVoll\t02.02.2000\t0\t0\t\t\t\t\t").arg(i));
    const QStringList before = QDir(folder_->folder() + "/daten").entryList(QDir::Files | QDir::Hidden);
    {
        const FileSizeLimit diskFull(200);
        QVERIFY(!form_->SaveBirthdayList());
    }
    QCOMPARE(folder_->readBytes(path), list);
    QCOMPARE(QDir(folder_->folder() + "/daten").entryList(QDir::Files | QDir::Hidden), before);
    QCOMPARE(seams_->prompt.messages.size(), 1);
}

void ListFileTest::killedSaveKeepsTheOldList()
{
    const QString path = folder_->data("tovalinero.dat");
    const QByteArray list("A~B~01.01.1990~0~0~~~~~\r\n");
    folder_->writeBytes(path, list);
    form_->LoadBirthdayList();
    for (int i = 0; i < 200; ++i)
        form_->Grid1->AddRow(QStringLiteral("Person%1\tAbbruch\t02.02.2000\t0\t0\t\t\t\t\t").arg(i));
    const QStringList files = QDir(folder_->folder() + "/daten").entryList(QDir::Files | QDir::Hidden);
    QVERIFY(KilledDuringWrite(1000, [this] { form_->SaveBirthdayList(); }));
    QCOMPARE(folder_->readBytes(path), list);
    QCOMPARE(QDir(folder_->folder() + "/daten").entryList(QDir::Files | QDir::Hidden), files);
}

void ListFileTest::chosenListIsTakenAsTheLoadTakesIt_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("problem");
    QTest::addRow("short rows, as the free version and a line without e-mail")
        << QByteArray("Anna~Meier~1.2.1980\r\nBert~Abel~02.07.1975~0~0~~Weg~1~Ort\r\n")
        << QStringList{"Anna\tMeier\t01.02.1980", "Bert\tAbel\t02.07.1975\t0\t0\t\tWeg\t1\tOrt"} << "";
    QTest::addRow("more than ten fields stay")
        << QByteArray("A~B~01.01.1990~0~0~~~~~a@b.de~x~y\r\n")
        << QStringList{"A\tB\t01.01.1990\t0\t0\t\t\t\t\ta@b.de\tx\ty"} << "";
    QTest::addRow("a line of another layout")
        << QByteArray("Anna;Meier;01.02.1980") << QStringList{"Anna;Meier;01.02.1980"} << "";
    QTest::addRow("NUL in line 3, a LF inside a field before it")
        << QByteArray("A~B\r\nC~<p>\nx</p>\r\nD\0E\r\n", 23) << QStringList()
        << "Zeile 3 enthält Binärdaten (ein Nullzeichen).";
    QTest::addRow("TAB in line 2, after a lone CR")
        << QByteArray("A\rB~\tC\r\n") << QStringList() << "Zeile 2 enthält einen Tabulator.";
    QTest::addRow("LF alone ends each line")
        << QByteArray("A~B~1.2.1980\nC~D\n") << QStringList{"A\tB\t01.02.1980", "C\tD"} << "";
    QTest::addRow("LF alone, NUL in line 2")
        << QByteArray("A~B\nC\0D\n", 8) << QStringList() << "Zeile 2 enthält Binärdaten (ein Nullzeichen).";
}

void ListFileTest::chosenListIsTakenAsTheLoadTakesIt()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, rows);
    QFETCH(QString, problem);
    QString error;
    const auto chosen = ChosenListRows(file, &error);
    QCOMPARE(chosen.has_value(), problem.isEmpty());
    if (chosen) {
        QCOMPARE(*chosen, rows);
        // Exactly what the start-up's load makes of the same file.
        folder_->writeBytes(folder_->data("tovalinero.dat"), file);
        form_->LoadBirthdayList();
        QCOMPARE(form_->Grid1->RowCount(), rows.size());
        for (int i = 0; i < rows.size(); ++i)
            QCOMPARE(form_->Grid1->RowText(i + 1), rows[i]);
    } else {
        QCOMPARE(error, problem);
    }
}

QTEST_MAIN(ListFileTest)
#include "tst_listfile.moc"
