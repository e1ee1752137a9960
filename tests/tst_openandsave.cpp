#include "support/filesizelimit.h"
#include "support/formfixture.h"
#include "support/sparsefile.h"

#include "app/oeffnen1.h"
#include "app/speichern1.h"
#include "common/forms.h"
#include "common/moddraw.h"
#include "common/sevtext.h"
#include "platform/help.h"

#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

namespace
{

const QByteArray ThreePersons("Anna~Meier~01.02.1980~0~1~~Weg 1~12345~Ort~\r\n"
                              "J\xfcrgen~M\xfcller~03.04.1975~1~0~<p>Alles Gute\n</p>~~~~j@m.de\r\n"
                              "Bert~Abel~05.06.1970~0~0~\x80~~~~\r\n");

} // namespace

class OpenAndSaveTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void windowTexts_data();
    void windowTexts();
    void cancelChangesNothing_data();
    void cancelChangesNothing();
    void saveThenOpenGivesTheSameList();
    void saveThenOpenKeepsShortAndLongRows();
    void hugeFileIsRefusedUnread();
    void savingAnEmptyListGivesAnEmptyFile();
    void openReplacesTheListAndRewritesItsFile_data();
    void openReplacesTheListAndRewritesItsFile();
    void openingTheListFileItselfKeepsIt();
    void unreadableFileChangesNothing_data();
    void unreadableFileChangesNothing();
    void listTheProgramWroteIsTakenAsItStands();
    void saveAsKeepsLinksAndModes_data();
    void saveAsKeepsLinksAndModes();
    void saveAsRefusesWhatIsNoFile_data();
    void saveAsRefusesWhatIsNoFile();
    void failedSaveSaysSoAndKeepsTheTarget_data();
    void failedSaveSaysSoAndKeepsTheTarget();
    void killedSaveKeepsTheTarget();
    void saveAsOverAnUnloadedListIsRefused();
    void helpButtonOpensItsPage();
    void helpAboveTheModalWindowTakesInput_data();
    void helpAboveTheModalWindowTakesInput();
    void allFilesMeansEveryFile();
    void enterChoosesTheFile_data();
    void enterChoosesTheFile();
    void menuOpensTheWindowsModally_data();
    void menuOpensTheWindowsModally();

private:
    Form1& loadList(const QByteArray& bytes);
    QByteArray listFile() const { return fixture_->folder->readBytes(listPath()); }
    QString listPath() const { return fixture_->folder->data("tovalinero.dat"); }
    QString path(const QString& name) const { return fixture_->folder->folder() + "/" + name; }
    QStringList rows() const;
    ListFileWindow& window(const QString& name);
    FakePrompt& prompt() { return fixture_->seams->prompt; }
    std::unique_ptr<FormFixture> fixture_;
};

void OpenAndSaveTest::init()
{
    fixture_ = std::make_unique<FormFixture>();
}

void OpenAndSaveTest::cleanup()
{
    fixture_.reset();
}

Form1& OpenAndSaveTest::loadList(const QByteArray& bytes)
{
    fixture_->folder->writeBytes(listPath(), bytes);
    Form1& form = fixture_->form();
    form.LoadBirthdayList();
    return form;
}

QStringList OpenAndSaveTest::rows() const
{
    QStringList texts;
    for (int i = 1; i <= fixture_->form().Grid1->RowCount(); ++i)
        texts << fixture_->form().Grid1->RowText(i);
    return texts;
}

ListFileWindow& OpenAndSaveTest::window(const QString& name)
{
    if (name == "speichern1")
        return Forms::Get<speichern1>();
    return Forms::Get<oeffnen1>();
}

void OpenAndSaveTest::windowTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("success");
    QTest::addRow("speichern1")
        << "speichern1"
        << "Tovalinerosliste speichern unter..."
        << "Sie haben hier die Möglichkeit Ihre bereits angelegten Tovalineroe in eine "
           "externe Datei zu sichern."
        << "Die Datei wurde erfolgreich gespeichert.";
    QTest::addRow("oeffnen1")
        << "oeffnen1"
        << "Tovalinerosliste öffnen"
        << "Hier können Sie eine bereits gespeicherte Tovalinerosliste öffnen. Die vorhandene "
           "Liste wird überschrieben. Wird automatisch zur Standard-Datei."
        << "Die Datei wurde erfolgreich geöffnet und die Daten eingelesen.";
}

