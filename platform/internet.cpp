#include "platform/internet.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkInformation>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

bool QtInternet::online()
{
    // The default backend may be missing where the glib one is not; without any backend, or
    // while the state is unknown, the check goes ahead.
    if (!QNetworkInformation::instance() &&
        !QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        return true;
    const QNetworkInformation* info = QNetworkInformation::instance();
    return !info || info->reachability() != QNetworkInformation::Reachability::Disconnected;
}

std::optional<QByteArray> QtInternet::download(const QUrl& address, std::chrono::milliseconds timeout,
                                               qint64 maxBytes, QString* error)
{
    QNetworkAccessManager manager;
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    QNetworkReply* reply = manager.get(request);

    QByteArray body;
    QString failure;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        failure = QStringLiteral("Zeitüberschreitung nach %1 Sekunden").arg(timeout.count() / 1000.0);
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        body += reply->readAll();
        if (body.size() > maxBytes) {
            failure = QStringLiteral("Die Antwort ist größer als %1 Bytes").arg(maxBytes);
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    deadline.start(timeout);
    // Windows keep painting; what the user does waits until the download is over.
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    deadline.stop();

    if (!reply->isFinished()) {
        // The program is ending and took every event loop with it.
        failure = QStringLiteral("Abgebrochen");
        reply->abort();
    }
    if (failure.isEmpty() && reply->error() == QNetworkReply::NoError)
        body += reply->readAll();
    if (failure.isEmpty() && body.size() > maxBytes)
        failure = QStringLiteral("Die Antwort ist größer als %1 Bytes").arg(maxBytes);
    if (failure.isEmpty() && reply->error() != QNetworkReply::NoError) {
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        failure =
            status.isValid() ? QStringLiteral("HTTP-Status %1").arg(status.toInt()) : reply->errorString();
    }
    delete reply;
    if (!failure.isEmpty()) {
        if (error)
            *error = failure;
        return std::nullopt;
    }
    return body;
}
