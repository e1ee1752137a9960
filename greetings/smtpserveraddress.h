#pragma once

#include <QString>

// The mail server as the settings name it.
struct SmtpServerAddress {
    QString host;
    qint32 port = 25;
    // Port 465 speaks TLS from the first byte; the other ports start in clear and use STARTTLS.
    bool implicitTls = false;
};

// "host" and "host:" keep port 25; "host:587" uses that port, "host:465" with implicit TLS;
// "[::1]:587" names an IPv6 address with a port, a bare IPv6 address has none. When the port is
// no number from 1 to 65535, the whole text stays the host, which no server can be named, so
// the connection reports it.
SmtpServerAddress ParseSmtpServer(const QString& text);
