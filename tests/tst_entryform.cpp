#include "app/neuer_tov.h"
#include "common/coolbar.h"
#include "common/forms.h"
#include "common/htmled.h"
#include "common/sevtext.h"
#include "common/textfile.h"
#include "greetings/html_editor.h"
#include "platform/clock.h"
#include "support/formfixture.h"

#include <QAccessible>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <algorithm>
#include <functional>

namespace
{

QString person(const QString& first, const QString& last, const QString& born, const QString& automatic = "0",
               const QString& standard = "1", const QString& email = "")
{
    return QStringList{first, last, born, automatic, standard, "<p>Gruß</p>", "Weg 1", "12345", "Ort", email}
        .join('~');
}

// What the entry form showed while it was open.
struct Seen {
    bool opened = false;
    QString title;
    QString heading;
    QString hint;
    bool anlegenShown = false;
    bool uebernehmenShown = false;
    QStringList fields;
    bool stillOpen = false;
};

Seen seenIn(neuer_tov& form)
{
    Seen seen;
    seen.opened = true;
    seen.title = form.windowTitle();
    seen.heading = form.Label1->text();
    seen.hint = form.Label2->text();
    seen.anlegenShown = form.Command1->isVisible();
    seen.uebernehmenShown = form.Command2->isVisible();
    for (int field = 1; field <= 10; ++field)
        seen.fields << form.FieldText(field);
    return seen;
}

const QStringList EmptyRecord = {"", "", "", "0", "0", "", "", "", "", ""};

} // namespace

class EntryFormTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        FormRegistry::setProgramEndHandler([] {});
    }
    void init();
    void cleanup() { fixture_.reset(); }
    void toolbarButtons();
    void captionsOfTheForm();
    void newThenCloseKeepsTheList_data();
    void newThenCloseKeepsTheList();
    void createWithEmptyFields();
    void createStoresEveryField();
    void changeWritesTheSelectedRow_data();
    void changeWritesTheSelectedRow();
    void changeOnAnEmptyListOpensNothing();
    void untouchedChangeKeepsTheGreetingAsItWas();
    void rowChangeFillsTheCheckBoxesCrosswise_data();
    void rowChangeFillsTheCheckBoxesCrosswise();
    void emailOptionsFollowTheAddress();
    void zodiacLabel_data();
    void zodiacLabel();
    void calendarIsGerman();
    void refusedCharacters_data();
    void refusedCharacters();
    void deleteOne_data();
    void deleteOne();
    void deleteAll_data();
    void deleteAll();
    void comingBirthdaysFollowTheChange_data();
    void comingBirthdaysFollowTheChange();
    void editorButtonOpensTheOwnGreeting_data();
    void editorButtonOpensTheOwnGreeting();
    void tabFollowsTheFieldsOnScreen();
    void enterPressesTheModeButton();
    void malformedBirthDateIsRefused_data();
    void malformedBirthDateIsRefused();
    void typedBirthDateIsStoredInFull_data();
    void typedBirthDateIsStoredInFull();
    void calendarOpensFromTheKeyboard_data();
    void calendarOpensFromTheKeyboard();
    void everyRefusedCharacterInOneMessage_data();
    void everyRefusedCharacterInOneMessage();
    void unloadedListIsNeverRewritten_data();
    void unloadedListIsNeverRewritten();
    void startWithoutAListFileLetsTheFirstPersonStartIt();
    void tabReachesTheToolbar();
    void keys_data();
    void keys();

private:
    Form1& loadList(const QStringList& lines);
    Form1& showList();
    // Runs act while the entry form is open modally, then closes the form whatever act did, so
    // a failing step never leaves the run waiting; assertions follow once trigger returned.
    void whileEntryFormOpen(const std::function<void(neuer_tov&)>& act, const std::function<void()>& trigger);
    QStringList listFileLines() const;
    QByteArray listFileBytes() const;
    FakePrompt& prompt() { return fixture_->seams->prompt; }
    std::unique_ptr<FormFixture> fixture_;
};

void EntryFormTest::init()
{
    fixture_ = std::make_unique<FormFixture>();
}

Form1& EntryFormTest::loadList(const QStringList& lines)
{
    fixture_->writeList(lines);
    Form1& form = fixture_->form();
    form.LoadBirthdayList();
    for (QLabel* label : form.Label4)
        label->setText("alt");
    return form;
}

Form1& EntryFormTest::showList()
{
    Form1& form = loadList({person("Anna", "Meier", "01.02.1980"), person("Bert", "Abel", "01.03.1975")});
    form.sevTabStrip1->setCurrentIndex(2);
    form.show();
    form.activateWindow();
    if (!QTest::qWaitForWindowActive(&form))
        qWarning("main window not active");
    return form;
}

void EntryFormTest::whileEntryFormOpen(const std::function<void(neuer_tov&)>& act,
                                       const std::function<void()>& trigger)
{
    // Polls until the form is up: the trigger may run other event loops before it opens.
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&act, &timer] {
        neuer_tov* form = Forms::Loaded<neuer_tov>();
        if (!form || !form->isVisible())
            return;
        timer.stop();
        act(*form);
        if (neuer_tov* open = Forms::Loaded<neuer_tov>(); open && open->isVisible())
            open->reject();
    });
    timer.start(0);
    trigger();
    timer.stop();
    FlushDeletedWindows();
}

QByteArray EntryFormTest::listFileBytes() const
{
    return fixture_->folder->readBytes(fixture_->folder->data("tovalinero.dat"));
}

QStringList EntryFormTest::listFileLines() const
{
    return SplitLinesAtCr(DecodeCp1252(listFileBytes()));
}

void EntryFormTest::captionsOfTheForm()
{
    neuer_tov& entry = Forms::Get<neuer_tov>();
    const QStringList captions = {
        "Vorname:", "Nachname:", "Tovalinero:", "Straße:", "PLZ:", "Wohnort:", "eMail:"};
    for (int i = 0; i < captions.size(); ++i) {
        QString found;
        for (QLabel* label : entry.findChildren<QLabel*>())
            if (label->buddy() == entry.sevText1[i])
                found = label->text();
        QCOMPARE(found, captions[i]);
    }
    QCOMPARE(entry.Check_Standard->text(), QStringLiteral("eMail automatisch senden"));
    QCOMPARE(entry.Check_Automatisch->text(), QStringLiteral("Standard-Gruß senden"));
    QCOMPARE(entry.Label3->text(),
             QStringLiteral("Individueller eMail-Text. Rechts der Button \"...\" öffnet den "
                            "WYSIWYG - Editor."));
    QCOMPARE(entry.Frame1->title(), QStringLiteral("Anschrift"));
    QCOMPARE(entry.Command5->text(), QStringLiteral("..."));
    QCOMPARE(entry.Command3->text(), QStringLiteral("&Zurück"));
    Forms::Unload<neuer_tov>();
    // The tabs of the main window.
    QTabWidget* tabs = fixture_->form().sevTabStrip1;
    QCOMPARE(tabs->tabToolTip(1), QStringLiteral("In diesem Jahr anstehende Tovalineroe."));
    QCOMPARE(tabs->tabToolTip(2), QStringLiteral("Tragen Sie hier Ihre Tovalineroe ein."));
    QCOMPARE(tabs->tabText(2), QStringLiteral("&Tovalinerosliste"));
}

