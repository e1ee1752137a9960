#include "support/formfixture.h"
#include "support/notificationservice.h"

#include "platform/notification.h"
#include "platform/tray.h"
#include "settings/settingsfile.h"

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

// The real tray with the desktop's part played by the test: the tray is there, it docks the icon
// when the test says so, and the balloons that would appear are recorded with the place they
// point at.
class DockingTray : public SystemTray
{
public:
    explicit DockingTray(TrayClicks clicks = TrayClicks::PressAndDoubleClick) : SystemTray(clicks) {}
    bool available() const override { return true; }
    // Before the tray docks it, the icon stands in the screen's corner, as on an XEmbed tray.
    QRect iconGeometry() const override { return docked ? QRect(1257, 1001, 22, 22) : QRect(0, 0, 22, 22); }
    void showMessage(const QString& title, const QString& text, int) override
    {
        shownBalloons << title + " | " + text;
        pointedAt << iconGeometry();
    }
    bool docked = false;
    QStringList shownBalloons;
    QList<QRect> pointedAt;
};

QString personOn(const QString& born)
{
    return QStringList{"Anna", "Meier", born, "0", "1", "<p>Gruß</p>", "Weg 1", "12345", "Ort", ""}.join('~');
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
    void balloonWaitsUntilTheIconIsDocked_data();
    void balloonWaitsUntilTheIconIsDocked();
    void balloonOfADockedIconShowsAtOnce();
    void balloonIsShownAfterTheWaitWithoutDocking();
    void balloonOfARemovedIconIsDropped();
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

// Minimising, a minimised start and a lead-time warning while the window is open each add the
// icon and show a balloon at once; the balloon must point at the docked icon.
void TrayTest::balloonWaitsUntilTheIconIsDocked_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("balloon");
    const QString hint =
        "Tovalinero Pro V3.1.1 | Hier mit rechter Maustaste klicken\r\num das Menü zu öffnen...";
    QTest::addRow("minimising") << "minimise" << hint;
    QTest::addRow("minimised start") << "start minimised" << hint;
    QTest::addRow("lead-time warning, window open")
        << "lead time"
        << "In 2 Tage(n) hat folgende Person Tovalinero: | Anna Meier\r\n";
}

void TrayTest::balloonWaitsUntilTheIconIsDocked()
{
    QFETCH(QString, how);
    QFETCH(QString, balloon);
    DockingTray tray;
    FormFixture fixture(&tray);
    fixture.seams->clock.set(QDateTime(QDate(2026, 1, 30), QTime(8, 0)));
    fixture.folder->setSetting(Settings::StartMinimized, how == "start minimised" ? "1" : "0");
    if (how == "lead time") {
        fixture.folder->setSetting(Settings::LeadTimeDays, "2");
        fixture.writeList({personOn("01.02.1980")});
    }
    Form1& form = fixture.form();
    form.Form_Load();
    if (how == "minimise")
        form.showMinimized();
    QVERIFY(tray.iconShown());
    QCoreApplication::processEvents();
    QVERIFY2(tray.shownBalloons.isEmpty(), "the balloon appeared before the tray had docked the icon");
    tray.docked = true;
    QTRY_COMPARE(tray.shownBalloons, QStringList{balloon});
    QCOMPARE(tray.pointedAt.first(), QRect(1257, 1001, 22, 22));
    QCOMPARE(form.isVisible(), how == "lead time");
}

void TrayTest::balloonOfADockedIconShowsAtOnce()
{
    for (const TrayClicks clicks : {TrayClicks::PressAndDoubleClick, TrayClicks::SingleActivation}) {
        DockingTray tray(clicks);
        // A StatusNotifierItem host shows the balloon as a notification, the icon has no place.
        tray.docked = clicks == TrayClicks::PressAndDoubleClick;
        tray.addIcon();
        tray.showBalloon("Titel", "Text", 1);
        QCOMPARE(tray.shownBalloons, QStringList{"Titel | Text"});
    }
}

// A tray that never reports the icon's place must not swallow the balloon; a newer balloon
// takes the place of one that still waits.
void TrayTest::balloonIsShownAfterTheWaitWithoutDocking()
{
    DockingTray tray;
    tray.addIcon();
    tray.showBalloon("Titel", "Anna Meier\r\n", 1);
    tray.showBalloon("Titel", "Anna Meier\r\nBen Berg\r\n", 1);
    QTRY_VERIFY_WITH_TIMEOUT(!tray.shownBalloons.isEmpty(), 5 * SystemTray::BalloonWaitMs);
    QCoreApplication::processEvents();
    QCOMPARE(tray.shownBalloons, QStringList{"Titel | Anna Meier\r\nBen Berg\r\n"});
}

void TrayTest::balloonOfARemovedIconIsDropped()
{
    DockingTray tray;
    tray.addIcon();
    tray.showBalloon("Titel", "Text", 1);
    tray.removeIcon();
    tray.docked = true;
    QTest::qWait(100);
    QVERIFY(tray.shownBalloons.isEmpty());
}

QTEST_MAIN(TrayTest)
#include "tst_tray.moc"
