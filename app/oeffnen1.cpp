#include "app/oeffnen1.h"

#include "app/form1.h"
#include "common/forms.h"
#include "common/helpopen.h"
#include "common/moddraw.h"
#include "common/sevtext.h"
#include "platform/programfolder.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

oeffnen1::oeffnen1(QWidget* parent)
    : ListFileWindow(
          "oeffnen1", QStringLiteral("Tovalinerosliste öffnen"),
          QApplication::style()->standardIcon(QStyle::SP_DialogOpenButton),
          QStringLiteral("Hier können Sie eine bereits gespeicherte Tovalinerosliste öffnen. Die "
                         "vorhandene Liste wird überschrieben. Wird automatisch zur Standard-Datei."),
          QStringLiteral("Die Datei wurde erfolgreich geöffnet und die Daten eingelesen."), parent)
{
    Command2 = new QPushButton(picBottom);
    Command2->setObjectName("Command2");
    Command2->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    Command2->setAccessibleName("Hilfe");
    Command2->setToolTip("Hilfe");
    Command2->setAutoDefault(false);
    static_cast<QBoxLayout*>(picBottom->layout())->insertWidget(0, Command2);
    connect(Command2, &QPushButton::clicked, this, &oeffnen1::Command2_Click);
}

void oeffnen1::sevText1_ButtonClick()
{
    const QString path = sevText1->ShowOpenDialog(
        QStringLiteral("Tovalinerosliste öffnen"), ProgramFolder() + "/", QString(),
        QStringLiteral("Tovalinerosliste (*.dat)|*.dat|Textdateien (*.txt)|*.txt|Alle Dateien (*.*)|*.*"),
        ".dat");
    if (path.isEmpty())
        return;
    sevText1->SetText(QDir::toNativeSeparators(path));
    Form1* main = Forms::Loaded<Form1>();
    if (!main)
        return;
    // The file is read whole before anything changes; a file that cannot be read leaves the list.
    const bool opened = main->ReplaceBirthdayList(path);
    QDir(ProgramFolder()).mkdir("report");
    Label3->setVisible(opened);
}

void oeffnen1::Command2_Click()
{
    ShowHelpContext(1, HelpContextOpenList);
}