void OpenAndSaveTest::windowTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, heading);
    QFETCH(QString, success);
    loadList(ThreePersons);
    ListFileWindow& w = window(name);
    w.show();
    QCOMPARE(w.objectName(), name);
    QCOMPARE(w.windowTitle(), caption);
    QCOMPARE(w.Label1->text(), heading);
    QCOMPARE(w.Label2->text(),
             QStringLiteral("Klicken Sie bitte auf den Button \"...\" um den Dialog zu öffnen."));
    QCOMPARE(w.Label3->text(), success);
    QVERIFY(!w.Label3->isVisible());
    QCOMPARE(w.sevText1->Edit()->toolTip(), QStringLiteral("Bitte rechts auf den Button \"...\" klicken."));
    QCOMPARE(w.sevText1->Button()->toolTip(), QStringLiteral("Hier klicken..."));
    QCOMPARE(w.sevText1->Button()->text(), QStringLiteral("..."));
    QVERIFY(w.sevText1->Button()->focusPolicy() & Qt::TabFocus);
    QCOMPARE(w.Command1->text(), QStringLiteral("&Abbrechen"));
    QCOMPARE(w.Command1->toolTip(), QStringLiteral("Klicken Sie hier um das Fenster zu schließen."));
    QVERIFY(w.picBottom->painted());
    QCOMPARE(w.findChild<QPushButton*>("Command2") != nullptr, name == "oeffnen1");
    QVERIFY(w.findChild<QFrame*>("Line1"));
    QVERIFY(w.findChild<QFrame*>("Line2"));
    QVERIFY(w.findChild<QLabel*>("Image1"));
    w.Command1->click();
    FlushDeletedWindows();
    QVERIFY(!Forms::Loaded<speichern1>());
    QVERIFY(!Forms::Loaded<oeffnen1>());
}

void OpenAndSaveTest::cancelChangesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("filter");
    QTest::addRow("speichern1") << "speichern1"
                                << "Tovalinerosliste speichern unter..."
                                << "Tovalinerosliste (*.dat)|*.dat";
    QTest::addRow("oeffnen1")
        << "oeffnen1"
        << "Tovalinerosliste öffnen"
        << "Tovalinerosliste (*.dat)|*.dat|Textdateien (*.txt)|*.txt|Alle Dateien (*.*)|*.*";
}

void OpenAndSaveTest::cancelChangesNothing()
{
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(QString, filter);
    Form1& form = loadList(ThreePersons);
    form.Grid1->SetCurrentRow(2);
    const QStringList before = QDir(fixture_->folder->folder()).entryList(QDir::AllEntries | QDir::Hidden);
    ListFileWindow& w = window(name);
    w.sevText1->Button()->click();
    QCOMPARE(prompt().fileRequests.size(), 1);
    const FileRequest& dialog = prompt().fileRequests[0];
    QCOMPARE(dialog.title, title);
    QCOMPARE(dialog.folder, fixture_->folder->folder() + "/");
    QCOMPARE(dialog.fileName, QString());
    QCOMPARE(dialog.filter, filter);
    QCOMPARE(dialog.defaultExtension, QStringLiteral(".dat"));
    QVERIFY(prompt().messages.isEmpty());
    QCOMPARE(w.sevText1->Text(), QString());
    QVERIFY(w.Label3->isHidden());
    QCOMPARE(listFile(), ThreePersons);
    QCOMPARE(form.Grid1->RowCount(), 3);
    QCOMPARE(form.Grid1->CurrentRow(), 2);
    QCOMPARE(QDir(fixture_->folder->folder()).entryList(QDir::AllEntries | QDir::Hidden), before);
}

void OpenAndSaveTest::saveThenOpenGivesTheSameList()
{
    Form1& form = loadList(ThreePersons);
    const QStringList saved = rows();
    const QString copy = path("kopie.dat");
    prompt().fileAnswers = {copy};
    speichern1& save = Forms::Get<speichern1>();
    save.show();
    save.sevText1->Button()->click();
    QCOMPARE(fixture_->folder->readBytes(copy), ThreePersons);
    QCOMPARE(save.sevText1->Text(), QDir::toNativeSeparators(copy));
    QVERIFY(save.Label3->isVisible());
    QCOMPARE(listFile(), ThreePersons);
    save.Command1->click();

    // Another list takes the place of the first; opening the copy brings the first back.
    fixture_->folder->writeBytes(listPath(), "Z~Z~01.01.1990~0~0~~~~~\r\n");
    form.LoadBirthdayList();
    QCOMPARE(form.Grid1->RowCount(), 4);
    prompt().fileAnswers = {copy};
    oeffnen1& open = Forms::Get<oeffnen1>();
    open.show();
    open.sevText1->Button()->click();
    QCOMPARE(rows(), saved);
    QCOMPARE(listFile(), ThreePersons);
    QCOMPARE(form.Grid1->CurrentRow(), 1);
    QVERIFY(open.Label3->isVisible());
    QVERIFY(prompt().messages.isEmpty());
    QVERIFY(QDir(fixture_->folder->folder() + "/report").exists());
}

