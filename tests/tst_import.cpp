#include "common/forms.h"
#include "common/grid.h"
#include "common/listfile.h"
#include "common/mousepointer.h"
#include "common/textfile.h"
#include "maintenance/freeeditionlist.h"
#include "maintenance/import1.h"
#include "support/filesizelimit.h"
#include "support/formfixture.h"
#include "support/sparsefile.h"

#include <unistd.h>

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace
{
const QByteArray OldList = "Alt~Person~01.01.1990~1~0~<p>x</p>~Weg 1~12345~Ort~alt@example.org\r\n";
}

class ImportTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        FormRegistry::setProgramEndHandler([] {});
    }
    void init();
    void cleanup();

    void sourceLineBecomesListLine_data();
    void sourceLineBecomesListLine();
    void forbiddenCharacters_data();
    void forbiddenCharacters();
    void loadShowsTheSourceLines();
    void importReplacesTheList_data();
    void importReplacesTheList();
    void nothingToImport_data();
    void nothingToImport();
    void forbiddenCharacterImportsNothing();
    void sourceFileBecomesListFile_data();
    void sourceFileBecomesListFile();
    void hugeSourceIsRefusedUnread();
    void unreadableSourceSaysWhy();
    void failedWriteKeepsTheList_data();
    void failedWriteKeepsTheList();
    void abbrechenChangesNothing();
    void longSourceTellsAssistiveTechnologyLittle();

private:
    import1& open(const QByteArray& source);
    QString sourcePath() const { return fixture_->folder->folder() + "/free.dat"; }
    QByteArray listBytes() const
    {
        return fixture_->folder->readBytes(fixture_->folder->data("tovalinero.dat"));
    }
    std::unique_ptr<FormFixture> fixture_;
};

void ImportTest::init()
{
    fixture_ = std::make_unique<FormFixture>();
    fixture_->folder->writeBytes(fixture_->folder->data("tovalinero.dat"), OldList);
    fixture_->form().LoadBirthdayList();
}

void ImportTest::cleanup()
{
    fixture_.reset();
    ShowNormalPointer();
}

import1& ImportTest::open(const QByteArray& source)
{
    fixture_->folder->writeBytes(sourcePath(), source);
    fixture_->seams->prompt.fileAnswers = {sourcePath()};
    import1& window = Forms::Get<import1>();
    window.show();
    return window;
}

void ImportTest::sourceLineBecomesListLine_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QByteArray>("list");
    QTest::addRow("three fields") << "Anna;Muster;1.2.1980"
                                  << QByteArray("Anna~Muster~01.02.1980~0~0~~~~~\r\n");
    QTest::addRow("fourth field ignored")
        << "Anna;Muster;1.2.1980;x" << QByteArray("Anna~Muster~01.02.1980~0~0~~~~~\r\n");
    QTest::addRow("order kept, CR LF and lone CR")
        << "Zora;Zett;01.01.1990\r\nAnna;Abel;02.01.1990\rBert;Bauer;03.01.1990"
        << QByteArray("Zora~Zett~01.01.1990~0~0~~~~~\r\nAnna~Abel~02.01.1990~0~0~~~~~\r\n"
                      "Bert~Bauer~03.01.1990~0~0~~~~~\r\n");
    QTest::addRow("two fields") << "Anna;Muster" << QByteArray("Anna~Muster~~0~0~~~~~\r\n");
    QTest::addRow("empty lines left out") << "\r\nAnna;Muster;1.2.1980\r\n  ;;\r\n\r\n"
                                          << QByteArray("Anna~Muster~01.02.1980~0~0~~~~~\r\n");
    QTest::addRow("umlauts") << "Jürgen;Müller;3.8.1970"
                             << QByteArray("J\xfcrgen~M\xfcller~03.08.1970~0~0~~~~~\r\n");
    QTest::addRow("LF ends a line") << "Anna;Muster;1.2.1980\nBert;Abel;2.7.1975\nCarl;Cee;3.3.1933\n"
                                    << QByteArray(
                                           "Anna~Muster~01.02.1980~0~0~~~~~\r\nBert~Abel~02.07.1975~0~0~~~~~"
                                           "\r\nCarl~Cee~03.03.1933~0~0~~~~~\r\n");
    QTest::addRow("LF CR is two ends") << "Anna;Muster;1.2.1980\n\rBert;Abel;2.7.1975"
                                       << QByteArray("Anna~Muster~01.02.1980~0~0~~~~~\r\n"
                                                     "Bert~Abel~02.07.1975~0~0~~~~~\r\n");
    QTest::addRow("date that is none stays")
        << "Anna;Muster;irgendwann" << QByteArray("Anna~Muster~irgendwann~0~0~~~~~\r\n");
}

