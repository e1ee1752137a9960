#include "app/programfolderlayout.h"
#include "common/forms.h"
#include "common/globale_variablen.h"
#include "common/mousepointer.h"
#include "common/outbar.h"
#include "common/sevtext.h"
#include "common/textfile.h"
#include "greetings/greetingsender.h"
#include "platform/programfolder.h"
#include "settings/optionen1.h"
#include "settings/settingsfile.h"
#include "support/fakes.h"
#include "support/filesizelimit.h"
#include "support/programfolderfixture.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolBox>
#include <QToolButton>
#include <optional>

namespace
{

const QString ErrorBox13 = QStringLiteral("Fehler-Nr.:\r13\r\rBeschreibung:\rTypen unverträglich");

// The file an untouched dialog writes, spelled out line by line.
QStringList designTimeFile(const QString& programPath)
{
    QStringList lines = {"3600", " 0 ", "", programPath, " 0 ", "",    "",     "",      "",
                         " 0 ",  "",    "", "",          " 0 ", "",    " 0 ",  "10",    "",
                         "10",   " 0 ", "", "",          "2",   " 0 ", "True", "False", "False"};
    for (int n = 28; n <= 60; ++n)
        lines << QStringLiteral("<Zeile %1>").arg(n);
    lines << QString(73, '#');
    lines << "#               Einstellungen von Tovalinero Pro V2                     #";
    lines << "#" + QString(24, ' ') + "www.tovalinero.example" + QString(25, ' ') + "#";
    lines << QString(73, '#');
    return lines;
}

QByteArray bytesOf(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += EncodeCp1252(line) + "\r\n";
    return bytes;
}

} // namespace

class OptionsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        FormRegistry::setProgramEndHandler([] {});
    }
    void init();
    void cleanup();
    void untouchedSaveWritesTheDesignTimeFile();
    void saveRestoresFixedAndReservedLines_data();
    void saveRestoresFixedAndReservedLines();
    void loadedValueRoundTrips_data();
    void loadedValueRoundTrips();
    void startTab_data();
    void startTab();
    void loadError_data();
    void loadError();
    void closingWithoutOkLeavesTheFile_data();
    void closingWithoutOkLeavesTheFile();
    void barGroupsAndItems();
    void barItemsShowExactlyOnePage_data();
    void barItemsShowExactlyOnePage();
    void soundChooser_data();
    void soundChooser();
    void numericFieldsRefuseInput_data();
    void numericFieldsRefuseInput();
    void priorityList();
    void unstorableTextIsRefused_data();
    void unstorableTextIsRefused();
    void everyUnstorableFieldInOneMessage();
    void okUnderAFolderOutsideTheCodePage_data();
    void okUnderAFolderOutsideTheCodePage();
    void failedWriteKeepsTheDialogOpen_data();
    void failedWriteKeepsTheDialogOpen();
    void badLineKeepsTheLinesAfterItOnOk();
    void numberOutOfRangeIsRefused_data();
    void numberOutOfRangeIsRefused();
    void numberLoadedWithBlanksCanBeEdited();
    void barItemChosenWithoutAClickShowsItsPage();
    void fullDiskKeepsTheOldSettingsAndNoCopy();
    void killedSaveLeavesNoCopyOfThePassword();
    void senderNameReachesGreetingsAtOnce_data();
    void senderNameReachesGreetingsAtOnce();

private:
    optionen1& open() { return Forms::Get<optionen1>(); }
    QString programPath() const { return QDir::toNativeSeparators(folder_->programPath()); }
    QByteArray settingsBytes() const { return folder_->readBytes(Settings::Path()); }
    QStringList settingsLines() const;
    std::unique_ptr<FakeSeams> seams_;
    std::unique_ptr<ProgramFolderFixture> folder_;
};

void OptionsTest::init()
{
    seams_ = std::make_unique<FakeSeams>();
    folder_ = std::make_unique<ProgramFolderFixture>();
}

void OptionsTest::cleanup()
{
    UnloadAllForms();
    FlushDeletedWindows();
    folder_.reset();
    seams_.reset();
    ShowNormalPointer();
}

QStringList OptionsTest::settingsLines() const
{
    QString text = DecodeCp1252(settingsBytes());
    if (!text.endsWith("\r\n"))
        return {"<no CR LF at the end>"};
    text.chop(2);
    return text.split("\r\n");
}

void OptionsTest::untouchedSaveWritesTheDesignTimeFile()
{
    const QByteArray expected = bytesOf(designTimeFile(programPath()));
    QCOMPARE(settingsBytes(), expected);
    open().Command1_Click();
    QVERIFY(seams_->prompt.messages.isEmpty());
    QCOMPARE(settingsBytes(), expected);
    QVERIFY(!IsBusyPointerShown());
    FlushDeletedWindows();
    QVERIFY(!Forms::Loaded<optionen1>());
    // The password lives in this file: only its owner may read it.
    QCOMPARE(QFile::permissions(Settings::Path()) & (QFile::ReadGroup | QFile::ReadOther),
             QFile::Permissions());
}

