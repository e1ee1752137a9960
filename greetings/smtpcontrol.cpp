#include "greetings/smtpcontrol.h"

#include "common/fileerrors.h"
#include "common/textfile.h"
#include "platform/clock.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QMimeDatabase>
#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QUuid>

#include <curl/curl.h>
#include <vmime/platforms/posix/posixHandler.hpp>
#include <vmime/vmime.hpp>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr int DefaultPort = 25;
constexpr int ImplicitTlsPort = 465;
// The name we greet the server with; the machine's own name is nobody's business.
constexpr const char* EhloName = "localhost";

qint32 portOverride = 0;
QByteArray testCa;
int waitLimitSeconds = 30;

void initialiseLibraries()
{
    static std::once_flag once;
    std::call_once(once, [] {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        vmime::platform::setHandler<vmime::platforms::posix::posixHandler>();
    });
}

// An attachment is a regular file: a pipe or a device would keep the send waiting forever or
// never end. It is opened without waiting and checked on the open handle, so a file swapped
// for a pipe after it was added is refused as well; its size is checked before it is read.
std::optional<QByteArray> readAttachment(const QString& path, qint64& budget, QString* reason)
{
    const auto refuse = [&](const QString& why) {
        *reason = QStringLiteral("Die Anlage \"%1\" %2; die Nachricht wird nicht gesendet.")
                      .arg(QDir::toNativeSeparators(path), why);
        return std::nullopt;
    };
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return refuse(QStringLiteral("kann nicht gelesen werden"));
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return refuse(QStringLiteral("ist keine gewöhnliche Datei"));
    }
    if (info.st_size > budget) {
        ::close(fd);
        return refuse(QStringLiteral("ist zu groß (%1; alle Anlagen zusammen höchstens %2)")
                          .arg(FileSizeText(info.st_size), FileSizeText(MaxAttachmentBytes)));
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refuse(QStringLiteral("kann nicht gelesen werden"));
    }
    // A file that grew since the check is read no further than the budget allows.
    QByteArray bytes = file.read(budget + 1);
    if (file.error() != QFileDevice::NoError)
        return refuse(QStringLiteral("kann nicht gelesen werden"));
    if (bytes.size() > budget)
        return refuse(QStringLiteral("ist zu groß (alle Anlagen zusammen höchstens %1)")
                          .arg(FileSizeText(MaxAttachmentBytes)));
    budget -= bytes.size();
    return bytes;
}

// The copies carry whole messages and addresses in their names: a folder made for them, or for
// the scratch files, is the owner's alone.
bool makeOwnerOnlyPath(const QString& folder)
{
    const QFileInfo info(folder);
    if (info.isDir())
        return true;
    const QString parent = info.absolutePath();
    if (parent != info.absoluteFilePath() && !makeOwnerOnlyPath(parent))
        return false;
    return QDir().mkdir(info.absoluteFilePath(),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner) ||
           QFileInfo(folder).isDir();
}

// What ext4, NTFS, APFS and their kin allow for one name.
constexpr qsizetype MaxFileNameBytes = 255;

// The name of the n-th copy under one name: "x.eml", "x (2).eml", "x (3).eml", ... , shortened
// where the mark would make it too long for the file system.
QString numberedName(const QString& path, int n)
{
    if (n == 1)
        return path;
    const QFileInfo info(path);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString mark = QStringLiteral(" (%1)").arg(n) + suffix;
    QString base = info.fileName().chopped(suffix.size());
    while (!base.isEmpty() && (base + mark).toUtf8().size() > MaxFileNameBytes)
        base.chop(base.size() > 1 && base.back().isLowSurrogate() ? 2 : 1);
    return info.absolutePath() + QLatin1Char('/') + base + mark;
}

enum class Placed { Yes, NameTaken, Failed };

// Gives the file at from the name to, unless something (a file, a link, a folder) stands there.
Placed placeWithoutReplacing(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return Placed::Yes;
    if (errno == EEXIST)
        return Placed::NameTaken;
    if (errno != EINVAL && errno != ENOSYS)
        return Placed::Failed;
#endif
    // A file system that cannot rename without replacing may still link without replacing.
    if (::link(source.constData(), target.constData()) == 0) {
        ::unlink(source.constData());
        return Placed::Yes;
    }
    if (errno == EEXIST)
        return Placed::NameTaken;
    if (errno != EPERM && errno != EOPNOTSUPP)
        return Placed::Failed;
    struct stat info;
    if (::lstat(target.constData(), &info) == 0)
        return Placed::NameTaken;
    return ::rename(source.constData(), target.constData()) == 0 ? Placed::Yes : Placed::Failed;
}

