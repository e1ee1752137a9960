#include "greetings/greetingsender.h"

#include "common/forms.h"
#include "common/globale_variablen.h"
#include "common/mousepointer.h"
#include "common/richtexthtml.h"
#include "common/textfile.h"
#include "common/version.h"
#include "common/webaddresses.h"
#include "greetings/frmlog.h"
#include "greetings/smtpcontrol.h"
#include "greetings/smtpserveraddress.h"
#include "platform/clock.h"
#include "platform/programfolder.h"
#include "platform/prompt.h"
#include "settings/settingsfile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QPointer>
#include <QProgressBar>
#include <algorithm>

namespace GreetingSender
{

namespace
{

using namespace Globale_Variablen;

struct Placeholder {
    QString text;
    const QString* value;
};

// In this order: text brought in by one step is searched by the later ones.
const QList<Placeholder>& placeholders()
{
    static const QList<Placeholder> list = {
        {QStringLiteral("&lt;VORNAME&gt;"), &PersonFirstName},
        {QStringLiteral("&lt;NACHNAME&gt;"), &PersonLastName},
        {QStringLiteral("&lt;TOVALINERO&gt;"), &PersonBirthday},
        {QStringLiteral("&lt;EMAIL&gt;"), &PersonEmail},
        {QStringLiteral("&lt;STRASSE&gt;"), &PersonStreet},
        {QStringLiteral("&lt;PLZ&gt;"), &PersonZip},
        {QStringLiteral("&lt;WOHNORT&gt;"), &PersonTown},
        {QStringLiteral("&lt;ABSENDERNAME&gt;"), &SenderName},
    };
    return list;
}

// What ext4, NTFS, APFS and their kin allow for one name.
constexpr qsizetype MaxFileNameBytes = 255;
// Greetings go out on the standard SMTP port unless the server line names another.
constexpr qint32 GreetingPort = 25;

bool refusedInFileName(QChar c)
{
    return c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c);
}

QString withoutRefused(QString text)
{
    for (QChar& c : text)
        if (refusedInFileName(c))
            c = QLatin1Char('_');
    return text;
}

qsizetype utf8Size(const QString& text)
{
    return text.toUtf8().size();
}

// The longest start of text that takes at most maxBytes in UTF-8, no character cut in two.
QString utf8Prefix(const QString& text, qsizetype maxBytes)
{
    qsizetype bytes = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        const qsizetype width = text.at(end).isHighSurrogate() && end + 1 < text.size() ? 2 : 1;
        const qsizetype size = utf8Size(text.mid(end, width));
        if (bytes + size > maxBytes)
            break;
        bytes += size;
        end += width;
    }
    return text.left(end);
}

// "~" and a short hash of the full address and first name: no list field holds "~", so a name
// with it is never one of the plain names.
QString personMark(const QString& address, const QString& firstName)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(address.toUtf8());
    hash.addData(QByteArrayView("\0", 1));
    hash.addData(firstName.toUtf8());
    return QLatin1Char('~') + QString::fromLatin1(hash.result().toHex().left(12));
}

void processPendingOnce()
{
    QCoreApplication::processEvents();
}

} // namespace

QString FillPlaceholders(const QString& text)
{
    // One pass: a value arrives as the list holds it, even when it reads like a placeholder.
    static const QString start = QStringLiteral("&lt;");
    QString filled;
    filled.reserve(text.size());
    qsizetype done = 0;
    for (qsizetype at = text.indexOf(start); at >= 0; at = text.indexOf(start, done)) {
        filled += QStringView(text).mid(done, at - done);
        const auto found =
            std::find_if(placeholders().begin(), placeholders().end(),
                         [&](const Placeholder& p) { return QStringView(text).mid(at).startsWith(p.text); });
        if (found == placeholders().end()) {
            filled += start;
            done = at + start.size();
        } else {
            filled += found->value->toHtmlEscaped();
            done = at + found->text.size();
        }
    }
    filled += QStringView(text).mid(done);
    return filled;
}