void EntryFormTest::toolbarButtons()
{
    Coolbar* bar = fixture_->form().Coolbar1;
    QVERIFY(bar);
    QCOMPARE(bar->objectName(), QStringLiteral("Coolbar1"));
    QCOMPARE(bar->Keys(), (QStringList{"neu", "", "aendern", "drucken", "", "loeschen"}));
    const QList<QStringList> expected = {{"neu", "Neu", "Neuen Tovalinero anlegen", ""},
                                         {"aendern", "Ändern", "Eintrag ändern", ""},
                                         {"drucken", "", "Alle Einträge drucken...", ""},
                                         {"loeschen", "Löschen", "Eintrag löschen", "Vorsicht!"}};
    for (const QStringList& button : expected) {
        QToolButton* control = bar->Button(button[0]);
        QVERIFY2(control, qPrintable(button[0]));
        QCOMPARE(control->text(), button[1]);
        QCOMPARE(control->toolTip(), button[2]);
        QCOMPARE(control->property("toolTipTitle").toString(), button[3]);
        QVERIFY(!control->accessibleName().isEmpty());
    }
    QMenu* menu = bar->ButtonMenu("loeschen");
    QVERIFY(menu);
    QCOMPARE(menu->actions().size(), 1);
    QCOMPARE(menu->actions()[0]->text(), QStringLiteral("Gesamte Liste löschen..."));
    QCOMPARE(menu->actions()[0]->objectName(), QStringLiteral("alle_loeschen"));
    QVERIFY(!bar->ButtonMenu("neu"));
}

void EntryFormTest::newThenCloseKeepsTheList_data()
{
    QTest::addColumn<bool>("byEscape");
    QTest::addRow("Zurück") << false;
    QTest::addRow("Esc") << true;
}

void EntryFormTest::newThenCloseKeepsTheList()
{
    QFETCH(bool, byEscape);
    Form1& form = loadList({"Anna~Meier~1.2.1980~0~1~~~~~", person("Bert", "Abel", "01.03.1975")});
    Seen seen;
    whileEntryFormOpen(
        [&](neuer_tov& entry) {
            seen = seenIn(entry);
            // Closing unloads the form, which may be deleted before the click returns.
            const QPointer<neuer_tov> form(&entry);
            if (byEscape)
                QTest::keyClick(entry.windowHandle(), Qt::Key_Escape);
            else
                entry.Command3->click();
            seen.stillOpen = form && form->isVisible();
        },
        [&] { form.Coolbar1->Button("neu")->click(); });
    QVERIFY(seen.opened);
    QVERIFY(!seen.stillOpen);
    QCOMPARE(seen.title, QStringLiteral("Neuer Tovalinero"));
    QCOMPARE(seen.heading, QStringLiteral("Neuen Tovalinero anlegen"));
    QCOMPARE(
        seen.hint,
        QStringLiteral("Füllen Sie hier bitte alle Felder aus und klicken Sie anschließend auf >Anlegen<."));
    QVERIFY(seen.anlegenShown);
    QVERIFY(!seen.uebernehmenShown);
    QCOMPARE(seen.fields, EmptyRecord);
    QVERIFY(!Forms::Loaded<neuer_tov>() || !Forms::Loaded<neuer_tov>()->isVisible());
    QCOMPARE(form.Grid1->RowCount(), 2);
    // Rewritten although nothing changed: the loaded date is stored in its full form now.
    QCOMPARE(listFileBytes(),
             QByteArray("Anna~Meier~01.02.1980~0~1~~~~~\r\nBert~Abel~01.03.1975~0~1~<p>Gru\xDF</p>"
                        "~Weg 1~12345~Ort~\r\n"));
    for (QLabel* label : form.Label4)
        QCOMPARE(label->text(), QStringLiteral("Tovalineroe: 2 - In 2026: 2"));
    QVERIFY(prompt().messages.isEmpty());
}

void EntryFormTest::createWithEmptyFields()
{
    Form1& form = loadList({person("Anna", "Meier", "01.02.1980"), person("Bert", "Abel", "01.03.1975")});
    form.Grid1->SetCurrentRow(2);
    whileEntryFormOpen([](neuer_tov& entry) { entry.Command1->click(); },
                       [&] { form.Coolbar1_ButtonClick("neu"); });
    QCOMPARE(form.Grid1->RowCount(), 3);
    QCOMPARE(form.Grid1->RowText(1), QStringLiteral("\t\t\t0\t0\t\t\t\t\t"));
    QCOMPARE(form.Grid1->RowText(1).split('\t').size(), 10);
    QCOMPARE(form.Grid1->CurrentRow(), 1);
    QCOMPARE(form.Grid1->Cell(2, 1), QStringLiteral("Anna"));
    QCOMPARE(listFileLines().size(), 3);
    QCOMPARE(listFileLines().first(), QStringLiteral("~~~0~0~~~~~"));
    for (QLabel* label : form.Label4)
        QCOMPARE(label->text(), QStringLiteral("Tovalineroe: 3 - In 2026: 2"));
}

void EntryFormTest::createStoresEveryField()
{
    Form1& form = loadList({person("Anna", "Meier", "01.02.1980")});
    whileEntryFormOpen(
        [](neuer_tov& entry) {
            const QStringList texts = {"Jürgen", "Groß",    "24.12.1961",         "Bahnhofstraße 5",
                                       "04109",  "Leipzig", "juergen@example.org"};
            for (int i = 0; i < 7; ++i)
                entry.sevText1[i]->SetText(texts[i]);
            entry.Form_Activate();
            entry.Check_Standard->setChecked(true);
            entry.Check_Automatisch->setChecked(false);
            entry.HTML_Text->setPlainText("<p>Alles Gute,\nJürgen!</p>");
            entry.Command1->click();
        },
        [&] { form.Coolbar1->Button("neu")->click(); });
    const QStringList expected = {
        "Jürgen", "Groß",    "24.12.1961",         "1", "0", "<p>Alles Gute,\nJürgen!</p>", "Bahnhofstraße 5",
        "04109",  "Leipzig", "juergen@example.org"};
    QCOMPARE(form.Grid1->RowText(1), expected.join('\t'));
    QCOMPARE(listFileLines().first(), expected.join('~'));
    QCOMPARE(form.Grid1->RowText(2), person("Anna", "Meier", "01.02.1980").replace('~', '\t'));
}

void EntryFormTest::changeWritesTheSelectedRow_data()
{
    QTest::addColumn<bool>("byDoubleClick");
    QTest::addRow("Ändern") << false;
    QTest::addRow("double-click") << true;
}