// Writes the copy whole beside the others and then gives it its name, never one that is taken:
// two messages sent within the same second both keep their copy. A kill while it is written
// leaves no copy under the name.
bool writeNewCopy(const QString& path, const QByteArray& bytes, QString* error)
{
    QTemporaryFile file(QFileInfo(path).absolutePath() + QStringLiteral("/.Kopie-XXXXXX"));
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush()) {
        *error = GermanWriteReason(path, file.errorString(), bytes.size());
        return false;
    }
    file.close();
    for (int n = 1; n <= 1000; ++n) {
        const QString name = numberedName(path, n);
        switch (placeWithoutReplacing(file.fileName(), name)) {
        case Placed::Yes:
            file.setAutoRemove(false);
            return true;
        case Placed::NameTaken:
            continue;
        case Placed::Failed:
            *error = GermanWriteReason(name, qt_error_string(errno), bytes.size());
            return false;
        }
    }
    *error = QStringLiteral("Unter diesem Namen gibt es schon zu viele Kopien.");
    return false;
}

bool hasLineBreak(const QString& text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
}

// vmime sends a bare LF raw inside quoted-printable; every line end becomes CR LF.
QString withCrLf(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r')) {
            out += QLatin1String("\r\n");
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('\n')) {
            out += QLatin1String("\r\n");
        } else {
            out += c;
        }
    }
    return out;
}

