#include "support/formfixture.h"

#include "common/coolbar.h"
#include "common/forms.h"
#include "common/htmled.h"
#include "common/mousepointer.h"
#include "common/sevtext.h"
#include "common/webaddresses.h"
#include "greetings/frmlog.h"
#include "greetings/html_editor.h"
#include "maintenance/datensicherung1.h"
#include "maintenance/export_excel.h"
#include "maintenance/import1.h"
#include "settings/optionen1.h"

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

namespace
{
QString person(const QString& first, const QString& last, const QString& born)
{
    return QStringList{first, last, born, "0", "1", "", "", "", "", ""}.join('~');
}
} // namespace

class MenusTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        FormRegistry::setProgramEndHandler([] {});
    }
    void init() { fixture_ = std::make_unique<FormFixture>(); }
    void cleanup()
    {
        fixture_.reset();
        ShowNormalPointer();
    }
    void menuBarInOrder();
    void menuItem_data();
    void menuItem();
    void dataWindowsOpenModally_data();
    void dataWindowsOpenModally();
    void exitQuestion_data();
    void exitQuestion();
    void helpAndSupport_data();
    void helpAndSupport();
    void f5StartsTheCheck();
    void settingsOpenModally();
    void standardTextOpensTheEditorModally();
    void logbookOpensWithoutWaiting();
    void findAsYouType_data();
    void findAsYouType();
    void findNextHasNoWrapAround();
    void placeholderComesBackOnLeaving();
    void clickIntoTheSearchBoxThenLoeschenDeletesTheSelectedPerson();
    void anotherWindowTakingTheFocusKeepsTheSearch();

private:
    Form1& showList();
    QAction* action(const QString& name) const { return fixture_->form().findChild<QAction*>(name); }
    std::unique_ptr<FormFixture> fixture_;
};

Form1& MenusTest::showList()
{
    fixture_->writeList({person("Anna", "Meier", "01.06.1980"), person("Bert", "Abel", "02.07.1975"),
                         person("Jürgen", "Müller", "03.08.1970")});
    Form1& form = fixture_->form();
    form.LoadBirthdayList();
    form.sevTabStrip1->setCurrentIndex(2);
    form.show();
    form.activateWindow();
    if (!QTest::qWaitForWindowActive(&form))
        qWarning("main window not active");
    return form;
}

void MenusTest::menuBarInOrder()
{
    QStringList layout;
    for (QAction* top : fixture_->form().menuBar()->actions()) {
        QStringList items;
        for (QAction* item : top->menu()->actions())
            items << (item->isSeparator() ? QStringLiteral("-") : item->objectName());
        layout << top->menu()->objectName() + " " + top->text() + ": " + items.join(' ');
    }
    QCOMPARE(layout,
             (QStringList{
                 "datt &Datei: offen1 spunter - import_free expoexcel - datensich - ueberpr - onlup - exi",
                 "opt &Optionen: einst - standtext - log",
                 "frg &?: hel - supportforum - cop",
             }));
}

void MenusTest::menuItem_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<QString>("key");
    QTest::addRow("offen1") << "offen1"
                            << "Tovalinerosliste ö&ffnen" << false << false << "";
    QTest::addRow("spunter") << "spunter"
                             << "Tovalinerosliste speichern &unter..." << false << false << "";
    QTest::addRow("import_free") << "import_free"
                                 << "&Import von Tovalineroen aus der Free-Version" << false << true << "";
    QTest::addRow("expoexcel") << "expoexcel"
                               << "&Export der Tovalineroe -> Excel" << false << false << "";
    QTest::addRow("datensich") << "datensich"
                               << "&Datensicherung / Rücksicherung" << false << false << "";
    QTest::addRow("ueberpr") << "ueberpr"
                             << "&Manuelle Überprüfung starten" << false << false << "F5";
    QTest::addRow("onlup") << "onlup"
                           << "Online-&Update ausführen..." << true << false << "";
    QTest::addRow("exi") << "exi"
                         << "Programm &beenden..." << false << false << "";
    QTest::addRow("einst") << "einst"
                           << "&Einstellungen" << false << false << "";
    QTest::addRow("standtext") << "standtext"
                               << "&Standard-Text festlegen..." << false << false << "";
    QTest::addRow("log") << "log"
                         << "&Logbuch ansehen" << false << false << "";
    QTest::addRow("hel") << "hel"
                         << "&Hilfe" << false << false << "F1";
    QTest::addRow("supportforum") << "supportforum"
                                  << "&Support-Forum..." << true << true << "";
    QTest::addRow("cop") << "cop"
                         << "&Copyright" << false << false << "";
}

