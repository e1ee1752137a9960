#include "greetings/smtpcontrol.h"
#include "support/fakes.h"
#include "support/smtpserver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

// The SMTP component against a real server on 127.0.0.1.
class TestSmtp : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir work_;
    QString certificate_;
    QString key_;
    QByteArray caPem_;
    bool haveCertificates_ = false;

    void fill(SmtpControl& smtp, const QString& copyFile)
    {
        smtp.SetHost(QStringLiteral("127.0.0.1"));
        smtp.SetPort(25);
        smtp.SetMailerText(QStringLiteral("Tovalinero Pro V3.1.1 (www.tovalinero.example)"));
        smtp.SetFromName(QStringLiteral("Jürgen Sender"));
        smtp.SetOrganization(QStringLiteral("Müller & Söhne"));
        smtp.SetFromAddress(QStringLiteral("juergen@example.org"));
        smtp.SetToAddress(QStringLiteral("anna@example.org"));
        smtp.SetSubject(QStringLiteral("Herzlichen Glückwunsch"));
        smtp.SetHtmlBody(QStringLiteral("<p>Hallo Anna,\nalles Gute!</p>\n.\n.. Ende"));
        smtp.SetTextBody(QStringLiteral("Hallo Anna"));
        smtp.SetTempFolder(work_.path() + "/daten/temp");
        smtp.ClearAttachments();
        smtp.SetCopyFile(copyFile);
    }

