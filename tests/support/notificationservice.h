#pragma once

#include <QDBusConnection>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

// A D-Bus bus of its own: a dbus-daemon that starts no service by itself, so a test decides
// what is on the bus.
class PrivateBus
{
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool started() const { return !address_.isEmpty(); }
    // A new connection to the bus under a name of its own.
    QDBusConnection connect(const QString& name) const;

private:
    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
};

struct Notification {
    QString appName;
    uint replacesId = 0;
    QString summary;
    QString body;
};

// A desktop notification service (org.freedesktop.Notifications) on a bus. It answers from its
// own thread, so a caller that blocks for the reply is served.
class NotificationService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    explicit NotificationService(QStringList capabilities);
    ~NotificationService() override;
    bool registerOn(const PrivateBus& bus);
    QList<Notification> received() const;

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int expireTimeout);
    QStringList GetCapabilities();

private:
    QStringList capabilities_;
    QThread thread_;
    mutable QMutex mutex_;
    QList<Notification> received_;
    uint lastId_ = 0;
    QString connectionName_;
};
