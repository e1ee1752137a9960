#include "greetings/erinnerung2.h"

#include "common/dates.h"
#include "common/forms.h"
#include "common/globale_variablen.h"
#include "common/resize.h"
#include "common/warten.h"
#include "greetings/greetingsender.h"
#include "greetings/smtpcontrol.h"
#include "platform/clock.h"
#include "platform/sound.h"
#include "settings/settingsfile.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using namespace Globale_Variablen;

namespace
{

// Settings line 19 as the countdown's seconds; anything but a whole number from 1 to 99 means
// no countdown.
int autoCloseSeconds()
{
    bool ok = false;
    const int n = Settings::Read(Settings::AutoCloseSeconds).trimmed().toInt(&ok);
    return ok && n >= 1 && n <= 99 ? n : 0;
}

} // namespace

erinnerung2::erinnerung2(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("erinnerung2"));
    setWindowTitle(QStringLiteral("Statusmeldung"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QPixmap(QStringLiteral(":/icons/tovalinero.xpm")));
    Image1->setAlignment(Qt::AlignTop);
    Label3 =
        new QLabel(QStringLiteral("Folgende Person aus Ihrer Tovalinerosliste hat heute Tovalinero:"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setWordWrap(true);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    // The person's name and address as the list holds them, never as markup, and whole.
    Label1->setTextFormat(Qt::PlainText);
    Label1->setWordWrap(true);
    QFont nameFont = Label1->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.25);
    Label1->setFont(nameFont);
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setTextFormat(Qt::PlainText);
    lblStatus->setWordWrap(true);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setTextFormat(Qt::PlainText);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    Command1 = new QPushButton(QStringLiteral("&Okay"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    sevText1 = new GreetingWorkBox(this);
    sevSMTP1 = new SmtpControl(this);
    sevSMTP1->setObjectName(QStringLiteral("sevSMTP1"));

    auto* texts = new QVBoxLayout;
    texts->addWidget(Label3);
    texts->addWidget(Label1);
    texts->addSpacing(8);
    texts->addWidget(lblStatus);
    texts->addWidget(ProgressBar1);
    texts->addWidget(Label2);
    texts->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(Image1);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    resize(460, 220);
    KeepDesignedSize(this);

    connect(Timer1, &QTimer::timeout, this, &erinnerung2::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &erinnerung2::Timer2_Timer);
    connect(Command1, &QPushButton::clicked, this, &erinnerung2::Command1_Click);
    connect(sevSMTP1, &SmtpControl::SendStart, this, &erinnerung2::sevSMTP1_SendStart);
    connect(sevSMTP1, &SmtpControl::Progress, this, &erinnerung2::sevSMTP1_Progress);
    connect(sevSMTP1, &SmtpControl::Log, this, &erinnerung2::sevSMTP1_Log);

    Form_Load();
}

void erinnerung2::Form_Load()
{
    ProgressBar1->hide();
    Label2->hide();
    SoundFile = Settings::Read(Settings::ReminderSoundFile);
    PlaySound(SoundFile);
    if (Settings::ReadNumberOrZero(Settings::AutoCloseEnabled) == 1) {
        Timer2->setInterval(10);
        Timer2->start();
    } else {
        Timer2->stop();
    }
    Timer1->start();
}

void erinnerung2::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!activated_) {
        activated_ = true;
        Form_Activate();
    }
}

void erinnerung2::Form_Activate()
{
    // The greeting carries the full birth date, so the age comes from a copy of the year.
    const QString name = PersonFirstName + QLatin1Char(' ') + PersonLastName;
    if (const auto birthYear = BirthYearOf(PersonBirthday))
        Label1->setText(name + QStringLiteral(" (") +
                        QString::number(GreetingSender::ReminderDay().year() - *birthYear) +
                        QLatin1Char(')'));
    else
        Label1->setText(name);
    lblStatus->setText(QStringLiteral("Die Tovalinerosemail wird vorbereitet..."));
}

void erinnerung2::Timer1_Timer()
{
    if (PersonUseStandardText == 1) {
        Timer1->stop();
        SendStandardGreeting();
    } else if (PersonUseStandardText == 0) {
        Timer1->stop();
        SendIndividualGreeting();
    }
}

void erinnerung2::SendStandardGreeting()
{
    send(true);
}

void erinnerung2::SendIndividualGreeting()
{
    send(false);
}

void erinnerung2::send(bool standard)
{
    GreetingSender::WindowParts parts;
    parts.window = this;
    parts.smtp = sevSMTP1;
    parts.sendButton = Command1;
    parts.progressBar = ProgressBar1;
    parts.workBox = sevText1;
    parts.alreadySent = [this] { lblStatus->setText(GreetingSender::AlreadySentStatusText()); };
    parts.completed = [this](bool sent) {
        lblStatus->setText(sent ? GreetingSender::CompletedStatusText
                                : QStringLiteral("Die Tovalinerosemail konnte nicht gesendet werden."));
    };
    QPointer<erinnerung2> self(this);
    sending_ = true;
    GreetingSender::Send(standard ? GreetingSender::Body::Standard : GreetingSender::Body::Individual, parts);
    if (self)
        sending_ = false;
}

bool erinnerung2::FileExists(const QString& sFile)
{
    return GreetingSender::FileExists(sFile);
}

void erinnerung2::Timer2_Timer()
{
    Timer2->stop();
    const int n = autoCloseSeconds();
    if (n == 0)
        return;
    Label2->show();
    Command1->setEnabled(false);
    Label2->setText(QString());
    QPointer<erinnerung2> self(this);
    for (int i = 0; i <= n; ++i) {
        WaitSeconds(1);
        if (!self || unloaded_ || !isVisible())
            return;
        Label2->setText(
            QStringLiteral("In %1 Sekunden wird das Fenster automatisch geschlossen.").arg(n - i));
    }
    unloadWindow();
}

void erinnerung2::Command1_Click()
{
    unloadWindow();
}

void erinnerung2::unloadWindow()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    Timer1->stop();
    Timer2->stop();
    Forms::Unload(this);
}

void erinnerung2::reject()
{
    // Escape, like the frame's close control, waits for a running send.
    if (!sending_)
        unloadWindow();
}

void erinnerung2::closeEvent(QCloseEvent* event)
{
    if (sending_) {
        event->ignore();
        return;
    }
    event->accept();
    unloadWindow();
}

void erinnerung2::sevSMTP1_SendStart()
{
    lblStatus->setText(GreetingSender::SendingStatusText());
    ProgressBar1->setValue(0);
    QCoreApplication::processEvents();
}

void erinnerung2::sevSMTP1_Progress(int percent)
{
    ProgressBar1->setValue(percent);
    lblStatus->setText(GreetingSender::SendingStatusText());
    QCoreApplication::processEvents();
}

void erinnerung2::sevSMTP1_Log(const QString& line)
{
    GreetingSender::HandleLog(line);
}