void ImportTest::sourceLineBecomesListLine()
{
    QFETCH(QString, source);
    QFETCH(QByteArray, list);
    QStringList rows;
    for (const FreeEditionLine& line : FreeEditionLinesFromText(source))
        rows << ImportedRowText(line.fields);
    QCOMPARE(ListFileBytes(rows), list);
}

void ImportTest::forbiddenCharacters_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("line");
    QTest::addColumn<char32_t>("character");
    QTest::addRow("none") << "Anna;Muster;1.2.1980" << 0 << char32_t(0);
    QTest::addRow("~ in the first name, line 3 of the file")
        << "Anna;Muster;1.2.1980\r\n\r\nAn~na;Muster;1.2.1980" << 3 << U'~';
    QTest::addRow("TAB in the last name") << "Anna;Mus\tter;1.2.1980" << 1 << U'\t';
    QTest::addRow("~ in the ignored fourth field") << "Anna;Muster;1.2.1980;a~b" << 0 << char32_t(0);
    QTest::addRow("NUL in the birth date, line 2 after a LF")
        << QString("Anna;Muster;1.2.1980\nBert;Abel;2.7.19") + QChar(0) + "75" << 2 << char32_t(0);
    QTest::addRow("a letter Windows-1252 lacks") << QStringLiteral("Łukasz;Nowak;1.1.1990") << 1 << U'Ł';
    QTest::addRow("beyond 16 bits") << QStringLiteral("Anna;Muster 🎂;1.1.1990") << 1 << U'🎂';
}

void ImportTest::forbiddenCharacters()
{
    QFETCH(QString, source);
    QFETCH(int, line);
    QFETCH(char32_t, character);
    const auto found = FindForbiddenCharacter(FreeEditionLinesFromText(source));
    QCOMPARE(found.has_value(), line > 0);
    if (found) {
        QCOMPARE(found->lineNumber, line);
        QCOMPARE(found->character, character);
    }
}

void ImportTest::loadShowsTheSourceLines()
{
    import1& window = open("Anna;Muster;1.2.1980;x\r\nBert;Abel;02.07.1975\r\n");
    QCOMPARE(window.windowTitle(),
             QStringLiteral("Import der Daten aus der Free-Version von \"Tovalinero\""));
    const auto& requests = fixture_->seams->prompt.fileRequests;
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests[0].title, QStringLiteral("Import von Tovalinerosliste aus der Free-Version"));
    QCOMPARE(requests[0].filter, QStringLiteral("Tovalinerosliste (*.dat)|*.dat"));
    QCOMPARE(window.SourcePath, sourcePath());
    QVERIFY(window.Grid1->isVisible());
    QVERIFY(!window.Grid2->isVisible());
    QCOMPARE(window.Grid1->ColumnCount(), 3);
    QCOMPARE(window.Grid2->ColumnCount(), 10);
    QCOMPARE(window.Grid2->Model()->headerData(9, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("eMail"));
    QCOMPARE(window.Grid1->RowCount(), 2);
    QCOMPARE(window.Grid1->Row(1).GetCell("tov_tovalinero"), QStringLiteral("01.02.1980"));
    QCOMPARE(window.Grid1->Row(2).GetCell("tov_nachname"), QStringLiteral("Abel"));
    QCOMPARE(window.Grid1->CurrentRow(), 1);
    QCOMPARE(window.Command1->text(), QStringLiteral("&Importieren"));
    QCOMPARE(window.Command2->text(), QStringLiteral("&Abbrechen"));
    QVERIFY(window.Label1->text().contains("wird die Datei  angepasst"));
    QVERIFY(fixture_->seams->prompt.messages.isEmpty());
    QVERIFY(QFileInfo(fixture_->folder->folder() + "/report").isDir());
    QVERIFY(!IsBusyPointerShown());
}

void ImportTest::importReplacesTheList_data()
{
    QTest::addColumn<MsgAnswer>("answer");
    QTest::addColumn<int>("programEnds");
    QTest::addRow("Nein") << MsgAnswer::No << 0;
    QTest::addRow("Ja") << MsgAnswer::Yes << 1;
}