// Rows of another number of fields than ten load at start-up and are written back by save-as
// as they are; open takes them alike.
void OpenAndSaveTest::saveThenOpenKeepsShortAndLongRows()
{
    const QByteArray list("Anna~Meier~01.02.1980\r\n"
                          "Bert~Abel~02.07.1975~0~0~~Weg 1~12345~Ort\r\n"
                          "Carl~Cee~03.03.1933~0~0~~~~~c@d.de~mehr~noch mehr\r\n"
                          "\r\n"
                          "Dora\r\n");
    Form1& form = loadList(list);
    const QStringList loaded = rows();
    QCOMPARE(loaded.size(), 5);
    const QString copy = path("kurz.dat");
    prompt().fileAnswers = {copy};
    Forms::Get<speichern1>().sevText1->Button()->click();
    const QByteArray saved = fixture_->folder->readBytes(copy);
    QCOMPARE(saved.count("\r\n"), 5);
    QVERIFY(saved.contains("~mehr~noch mehr\r\n"));

    fixture_->folder->writeBytes(listPath(), "Z~Z~01.01.1990~0~0~~~~~\r\n");
    form.LoadBirthdayList();
    prompt().fileAnswers = {copy};
    oeffnen1& open = Forms::Get<oeffnen1>();
    open.sevText1->Button()->click();
    QVERIFY2(prompt().messages.isEmpty(), qPrintable(prompt().texts().join('|')));
    QCOMPARE(rows(), loaded);
    QCOMPARE(listFile(), saved);
    QVERIFY(!open.Label3->isHidden());
}

void OpenAndSaveTest::hugeFileIsRefusedUnread()
{
    Form1& form = loadList(ThreePersons);
    const QString huge = path("riesig.dat");
    if (!MakeSparseFile(huge, 40 * GiB, "A~B~01.01.1990~0~0~~~~~\r\n"))
        QSKIP("no sparse files here");
    const long before = PeakMemoryKiB();
    prompt().fileAnswers = {huge};
    oeffnen1& open = Forms::Get<oeffnen1>();
    open.sevText1->Button()->click();
    QVERIFY(PeakMemoryKiB() - before < BoundedMemoryKiB);
    QCOMPARE(form.Grid1->RowCount(), 3);
    QCOMPARE(listFile(), ThreePersons);
    QVERIFY(open.Label3->isHidden());
    QCOMPARE(prompt().texts(),
             QStringList{"Die Tovalinerosliste konnte nicht gelesen werden:\n" +
                         QDir::toNativeSeparators(huge) +
                         "\n\nDie Datei ist zu groß für eine Tovalinerosliste (40,0 GB, höchstens 64,0 MB)."
                         "\n\nDie bisherige Liste bleibt unverändert."});
    QFile::remove(huge);
}

void OpenAndSaveTest::savingAnEmptyListGivesAnEmptyFile()
{
    loadList(QByteArray());
    const QString target = path("leer.dat");
    fixture_->folder->writeBytes(target, "alt\r\n");
    prompt().fileAnswers = {target};
    speichern1& save = Forms::Get<speichern1>();
    save.sevText1->Button()->click();
    QVERIFY(QFile::exists(target));
    QCOMPARE(fixture_->folder->readBytes(target), QByteArray());
    QVERIFY(!save.Label3->isHidden());
}

void OpenAndSaveTest::openReplacesTheListAndRewritesItsFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("listFile");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("upcoming");
    QTest::addRow("1.2.1980 comes back as 01.02.1980")
        << QByteArray("Neu~Eins~1.2.1980~1~0~~~~~a@b.de\r\n")
        << QByteArray("Neu~Eins~01.02.1980~1~0~~~~~a@b.de\r\n") << "andere.dat"
        << QStringList{"Neu Eins   (wird 46);2"};
    QTest::addRow("three lines, no end at the last, from a .txt")
        << QByteArray("A~A~01.01.1990~0~0~~~~~\r\nB~B~02.01.1990~0~0~~~~~\r\nC~C~03.01.1990~0~0~~~~~")
        << QByteArray("A~A~01.01.1990~0~0~~~~~\r\nB~B~02.01.1990~0~0~~~~~\r\nC~C~03.01.1990~0~0~~~~~\r\n")
        << "liste.txt" << QStringList();
    QTest::addRow("an empty line stays a row, a file without a dot")
        << QByteArray("A~A~01.01.1990~0~0~~~~~\r\n\r\nC~C~03.01.1990~0~0~~~~~\r\n")
        << QByteArray("A~A~01.01.1990~0~0~~~~~\r\n\r\nC~C~03.01.1990~0~0~~~~~\r\n") << "liste"
        << QStringList();
    QTest::addRow("empty file, empty list") << QByteArray() << QByteArray() << "leer.dat" << QStringList();
    QTest::addRow("LF alone ends each line, as a Linux editor saves it")
        << QByteArray("A~A~1.1.1990~0~0~~~~~\nB~B~02.01.1990~0~0~~~~~\nC~C~03.01.1990~0~0~~~~~\n")
        << QByteArray("A~A~01.01.1990~0~0~~~~~\r\nB~B~02.01.1990~0~0~~~~~\r\nC~C~03.01.1990~0~0~~~~~\r\n")
        << "linux.dat" << QStringList();
    QTest::addRow("a \";\" in a name of this program's list")
        << QByteArray("Anna;Lena~Meier~01.02.1980~0~0~~~~~\r\n")
        << QByteArray("Anna;Lena~Meier~01.02.1980~0~0~~~~~\r\n") << "semikolon.dat"
        << QStringList{"Anna;Lena Meier   (wird 46);2"};
}

