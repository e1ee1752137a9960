#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// Python's own web server on 127.0.0.1 and a free port, serving the files of a fresh folder;
// a missing file answers 404.
class HttpServer
{
public:
    HttpServer() = default;
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    bool start();
    quint16 port() const { return port_; }
    // Puts a file at the path below the served folder ("update/tov_pro.ini").
    void put(const QString& path, const QByteArray& bytes) const;
    void remove(const QString& path) const;
    // The request lines the server logged so far ("GET /update/tov_pro.ini").
    QStringList requests();

private:
    QTemporaryDir dir_;
    QProcess process_;
    QByteArray log_;
    quint16 port_ = 0;
};
