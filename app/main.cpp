#include "app/form1.h"
#include "app/messageloop.h"
#include "common/forms.h"
#include "common/germanlocale.h"
#include "common/keyboard.h"
#include "common/programicon.h"
#include "platform/programfolderlock.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tovalinero Pro"));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(ProgramIcon());

    UseGermanLocale();
    UseKeyboardConventions();

    // Held until the process ends, past the last window: mail transfers may still finish then.
    ProgramFolderLock folderLock;
    if (!folderLock.TakeForStart())
        return 1;
    Forms::Get<Form1>().Form_Load();
    return RunMessageLoop();
}
