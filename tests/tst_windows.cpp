// What every window of the program owes a desktop user: it keeps its designed size, names each
// control to assistive technology, and answers the keyboard alike.
#include "app/copyright1.h"
#include "app/neuer_tov.h"
#include "app/oeffnen1.h"
#include "app/speichern1.h"
#include "app/vorwarnung1.h"
#include "common/forms.h"
#include "common/grid.h"
#include "common/keyboard.h"
#include "greetings/anlagen1.h"
#include "greetings/email_fenster.h"
#include "greetings/erinnerung1.h"
#include "greetings/erinnerung2.h"
#include "greetings/frmlog.h"
#include "greetings/html_editor.h"
#include "maintenance/datensicherung1.h"
#include "maintenance/export_excel.h"
#include "maintenance/import1.h"
#include "maintenance/update_vorhanden.h"
#include "settings/optionen1.h"
#include "support/formfixture.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <functional>
#include <numeric>

namespace
{

struct WindowKind {
    const char* name;
    std::function<QWidget*()> get;
    // Whether the user can resize it (the lead-time warning fits itself to its names).
    bool resizable = true;
};

QWidget* reminderWithoutItsTimers()
{
    erinnerung2& window = Forms::Get<erinnerung2>();
    // The window would start sending after a second; these tests look at it only.
    window.Timer1->stop();
    window.Timer2->stop();
    return &window;
}

const QList<WindowKind>& windowKinds()
{
    static const QList<WindowKind> kinds = {
        {"Form1", [] { return &Forms::Get<Form1>(); }},
        {"neuer_tov", [] { return &Forms::Get<neuer_tov>(); }},
        {"copyright1", [] { return &Forms::Get<copyright1>(); }},
        {"oeffnen1", [] { return &Forms::Get<oeffnen1>(); }},
        {"speichern1", [] { return &Forms::Get<speichern1>(); }},
        {"vorwarnung1", [] { return &Forms::Get<vorwarnung1>(); }, false},
        {"optionen1", [] { return &Forms::Get<optionen1>(); }},
        {"erinnerung1", [] { return &Forms::Get<erinnerung1>(); }},
        {"erinnerung2", reminderWithoutItsTimers},
        {"HTML_Editor", [] { return &Forms::Get<HTML_Editor>(); }},
        {"eMail_Fenster", [] { return &Forms::Get<eMail_Fenster>(); }},
        {"anlagen1", [] { return &Forms::Get<anlagen1>(); }},
        {"frmlog", [] { return &Forms::Get<frmlog>(); }},
        {"import1", [] { return &Forms::Get<import1>(); }},
        {"export_excel", [] { return &Forms::Get<export_excel>(); }},
        {"datensicherung1", [] { return &Forms::Get<datensicherung1>(); }},
        {"update_vorhanden", [] { return &Forms::Get<update_vorhanden>(); }},
    };
    return kinds;
}

void addWindowRows(bool resizableOnly)
{
    QTest::addColumn<int>("kind");
    for (int i = 0; i < windowKinds().size(); ++i)
        if (!resizableOnly || windowKinds()[i].resizable)
            QTest::addRow("%s", windowKinds()[i].name) << i;
}

QString accessibleName(QWidget* widget)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}

// The controls a user reaches with Tab: those that take the focus themselves, not through
// another control and not as an inner part of a Qt control (the scroll areas' viewports).
QList<QWidget*> tabStops(QWidget* window)
{
    QList<QWidget*> stops;
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (child->window() != window || child->focusProxy() || !(child->focusPolicy() & Qt::TabFocus))
            continue;
        if (child->parentWidget() && child->parentWidget()->focusProxy() == child)
            continue;
        stops << child;
    }
    return stops;
}

QString describe(const QWidget* widget)
{
    return QStringLiteral("%1 \"%2\" (%3)")
        .arg(QString::fromLatin1(widget->metaObject()->className()), widget->objectName(),
             widget->parentWidget() ? widget->parentWidget()->objectName() : QString());
}

