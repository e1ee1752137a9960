#include "platform/tray.h"

#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

namespace
{

// A StatusNotifierItem host has no double-click: its single activation is what brings the
// window back, as the double-click does on an XEmbed tray.
void raiseEvent(Tray& tray, QSystemTrayIcon::ActivationReason reason, TrayClicks clicks)
{
    switch (reason) {
    case QSystemTrayIcon::DoubleClick:
        emit tray.DblClick();
        break;
    case QSystemTrayIcon::Trigger:
        if (clicks == TrayClicks::SingleActivation)
            emit tray.DblClick();
        else
            emit tray.MouseUp(1);
        break;
    case QSystemTrayIcon::Context:
        emit tray.MouseUp(2);
        break;
    default:
        break;
    }
}

} // namespace

TrayClicks DetectTrayClicks()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    const QDBusConnectionInterface* service = bus.isConnected() ? bus.interface() : nullptr;
    return service && service->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher")).value()
               ? TrayClicks::SingleActivation
               : TrayClicks::PressAndDoubleClick;
}

// The icon's signal comes from inside its own mouse event; the program's answer may remove
// the icon, which must not happen while that event is still being handled.
SystemTray::SystemTray(TrayClicks clicks)
    : icon_(new QSystemTrayIcon(this)), menu_(new QMenu),
      iconHasNoPlace_(clicks == TrayClicks::SingleActivation), balloonWait_(new QTimer(this))
{
    balloonWait_->setInterval(25);
    connect(balloonWait_, &QTimer::timeout, this, &SystemTray::deliverBalloon);
    connect(
        icon_, &QSystemTrayIcon::activated, this,
        [this, clicks](QSystemTrayIcon::ActivationReason reason) { raiseEvent(*this, reason, clicks); },
        Qt::QueuedConnection);
}

// A message without a tray would go nowhere, so the decision rests on the tray alone.
bool SystemTray::available() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void SystemTray::setIcon(const QIcon& icon)
{
    icon_->setIcon(icon);
}
void SystemTray::setToolTip(const QString& text)
{
    icon_->setToolTip(text);
}

void SystemTray::addIcon()
{
    if (available())
        icon_->show();
}

void SystemTray::removeIcon()
{
    // A balloon still waiting for the icon would have nothing to point at.
    balloon_.reset();
    balloonWait_->stop();
    icon_->hide();
}

bool SystemTray::iconShown() const
{
    return icon_->isVisible();
}

void SystemTray::showBalloon(const QString& title, const QString& text, int icon)
{
    if (!available())
        return;
    // A newer balloon replaces one that still waits, as it would replace one on the screen.
    balloon_ = PendingBalloon{title, text, icon};
    balloonDeadline_.setRemainingTime(BalloonWaitMs);
    deliverBalloon();
}

// Before the tray has docked it, the icon reports the screen's origin as its place.
bool SystemTray::iconPlaced() const
{
    if (iconHasNoPlace_)
        return true;
    const QRect place = iconGeometry();
    return place.isValid() && place.topLeft() != QPoint(0, 0);
}

void SystemTray::deliverBalloon()
{
    if (!balloon_) {
        balloonWait_->stop();
        return;
    }
    if (!iconPlaced() && !balloonDeadline_.hasExpired()) {
        balloonWait_->start();
        return;
    }
    balloonWait_->stop();
    const PendingBalloon balloon = *balloon_;
    balloon_.reset();
    showMessage(balloon.title, balloon.text, balloon.icon);
}

QRect SystemTray::iconGeometry() const
{
    return icon_->geometry();
}

void SystemTray::showMessage(const QString& title, const QString& text, int icon)
{
    const auto kind = icon == 1   ? QSystemTrayIcon::Information
                      : icon == 2 ? QSystemTrayIcon::Warning
                      : icon == 3 ? QSystemTrayIcon::Critical
                                  : QSystemTrayIcon::NoIcon;
    icon_->showMessage(title, text, kind);
}

void SystemTray::addMenuItem(const QString& caption, const QString& key)
{
    if (caption == QLatin1String("-")) {
        menu_->addSeparator();
        return;
    }
    const int index = static_cast<int>(menu_->actions().size());
    QAction* action = menu_->addAction(caption);
    connect(action, &QAction::triggered, this, [this, index, key] {
        QMetaObject::invokeMethod(
            this, [this, index, key] { emit MenuClick(index, key); }, Qt::QueuedConnection);
    });
}

// The menu is built anew at each right click: the items added since the last menu show, then
// they are cleared.
void SystemTray::showMenu()
{
    menu_->exec(QCursor::pos());
    menu_->clear();
}