void OptionsTest::saveRestoresFixedAndReservedLines_data()
{
    QTest::addColumn<QList<int>>("lines");
    QTest::addColumn<QStringList>("values");
    QTest::addRow("reserved lines hold text") << QList<int>{21, 22} << QStringList{"alt", " 7 "};
    QTest::addRow("placeholders and box changed")
        << QList<int>{28, 45, 61, 63, 64} << QStringList{"x", "", "#", "y", ""};
    QTest::addRow("older layout without start tabs")
        << QList<int>{25, 26, 27} << QStringList{"<Zeile 25>", "<Zeile 26>", "<Zeile 27>"};
    QTest::addRow("line 4 names another program")
        << QList<int>{4} << QStringList{"C:\\Programme\\Tovalinero\\tovalinero.exe"};
}

void OptionsTest::saveRestoresFixedAndReservedLines()
{
    QFETCH(QList<int>, lines);
    QFETCH(QStringList, values);
    for (int i = 0; i < lines.size(); ++i)
        folder_->setSetting(lines[i], values[i]);
    open().Command1_Click();
    QVERIFY(seams_->prompt.messages.isEmpty());
    QCOMPARE(settingsLines(), designTimeFile(programPath()));
}

void OptionsTest::loadedValueRoundTrips_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("written");
    QTest::addRow("1 without blanks is ticked") << 2 << "1"
                                                << "xpCheck1"
                                                << "ticked"
                                                << " 1 ";
    QTest::addRow("1 with blanks is ticked") << 14 << " 1 "
                                             << "Check1"
                                             << "ticked"
                                             << " 1 ";
    QTest::addRow("0 without blanks is not ticked") << 10 << "0"
                                                    << "chkAUTH"
                                                    << "not ticked"
                                                    << " 0 ";
    QTest::addRow("update check ticked") << 24 << " 1 "
                                         << "check_Update"
                                         << "ticked"
                                         << " 1 ";
    QTest::addRow("blanks kept") << 6 << "  Anna Muster "
                                 << "assiName"
                                 << "  Anna Muster "
                                 << "  Anna Muster ";
    QTest::addRow("password as typed") << 12 << "pa ss*wört"
                                       << "assiPasswort"
                                       << "pa ss*wört"
                                       << "pa ss*wört";
    QTest::addRow("euro in the subject") << 13 << "Alles Gute € "
                                         << "mailBetreff"
                                         << "Alles Gute € "
                                         << "Alles Gute € ";
    QTest::addRow("priority") << 15 << "Niedrig"
                              << "txtPrio"
                              << "Niedrig"
                              << "Niedrig";
    QTest::addRow("longer than its field") << 1 << "1234567"
                                           << "txtTime"
                                           << "1234567"
                                           << "1234567";
    QTest::addRow("outside its range") << 23 << "0"
                                       << "txtVorwarnzeit"
                                       << "0"
                                       << "0";
    QTest::addRow("sender name") << 18 << "Anna Muster"
                                 << "txtBenutzername"
                                 << "Anna Muster"
                                 << "Anna Muster";
}

void OptionsTest::loadedValueRoundTrips()
{
    QFETCH(int, line);
    QFETCH(QString, value);
    QFETCH(QString, control);
    QFETCH(QString, shown);
    QFETCH(QString, written);
    folder_->setSetting(line, value);
    optionen1& dialog = open();
    QVERIFY(seams_->prompt.messages.isEmpty());
    if (auto* box = dialog.findChild<QCheckBox*>(control))
        QCOMPARE(box->isChecked() ? QStringLiteral("ticked") : QStringLiteral("not ticked"), shown);
    else
        QCOMPARE(dialog.findChild<SevText*>(control)->Text(), shown);
    dialog.Command1_Click();
    QStringList expected = designTimeFile(programPath());
    expected[line - 1] = written;
    QCOMPARE(settingsLines(), expected);
}

void OptionsTest::startTab_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("errorBox");
    QTest::addColumn<QStringList>("written");
    const QStringList first = {"True", "False", "False"};
    QTest::addRow("welcome") << first << "check_Tab1" << false << first;
    QTest::addRow("upcoming") << QStringList{"False", "True", "False"} << "check_Tab2" << false
                              << QStringList{"False", "True", "False"};
    QTest::addRow("list") << QStringList{"False", "False", "True"} << "check_Tab3" << false
                          << QStringList{"False", "False", "True"};
    QTest::addRow("numbers as truth values")
        << QStringList{" 0 ", " 0 ", " 1 "} << "check_Tab3" << false << QStringList{"False", "False", "True"};
    QTest::addRow("older layout marker")
        << QStringList{"<Zeile 25>", "kaputt", "kaputt"} << "check_Tab1" << false << first;
    // Line 25 does not read; the lines after it still do.
    QTest::addRow("marker in another case") << QStringList{"<zeile 25>", "False", "True"} << "check_Tab3"
                                            << true << QStringList{"False", "False", "True"};
    QTest::addRow("none selected") << QStringList{"False", "False", "False"} << "" << false
                                   << QStringList{"False", "False", "False"};
}