void OpenAndSaveTest::openReplacesTheListAndRewritesItsFile()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, listFile);
    QFETCH(QString, name);
    QFETCH(QStringList, upcoming);
    QByteArray fifty;
    for (int i = 0; i < 50; ++i)
        fifty += "Alt~Person~01.01.1990~0~0~~~~~\r\n";
    Form1& form = loadList(fifty);
    form.Grid1->SetCurrentRow(40);
    fixture_->folder->writeBytes(path(name), file);
    prompt().fileAnswers = {path(name)};
    form.Label4[0]->setText("alt");
    oeffnen1& open = Forms::Get<oeffnen1>();
    open.sevText1->Button()->click();
    QCOMPARE(this->listFile(), listFile);
    QCOMPARE(form.Grid1->RowCount(), static_cast<int>(listFile.count("\r\n")));
    QCOMPARE(form.Grid1->CurrentRow(), form.Grid1->RowCount() > 0 ? 1 : 0);
    // The coming birthdays are those of the opened list.
    QCOMPARE(fixture_->upcomingLines(), upcoming);
    QCOMPARE(form.Grid2->RowCount(), upcoming.size());
    QCOMPARE(
        form.Label4[0]->text(),
        QStringLiteral("Tovalineroe: %1 - In 2026: %2").arg(form.Grid1->RowCount()).arg(upcoming.size()));
    QVERIFY(!open.Label3->isHidden());
    QVERIFY(prompt().messages.isEmpty());
}

void OpenAndSaveTest::openingTheListFileItselfKeepsIt()
{
    const QByteArray list("A~B~1.2.1980~0~0~~~~~\r\nC~D~02.02.1991~0~0~~~~~\r\n");
    Form1& form = loadList(list);
    prompt().fileAnswers = {listPath()};
    Forms::Get<oeffnen1>().sevText1->Button()->click();
    QCOMPARE(form.Grid1->RowCount(), 2);
    QCOMPARE(listFile(), QByteArray("A~B~01.02.1980~0~0~~~~~\r\nC~D~02.02.1991~0~0~~~~~\r\n"));
}

void OpenAndSaveTest::unreadableFileChangesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");
    QTest::addRow("missing file") << "fehlt.dat" << QByteArray() << "";
    QTest::addRow("a folder") << "ordner" << QByteArray() << "";
    QTest::addRow("a picture") << "bild.dat" << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR~~~~~~~~~", 25)
                               << "Binärdaten";
    QTest::addRow("a NUL in line 2") << "nul.dat"
                                     << QByteArray("A~B~01.01.1990~0~0~~~~~\r\nC~D\0~02.02.1991\r\n", 42)
                                     << "Zeile 2 enthält Binärdaten";
    QTest::addRow("a TAB inside") << "tab.dat" << QByteArray("A~B~01.01.1990~0~0~\t~~~~\r\n")
                                  << "Zeile 1 enthält einen Tabulator";
    const QString importNamed = "Eine solche Liste übernehmen Sie mit \"Datei\" > \"Import von Tovalineroen "
                                "aus der Free-Version\".";
    QTest::addRow("a list of the free edition")
        << "free.dat" << QByteArray("Anna;Meier;01.02.1980\r\nJ\xfcrgen;M\xfcller;3.4.1975\r\n")
        << importNamed;
    QTest::addRow("a list of the free edition, UTF-8 with LF")
        << "free.txt" << QByteArray("Anna;Meier;01.02.1980\nJ\xc3\xbcrgen;M\xc3\xbcller;3.4.1975\n")
        << importNamed;
}

