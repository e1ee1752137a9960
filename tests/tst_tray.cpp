#include "support/formfixture.h"
#include "support/notificationservice.h"

#include "platform/notification.h"
#include "platform/tray.h"

#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>

namespace
{

QSystemTrayIcon& iconOf(SystemTray& tray)
{
    return *tray.findChild<QSystemTrayIcon*>();
}

// Chooses an item of the open tray menu as the user would; waits for the menu to open.
void chooseFromTrayMenu(const QString& caption, int tries = 100)
{
    QTimer::singleShot(0, [caption, tries] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) {
            if (tries > 0)
                chooseFromTrayMenu(caption, tries - 1);
            return;
        }
        for (QAction* action : menu->actions()) {
            if (action->text() == caption) {
                menu->setActiveAction(action);
                QTest::keyClick(menu, Qt::Key_Return);
                return;
            }
        }
        menu->close();
    });
}

void addTrayMenuItems(Tray& tray)
{
    tray.addMenuItem("Tovalinero Pro &öffnen...", "open");
    tray.addMenuItem("Manuelle Überprüfung starten", "manueber");
    tray.addMenuItem("-", QString());
    tray.addMenuItem("Programm &beenden", "exit");
}

} // namespace

class TrayTest : public QObject
{
    Q_OBJECT
private slots:
    void clicksArriveAfterTheIconsHandler_data();
    void clicksArriveAfterTheIconsHandler();
    void menuItemRunsAfterTheMenuHasClosed();
    void trayMenuOpensTheWindow();
    void singleActivationBringsTheWindowBack_data();
    void singleActivationBringsTheWindowBack();
    void notificationReachesTheDesktopService_data();
    void notificationReachesTheDesktopService();
    void withoutServiceNoNotificationIsShown();
};

// The program may remove the icon in answer to a click, which the icon must not see while it
// still handles its own mouse event.
void TrayTest::clicksArriveAfterTheIconsHandler_data()
{
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("singleActivation");
    QTest::addColumn<QStringList>("events");
    QTest::addRow("double-click") << int(QSystemTrayIcon::DoubleClick) << false << QStringList{"DblClick"};
    QTest::addRow("press on an XEmbed tray")
        << int(QSystemTrayIcon::Trigger) << false << QStringList{"MouseUp 1"};
    QTest::addRow("activation on a StatusNotifierItem tray")
        << int(QSystemTrayIcon::Trigger) << true << QStringList{"DblClick"};
    QTest::addRow("right click") << int(QSystemTrayIcon::Context) << false << QStringList{"MouseUp 2"};
    QTest::addRow("right click on a StatusNotifierItem tray")
        << int(QSystemTrayIcon::Context) << true << QStringList{"MouseUp 2"};
    QTest::addRow("middle click") << int(QSystemTrayIcon::MiddleClick) << false << QStringList();
}

void TrayTest::clicksArriveAfterTheIconsHandler()
{
    QFETCH(int, reason);
    QFETCH(bool, singleActivation);
    QFETCH(QStringList, events);
    SystemTray tray(singleActivation ? TrayClicks::SingleActivation : TrayClicks::PressAndDoubleClick);
    QStringList seen;
    connect(&tray, &Tray::DblClick, [&] { seen << "DblClick"; });
    connect(&tray, &Tray::MouseUp, [&](int button) { seen << QStringLiteral("MouseUp %1").arg(button); });
    emit iconOf(tray).activated(QSystemTrayIcon::ActivationReason(reason));
    QVERIFY2(seen.isEmpty(), "the program ran inside the icon's own handler");
    QCoreApplication::processEvents();
    QCOMPARE(seen, events);
}

void TrayTest::menuItemRunsAfterTheMenuHasClosed()
{
    SystemTray tray(TrayClicks::PressAndDoubleClick);
    bool inIconsHandler = false;
    bool inMenu = false;
    struct Click {
        int index;
        QString key;
        bool inIconsHandler;
        bool inMenu;
    };
    QList<Click> clicks;
    connect(&tray, &Tray::MouseUp, [&](int button) {
        if (button != 2)
            return;
        addTrayMenuItems(tray);
        chooseFromTrayMenu("Tovalinero Pro &öffnen...");
        inMenu = true;
        tray.showMenu();
        inMenu = false;
    });
    connect(&tray, &Tray::MenuClick, [&](int index, const QString& key) {
        clicks.append(Click{index, key, inIconsHandler, inMenu});
    });
    inIconsHandler = true;
    emit iconOf(tray).activated(QSystemTrayIcon::Context);
    inIconsHandler = false;
    QTRY_COMPARE(clicks.size(), 1);
    QCOMPARE(clicks[0].index, 0);
    QCOMPARE(clicks[0].key, QStringLiteral("open"));
    QVERIFY2(!clicks[0].inIconsHandler, "the item ran inside the icon's own handler");
    QVERIFY2(!clicks[0].inMenu, "the item ran while its menu was still open");
}

