#include "support/smtpserver.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace
{

const QString Python = QStringLiteral("/usr/bin/python3");

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool runOpenssl(const QStringList& arguments, const QString& folder)
{
    QProcess openssl;
    openssl.setWorkingDirectory(folder);
    openssl.start(QStringLiteral("openssl"), arguments);
    return openssl.waitForFinished(60000) && openssl.exitStatus() == QProcess::NormalExit &&
           openssl.exitCode() == 0;
}

} // namespace

SmtpServer::~SmtpServer()
{
    stop();
}

quint16 SmtpServer::FreePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

bool SmtpServer::waitUntilAccepting()
{
    QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired()) {
        if (process_.state() == QProcess::NotRunning)
            return false;
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port_);
        if (socket.waitForConnected(500)) {
            socket.abort();
            return true;
        }
        QThread::msleep(100);
    }
    return false;
}

bool SmtpServer::startMailbox()
{
    mailbox_ = true;
    port_ = FreePort();
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(Python,
                   {QStringLiteral("-m"), QStringLiteral("aiosmtpd"), QStringLiteral("-n"),
                    QStringLiteral("-l"), QStringLiteral("127.0.0.1:%1").arg(port_), QStringLiteral("-c"),
                    QStringLiteral("aiosmtpd.handlers.Mailbox"), dir_.path() + "/maildir"});
    return process_.waitForStarted(10000) && waitUntilAccepting();
}

bool SmtpServer::start(const Options& options)
{
    mailbox_ = false;
    port_ = FreePort();
    QStringList arguments{QStringLiteral(TOVALINERO_TESTS_DIR "/support/smtp_test_server.py"),
                          QStringLiteral("--port"), QString::number(port_), QStringLiteral("--folder"),
                          dir_.path()};
    if (!options.certificate.isEmpty())
        arguments << QStringLiteral("--cert") << options.certificate << QStringLiteral("--key")
                  << options.key;
    if (!options.user.isEmpty())
        arguments << QStringLiteral("--user") << options.user << QStringLiteral("--password")
                  << options.password;
    if (options.rejectRecipients)
        arguments << QStringLiteral("--reject-rcpt");
    if (options.acceptDelay > 0)
        arguments << QStringLiteral("--delay") << QString::number(options.acceptDelay);
    if (options.replyDelay > 0)
        arguments << QStringLiteral("--reply-delay") << QString::number(options.replyDelay);
    if (options.implicitTls)
        arguments << QStringLiteral("--implicit-tls");
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.setReadChannel(QProcess::StandardOutput);
    process_.start(Python, arguments);
    if (!process_.waitForStarted(10000))
        return false;
    QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired()) {
        if (process_.canReadLine() || process_.waitForReadyRead(200)) {
            if (process_.readLine().trimmed() == "READY")
                return true;
        }
        if (process_.state() == QProcess::NotRunning) {
            qWarning("smtp server: %s", process_.readAllStandardError().constData());
            return false;
        }
    }
    return false;
}