QString CopyFileName(const QString& year, const QString& address, const QString& firstName)
{
    const QString name =
        year + QLatin1Char('_') + address + QLatin1Char('_') + firstName + QStringLiteral(".eml");
    if (utf8Size(name) <= MaxFileNameBytes && std::none_of(name.begin(), name.end(), refusedInFileName))
        return name;

    const QString mark = personMark(address, firstName);
    const qsizetype room =
        MaxFileNameBytes - utf8Size(year + QStringLiteral("__") + mark + QStringLiteral(".eml"));
    const QString safeAddress = withoutRefused(address);
    const QString safeFirstName = withoutRefused(firstName);
    // The first name stays whole where it can; the address, shortened from its end, takes the rest.
    const qsizetype firstNameRoom =
        std::min(utf8Size(safeFirstName), std::max(room / 2, room - utf8Size(safeAddress)));
    const QString first = utf8Prefix(safeFirstName, firstNameRoom);
    const QString start = utf8Prefix(safeAddress, room - utf8Size(first));
    return year + QLatin1Char('_') + start + QLatin1Char('_') + first + mark + QStringLiteral(".eml");
}

QDate ReminderDay()
{
    return ReminderDate.isValid() ? ReminderDate : Today();
}

QString CopyFilePath(const QString& address, const QString& firstName)
{
    return ProgramFolder() + QStringLiteral("/daten/emails/") +
           CopyFileName(ReminderDay().toString(QStringLiteral("yyyy")), address, firstName);
}

// The name earlier versions gave the copy: only "/", "\" and NUL were replaced, nothing was
// shortened. A copy written under it this year still marks the greeting as sent.
QString EarlierCopyFilePath(const QString& address, const QString& firstName)
{
    const auto part = [](QString text) {
        return text.replace(QLatin1Char('/'), QLatin1Char('_'))
            .replace(QLatin1Char('\\'), QLatin1Char('_'))
            .replace(QChar(0), QLatin1Char('_'));
    };
    return ProgramFolder() + QStringLiteral("/daten/emails/") +
           ReminderDay().toString(QStringLiteral("yyyy")) + QLatin1Char('_') + part(address) +
           QLatin1Char('_') + part(firstName) + QStringLiteral(".eml");
}

bool GreetingSentThisYear(const QString& address, const QString& firstName)
{
    return FileExists(CopyFilePath(address, firstName)) ||
           FileExists(EarlierCopyFilePath(address, firstName));
}

bool FileExists(const QString& path)
{
    return QFileInfo(path).isFile();
}

QString MailerText(int blanks)
{
    return ProductWithVersion() + QString(blanks, QLatin1Char(' ')) + QLatin1Char('(') +
           WebAddresses::PublisherHost + QLatin1Char(')');
}

QString AlreadySentBoxText()
{
    return QStringLiteral("Sie haben bereits eine eMail an\r\r< ") + PersonEmail +
           QStringLiteral(" >\r\rgesendet. Wenn Sie eine neue eMail verfassen wollen, \r"
                          "dann klicken Sie auf den Button \"eMail schreiben\".");
}

void ShowAlreadySentBox()
{
    MsgBox(AlreadySentBoxText(), MsgButtons::Ok, MsgIcon::Information,
           QStringLiteral("eMail bereits gesendet"));
}

QString AlreadySentStatusText()
{
    return QStringLiteral("Ein Tovalinerosgruß wurde heute bereits an \r\n< ") + PersonEmail +
           QStringLiteral(" > abgeschickt.");
}

QString SendingStatusText()
{
    return QStringLiteral("eMail mit dem Tovalinerosgruß wird an < ") + PersonEmail +
           QStringLiteral(" > gesendet... Bitte warten...");
}

void HandleSendStart(QProgressBar* progressBar)
{
    if (progressBar)
        progressBar->setValue(0);
    processPendingOnce();
}

void HandleProgress(QProgressBar* progressBar, int percent)
{
    if (progressBar)
        progressBar->setValue(percent);
    processPendingOnce();
}

void HandleLog(const QString& line)
{
    Forms::Get<frmlog>().AddLine(line);
}