void OptionsTest::startTab()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, selected);
    QFETCH(bool, errorBox);
    QFETCH(QStringList, written);
    for (int i = 0; i < 3; ++i)
        folder_->setSetting(25 + i, lines[i]);
    optionen1& dialog = open();
    QCOMPARE(seams_->prompt.texts(), errorBox ? QStringList{ErrorBox13} : QStringList());
    for (QRadioButton* option : {dialog.check_Tab1, dialog.check_Tab2, dialog.check_Tab3})
        QCOMPARE(option->isChecked(), option->objectName() == selected);
    seams_->prompt.messages.clear();
    dialog.Command1_Click();
    QCOMPARE(settingsLines().mid(24, 3), written);
}

void OptionsTest::loadError_data()
{
    QTest::addColumn<QStringList>("file");
    QTest::addColumn<QStringList>("expected");
    QTest::addRow("missing file") << QStringList{"<missing>"}
                                  << QStringList{"txtTime=3600",   "xpCheck1=not ticked",
                                                 "txtKB=10",       "txtVorwarnzeit=2",
                                                 "txtSekunden=10", "check_Tab1=ticked"};
    QStringList badAuth = designTimeFile("/alt/tovalinero");
    badAuth[0] = "900";
    badAuth[8] = "smtp.example.org";
    badAuth[9] = "ja";
    badAuth[10] = "anna";
    badAuth[22] = "7";
    QTest::addRow("line 10 is no number")
        << badAuth << QStringList{"txtTime=900",           "assiSMTP=smtp.example.org", "chkAUTH=not ticked",
                                  "assiBenutzername=anna", "txtVorwarnzeit=7",          "txtFilename="};
    QStringList empty2 = designTimeFile("/alt/tovalinero");
    empty2[1] = "";
    empty2[2] = "/ton.wav";
    QTest::addRow("empty whole-number line") << empty2 << QStringList{"sevText1=/ton.wav", "txtTime=3600"};
    QStringList shortFile = designTimeFile("/alt/tovalinero").mid(0, 24);
    shortFile[2] = "/sounds/ton.wav";
    shortFile[22] = "5";
    shortFile.last() = " 1 ";
    QTest::addRow("file ends after line 24") << shortFile
                                             << QStringList{"sevText1=/sounds/ton.wav", "txtVorwarnzeit=5",
                                                            "check_Update=ticked", "check_Tab1=ticked"};
}

void OptionsTest::loadError()
{
    QFETCH(QStringList, file);
    QFETCH(QStringList, expected);
    if (file == QStringList{"<missing>"})
        QVERIFY(QFile::remove(Settings::Path()));
    else
        folder_->writeLines(Settings::Path(), file);
    optionen1& dialog = open();
    QCOMPARE(seams_->prompt.messages.size(), 1);
    const MessageRequest box = seams_->prompt.messages[0];
    QCOMPARE(box.text, ErrorBox13);
    QCOMPARE(box.title, QStringLiteral("Fehler"));
    QCOMPARE(box.icon, MsgIcon::Critical);
    QCOMPARE(box.buttons, MsgButtons::Ok);
    QVERIFY(!IsBusyPointerShown());
    for (const QString& check : expected) {
        const QString name = check.section('=', 0, 0);
        const QString value = check.section('=', 1);
        if (name == QLatin1String("txtFilename")) {
            // Whatever the file held, the field names the running program.
            QCOMPARE(dialog.txtFilename->Text(), programPath());
        } else if (auto* button = dialog.findChild<QAbstractButton*>(name)) {
            QCOMPARE(button->isChecked() ? QStringLiteral("ticked") : QStringLiteral("not ticked"), value);
        } else {
            QCOMPARE(dialog.findChild<SevText*>(name)->Text(), value);
        }
    }
    // The dialog still opens on its start page and can write a complete file.
    QVERIFY(!dialog.Frame1->isHidden());
    dialog.Command1_Click();
    QCOMPARE(settingsLines().size(), Settings::LineCount);
}

void OptionsTest::closingWithoutOkLeavesTheFile_data()
{
    QTest::addColumn<QString>("how");
    QTest::addRow("Abbrechen") << "Command2";
    QTest::addRow("title bar") << "close";
    QTest::addRow("escape key") << "escape";
}