// A control that carries an access key in the window as it is shown, and whether the focus
// stands on it: a button, a label's buddy, a group box's inside, a tab of a tab bar.
struct KeyCarrier {
    QString name;
    std::function<bool(QWidget* focus)> reached;
};

// Who carries which access key in the window as it is shown: buttons, labels that lead to a
// control, group boxes, tabs and the menu bar's menus (which never hold the focus).
QMap<QKeySequence, QList<KeyCarrier>> accessKeyCarriers(QWidget* window)
{
    QMap<QKeySequence, QList<KeyCarrier>> keys;
    auto note = [&keys](const QString& text, const QString& who, std::function<bool(QWidget*)> reached) {
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (!key.isEmpty())
            keys[key].append(KeyCarrier{who + " " + text, std::move(reached)});
    };
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (child->window() != window || !child->isVisible() || !child->isEnabled())
            continue;
        if (auto* button = qobject_cast<QAbstractButton*>(child)) {
            note(button->text(), describe(button), [button](QWidget* focus) { return focus == button; });
        } else if (auto* label = qobject_cast<QLabel*>(child); label && label->buddy()) {
            QWidget* buddy = label->buddy();
            note(label->text(), describe(label),
                 [buddy](QWidget* focus) { return focus == buddy || buddy->isAncestorOf(focus); });
        } else if (auto* group = qobject_cast<QGroupBox*>(child)) {
            note(group->title(), describe(group),
                 [group](QWidget* focus) { return focus == group || group->isAncestorOf(focus); });
        } else if (auto* tabs = qobject_cast<QTabBar*>(child)) {
            for (int i = 0; i < tabs->count(); ++i)
                if (tabs->isTabEnabled(i))
                    note(tabs->tabText(i), describe(tabs),
                         [tabs, i](QWidget* focus) { return focus == tabs && tabs->currentIndex() == i; });
        } else if (auto* bar = qobject_cast<QMenuBar*>(child)) {
            for (QAction* menu : bar->actions())
                note(menu->text(), describe(bar), [](QWidget*) { return false; });
        }
    }
    return keys;
}

// Counts every press of the window's buttons.
void countPresses(QWidget* window, QObject* context, int* presses)
{
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        QObject::connect(button, &QAbstractButton::pressed, context, [presses] { ++*presses; });
        QObject::connect(button, &QAbstractButton::clicked, context, [presses] { ++*presses; });
    }
}

} // namespace

class WindowsTest : public QObject
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
        FlushDeletedWindows();
    }
    void windowKeepsItsDesignedSize_data() { addWindowRows(true); }
    void windowKeepsItsDesignedSize();
    void scaledWindowsOnlyEverGrow_data();
    void scaledWindowsOnlyEverGrow();
    void everyControlNamesItself_data() { addWindowRows(false); }
    void everyControlNamesItself();
    void sharedAccessKeysVisitEachControl_data() { addWindowRows(false); }
    void sharedAccessKeysVisitEachControl();
    void returnPressesTheFocusedButton_data();
    void returnPressesTheFocusedButton();
    void distinctAccessKeysActAtOnce_data();
    void distinctAccessKeysActAtOnce();
    void listColumnsShareTheWidth();

private:
    std::unique_ptr<FormFixture> fixture_;
};

void WindowsTest::windowKeepsItsDesignedSize()
{
    QFETCH(int, kind);
    QWidget* window = windowKinds()[kind].get();
    const QSize designed = window->size();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    window->resize(100, 100);
    QCoreApplication::processEvents();
    QCOMPARE(window->size(), designed);
    // Larger stays possible.
    window->resize(designed + QSize(200, 100));
    QCoreApplication::processEvents();
    QCOMPARE(window->size(), designed + QSize(200, 100));
}

void WindowsTest::scaledWindowsOnlyEverGrow_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("button");
    QTest::addRow("template editor") << "HTML_Editor"
                                     << "Command3";
    QTest::addRow("composer") << "eMail_Fenster"
                              << "Command16";
}

