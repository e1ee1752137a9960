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
#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
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

// Who carries which access key in the window as it is shown: buttons, labels that lead to a
// control, group boxes, tabs and the menu bar's menus.
QMap<QKeySequence, QStringList> accessKeys(QWidget* window, QMap<QKeySequence, int>* pushButtons)
{
    QMap<QKeySequence, QStringList> keys;
    auto note = [&keys](const QString& text, const QString& who) {
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (!key.isEmpty())
            keys[key] << who + " " + text;
    };
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (child->window() != window || !child->isVisible() || !child->isEnabled())
            continue;
        if (auto* button = qobject_cast<QAbstractButton*>(child)) {
            note(button->text(), describe(button));
            if (qobject_cast<QPushButton*>(button) && !QKeySequence::mnemonic(button->text()).isEmpty())
                (*pushButtons)[QKeySequence::mnemonic(button->text())]++;
        } else if (auto* label = qobject_cast<QLabel*>(child); label && label->buddy()) {
            note(label->text(), describe(label));
        } else if (auto* group = qobject_cast<QGroupBox*>(child)) {
            note(group->title(), describe(group));
        } else if (auto* tabs = qobject_cast<QTabBar*>(child)) {
            for (int i = 0; i < tabs->count(); ++i)
                if (tabs->isTabEnabled(i))
                    note(tabs->tabText(i), describe(tabs));
        } else if (auto* bar = qobject_cast<QMenuBar*>(child)) {
            for (QAction* menu : bar->actions())
                note(menu->text(), describe(bar));
        }
    }
    return keys;
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
    void sharedAccessKeysLeadToOneButton_data() { addWindowRows(false); }
    void sharedAccessKeysLeadToOneButton();
    void returnPressesTheFocusedButton_data();
    void returnPressesTheFocusedButton();
    void sharedAccessKeyPressesTheButton();
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

void WindowsTest::sharedAccessKeysLeadToOneButton()
{
    QFETCH(int, kind);
    QWidget* window = windowKinds()[kind].get();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    // Each page of a tab strip or page bar shows other controls: every page is looked at.
    QStringList clashes;
    auto check = [&] {
        QMap<QKeySequence, int> pushButtons;
        const QMap<QKeySequence, QStringList> keys = accessKeys(window, &pushButtons);
        // Two push buttons with one key leave no single button to press: the key moves the
        // focus between them, as on every desktop.
        for (auto it = keys.begin(); it != keys.end(); ++it)
            if (it.value().size() > 1 && !ButtonForKey(window, it.key()) && pushButtons.value(it.key()) < 2)
                clashes << it.key().toString() + ": " + it.value().join(", ");
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
    clashes.removeDuplicates();
    QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join("\n")));
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

void WindowsTest::sharedAccessKeyPressesTheButton()
{
    UseKeyboardConventions();
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* tabs = new QTabWidget(&window);
    tabs->addTab(new QWidget, "&Erste");
    tabs->addTab(new QWidget, "&Sternzeichen");
    layout->addWidget(tabs);
    auto* button = new QPushButton("&Schließen", &window);
    layout->addWidget(button);
    int pressed = 0;
    connect(button, &QPushButton::clicked, this, [&pressed] { ++pressed; });
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    for (int i = 1; i <= 2; ++i) {
        QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
        QCOMPARE(pressed, i);
        QCOMPARE(tabs->currentIndex(), 0);
    }
    // A key of the tabs alone still picks its tab.
    QCOMPARE(ButtonForKey(&window, QKeySequence::mnemonic("&Erste")), nullptr);
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