// The HTML part goes out as UTF-8; a meta tag naming another charset would make the mail
// programs that honour it garble every umlaut.
QString declaringUtf8(const QString& html)
{
    static const QRegularExpression metaTag(QStringLiteral("<meta\\b[^>]*>"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression charset(QStringLiteral("(charset\\s*=\\s*[\"']?)[^\"'\\s;/>]*"),
                                            QRegularExpression::CaseInsensitiveOption);
    QString out;
    qsizetype done = 0;
    for (const QRegularExpressionMatch& tag : metaTag.globalMatch(html)) {
        out += QStringView(html).mid(done, tag.capturedStart() - done);
        out += tag.captured().replace(charset, QStringLiteral("\\1utf-8"));
        done = tag.capturedEnd();
    }
    out += QStringView(html).mid(done);
    return out;
}

QStringList splitAddresses(const QString& text)
{
    QStringList list;
    for (const QString& part : text.split(QRegularExpression(QStringLiteral("[,;]")))) {
        const QString address = part.trimmed();
        if (!address.isEmpty())
            list << address;
    }
    return list;
}

// An address as it may go into the envelope: no blanks, no controls, no brackets.
bool isPlainAddress(const QString& address)
{
    for (QChar c : address)
        if (c.unicode() <= 0x20 || c.unicode() == 0x7f || c == QLatin1Char('<') || c == QLatin1Char('>'))
            return false;
    return address.contains(QLatin1Char('@'));
}

bool isPlainHost(const QString& host)
{
    if (host.isEmpty())
        return false;
    for (QChar c : host)
        if (c.unicode() <= 0x20 || c.unicode() == 0x7f || QStringLiteral("/?#@\\[]\"<>").contains(c))
            return false;
    // A colon belongs only in an IPv6 address; "host:port" is the caller's to take apart.
    return !host.contains(QLatin1Char(':')) || QHostAddress(host).protocol() == QAbstractSocket::IPv6Protocol;
}

std::string utf8(const QString& text)
{
    return text.toUtf8().toStdString();
}

vmime::text utf8Text(const QString& text)
{
    return vmime::text(vmime::word(utf8(text), vmime::charset(vmime::charsets::UTF_8)));
}

vmime::mailbox mailboxOf(const QString& name, const QString& address)
{
    if (name.isEmpty())
        return vmime::mailbox(vmime::emailAddress(utf8(address)));
    return vmime::mailbox(utf8Text(name), vmime::emailAddress(utf8(address)));
}

QString domainOf(const QString& address)
{
    const qsizetype at = address.lastIndexOf(QLatin1Char('@'));
    const QString domain = at >= 0 ? address.mid(at + 1).trimmed() : QString();
    return isPlainHost(domain) ? domain : QStringLiteral("localhost");
}

} // namespace

// What the worker thread and the user-interface thread share for one connection. The curl
// handle lives from Connect to Disconnect; the other fields belong to the transfer that runs.
struct SmtpControl::Session : std::enable_shared_from_this<SmtpControl::Session> {
    CURL* curl = nullptr;
    std::thread worker;

    // A run may be stopped until its message data starts going to the server. From then on it
    // completes within its bounded waits, whatever becomes of the control: a server may already
    // have delivered what it got, and only the copy keeps the message from going out twice.
    enum Phase { Stoppable, Committed, Stopped };
    std::atomic<int> phase{Stoppable};

    std::mutex ownerMutex; // guards owner and runEnded
    SmtpControl* owner = nullptr;
    bool runEnded = false;

    // Filled on the worker; read by the owner after the worker has ended.
    CURLcode result = CURLE_OK;
    bool copyFailed = false;
    QString copyError;
    QString lastReply;
    QString lastRefusal; // the last reply that was an error (4xx, 5xx)
    bool startTlsOffered = false;
    bool authOffered = false;
    bool authSent = false;
    bool authAccepted = false;
    bool inAuth = false;
    bool mailFromSent = false;
    bool quitShown = false;
    bool uploading = false;
    bool connectionOpen = false; // after the transfer: curl still holds the connection
    int lastPercent = -1;
    QByteArray upload;
    qsizetype uploadPos = 0;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    // What the server last refused, else its last word (the QUIT after a refusal says nothing).
    QString significantReply() const { return lastRefusal.isEmpty() ? lastReply : lastRefusal; }

    // Worker: the message data is about to go. False when the run was stopped before.
    bool commit()
    {
        int expected = Stoppable;
        return phase.compare_exchange_strong(expected, Committed) || expected == Committed;
    }
    // Owner: stop the run at its next callback. False when its message data has gone already.
    bool stop()
    {
        int expected = Stoppable;
        return phase.compare_exchange_strong(expected, Stopped) || expected == Stopped;
    }
    bool stopped() const { return phase == Stopped; }

    void beginRun()
    {
        phase = Stoppable;
        std::lock_guard lock(ownerMutex);
        runEnded = false;
    }

    // Delivered on the owner's thread while the owner lives; dropped once it is gone.
    void post(std::function<void(SmtpControl*)> call)
    {
        std::lock_guard lock(ownerMutex);
        postLocked(std::move(call));
    }

    void postLocked(std::function<void(SmtpControl*)> call)
    {
        if (SmtpControl* control = owner)
            QMetaObject::invokeMethod(
                control, [control, call = std::move(call)] { call(control); }, Qt::QueuedConnection);
    }

    // Worker: the run has ended. False when no control waits for it any more.
    bool reportFinished(quint64 run)
    {
        std::lock_guard lock(ownerMutex);
        runEnded = true;
        if (!owner)
            return false;
        postLocked([run](SmtpControl* control) { control->runFinished(run); });
        return true;
    }

    // Owner, while it is destroyed during a committed run: the run goes on without it. False
    // when the run has ended already; the owner then cleans up as usual.
    bool handOver();

    // Says QUIT, waiting at most replySeconds for the answer, and lets the handle go.
    void close(long replySeconds)
    {
        if (!curl)
            return;
        curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, replySeconds);
        curl_easy_setopt(curl, CURLOPT_VERBOSE, 0L);
        curl_easy_cleanup(curl);
        curl = nullptr;
    }

    void log(const QString& line)
    {
        const QString text = line + QStringLiteral("\r\n");
        post([text](SmtpControl* control) { emit control->Log(text); });
    }

    void progress(int percent)
    {
        if (percent == lastPercent)
            return;
        lastPercent = percent;
        post([percent](SmtpControl* control) { emit control->Progress(percent); });
    }

    void resetTransfer()
    {
        lastReply.clear();
        lastRefusal.clear();
        authSent = authAccepted = inAuth = mailFromSent = uploading = false;
        lastPercent = -1;
        uploadPos = 0;
        errorBuffer[0] = 0;
    }

    void serverLine(const QString& line)
    {
        lastReply = line;
        const QString code = line.left(3);
        if (code.startsWith(QLatin1Char('4')) || code.startsWith(QLatin1Char('5')))
            lastRefusal = line;
        const QString capability = line.mid(4).trimmed().toUpper();
        if (code == QLatin1String("250")) {
            if (capability == QLatin1String("STARTTLS"))
                startTlsOffered = true;
            if (capability.startsWith(QLatin1String("AUTH")))
                authOffered = true;
        }
        // curl closes a connection after a refused transaction with a QUIT it does not show.
        if (code == QLatin1String("221") && !quitShown)
            log(QStringLiteral("C: QUIT"));
        if (inAuth && code != QLatin1String("334")) {
            inAuth = false;
            authAccepted = code == QLatin1String("235");
        }
        log(QStringLiteral("S: ") + line);
    }

    void clientLine(const QString& line)
    {
        const QString upper = line.toUpper();
        if (upper.startsWith(QLatin1String("AUTH "))) {
            // Keep the mechanism, never the credentials that may follow it.
            const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            QString shown = QStringLiteral("AUTH ") + words.value(1);
            if (words.size() > 2)
                shown += QStringLiteral(" ****");
            inAuth = authSent = true;
            log(QStringLiteral("C: ") + shown);
            return;
        }
        if (inAuth) {
            log(QStringLiteral("C: ****"));
            return;
        }
        if (upper.startsWith(QLatin1String("EHLO")) || upper.startsWith(QLatin1String("HELO")))
            authOffered = false; // the capabilities after STARTTLS replace the earlier ones
        if (upper.startsWith(QLatin1String("MAIL FROM")))
            mailFromSent = true;
        quitShown = upper == QLatin1String("QUIT");
        log(QStringLiteral("C: ") + line);
    }
};