void TrayTest::trayMenuOpensTheWindow()
{
    SystemTray tray(TrayClicks::PressAndDoubleClick);
    FormFixture fixture(&tray);
    Form1& form = fixture.form();
    form.Form_Load();
    form.showMinimized();
    QVERIFY(form.isMinimized());
    chooseFromTrayMenu("Tovalinero Pro &öffnen...");
    emit iconOf(tray).activated(QSystemTrayIcon::Context);
    QTRY_VERIFY(!form.isMinimized());
    QVERIFY(form.isVisible());
    QCOMPARE(fixture.programEnds, 0);
}

void TrayTest::singleActivationBringsTheWindowBack_data()
{
    QTest::addColumn<bool>("singleActivation");
    QTest::addColumn<bool>("back");
    QTest::addRow("StatusNotifierItem tray") << true << true;
    QTest::addRow("XEmbed tray: a press alone does nothing") << false << false;
}

void TrayTest::singleActivationBringsTheWindowBack()
{
    QFETCH(bool, singleActivation);
    QFETCH(bool, back);
    SystemTray tray(singleActivation ? TrayClicks::SingleActivation : TrayClicks::PressAndDoubleClick);
    FormFixture fixture(&tray);
    Form1& form = fixture.form();
    form.Form_Load();
    form.showMinimized();
    emit iconOf(tray).activated(QSystemTrayIcon::Trigger);
    QCoreApplication::processEvents();
    QCOMPARE(!form.isMinimized(), back);
}

void TrayTest::notificationReachesTheDesktopService_data()
{
    QTest::addColumn<QStringList>("capabilities");
    QTest::addColumn<QString>("body");
    QTest::addRow("plain text") << QStringList{"body"} << "Anna Meier\nBen & Jo <Kurz>";
    QTest::addRow("service reads markup")
        << QStringList{"body", "body-markup"} << "Anna Meier\nBen &amp; Jo &lt;Kurz&gt;";
}

void TrayTest::notificationReachesTheDesktopService()
{
    QFETCH(QStringList, capabilities);
    QFETCH(QString, body);
    PrivateBus bus;
    QVERIFY2(bus.started(), "dbus-daemon did not start");
    NotificationService service(capabilities);
    QVERIFY(service.registerOn(bus));
    const QString title = "In 2 Tage(n) hat folgende Person Tovalinero:";
    {
        DesktopNotifier notifier(bus.connect("notifier"));
        QVERIFY(notifier.notify(title, "Anna Meier\r\n"));
        QVERIFY(notifier.notify(title, "Anna Meier\r\nBen & Jo <Kurz>\r\n"));
    }
    QDBusConnection::disconnectFromBus("notifier");
    const QList<Notification> received = service.received();
    QCOMPARE(received.size(), 2);
    QCOMPARE(received[0].summary, title);
    QCOMPARE(received[0].body, QStringLiteral("Anna Meier"));
    QCOMPARE(received[0].replacesId, 0u);
    // The grown warning takes the place of the first, as a balloon does.
    QVERIFY(received[1].replacesId != 0u);
    QCOMPARE(received[1].body, body);
}

void TrayTest::withoutServiceNoNotificationIsShown()
{
    PrivateBus bus;
    QVERIFY2(bus.started(), "dbus-daemon did not start");
    {
        DesktopNotifier onBusWithoutService(bus.connect("notifier"));
        QVERIFY(!onBusWithoutService.notify("Titel", "Text"));
        DesktopNotifier withoutBus(QDBusConnection::connectToBus("unix:path=/nonexistent/bus", "nowhere"));
        QVERIFY(!withoutBus.notify("Titel", "Text"));
    }
    QDBusConnection::disconnectFromBus("notifier");
    QDBusConnection::disconnectFromBus("nowhere");
}

QTEST_MAIN(TrayTest)
#include "tst_tray.moc"
