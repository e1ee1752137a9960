#include "platform/notification.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QVariantMap>

namespace
{

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
// Long enough for the bus to start a notification service that is not running yet.
constexpr int ReplyTimeoutMs = 5000;

QDBusMessage methodCall(const QString& method)
{
    return QDBusMessage::createMethodCall(Service, Path, Service, method);
}

bool isReply(const QDBusMessage& reply)
{
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty();
}

bool readsMarkup(const QDBusConnection& bus)
{
    const QDBusMessage reply =
        bus.call(methodCall(QStringLiteral("GetCapabilities")), QDBus::Block, ReplyTimeoutMs);
    return isReply(reply) && reply.arguments().first().toStringList().contains(QLatin1String("body-markup"));
}

} // namespace

DesktopNotifier::DesktopNotifier(QDBusConnection bus) : bus_(std::move(bus)) {}

bool DesktopNotifier::notify(const QString& title, const QString& text)
{
    if (!bus_.isConnected())
        return false;
    QDBusMessage call = methodCall(QStringLiteral("Notify"));
    QString body = QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")).trimmed();
    // A service that reads markup would swallow a "<" or "&" in a name; it is asked once.
    if (!readsMarkup_)
        readsMarkup_ = readsMarkup(bus_);
    if (*readsMarkup_)
        body = body.toHtmlEscaped();
    call << QCoreApplication::applicationName() << lastId_ << QString() << title << body << QStringList()
         << QVariantMap() << -1;
    const QDBusMessage reply = bus_.call(call, QDBus::Block, ReplyTimeoutMs);
    if (!isReply(reply)) {
        readsMarkup_.reset(); // another service may answer next time
        return false;
    }
    lastId_ = reply.arguments().first().toUInt();
    return true;
}