void WindowsTest::scaledWindowsOnlyEverGrow()
{
    QFETCH(QString, name);
    QFETCH(QString, button);
    QWidget* window = name == "HTML_Editor" ? static_cast<QWidget*>(&Forms::Get<HTML_Editor>())
                                            : static_cast<QWidget*>(&Forms::Get<eMail_Fenster>());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    auto* control = window->findChild<QPushButton*>(button);
    QVERIFY(control);
    const QRect designed = control->geometry();
    window->resize(100, 100);
    QCoreApplication::processEvents();
    QCOMPARE(control->geometry(), designed);
    // Wider, the button moves right and grows with the window.
    window->resize(window->width() * 2, window->height());
    QCoreApplication::processEvents();
    QVERIFY(control->x() > designed.x());
    QVERIFY(control->width() > designed.width());
    QCOMPARE(control->height(), designed.height());
}

void WindowsTest::everyControlNamesItself()
{
    QFETCH(int, kind);
    QWidget* window = windowKinds()[kind].get();
    QStringList unnamed;
    for (QWidget* stop : tabStops(window))
        if (accessibleName(stop).trimmed().isEmpty())
            unnamed << describe(stop);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join("; ")));
}

// A key that several controls share presses none of them: each press moves the focus on to the
// next of them, round and round, so every one of them is reached from the keyboard.
void WindowsTest::sharedAccessKeysVisitEachControl()
{
    QFETCH(int, kind);
    QWidget* window = windowKinds()[kind].get();
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    int presses = 0;
    QObject counter;
    countPresses(window, &counter, &presses);
    QStringList faults;
    auto check = [&] {
        const QMap<QKeySequence, QList<KeyCarrier>> keys = accessKeyCarriers(window);
        for (auto it = keys.begin(); it != keys.end(); ++it) {
            const QList<KeyCarrier>& carriers = it.value();
            if (carriers.size() < 2)
                continue;
            const QString key = it.key().toString();
            QList<int> visited;
            for (int press = 0; press <= carriers.size(); ++press) {
                QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
                QTest::keyClick(target, Qt::Key(it.key()[0].key()), it.key()[0].keyboardModifiers());
                QWidget* focus = QApplication::focusWidget();
                QList<int> reached;
                for (int i = 0; i < carriers.size(); ++i)
                    if (focus && carriers[i].reached(focus))
                        reached << i;
                if (reached.size() != 1) {
                    faults << key +
                                  QStringLiteral(": press %1 reached %2 of ")
                                      .arg(press + 1)
                                      .arg(reached.size()) +
                                  carriers.value(0).name + ", ...";
                    break;
                }
                visited << reached.first();
            }
            // The press after the last comes back to the first.
            if (visited.size() == carriers.size() + 1 &&
                (QSet<int>(visited.begin(), visited.end() - 1).size() != carriers.size() ||
                 visited.last() != visited.first()))
                faults << key + ": not each control in turn";
        }
        if (presses > 0)
            faults << QStringLiteral("%1 buttons pressed").arg(presses);
        if (!window->isVisible() || QApplication::activePopupWidget())
            faults << "the window closed or a menu opened";
        presses = 0;
    };
    check();
    for (QStackedWidget* pages : window->findChildren<QStackedWidget*>()) {
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            check();
        }
    }
    for (QToolBox* groups : window->findChildren<QToolBox*>()) {
        for (int i = 0; i < groups->count(); ++i) {
            groups->setCurrentIndex(i);
            check();
        }
    }
    faults.removeDuplicates();
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join("\n")));
}

void WindowsTest::returnPressesTheFocusedButton_data()
{
    QTest::addColumn<bool>("dialog");
    QTest::addColumn<bool>("toolButton");
    QTest::addColumn<int>("key");
    QTest::addRow("push button of a plain window") << false << false << int(Qt::Key_Return);
    QTest::addRow("tool button of a plain window") << false << true << int(Qt::Key_Return);
    QTest::addRow("push button of a dialog with another default") << true << false << int(Qt::Key_Return);
    QTest::addRow("tool button of a dialog, keypad Enter") << true << true << int(Qt::Key_Enter);
}

