#include "greetings/greetingsender.h"

#include "app/forms.h"
#include "common/globale_variablen.h"
#include "common/mousepointer.h"
#include "common/textfile.h"
#include "common/version.h"
#include "common/webaddresses.h"
#include "greetings/frmlog.h"
#include "greetings/smtpcontrol.h"
#include "platform/clock.h"
#include "platform/programfolder.h"
#include "platform/prompt.h"
#include "settings/settingsfile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QProgressBar>

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

// A part of the copy's file name must not lead out of the copy folder.
QString fileNamePart(QString text)
{
    text.replace(QLatin1Char('/'), QLatin1Char('_'));
    text.replace(QLatin1Char('\\'), QLatin1Char('_'));
    text.replace(QChar(0), QLatin1Char('_'));
    return text;
}

void processPendingOnce()
{
    QCoreApplication::processEvents();
}

} // namespace

QString FillPlaceholders(QString text)
{
    for (const Placeholder& p : placeholders())
        text.replace(p.text, *p.value, Qt::CaseSensitive);
    return text;
}

QString CopyFilePath(const QString& address, const QString& firstName)
{
    return ProgramFolder() + QStringLiteral("/daten/emails/") + Today().toString(QStringLiteral("yyyy")) +
           QLatin1Char('_') + fileNamePart(address) + QLatin1Char('_') + fileNamePart(firstName) +
           QStringLiteral(".eml");
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
    if (FileExists(CopyFilePath(PersonEmail, PersonFirstName))) {
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

    QString html;
    if (body == Body::Individual) {
        PersonGreetingHtml = FillPlaceholders(PersonGreetingHtml);
        html = PersonGreetingHtml;
        ShowBusyPointer();
    } else {
        ShowBusyPointer();
        GreetingWorkBox scratch;
        GreetingWorkBox* box = workBox ? workBox.data() : &scratch;
        box->LoadFile(DataFile(QStringLiteral("standard.html")));
        for (const Placeholder& p : placeholders())
            box->SetText(box->Text().replace(p.text, *p.value, Qt::CaseSensitive));
        html = box->Text();
    }

    if (progressBar)
        progressBar->show();
    if (button)
        button->setEnabled(false);

    smtp->SetHost(Settings::Read(Settings::SmtpServer));
    smtp->SetPort(25);
    smtp->SetMailerText(MailerText(1));
    smtp->SetFromName(Settings::Read(Settings::SmtpFromName));
    smtp->SetOrganization(Settings::Read(Settings::SmtpFromCompany));
    smtp->SetFromAddress(Settings::Read(Settings::SmtpFromAddress));
    if (Settings::ReadNumberOrZero(Settings::SmtpAuthRequired) == 1) {
        smtp->SetUseAuthentication(true);
        smtp->SetUserName(Settings::Read(Settings::SmtpUserName));
        smtp->SetPassword(Settings::Read(Settings::SmtpPassword));
    }
    smtp->SetReadReceipt(Settings::ReadNumberOrZero(Settings::ReadReceiptRequested) != 0);
    smtp->SetToAddress(PersonEmail);
    smtp->SetSubject(Settings::Read(Settings::GreetingSubject));
    smtp->SetHtmlBody(html);
    smtp->SetTextBody(html);
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