namespace
{

// Runs whose control went while the server had their message data; each finishes on its own
// worker thread. Never destroyed: a worker may outlive the program's bounded wait for it.
struct PendingTransfers {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::shared_ptr<SmtpControl::Session>> sessions;
};

PendingTransfers& pendingTransfers()
{
    static auto* pending = new PendingTransfers;
    return *pending;
}

// Worker of a handed-over run, once it has ended.
void finishHandedOver(SmtpControl::Session* session)
{
    session->close(2);
    PendingTransfers& pending = pendingTransfers();
    std::lock_guard lock(pending.mutex);
    std::erase_if(pending.sessions, [session](const auto& s) { return s.get() == session; });
    pending.changed.notify_all();
}

} // namespace

bool SmtpControl::Session::handOver()
{
    std::lock_guard lock(ownerMutex);
    owner = nullptr;
    if (runEnded)
        return false;
    PendingTransfers& pending = pendingTransfers();
    std::lock_guard listLock(pending.mutex);
    worker.detach();
    pending.sessions.push_back(shared_from_this());
    return true;
}

namespace
{

CURLcode perform(SmtpControl::Session* s)
{
    const CURLcode result = curl_easy_perform(s->curl);
    curl_socket_t socket = CURL_SOCKET_BAD;
    s->connectionOpen =
        curl_easy_getinfo(s->curl, CURLINFO_ACTIVESOCKET, &socket) == CURLE_OK && socket != CURL_SOCKET_BAD;
    return result;
}

int onDebug(CURL*, curl_infotype type, char* data, size_t size, void* user)
{
    auto* session = static_cast<SmtpControl::Session*>(user);
    if (type != CURLINFO_HEADER_IN && type != CURLINFO_HEADER_OUT)
        return 0;
    const QString text = QString::fromUtf8(data, static_cast<qsizetype>(size));
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty())
            continue;
        if (type == CURLINFO_HEADER_IN)
            session->serverLine(line);
        else
            session->clientLine(line);
    }
    return 0;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t ultotal, curl_off_t ulnow)
{
    auto* session = static_cast<SmtpControl::Session*>(user);
    if (session->stopped())
        return 1;
    if (session->uploading && ultotal > 0)
        session->progress(static_cast<int>(ulnow * 100 / ultotal));
    return 0;
}

size_t onRead(char* buffer, size_t size, size_t count, void* user)
{
    auto* session = static_cast<SmtpControl::Session*>(user);
    if (!session->commit())
        return CURL_READFUNC_ABORT;
    const qsizetype room = static_cast<qsizetype>(size * count);
    const qsizetype left = session->upload.size() - session->uploadPos;
    const qsizetype n = std::min(room, left);
    memcpy(buffer, session->upload.constData() + session->uploadPos, static_cast<size_t>(n));
    session->uploadPos += n;
    return static_cast<size_t>(n);
}

} // namespace

SmtpControl::SmtpControl(QObject* parent) : QObject(parent)
{
    initialiseLibraries();
}

SmtpControl::~SmtpControl()
{
    if (activeLoop_)
        activeLoop_->quit();
    if (running_) {
        if (!running_->stop() && running_->handOver()) {
            if (session_ == running_)
                session_.reset();
        } else {
            if (running_->worker.joinable())
                running_->worker.join();
            if (running_ != session_)
                running_->close(2);
        }
    }
    // Closing with the window must not hold it for the full reply time-out.
    if (session_)
        session_->close(2);
}

bool SmtpControl::FinishPendingTransfers(int seconds)
{
    PendingTransfers& pending = pendingTransfers();
    std::unique_lock lock(pending.mutex);
    return pending.changed.wait_for(lock, std::chrono::seconds(std::max(seconds, 0)),
                                    [&pending] { return pending.sessions.empty(); });
}

void SmtpControl::SetExtraCaCertificatesForTests(const QByteArray& pem)
{
    testCa = pem;
}
void SmtpControl::SetPortOverrideForTests(qint32 port)
{
    portOverride = port;
}
void SmtpControl::SetWaitLimitForTests(int seconds)
{
    waitLimitSeconds = seconds > 0 ? seconds : 30;
}

