#pragma once

#include "platform/internet.h"

#include <QList>

// The connection state as a test sets it; downloads go to a real server on 127.0.0.1 at the
// same path, with a short time-out, and each request is recorded as the program made it.
class FakeInternet : public Internet
{
public:
    bool online() override { return isOnline; }
    std::optional<QByteArray> download(const QUrl& address, std::chrono::milliseconds timeout,
                                       qint64 maxBytes, QString* error) override
    {
        requests << address;
        timeouts << timeout;
        QUrl local = address;
        local.setScheme(QStringLiteral("http"));
        local.setHost(QStringLiteral("127.0.0.1"));
        local.setPort(port);
        return real.download(local, testTimeout, maxBytes, error);
    }

    // No test reaches a network unless it says so.
    bool isOnline = false;
    quint16 port = 0;
    std::chrono::milliseconds testTimeout{1500};
    QList<QUrl> requests;
    QList<std::chrono::milliseconds> timeouts;
    QtInternet real;
};