void OpenAndSaveTest::unreadableFileChangesNothing()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    Form1& form = loadList(ThreePersons);
    form.Grid1->SetCurrentRow(3);
    if (name == "ordner")
        QDir(fixture_->folder->folder()).mkdir(name);
    else if (!content.isEmpty())
        fixture_->folder->writeBytes(path(name), content);
    prompt().fileAnswers = {path(name)};
    oeffnen1& open = Forms::Get<oeffnen1>();
    open.sevText1->Button()->click();
    QCOMPARE(form.Grid1->RowCount(), 3);
    QCOMPARE(form.Grid1->CurrentRow(), 3);
    QCOMPARE(listFile(), ThreePersons);
    QVERIFY(open.Label3->isHidden());
    QCOMPARE(prompt().messages.size(), 1);
    const MessageRequest& box = prompt().messages[0];
    QCOMPARE(box.icon, MsgIcon::Critical);
    QVERIFY(box.text.contains(QDir::toNativeSeparators(path(name))));
    QVERIFY(box.text.contains(reason));
    QVERIFY(box.text.endsWith("Die bisherige Liste bleibt unverändert."));
}

// The restore writes the list file first and then shows it: whatever it wrote must reach the
// grid, or the next save would bring the old list back.
void OpenAndSaveTest::listTheProgramWroteIsTakenAsItStands()
{
    Form1& form = loadList(ThreePersons);
    fixture_->folder->writeBytes(listPath(), "A~B~1.2.1980\r\n");
    QVERIFY(form.ReplaceBirthdayList(listPath()));
    QCOMPARE(rows(), QStringList{"A\tB\t01.02.1980"});
    QVERIFY(prompt().messages.isEmpty());
}

void OpenAndSaveTest::saveAsKeepsLinksAndModes_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("mode");
    QTest::addRow("a new file, the owner's alone") << "new" << 0600;
    QTest::addRow("a group-readable file stays so") << "file" << 0640;
    QTest::addRow("a link to a group-readable file elsewhere") << "link" << 0640;
    QTest::addRow("a link whose target is not there yet") << "dangling" << 0600;
}

// What the user saves over stays what it was: a link keeps pointing where it did and its
// target receives the list, a file keeps the mode its owner gave it.
void OpenAndSaveTest::saveAsKeepsLinksAndModes()
{
    QFETCH(QString, kind);
    QFETCH(int, mode);
    loadList(ThreePersons);
    const QString elsewhere = path("geteilt");
    QVERIFY(QDir().mkdir(elsewhere));
    const QString chosen = path("liste.dat");
    QString target = kind == "new" || kind == "file" ? chosen : elsewhere + "/familie.dat";
    if (kind == "file" || kind == "link") {
        fixture_->folder->writeBytes(target, "alt\r\n");
        QCOMPARE(::chmod(QFile::encodeName(target).constData(), mode_t(mode)), 0);
    }
    if (kind == "link" || kind == "dangling")
        QVERIFY(QFile::link("geteilt/familie.dat", chosen));

    prompt().fileAnswers = {chosen};
    speichern1& save = Forms::Get<speichern1>();
    save.sevText1->Button()->click();

    QVERIFY2(prompt().messages.isEmpty(), qPrintable(prompt().texts().join('|')));
    QVERIFY(!save.Label3->isHidden());
    QCOMPARE(fixture_->folder->readBytes(target), ThreePersons);
    struct stat info;
    QCOMPARE(::stat(QFile::encodeName(target).constData(), &info), 0);
    QCOMPARE(int(info.st_mode & 07777), mode);
    if (kind == "link" || kind == "dangling") {
        char text[4096];
        const ssize_t length = ::readlink(QFile::encodeName(chosen).constData(), text, sizeof text);
        QCOMPARE(QByteArray(text, qMax<ssize_t>(length, 0)), QByteArray("geteilt/familie.dat"));
    }
    QCOMPARE(QDir(elsewhere).entryList(QDir::Files | QDir::Hidden | QDir::System),
             target == chosen ? QStringList() : QStringList{"familie.dat"});
    QCOMPARE(listFile(), ThreePersons);
}

void OpenAndSaveTest::saveAsRefusesWhatIsNoFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::addRow("a pipe")
        << "pipe"
        << "An dieser Stelle steht keine gewöhnliche Datei, sondern eine benannte Pipe (FIFO).";
    QTest::addRow("a link to a pipe")
        << "link to pipe"
        << ") steht keine gewöhnliche Datei, sondern eine benannte Pipe (FIFO).";
    QTest::addRow("a device") << "device"
                              << "An dieser Stelle steht keine gewöhnliche Datei, sondern eine Gerätedatei.";
    QTest::addRow("a socket") << "socket"
                              << "An dieser Stelle steht keine gewöhnliche Datei, sondern ein Socket.";
    QTest::addRow("a folder") << "folder"
                              << "An dieser Stelle steht ein Ordner.";
}