void EntryFormTest::changeWritesTheSelectedRow()
{
    QFETCH(bool, byDoubleClick);
    Form1& form = loadList({person("Anna", "Meier", "01.02.1980"),
                            person("Bert", "Abel", "01.03.1975", "1", "0", "bert@example.org")});
    form.Grid1->SetCurrentRow(2);
    // A first change that is closed again unloads the form; the second still opens with the row.
    whileEntryFormOpen([](neuer_tov& entry) { entry.Command3->click(); },
                       [&] { form.Coolbar1->Button("aendern")->click(); });
    Seen seen;
    whileEntryFormOpen(
        [&](neuer_tov& entry) {
            seen = seenIn(entry);
            entry.sevText1[1]->SetText("Abel-Neu");
            entry.sevText1[5]->SetText("Neustadt");
            entry.Check_Automatisch->setChecked(true);
            const QPointer<neuer_tov> form(&entry);
            entry.Command2->click();
            seen.stillOpen = form && form->isVisible();
        },
        [&] {
            if (!byDoubleClick) {
                form.Coolbar1->Button("aendern")->click();
                return;
            }
            form.sevTabStrip1->setCurrentIndex(2);
            form.show();
            if (!QTest::qWaitForWindowExposed(&form))
                return;
            const QRect cell = form.Grid1->visualRect(form.Grid1->model()->index(1, 0));
            const QPoint at = form.Grid1->viewport()->mapTo(&form, cell.center());
            QTest::mouseDClick(form.windowHandle(), Qt::LeftButton, {}, at);
        });
    QVERIFY(seen.opened);
    QVERIFY(!seen.stillOpen);
    QCOMPARE(seen.title, QStringLiteral("Eintrag ändern"));
    QCOMPARE(seen.heading, QStringLiteral("Tovalineroseintrag ändern"));
    QCOMPARE(seen.hint,
             QStringLiteral("Geben Sie Ihre Änderungen ein und klicken Sie anschließend auf >Übernehmen<."));
    QVERIFY(!seen.anlegenShown);
    QVERIFY(seen.uebernehmenShown);
    QCOMPARE(seen.fields, person("Bert", "Abel", "01.03.1975", "1", "0", "bert@example.org").split('~'));
    const QString changed =
        QStringList{"Bert",        "Abel-Neu", "01.03.1975", "1",        "1",
                    "<p>Gruß</p>", "Weg 1",    "12345",      "Neustadt", "bert@example.org"}
            .join('~');
    QCOMPARE(listFileLines(), (QStringList{person("Anna", "Meier", "01.02.1980"), changed}));
    QCOMPARE(form.Grid1->RowCount(), 2);
    QCOMPARE(form.Label4[2]->text(), QStringLiteral("Tovalineroe: 2 - In 2026: 2"));
}

void EntryFormTest::changeOnAnEmptyListOpensNothing()
{
    Form1& form = loadList({});
    Seen seen;
    whileEntryFormOpen([&](neuer_tov& entry) { seen = seenIn(entry); },
                       [&] { form.Coolbar1->Button("aendern")->click(); });
    QVERIFY(!seen.opened);
    QCOMPARE(form.Grid1->RowCount(), 0);
    QCOMPARE(listFileBytes(), QByteArray());
}

void EntryFormTest::untouchedChangeKeepsTheGreetingAsItWas()
{
    const QString record =
        QStringList{"Anna",  "Meier", "01.02.1980",
                    "1",     "0",     QStringLiteral("<p>Liebe\u00a0Anna,\n  alles Gute</p>\n"),
                    "",      "",      "",
                    "a@b.de"}
            .join('~');
    Form1& form = loadList({record});
    whileEntryFormOpen([](neuer_tov& entry) { entry.Command2->click(); },
                       [&] { form.Coolbar1->Button("aendern")->click(); });
    QCOMPARE(listFileLines(), QStringList{record});
}

void EntryFormTest::rowChangeFillsTheCheckBoxesCrosswise_data()
{
    QTest::addColumn<QString>("fourth");
    QTest::addColumn<QString>("fifth");
    QTest::addColumn<bool>("automaticallyTicked");
    QTest::addColumn<bool>("standardTicked");
    QTest::addRow("send automatically") << "1"
                                        << "0" << true << false;
    QTest::addRow("standard greeting") << "0"
                                       << "1" << false << true;
    QTest::addRow("both, with blanks") << " 1 "
                                       << " 1 " << true << true;
    // A flag that is no number leaves the box as the previous row left it.
    QTest::addRow("no number") << "ja"
                               << "" << true << true;
}

void EntryFormTest::rowChangeFillsTheCheckBoxesCrosswise()
{
    QFETCH(QString, fourth);
    QFETCH(QString, fifth);
    QFETCH(bool, automaticallyTicked);
    QFETCH(bool, standardTicked);
    Form1& form = loadList({person("Alle", "Haken", "01.02.1980", "1", "1", "a@example.org"),
                            person("Eva", "Test", "05.06.1990", fourth, fifth, "eva@example.org")});
    form.Grid1->SetCurrentRow(1);
    form.Grid1->SetCurrentRow(2);
    neuer_tov* entry = Forms::Loaded<neuer_tov>();
    QVERIFY(entry);
    QVERIFY(!entry->isVisible());
    QCOMPARE(entry->Check_Standard->text(), QStringLiteral("eMail automatisch senden"));
    QCOMPARE(entry->Check_Automatisch->text(), QStringLiteral("Standard-Gruß senden"));
    QCOMPARE(entry->Check_Standard->isChecked(), automaticallyTicked);
    QCOMPARE(entry->Check_Automatisch->isChecked(), standardTicked);
    QCOMPARE(entry->sevText1[0]->Text(), QStringLiteral("Eva"));
    QCOMPARE(entry->sevText1[2]->Text(), QStringLiteral("05.06.1990"));
    QCOMPARE(entry->HTML_Text->toPlainText(), QStringLiteral("<p>Gruß</p>"));
    QCOMPARE(entry->sevText1[6]->Text(), QStringLiteral("eva@example.org"));
}

void EntryFormTest::emailOptionsFollowTheAddress()
{
    Form1& form = loadList({});
    QList<bool> enabledSeen;
    auto optionsEnabled = [](neuer_tov& entry) {
        const bool all = entry.Check_Standard->isEnabled() && entry.Check_Automatisch->isEnabled() &&
                         entry.HTML_Text->isEnabled() && entry.Command5->isEnabled();
        const bool none = !entry.Check_Standard->isEnabled() && !entry.Check_Automatisch->isEnabled() &&
                          !entry.HTML_Text->isEnabled() && !entry.Command5->isEnabled();
        return all ? 1 : none ? 0 : -1;
    };
    QList<int> states;
    whileEntryFormOpen(
        [&](neuer_tov& entry) {
            states << optionsEnabled(entry);
            entry.sevText1[6]->SetText("anna@example.org");
            entry.Form_Activate();
            states << optionsEnabled(entry);
            entry.Check_Standard->setChecked(true);
            entry.sevText1[6]->SetText(QString());
            entry.Form_Activate();
            states << optionsEnabled(entry);
            // A key typed into the empty address field enables the options once it is there.
            entry.sevText1[6]->setFocus();
            QTest::keyClick(entry.windowHandle(), Qt::Key_A);
            enabledSeen << (entry.sevText1[6]->Text() == "a");
            states << optionsEnabled(entry);
            QTest::keyClick(entry.windowHandle(), Qt::Key_Backspace);
            states << optionsEnabled(entry);
            entry.Command1->click();
        },
        [&] { form.Coolbar1->Button("neu")->click(); });
    QCOMPARE(states, (QList<int>{0, 1, 0, 1, 0}));
    QCOMPARE(enabledSeen, QList<bool>{true});
    // Disabled, the ticked box still counts.
    QCOMPARE(form.Grid1->Cell(1, 4), QStringLiteral("1"));
    QCOMPARE(form.Grid1->Cell(1, 5), QStringLiteral("0"));
    QCOMPARE(form.Grid1->Cell(1, 10), QString());
}