void OptionsTest::closingWithoutOkLeavesTheFile()
{
    QFETCH(QString, how);
    folder_->setSetting(Settings::SmtpServer, "mail.example.org");
    const QByteArray before = settingsBytes();
    optionen1& dialog = open();
    dialog.show();
    dialog.txtTime->SetText("60");
    dialog.assiSMTP->SetText("anders.example.org");
    dialog.xpCheck1->setChecked(true);
    dialog.check_Tab3->setChecked(true);
    if (how == QLatin1String("Command2"))
        dialog.Command2->click();
    else if (how == QLatin1String("close"))
        dialog.close();
    else
        QTest::keyClick(&dialog, Qt::Key_Escape);
    FlushDeletedWindows();
    QVERIFY(!Forms::Loaded<optionen1>());
    QCOMPARE(settingsBytes(), before);
    QVERIFY(seams_->prompt.messages.isEmpty());
}

void OptionsTest::barGroupsAndItems()
{
    OutBar* bar = open().OutBar1;
    QStringList captions;
    for (int group = 1; group <= bar->GroupCount(); ++group) {
        captions << bar->GroupCaption(group);
        for (int item = 1; item <= bar->ItemCount(group); ++item)
            captions << "  " + bar->ItemCaption(group, item);
    }
    const QStringList expected = {"&Programm",
                                  "  P&rüfintervall",
                                  "  &Autostart u. Update",
                                  "  &Hinweistöne",
                                  "  &Bevorstehende Tovalineroe",
                                  "e&Mail",
                                  "  &SMTP-Konto einrichten",
                                  "  &eMail-Einstellungen",
                                  "  &Dateianhang zippen",
                                  "&Sonstiges",
                                  "  &Benutzername",
                                  "  &Hinweise auto. schließen",
                                  "  &Starteinstellungen"};
    QCOMPARE(captions, expected);
}

void OptionsTest::barItemsShowExactlyOnePage_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("title");
    QTest::addRow("start page") << QStringList() << "Frame1"
                                << "Programmeinstellungen";
    QTest::addRow("1,1") << QStringList{"1,1"} << "Frame2"
                         << "Prüfintervall";
    QTest::addRow("1,2") << QStringList{"1,2"} << "Frame3"
                         << "Autostart";
    QTest::addRow("1,3") << QStringList{"1,3"} << "Frame6"
                         << "Hinweistöne";
    QTest::addRow("1,4") << QStringList{"1,4"} << "Frame11"
                         << "Bevorstehende Tovalineroe";
    QTest::addRow("2,1") << QStringList{"2,1"} << "Frame4"
                         << "SMTP-eMail-Konto (Postausgangsserver)";
    QTest::addRow("2,2") << QStringList{"2,2"} << "Frame5"
                         << "Weitere eMail-Einstellungen";
    QTest::addRow("2,3") << QStringList{"2,3"} << "Frame7"
                         << "Dateianhang zippen";
    QTest::addRow("3,1") << QStringList{"3,1"} << "Frame8"
                         << "Benutzername";
    QTest::addRow("3,2") << QStringList{"3,2"} << "Frame9"
                         << "Fenster automatisch nach x Sekunden schließen";
    QTest::addRow("3,3") << QStringList{"3,3"} << "Frame12"
                         << "Starteinstellungen";
    QTest::addRow("a sequence") << QStringList{"3,3", "1,1", "2,3", "1,2"} << "Frame3"
                                << "Autostart";
    QTest::addRow("unknown pairs change nothing")
        << QStringList{"2,1", "2,4", "4,1", "0,0", "1,5"} << "Frame4"
        << "SMTP-eMail-Konto (Postausgangsserver)";
}

void OptionsTest::barItemsShowExactlyOnePage()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, page);
    QFETCH(QString, title);
    optionen1& dialog = open();
    dialog.show();
    for (const QString& click : clicks) {
        const int group = click.section(',', 0, 0).toInt();
        const int item = click.section(',', 1).toInt();
        if (QAbstractButton* button = dialog.OutBar1->ItemButton(group, item)) {
            dialog.OutBar1->OpenGroup(group);
            QTest::mouseClick(button, Qt::LeftButton);
        } else {
            dialog.OutBar1_ItemClick(group, item);
        }
    }
    QStringList visible;
    for (QGroupBox* frame : dialog.Pages())
        if (frame->isVisible())
            visible << frame->objectName();
    QCOMPARE(visible, QStringList{page});
    QStringList labels;
    for (QLabel* label : dialog.findChild<QGroupBox*>(page)->findChildren<QLabel*>())
        labels << label->text();
    QVERIFY2(labels.contains(title), qPrintable(labels.join(" | ")));
}

void OptionsTest::soundChooser_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("field");
    QTest::addRow("cancel keeps the path") << ""
                                           << "/alt/ton.wav";
    QTest::addRow("choice replaces the path") << "<folder>/sounds/glocke.wav"
                                              << "<folder>/sounds/glocke.wav";
}