void ImportTest::importReplacesTheList()
{
    QFETCH(MsgAnswer, answer);
    QFETCH(int, programEnds);
    import1& window = open("Anna;Muster;1.2.1980;x\r\nBert;Abel;02.07.1975\r\n");
    fixture_->seams->prompt.answers = {answer};
    QTest::mouseClick(window.Command1, Qt::LeftButton);

    const QByteArray imported = "Anna~Muster~01.02.1980~0~0~~~~~\r\nBert~Abel~02.07.1975~0~0~~~~~\r\n";
    QCOMPARE(listBytes(), imported);
    const auto& boxes = fixture_->seams->prompt.messages;
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, QStringLiteral("Ihre Tovalinerosliste wurde erfolgreich importiert.\r\r"
                                           "Das Programm muss nun beendet werden, damit Ihnen nach einem \r"
                                           "Programmneustart die importierte Tovalinerosliste zur Verfügung "
                                           "steht.\r\rSoll das Programm nun beendet werden?"));
    QCOMPARE(boxes[0].title, QStringLiteral("Import abgeschlossen!"));
    QCOMPARE(boxes[0].buttons, MsgButtons::YesNo);
    QCOMPARE(boxes[0].icon, MsgIcon::Exclamation);
    QCOMPARE(fixture_->programEnds, programEnds);
    QVERIFY(!IsBusyPointerShown());
    // The coming birthdays are those of the imported list; Anna's, two days ahead, brings no balloon.
    QCOMPARE(fixture_->upcomingLines(),
             (QStringList{"Anna Muster   (wird 46);2", "Bert Abel   (wird 51);153"}));
    QCOMPARE(fixture_->form().Grid2->Cell(1, 1), QStringLiteral("Anna Muster   (wird 46)"));
    QCOMPARE(fixture_->form().Label4[0]->text(), QStringLiteral("Tovalineroe: 2 - In 2026: 2"));
    QVERIFY(fixture_->seams->tray.balloons.isEmpty());
    if (programEnds)
        return;

    QCOMPARE(Forms::Loaded<import1>(), &window);
    QVERIFY(!window.Command1->isEnabled());
    QVERIFY(window.Grid2->isVisible());
    QVERIFY(!window.Grid1->isVisible());
    QCOMPARE(window.ProgressBar1a->value(), 100);
    QCOMPARE(window.Grid2->RowText(2), QStringLiteral("Bert\tAbel\t02.07.1975\t0\t0\t\t\t\t\t"));
    // The main window shows the imported list, and its next save keeps it.
    Grid* list = fixture_->form().Grid1;
    QCOMPARE(list->RowCount(), 2);
    QCOMPARE(list->Cell(1, 1), QStringLiteral("Anna"));
    QVERIFY(fixture_->form().SaveBirthdayList());
    QCOMPARE(listBytes(), imported);
    QTest::mouseClick(window.Command2, Qt::LeftButton);
    QVERIFY(!Forms::Loaded<import1>());
}

void ImportTest::nothingToImport_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QByteArray>("source");
    QTest::addRow("Cancel in the dialog") << true << QByteArray();
    QTest::addRow("empty file") << false << QByteArray();
    QTest::addRow("empty lines only") << false << QByteArray("\r\n;;\r\n");
}

void ImportTest::nothingToImport()
{
    QFETCH(bool, cancel);
    QFETCH(QByteArray, source);
    if (cancel) {
        Forms::Get<import1>().show();
    } else {
        open(source);
    }
    import1& window = *Forms::Loaded<import1>();
    QVERIFY(fixture_->seams->prompt.messages.isEmpty());
    QCOMPARE(window.Grid1->RowCount(), 0);
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    QCOMPARE(fixture_->seams->prompt.texts(),
             QStringList{"Es sind keine Einträge zum Importieren vorhanden.\r\rDie Tovalinerosliste bleibt "
                         "unverändert."});
    QCOMPARE(listBytes(), OldList);
    QCOMPARE(fixture_->form().Grid1->RowCount(), 1);
    QVERIFY(window.Command1->isEnabled());
    QCOMPARE(fixture_->programEnds, 0);
}

void ImportTest::forbiddenCharacterImportsNothing()
{
    import1& window = open("Anna;Muster;1.2.1980\r\nAn~na;Muster;1.2.1980\r\n");
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    QCOMPARE(fixture_->seams->prompt.texts(),
             QStringList{
                 "Zeile 2 der Datei enthält das Zeichen \"~\", das in der Tovalinerosliste nicht vorkommen "
                 "darf.\r\rEs wurde nichts importiert. Bitte entfernen Sie das Zeichen und starten Sie den "
                 "Import erneut."});
    QCOMPARE(fixture_->seams->prompt.messages[0].icon, MsgIcon::Exclamation);
    QCOMPARE(listBytes(), OldList);
    QCOMPARE(window.Grid2->RowCount(), 0);
    QVERIFY(window.Command1->isEnabled());
}

