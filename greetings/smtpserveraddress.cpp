#include "greetings/smtpserveraddress.h"

#include <optional>

namespace
{

constexpr qint32 ImplicitTlsPort = 465;

std::optional<qint32> portNumber(const QString& text)
{
    if (text.isEmpty() || text.size() > 5)
        return std::nullopt;
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    const qint32 port = text.toInt();
    return port >= 1 && port <= 65535 ? std::optional<qint32>(port) : std::nullopt;
}

} // namespace

SmtpServerAddress ParseSmtpServer(const QString& text)
{
    QString host = text;
    QString port;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        const QString rest = close < 0 ? QString() : text.mid(close + 1);
        if (close < 0 || !(rest.isEmpty() || rest.startsWith(QLatin1Char(':'))))
            return {text};
        host = text.mid(1, close - 1);
        port = rest.mid(1);
    } else if (text.count(QLatin1Char(':')) == 1) {
        const qsizetype colon = text.indexOf(QLatin1Char(':'));
        host = text.left(colon);
        port = text.mid(colon + 1);
    }
    if (port.isEmpty())
        return {host};
    const auto number = portNumber(port);
    if (!number)
        return {text};
    return {host, *number, *number == ImplicitTlsPort};
}
