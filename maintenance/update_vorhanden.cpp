#include "maintenance/update_vorhanden.h"

#include "common/callwebsite.h"
#include "common/forms.h"
#include "common/programicon.h"
#include "common/resize.h"
#include "common/webaddresses.h"
#include "platform/prompt.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

update_vorhanden::update_vorhanden(QWidget* parent) : QDialog(parent)
{
    setObjectName("update_vorhanden");
    setWindowTitle("Neues Update");
    setWindowIcon(ProgramIcon());

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setPixmap(ProgramIcon().pixmap(48, 48));
    Label1 = new QLabel(
        QStringLiteral("Es liegt ein neues Update von \"Tovalinero Pro\" vor. Die neue Version lautet:"),
        this);
    Label1->setObjectName("Label1");
    Label1->setWordWrap(true);
    updVersion = new QLabel(QStringLiteral("0.0.0"), this);
    updVersion->setObjectName("updVersion");
    // The text comes from the download: shown as it stands, never as markup.
    updVersion->setTextFormat(Qt::PlainText);
    QFont courier(QStringLiteral("Courier New"));
    courier.setStyleHint(QFont::TypeWriter);
    courier.setPointSize(12);
    courier.setBold(true);
    updVersion->setFont(courier);
    updVersion->setTextInteractionFlags(Qt::TextSelectableByMouse);

    Command2 = new QPushButton("&Update starten", this);
    Command2->setObjectName("Command2");
    Command2->setDefault(true);
    Command1 = new QPushButton("&Ignorieren", this);
    Command1->setObjectName("Command1");
    Command1->setAutoDefault(false);

    auto* text = new QGridLayout;
    text->addWidget(Image1, 0, 0, 2, 1, Qt::AlignTop);
    text->addWidget(Label1, 0, 1);
    text->addWidget(updVersion, 1, 1);
    text->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command2);
    buttons->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(text);
    layout->addStretch(1);
    layout->addLayout(buttons);
    resize(420, 150);
    KeepDesignedSize(this);

    connect(Command1, &QPushButton::clicked, this, &update_vorhanden::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &update_vorhanden::Command2_Click);
}

void update_vorhanden::Command1_Click()
{
    Forms::Unload(this);
}

void update_vorhanden::Command2_Click()
{
    if (!AskToOpenVersionPage())
        return;
    OpenWebsite(WebAddresses::VersionPage);
    UnloadAllForms();
}

void update_vorhanden::UnloadAllForms()
{
    ::UnloadAllForms();
}

void update_vorhanden::done(int result)
{
    QDialog::done(result);
    Forms::Unload(this);
}

bool AskToOpenVersionPage()
{
    const QString question =
        QStringLiteral("Bitte laden Sie sich auf der nachfolgenden Website\r"
                       "die aktuelle Programmversion runter und installieren Sie diese.\r"
                       "\r"
                       "Soll die Website nun aufgerufen werden?");
    return MsgBox(question, MsgButtons::YesNo, MsgIcon::Information, QStringLiteral("Online-Update")) ==
           MsgAnswer::Yes;
}