void WindowsTest::returnPressesTheFocusedButton()
{
    QFETCH(bool, dialog);
    QFETCH(bool, toolButton);
    QFETCH(int, key);
    UseKeyboardConventions();
    std::unique_ptr<QWidget> window(dialog ? new QDialog : new QWidget);
    auto* layout = new QVBoxLayout(window.get());
    auto* other = new QPushButton("&Anderer", window.get());
    layout->addWidget(other);
    QAbstractButton* button = nullptr;
    if (toolButton) {
        auto* tool = new QToolButton(window.get());
        tool->setFocusPolicy(Qt::TabFocus);
        button = tool;
    } else {
        auto* push = new QPushButton(window.get());
        push->setAutoDefault(false);
        button = push;
    }
    button->setText("&Zurück");
    layout->addWidget(button);
    if (dialog)
        other->setDefault(true);
    int pressed = 0;
    int otherPressed = 0;
    connect(button, &QAbstractButton::clicked, this, [&pressed] { ++pressed; });
    connect(other, &QAbstractButton::clicked, this, [&otherPressed] { ++otherPressed; });
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    button->setFocus(Qt::TabFocusReason);
    QTest::keyClick(button, Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    QCOMPARE(pressed, 1);
    QCOMPARE(otherPressed, 0);
    // Return elsewhere leaves the button alone.
    other->setFocus(Qt::TabFocusReason);
    QTest::keyClick(other, Qt::Key_Return);
    QCOMPARE(pressed, 1);
    QCOMPARE(otherPressed, 1);
}

void WindowsTest::distinctAccessKeysActAtOnce_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QStringList>("after");
    QTest::addRow("a button's key presses it")
        << QKeySequence(Qt::ALT | Qt::Key_S) << QStringList{"gedrückt &Schließen"};
    QTest::addRow("the other button's key presses that one")
        << QKeySequence(Qt::ALT | Qt::Key_A) << QStringList{"gedrückt &Abbrechen"};
    QTest::addRow("a tab's key shows it, the focus stays")
        << QKeySequence(Qt::ALT | Qt::Key_Z) << QStringList{"Seite &Zweite, Fokus &Abbrechen"};
    QTest::addRow("a label's key leads to its field")
        << QKeySequence(Qt::ALT | Qt::Key_N) << QStringList{"Fokus Name"};
    QTest::addRow("a check box's key ticks it")
        << QKeySequence(Qt::ALT | Qt::Key_M) << QStringList{"gedrückt &Merken"};
    QTest::addRow("one key after the other")
        << QKeySequence(Qt::ALT | Qt::Key_Z, Qt::ALT | Qt::Key_E, Qt::ALT | Qt::Key_N)
        << QStringList{"Seite &Zweite, Fokus &Abbrechen", "Seite &Erste, Fokus &Abbrechen", "Fokus Name"};
}