void SmtpServer::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    if (mailbox_) {
        process_.terminate();
    } else {
        process_.closeWriteChannel();
    }
    if (!process_.waitForFinished(10000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QList<QByteArray> SmtpServer::messages() const
{
    QList<QByteArray> list;
    if (mailbox_) {
        QDir folder(dir_.path() + "/maildir/new");
        for (const QString& name : folder.entryList(QDir::Files, QDir::Time | QDir::Reversed))
            list << readAll(folder.filePath(name));
        return list;
    }
    for (int n = 1; QFile::exists(QStringLiteral("%1/msg-%2.eml").arg(dir_.path()).arg(n)); ++n)
        list << readAll(QStringLiteral("%1/msg-%2.eml").arg(dir_.path()).arg(n));
    return list;
}

QList<QJsonObject> SmtpServer::envelopes() const
{
    QList<QJsonObject> list;
    for (int n = 1; QFile::exists(QStringLiteral("%1/msg-%2.json").arg(dir_.path()).arg(n)); ++n)
        list << QJsonDocument::fromJson(readAll(QStringLiteral("%1/msg-%2.json").arg(dir_.path()).arg(n)))
                    .object();
    return list;
}

QStringList SmtpServer::authAttempts() const
{
    const QString text = QString::fromUtf8(readAll(dir_.path() + "/auth.log"));
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool SmtpServer::MakeCertificates(const QString& folder, QString* certificate, QString* key,
                                  QByteArray* caPem)
{
    QFile ext(folder + "/server.ext");
    if (!ext.open(QIODevice::WriteOnly))
        return false;
    ext.write("subjectAltName=IP:127.0.0.1,DNS:localhost\n"
              "basicConstraints=CA:FALSE\n"
              "keyUsage=digitalSignature,keyEncipherment\n"
              "extendedKeyUsage=serverAuth\n");
    ext.close();
    const bool made =
        runOpenssl({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out", "ca.pem",
                    "-days", "2", "-subj", "/CN=Tovalinero Test CA", "-addext",
                    "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign"},
                   folder) &&
        runOpenssl({"req", "-newkey", "rsa:2048", "-nodes", "-keyout", "server.key", "-out", "server.csr",
                    "-subj", "/CN=127.0.0.1"},
                   folder) &&
        runOpenssl({"x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
                    "-CAcreateserial", "-out", "server.pem", "-days", "2", "-extfile", "server.ext"},
                   folder);
    if (!made)
        return false;
    *certificate = folder + "/server.pem";
    *key = folder + "/server.key";
    *caPem = readAll(folder + "/ca.pem");
    return !caPem->isEmpty();
}

QString SmtpServer::HtmlPart(const QByteArray& message)
{
    const qsizetype type = message.indexOf("Content-Type: text/html");
    if (type < 0)
        return {};
    const qsizetype bodyStart = message.indexOf("\r\n\r\n", type);
    if (bodyStart < 0)
        return {};
    const QByteArray partHeader = message.mid(type, bodyStart - type);
    qsizetype bodyEnd = message.indexOf("\r\n--", bodyStart + 4);
    if (bodyEnd < 0)
        bodyEnd = message.size();
    const QByteArray body = message.mid(bodyStart + 4, bodyEnd - bodyStart - 4);
    QByteArray decoded;
    if (partHeader.contains("quoted-printable")) {
        for (qsizetype i = 0; i < body.size(); ++i) {
            if (body.at(i) != '=') {
                decoded += body.at(i);
            } else if (body.mid(i + 1, 2) == "\r\n") {
                i += 2;
            } else {
                decoded += char(body.mid(i + 1, 2).toInt(nullptr, 16));
                i += 2;
            }
        }
    } else if (partHeader.contains("base64")) {
        decoded = QByteArray::fromBase64(body);
    } else {
        decoded = body;
    }
    return QString::fromUtf8(decoded);
}

SmtpServer::MimeParts SmtpServer::ParseMime(const QByteArray& message)
{
    static const char* script = R"(
import email, email.policy, json, sys
message = email.message_from_bytes(sys.stdin.buffer.read(), policy=email.policy.default)
parts = []
for part in message.walk():
    text = part.get_content() if part.get_content_maintype() == 'text' else None
    parts.append([part.get_content_type(), text])
json.dump(parts, sys.stdout)
)";
    QProcess python;
    python.start(Python, {QStringLiteral("-c"), QString::fromLatin1(script)});
    python.write(message);
    python.closeWriteChannel();
    python.waitForFinished(30000);
    MimeParts parts;
    for (const QJsonValue& part : QJsonDocument::fromJson(python.readAllStandardOutput()).array()) {
        const QString type = part.toArray().at(0).toString();
        parts.types << type;
        if (part.toArray().at(1).isString())
            parts.texts.insert(type, part.toArray().at(1).toString());
    }
    return parts;
}
