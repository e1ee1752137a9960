#include "app/form1.h"
#include "app/messageloop.h"
#include "common/forms.h"
#include "common/programicon.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tovalinero Pro"));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(ProgramIcon());

    // German texts for Qt's own dialogs and standard buttons ("Ja", "Nein", "Abbrechen").
    QTranslator qtTranslation;
    if (qtTranslation.load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslation);

    Forms::Get<Form1>().Form_Load();
    return RunMessageLoop();
}