bool SmtpControl::runOnWorker(const std::shared_ptr<Session>& session, std::function<void()> job)
{
    QPointer<SmtpControl> self(this);
    QEventLoop loop;
    const quint64 run = ++runCounter_;
    activeLoop_ = &loop;
    running_ = session;
    session->beginRun();
    session->worker = std::thread([session, run, job = std::move(job)] {
        job();
        if (!session->reportFinished(run))
            finishHandedOver(session.get());
    });
    loop.exec();
    if (!self)
        return false;
    activeLoop_ = nullptr;
    // The wait also returns at once when the program is ending. The run then stops, unless its
    // message data has gone: then the end waits here until the server has answered.
    if (finishedRun_ != run)
        session->stop();
    session->worker.join();
    running_.reset();
    return true;
}

void SmtpControl::runFinished(quint64 run)
{
    // Only this run's wait ends here; a late word of an earlier run is ignored.
    finishedRun_ = run;
    if (activeLoop_ && runCounter_ == run)
        activeLoop_->quit();
}

QString SmtpControl::serverText() const
{
    const qint32 port = portOverride ? portOverride : (port_ > 0 ? port_ : DefaultPort);
    return QStringLiteral("%1 (Port %2)").arg(host_).arg(port);
}

QString SmtpControl::describeFailure(int code, const QString& lastReply, bool sending) const
{
    const QString server = serverText();
    QString text;
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        text = QStringLiteral("Der Mailserver %1 wurde nicht gefunden.").arg(server);
        break;
    case CURLE_COULDNT_CONNECT:
        text = QStringLiteral("Zum Mailserver %1 konnte keine Verbindung hergestellt werden.").arg(server);
        break;
    case CURLE_OPERATION_TIMEDOUT:
        text = QStringLiteral("Der Mailserver %1 hat nicht rechtzeitig geantwortet.").arg(server);
        break;
    case CURLE_USE_SSL_FAILED:
        text = QStringLiteral("Der Mailserver %1 bietet keine verschlüsselte Verbindung (STARTTLS) an. Ein "
                              "Passwort wird nur verschlüsselt übertragen; es wurde nicht gesendet.")
                   .arg(server);
        break;
    case CURLE_PEER_FAILED_VERIFICATION:
        text = QStringLiteral("Das Zertifikat des Mailservers %1 ist nicht vertrauenswürdig oder gehört "
                              "nicht zu diesem Namen.")
                   .arg(server);
        break;
    case CURLE_SSL_CONNECT_ERROR:
        text =
            QStringLiteral("Die verschlüsselte Verbindung zum Mailserver %1 konnte nicht aufgebaut werden.")
                .arg(server);
        break;
    case CURLE_LOGIN_DENIED:
        text = QStringLiteral("Der Mailserver %1 hat die Anmeldung mit Benutzername und Passwort abgelehnt.")
                   .arg(server);
        break;
    case CURLE_ABORTED_BY_CALLBACK:
        text = QStringLiteral("Die Übermittlung an den Mailserver %1 wurde abgebrochen.").arg(server);
        break;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_WEIRD_SERVER_REPLY:
        if (lastReply.startsWith(QLatin1Char('4')) || lastReply.startsWith(QLatin1Char('5')))
            text = sending ? QStringLiteral("Der Mailserver %1 hat die Nachricht abgelehnt.").arg(server)
                           : QStringLiteral("Der Mailserver %1 hat die Verbindung abgelehnt.").arg(server);
        else
            text = QStringLiteral("Die Verbindung zum Mailserver %1 wurde unterbrochen.").arg(server);
        break;
    default:
        text = QStringLiteral("Beim Mailserver %1 ist ein Fehler aufgetreten (%2, Code %3).")
                   .arg(server, QString::fromUtf8(curl_easy_strerror(static_cast<CURLcode>(code))))
                   .arg(code);
        break;
    }
    if (!lastReply.isEmpty())
        text += QStringLiteral("\r\nLetzte Antwort des Servers: ") + lastReply;
    return text;
}