void EntryFormTest::zodiacLabel_data()
{
    QTest::addColumn<QString>("birthDate");
    QTest::addColumn<QString>("sign");
    QTest::addRow("new person") << ""
                                << "n/v";
    QTest::addRow("22 November") << "22.11.1980"
                                 << "Skorpion";
    QTest::addRow("29 February") << "29.02.1980"
                                 << "Fische";
    QTest::addRow("malformed") << "31.02.1980"
                               << "n/v";
}

// The tests run under a locale that is not German: the program is German by itself.
void EntryFormTest::calendarIsGerman()
{
    neuer_tov& entry = Forms::Get<neuer_tov>();
    entry.show();
    entry.sevText1[2]->SetText("10.12.1980");
    entry.sevText1[2]->Button()->click();
    auto* calendar = entry.findChild<QCalendarWidget*>("calendar");
    QVERIFY(calendar);
    QVERIFY(calendar->isVisible());
    QCOMPARE(calendar->selectedDate(), QDate(1980, 12, 10));
    auto* month = calendar->findChild<QToolButton*>("qt_calendar_monthbutton");
    QVERIFY(month);
    QCOMPARE(month->text(), QStringLiteral("Dezember"));
    QCOMPARE(calendar->firstDayOfWeek(), Qt::Monday);
    calendar->hide();
}

void EntryFormTest::zodiacLabel()
{
    QFETCH(QString, birthDate);
    QFETCH(QString, sign);
    Form1& form = loadList({});
    QString shown;
    QString spoken;
    whileEntryFormOpen(
        [&](neuer_tov& entry) {
            entry.sevText1[2]->SetText(birthDate);
            entry.sevText1_LostFocus(2);
            shown = entry.Label4->text();
            spoken = QAccessible::queryAccessibleInterface(entry.Label4)->text(QAccessible::Name);
        },
        [&] { form.Coolbar1->Button("neu")->click(); });
    QCOMPARE(shown, sign);
    QCOMPARE(spoken, sign);
}

void EntryFormTest::refusedCharacters_data()
{
    QTest::addColumn<bool>("change");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const QString tail = ", das in der Tovalinerosliste nicht gespeichert werden kann.";
    for (const bool change : {false, true}) {
        const char* mode = change ? "Übernehmen" : "Anlegen";
        QTest::addRow("%s: tilde in the first name", mode)
            << change << 0 << "An~na"
            << "Das Feld \"Vorname\" enthält das Zeichen \"~\"" + tail;
        QTest::addRow("%s: tab in the last name", mode)
            << change << 1 << "Mei\ter"
            << "Das Feld \"Nachname\" enthält das Zeichen Tabulator" + tail;
        QTest::addRow("%s: Greek letter in the town", mode)
            << change << 5 << "Ωmega"
            << "Das Feld \"Wohnort\" enthält das Zeichen \"Ω\" (U+03A9)" + tail;
        QTest::addRow("%s: emoji in the address", mode)
            << change << 6 << "anna\U0001F600@example.org"
            << "Das Feld \"eMail\" enthält das Zeichen \"\U0001F600\" (U+1F600)" + tail;
        QTest::addRow("%s: tilde in the greeting", mode)
            << change << -1 << "<p>a~b</p>"
            << "Das Feld \"Individueller eMail-Text\" enthält das Zeichen \"~\"" + tail;
    }
}

void EntryFormTest::refusedCharacters()
{
    QFETCH(bool, change);
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    const QStringList list = {person("Anna", "Meier", "01.02.1980", "0", "1", "anna@example.org")};
    Form1& form = loadList(list);
    const QByteArray before = listFileBytes();
    bool stillOpen = false;
    QString kept;
    whileEntryFormOpen(
        [&](neuer_tov& entry) {
            entry.sevText1[0]->SetText("Anna");
            if (field >= 0)
                entry.sevText1[field]->SetText(text);
            else
                entry.HTML_Text->setPlainText(text);
            const QPointer<neuer_tov> form(&entry);
            (change ? entry.Command2 : entry.Command1)->click();
            stillOpen = form && form->isVisible();
            if (!stillOpen)
                return;
            kept = field >= 0 ? entry.sevText1[field]->Text() : entry.HTML_Text->toPlainText();
        },
        [&] { form.Coolbar1->Button(change ? "aendern" : "neu")->click(); });
    QCOMPARE(prompt().messages.size(), 1);
    QVERIFY2(prompt().messages[0].text.startsWith(message), qPrintable(prompt().messages[0].text));
    QCOMPARE(prompt().messages[0].icon, MsgIcon::Exclamation);
    QVERIFY(stillOpen);
    QCOMPARE(kept, text);
    QCOMPARE(form.Grid1->RowCount(), 1);
    QCOMPARE(form.Grid1->RowText(1), list[0].split('~').join('\t'));
    QCOMPARE(listFileBytes(), before);
}

void EntryFormTest::deleteOne_data()
{
    QTest::addColumn<MsgAnswer>("answer");
    QTest::addColumn<QStringList>("remaining");
    QTest::addRow("Ja") << MsgAnswer::Yes
                        << QStringList{person("Anna", "Meier", "01.02.1980"),
                                       person("Carl", "Zeh", "03.04.1970")};
    QTest::addRow("Nein") << MsgAnswer::No
                          << QStringList{person("Anna", "Meier", "01.02.1980"),
                                         person("Bert", "Abel", "01.03.1975"),
                                         person("Carl", "Zeh", "03.04.1970")};
}

void EntryFormTest::deleteOne()
{
    QFETCH(MsgAnswer, answer);
    QFETCH(QStringList, remaining);
    Form1& form = loadList({person("Anna", "Meier", "01.02.1980"), person("Bert", "Abel", "01.03.1975"),
                            person("Carl", "Zeh", "03.04.1970")});
    const QByteArray before = listFileBytes();
    form.Grid1->SetCurrentRow(2);
    prompt().answers = {answer};
    form.Coolbar1->Button("loeschen")->click();
    QCOMPARE(prompt().messages.size(), 1);
    const MessageRequest& box = prompt().messages[0];
    QCOMPARE(box.text, QStringLiteral("Sind Sie sicher, dass Sie diesen Eintrag löschen wollen?"));
    QCOMPARE(box.title, QStringLiteral("Datensatz löschen"));
    QCOMPARE(box.buttons, MsgButtons::YesNo);
    QCOMPARE(box.icon, MsgIcon::Question);
    // Enter alone never deletes.
    QVERIFY(box.defaultAnswer == MsgAnswer::No);
    QCOMPARE(form.Grid1->RowCount(), remaining.size());
    if (answer == MsgAnswer::Yes) {
        QCOMPARE(listFileLines(), remaining);
        QCOMPARE(form.Label4[0]->text(), QStringLiteral("Tovalineroe: 2 - In 2026: 2"));
    } else {
        QCOMPARE(listFileBytes(), before);
        QCOMPARE(form.Label4[0]->text(), QStringLiteral("alt"));
    }
}

