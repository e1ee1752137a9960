#include "greetings/erinnerung1.h"

#include "common/coolbar.h"
#include "common/dates.h"
#include "common/forms.h"
#include "common/globale_variablen.h"
#include "common/resize.h"
#include "common/sevtext.h"
#include "common/sternkreiszeichen.h"
#include "greetings/email_fenster.h"
#include "greetings/smtpcontrol.h"
#include "platform/clock.h"
#include "platform/office.h"
#include "platform/prompt.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "settings/settingsfile.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <optional>

namespace
{

struct MenuEntry {
    const char* caption;
    const char* key;
};

constexpr MenuEntry MailMenu[] = {
    {"Standard-Text senden", "standardtext"},
    {"Individuellen Text senden", "individuellertext"},
    {"-", ""},
    {"Standard eMail-Programm öffnen", "standardmailer"},
};

// The pattern "#,##": digits grouped by the locale, nothing at all for 0.
QString groupedOrNothing(qint64 value)
{
    return value == 0 ? QString() : QLocale().toString(value);
}

QWidget* pageWith(QTabWidget* tabs, const QString& title, std::initializer_list<QWidget*> controls,
                  const char* name)
{
    auto* page = new QWidget(tabs);
    page->setObjectName(QString::fromLatin1(name));
    auto* layout = new QVBoxLayout(page);
    for (QWidget* control : controls)
        layout->addWidget(control);
    tabs->addTab(page, title);
    return page;
}

} // namespace

QString LifetimeText(int age)
{
    const qint64 years = age;
    const QStringList lines = {
        groupedOrNothing(12 * years) + " Monaten",
        groupedOrNothing(52 * years) + " Wochen",
        groupedOrNothing(365 * years) + " Tagen",
        groupedOrNothing(365LL * 24 * years) + " Stunden",
        groupedOrNothing(365LL * 1440 * years) + " Minuten",
        groupedOrNothing(365LL * 86400 * years) + " Sekunden",
    };
    return "Dies entspricht eine Lebenszeit von: \r\n" + lines.join("\r\n");
}

QString GreetingMailLink(const QString& nameLine)
{
    const QString subject = QStringLiteral("Herzlichen Glückwunsch zum Tovalinero");
    const QString body = "Hallo " + nameLine;
    return "mailto:?subject=" + QString::fromLatin1(QUrl::toPercentEncoding(subject)) +
           "&body=" + QString::fromLatin1(QUrl::toPercentEncoding(body));
}

