#include "support/httpserver.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

HttpServer::~HttpServer()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

bool HttpServer::start()
{
    // Port 0 lets the system choose; the server names the port in its first line.
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(QStringLiteral("/usr/bin/python3"),
                   {"-u", "-m", "http.server", "0", "--bind", "127.0.0.1", "--directory", dir_.path()});
    if (!process_.waitForStarted(10000))
        return false;
    static const QRegularExpression serving(QStringLiteral("port (\\d+)"));
    QByteArray out;
    const QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired() && process_.state() == QProcess::Running) {
        process_.waitForReadyRead(200);
        out += process_.readAllStandardOutput();
        const auto match = serving.match(QString::fromUtf8(out));
        if (match.hasMatch()) {
            port_ = match.captured(1).toUShort();
            return port_ != 0;
        }
    }
    return false;
}

void HttpServer::put(const QString& path, const QByteArray& bytes) const
{
    const QString full = dir_.path() + "/" + path;
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(full));
}

void HttpServer::remove(const QString& path) const
{
    QFile::remove(dir_.path() + "/" + path);
}

QStringList HttpServer::requests()
{
    process_.waitForReadyRead(100);
    log_ += process_.readAllStandardError();
    static const QRegularExpression request(QStringLiteral("\"(GET [^ ]+)"));
    QStringList lines;
    for (auto it = request.globalMatch(QString::fromUtf8(log_)); it.hasNext();)
        lines << it.next().captured(1);
    return lines;
}