void MenusTest::menuItem()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    QFETCH(QString, key);
    QAction* item = action(name);
    QVERIFY(item);
    QCOMPARE(item->text(), caption);
    QCOMPARE(item->font().bold(), bold);
    QCOMPARE(item->font().italic(), italic);
    QCOMPARE(item->shortcut().toString(), key);
    QVERIFY(!item->icon().isNull());
    QVERIFY(!item->isCheckable());
    QVERIFY(item->isEnabled());
}

void MenusTest::dataWindowsOpenModally_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::addRow("import_free") << "import_free"
                                 << "import1"
                                 << "Import der Daten aus der Free-Version von \"Tovalinero\"";
    QTest::addRow("expoexcel") << "expoexcel"
                               << "export_excel"
                               << "Export der Tovalinerosliste zu Ecxel";
    QTest::addRow("datensich") << "datensich"
                               << "datensicherung1"
                               << "Datensicherung";
}

void MenusTest::dataWindowsOpenModally()
{
    QFETCH(QString, name);
    QFETCH(QString, window);
    QFETCH(QString, caption);
    Form1& form = showList();
    form.Label4[0]->clear();
    const int windows = FormRegistry::loadedCount();
    QString shown;
    bool modal = false;
    // Only closes the window: the checks come after the menu's call has returned.
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            shown = dialog->objectName() + " " + dialog->windowTitle();
            modal = dialog->isModal() && dialog->isVisible();
            dialog->reject();
        }
    });
    action(name)->trigger();
    QCOMPARE(shown, window + " " + caption);
    QVERIFY(modal);
    QVERIFY(fixture_->seams->prompt.messages.isEmpty());
    FlushDeletedWindows();
    QCOMPARE(FormRegistry::loadedCount(), windows);
    // After the import the count line is written again.
    QCOMPARE(form.Label4[0]->text().isEmpty(), name != QLatin1String("import_free"));
}

void MenusTest::exitQuestion_data()
{
    QTest::addColumn<MsgAnswer>("answer");
    QTest::addColumn<int>("programEnds");
    QTest::addRow("Ja") << MsgAnswer::Yes << 1;
    QTest::addRow("Nein") << MsgAnswer::No << 0;
}

void MenusTest::exitQuestion()
{
    QFETCH(MsgAnswer, answer);
    QFETCH(int, programEnds);
    const QByteArray list = fixture_->folder->readBytes(fixture_->folder->data("tovalinero.dat"));
    const QByteArray settings = fixture_->folder->readBytes(fixture_->folder->data("einstellungen.dat"));
    fixture_->seams->prompt.answers = {answer};
    action("exi")->trigger();
    const auto& boxes = fixture_->seams->prompt.messages;
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, QStringLiteral("Wollen Sie dieses Programm wirklich beenden?"));
    QCOMPARE(boxes[0].title, QStringLiteral("Programm beenden"));
    QCOMPARE(boxes[0].buttons, MsgButtons::YesNo);
    QCOMPARE(boxes[0].icon, MsgIcon::Question);
    QCOMPARE(fixture_->programEnds, programEnds);
    FlushDeletedWindows();
    QCOMPARE(Forms::Loaded<Form1>() != nullptr, programEnds == 0);
    // Nothing is saved on the way out.
    QCOMPARE(fixture_->folder->readBytes(fixture_->folder->data("tovalinero.dat")), list);
    QCOMPARE(fixture_->folder->readBytes(fixture_->folder->data("einstellungen.dat")), settings);
}

void MenusTest::helpAndSupport_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("help");
    QTest::addColumn<QStringList>("web");
    QTest::addRow("Hilfe") << "hel" << QStringList{"topic <folder>/tovalinero.chm"} << QStringList();
    QTest::addRow("F1") << "F1" << QStringList{"topic <folder>/tovalinero.chm"} << QStringList();
    QTest::addRow("Support-Forum") << "supportforum" << QStringList()
                                   << QStringList{WebAddresses::SupportForum};
}

void MenusTest::helpAndSupport()
{
    QFETCH(QString, how);
    QFETCH(QStringList, help);
    QFETCH(QStringList, web);
    help.replaceInStrings("<folder>", fixture_->folder->folder());
    Form1& form = showList();
    if (how == QLatin1String("F1"))
        QTest::keyClick(&form, Qt::Key_F1);
    else
        action(how)->trigger();
    QCOMPARE(fixture_->seams->help.calls, help);
    QCOMPARE(fixture_->seams->shell.opened, web);
    QVERIFY(fixture_->seams->prompt.messages.isEmpty());
}