bool SmtpControl::Connect()
{
    if (activeLoop_) {
        lastError_ = QStringLiteral("Es läuft bereits eine Übermittlung an den Mailserver.");
        return false;
    }
    lastError_.clear();
    if (session_)
        Disconnect();
    if (!isPlainHost(host_)) {
        lastError_ = host_.isEmpty()
                         ? QStringLiteral("Es ist kein Postausgangsserver (SMTP-Server) angegeben.")
                         : QStringLiteral("Der Name des Mailservers \"%1\" ist ungültig.").arg(host_);
        return false;
    }

    auto session = std::make_shared<Session>();
    session->owner = this;
    session->curl = curl_easy_init();
    if (!session->curl) {
        lastError_ = QStringLiteral("Die Verbindung zum Mailserver %1 konnte nicht vorbereitet werden.")
                         .arg(serverText());
        return false;
    }
    session_ = session;

    const qint32 port = portOverride ? portOverride : (port_ > 0 ? port_ : DefaultPort);
    const bool implicitTls = port_ == ImplicitTlsPort;
    QString host = host_;
    if (host.contains(QLatin1Char(':')))
        host = QLatin1Char('[') + host + QLatin1Char(']');
    const QByteArray url = QStringLiteral("%1://%2:%3/%4")
                               .arg(implicitTls ? QStringLiteral("smtps") : QStringLiteral("smtp"), host)
                               .arg(port)
                               .arg(QLatin1String(EhloName))
                               .toUtf8();
    const bool authenticate = useAuthentication_;
    const QByteArray user = userName_.toUtf8();
    const QByteArray password = password_.toUtf8();
    const QByteArray ca = testCa;
    const long connectMs = (connectTimeoutSeconds_ > 0 ? connectTimeoutSeconds_ : 30) * 1000L;
    const long waitLimit = waitLimitSeconds;

    const bool alive = runOnWorker(session, [=] {
        CURL* curl = session->curl;
        Session* s = session.get();
        curl_easy_setopt(curl, CURLOPT_URL, url.constData());
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, s->errorBuffer);
        curl_easy_setopt(curl, CURLOPT_USE_SSL, authenticate ? long(CURLUSESSL_ALL) : long(CURLUSESSL_TRY));
        if (!ca.isEmpty()) {
            curl_blob blob{const_cast<char*>(ca.constData()), static_cast<size_t>(ca.size()), CURL_BLOB_COPY};
            curl_easy_setopt(curl, CURLOPT_CAINFO_BLOB, &blob);
        }
        if (authenticate) {
            curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
            curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
        }
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, connectMs);
        curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, waitLimit);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, waitLimit);
        curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
        curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, onDebug);
        curl_easy_setopt(curl, CURLOPT_DEBUGDATA, s);
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, s);
        curl_easy_setopt(curl, CURLOPT_READFUNCTION, onRead);
        curl_easy_setopt(curl, CURLOPT_READDATA, s);
        // NOOP ends the transfer after the greeting, TLS and authentication, and the connection
        // stays open for the mail transaction.
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "NOOP");
        curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
        s->resetTransfer();
        s->result = perform(s);
    });
    if (!alive)
        return false;

    const CURLcode result = session->result;
    if (result != CURLE_OK) {
        lastError_ = describeFailure(result, session->significantReply(), false);
    } else if (authenticate && !session->authAccepted) {
        if (session->authSent)
            lastError_ = describeFailure(CURLE_LOGIN_DENIED, session->significantReply(), false);
        else if (session->authOffered && userName_.isEmpty())
            lastError_ = QStringLiteral("Für die Anmeldung am Mailserver %1 ist kein Benutzername angegeben.")
                             .arg(serverText());
        else
            lastError_ = QStringLiteral("Der Mailserver %1 bietet keine Anmeldung an; mit Benutzername und "
                                        "Passwort kann nicht gesendet werden.")
                             .arg(serverText());
    } else {
        return true;
    }
    // The handle may still hold a connection; its QUIT is bounded by the reply time-out.
    if (session->connectionOpen)
        emit Log(QStringLiteral("C: QUIT\r\n"));
    session_.reset();
    const long quitWait = waitLimitSeconds;
    runOnWorker(session, [session, quitWait] { session->close(quitWait); });
    return false;
}