void EntryFormTest::deleteAll_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<MsgAnswer>("answer");
    QTest::addRow("three rows, Ja") << 3 << MsgAnswer::Yes;
    QTest::addRow("one row, Ja") << 1 << MsgAnswer::Yes;
    QTest::addRow("empty list, Ja") << 0 << MsgAnswer::Yes;
    QTest::addRow("three rows, Nein") << 3 << MsgAnswer::No;
}

void EntryFormTest::deleteAll()
{
    QFETCH(int, rows);
    QFETCH(MsgAnswer, answer);
    QStringList lines;
    for (int i = 1; i <= rows; ++i)
        lines << person(QStringLiteral("Person%1").arg(i), "Liste", "01.02.1980");
    Form1& form = loadList(lines);
    const QByteArray before = listFileBytes();
    form.Grid1->SetCurrentRow(rows);
    prompt().answers = {answer};
    form.Coolbar1->ButtonMenu("loeschen")->actions()[0]->trigger();
    QCOMPARE(prompt().messages.size(), 1);
    const MessageRequest& box = prompt().messages[0];
    QCOMPARE(box.text, QStringLiteral("Wenn Sie jetzt auf \"JA\" klicken, wird die gesamte Tovalinerosliste\r"
                                      "gelöscht. Die Daten sind dann endgültig verloren.\r\r"
                                      "Wollen Sie die gesamte Liste jetzt löschen?"));
    QCOMPARE(box.title, QStringLiteral("VORSICHT !!!"));
    QCOMPARE(box.buttons, MsgButtons::YesNo);
    QCOMPARE(box.icon, MsgIcon::Question);
    QVERIFY(box.defaultAnswer == MsgAnswer::No);
    if (answer == MsgAnswer::Yes) {
        QCOMPARE(form.Grid1->RowCount(), 0);
        QCOMPARE(listFileBytes(), QByteArray());
        QVERIFY(QFile::exists(fixture_->folder->data("tovalinero.dat")));
        QCOMPARE(form.Label4[1]->text(), rows > 0 ? QStringLiteral("Tovalineroe: 0 - In 2026: 0") : "alt");
    } else {
        QCOMPARE(form.Grid1->RowCount(), rows);
        QCOMPARE(listFileBytes(), before);
    }
}

void EntryFormTest::comingBirthdaysFollowTheChange_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("upcoming");
    // On 30 January 2026: Heute's birthday is today, Anna's two days ahead (the lead time), Bert's
    // in a month; Bert is selected.
    QTest::addRow("Neu") << "neu"
                         << QStringList{"Cleo Neu   (wird 26);5", "Anna Meier   (wird 46);2",
                                        "Bert Abel   (wird 51);30"};
    QTest::addRow("Ändern") << "aendern"
                            << QStringList{"Anna Meier   (wird 46);2", "Bert Abel   (wird 51);10"};
    QTest::addRow("Löschen") << "loeschen" << QStringList{"Anna Meier   (wird 46);2"};
}

void EntryFormTest::comingBirthdaysFollowTheChange()
{
    QFETCH(QString, button);
    QFETCH(QStringList, upcoming);
    Form1& form = loadList({person("Heute", "Da", "30.01.1970"), person("Anna", "Meier", "01.02.1980"),
                            person("Bert", "Abel", "01.03.1975")});
    form.ueberpr_Click();
    QCOMPARE(fixture_->reminders.size(), 1);
    QCOMPARE(fixture_->seams->tray.balloons.size(), 1);
    form.Grid1->SetCurrentRow(3);
    prompt().answers = {MsgAnswer::Yes};
    whileEntryFormOpen(
        [](neuer_tov& entry) {
            if (entry.Command1->isVisible()) {
                entry.sevText1[0]->SetText("Cleo");
                entry.sevText1[1]->SetText("Neu");
                entry.sevText1[2]->SetText("04.02.2000");
                entry.Command1->click();
            } else {
                entry.sevText1[2]->SetText("09.02.1975");
                entry.Command2->click();
            }
        },
        [&] { form.Coolbar1_ButtonClick(button); });

    // The file in list order, the grid nearest first, the count line after both.
    QCOMPARE(
        SplitLinesAtCr(DecodeCp1252(fixture_->folder->readBytes(fixture_->folder->data("demnaechst.dat")))),
        upcoming);
    QStringList nearestFirst = upcoming;
    std::sort(nearestFirst.begin(), nearestFirst.end(), [](const QString& a, const QString& b) {
        return a.section(';', -1).toInt() < b.section(';', -1).toInt();
    });
    QStringList grid;
    for (int i = 1; i <= form.Grid2->RowCount(); ++i)
        grid << form.Grid2->Cell(i, 1) + ";" + form.Grid2->Cell(i, 2);
    QCOMPARE(grid, nearestFirst);
    for (QLabel* label : form.Label4)
        QCOMPARE(
            label->text(),
            QStringLiteral("Tovalineroe: %1 - In 2026: %2").arg(form.Grid1->RowCount()).arg(upcoming.size()));
    // Only a check reminds and warns.
    QCOMPARE(fixture_->reminders.size(), 1);
    QCOMPARE(fixture_->seams->tray.balloons.size(), 1);
}

void EntryFormTest::editorButtonOpensTheOwnGreeting_data()
{
    QTest::addColumn<bool>("takeOver");
    QTest::addColumn<QString>("stored");
    QTest::addRow("entry form's Übernehmen stores it") << true << "neu";
    QTest::addRow("Zurück keeps the record") << false << "<p>Gruß</p>";
}

void EntryFormTest::editorButtonOpensTheOwnGreeting()
{
    QFETCH(bool, takeOver);
    QFETCH(QString, stored);
    Form1& form = loadList({person("Anna", "Meier", "01.02.1980", "0", "1", "anna@example.org")});
    QString document;
    bool personMode = false;
    QString handedBack;
    whileEntryFormOpen(
        [&](neuer_tov& entry) {
            entry.Form_Activate();
            QTimer::singleShot(0, [&] {
                if (HTML_Editor* editor = Forms::Loaded<HTML_Editor>()) {
                    personMode =
                        editor->isModal() && editor->Command2->isVisible() && !editor->Command1->isVisible();
                    document = editor->HTMLed1->Editor()->toPlainText();
                    editor->HTMLed1->SetDocumentHTML("<p>neu</p>");
                    editor->Command2_Click();
                }
            });
            entry.Command5->click();
            handedBack = entry.FieldText(6);
            if (takeOver)
                entry.Command2->click();
            else
                entry.Command3->click();
        },
        [&] { form.Coolbar1->Button("aendern")->click(); });
    QVERIFY(personMode);
    QCOMPARE(document, QStringLiteral("Gruß"));
    QVERIFY2(handedBack.contains("neu</p>"), qPrintable(handedBack));
    QVERIFY(prompt().messages.isEmpty());
    QVERIFY(form.Grid1->Cell(1, 6).contains(stored));
    QVERIFY(listFileLines()[0].split('~')[5].contains(stored));
}