void MenusTest::f5StartsTheCheck()
{
    Form1& form = showList();
    fixture_->seams->clock.set(QDateTime(QDate(2026, 5, 30), QTime(9, 0, 0)));
    QVERIFY(form.Label5->text().isEmpty());
    QTest::keyClick(&form, Qt::Key_F5);
    QCOMPARE(form.Label5->text(),
             QStringLiteral("Letzte Überprüfung der Tovalineroe am 30.05.2026 um 09:00:00 Uhr"));
    QCOMPARE(fixture_->upcomingLines(), (QStringList{"Anna Meier   (wird 46);2", "Bert Abel   (wird 51);33",
                                                     "Jürgen Müller   (wird 56);65"}));
}

void MenusTest::settingsOpenModally()
{
    bool modal = false;
    bool onStartPage = false;
    // Only closes the dialog: the checks come after the menu's call has returned.
    QTimer::singleShot(0, [&] {
        if (optionen1* dialog = Forms::Loaded<optionen1>()) {
            modal = dialog->isModal() && dialog->isVisible();
            onStartPage = dialog->Frame1->isVisible();
            dialog->Command2_Click();
        }
    });
    action("einst")->trigger();
    QVERIFY(modal);
    QVERIFY(onStartPage);
    FlushDeletedWindows();
    QVERIFY(!Forms::Loaded<optionen1>());
}

void MenusTest::standardTextOpensTheEditorModally()
{
    bool modal = false;
    bool saveShown = false;
    bool takeOverShown = true;
    QString document;
    // Only closes the editor: the checks come after the menu's call has returned.
    QTimer::singleShot(0, [&] {
        if (HTML_Editor* editor = Forms::Loaded<HTML_Editor>()) {
            modal = editor->isModal() && editor->isVisible();
            saveShown = editor->Command1->isVisible();
            takeOverShown = editor->Command2->isVisible();
            document = editor->HTMLed1->Editor()->toPlainText();
            editor->Command3_Click();
        }
    });
    action("standtext")->trigger();
    QVERIFY(modal);
    QVERIFY(saveShown);
    QVERIFY(!takeOverShown);
    QVERIFY2(document.contains("<ABSENDERNAME>"), qPrintable(document));
    QVERIFY(fixture_->seams->prompt.messages.isEmpty());
    FlushDeletedWindows();
    QVERIFY(!Forms::Loaded<HTML_Editor>());
}

void MenusTest::logbookOpensWithoutWaiting()
{
    action("log")->trigger();
    frmlog* log = Forms::Loaded<frmlog>();
    QVERIFY(log);
    QVERIFY(log->isVisible());
    QVERIFY(!log->isModal());
    QVERIFY(!QApplication::activeModalWidget());
    // A second click shows the same window again.
    action("log")->trigger();
    QCOMPARE(Forms::Loaded<frmlog>(), log);
}

void MenusTest::findAsYouType_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("row");
    QTest::addRow("M finds the first M") << 2 << "M" << 1;
    QTest::addRow("Mü finds Müller") << 1 << "Mü" << 3;
    QTest::addRow("case is ignored") << 1 << "abel" << 2;
    QTest::addRow("start of the name only") << 2 << "eier" << 2;
    QTest::addRow("no match keeps the selection") << 2 << "Z" << 2;
    QTest::addRow("entering the box moves nothing") << 3 << "" << 3;
    // "\b" stands for Backspace.
    QTest::addRow("erasing what was typed keeps the row found") << 3 << "A\b" << 2;
}

void MenusTest::findAsYouType()
{
    QFETCH(int, selected);
    QFETCH(QString, typed);
    QFETCH(int, row);
    Form1& form = showList();
    form.Grid1->SetCurrentRow(selected);
    QLineEdit* edit = form.sevText2->Edit();
    edit->setFocus(Qt::MouseFocusReason);
    QString shown;
    for (const QChar c : typed) {
        if (c == '\b') {
            QTest::keyClick(edit, Qt::Key_Backspace);
            shown.chop(1);
        } else {
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
            shown += c;
        }
    }
    QCOMPARE(form.sevText2->Text(), shown);
    QCOMPARE(form.Grid1->CurrentRow(), row);
    QVERIFY(fixture_->seams->prompt.messages.isEmpty());
    QVERIFY(!IsBusyPointerShown());
}