void Send(Body body, const WindowParts& parts)
{
    if (GreetingSentThisYear(PersonEmail, PersonFirstName)) {
        if (parts.alreadySent)
            parts.alreadySent();
        return;
    }

    // The window may go while the control waits; from then on nothing of it is touched.
    const QPointer<QWidget> window(parts.window);
    const QPointer<SmtpControl> smtp(parts.smtp);
    const QPointer<QWidget> button(parts.sendButton);
    const QPointer<QProgressBar> progressBar(parts.progressBar);
    const QPointer<GreetingWorkBox> workBox(parts.workBox);
    const auto gone = [&] { return window.isNull() || smtp.isNull(); };
    const auto restore = [&] {
        if (button)
            button->setEnabled(true);
        if (progressBar)
            progressBar->hide();
        ShowNormalPointer();
    };
    if (gone())
        return;

    // The person's own text stays as the list holds it, so a second try fills it alike.
    QString html;
    if (body == Body::Individual) {
        html = FillPlaceholders(PersonGreetingHtml);
        ShowBusyPointer();
    } else {
        ShowBusyPointer();
        GreetingWorkBox scratch;
        GreetingWorkBox* box = workBox ? workBox.data() : &scratch;
        box->LoadFile(DataFile(QStringLiteral("standard.html")));
        box->SetText(FillPlaceholders(box->Text()));
        html = box->Text();
    }

    if (progressBar)
        progressBar->show();
    if (button)
        button->setEnabled(false);

    SetSenderServer(*smtp, GreetingPort);
    smtp->SetMailerText(MailerText(1));
    SetSenderAccount(*smtp);
    smtp->SetReadReceipt(Settings::ReadNumberOrZero(Settings::ReadReceiptRequested) != 0);
    smtp->SetToAddress(PersonEmail);
    smtp->SetSubject(Settings::Read(Settings::GreetingSubject));
    smtp->SetHtmlBody(MailHtmlDocument(html));
    smtp->SetTextBody(MailPlainText(html));
    smtp->SetPlainAlternative(true);
    smtp->SetKeepCopy(true);
    smtp->SetTempFolder(ProgramFolder() + QStringLiteral("/daten/temp"));
    smtp->ClearAttachments();
    smtp->SetCopyFile(CopyFilePath(smtp->ToAddress(), PersonFirstName));

    const bool connected = smtp->Connect();
    if (gone()) {
        ShowNormalPointer();
        return;
    }
    if (connected) {
        const bool sent = smtp->Send() >= 1;
        if (gone()) {
            ShowNormalPointer();
            return;
        }
        if (!sent) {
            if (progressBar)
                progressBar->hide();
            ShowNormalPointer();
        }
        const QString sendError = smtp->LastError();
        smtp->Disconnect();
        if (gone()) {
            ShowNormalPointer();
            return;
        }
        if (!sent)
            MsgBox(QStringLiteral("Fehler beim Versenden der Nachricht\r\n") + sendError);
        else if (!sendError.isEmpty())
            // Delivered, but without its copy the greeting would go out again at the next check.
            MsgBox(sendError, MsgButtons::Ok, MsgIcon::Exclamation);
        if (gone()) {
            ShowNormalPointer();
            return;
        }
        if (button)
            button->setEnabled(true);
        if (parts.completed)
            parts.completed(sent);
        restore();
    } else {
        MsgBox(QStringLiteral("Fehler beim Verbinden mit dem Mailserver\r\n") + smtp->LastError());
        restore();
    }
    processPendingOnce();
}

} // namespace GreetingSender

GreetingWorkBox::GreetingWorkBox(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("sevText1"));
    hide();
}

void GreetingWorkBox::LoadFile(const QString& path)
{
    text_ = ReadTextFile(path).value_or(QString());
}

void SetSenderServer(SmtpControl& smtp, qint32 portWithoutOne)
{
    const QString line = Settings::Read(Settings::SmtpServer);
    const SmtpServerAddress server = ParseSmtpServer(line);
    smtp.SetHost(server.host);
    smtp.SetPort(server.host != line ? server.port : portWithoutOne);
}

void SetSenderAccount(SmtpControl& smtp)
{
    smtp.SetFromName(Settings::Read(Settings::SmtpFromName));
    smtp.SetOrganization(Settings::Read(Settings::SmtpFromCompany));
    smtp.SetFromAddress(Settings::Read(Settings::SmtpFromAddress));
    if (Settings::ReadNumberOrZero(Settings::SmtpAuthRequired) == 1) {
        smtp.SetUseAuthentication(true);
        smtp.SetUserName(Settings::Read(Settings::SmtpUserName));
        smtp.SetPassword(Settings::Read(Settings::SmtpPassword));
    }
}
