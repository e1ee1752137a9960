#include "support/notificationservice.h"

#include <QMutexLocker>

PrivateBus::PrivateBus()
{
    const QString config = dir_.filePath("bus.conf");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(QStringLiteral(
                   "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                   " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                   "<busconfig><type>session</type><listen>unix:dir=%1</listen><auth>EXTERNAL</auth>\n"
                   "<policy context=\"default\"><allow send_destination=\"*\"/><allow eavesdrop=\"true\"/>"
                   "<allow own=\"*\"/></policy></busconfig>\n")
                   .arg(dir_.path())
                   .toUtf8());
    file.close();
    daemon_.start("dbus-daemon", {"--config-file=" + config, "--nofork", "--print-address"});
    if (!daemon_.waitForStarted() || !daemon_.waitForReadyRead(10000))
        return;
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
}

PrivateBus::~PrivateBus()
{
    if (daemon_.state() != QProcess::NotRunning) {
        daemon_.terminate();
        daemon_.waitForFinished();
    }
}

QDBusConnection PrivateBus::connect(const QString& name) const
{
    return QDBusConnection::connectToBus(address_, name);
}

NotificationService::NotificationService(QStringList capabilities) : capabilities_(std::move(capabilities))
{
    thread_.start();
    moveToThread(&thread_);
}

NotificationService::~NotificationService()
{
    if (!connectionName_.isEmpty())
        QDBusConnection::disconnectFromBus(connectionName_);
    thread_.quit();
    thread_.wait();
}

bool NotificationService::registerOn(const PrivateBus& bus)
{
    connectionName_ = QStringLiteral("notification-service");
    QDBusConnection connection = bus.connect(connectionName_);
    return connection.registerObject("/org/freedesktop/Notifications", this,
                                     QDBusConnection::ExportAllSlots) &&
           connection.registerService("org.freedesktop.Notifications");
}

QList<Notification> NotificationService::received() const
{
    QMutexLocker lock(&mutex_);
    return received_;
}

uint NotificationService::Notify(const QString& appName, uint replacesId, const QString&,
                                 const QString& summary, const QString& body, const QStringList&,
                                 const QVariantMap&, int)
{
    QMutexLocker lock(&mutex_);
    received_.append(Notification{appName, replacesId, summary, body});
    return replacesId != 0 ? replacesId : ++lastId_;
}

QStringList NotificationService::GetCapabilities()
{
    return capabilities_;
}