erinnerung1::erinnerung1(QWidget* parent) : QDialog(parent)
{
    setObjectName("erinnerung1");
    setWindowTitle("Erinnerung");

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setPixmap(QIcon(QStringLiteral(":/icons/tovalinero.xpm")).pixmap(48, 48));
    Label2 = new QLabel("Folgende Person aus Ihrer Tovalinerosliste hat heute Tovalinero:", this);
    Label2->setObjectName("Label2");
    Label2->setWordWrap(true);

    sevTabStrip1 = new QTabWidget(this);
    sevTabStrip1->setObjectName("sevTabStrip1");
    Label1 = new QLabel(sevTabStrip1);
    Label1->setObjectName("Label1");
    // The person's name as the list holds it, never as markup, and whole.
    Label1->setTextFormat(Qt::PlainText);
    Label1->setWordWrap(true);
    Label1->setStyleSheet("font-weight: bold; font-size: 12pt;");
    Label1->setAlignment(Qt::AlignCenter);
    Label4 = new QLabel("n/v", sevTabStrip1);
    Label4->setObjectName("Label4");
    Label4->setTextFormat(Qt::PlainText);
    // The label reads out the sign itself; its caption is the description.
    Label4->setAccessibleDescription("Sternzeichen");
    Label4->setStyleSheet("font-weight: bold; font-size: 12pt;");
    Label4->setAlignment(Qt::AlignCenter);
    sevBerechnung = new QPlainTextEdit(sevTabStrip1);
    sevBerechnung->setObjectName("sevBerechnung");
    sevBerechnung->setAccessibleName("Berechnung");
    sevBerechnung->setReadOnly(true);
    sevBerechnung->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    sevBerechnung->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    sevBerechnung->setLineWrapMode(QPlainTextEdit::NoWrap);
    Command4 = new QToolButton(sevTabStrip1);
    Command4->setObjectName("Command4");
    Command4->setIcon(
        QIcon::fromTheme("edit-copy", style()->standardIcon(QStyle::SP_FileDialogContentsView)));
    Command4->setToolTip("Kopieren Sie hiermit die Berechnung in die Zwischenablage.");
    Command4->setAccessibleName("Berechnung kopieren");
    Label6 = new QLabel("Wir übernehmen keine Garantie auf die Richtigkeit der Angaben.\n"
                        "Bei den Berechnungen werden keine Schaltjahre berücksichtigt.",
                        sevTabStrip1);
    Label6->setObjectName("Label6");
    Label6->setWordWrap(true);

    pageWith(sevTabStrip1, "&Tovalinero", {Label1}, "tabTovalinero");
    pageWith(sevTabStrip1, "&Sternzeichen", {Label4}, "tabSternzeichen");
    QWidget* figures = pageWith(sevTabStrip1, "&Berechnung", {Command4, sevBerechnung}, "tabBerechnung");
    static_cast<QVBoxLayout*>(figures->layout())->setAlignment(Command4, Qt::AlignRight);
    pageWith(sevTabStrip1, "&Info", {Label6}, "tabInfo");
    sevTabStrip1->setCurrentIndex(0);

    Label3 = new QLabel("Was möchten Sie nun tun?", this);
    Label3->setObjectName("Label3");

    Command1 = new QToolButton(this);
    Command1->setObjectName("Command1");
    Command1->setText("&eMail schreiben");
    Command1->setAccessibleName("eMail schreiben");
    Command1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    Command1->setPopupMode(QToolButton::MenuButtonPopup);
    SetTitledToolTip(Command1, "Hinweis", "Es wird das interne eMail-Fenster geöffnet.");
    Command1Menu = new QMenu(Command1);
    Command1Menu->setObjectName("Command1Menu");
    int index = 0;
    for (const MenuEntry& entry : MailMenu) {
        ++index;
        const QString key = QString::fromLatin1(entry.key);
        QAction* item = QString::fromUtf8(entry.caption) == "-"
                            ? Command1Menu->addSeparator()
                            : Command1Menu->addAction(QString::fromUtf8(entry.caption));
        item->setObjectName(key);
        // Queued: the send waits in an event loop, and the window (menu included) may be
        // closed meanwhile, which must not happen inside the menu's own event handling.
        connect(
            item, &QAction::triggered, this, [this, index, key] { Command1_MenuClick(index, key); },
            Qt::QueuedConnection);
    }
    Command1->setMenu(Command1Menu);

    Command2 = new QPushButton("&MS-Word® öffnen", this);
    Command2->setObjectName("Command2");
    SetTitledToolTip(Command2, "Hinweis", "MS-Word® muss installiert sein!");
    Command3 = new QPushButton("&Schließen", this);
    Command3->setObjectName("Command3");
    Command3->setToolTip("Keine Aktion starten.");
    for (QPushButton* button : {Command2, Command3})
        button->setAutoDefault(false);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    sevText1 = new GreetingWorkBox(this);
    sevText1->setObjectName("sevText1");
    sevText1->hide();
    sevSMTP1 = new SmtpControl(this);
    sevSMTP1->setObjectName("sevSMTP1");

    auto* head = new QHBoxLayout;
    head->addWidget(Image1, 0, Qt::AlignTop);
    head->addWidget(Label2, 1);
    auto* actions = new QHBoxLayout;
    actions->addWidget(Command1);
    actions->addWidget(Command2);
    actions->addStretch(1);
    actions->addWidget(Command3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(sevTabStrip1, 1);
    layout->addWidget(Label3);
    layout->addLayout(actions);
    layout->addWidget(ProgressBar1);
    resize(460, 340);
    KeepDesignedSize(this);

    // Queued, as the drop-down entries: the composer runs its own loop, and this window may be
    // closed meanwhile, which must not happen inside the button's own event handling.
    connect(Command1, &QToolButton::clicked, this, &erinnerung1::Command1_Click, Qt::QueuedConnection);
    connect(Command2, &QPushButton::clicked, this, &erinnerung1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &erinnerung1::Command3_Click);
    connect(Command4, &QToolButton::clicked, this, &erinnerung1::Command4_Click);
    connect(sevSMTP1, &SmtpControl::SendStart, this, [this] { sevSMTP1_SendStart(); });
    connect(sevSMTP1, &SmtpControl::Progress, this, &erinnerung1::sevSMTP1_Progress);
    connect(sevSMTP1, &SmtpControl::Log, this, &erinnerung1::sevSMTP1_Log);

    Form_Load();
}

void erinnerung1::Form_Load()
{
    ProgressBar1->hide();
    SoundFile = Settings::Read(Settings::ReminderSoundFile);
    PlaySound(SoundFile);
}

void erinnerung1::Form_Activate()
{
    if (activated_)
        return;
    activated_ = true;
    using namespace Globale_Variablen;
    // The greetings fill the birthday placeholder with the whole date, so the variable stays
    // whole and the age comes from this window's own copy of the year.
    const QString birthDate = PersonBirthday;
    const QString name = PersonFirstName + " " + PersonLastName;
    if (const auto year = BirthYearOf(birthDate)) {
        const int age = GreetingSender::ReminderDay().year() - *year;
        Label1->setText(name + " (" + QString::number(age) + ")");
        sevBerechnung->setPlainText(LifetimeText(age));
    } else {
        Label1->setText(name);
        sevBerechnung->clear();
    }
    Label4->setText(SternkreiszeichenOfBirthDate(birthDate));
}

void erinnerung1::Command1_Click()
{
    Forms::Get<eMail_Fenster>().sevEmail->SetText(Globale_Variablen::PersonEmail);
    Forms::ShowModal<eMail_Fenster>();
}

void erinnerung1::Command1_MenuClick(int, const QString& key)
{
    if (key == "standardtext")
        SendStandardGreeting();
    else if (key == "individuellertext")
        SendIndividualGreeting();
    else if (key == "standardmailer")
        ShellSeam::get().open(GreetingMailLink(Label1->text()));
}

void erinnerung1::Command2_Click()
{
    QString reason;
    if (OfficeSeam::get().openNewTextDocument(&reason))
        return;
    MsgBox("Es konnte kein neues Textdokument geöffnet werden.\n\n" + reason +
               "\n\nBitte installieren Sie ein Textverarbeitungsprogramm, zum Beispiel MS-Word® oder "
               "LibreOffice Writer.",
           MsgButtons::Ok, MsgIcon::Exclamation);
}

void erinnerung1::Command3_Click()
{
    Forms::Unload(this);
}

void erinnerung1::Command4_Click()
{
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(sevBerechnung->toPlainText());
}

GreetingSender::WindowParts erinnerung1::parts()
{
    GreetingSender::WindowParts p;
    p.window = this;
    p.smtp = sevSMTP1;
    p.sendButton = Command1;
    p.progressBar = ProgressBar1;
    p.workBox = sevText1;
    p.alreadySent = [] { GreetingSender::ShowAlreadySentBox(); };
    return p;
}

void erinnerung1::SendStandardGreeting()
{
    GreetingSender::Send(GreetingSender::Body::Standard, parts());
}

void erinnerung1::SendIndividualGreeting()
{
    GreetingSender::Send(GreetingSender::Body::Individual, parts());
}

void erinnerung1::sevSMTP1_SendStart()
{
    GreetingSender::HandleSendStart(ProgressBar1);
}

void erinnerung1::sevSMTP1_Progress(int percent)
{
    GreetingSender::HandleProgress(ProgressBar1, percent);
}

void erinnerung1::sevSMTP1_Log(const QString& line)
{
    GreetingSender::HandleLog(line);
}

void erinnerung1::done(int result)
{
    QDialog::done(result);
    Forms::Unload(this);
}

void erinnerung1::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Form_Activate();
}

void erinnerung1::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}