void EntryFormTest::tabFollowsTheFieldsOnScreen()
{
    Form1& form = loadList({});
    QStringList visited;
    whileEntryFormOpen(
        [&](neuer_tov& entry) {
            entry.activateWindow();
            if (!QTest::qWaitForWindowActive(&entry))
                return;
            entry.sevText1[6]->SetText("a@b.de"); // the greeting options need an address
            entry.sevText1[0]->Edit()->setFocus(Qt::TabFocusReason);
            for (int i = 0; i < 10; ++i) {
                QWidget* focused = QApplication::focusWidget();
                visited << (focused ? QAccessible::queryAccessibleInterface(focused)->text(QAccessible::Name)
                                    : QStringLiteral("<none>"));
                QTest::keyClick(focused, Qt::Key_Tab);
            }
        },
        [&] { form.Coolbar1->Button("neu")->click(); });
    QCOMPARE(visited, (QStringList{"Vorname", "Nachname", "Tovalinero", "Kalender öffnen", "eMail",
                                   "eMail automatisch senden", "Standard-Gruß senden",
                                   "Individueller eMail-Text", "Editor öffnen", "Straße"}));
}

void EntryFormTest::enterPressesTheModeButton()
{
    Form1& form = loadList({person("Anna", "Meier", "01.02.1980")});
    whileEntryFormOpen(
        [&](neuer_tov& entry) {
            entry.sevText1[0]->SetText("Bert");
            QTest::keyClick(entry.sevText1[0]->Edit(), Qt::Key_Return);
        },
        [&] { form.Coolbar1->Button("neu")->click(); });
    QCOMPARE(form.Grid1->RowCount(), 2);
    QCOMPARE(form.Grid1->Cell(1, 1), QStringLiteral("Bert"));

    whileEntryFormOpen(
        [&](neuer_tov& entry) {
            entry.sevText1[1]->SetText("Neu");
            QTest::keyClick(entry.sevText1[1]->Edit(), Qt::Key_Enter);
        },
        [&] { form.Coolbar1->Button("aendern")->click(); });
    QCOMPARE(form.Grid1->Cell(1, 2), QStringLiteral("Neu"));
    QCOMPARE(form.Grid1->RowCount(), 2);
}

void EntryFormTest::malformedBirthDateIsRefused_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::addRow("letters before a date") << "ab31.02.20" << false;
    QTest::addRow("31 February") << "31.02.2020" << false;
    QTest::addRow("free text") << "irgendwann" << false;
    QTest::addRow("empty") << "" << true;
    QTest::addRow("short form") << "1.2.1980" << true;
}

void EntryFormTest::malformedBirthDateIsRefused()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    Form1& form = loadList({person("Anna", "Meier", "01.02.1980")});
    const QByteArray before = listFileBytes();
    bool stayedOpen = false;
    whileEntryFormOpen(
        [&](neuer_tov& entry) {
            entry.sevText1[0]->SetText("Bert");
            entry.sevText1[2]->SetText(typed);
            entry.Command1_Click();
            stayedOpen = Forms::Loaded<neuer_tov>() == &entry && entry.isVisible();
        },
        [&] { form.Coolbar1->Button("neu")->click(); });
    QCOMPARE(stayedOpen, !accepted);
    QCOMPARE(form.Grid1->RowCount(), accepted ? 2 : 1);
    if (accepted) {
        QVERIFY(prompt().messages.isEmpty());
        return;
    }
    QCOMPARE(listFileBytes(), before);
    QCOMPARE(prompt().messages.size(), 1);
    QCOMPARE(prompt().messages[0].text,
             "Das Feld \"Tovalinero\" enthält kein gültiges Datum: \"" + typed +
                 "\".\n\nBitte geben Sie das Geburtsdatum als TT.MM.JJJJ ein oder lassen Sie das Feld leer.");
}

// The clock stands on 30 January 2026.
void EntryFormTest::typedBirthDateIsStoredInFull_data()
{
    QTest::addColumn<bool>("change");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("upcoming");
    const QString future = "Das Feld \"Tovalinero\" enthält ein Datum nach dem heutigen Tag: \"%1\".\n\n"
                           "Ein Geburtsdatum kann nicht in der Zukunft liegen. Bitte geben Sie das "
                           "Geburtsdatum als TT.MM.JJJJ ein oder lassen Sie das Feld leer.";
    QTest::addRow("28 is 1928") << false << "7.8.28"
                                << "07.08.1928"
                                << "Bert Neu   (wird 98);189";
    QTest::addRow("25 is 2025") << false << "7.8.25"
                                << "07.08.2025"
                                << "Bert Neu   (wird 1);189";
    QTest::addRow("99 is 1999") << false << "7.8.99"
                                << "07.08.1999"
                                << "Bert Neu   (wird 27);189";
    QTest::addRow("00 is 2000") << false << "1.1.00"
                                << "01.01.2000"
                                << "";
    QTest::addRow("26 is 2026, born today") << false << "30.1.26"
                                            << "30.01.2026"
                                            << "";
    QTest::addRow("26 is 2026, tomorrow") << false << "31.1.26" << QString() << future.arg("31.1.26");
    QTest::addRow("four digits, tomorrow") << false << "31.01.2026" << QString() << future.arg("31.01.2026");
    QTest::addRow("four digits, 2030") << false << "10.12.2030" << QString() << future.arg("10.12.2030");
    QTest::addRow("short form") << false << "7.5.1962"
                                << "07.05.1962"
                                << "Bert Neu   (wird 64);97";
    QTest::addRow("ISO form") << false << "1962-05-07"
                              << "07.05.1962"
                              << "Bert Neu   (wird 64);97";
    QTest::addRow("Übernehmen: short form") << true << "7.5.1962"
                                            << "07.05.1962"
                                            << "Bert Neu   (wird 64);97";
    QTest::addRow("Übernehmen: 28 is 1928") << true << "7.8.28"
                                            << "07.08.1928"
                                            << "Bert Neu   (wird 98);189";
    QTest::addRow("Übernehmen: 2030") << true << "10.12.2030" << QString() << future.arg("10.12.2030");
}

// The list file holds the date in its full form right after the form closed, and the check reads
// the age from it.
void EntryFormTest::typedBirthDateIsStoredInFull()
{
    QFETCH(bool, change);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, upcoming);
    Form1& form = loadList({person("Anna", "Meier", "01.02.1980")});
    QCOMPARE(Today(), QDate(2026, 1, 30));
    const QByteArray before = listFileBytes();
    bool stayedOpen = false;
    QString kept;
    whileEntryFormOpen(
        [&](neuer_tov& entry) {
            entry.sevText1[0]->SetText("Bert");
            entry.sevText1[1]->SetText("Neu");
            entry.sevText1[2]->SetText(typed);
            const QPointer<neuer_tov> open(&entry);
            (change ? entry.Command2 : entry.Command1)->click();
            stayedOpen = open && open->isVisible();
            if (stayedOpen)
                kept = entry.sevText1[2]->Text();
        },
        [&] { form.Coolbar1->Button(change ? "aendern" : "neu")->click(); });
    if (stored.isEmpty()) {
        QVERIFY(stayedOpen);
        QCOMPARE(kept, typed);
        QCOMPARE(prompt().texts(), QStringList{upcoming});
        QCOMPARE(prompt().messages[0].icon, MsgIcon::Exclamation);
        QCOMPARE(listFileBytes(), before);
        QCOMPARE(form.Grid1->RowCount(), 1);
        return;
    }
    QVERIFY(!stayedOpen);
    QVERIFY(prompt().messages.isEmpty());
    QCOMPARE(form.Grid1->Cell(1, 3), stored);
    QCOMPARE(listFileLines().size(), change ? 1 : 2);
    QCOMPARE(listFileLines().first().split('~').mid(0, 3), (QStringList{"Bert", "Neu", stored}));
    form.RunBirthdayCheck();
    QStringList lines;
    for (const QString& line : fixture_->upcomingLines())
        if (line.startsWith("Bert"))
            lines << line;
    QCOMPARE(lines, upcoming.isEmpty() ? QStringList() : QStringList{upcoming});
}

