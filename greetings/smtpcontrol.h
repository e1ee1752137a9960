#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QEventLoop;

// What one message may carry in attachments, all together: more than any mail server takes, and
// a message is built in memory, so a huge or sparse file is refused from its size, unread.
constexpr qint64 MaxAttachmentBytes = qint64(64) << 20;

// Why the file cannot be attached (no regular file, larger than a message may carry), if so.
// A file that does not exist (yet) is no reason: the send reports it.
std::optional<QString> AttachmentProblem(const QString& path);

// The SMTP component: one message per connection. A caller sets the members, calls
// ClearAttachments (and AddAttachment), sets CopyFile, then Connect, Send and Disconnect.
//
// Connect and Send run the network work on a worker thread while the caller waits in a local
// event loop, so windows keep painting; SendStart, Progress and Log arrive on the thread that
// owns the control, in the order they happened. Every wait is bounded: a dead or silent server
// fails instead of hanging.
//
// Policy: STARTTLS whenever the server offers it; with UseAuthentication the connection must be
// encrypted (a password never travels in clear); certificates are verified against the system's
// store. A recipient or subject holding CR or LF is refused. The log never shows credentials.
//
// The copy file receives exactly the bytes that were sent, and only after the server accepted
// the message; its folder and the temporary folder are created when they are missing. A copy
// never replaces anything: where its name is taken (two mails in one second), it is numbered
// "name (2).eml", "name (3).eml", ...
//
// Deleting the control (its window closes) or the program's end stops a transfer while it
// connects, authenticates or names sender and recipients. Once the message data has started
// going to the server, nothing stops it: the transaction completes within its bounded waits,
// also without the control, and the copy is written if the server accepts. So a message that
// may have been delivered always leaves its copy, and a greeting never goes out twice.
class SmtpControl : public QObject
{
    Q_OBJECT
public:
    explicit SmtpControl(QObject* parent = nullptr);
    ~SmtpControl() override;

    void SetHost(const QString& host) { host_ = host; }
    QString Host() const { return host_; }
    // 0 leaves the default, 25. On 465 the connection is TLS from the start (implicit TLS).
    void SetPort(qint32 port) { port_ = port; }
    qint32 Port() const { return port_; }
    void SetMailerText(const QString& text) { mailerText_ = text; }
    QString MailerText() const { return mailerText_; }
    void SetFromName(const QString& name) { fromName_ = name; }
    QString FromName() const { return fromName_; }
    void SetOrganization(const QString& organization) { organization_ = organization; }
    QString Organization() const { return organization_; }
    void SetFromAddress(const QString& address) { fromAddress_ = address; }
    QString FromAddress() const { return fromAddress_; }
    void SetUseAuthentication(bool on) { useAuthentication_ = on; }
    bool UseAuthentication() const { return useAuthentication_; }
    void SetUserName(const QString& name) { userName_ = name; }
    QString UserName() const { return userName_; }
    void SetPassword(const QString& password) { password_ = password; }
    void SetReadReceipt(bool on) { readReceipt_ = on; }
    bool ReadReceipt() const { return readReceipt_; }
    // 1 high, 3 normal, 5 low; 0 sends no priority headers.
    void SetPriority(int priority) { priority_ = priority; }
    int Priority() const { return priority_; }
    void SetToAddress(const QString& address) { toAddress_ = address; }
    QString ToAddress() const { return toAddress_; }
    // One or more addresses, separated by "," or ";".
    void SetCcAddress(const QString& addresses) { ccAddress_ = addresses; }
    QString CcAddress() const { return ccAddress_; }
    void SetSubject(const QString& subject) { subject_ = subject; }
    QString Subject() const { return subject_; }
    void SetHtmlBody(const QString& html) { htmlBody_ = html; }
    QString HtmlBody() const { return htmlBody_; }
    void SetTextBody(const QString& text) { textBody_ = text; }
    QString TextBody() const { return textBody_; }
    // The two truth-value options: the text body goes along as the plain alternative of the
    // HTML body, and a copy of the sent message is kept at CopyFile. Both are on by default.
    void SetPlainAlternative(bool on) { plainAlternative_ = on; }
    bool PlainAlternative() const { return plainAlternative_; }
    void SetKeepCopy(bool on) { keepCopy_ = on; }
    bool KeepCopy() const { return keepCopy_; }
    // The whole-number option: seconds allowed for opening the connection (default 30).
    void SetConnectTimeout(int seconds) { connectTimeoutSeconds_ = seconds; }
    int ConnectTimeout() const { return connectTimeoutSeconds_; }
    void SetTempFolder(const QString& folder) { tempFolder_ = folder; }
    QString TempFolder() const { return tempFolder_; }
    void ClearAttachments() { attachments_.clear(); }
    void AddAttachment(const QString& path) { attachments_.append(path); }
    QStringList Attachments() const { return attachments_; }
    void SetCopyFile(const QString& path) { copyFile_ = path; }
    QString CopyFile() const { return copyFile_; }

