#include "common/mousepointer.h"

#include <QApplication>
#include <QCursor>

void ShowBusyPointer()
{
    if (!QApplication::overrideCursor())
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void ShowNormalPointer()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

bool IsBusyPointerShown()
{
    return QApplication::overrideCursor() != nullptr;
}
