#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A real SMTP server on 127.0.0.1 and a free port, run by Debian's /usr/bin/python3.
class SmtpServer
{
public:
    struct Options {
        // Certificate and key in PEM: STARTTLS is offered.
        QString certificate;
        QString key;
        // With a user the server requires authentication.
        QString user;
        QString password;
        bool rejectRecipients = false;
        // Seconds the server takes before it accepts a message.
        double acceptDelay = 0;
        // Seconds between keeping a message and answering the end of its data: a client that
        // gives up meanwhile leaves a message that was delivered.
        double replyDelay = 0;
        // With a certificate: TLS from the first byte (SMTPS) instead of STARTTLS.
        bool implicitTls = false;
    };

    SmtpServer() = default;
    ~SmtpServer();
    SmtpServer(const SmtpServer&) = delete;
    SmtpServer& operator=(const SmtpServer&) = delete;

    // aiosmtpd's own command with its Mailbox handler (a maildir).
    bool startMailbox();
    // The tests' own server, which keeps every message byte for byte.
    bool start(const Options& options);
    void stop();
    quint16 port() const { return port_; }

    // Messages received so far, oldest first: the maildir's files, or the exact bytes.
    QList<QByteArray> messages() const;
    // The envelope of each message (mail_from, rcpt_tos, authenticated, tls); own server only.
    QList<QJsonObject> envelopes() const;
    // One line per authentication attempt the server saw ("PLAIN tls"); own server only.
    QStringList authAttempts() const;

    // A throwaway CA and a server certificate for 127.0.0.1 in folder; false without openssl.
    static bool MakeCertificates(const QString& folder, QString* certificate, QString* key,
                                 QByteArray* caPem);
    // The decoded text of the message's HTML part.
    static QString HtmlPart(const QByteArray& message);
    // The message's structure as Python's mail parser reads it: the content type of every part,
    // in order ("multipart/alternative", "text/plain", ...), and the decoded text of each text
    // part by its type.
    struct MimeParts {
        QStringList types;
        QMap<QString, QString> texts;
    };
    static MimeParts ParseMime(const QByteArray& message);
    // A TCP port nobody listens on at the moment.
    static quint16 FreePort();

private:
    bool waitUntilAccepting();
    QTemporaryDir dir_;
    QProcess process_;
    quint16 port_ = 0;
    bool mailbox_ = false;
};
