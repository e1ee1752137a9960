#include "common/forms.h"
#include "common/mousepointer.h"
#include "maintenance/export_excel.h"
#include "platform/office.h"
#include "support/fake_office.h"
#include "support/formfixture.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace
{

QString person(const QString& first, const QString& last, const QString& born)
{
    return QStringList{first, last, born, "1", "0", "", "Weg 1", "12345", "Ort", "a@example.org"}.join('~');
}

// Every cell of the first sheet as openpyxl reads it, each with its type: "s" is text.
QJsonArray workbookCells(const QString& path)
{
    const char* script = R"(
import json, sys, openpyxl
sheet = openpyxl.load_workbook(sys.argv[1]).active
print(json.dumps([[[c.value, c.data_type] for c in row] for row in sheet.iter_rows()]))
)";
    QProcess process;
    process.start("/usr/bin/python3", {"-c", script, path});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QJsonDocument::fromJson(process.readAllStandardOutput()).array();
}

// The names of the workbook's sheets, in their order.
QStringList sheetNames(const QString& path)
{
    const char* script = R"(
import sys, openpyxl
print("\n".join(openpyxl.load_workbook(sys.argv[1]).sheetnames))
)";
    QProcess process;
    process.start("/usr/bin/python3", {"-c", script, path});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

QJsonArray textRow(const QStringList& cells)
{
    QJsonArray row;
    for (const QString& cell : cells)
        row.append(cell.isEmpty() ? QJsonArray{QJsonValue::Null, "n"} : QJsonArray{cell, "s"});
    return row;
}

} // namespace

class ExportTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void windowAtLoad();
    void workbookHoldsTheListAsText();
    void emptyListExportsTheHeader();
    void sheetIsNamedInGerman();
    void overlongCellsAreCutAndNamed();
    void noSpreadsheetProgram();
    void workbookCannotBeWritten();
    void abbrechenExportsNothing();
    void desktopWithoutSpreadsheetProgramRefuses();
    void longExportTellsAssistiveTechnologyLittle();

private:
    export_excel& open();
    std::unique_ptr<FormFixture> fixture_;
    FakeOffice office_;
    QTemporaryDir temp_;
};

void ExportTest::initTestCase()
{
    FormRegistry::setProgramEndHandler([] {});
    qputenv("TMPDIR", QFile::encodeName(temp_.path()));
}

void ExportTest::init()
{
    fixture_ = std::make_unique<FormFixture>();
    office_ = FakeOffice();
    OfficeSeam::install(&office_);
}

void ExportTest::cleanup()
{
    fixture_.reset();
    OfficeSeam::install(nullptr);
    ShowNormalPointer();
    for (const QString& name : QDir(temp_.path()).entryList(QDir::Files))
        QFile::remove(temp_.filePath(name));
}

export_excel& ExportTest::open()
{
    fixture_->form().LoadBirthdayList();
    export_excel& window = Forms::Get<export_excel>();
    window.show();
    return window;
}

void ExportTest::windowAtLoad()
{
    export_excel& window = open();
    QCOMPARE(window.windowTitle(), QStringLiteral("Export der Tovalinerosliste zu Ecxel"));
    QCOMPARE(window.Command1->text(), QStringLiteral("Daten -> &Excel"));
    QCOMPARE(window.Command2->text(), QStringLiteral("&Abbrechen"));
    QVERIFY(window.xpProgress1->isVisible());
    QCOMPARE(window.xpProgress1->value(), 0);
    QCOMPARE(window.xpProgress1->maximum(), 100);
}