void OptionsTest::soundChooser()
{
    QFETCH(QString, answer);
    QFETCH(QString, field);
    answer.replace("<folder>", folder_->folder());
    field.replace("<folder>", folder_->folder());
    folder_->setSetting(Settings::ReminderSoundFile, "/alt/ton.wav");
    const QByteArray before = settingsBytes();
    optionen1& dialog = open();
    seams_->prompt.fileAnswers = QStringList{answer};
    QTest::mouseClick(dialog.sevText1->Button(), Qt::LeftButton);
    QCOMPARE(seams_->prompt.fileRequests.size(), 1);
    const FileRequest request = seams_->prompt.fileRequests[0];
    QCOMPARE(request.title, QStringLiteral("Alarmdatei festlegen..."));
    QCOMPARE(request.folder, folder_->folder() + "/sounds/");
    QCOMPARE(request.fileName, QString());
    QCOMPARE(request.filter, QStringLiteral("Wave-Datei (*.wav)|*.wav"));
    QCOMPARE(request.defaultExtension, QStringLiteral(".wav"));
    QCOMPARE(dialog.sevText1->Text(), QDir::toNativeSeparators(field));
    QVERIFY(seams_->sound.played.isEmpty());
    QCOMPARE(settingsBytes(), before);
    // The test button plays what the field holds now, saved or not.
    QTest::mouseClick(dialog.Command3, Qt::LeftButton);
    QCOMPARE(seams_->sound.played, QStringList{QDir::toNativeSeparators(field)});
    QCOMPARE(dialog.Command3->toolTip(), QStringLiteral("Testen"));
}

void OptionsTest::numericFieldsRefuseInput_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("result");
    QTest::addRow("interval at its maximum") << "txtTime"
                                             << "86400"
                                             << "86400";
    QTest::addRow("interval above its maximum") << "txtTime"
                                                << "99999"
                                                << "9999";
    QTest::addRow("interval at most 5 digits") << "txtTime"
                                               << "123456"
                                               << "12345";
    QTest::addRow("letters and signs refused") << "txtTime"
                                               << "1a-2.3"
                                               << "123";
    QTest::addRow("seconds at most 2 digits") << "txtSekunden"
                                              << "123"
                                              << "12";
    QTest::addRow("lead time above 364") << "txtVorwarnzeit"
                                         << "365"
                                         << "36";
    QTest::addRow("lead time 364") << "txtVorwarnzeit"
                                   << "364"
                                   << "364";
    QTest::addRow("size field takes any text") << "txtKB"
                                               << "ab 1234567"
                                               << "ab 1234567";
}

void OptionsTest::numericFieldsRefuseInput()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, result);
    auto* box = open().findChild<SevText*>(field);
    QVERIFY(box);
    box->SetText(QString());
    QTest::keyClicks(box->Edit(), typed);
    QCOMPARE(box->Text(), result);
}

void OptionsTest::priorityList()
{
    folder_->setSetting(Settings::MailPrioritySetting, "Normal");
    optionen1& dialog = open();
    QCOMPARE(dialog.txtPrio->Items(), (QStringList{"Hoch", "Normal", "Niedrig"}));
    QCOMPARE(dialog.txtPrio->Text(), QStringLiteral("Normal"));
    QTest::keyClick(dialog.txtPrio->Edit(), Qt::Key_Down);
    QCOMPARE(dialog.txtPrio->Text(), QStringLiteral("Niedrig"));
    QTest::keyClick(dialog.txtPrio->Edit(), Qt::Key_Up);
    QTest::keyClick(dialog.txtPrio->Edit(), Qt::Key_Up);
    QCOMPARE(dialog.txtPrio->Text(), QStringLiteral("Hoch"));
    dialog.Command1_Click();
    QCOMPARE(settingsLines().at(14), QStringLiteral("Hoch"));
}

void OptionsTest::unstorableTextIsRefused_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::addRow("not in the code page")
        << "assiName" << QStringLiteral("Łukasz")
        << QStringLiteral("Das Feld \"Ihr Name\" enthält das Zeichen \"Ł\", das in der Einstellungsdatei "
                          "nicht gespeichert "
                          "werden kann.");
    QTest::addRow("four characters of one name")
        << "assiName" << QStringLiteral("Łukasz Żółć")
        << QStringLiteral(
               "Das Feld \"Ihr Name\" enthält die Zeichen \"Ł\", \"Ż\", \"ł\" und \"ć\", die in der "
               "Einstellungsdatei nicht gespeichert werden können.");
    QTest::addRow("line break and a character")
        << "mailBetreff" << QStringLiteral("Alles\nGute ✓")
        << QStringLiteral("Das Feld \"Betreffzeile\" darf keinen Zeilenumbruch enthalten.\nDas Feld "
                          "\"Betreffzeile\" enthält das Zeichen \"✓\", das in der Einstellungsdatei nicht "
                          "gespeichert werden kann.");
    QTest::addRow("line break") << "mailBetreff"
                                << "Alles\r\nGute"
                                << "Das Feld \"Betreffzeile\" darf keinen Zeilenumbruch enthalten.";
}