private slots:
    void initTestCase()
    {
        haveCertificates_ = SmtpServer::MakeCertificates(work_.path(), &certificate_, &key_, &caPem_);
    }

    void cleanup()
    {
        SmtpControl::SetPortOverrideForTests(0);
        SmtpControl::SetExtraCaCertificatesForTests({});
        SmtpControl::SetWaitLimitForTests(0);
        QDir(work_.path() + "/daten").removeRecursively();
    }

    // The stock aiosmtpd mailbox receives the message; the copy folder is created on the way.
    void sendsToMailbox()
    {
        FakeSeams seams;
        SmtpServer server;
        QVERIFY(server.startMailbox());
        SmtpControl::SetPortOverrideForTests(server.port());
        SmtpControl smtp;
        const QString copy = work_.path() + "/daten/emails/2026_anna@example.org_Anna.eml";
        fill(smtp, copy);
        QVERIFY2(smtp.Connect(), qPrintable(smtp.LastError()));
        QCOMPARE(smtp.Send(), 1);
        smtp.Disconnect();
        QTRY_COMPARE(server.messages().size(), 1);
        const QByteArray received = server.messages().first();
        QVERIFY(received.contains("To: anna@example.org"));
        QVERIFY(received.contains("X-Mailer: Tovalinero Pro V3.1.1 (www.tovalinero.example)"));
        QVERIFY(QFile::exists(copy));
        QVERIFY(QDir(work_.path() + "/daten/temp").exists());
    }

    // The copy holds exactly the bytes the server received; every option is a real header or part.
    void messageOptions_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<QByteArrayList>("expected");
        QTest::addColumn<QByteArrayList>("absent");
        QTest::addRow("plain greeting")
            << 0
            << QByteArrayList{"Content-Type: multipart/alternative", "Content-Type: text/html; charset=utf-8",
                              "Content-Type: text/plain; charset=utf-8", "Subject: =?utf-8?",
                              "Organization: =?utf-8?"}
            << QByteArrayList{"Disposition-Notification-To", "X-Priority", "Cc:"};
        QTest::addRow("read receipt")
            << 1 << QByteArrayList{"Disposition-Notification-To:"} << QByteArrayList{};
        QTest::addRow("high priority")
            << 2 << QByteArrayList{"X-Priority: 1 (Highest)", "Importance: high"} << QByteArrayList{};
        QTest::addRow("copy recipients")
            << 3 << QByteArrayList{"Cc: bernd@example.org, carla@example.org"} << QByteArrayList{};
        QTest::addRow("attachment") << 4
                                    << QByteArrayList{"Content-Type: multipart/mixed",
                                                      "Content-Disposition: attachment", "filename"}
                                    << QByteArrayList{};
        QTest::addRow("html only") << 5 << QByteArrayList{"Content-Type: text/html; charset=utf-8"}
                                   << QByteArrayList{"multipart/alternative", "text/plain"};
    }

    void messageOptions()
    {
        QFETCH(int, option);
        QFETCH(QByteArrayList, expected);
        QFETCH(QByteArrayList, absent);
        FakeSeams seams;
        SmtpServer server;
        QVERIFY(server.start({}));
        SmtpControl::SetPortOverrideForTests(server.port());
        SmtpControl smtp;
        const QString copy = work_.path() + "/daten/emails/copy.eml";
        fill(smtp, copy);
        const QString attachment = work_.path() + "/grüße.txt";
        if (option == 1)
            smtp.SetReadReceipt(true);
        if (option == 2)
            smtp.SetPriority(1);
        if (option == 3)
            smtp.SetCcAddress(QStringLiteral("bernd@example.org; carla@example.org"));
        if (option == 4) {
            QFile file(attachment);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("Grüße aus Berlin");
            file.close();
            smtp.AddAttachment(attachment);
        }
        if (option == 5)
            smtp.SetPlainAlternative(false);
        QVERIFY2(smtp.Connect(), qPrintable(smtp.LastError()));
        QCOMPARE(smtp.Send(), 1);
        smtp.Disconnect();
        QCOMPARE(server.messages().size(), 1);
        const QByteArray received = server.messages().first();
        QCOMPARE(QFile(copy).size(), received.size());
        QFile file(copy);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), received);
        for (const QByteArray& text : expected)
            QVERIFY2(received.contains(text), text.constData());
        for (const QByteArray& text : absent)
            QVERIFY2(!received.contains(text), text.constData());
        // Every line ends with CR LF, lone LFs of the body included; the date comes from the clock.
        for (qsizetype i = received.indexOf('\n'); i >= 0; i = received.indexOf('\n', i + 1))
            QVERIFY2(i > 0 && received.at(i - 1) == '\r', "bare LF");
        QVERIFY(received.contains("Date: Fri, 30 Jan 2026 10:15:30"));
        QVERIFY(received.contains("Message-Id: <") || received.contains("Message-ID: <"));
        const QJsonObject envelope = server.envelopes().first();
        QCOMPARE(envelope.value("mail_from").toString(), QStringLiteral("juergen@example.org"));
        QCOMPARE(envelope.value("rcpt_tos").toArray().size(), option == 3 ? 3 : 1);
    }

    // Failures: Connect or Send say so in LastError, nothing arrives and no copy is written.
    void failures_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("connects");
        QTest::addColumn<QString>("errorPart");
        QTest::addRow("closed port") << "closed" << false << "konnte keine Verbindung hergestellt werden";
        QTest::addRow("silent server") << "silent" << false << "nicht rechtzeitig geantwortet";
        QTest::addRow("no host") << "nohost" << false << "kein Postausgangsserver";
        QTest::addRow("recipient rejected") << "reject" << true << "550 5.1.1";
        QTest::addRow("line feed in recipient")
            << "lfto" << true << "Empfängeradresse enthält einen Zeilenumbruch";
        QTest::addRow("carriage return in subject")
            << "crsubject" << true << "Betreff enthält einen Zeilenumbruch";
        QTest::addRow("no recipient") << "noto" << true << "kein Empfänger";
    }

    void failures()
    {
        QFETCH(QString, kind);
        QFETCH(bool, connects);
        QFETCH(QString, errorPart);
        FakeSeams seams;
        SmtpServer server;
        QTcpServer silent;
        QList<QTcpSocket*> silentPeers;
        if (kind == "closed") {
            SmtpControl::SetPortOverrideForTests(SmtpServer::FreePort());
        } else if (kind == "silent") {
            QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
            connect(&silent, &QTcpServer::newConnection, this,
                    [&] { silentPeers << silent.nextPendingConnection(); });
            SmtpControl::SetPortOverrideForTests(silent.serverPort());
            SmtpControl::SetWaitLimitForTests(2);
        } else {
            SmtpServer::Options options;
            options.rejectRecipients = kind == "reject";
            QVERIFY(server.start(options));
            SmtpControl::SetPortOverrideForTests(server.port());
        }
        SmtpControl smtp;
        const QString copy = work_.path() + "/daten/emails/copy.eml";
        fill(smtp, copy);
        if (kind == "nohost")
            smtp.SetHost(QString());
        if (kind == "lfto")
            smtp.SetToAddress(QStringLiteral("anna@example.org\nBcc: mallory@example.org"));
        if (kind == "crsubject")
            smtp.SetSubject(QStringLiteral("Hallo\rBcc: mallory@example.org"));
        if (kind == "noto")
            smtp.SetToAddress(QString());
        QCOMPARE(smtp.Connect(), connects);
        if (connects) {
            QCOMPARE(smtp.Send(), 0);
            smtp.Disconnect();
        }
        QVERIFY2(smtp.LastError().contains(errorPart), qPrintable(smtp.LastError()));
        if (kind != "nohost")
            QVERIFY2(smtp.LastError().contains(QStringLiteral("127.0.0.1")) || connects,
                     qPrintable(smtp.LastError()));
        QVERIFY(!QFile::exists(copy));
        QVERIFY(server.messages().isEmpty());
    }

    // Authentication goes only over STARTTLS with a verified certificate; the log shows no secret.
    void authentication_data()
    {
        QTest::addColumn<bool>("tls");
        QTest::addColumn<bool>("trustCa");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("connects");
        QTest::addColumn<QString>("errorPart");
        QTest::addRow("starttls and auth") << true << true << "geheim" << true << "";
        QTest::addRow("wrong password") << true << true << "falsch" << false << "Anmeldung";
        QTest::addRow("auth offered without tls")
            << false << true << "geheim" << false << "verschlüsselte Verbindung";
        QTest::addRow("untrusted certificate") << true << false << "geheim" << false << "Zertifikat";
    }

    void authentication()
    {
        QFETCH(bool, tls);
        QFETCH(bool, trustCa);
        QFETCH(QString, password);
        QFETCH(bool, connects);
        QFETCH(QString, errorPart);
        if (!haveCertificates_)
            QSKIP("openssl could not make test certificates");
        FakeSeams seams;
        SmtpServer server;
        SmtpServer::Options options;
        if (tls) {
            options.certificate = certificate_;
            options.key = key_;
        }
        options.user = QStringLiteral("anna");
        options.password = QStringLiteral("geheim");
        QVERIFY(server.start(options));
        SmtpControl::SetPortOverrideForTests(server.port());
        if (trustCa)
            SmtpControl::SetExtraCaCertificatesForTests(caPem_);
        SmtpControl smtp;
        QStringList log;
        connect(&smtp, &SmtpControl::Log, this, [&](const QString& line) { log << line; });
        const QString copy = work_.path() + "/daten/emails/copy.eml";
        fill(smtp, copy);
        smtp.SetUseAuthentication(true);
        smtp.SetUserName(QStringLiteral("anna"));
        smtp.SetPassword(password);
        QCOMPARE(smtp.Connect(), connects);
        if (connects) {
            QCOMPARE(smtp.Send(), 1);
            smtp.Disconnect();
            QCOMPARE(server.messages().size(), 1);
            QCOMPARE(server.envelopes().first().value("authenticated").toBool(), true);
            QCOMPARE(server.envelopes().first().value("tls").toBool(), true);
            QVERIFY(log.filter("STARTTLS").size() >= 1);
        } else {
            QVERIFY2(smtp.LastError().contains(errorPart), qPrintable(smtp.LastError() + log.join("")));
            QVERIFY(server.messages().isEmpty());
            QVERIFY(!QFile::exists(copy));
        }
        if (!tls || !trustCa)
            QVERIFY(server.authAttempts().isEmpty());
        const QString all = log.join(QString());
        QVERIFY(!all.contains(password));
        QByteArray plainAuth("\0anna\0", 6);
        plainAuth += password.toLatin1();
        QVERIFY(!all.contains(QString::fromLatin1(plainAuth.toBase64())));
        QVERIFY(!all.contains(QString::fromLatin1(password.toLatin1().toBase64())));
    }

    // Events arrive on this thread in order: SendStart, rising Progress up to 100, the protocol
    // lines, QUIT among them; every line ends with its own line break.
    void eventsInOrder()
    {
        FakeSeams seams;
        SmtpServer server;
        QVERIFY(server.start({}));
        SmtpControl::SetPortOverrideForTests(server.port());
        SmtpControl smtp;
        QStringList events;
        connect(&smtp, &SmtpControl::SendStart, this, [&] { events << "start"; });
        connect(&smtp, &SmtpControl::Progress, this, [&](int p) {
            QCOMPARE(QThread::currentThread(), thread());
            events << QStringLiteral("progress %1").arg(p);
        });
        connect(&smtp, &SmtpControl::Log, this, [&](const QString& line) {
            QVERIFY(line.endsWith("\r\n"));
            events << line.trimmed();
        });
        fill(smtp, work_.path() + "/daten/emails/copy.eml");
        QVERIFY(smtp.Connect());
        QVERIFY(events.contains("C: EHLO localhost"));
        QVERIFY(events.contains("C: NOOP"));
        QVERIFY(!events.contains("start"));
        QCOMPARE(smtp.Send(), 1);
        smtp.Disconnect();
        QCOMPARE(events.filter("C: EHLO").size(), 1); // the transaction reused the connection
        const qsizetype start = events.indexOf("start");
        const qsizetype mailFrom = events.indexOf(QRegularExpression("^C: MAIL FROM:.*"));
        const qsizetype hundred = events.indexOf("progress 100");
        QVERIFY(start >= 0 && mailFrom > start && hundred > start);
        QCOMPARE(events.last(), QStringLiteral("C: QUIT"));
        int previous = -1;
        for (const QString& e : events.filter("progress")) {
            const int p = e.mid(9).toInt();
            QVERIFY(p >= previous && p <= 100);
            previous = p;
        }
    }

    // The HTML part goes out as UTF-8 and says so; a charset named in its meta tags becomes utf-8,
    // the rest of the text stays as it was.
    void htmlDeclaresUtf8_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("sent");
        QTest::addRow("content type of an older template")
            << "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">"
               "</head><body><p>Grüße</p></body></html>"
            << "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
               "</head><body><p>Grüße</p></body></html>";
        QTest::addRow("charset attribute") << "<meta charset=\"windows-1252\"><p>Glückwunsch</p>"
                                           << "<meta charset=\"utf-8\"><p>Glückwunsch</p>";
        QTest::addRow("capitals, single quotes, no blank")
            << "<META HTTP-EQUIV='Content-Type' CONTENT='text/html;charset=ISO-8859-1'>Öl"
            << "<META HTTP-EQUIV='Content-Type' CONTENT='text/html;charset=utf-8'>Öl";
        QTest::addRow("no declaration") << "<p>Schöne Grüße</p>"
                                        << "<p>Schöne Grüße</p>";
        QTest::addRow("the word outside a meta tag stays") << "<p>charset=windows-1252 ist veraltet</p>"
                                                           << "<p>charset=windows-1252 ist veraltet</p>";
    }

    void htmlDeclaresUtf8()
    {
        QFETCH(QString, html);
        QFETCH(QString, sent);
        FakeSeams seams;
        SmtpServer server;
        QVERIFY(server.start({}));
        SmtpControl::SetPortOverrideForTests(server.port());
        SmtpControl smtp;
        const QString copy = work_.path() + "/daten/emails/copy.eml";
        fill(smtp, copy);
        smtp.SetHtmlBody(html);
        QVERIFY2(smtp.Connect(), qPrintable(smtp.LastError()));
        QCOMPARE(smtp.Send(), 1);
        smtp.Disconnect();
        QCOMPARE(server.messages().size(), 1);
        const QByteArray received = server.messages().first();
        QVERIFY(received.contains("Content-Type: text/html; charset=utf-8"));
        QCOMPARE(SmtpServer::HtmlPart(received), sent);
    }

    // Port 465 speaks TLS from the first byte.
    void implicitTlsOnPort465()
    {
        if (!haveCertificates_)
            QSKIP("openssl could not make test certificates");
        FakeSeams seams;
        SmtpServer server;
        SmtpServer::Options options;
        options.certificate = certificate_;
        options.key = key_;
        options.implicitTls = true;
        QVERIFY(server.start(options));
        SmtpControl::SetPortOverrideForTests(server.port());
        SmtpControl::SetExtraCaCertificatesForTests(caPem_);
        SmtpControl smtp;
        QStringList log;
        connect(&smtp, &SmtpControl::Log, this, [&](const QString& line) { log << line.trimmed(); });
        fill(smtp, work_.path() + "/daten/emails/copy.eml");
        smtp.SetPort(465);
        QVERIFY2(smtp.Connect(), qPrintable(smtp.LastError()));
        QCOMPARE(smtp.Send(), 1);
        smtp.Disconnect();
        QCOMPARE(server.messages().size(), 1);
        QCOMPARE(server.envelopes().first().value("tls").toBool(), true);
        QVERIFY(!log.contains("C: STARTTLS"));
    }

    // The control goes while the server answers the end of the message data. The transaction
    // completes without it: the copy is written once the server accepts, and the program's end
    // can wait for that within a bound. A server that answers too late leaves no copy, and the
    // wait still ends.
    void deletedWhileServerAnswersEndOfData_data()
    {
        QTest::addColumn<double>("replyDelay");
        QTest::addColumn<int>("waitLimit");
        QTest::addColumn<bool>("copied");
        QTest::addRow("answer within the wait") << 3.0 << 0 << true;
        QTest::addRow("answer after the wait") << 20.0 << 2 << false;
    }

    void deletedWhileServerAnswersEndOfData()
    {
        QFETCH(double, replyDelay);
        QFETCH(int, waitLimit);
        QFETCH(bool, copied);
        FakeSeams seams;
        SmtpServer server;
        SmtpServer::Options options;
        options.replyDelay = replyDelay;
        QVERIFY(server.start(options));
        SmtpControl::SetPortOverrideForTests(server.port());
        SmtpControl::SetWaitLimitForTests(waitLimit);
        QPointer<SmtpControl> smtp = new SmtpControl;
        const QString copy = work_.path() + "/daten/emails/handed-over.eml";
        fill(*smtp, copy);
        QVERIFY2(smtp->Connect(), qPrintable(smtp->LastError()));
        connect(smtp, &SmtpControl::Progress, this, [&](int percent) {
            if (percent == 100)
                smtp->deleteLater();
        });

        QCOMPARE(smtp->Send(), 0);

        QVERIFY(smtp.isNull());
        QVERIFY(!SmtpControl::FinishPendingTransfers(0)); // the server has not answered yet
        QVERIFY(SmtpControl::FinishPendingTransfers(60));
        QCOMPARE(server.messages().size(), 1);
        QCOMPARE(QFile::exists(copy), copied);
        if (copied) {
            QFile file(copy);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), server.messages().first());
        }
    }

    // A window closed while the control waits: the control goes without a crash or a hang.
    void deletedWhileWaiting()
    {
        FakeSeams seams;
        QTcpServer silent;
        QList<QTcpSocket*> peers;
        QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
        connect(&silent, &QTcpServer::newConnection, this, [&] { peers << silent.nextPendingConnection(); });
        SmtpControl::SetPortOverrideForTests(silent.serverPort());
        QPointer<SmtpControl> smtp = new SmtpControl;
        fill(*smtp, work_.path() + "/daten/emails/copy.eml");
        QTimer::singleShot(300, smtp, [&] { smtp->deleteLater(); });
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(smtp->Connect(), false);
        QVERIFY(smtp.isNull());
        QVERIFY(clock.elapsed() < 20000);
    }

    // A window closed while the send starts takes its control along; nothing goes out.
    void deletedAtSendStart()
    {
        FakeSeams seams;
        SmtpServer server;
        QVERIFY(server.startMailbox());
        SmtpControl::SetPortOverrideForTests(server.port());
        QPointer<SmtpControl> smtp = new SmtpControl;
        const QString copy = work_.path() + "/daten/emails/deleted.eml";
        fill(*smtp, copy);
        QVERIFY2(smtp->Connect(), qPrintable(smtp->LastError()));
        connect(smtp, &SmtpControl::SendStart, this, [&] {
            smtp->deleteLater();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        });
        QCOMPARE(smtp->Send(), 0);
        QVERIFY(smtp.isNull());
        QVERIFY(!QFile::exists(copy));
        QTest::qWait(300);
        QVERIFY(server.messages().isEmpty());
    }
};

QTEST_MAIN(TestSmtp)
#include "tst_smtp.moc"