void ExportTest::workbookHoldsTheListAsText()
{
    fixture_->writeList({person("Zoë", "Müller", "01.02.1980"), person("=1+1", "", "03.04.1975"),
                         person("Anna", "@SUMME(A1)", "1.2.1980")});
    export_excel& window = open();
    QTest::mouseClick(window.Command1, Qt::LeftButton);

    QCOMPARE(window.xpProgress1->value(), 100);
    QVERIFY(!Forms::Loaded<export_excel>());
    QVERIFY(fixture_->seams->prompt.messages.isEmpty());
    QVERIFY(!IsBusyPointerShown());
    QCOMPARE(office_.spreadsheetsOpened,
             QStringList{temp_.filePath("Tovalinerosliste-2026-01-30-101530.xlsx")});
    const QString path = office_.spreadsheetsOpened[0];
    QCOMPARE(QFile::permissions(path) & (QFile::ReadGroup | QFile::ReadOther), QFileDevice::Permissions());
    QCOMPARE(
        workbookCells(path),
        (QJsonArray{textRow({"Vorname", "Nachname", "Tovalinero"}), textRow({"Zoë", "Müller", "01.02.1980"}),
                    textRow({"=1+1", "", "03.04.1975"}), textRow({"Anna", "@SUMME(A1)", "01.02.1980"})}));

    // A second export in the same second keeps the first workbook.
    open();
    QTest::mouseClick(Forms::Loaded<export_excel>()->Command1, Qt::LeftButton);
    QCOMPARE(office_.spreadsheetsOpened.size(), 2);
    QCOMPARE(office_.spreadsheetsOpened[1], temp_.filePath("Tovalinerosliste-2026-01-30-101530-2.xlsx"));
    QVERIFY(QFile::exists(path));
}

// One sheet, named as a German spreadsheet program names a new one; the tests run under C.UTF-8.
void ExportTest::sheetIsNamedInGerman()
{
    fixture_->writeList({person("Anna", "Meier", "01.02.1980")});
    QTest::mouseClick(open().Command1, Qt::LeftButton);
    QCOMPARE(office_.spreadsheetsOpened.size(), 1);
    QCOMPARE(sheetNames(office_.spreadsheetsOpened[0]), QStringList{"Tabelle1"});
}

void ExportTest::emptyListExportsTheHeader()
{
    export_excel& window = open();
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    QCOMPARE(office_.spreadsheetsOpened.size(), 1);
    QCOMPARE(workbookCells(office_.spreadsheetsOpened[0]),
             QJsonArray{textRow({"Vorname", "Nachname", "Tovalinero"})});
    QVERIFY(fixture_->seams->prompt.messages.isEmpty());
}

// A cell holds 32,767 characters: a longer entry is cut there, every row is exported, and the
// box names each person whose entry was cut, with the column; the list keeps it whole.
void ExportTest::overlongCellsAreCutAndNamed()
{
    const QString limit(32767, 'a');
    fixture_->writeList({person("Anna", QString(40000, 'M'), "01.02.1980"),
                         person("Bert", "Abel", "02.07.1975"), person(limit, "Exakt", "03.03.1933"),
                         person(limit + "b", "Cee", "04.04.1944")});
    const QByteArray list = fixture_->folder->readBytes(fixture_->folder->data("tovalinero.dat"));
    export_excel& window = open();
    QTest::mouseClick(window.Command1, Qt::LeftButton);

    QCOMPARE(office_.spreadsheetsOpened.size(), 1);
    QCOMPARE(workbookCells(office_.spreadsheetsOpened[0]),
             (QJsonArray{textRow({"Vorname", "Nachname", "Tovalinero"}),
                         textRow({"Anna", QString(32767, 'M'), "01.02.1980"}),
                         textRow({"Bert", "Abel", "02.07.1975"}), textRow({limit, "Exakt", "03.03.1933"}),
                         textRow({limit, "Cee", "04.04.1944"})}));
    const auto& boxes = fixture_->seams->prompt.messages;
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].icon, MsgIcon::Exclamation);
    QCOMPARE(boxes[0].buttons, MsgButtons::Ok);
    QCOMPARE(boxes[0].title, QStringLiteral("Tovalinero"));
    QCOMPARE(boxes[0].text,
             "Eine Zelle der Tabelle fasst höchstens 32.767 Zeichen. Diese Einträge sind länger "
             "und wurden in der Tabelle nach 32.767 Zeichen abgeschnitten:\r\n\r\n"
             "Zeile 1: Anna " +
                 QString(55, 'M') + "… (Nachname)\r\nZeile 4: " + QString(60, 'a') +
                 "… (Vorname)\r\n\r\nIn der Tovalinerosliste bleiben sie vollständig erhalten.");
    QCOMPARE(fixture_->folder->readBytes(fixture_->folder->data("tovalinero.dat")), list);
    QVERIFY(!Forms::Loaded<export_excel>());
    QVERIFY(!IsBusyPointerShown());
}