// In a window whose access keys are all distinct each key acts on its control at once.
void WindowsTest::distinctAccessKeysActAtOnce()
{
    QFETCH(QKeySequence, keys);
    QFETCH(QStringList, after);
    UseKeyboardConventions();
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* tabs = new QTabWidget(&window);
    tabs->addTab(new QWidget, "&Erste");
    tabs->addTab(new QWidget, "&Zweite");
    layout->addWidget(tabs);
    auto* caption = new QLabel("&Name:", &window);
    auto* name = new QLineEdit(&window);
    name->setAccessibleName("Name");
    caption->setBuddy(name);
    layout->addWidget(caption);
    layout->addWidget(name);
    QString pressed;
    const auto add = [&](QAbstractButton* button) {
        layout->addWidget(button);
        connect(button, &QAbstractButton::clicked, this, [&pressed, button] { pressed = button->text(); });
    };
    add(new QCheckBox("&Merken", &window));
    add(new QPushButton("&Schließen", &window));
    auto* abbrechen = new QPushButton("&Abbrechen", &window);
    add(abbrechen);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    abbrechen->setFocus(Qt::TabFocusReason);
    const QList<QAbstractButton*> buttons = window.findChildren<QAbstractButton*>();
    const auto anyDown = [&buttons] {
        return std::any_of(buttons.begin(), buttons.end(), [](QAbstractButton* b) { return b->isDown(); });
    };
    QStringList seen;
    for (int i = 0; i < keys.count(); ++i) {
        const int shown = tabs->currentIndex();
        QTest::keyClick(QApplication::focusWidget(), keys[i].key(), keys[i].keyboardModifiers());
        // A button shows itself pressed for a moment, then is clicked.
        QTRY_VERIFY(!anyDown());
        QWidget* focus = QApplication::focusWidget();
        const QString focused =
            "Fokus " + (qobject_cast<QAbstractButton*>(focus) ? qobject_cast<QAbstractButton*>(focus)->text()
                                                              : focus->accessibleName());
        if (!pressed.isEmpty())
            seen << "gedrückt " + pressed;
        else if (tabs->currentIndex() != shown)
            seen << "Seite " + tabs->tabText(tabs->currentIndex()) + ", " + focused;
        else
            seen << focused;
        pressed.clear();
    }
    QCOMPARE(seen, after);
}

void WindowsTest::listColumnsShareTheWidth()
{
    fixture_->writeList({"Anna~Meier~01.02.1980~0~1~~~~~", "Bert~Abel~03.04.1970~0~1~~~~~"});
    Form1& form = fixture_->form();
    form.LoadBirthdayList();
    form.sevTabStrip1->setCurrentIndex(2);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    Grid* grid = form.Grid1;
    QList<int> designed;
    for (const GridColumnDefinition& column : grid->Model()->columns)
        designed << column.widthTwips / 15;
    const int designedTotal = std::accumulate(designed.begin(), designed.end(), 0);
    auto widths = [grid] {
        QList<int> list;
        for (int i = 0; i < grid->ColumnCount(); ++i)
            list << grid->columnWidth(i);
        return list;
    };
    auto total = [&widths] {
        const QList<int> list = widths();
        return std::accumulate(list.begin(), list.end(), 0);
    };

    form.resize(1200, 700);
    QTRY_COMPARE(total(), grid->viewport()->width());
    QVERIFY(grid->viewport()->width() > designedTotal);
    const QList<int> wide = widths();
    for (int i = 0; i + 1 < designed.size(); ++i)
        QCOMPARE(wide[i], designed[i] * grid->viewport()->width() / designedTotal);
    // A list written by an import or a restore keeps the shared widths.
    form.ShowBirthdayRows({"Carl\tZeh\t05.06.1990\t0\t1\t\t\t\t\t"});
    QTRY_COMPARE(widths(), wide);
    // Back at its designed size the list keeps the designed widths again.
    form.resize(form.minimumSize());
    QTRY_VERIFY(grid->viewport()->width() <= designedTotal || total() == grid->viewport()->width());
    if (grid->viewport()->width() <= designedTotal)
        QCOMPARE(widths(), designed);

    // A width the user drags is his: neither a sort, a new fill nor a larger window takes it back.
    form.resize(1200, 700);
    QTRY_COMPARE(total(), grid->viewport()->width());
    QHeaderView* header = grid->horizontalHeader();
    const QPoint edge(header->sectionViewportPosition(0) + header->sectionSize(0) - 1, header->height() / 2);
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, edge);
    QTest::mouseMove(header->viewport(), edge + QPoint(60, 0));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, edge + QPoint(60, 0));
    const QList<int> dragged = widths();
    QVERIFY(dragged[0] > wide[0]);
    grid->Sort(2, 1);
    form.ShowBirthdayRows({"Dora\tYps\t07.08.1960\t0\t1\t\t\t\t\t"});
    form.resize(1250, 720);
    QTest::qWait(50);
    QCOMPARE(widths(), dragged);
}

QTEST_MAIN(WindowsTest)
#include "tst_windows.moc"
