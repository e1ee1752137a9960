// The tray: the window goes there when minimised and comes back by double-click or its menu.
#include "app/form1.h"

#include "common/forms.h"
#include "common/version.h"
#include "platform/tray.h"

#include <QEvent>

void Form1::BuildTray()
{
    Tray& tray = TraySeam::get();
    connect(&tray, &Tray::DblClick, this, &Form1::sevTray1_DblClick);
    connect(&tray, &Tray::MouseUp, this, &Form1::sevTray1_MouseUp);
    connect(&tray, &Tray::MenuClick, this, &Form1::sevTray1_MenuClick);
}

void Form1::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        Form_Resize();
}

void Form1::Form_Resize()
{
    if (!isMinimized())
        return;
    Tray& tray = TraySeam::get();
    tray.setIcon(windowIcon());
    tray.setToolTip(ProductWithVersion());
    tray.addIcon();
    tray.showBalloon(ProductWithVersion(), "Hier mit rechter Maustaste klicken\r\num das Menü zu öffnen...",
                     1);
    SetWindowShown(false);
}

// Without a tray on the desktop the window stays in the task bar, so it can always come back.
void Form1::SetWindowShown(bool shown)
{
    if (shown) {
        show();
        raise();
        activateWindow();
    } else if (TraySeam::get().available()) {
        // Minimising shows the window once its state has changed, so it leaves only afterwards.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (isMinimized())
                    hide();
            },
            Qt::QueuedConnection);
    }
}

void Form1::sevTray1_DblClick()
{
    showNormal();
    SetWindowShown(true);
    TraySeam::get().removeIcon();
}

void Form1::sevTray1_MouseUp(int button)
{
    if (button != 2)
        return;
    Tray& tray = TraySeam::get();
    tray.addMenuItem("Tovalinero Pro &öffnen...", "open");
    tray.addMenuItem("Manuelle Überprüfung starten", "manueber");
    tray.addMenuItem("-", QString());
    tray.addMenuItem("Programm &beenden", "exit");
    tray.showMenu();
}

void Form1::sevTray1_MenuClick(int, const QString& key)
{
    if (key == QLatin1String("open")) {
        sevTray1_DblClick();
    } else if (key == QLatin1String("manueber")) {
        RunBirthdayCheck();
    } else if (key == QLatin1String("exit")) {
        hide();
        UnloadAllForms();
    }
}