void ExportTest::noSpreadsheetProgram()
{
    fixture_->writeList({person("Anna", "Meier", "01.02.1980")});
    office_.spreadsheetInstalled = false;
    export_excel& window = open();
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    const auto& boxes = fixture_->seams->prompt.messages;
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, "tovalinero   429\r\n" + office_.spreadsheetRefusal);
    QCOMPARE(boxes[0].title, QStringLiteral("Tovalinero"));
    QCOMPARE(boxes[0].icon, MsgIcon::Critical);
    QCOMPARE(boxes[0].buttons, MsgButtons::Ok);
    QVERIFY(!Forms::Loaded<export_excel>());
    QVERIFY(!IsBusyPointerShown());
    // Nobody will open it: the names and birth dates do not stay in the temporary folder.
    QCOMPARE(QDir(temp_.path()).entryList(QDir::Files), QStringList());
}

void ExportTest::workbookCannotBeWritten()
{
    qputenv("TMPDIR", QFile::encodeName(temp_.filePath("fehlt")));
    export_excel& window = open();
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    qputenv("TMPDIR", QFile::encodeName(temp_.path()));
    QCOMPARE(office_.spreadsheetsOpened, QStringList());
    const auto& boxes = fixture_->seams->prompt.messages;
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes[0].text.startsWith("tovalinero   75\r\n"));
    QVERIFY(!Forms::Loaded<export_excel>());
}

void ExportTest::abbrechenExportsNothing()
{
    fixture_->writeList({person("Anna", "Meier", "01.02.1980")});
    export_excel& window = open();
    QTest::mouseClick(window.Command2, Qt::LeftButton);
    QVERIFY(!Forms::Loaded<export_excel>());
    QCOMPARE(office_.spreadsheetsOpened, QStringList());
    QCOMPARE(QDir(temp_.path()).entryList(QDir::Files), QStringList());
}

void ExportTest::desktopWithoutSpreadsheetProgramRefuses()
{
    // A desktop that knows no program for .xlsx files.
    QTemporaryDir empty;
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS"})
        qputenv(name, QFile::encodeName(empty.path()));
    for (const char* name :
         {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID"})
        qunsetenv(name);
    const QString path = temp_.filePath("liste.xlsx");
    fixture_->folder->writeBytes(path, "x");
    QString reason;
    QVERIFY(!DesktopOffice().openSpreadsheet(path, &reason));
    QVERIFY(!reason.isEmpty());
}

void ExportTest::longExportTellsAssistiveTechnologyLittle()
{
    // A screen reader hears every change of the bar: it changes only where the shown percent does.
    QStringList list;
    for (int i = 0; i < 3000; ++i)
        list << person(QStringLiteral("Vor%1").arg(i), "Nach", "01.02.1980");
    fixture_->writeList(list);
    export_excel& window = open();
    QSignalSpy shown(window.xpProgress1, &QProgressBar::valueChanged);
    QSignalSpy listChanged(fixture_->form().Grid1->Model(), &QAbstractItemModel::dataChanged);
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    QCOMPARE(office_.spreadsheetsOpened.size(), 1);
    QCOMPARE(shown.size(), 100);
    QCOMPARE(shown.first().at(0).toInt(), 1);
    QCOMPARE(shown.last().at(0).toInt(), 100);
    QCOMPARE(listChanged.size(), 0);
}

QTEST_MAIN(ExportTest)
#include "tst_export.moc"