// A pipe, a device node, a socket or a folder is no list: the save is refused with the reason,
// and what stands there stays, also behind a link.
void OpenAndSaveTest::saveAsRefusesWhatIsNoFile()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    loadList(ThreePersons);
    const QString chosen = path("liste.dat");
    const QString node = kind == "link to pipe" ? path("pipe") : chosen;
    const QByteArray native = QFile::encodeName(node);
    int socketFd = -1;
    if (kind == "pipe" || kind == "link to pipe")
        QCOMPARE(mkfifo(native.constData(), 0600), 0);
    if (kind == "link to pipe")
        QVERIFY(QFile::link("pipe", chosen));
    if (kind == "device" && ::mknod(native.constData(), S_IFCHR | 0600, makedev(1, 3)) != 0)
        QSKIP("no device node can be made here (not the superuser)");
    if (kind == "socket") {
        socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        QVERIFY(size_t(native.size()) < sizeof address.sun_path);
        std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
        QCOMPARE(::bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    }
    if (kind == "folder")
        QVERIFY(QDir().mkdir(chosen));
    struct stat before;
    QCOMPARE(::lstat(native.constData(), &before), 0);

    prompt().fileAnswers = {chosen};
    speichern1& save = Forms::Get<speichern1>();
    save.sevText1->Button()->click();
    if (socketFd >= 0)
        ::close(socketFd);

    QVERIFY(save.Label3->isHidden());
    QCOMPARE(prompt().messages.size(), 1);
    const MessageRequest& box = prompt().messages[0];
    QCOMPARE(box.icon, MsgIcon::Critical);
    QVERIFY(box.text.startsWith("Die Tovalinerosliste konnte nicht gespeichert werden:\n" +
                                QDir::toNativeSeparators(chosen) + "\n\n"));
    QVERIFY2(box.text.endsWith(reason), qPrintable(box.text));
    struct stat after;
    QCOMPARE(::lstat(native.constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(QFileInfo(chosen).isSymLink(), kind == "link to pipe");
    QCOMPARE(QDir(fixture_->folder->folder())
                 .entryList({"liste*", "pipe*", ".liste*"}, QDir::AllEntries | QDir::Hidden | QDir::System),
             kind == "link to pipe" ? QStringList({"liste.dat", "pipe"}) : QStringList{"liste.dat"});
    QCOMPARE(listFile(), ThreePersons);
}

void OpenAndSaveTest::failedSaveSaysSoAndKeepsTheTarget_data()
{
    QTest::addColumn<QString>("how");
    QTest::addRow("read-only file system") << "proc";
    QTest::addRow("folder gone") << "missing";
    QTest::addRow("full disk") << "full";
    QTest::addRow("read-only file") << "readonly";
}

void OpenAndSaveTest::failedSaveSaysSoAndKeepsTheTarget()
{
    QFETCH(QString, how);
    if (how == "readonly" && geteuid() == 0)
        QSKIP("the superuser writes read-only files");
    QByteArray list;
    for (int i = 0; i < 40; ++i)
        list += "Anna~Meier~01.02.1980~0~1~~Weg 1~12345~Ort~\r\n";
    loadList(list);
    const QByteArray old("alt\r\n");
    QString target = path("ziel.dat");
    if (how == "proc")
        target = "/proc/tovalinero-ziel.dat";
    else if (how == "missing")
        target = path("weg/ziel.dat");
    else
        fixture_->folder->writeBytes(target, old);
    if (how == "readonly")
        QFile::setPermissions(target, QFile::ReadOwner);

    // A first save succeeds; the failed second one must not leave its success line standing.
    speichern1& save = Forms::Get<speichern1>();
    prompt().fileAnswers = {path("erste.dat"), target};
    save.sevText1->Button()->click();
    QVERIFY(!save.Label3->isHidden());
    {
        std::optional<FileSizeLimit> diskFull;
        if (how == "full")
            diskFull.emplace(200);
        save.sevText1->Button()->click();
    }
    QVERIFY(save.Label3->isHidden());
    QCOMPARE(prompt().messages.size(), 1);
    const MessageRequest& box = prompt().messages[0];
    QCOMPARE(box.icon, MsgIcon::Critical);
    QVERIFY(box.text.startsWith("Die Tovalinerosliste konnte nicht gespeichert werden:"));
    QVERIFY(box.text.contains(QDir::toNativeSeparators(target)));
    QVERIFY(!box.text.section("\n\n", 1).trimmed().isEmpty());
    if (how == "full" || how == "readonly")
        QCOMPARE(fixture_->folder->readBytes(target), old);
    else
        QVERIFY(!QFile::exists(target));
    QCOMPARE(listFile(), list);
    QCOMPARE(QDir(fixture_->folder->folder()).entryList({"*.dat*"}, QDir::Files | QDir::Hidden),
             (how == "full" || how == "readonly") ? QStringList({"erste.dat", "ziel.dat"})
                                                  : QStringList{"erste.dat"});
}

void OpenAndSaveTest::killedSaveKeepsTheTarget()
{
    QByteArray list;
    for (int i = 0; i < 200; ++i)
        list += "Anna~Meier~01.02.1980~0~1~~Weg 1~12345~Ort~\r\n";
    loadList(list);
    const QString target = path("sicherung.dat");
    fixture_->folder->writeBytes(target, ThreePersons);
    prompt().fileAnswers = {target};
    speichern1& save = Forms::Get<speichern1>();
    QVERIFY(KilledDuringWrite(1000, [&] { save.sevText1->Button()->click(); }));
    QCOMPARE(fixture_->folder->readBytes(target), ThreePersons);
    QCOMPARE(QDir(fixture_->folder->folder()).entryList({"sicherung*"}, QDir::Files | QDir::Hidden),
             QStringList{"sicherung.dat"});
}

// A start-up that could not load the list leaves the grid empty: saving it under the list's
// own name would wipe the list as surely as the list's own save.
void OpenAndSaveTest::saveAsOverAnUnloadedListIsRefused()
{
    const QByteArray list("A~B~01.02.1980~0~0~~~~~\r\n");
    fixture_->folder->writeBytes(listPath(), list);
    QFile::remove(fixture_->folder->data("einstellungen.dat"));
    fixture_->form().Form_Load();
    prompt().messages.clear();
    prompt().fileAnswers = {listPath()};
    speichern1& saveAs = Forms::Get<speichern1>();
    saveAs.sevText1->Button()->click();
    QCOMPARE(listFile(), list);
    QVERIFY(saveAs.Label3->isHidden());
    QCOMPARE(prompt().messages.size(), 1);
    QVERIFY(prompt().messages[0].text.contains("nicht geladen werden"));
}

void OpenAndSaveTest::helpButtonOpensItsPage()
{
    oeffnen1& open = Forms::Get<oeffnen1>();
    QCOMPARE(open.Command2->text(), QString());
    QVERIFY(!open.Command2->icon().isNull());
    QCOMPARE(open.Command2->accessibleName(), QStringLiteral("Hilfe"));
    open.Command2->click();
    QCOMPARE(fixture_->seams->help.calls,
             QStringList{QStringLiteral("context %1/tovalinero.chm 280").arg(fixture_->folder->folder())});
}

// Help asked for while a modal window is open must not land behind it, where the modal window
// keeps every click and key from it until it closes.
void OpenAndSaveTest::helpAboveTheModalWindowTakesInput_data()
{
    QTest::addColumn<QString>("from");
    QTest::addRow("help button of the open window") << "oeffnen1";
    QTest::addRow("F1 in the main window") << "Form1";
}

void OpenAndSaveTest::helpAboveTheModalWindowTakesInput()
{
    QFETCH(QString, from);
    HelpSeam::install(nullptr);
    Form1& form = fixture_->form();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QWidget* owner = &form;
    if (from == "oeffnen1") {
        oeffnen1& open = Forms::Get<oeffnen1>();
        // As the menu shows it: modal, as its exec() makes it.
        open.setWindowModality(Qt::ApplicationModal);
        open.show();
        QVERIFY(QTest::qWaitForWindowExposed(&open));
        open.Command2->click();
        owner = &open;
    } else {
        QTest::keyClick(&form, Qt::Key_F1);
    }

    QTextBrowser* viewer = nullptr;
    for (QWidget* widget : QApplication::allWidgets())
        if (widget->objectName() == "HelpViewer")
            viewer = qobject_cast<QTextBrowser*>(widget);
    QVERIFY(viewer);
    QVERIFY(viewer->isWindow());
    QCOMPARE(viewer->parentWidget(), from == "oeffnen1" ? owner : nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(viewer));
    QVERIFY(viewer->screen()->availableGeometry().contains(viewer->frameGeometry()));
    QVERIFY(viewer->source().toLocalFile().endsWith(from == "oeffnen1" ? "/oeffnen.html" : "/index.html"));
    // A click as the window system delivers it, through the modal window's blocking.
    int presses = 0;
    struct PressCounter : QObject {
        int& count;
        explicit PressCounter(int& c) : count(c) {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            count += event->type() == QEvent::MouseButtonPress;
            return false;
        }
    } counter(presses);
    viewer->viewport()->installEventFilter(&counter);
    QTest::mouseClick(viewer->windowHandle(), Qt::LeftButton, {},
                      viewer->viewport()->mapTo(viewer, QPoint(20, 20)));
    QCOMPARE(presses, 1);
    viewer->viewport()->removeEventFilter(&counter);
    viewer->close();
    HelpSeam::install(&fixture_->seams->help);
}

void OpenAndSaveTest::allFilesMeansEveryFile()
{
    QDir folder(fixture_->folder->folder());
    fixture_->folder->writeBytes(path("liste"), QByteArray());
    fixture_->folder->writeBytes(path("liste.txt"), QByteArray());
    Forms::Get<oeffnen1>().sevText1->Button()->click();
    const QStringList filters = ToQtFilter(prompt().fileRequests.at(0).filter).split(";;");
    QCOMPARE(filters.size(), 3);
    // Shown as worded; the dialog hides the brackets it matches by.
    const auto shown = [](const QString& entry) { return entry.left(entry.lastIndexOf(" (")); };
    QCOMPARE(shown(filters[0]), QStringLiteral("Tovalinerosliste (*.dat)"));
    QCOMPARE(shown(filters[2]), QStringLiteral("Alle Dateien (*.*)"));
    // The file dialog lists the files that match the patterns in the brackets.
    const auto patterns = [](const QString& entry) {
        return entry.section('(', -1).chopped(1).split(' ', Qt::SkipEmptyParts);
    };
    const QStringList all = folder.entryList(patterns(filters[2]), QDir::Files);
    QVERIFY(all.contains("liste"));
    QVERIFY(all.contains("liste.txt"));
    QCOMPARE(folder.entryList(patterns(filters[1]), QDir::Files), QStringList{"liste.txt"});
}

void OpenAndSaveTest::enterChoosesTheFile_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<bool>("dialog");
    QTest::addColumn<bool>("closed");
    QTest::addRow("on the button \"...\"") << "button" << true << false;
    QTest::addRow("in the field") << "field" << true << false;
    QTest::addRow("on Abbrechen") << "Abbrechen" << false << true;
}

void OpenAndSaveTest::enterChoosesTheFile()
{
    QFETCH(QString, focus);
    QFETCH(bool, dialog);
    QFETCH(bool, closed);
    loadList(ThreePersons);
    speichern1& save = Forms::Get<speichern1>();
    save.show();
    save.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&save));
    QCOMPARE(save.focusWidget(), save.sevText1->Button());
    QWidget* target = focus == "button"  ? static_cast<QWidget*>(save.sevText1->Button())
                      : focus == "field" ? static_cast<QWidget*>(save.sevText1->Edit())
                                         : save.Command1;
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Return);
    QCOMPARE(prompt().fileRequests.size(), dialog ? 1 : 0);
    FlushDeletedWindows();
    QCOMPARE(Forms::Loaded<speichern1>() == nullptr, closed);
}

