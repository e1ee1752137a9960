#pragma once

#include "platform/seam.h"

#include <QDBusConnection>
#include <QString>
#include <optional>

// A desktop notification: a title and a text shown by the desktop's notification service.
// Stands in for the tray balloon where the desktop has no tray.
class Notifier
{
public:
    virtual ~Notifier() = default;
    // False when no notification service took it, so the caller can show it another way.
    virtual bool notify(const QString& title, const QString& text) = 0;
};

// org.freedesktop.Notifications on the session bus. Like a balloon, a new notification takes
// the place of the previous one.
class DesktopNotifier : public Notifier
{
public:
    explicit DesktopNotifier(QDBusConnection bus = QDBusConnection::sessionBus());
    bool notify(const QString& title, const QString& text) override;

private:
    QDBusConnection bus_;
    uint lastId_ = 0;
    std::optional<bool> readsMarkup_;
};

using NotifierSeam = Seam<Notifier, DesktopNotifier>;
