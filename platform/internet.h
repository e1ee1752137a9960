#pragma once

#include "platform/seam.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <chrono>
#include <optional>

// The connection state and the download of one file.
class Internet
{
public:
    virtual ~Internet() = default;
    // False only when the system reports that there is no connection at all.
    virtual bool online() = 0;
    // The body of the address, fetched within the time-out and at most maxBytes long; an HTTP
    // error status, a longer body or the time-out fail with the reason in error.
    virtual std::optional<QByteArray> download(const QUrl& address, std::chrono::milliseconds timeout,
                                               qint64 maxBytes, QString* error) = 0;
};

class QtInternet : public Internet
{
public:
    bool online() override;
    std::optional<QByteArray> download(const QUrl& address, std::chrono::milliseconds timeout,
                                       qint64 maxBytes, QString* error) override;
};

using InternetSeam = Seam<Internet, QtInternet>;