void OptionsTest::unstorableTextIsRefused()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    const QByteArray before = settingsBytes();
    optionen1& dialog = open();
    dialog.show();
    dialog.findChild<SevText*>(field)->SetText(text);
    dialog.Command1_Click();
    QCOMPARE(seams_->prompt.texts(), QStringList{message});
    QCOMPARE(seams_->prompt.messages[0].icon, MsgIcon::Exclamation);
    QCOMPARE(settingsBytes(), before);
    FlushDeletedWindows();
    QVERIFY(Forms::Loaded<optionen1>());
    QVERIFY(!IsBusyPointerShown());
    // The page holding the field comes up, so the user finds it.
    QVERIFY(dialog.Frame4->isVisible() || dialog.Frame5->isVisible());
}

// Every field and character in the first message, the two fields named "Benutzername" told
// apart by their pages; after one correction "OK" saves.
void OptionsTest::everyUnstorableFieldInOneMessage()
{
    optionen1& dialog = open();
    dialog.show();
    dialog.assiName->SetText("Łukasz Żółć");
    dialog.assiBenutzername->SetText("łukasz");
    dialog.mailBetreff->SetText("Wszystkiego najlepszego ✓");
    dialog.txtBenutzername->SetText("Łukasz");
    dialog.Command1_Click();
    QCOMPARE(
        seams_->prompt.texts(),
        QStringList{
            "Das Feld \"Ihr Name\" enthält die Zeichen \"Ł\", \"Ż\", \"ł\" und \"ć\", die in der "
            "Einstellungsdatei nicht gespeichert werden können.\n"
            "Das Feld \"Benutzername\" auf der Seite \"SMTP-eMail-Konto (Postausgangsserver)\" enthält das "
            "Zeichen \"ł\", das in der Einstellungsdatei nicht gespeichert werden kann.\n"
            "Das Feld \"Betreffzeile\" enthält das Zeichen \"✓\", das in der Einstellungsdatei nicht "
            "gespeichert werden kann.\n"
            "Das Feld \"Benutzername\" auf der Seite \"Benutzername\" enthält das Zeichen \"Ł\", das in der "
            "Einstellungsdatei nicht gespeichert werden kann."});
    QVERIFY(dialog.Frame4->isVisible());
    QCOMPARE(dialog.focusWidget(), dialog.assiName->Edit());
    dialog.assiName->SetText("Lukasz Zolc");
    dialog.assiBenutzername->SetText("lukasz");
    dialog.mailBetreff->SetText("Wszystkiego najlepszego");
    dialog.txtBenutzername->SetText("Lukasz");
    dialog.Command1_Click();
    QCOMPARE(seams_->prompt.messages.size(), 1);
    const QStringList saved = settingsLines();
    QCOMPARE(saved[Settings::SmtpFromName - 1], QStringLiteral("Lukasz Zolc"));
    QCOMPARE(saved[Settings::SmtpUserName - 1], QStringLiteral("lukasz"));
    QCOMPARE(saved[Settings::GreetingSenderName - 1], QStringLiteral("Lukasz"));
}

void OptionsTest::okUnderAFolderOutsideTheCodePage_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("line4");
    QTest::addRow("Polish letters") << "home/łukasz/Łódź"
                                    << "home/?ukasz/?ód?";
    QTest::addRow("beyond U+FFFF") << "ordner-\U0001F600"
                                   << "ordner-??";
    QTest::addRow("line break in a folder name") << "a\nb"
                                                 << "a?b";
}

// The program's path is no field the user can mend, so it never blocks saving: it is written
// as the code page holds it, and the dialog shows the real one whatever the file says.
void OptionsTest::okUnderAFolderOutsideTheCodePage()
{
    QFETCH(QString, folder);
    QFETCH(QString, line4);
    const QString program = folder_->folder() + "/" + folder;
    QCOMPARE(LayOutProgramFolder(TOVALINERO_RESOURCES, program, program + "/tovalinero"), QStringList());
    SetProgramFolder(program, program + "/tovalinero");
    const QString expected = QDir::toNativeSeparators(folder_->folder() + "/" + line4 + "/tovalinero");
    {
        optionen1& dialog = open();
        QCOMPARE(dialog.txtFilename->Text(), QDir::toNativeSeparators(program + "/tovalinero"));
        dialog.assiName->SetText("Anna");
        dialog.Command1_Click();
        QVERIFY(seams_->prompt.messages.isEmpty());
        FlushDeletedWindows();
        QVERIFY(!Forms::Loaded<optionen1>());
    }
    QStringList lines = designTimeFile(expected);
    lines[Settings::SmtpFromName - 1] = "Anna";
    QCOMPARE(settingsBytes(), bytesOf(lines));
    QCOMPARE(QFile::permissions(Settings::Path()) & (QFile::ReadGroup | QFile::ReadOther),
             QFile::Permissions());
    optionen1& again = open();
    QVERIFY(seams_->prompt.messages.isEmpty());
    QCOMPARE(again.txtFilename->Text(), QDir::toNativeSeparators(program + "/tovalinero"));
    QCOMPARE(again.assiName->Text(), QStringLiteral("Anna"));
    again.Command1_Click();
    QCOMPARE(settingsBytes(), bytesOf(lines));
    SetProgramFolder(folder_->folder(), folder_->programPath());
}

