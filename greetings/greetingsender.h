#pragma once

#include <QDate>
#include <QString>
#include <QWidget>
#include <functional>

class QProgressBar;
class SmtpControl;
class GreetingWorkBox;

// The birthday greeting, sent by both reminder windows (erinnerung1 by its drop-down entries,
// erinnerung2 by its timer). One sequence for all four senders:
//
//   1. this year's copy file daten/emails/<yyyy>_<PersonEmail>_<PersonFirstName>.eml (see
//      CopyFileName) exists: the window's already-sent notice, nothing else happens;
//   2. the body: the standard template daten/standard.html loaded into the window's hidden work
//      box, or PersonGreetingHtml (which keeps the person's text as the list holds it), with the
//      eight placeholders replaced by the person's data, escaped for HTML; hourglass pointer.
//      Stored without a document frame, it goes out in one that declares UTF-8 and the greeting
//      font (MailHtmlDocument); the plain alternative is its text (MailPlainText);
//   3. progress bar shown, send button disabled;
//   4. the window's SMTP control set from settings lines 6 to 14; the server line may name a
//      port ("host:587"), else port 25;
//   5. Connect; on success Send, Disconnect and the window's completion; on failure the box
//      "Fehler beim Verbinden mit dem Mailserver" + CR LF + LastError. A Send that did not get
//      the message out shows "Fehler beim Versenden der Nachricht" + CR LF + LastError, so a
//      failure never looks like a success;
//   button enabled, progress bar hidden and normal pointer again, whatever the outcome.
//
// How a window uses it (erinnerung1 as the example):
//
//   // members, created in the constructor, each with its objectName:
//   SmtpControl* sevSMTP1;          // new SmtpControl(this)
//   QProgressBar* ProgressBar1;     // hidden at load
//   GreetingWorkBox* sevText1;      // hidden work area of the standard body
//
//   // the three event handlers, connected once in the constructor:
//   connect(sevSMTP1, &SmtpControl::SendStart, this, [this] { sevSMTP1_SendStart(); });
//   connect(sevSMTP1, &SmtpControl::Progress, this, &erinnerung1::sevSMTP1_Progress);
//   connect(sevSMTP1, &SmtpControl::Log, this, &erinnerung1::sevSMTP1_Log);
//   void erinnerung1::sevSMTP1_SendStart() { GreetingSender::HandleSendStart(ProgressBar1); }
//   void erinnerung1::sevSMTP1_Progress(int p) { GreetingSender::HandleProgress(ProgressBar1, p); }
//   void erinnerung1::sevSMTP1_Log(const QString& line) { GreetingSender::HandleLog(line); }
//
//   // the senders:
//   void erinnerung1::SendStandardGreeting()
//   {
//       GreetingSender::Send(GreetingSender::Body::Standard, parts());
//   }
//   void erinnerung1::SendIndividualGreeting()
//   {
//       GreetingSender::Send(GreetingSender::Body::Individual, parts());
//   }
//   GreetingSender::WindowParts erinnerung1::parts()
//   {
//       GreetingSender::WindowParts p;
//       p.window = this;
//       p.smtp = sevSMTP1;
//       p.sendButton = Command1;             // "&eMail schreiben"
//       p.progressBar = ProgressBar1;
//       p.workBox = sevText1;
//       p.alreadySent = [] { GreetingSender::ShowAlreadySentBox(); };   // message box
//       // p.completed stays empty: erinnerung1 shows nothing on completion
//       // (erinnerung2: p.completed = [this](bool sent) { if (sent) lblStatus->setText(...); };)
//       return p;
//   }
//
// The birthday placeholder carries the full birth date "dd.mm.yyyy": the windows take the age
// from their own copy of the year and leave PersonBirthday whole.
//
// The window may be closed while Connect or Send wait (the control waits in a local event loop);
// the sequence then touches none of the window's parts any more. A message whose data the server
// already has still completes and leaves its copy (see SmtpControl).
namespace GreetingSender
{

enum class Body { Standard, Individual };

struct WindowParts {
    QWidget* window = nullptr;
    SmtpControl* smtp = nullptr;
    QWidget* sendButton = nullptr;
    QProgressBar* progressBar = nullptr;
    GreetingWorkBox* workBox = nullptr; // needed for Body::Standard
    // The window's already-sent notice (erinnerung1: ShowAlreadySentBox; erinnerung2: its status line).
    std::function<void()> alreadySent;
    // Runs after Disconnect when Connect had succeeded; sent tells whether Send got the
    // message out. Not run when Connect failed.
    std::function<void(bool sent)> completed;
};

void Send(Body body, const WindowParts& parts);

// The shared parts of the windows' SMTP event handlers: the progress bar goes to 0 / to the
// percent and pending window messages run once; a protocol line goes to the front of frmlog.
void HandleSendStart(QProgressBar* progressBar);
void HandleProgress(QProgressBar* progressBar, int percent);
void HandleLog(const QString& line);

// The eight placeholders, each by the current value of its variable escaped for HTML, in one
// pass: a value that holds a placeholder's text arrives as it is, exactly as the list holds it.
QString FillPlaceholders(const QString& text);
// "<year>_<address>_<firstName>.eml", exactly so while it fits in 255 bytes of UTF-8 and holds
// no character a common file system refuses. Otherwise those characters become "_", address
// and first name are shortened from their ends, and "~" with a short hash of the full address
// and first name keeps different persons apart.
QString CopyFileName(const QString& year, const QString& address, const QString& firstName);
// The day a reminder belongs to: the day its check run started on (ReminderDate), else today.
QDate ReminderDay();
// program folder/daten/emails/ + CopyFileName, the year of ReminderDay.
QString CopyFilePath(const QString& address, const QString& firstName);
// Whether this year's greeting to the person has been sent: its copy exists under the name
// above or under the one earlier versions gave it.
bool GreetingSentThisYear(const QString& address, const QString& firstName);
// True exactly when a file exists at the path.
bool FileExists(const QString& path);
// "Tovalinero Pro V3.1.1" + blanks + "(" + web address + ")"; the greetings use one blank.
QString MailerText(int blanks = 1);

// Message 1 (erinnerung1's message box, title "eMail bereits gesendet") and message 2
// (erinnerung2's status line), for PersonEmail.
QString AlreadySentBoxText();
void ShowAlreadySentBox();
QString AlreadySentStatusText();
// erinnerung2's status line while sending.
QString SendingStatusText();
inline const QString CompletedStatusText = QStringLiteral("Übermittlung abgeschlossen!");

} // namespace GreetingSender

// The standard senders' hidden work area (the windows' sevText1): holds the text exactly as
// loaded, with no length limit and its line ends kept.
class GreetingWorkBox : public QWidget
{
    Q_OBJECT
public:
    explicit GreetingWorkBox(QWidget* parent = nullptr);
    // Loads a Windows-1252 text file whole; a missing or unreadable file gives an empty text.
    void LoadFile(const QString& path);
    QString Text() const { return text_; }
    void SetText(const QString& text) { text_ = text; }

private:
    QString text_;
};

// The mail server of the settings: its host, and the port written after it; a server line
// without a port gives portWithoutOne (0 leaves the control's default).
void SetSenderServer(SmtpControl& smtp, qint32 portWithoutOne);

// The sender's account from the settings: name, company, address and, where the server asks
// for it, user name and password. Greetings and the composer send through the same account.
void SetSenderAccount(SmtpControl& smtp);
