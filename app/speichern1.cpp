#include "app/speichern1.h"

#include "app/form1.h"
#include "common/forms.h"
#include "common/listfile.h"
#include "common/mousepointer.h"
#include "common/sevtext.h"
#include "common/textfile.h"
#include "platform/programfolder.h"
#include "platform/prompt.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QStyle>

speichern1::speichern1(QWidget* parent)
    : ListFileWindow("speichern1", QStringLiteral("Tovalinerosliste speichern unter..."),
                     QApplication::style()->standardIcon(QStyle::SP_DialogSaveButton),
                     QStringLiteral("Sie haben hier die Möglichkeit Ihre bereits angelegten Tovalineroe in "
                                    "eine externe Datei zu sichern."),
                     QStringLiteral("Die Datei wurde erfolgreich gespeichert."), parent)
{
}

void speichern1::sevText1_ButtonClick()
{
    const QString path =
        sevText1->ShowSaveDialog(QStringLiteral("Tovalinerosliste speichern unter..."), ProgramFolder() + "/",
                                 QString(), QStringLiteral("Tovalinerosliste (*.dat)|*.dat"), ".dat");
    if (path.isEmpty())
        return;
    sevText1->SetText(QDir::toNativeSeparators(path));
    Form1* main = Forms::Loaded<Form1>();
    if (!main)
        return;
    Label3->hide();
    Label3->setVisible(main->WriteBirthdayListTo(path));
}