void EntryFormTest::calendarOpensFromTheKeyboard_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("closeKey");
    QTest::addColumn<QString>("result");
    const int none = Qt::NoModifier;
    // The calendar opens on the typed day, the arrow moves to the 9th; Return takes it, Esc
    // closes the calendar alone.
    QTest::addRow("F4, Return") << 2 << int(Qt::Key_F4) << none << int(Qt::Key_Return) << "09.12.1980";
    QTest::addRow("Alt+Down, Return")
        << 2 << int(Qt::Key_Down) << int(Qt::AltModifier) << int(Qt::Key_Return) << "09.12.1980";
    QTest::addRow("F4, Esc") << 2 << int(Qt::Key_F4) << none << int(Qt::Key_Escape) << "10.12.1980";
    QTest::addRow("Down alone") << 2 << int(Qt::Key_Down) << none << 0 << "10.12.1980";
    QTest::addRow("Ctrl+F4") << 2 << int(Qt::Key_F4) << int(Qt::ControlModifier) << 0 << "10.12.1980";
    QTest::addRow("F4 in the first name") << 0 << int(Qt::Key_F4) << none << 0 << "10.12.1980";
}

void EntryFormTest::calendarOpensFromTheKeyboard()
{
    QFETCH(int, field);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, closeKey);
    QFETCH(QString, result);
    neuer_tov& entry = Forms::Get<neuer_tov>();
    entry.show();
    QVERIFY(QTest::qWaitForWindowActive(&entry));
    entry.sevText1[2]->SetText("10.12.1980");
    QLineEdit* edit = entry.sevText1[field]->Edit();
    edit->setFocus(Qt::TabFocusReason);
    QTest::keyClick(edit, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    auto* calendar = entry.findChild<QCalendarWidget*>("calendar");
    QCOMPARE(calendar && calendar->isVisible(), closeKey != 0);
    if (closeKey != 0) {
        QCOMPARE(calendar->selectedDate(), QDate(1980, 12, 10));
        QCOMPARE(calendar->maximumDate(), QDate(2026, 1, 30));
        QWidget* days = QApplication::focusWidget();
        QVERIFY(days && calendar->isAncestorOf(days));
        QTest::keyClick(days, Qt::Key_Left);
        QTest::keyClick(days, Qt::Key(closeKey));
        QVERIFY(!calendar->isVisible());
    }
    QCOMPARE(entry.sevText1[2]->Text(), result);
    QCOMPARE(Forms::Loaded<neuer_tov>(), &entry);
    QVERIFY(entry.isVisible());
}

void EntryFormTest::everyRefusedCharacterInOneMessage_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("corrected");
    const QString one = "Bitte entfernen Sie es oder ersetzen Sie es durch ein anderes Zeichen.";
    const QString several = "Bitte entfernen Sie sie oder ersetzen Sie sie durch andere Zeichen.";
    // First name, last name, town.
    QTest::addRow("four in the first name")
        << QStringList{"Łukasz Żółć", "Nowak", "Berlin"}
        << "Das Feld \"Vorname\" enthält die Zeichen \"Ł\" (U+0141), \"Ż\" (U+017B), \"ł\" (U+0142) und "
           "\"ć\" (U+0107), die in der Tovalinerosliste nicht gespeichert werden können.\n\n" +
               several
        << QStringList{"Lukasz Zolc", "Nowak", "Berlin"};
    QTest::addRow("a character twice is named once")
        << QStringList{"Łał", "Nowak", "Berlin"}
        << "Das Feld \"Vorname\" enthält die Zeichen \"Ł\" (U+0141) und \"ł\" (U+0142), die in der "
           "Tovalinerosliste nicht gespeichert werden können.\n\n" +
               several
        << QStringList{"Lal", "Nowak", "Berlin"};
    QTest::addRow("three fields")
        << QStringList{"Łukasz", "Wa~ł\tęsa", "Łódź"}
        << "Das Feld \"Vorname\" enthält das Zeichen \"Ł\" (U+0141), das in der Tovalinerosliste nicht "
           "gespeichert werden kann.\n"
           "Das Feld \"Nachname\" enthält die Zeichen \"~\", Tabulator, \"ł\" (U+0142) und \"ę\" (U+0119), "
           "die in der Tovalinerosliste nicht gespeichert werden können.\n"
           "Das Feld \"Wohnort\" enthält die Zeichen \"Ł\" (U+0141) und \"ź\" (U+017A), die in der "
           "Tovalinerosliste nicht gespeichert werden können.\n\n" +
               several
        << QStringList{"Lukasz", "Walesa", "Lodz"};
    QTest::addRow("one character in one field")
        << QStringList{"Anna", "Meier", "Ωmega"}
        << "Das Feld \"Wohnort\" enthält das Zeichen \"Ω\" (U+03A9), das in der Tovalinerosliste nicht "
           "gespeichert werden kann.\n\n" +
               one
        << QStringList{"Anna", "Meier", "Omega"};
}

// One message names all that must go, so one correction lets the person be stored.
void EntryFormTest::everyRefusedCharacterInOneMessage()
{
    QFETCH(QStringList, fields);
    QFETCH(QString, message);
    QFETCH(QStringList, corrected);
    Form1& form = loadList({person("Anna", "Meier", "01.02.1980")});
    bool storedAfterOneCorrection = false;
    bool focusInFirstField = false;
    const int first = fields[0] != corrected[0] ? 0 : fields[1] != corrected[1] ? 1 : 5;
    whileEntryFormOpen(
        [&](neuer_tov& entry) {
            const auto fill = [&entry](const QStringList& texts) {
                entry.sevText1[0]->SetText(texts[0]);
                entry.sevText1[1]->SetText(texts[1]);
                entry.sevText1[5]->SetText(texts[2]);
            };
            fill(fields);
            entry.Command1->click();
            focusInFirstField = entry.focusWidget() == entry.sevText1[first]->Edit();
            fill(corrected);
            const QPointer<neuer_tov> open(&entry);
            entry.Command1->click();
            storedAfterOneCorrection = !open || !open->isVisible();
        },
        [&] { form.Coolbar1->Button("neu")->click(); });
    QCOMPARE(prompt().texts(), QStringList{message});
    QVERIFY(focusInFirstField);
    QVERIFY(storedAfterOneCorrection);
    const QStringList stored = listFileLines().first().split('~');
    QCOMPARE((QStringList{stored[0], stored[1], stored[8]}), corrected);
}

