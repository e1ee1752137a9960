#include "common/mousepointer.h"

#include <QApplication>
#include <QCursor>
#include <QWidget>

void ShowBusyPointer()
{
    if (!QApplication::overrideCursor())
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void ShowBusyPointerNow()
{
    ShowBusyPointer();
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible())
            window->repaint();
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