void MenusTest::findNextHasNoWrapAround()
{
    Form1& form = showList();
    QLineEdit* edit = form.sevText2->Edit();
    edit->setFocus();
    QCOMPARE(form.sevText2->Text(), QString());
    QTest::keyClicks(edit, "M");
    QCOMPARE(form.Grid1->CurrentRow(), 1);
    QTest::mouseClick(form.sevText2->Button(), Qt::LeftButton);
    QCOMPARE(form.Grid1->CurrentRow(), 3);
    QVERIFY(fixture_->seams->prompt.messages.isEmpty());
    QTest::mouseClick(form.sevText2->Button(), Qt::LeftButton);
    QCOMPARE(fixture_->seams->prompt.texts(), QStringList{"Kein weiterer Eintrag gefunden!"});
    QCOMPARE(fixture_->seams->prompt.messages[0].icon, MsgIcon::Information);
    QCOMPARE(fixture_->seams->prompt.messages[0].buttons, MsgButtons::Ok);
    QCOMPARE(fixture_->seams->prompt.messages[0].title, QStringLiteral("Tovalinero"));
    QCOMPARE(form.Grid1->CurrentRow(), 3);
    QVERIFY(!IsBusyPointerShown());
}

void MenusTest::placeholderComesBackOnLeaving()
{
    Form1& form = showList();
    SevText* box = form.sevText2;
    const QColor grey(0x80, 0x80, 0x80);
    QCOMPARE(box->Text(), QStringLiteral("Name suchen..."));
    QCOMPARE(box->ForeColor(), grey);
    box->Edit()->setFocus();
    QVERIFY(box->Edit()->hasFocus());
    QCOMPARE(box->Text(), QString());
    QCOMPARE(box->Edit()->palette().color(QPalette::Text), QColor(Qt::black));
    QTest::keyClicks(box->Edit(), "Ab");
    QCOMPARE(form.Grid1->CurrentRow(), 2);
    form.Grid1->setFocus();
    QCOMPARE(box->Text(), QStringLiteral("Name suchen..."));
    QCOMPARE(box->ForeColor(), grey);
    QCOMPARE(box->Edit()->palette().color(QPalette::Text), grey);
    // Leaving put back the placeholder; the row found stays selected.
    QCOMPARE(form.Grid1->CurrentRow(), 2);
}

// Clicking into the search box empties it and searches nothing: "Löschen" then deletes the
// person the user had selected.
void MenusTest::clickIntoTheSearchBoxThenLoeschenDeletesTheSelectedPerson()
{
    Form1& form = showList();
    form.Grid1->SetCurrentRow(3);
    QTest::mouseClick(form.sevText2->Edit(), Qt::LeftButton);
    QVERIFY(form.sevText2->Edit()->hasFocus());
    QCOMPARE(form.sevText2->Text(), QString());
    QCOMPARE(form.Grid1->CurrentRow(), 3);
    fixture_->seams->prompt.answers = {MsgAnswer::Yes};
    QTest::mouseClick(form.Coolbar1->Button("loeschen"), Qt::LeftButton);
    QCOMPARE(fixture_->seams->prompt.texts(),
             QStringList{"Sind Sie sicher, dass Sie diesen Eintrag löschen wollen?"});
    QCOMPARE(fixture_->folder->readBytes(fixture_->folder->data("tovalinero.dat")),
             QByteArray("Anna~Meier~01.06.1980~0~1~~~~~\r\nBert~Abel~02.07.1975~0~1~~~~~\r\n"));
    // Leaving the box puts its placeholder back and still moves nothing.
    form.Grid1->SetCurrentRow(1);
    form.Grid1->setFocus();
    QCOMPARE(form.sevText2->Text(), QStringLiteral("Name suchen..."));
    QCOMPARE(form.Grid1->CurrentRow(), 1);
}

void MenusTest::anotherWindowTakingTheFocusKeepsTheSearch()
{
    Form1& form = showList();
    SevText* box = form.sevText2;
    box->Edit()->setFocus();
    QTest::keyClicks(box->Edit(), "M");
    box->ButtonClick();
    QCOMPARE(form.Grid1->CurrentRow(), 3);
    // The "no further entry" box takes the focus away and gives it back.
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(box->Edit(), &away);
    QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(box->Edit(), &back);
    QCOMPARE(box->Text(), QStringLiteral("M"));
    QCOMPARE(form.Grid1->CurrentRow(), 3);
}

QTEST_MAIN(MenusTest)
#include "tst_menus.moc"