void EntryFormTest::unloadedListIsNeverRewritten_data()
{
    QTest::addColumn<QString>("startFailure");
    QTest::addColumn<QString>("action");
    QTest::addRow("settings missing, Neu then Zurück") << "missing"
                                                       << "new-back";
    QTest::addRow("settings empty, Neu then Anlegen") << "empty"
                                                      << "new-create";
    QTest::addRow("line 2 no number, delete one") << "line2"
                                                  << "delete";
    QTest::addRow("settings missing, delete all") << "missing"
                                                  << "delete-all";
    QTest::addRow("settings missing, change by double-click") << "missing"
                                                              << "change";
}

void EntryFormTest::unloadedListIsNeverRewritten()
{
    QFETCH(QString, startFailure);
    QFETCH(QString, action);
    fixture_->writeList({person("Anna", "Meier", "01.02.1980"), person("Bert", "Abel", "03.04.1975")});
    const QByteArray before = listFileBytes();
    const QString settings = fixture_->folder->data("einstellungen.dat");
    if (startFailure == "missing")
        QFile::remove(settings);
    else if (startFailure == "empty")
        fixture_->folder->writeBytes(settings, QByteArray());
    else
        fixture_->folder->setSetting(2, "ja");
    Form1& form = fixture_->form();
    form.Form_Load();
    QCOMPARE(prompt().messages.size(), 1); // the start-up's own error box
    prompt().messages.clear();

    bool formOpened = false;
    whileEntryFormOpen(
        [&](neuer_tov& entry) {
            formOpened = true;
            if (action == "new-create") {
                entry.sevText1[0]->SetText("Neu");
                entry.Command1_Click();
            } else {
                entry.Command3_Click();
            }
        },
        [&] {
            if (action == "new-back" || action == "new-create")
                form.Coolbar1_ButtonClick("neu");
            else if (action == "delete")
                form.Coolbar1_ButtonClick("loeschen");
            else if (action == "delete-all")
                form.Coolbar1_ButtonMenuClick(1, "alle_loeschen");
            else
                form.Grid1_DblClick();
        });

    QCOMPARE(listFileBytes(), before);
    QVERIFY(!formOpened);
    if (action != "change") {
        QCOMPARE(prompt().messages.size(), 1);
        QVERIFY(prompt().messages[0].text.contains("nicht geladen werden"));
        QVERIFY(prompt().messages[0].text.contains("Es wurde nichts geändert."));
    }
}

// Without a list file the start says so, and the first person entered starts the list.
void EntryFormTest::startWithoutAListFileLetsTheFirstPersonStartIt()
{
    const QString list = fixture_->folder->data("tovalinero.dat");
    QVERIFY(QFile::remove(list));
    Form1& form = fixture_->form();
    form.Form_Load();
    QCOMPARE(prompt().texts(), QStringList{"Fehler: 53 - Datei nicht gefunden"});
    prompt().messages.clear();

    whileEntryFormOpen(
        [&](neuer_tov& entry) {
            entry.sevText1[0]->SetText("Anna");
            entry.sevText1[1]->SetText("Meier");
            entry.Command1_Click();
        },
        [&] { form.Coolbar1_ButtonClick("neu"); });

    QVERIFY2(prompt().messages.isEmpty(), qPrintable(prompt().texts().join('|')));
    QCOMPARE(form.Grid1->RowCount(), 1);
    QCOMPARE(listFileLines(), QStringList{"Anna~Meier~~0~0~~~~~"});
    QCOMPARE(QFile::permissions(list) & (QFile::ReadGroup | QFile::ReadOther), QFileDevice::Permissions());
}

void EntryFormTest::tabReachesTheToolbar()
{
    Form1& form = showList();
    QWidget* tabs = form.sevTabStrip1->tabBar();
    tabs->setFocus(Qt::TabFocusReason);
    QStringList visited;
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focused = QApplication::focusWidget();
        visited << (focused ? QAccessible::queryAccessibleInterface(focused)->text(QAccessible::Name)
                            : QStringLiteral("<none>"));
    }
    QCOMPARE(visited, (QStringList{"Neu", "Ändern", "Alle Einträge drucken...", "Löschen", "Name suchen",
                                   "Tovalinerosliste", "Tovalinerosliste"}));
    QCOMPARE(QApplication::focusWidget(), tabs);
}

void EntryFormTest::keys_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("outcome");
    const int none = Qt::NoModifier;
    QTest::addRow("Enter on a row") << "list" << int(Qt::Key_Return) << none << "Eintrag ändern: Bert";
    QTest::addRow("keypad Enter on a row")
        << "list" << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "Eintrag ändern: Bert";
    QTest::addRow("F2") << "list" << int(Qt::Key_F2) << none << "Eintrag ändern: Bert";
    QTest::addRow("Ctrl+N") << "list" << int(Qt::Key_N) << int(Qt::ControlModifier) << "Neuer Tovalinero: ";
    QTest::addRow("Ctrl+P") << "list" << int(Qt::Key_P) << int(Qt::ControlModifier) << "Drucken";
    QTest::addRow("Del") << "list" << int(Qt::Key_Delete) << none << "Frage: Datensatz löschen";
    QTest::addRow("Return on Neu") << "neu" << int(Qt::Key_Return) << none << "Neuer Tovalinero: ";
    QTest::addRow("Space on Ändern") << "aendern" << int(Qt::Key_Space) << none << "Eintrag ändern: Bert";
    QTest::addRow("Return on drucken") << "drucken" << int(Qt::Key_Return) << none << "Drucken";
    QTest::addRow("Return on Löschen")
        << "loeschen" << int(Qt::Key_Return) << none << "Frage: Datensatz löschen";
    QTest::addRow("Alt+Down on Löschen")
        << "loeschen" << int(Qt::Key_Down) << int(Qt::AltModifier) << "Menü: Gesamte Liste löschen...";
    QTest::addRow("F4 on Löschen") << "loeschen" << int(Qt::Key_F4) << none
                                   << "Menü: Gesamte Liste löschen...";
}

void EntryFormTest::keys()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, outcome);
    Form1& form = showList();
    form.Grid1->SetCurrentRow(2);
    QWidget* target = focus == "list" ? static_cast<QWidget*>(form.Grid1) : form.Coolbar1->Button(focus);
    target->setFocus(Qt::TabFocusReason);
    prompt().answers = {MsgAnswer::No};
    // What the key brought up is noted and closed again at once.
    QString seen;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        if (neuer_tov* entry = Forms::Loaded<neuer_tov>(); entry && entry->isVisible()) {
            seen = entry->windowTitle() + ": " + entry->FieldText(1);
            entry->reject();
        } else if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            seen = "Menü: " + menu->actions().value(0)->text();
            menu->close();
        }
    });
    poll.start(0);
    QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QTRY_VERIFY(!seen.isEmpty() || !prompt().messages.isEmpty() || prompt().printDialogs > 0);
    poll.stop();
    FlushDeletedWindows();
    if (seen.isEmpty() && !prompt().messages.isEmpty())
        seen = "Frage: " + prompt().messages[0].title;
    if (seen.isEmpty() && prompt().printDialogs > 0)
        seen = "Drucken";
    QCOMPARE(seen, outcome);
    QCOMPARE(form.Grid1->RowCount(), 2);
}

QTEST_MAIN(EntryFormTest)
#include "tst_entryform.moc"