QByteArray SmtpControl::BuildMessage()
{
    initialiseLibraries();
    const QList<QPair<QString, QString>> headerTexts = {
        {QStringLiteral("Die Empfängeradresse"), toAddress_},
        {QStringLiteral("Die Kopie-Empfängeradresse"), ccAddress_},
        {QStringLiteral("Der Betreff"), subject_},
        {QStringLiteral("Der Absendername"), fromName_},
        {QStringLiteral("Die Absenderadresse"), fromAddress_},
        {QStringLiteral("Die Organisation"), organization_},
        {QStringLiteral("Der Mailer-Text"), mailerText_},
    };
    for (const auto& [what, value] : headerTexts) {
        if (hasLineBreak(value)) {
            lastError_ =
                what + QStringLiteral(" enthält einen Zeilenumbruch; die Nachricht wird nicht gesendet.");
            return {};
        }
    }
    const QStringList to = splitAddresses(toAddress_);
    const QStringList cc = splitAddresses(ccAddress_);
    if (to.isEmpty()) {
        lastError_ = QStringLiteral("Es ist kein Empfänger angegeben; die Nachricht wird nicht gesendet.");
        return {};
    }
    for (const QString& address : to + cc) {
        if (!isPlainAddress(address)) {
            lastError_ = QStringLiteral("Die Adresse \"%1\" ist keine gültige eMail-Adresse; die Nachricht "
                                        "wird nicht gesendet.")
                             .arg(address);
            return {};
        }
    }

    try {
        vmime::messageBuilder builder;
        builder.setExpeditor(mailboxOf(fromName_, fromAddress_.trimmed()));
        for (const QString& address : to)
            builder.getRecipients().appendAddress(vmime::make_shared<vmime::mailbox>(mailboxOf({}, address)));
        for (const QString& address : cc)
            builder.getCopyRecipients().appendAddress(
                vmime::make_shared<vmime::mailbox>(mailboxOf({}, address)));
        builder.setSubject(utf8Text(subject_));

        const std::string html = utf8(withCrLf(declaringUtf8(htmlBody_)));
        const std::string plain = utf8(withCrLf(textBody_));
        const vmime::charset utf8Charset(vmime::charsets::UTF_8);
        if (!htmlBody_.isEmpty() || textBody_.isEmpty()) {
            builder.constructTextPart(
                vmime::mediaType(vmime::mediaTypes::TEXT, vmime::mediaTypes::TEXT_HTML));
            auto part = vmime::dynamicCast<vmime::htmlTextPart>(builder.getTextPart());
            part->setCharset(utf8Charset);
            part->setText(vmime::make_shared<vmime::stringContentHandler>(html));
            if (plainAlternative_ && !textBody_.isEmpty())
                part->setPlainText(vmime::make_shared<vmime::stringContentHandler>(plain));
        } else {
            builder.constructTextPart(
                vmime::mediaType(vmime::mediaTypes::TEXT, vmime::mediaTypes::TEXT_PLAIN));
            auto part = builder.getTextPart();
            part->setCharset(utf8Charset);
            part->setText(vmime::make_shared<vmime::stringContentHandler>(plain));
        }

        QMimeDatabase mimeTypes;
        qint64 budget = MaxAttachmentBytes;
        for (const QString& path : attachments_) {
            const std::optional<QByteArray> read = readAttachment(path, budget, &lastError_);
            if (!read)
                return {};
            const QByteArray& bytes = *read;
            const QString type = mimeTypes.mimeTypeForFile(path).name();
            auto attachment = vmime::make_shared<vmime::fileAttachment>(
                vmime::make_shared<vmime::stringContentHandler>(bytes.toStdString()),
                vmime::word(utf8(QFileInfo(path).fileName()), utf8Charset), vmime::mediaType(utf8(type)));
            builder.appendAttachment(attachment);
        }

        vmime::shared_ptr<vmime::message> message = builder.construct();
        vmime::shared_ptr<vmime::header> header = message->getHeader();

        const QDateTime now = Now();
        const QDate d = now.date();
        const QTime t = now.time();
        header->Date()->setValue(vmime::datetime(d.year(), d.month(), d.day(), t.hour(), t.minute(),
                                                 t.second(), now.offsetFromUtc() / 60));
        header->MessageId()->setValue(vmime::messageId(
            utf8(QUuid::createUuid().toString(QUuid::WithoutBraces)), utf8(domainOf(fromAddress_))));
        if (!organization_.isEmpty())
            header->Organization()->setValue(utf8Text(organization_));
        if (!mailerText_.isEmpty()) {
            auto field = vmime::headerFieldFactory::getInstance()->create(vmime::fields::X_MAILER);
            field->setValue(utf8Text(mailerText_));
            header->appendField(field);
        }
        if (priority_ > 0) {
            const char* xPriority = priority_ <= 2   ? "1 (Highest)"
                                    : priority_ >= 4 ? "5 (Lowest)"
                                                     : "3 (Normal)";
            const char* importance = priority_ <= 2 ? "high" : priority_ >= 4 ? "low" : "normal";
            header->appendField(
                vmime::headerFieldFactory::getInstance()->create(vmime::fields::X_PRIORITY, xPriority));
            header->appendField(vmime::headerFieldFactory::getInstance()->create("Importance", importance));
        }
        if (readReceipt_)
            vmime::mdn::MDNHelper::attachMDNRequest(message, mailboxOf(fromName_, fromAddress_.trimmed()));

        std::string bytes;
        vmime::utility::outputStreamStringAdapter out(bytes);
        message->generate(out);
        QByteArray result = QByteArray::fromStdString(bytes);
        // curl ends an unterminated last line itself; the copy must hold those bytes too.
        if (!result.endsWith("\r\n"))
            result += "\r\n";
        return result;
    } catch (const std::exception& e) {
        lastError_ =
            QStringLiteral("Die Nachricht konnte nicht erstellt werden: %1").arg(QString::fromUtf8(e.what()));
        return {};
    }
}

