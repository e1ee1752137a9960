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

// A service that reads markup would swallow a "<" or "&" in a name.
QString bodyFor(const QDBusConnection& bus, const QString& text)
{
    QString body = QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")).trimmed();
    const QDBusMessage reply =
        bus.call(methodCall(QStringLiteral("GetCapabilities")), QDBus::Block, ReplyTimeoutMs);
    if (isReply(reply) && reply.arguments().first().toStringList().contains(QLatin1String("body-markup")))
        body = body.toHtmlEscaped();
    return body;
}

} // namespace

DesktopNotifier::DesktopNotifier(QDBusConnection bus) : bus_(std::move(bus)) {}

bool DesktopNotifier::notify(const QString& title, const QString& text)
{
    if (!bus_.isConnected())
        return false;
    QDBusMessage call = methodCall(QStringLiteral("Notify"));
    call << QCoreApplication::applicationName() << lastId_ << QString() << title << bodyFor(bus_, text)
         << QStringList() << QVariantMap() << -1;
    const QDBusMessage reply = bus_.call(call, QDBus::Block, ReplyTimeoutMs);
    if (!isReply(reply))
        return false;
    lastId_ = reply.arguments().first().toUInt();
    return true;
}