void ImportTest::sourceFileBecomesListFile_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QString>("refusal");
    const QByteArray anna = "Anna~Muster~01.02.1980~0~0~~~~~\r\n";
    const QByteArray bert = "Bert~Abel~02.07.1975~0~0~~~~~\r\n";
    const QByteArray carl = "Carl~Cee~03.03.1933~0~0~~~~~\r\n";
    const QByteArray joerg = "J\xf6rg~M\xfcller~03.08.1970~0~0~~~~~\r\n";
    QTest::addRow("CR LF") << QByteArray("Anna;Muster;1.2.1980\r\nBert;Abel;2.7.1975\r\n") << anna + bert
                           << "";
    QTest::addRow("LF") << QByteArray("Anna;Muster;1.2.1980\nBert;Abel;2.7.1975\nCarl;Cee;3.3.1933\n")
                        << anna + bert + carl << "";
    QTest::addRow("lone CR") << QByteArray("Anna;Muster;1.2.1980\rBert;Abel;2.7.1975") << anna + bert << "";
    QTest::addRow("mixed") << QByteArray("Anna;Muster;1.2.1980\r\nBert;Abel;2.7.1975\nCarl;Cee;3.3.1933\r")
                           << anna + bert + carl << "";
    QTest::addRow("Windows-1252") << QByteArray("J\xf6rg;M\xfcller;3.8.1970\r\n") << joerg << "";
    QTest::addRow("UTF-8") << QByteArray("J\xc3\xb6rg;M\xc3\xbcller;3.8.1970\n") << joerg << "";
    QTest::addRow("UTF-8 with BOM") << QByteArray("\xef\xbb\xbfJ\xc3\xb6rg;M\xc3\xbcller;3.8.1970\n") << joerg
                                    << "";
    QTest::addRow("BOM, then ASCII") << QByteArray("\xef\xbb\xbf"
                                                   "Anna;Muster;1.2.1980\n")
                                     << anna << "";
    QTest::addRow("not valid UTF-8 is Windows-1252")
        << QByteArray("J\xf6rg;\xc3\xa9;3.8.1970\n") << QByteArray("J\xf6rg~\xc3\xa9~03.08.1970~0~0~~~~~\r\n")
        << "";
    QTest::addRow("NUL")
        << QByteArray("Anna;Muster;1.2.1980\nBe\0rt;Abel;2.7.1975\n", 41) << QByteArray()
        << "Zeile 2 der Datei enthält das Zeichen NUL (Nullzeichen), das in der Tovalinerosliste "
           "nicht vorkommen darf.";
    QTest::addRow("UTF-8 beyond Windows-1252")
        << QByteArray("Anna;Muster;1.2.1980\n\xc5\x81ukasz;Nowak;1.1.1990\n") << QByteArray()
        << "Zeile 2 der Datei enthält das Zeichen \"Ł\" (U+0141), das in der Tovalinerosliste nicht "
           "vorkommen darf.";
}

void ImportTest::sourceFileBecomesListFile()
{
    QFETCH(QByteArray, source);
    QFETCH(QByteArray, list);
    QFETCH(QString, refusal);
    import1& window = open(source);
    fixture_->seams->prompt.answers = {MsgAnswer::No};
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    const QStringList texts = fixture_->seams->prompt.texts();
    QCOMPARE(texts.size(), 1);
    if (refusal.isEmpty()) {
        QCOMPARE(listBytes(), list);
        QVERIFY(texts[0].startsWith("Ihre Tovalinerosliste wurde erfolgreich importiert."));
        QCOMPARE(fixture_->form().Grid1->RowCount(), static_cast<int>(list.count("\r\n")));
    } else {
        QCOMPARE(listBytes(), OldList);
        QVERIFY2(texts[0].startsWith(refusal), qPrintable(texts[0]));
        QCOMPARE(fixture_->form().Grid1->RowCount(), 1);
    }
}

void ImportTest::hugeSourceIsRefusedUnread()
{
    if (!MakeSparseFile(sourcePath(), 40 * GiB, "Anna;Muster;1.2.1980\n"))
        QSKIP("no sparse files here");
    const long before = PeakMemoryKiB();
    fixture_->seams->prompt.fileAnswers = {sourcePath()};
    import1& window = Forms::Get<import1>();
    QVERIFY(PeakMemoryKiB() - before < BoundedMemoryKiB);
    QCOMPARE(
        fixture_->seams->prompt.texts(),
        QStringList{"Fehler-Nr.:\r75\r\rBeschreibung:\rDie Datei ist zu groß für eine Tovalinerosliste der "
                    "Free-Version (40,0 GB, höchstens 8,0 MB). Es wurde nichts geladen."});
    QCOMPARE(window.Grid1->RowCount(), 0);
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    QCOMPARE(listBytes(), OldList);
    QFile::remove(sourcePath());
    QVERIFY(!IsBusyPointerShown());
}