int SmtpControl::Send()
{
    if (activeLoop_) {
        lastError_ = QStringLiteral("Es läuft bereits eine Übermittlung an den Mailserver.");
        return 0;
    }
    lastError_.clear();
    if (!session_ || !session_->curl) {
        lastError_ = QStringLiteral("Es besteht keine Verbindung zum Mailserver %1.").arg(serverText());
        return 0;
    }
    QPointer<SmtpControl> self(this);
    emit SendStart(0);
    // The handlers let pending window messages run; the window and this control may be gone.
    if (!self)
        return 0;

    if (!tempFolder_.isEmpty())
        makeOwnerOnlyPath(tempFolder_);
    const bool keepCopy = keepCopy_ && !copyFile_.isEmpty();
    if (keepCopy) {
        // Without its copy a greeting would go out again at every check.
        const QString folder = QFileInfo(copyFile_).absolutePath();
        if (!makeOwnerOnlyPath(folder)) {
            lastError_ = QStringLiteral("Der Ordner \"%1\" für die Kopie der Nachricht kann nicht angelegt "
                                        "werden; die Nachricht wird nicht gesendet.")
                             .arg(QDir::toNativeSeparators(folder));
            return 0;
        }
    }
    const QByteArray message = BuildMessage();
    if (message.isEmpty())
        return 0;

    auto session = session_;
    const QByteArray from = fromAddress_.trimmed().toUtf8();
    QList<QByteArray> recipients;
    for (const QString& address : splitAddresses(toAddress_) + splitAddresses(ccAddress_))
        recipients << address.toUtf8();
    session->upload = message;
    const QString copyFile = keepCopy ? copyFile_ : QString();

    const bool alive = runOnWorker(session, [session, from, recipients, copyFile] {
        CURL* curl = session->curl;
        Session* s = session.get();
        curl_slist* rcpt = nullptr;
        for (const QByteArray& address : recipients)
            rcpt = curl_slist_append(rcpt, address.constData());
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, nullptr);
        curl_easy_setopt(curl, CURLOPT_NOBODY, 0L);
        curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(curl, CURLOPT_MAIL_FROM, from.constData());
        curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, rcpt);
        curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(s->upload.size()));
        for (int attempt = 0; attempt < 2; ++attempt) {
            s->resetTransfer();
            s->uploading = true;
            s->result = perform(s);
            // A connection that died while it waited is only noticed now; one fresh try.
            const bool stale =
                (s->result == CURLE_RECV_ERROR || s->result == CURLE_SEND_ERROR) && !s->mailFromSent;
            if (!stale || s->stopped())
                break;
        }
        s->uploading = false;
        s->copyFailed = false;
        if (s->result == CURLE_OK) {
            s->progress(100);
            // Here rather than in Send: the control may be gone by now.
            if (!copyFile.isEmpty())
                s->copyFailed = !writeNewCopy(copyFile, s->upload, &s->copyError);
        }
        curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, nullptr);
        curl_slist_free_all(rcpt);
    });
    if (!alive)
        return 0;

    if (session->result != CURLE_OK) {
        lastError_ = describeFailure(session->result, session->significantReply(), true);
        return 0;
    }
    if (session->copyFailed)
        lastError_ = QStringLiteral("Die Nachricht wurde gesendet, aber ihre Kopie \"%1\" konnte nicht "
                                    "gespeichert werden: %2")
                         .arg(QDir::toNativeSeparators(copyFile), session->copyError);
    return 1;
}

void SmtpControl::Disconnect()
{
    if (activeLoop_ || !session_)
        return;
    auto session = session_;
    session_.reset();
    if (!session->curl)
        return;
    // curl says QUIT while it cleans up, without showing it.
    if (session->connectionOpen)
        emit Log(QStringLiteral("C: QUIT\r\n"));
    runOnWorker(session, [session] {
        curl_easy_cleanup(session->curl);
        session->curl = nullptr;
    });
}

std::optional<QString> AttachmentProblem(const QString& path)
{
    const QFileInfo chosen(path);
    if (!chosen.exists())
        return std::nullopt;
    if (!chosen.isFile())
        return QStringLiteral("\"%1\" ist keine gewöhnliche Datei und kann nicht als Anlage versandt werden.")
            .arg(QDir::toNativeSeparators(path));
    if (chosen.size() > MaxAttachmentBytes)
        return QStringLiteral("\"%1\" ist zu groß für eine Anlage (%2, alle Anlagen zusammen höchstens %3).")
            .arg(QDir::toNativeSeparators(path), FileSizeText(chosen.size()),
                 FileSizeText(MaxAttachmentBytes));
    return std::nullopt;
}