void OptionsTest::failedWriteKeepsTheDialogOpen_data()
{
    QTest::addColumn<bool>("folderMissing");
    QTest::addRow("data folder gone") << true;
    QTest::addRow("settings file is a folder") << false;
}

void OptionsTest::failedWriteKeepsTheDialogOpen()
{
    QFETCH(bool, folderMissing);
    optionen1& dialog = open();
    dialog.assiName->SetText("Anna");
    const QString data = folder_->folder() + "/daten";
    if (folderMissing) {
        QVERIFY(QDir(folder_->folder()).rename("daten", "daten-weg"));
    } else {
        QVERIFY(QFile::remove(Settings::Path()));
        QVERIFY(QDir().mkpath(Settings::Path() + "/inhalt"));
    }
    dialog.Command1_Click();
    QCOMPARE(seams_->prompt.messages.size(), 1);
    const MessageRequest box = seams_->prompt.messages[0];
    QVERIFY2(box.text.startsWith("Die Einstellungen konnten nicht gespeichert werden:\n"),
             qPrintable(box.text));
    QCOMPARE(box.icon, MsgIcon::Critical);
    QVERIFY(!IsBusyPointerShown());
    FlushDeletedWindows();
    QCOMPARE(Forms::Loaded<optionen1>(), &dialog);
    if (folderMissing)
        QVERIFY(!QFileInfo::exists(data));
    else
        QVERIFY(QFileInfo(Settings::Path() + "/inhalt").isDir());
    QCOMPARE(dialog.assiName->Text(), QStringLiteral("Anna"));
}

void OptionsTest::badLineKeepsTheLinesAfterItOnOk()
{
    QStringList file = designTimeFile(programPath());
    file[1] = "ja";
    file[8] = "smtp.example.org:587";
    file[9] = " 1 ";
    file[10] = "anna";
    file[11] = "geheim";
    folder_->writeLines(Settings::Path(), file);
    optionen1& dialog = open();
    QCOMPARE(seams_->prompt.messages.size(), 1);
    QCOMPARE(seams_->prompt.messages[0].text, ErrorBox13);
    dialog.Command1_Click();
    const QStringList saved = settingsLines();
    QCOMPARE(saved.mid(8, 4), (QStringList{"smtp.example.org:587", " 1 ", "anna", "geheim"}));
    QCOMPARE(saved[1], QStringLiteral(" 0 "));
}

void OptionsTest::numberOutOfRangeIsRefused_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message");
    QTest::addRow("interval 0")
        << "txtTime"
        << "0"
        << "Das Feld \"Prüfung alle\" muss eine ganze Zahl von 1 bis 86400 enthalten.";
    QTest::addRow("interval empty")
        << "txtTime"
        << ""
        << "Das Feld \"Prüfung alle\" muss eine ganze Zahl von 1 bis 86400 enthalten.";
    QTest::addRow("interval negative from the file")
        << "txtTime"
        << "-5"
        << "Das Feld \"Prüfung alle\" muss eine ganze Zahl von 1 bis 86400 enthalten.";
    QTest::addRow("lead time 0") << "txtVorwarnzeit"
                                 << "0"
                                 << "Das Feld \"Mich bitte\" muss eine ganze Zahl von 1 bis 364 enthalten.";
    QTest::addRow("seconds 100")
        << "txtSekunden"
        << "100"
        << "Das Feld \"Fenster schließen nach\" muss eine ganze Zahl von 1 bis 99 enthalten.";
    QTest::addRow("blanks around a good number") << "txtTime"
                                                 << " 60 " << QString();
}

void OptionsTest::numberOutOfRangeIsRefused()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, message);
    const QByteArray before = settingsBytes();
    optionen1& dialog = open();
    auto* box = dialog.findChild<SevText*>(field);
    box->SetText(value);
    dialog.Command1_Click();
    FlushDeletedWindows();
    if (message.isEmpty()) {
        QVERIFY(seams_->prompt.messages.isEmpty());
        QCOMPARE(settingsLines().value(0), value);
        return;
    }
    QCOMPARE(seams_->prompt.messages.size(), 1);
    QCOMPARE(seams_->prompt.messages[0].text, message);
    QCOMPARE(Forms::Loaded<optionen1>(), &dialog);
    QVERIFY(box->isVisibleTo(&dialog));
    QCOMPARE(settingsBytes(), before);
}