void OpenAndSaveTest::menuOpensTheWindowsModally_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("window");
    QTest::addRow("Tovalinerosliste öffnen") << "offen1"
                                             << "oeffnen1";
    QTest::addRow("Tovalinerosliste speichern unter") << "spunter"
                                                      << "speichern1";
}

void OpenAndSaveTest::menuOpensTheWindowsModally()
{
    QFETCH(QString, item);
    QFETCH(QString, window);
    Form1& form = loadList(ThreePersons);
    const QString file = path("menu.dat");
    fixture_->folder->writeBytes(file, "Neu~Eins~01.02.1980~1~0~~~~~\r\n");
    prompt().fileAnswers = {file};
    for (QLabel* label : form.Label4)
        label->setText("alt");
    bool modal = false;
    bool done = false;
    // Only acts in the window: the checks come after the menu's call has returned.
    QTimer::singleShot(0, [&] {
        if (auto* w = qobject_cast<ListFileWindow*>(QApplication::activeModalWidget())) {
            modal = w->objectName() == window && w->isModal();
            w->sevText1->Button()->click();
            done = !w->Label3->isHidden();
            w->Command1->click();
        }
    });
    form.findChild<QAction*>(item)->trigger();
    QVERIFY(modal);
    QVERIFY(done);
    FlushDeletedWindows();
    QVERIFY(!Forms::Loaded<speichern1>());
    QVERIFY(!Forms::Loaded<oeffnen1>());
    QVERIFY(prompt().messages.isEmpty());
    if (window == "oeffnen1") {
        QCOMPARE(form.Grid1->RowCount(), 1);
        for (QLabel* label : form.Label4)
            QCOMPARE(label->text(), QStringLiteral("Tovalineroe: 1 - In 2026: 1"));
    } else {
        QCOMPARE(fixture_->folder->readBytes(file), ThreePersons);
        QCOMPARE(form.Label4[0]->text(), QStringLiteral("alt"));
    }
}

QTEST_MAIN(OpenAndSaveTest)
#include "tst_openandsave.moc"
