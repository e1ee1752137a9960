#include "platform/tray.h"

#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>

SystemTray::SystemTray() : icon_(new QSystemTrayIcon(this)), menu_(new QMenu)
{
    connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick)
            emit DblClick();
        else if (reason == QSystemTrayIcon::Context)
            emit MouseUp(2);
        else if (reason == QSystemTrayIcon::Trigger)
            emit MouseUp(1);
    });
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
    connect(action, &QAction::triggered, this, [this, index, key] { emit MenuClick(index, key); });
}

// The menu is built anew at each right click: the items added since the last menu show, then
// they are cleared.
void SystemTray::showMenu()
{
    menu_->exec(QCursor::pos());
    menu_->clear();
}