void OptionsTest::numberLoadedWithBlanksCanBeEdited()
{
    folder_->setSetting(Settings::CheckIntervalSeconds, " 5 ");
    optionen1& dialog = open();
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.OutBar1_ItemClick(1, 1);
    QLineEdit* edit = dialog.txtTime->Edit();
    edit->setFocus(Qt::TabFocusReason);
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClicks(edit, "1");
    QCOMPARE(dialog.txtTime->Text(), QStringLiteral("51"));
}

void OptionsTest::barItemChosenWithoutAClickShowsItsPage()
{
    optionen1& dialog = open();
    dialog.show();
    // What a screen reader's "toggle" does: the item becomes the checked one without a click.
    QAbstractButton* item = dialog.OutBar1->ItemButton(2, 1);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(item);
    QVERIFY(accessible && accessible->actionInterface());
    accessible->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QTRY_VERIFY(item->isChecked());
    QVERIFY(dialog.Frame4->isVisibleTo(&dialog));
    QVERIFY(!dialog.Frame1->isVisibleTo(&dialog));
    dialog.OutBar1->ItemButton(3, 3)->setChecked(true);
    QVERIFY(dialog.Frame12->isVisibleTo(&dialog));
}

void OptionsTest::fullDiskKeepsTheOldSettingsAndNoCopy()
{
    const QByteArray before = settingsBytes();
    const QStringList files = QDir(folder_->folder() + "/daten").entryList(QDir::Files | QDir::Hidden);
    optionen1& dialog = open();
    dialog.assiPasswort->SetText("geheim");
    {
        const FileSizeLimit diskFull(100);
        dialog.Command1_Click();
    }
    QCOMPARE(seams_->prompt.messages.size(), 1);
    QVERIFY(
        seams_->prompt.messages[0].text.startsWith("Die Einstellungen konnten nicht gespeichert werden:"));
    QCOMPARE(settingsBytes(), before);
    QCOMPARE(QDir(folder_->folder() + "/daten").entryList(QDir::Files | QDir::Hidden), files);
}

void OptionsTest::killedSaveLeavesNoCopyOfThePassword()
{
    const QByteArray before = settingsBytes();
    const QStringList files = QDir(folder_->folder() + "/daten").entryList(QDir::Files | QDir::Hidden);
    QStringList lines = designTimeFile(programPath());
    lines[11] = "geheim" + QString(4000, 'x');
    QVERIFY(KilledDuringWrite(2000, [&lines] { Settings::WriteAll(lines); }));
    QCOMPARE(settingsBytes(), before);
    QCOMPARE(QDir(folder_->folder() + "/daten").entryList(QDir::Files | QDir::Hidden), files);
}

void OptionsTest::senderNameReachesGreetingsAtOnce_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("signature");
    QTest::addRow("OK") << "OK"
                        << "Jürgen Muster";
    QTest::addRow("OK with the name emptied") << "OK empty"
                                              << "";
    QTest::addRow("Abbrechen") << "Abbrechen"
                               << "Alter Name";
    QTest::addRow("OK on a full disk") << "full"
                                       << "Alter Name";
}

// The next greeting is signed with the name the dialog saved, without a restart; a name that
// was not saved signs nothing.
void OptionsTest::senderNameReachesGreetingsAtOnce()
{
    QFETCH(QString, how);
    QFETCH(QString, signature);
    folder_->setSetting(Settings::GreetingSenderName, "Alter Name");
    Globale_Variablen::SenderName = "Alter Name";
    optionen1& dialog = open();
    QCOMPARE(dialog.txtBenutzername->Text(), QStringLiteral("Alter Name"));
    dialog.txtBenutzername->SetText(how == "OK empty" ? QString() : QStringLiteral("Jürgen Muster"));
    {
        std::optional<FileSizeLimit> diskFull;
        if (how == "full")
            diskFull.emplace(100);
        (how == "Abbrechen" ? dialog.Command2 : dialog.Command1)->click();
    }
    FlushDeletedWindows();
    QCOMPARE(Forms::Loaded<optionen1>() == nullptr, how != "full");
    QCOMPARE(Globale_Variablen::SenderName, signature);
    QCOMPARE(GreetingSender::FillPlaceholders("Viele Grüße, &lt;ABSENDERNAME&gt;"),
             "Viele Grüße, " + signature);
    if (how != "full")
        QCOMPARE(Settings::Read(Settings::GreetingSenderName), signature);
    Globale_Variablen::SenderName.clear();
}

QTEST_MAIN(OptionsTest)
#include "tst_options.moc"
