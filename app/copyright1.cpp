#include "app/copyright1.h"

#include "common/callwebsite.h"
#include "common/forms.h"
#include "common/programicon.h"
#include "common/resize.h"
#include "common/version.h"
#include "common/webaddresses.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

namespace
{

QLabel* newLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QLabel* newImage(int index, const QIcon& icon, int size, QWidget* parent)
{
    auto* image = new QLabel(parent);
    image->setObjectName(QStringLiteral("Image_%1").arg(index));
    image->setPixmap(icon.pixmap(size, size));
    return image;
}

// A flat button that shows its address and opens it.
QPushButton* newLink(const QString& name, const QString& text, const QString& toolTip, const QString& address,
                     QWidget* parent)
{
    auto* link = new QPushButton(text, parent);
    link->setObjectName(name);
    link->setFlat(true);
    link->setCursor(Qt::PointingHandCursor);
    link->setToolTip(toolTip);
    link->setAccessibleDescription(toolTip);
    link->setStyleSheet(QStringLiteral("QPushButton { color: palette(link); text-decoration: underline; "
                                       "text-align: left; padding: 2px; }"));
    QObject::connect(link, &QPushButton::clicked, link, [address] { OpenWebsite(address); });
    return link;
}

QString withoutScheme(const QString& address)
{
    QString text = address;
    text.remove(QStringLiteral("mailto:"));
    text.remove(QStringLiteral("https://"));
    while (text.endsWith('/'))
        text.chop(1);
    return text;
}

} // namespace

copyright1::copyright1(QWidget* parent) : QDialog(parent)
{
    setObjectName("copyright1");
    setWindowTitle("Copyright");
    const QIcon programIcon = ProgramIcon();
    setWindowIcon(programIcon);

    sevTabStrip1 = new QTabWidget(this);
    sevTabStrip1->setObjectName("sevTabStrip1");

    auto* program = new QWidget(sevTabStrip1);
    Image[0] = newImage(0, programIcon, 64, program);
    Label1[1] = newLabel("Label1_1", "Tovalinero Pro", program);
    Label1[1]->setStyleSheet("font-weight: bold; font-size: 16pt;");
    Label2[0] = newLabel("Label2_0", "Version 1.0.0", program);
    Label2[1] = newLabel("Label2_1", "Build 104", program);
    Label3 = newLabel("Label3", "Stand 29.12.2020", program);
    Label1[0] = newLabel("Label1_0", "Erinnert Sie an die Tovalineroe Ihrer Familie, Freunde und Bekannten.",
                         program);
    Label1[0]->setWordWrap(true);
    auto* programLayout = new QGridLayout(program);
    programLayout->addWidget(Image[0], 0, 0, 4, 1, Qt::AlignTop);
    programLayout->addWidget(Label1[1], 0, 1);
    programLayout->addWidget(Label2[0], 1, 1);
    programLayout->addWidget(Label2[1], 2, 1);
    programLayout->addWidget(Label3, 3, 1);
    programLayout->addWidget(Label1[0], 4, 0, 1, 2);
    programLayout->setColumnStretch(1, 1);
    programLayout->setRowStretch(5, 1);

    auto* maker = new QWidget(sevTabStrip1);
    Image[1] = newImage(1, programIcon, 64, maker);
    Image[2] = newImage(2, style()->standardIcon(QStyle::SP_MessageBoxInformation), 16, maker);
    Image[3] = newImage(3, style()->standardIcon(QStyle::SP_DriveNetIcon), 16, maker);
    auto* makerName = newLabel("Label4", "Tovalinero Software", maker);
    makerName->setStyleSheet("font-weight: bold; font-size: 12pt;");
    auto* contact =
        newLabel("Label5", "Fragen, Anregungen und Fehlermeldungen nehmen wir gern entgegen:", maker);
    contact->setWordWrap(true);
    cmdEMail = newLink("cmdEMail", withoutScheme(WebAddresses::ContactMail), "eMail schreiben",
                       WebAddresses::ContactMail, maker);
    cmdInternet = newLink("cmdInternet", withoutScheme(WebAddresses::MakerHomePage), "Zur Internetseite",
                          WebAddresses::MakerHomePage, maker);
    auto* makerLayout = new QGridLayout(maker);
    makerLayout->addWidget(Image[1], 0, 0, 2, 1, Qt::AlignTop);
    makerLayout->addWidget(makerName, 0, 1, 1, 2);
    makerLayout->addWidget(contact, 1, 1, 1, 2);
    makerLayout->addWidget(Image[2], 2, 1);
    makerLayout->addWidget(cmdEMail, 2, 2);
    makerLayout->addWidget(Image[3], 3, 1);
    makerLayout->addWidget(cmdInternet, 3, 2);
    makerLayout->setColumnStretch(2, 1);
    makerLayout->setRowStretch(4, 1);

    sevTabStrip1->addTab(program, "&Programm");
    sevTabStrip1->addTab(maker, "&Hersteller");

    Command1 = new QPushButton("&Okay", this);
    Command1->setObjectName("Command1");
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &copyright1::Command1_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sevTabStrip1, 1);
    layout->addLayout(buttons);
    resize(400, 260);
    KeepDesignedSize(this);

    Form_Load();
}

void copyright1::Form_Load()
{
    Label2[0]->setText("Version " + VersionText());
}

void copyright1::Command1_Click()
{
    Forms::Unload(this);
}

void copyright1::done(int result)
{
    QDialog::done(result);
    Forms::Unload(this);
}