void ImportTest::unreadableSourceSaysWhy()
{
    fixture_->seams->prompt.fileAnswers = {fixture_->folder->folder() + "/gibt-es-nicht.dat"};
    import1& window = Forms::Get<import1>();
    const auto& boxes = fixture_->seams->prompt.messages;
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, QStringLiteral("Fehler-Nr.:\r53\r\rBeschreibung:\rDatei nicht gefunden"));
    QCOMPARE(boxes[0].title, QStringLiteral("Fehler"));
    QCOMPARE(boxes[0].icon, MsgIcon::Critical);
    QCOMPARE(window.Grid1->RowCount(), 0);
    QCOMPARE(window.Grid2->ColumnCount(), 10);
    QVERIFY(!IsBusyPointerShown());
}

void ImportTest::failedWriteKeepsTheList_data()
{
    QTest::addColumn<bool>("readOnly");
    QTest::addRow("full disk") << false;
    QTest::addRow("read-only list file") << true;
}

void ImportTest::failedWriteKeepsTheList()
{
    QFETCH(bool, readOnly);
    const QString list = fixture_->folder->data("tovalinero.dat");
    if (readOnly) {
        if (geteuid() == 0)
            QSKIP("root writes read-only files");
        QFile::setPermissions(list, QFile::ReadOwner);
    }
    import1& window = open("Anna;Muster;1.2.1980\r\n");
    {
        const FileSizeLimit diskFull(readOnly ? RLIM_INFINITY : 10);
        QTest::mouseClick(window.Command1, Qt::LeftButton);
    }
    QFile::setPermissions(list, QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(listBytes(), OldList);
    const auto& boxes = fixture_->seams->prompt.messages;
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes[0].text.startsWith("Die importierte Tovalinerosliste konnte nicht gespeichert werden:\r"));
    QCOMPARE(boxes[0].icon, MsgIcon::Critical);
    QCOMPARE(fixture_->form().Grid1->RowCount(), 1);
    QCOMPARE(fixture_->programEnds, 0);
    QVERIFY(!IsBusyPointerShown());
}

void ImportTest::abbrechenChangesNothing()
{
    import1& window = open("Anna;Muster;1.2.1980\r\n");
    QTest::mouseClick(window.Command2, Qt::LeftButton);
    QVERIFY(!Forms::Loaded<import1>());
    QCOMPARE(listBytes(), OldList);
    QCOMPARE(fixture_->form().Grid1->RowCount(), 1);
    QCOMPARE(fixture_->seams->prompt.messages.size(), 0);
}

void ImportTest::longSourceTellsAssistiveTechnologyLittle()
{
    // What a screen reader is told follows the grids' models and the bar: the preview is one
    // change of the source grid, and the saving pass moves the bar only where its percent does.
    QByteArray source;
    for (int i = 0; i < 3000; ++i)
        source += QStringLiteral("Vor%1;Nach%1;1.2.1980\r\n").arg(i).toLatin1();
    import1& window = open(source);
    QCOMPARE(window.Grid1->RowCount(), 3000);
    QSignalSpy reset(window.Grid1->Model(), &QAbstractItemModel::modelReset);
    QSignalSpy inserted(window.Grid1->Model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(window.Grid1->Model(), &QAbstractItemModel::dataChanged);
    window.LoadFreeEditionList();
    QCOMPARE(window.Grid1->RowCount(), 6000);
    QCOMPARE(reset.size(), 1);
    QCOMPARE(inserted.size(), 0);
    QCOMPARE(changed.size(), 0);

    for (int i = 1; i <= 3000; ++i)
        window.Grid2->AddRow(QStringLiteral("Vor%1\tNach%1\t01.02.1980\t0\t0\t\t\t\t\t").arg(i), 0);
    QSignalSpy shown(window.ProgressBar1a, &QProgressBar::valueChanged);
    fixture_->seams->prompt.answers = {MsgAnswer::No};
    window.SaveImportedList();
    QCOMPARE(shown.size(), 100);
    QCOMPARE(shown.last().at(0).toInt(), 100);
}

QTEST_MAIN(ImportTest)
#include "tst_import.moc"