    // Connection, EHLO, STARTTLS, authentication; the connection stays open. False: LastError
    // says why, and nothing may be sent.
    bool Connect();
    // The mail transaction on the open connection. 1 when the server accepted the message,
    // 0 when it was not sent.
    int Send();
    // Ends the connection (QUIT).
    void Disconnect();
    // A German sentence: which server, what went wrong, the server's last reply if any.
    QString LastError() const { return lastError_; }

    // The exact bytes Send would hand over for the current members (From, To, Subject, bodies,
    // attachments...). Empty with LastError set when the message cannot be built.
    QByteArray BuildMessage();

    // Tests add their own certificate authority (PEM) to the system's store, reach their
    // server on a port of their choice whatever Port says (0 ends that; Port 465 still means
    // implicit TLS), and may shorten the bound on every wait. They hold for every control until
    // they are reset.
    // Waits until the transfers that went on without their control have ended, at most the
    // given seconds. True when none is left. The program's end calls it.
    static bool FinishPendingTransfers(int seconds);
    static constexpr int PendingTransferLimitSeconds = 60;

    static void SetExtraCaCertificatesForTests(const QByteArray& pem);
    static void SetPortOverrideForTests(qint32 port);
    static void SetWaitLimitForTests(int seconds);

    // The connection shared with the worker thread; internal to the control.
    struct Session;

signals:
    void SendStart(int unused);
    void Progress(int percent);
    void Log(const QString& line);

private:
    // Runs job on a worker thread and waits in a local event loop until it has finished and
    // every event it raised has been delivered. False when the control was deleted meanwhile;
    // the caller must then touch nothing of it.
    bool runOnWorker(const std::shared_ptr<Session>& session, std::function<void()> job);
    void runFinished(quint64 run);
    QString serverText() const;
    QString describeFailure(int code, const QString& lastReply, bool sending) const;

    QString host_;
    qint32 port_ = 0;
    QString mailerText_;
    QString fromName_;
    QString organization_;
    QString fromAddress_;
    bool useAuthentication_ = false;
    QString userName_;
    QString password_;
    bool readReceipt_ = false;
    int priority_ = 0;
    QString toAddress_;
    QString ccAddress_;
    QString subject_;
    QString htmlBody_;
    QString textBody_;
    bool plainAlternative_ = true;
    bool keepCopy_ = true;
    int connectTimeoutSeconds_ = 30;
    QString tempFolder_;
    QStringList attachments_;
    QString copyFile_;
    QString lastError_;
    std::shared_ptr<Session> session_; // the open connection, from Connect to Disconnect
    std::shared_ptr<Session> running_; // the session whose worker runs now
    QEventLoop* activeLoop_ = nullptr;
    quint64 runCounter_ = 0;
    quint64 finishedRun_ = 0;
};
