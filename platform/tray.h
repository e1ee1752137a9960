#pragma once

#include "platform/seam.h"

#include <QIcon>
#include <QObject>
#include <QString>

class QMenu;
class QSystemTrayIcon;

// The tray icon with its tooltip, balloon and menu. Raises DblClick, MouseUp (1 left, 2 right)
// and MenuClick with the item's index and key. Where the desktop has no tray, nothing shows
// and nothing fails; available() tells.
class Tray : public QObject
{
    Q_OBJECT
public:
    virtual bool available() const = 0;
    virtual void setIcon(const QIcon& icon) = 0;
    virtual void setToolTip(const QString& text) = 0;
    virtual void addIcon() = 0;
    virtual void removeIcon() = 0;
    virtual bool iconShown() const = 0;
    virtual void showBalloon(const QString& title, const QString& text, int icon) = 0;
    virtual void addMenuItem(const QString& caption, const QString& key) = 0;
    virtual void showMenu() = 0;

signals:
    void DblClick();
    void MouseUp(int button);
    void MenuClick(int index, const QString& key);
};

// How the desktop's tray reports a left click: an XEmbed tray sends a press and, for a double
// click, a double-click; a StatusNotifierItem host sends one activation and never a double-click.
enum class TrayClicks { PressAndDoubleClick, SingleActivation };

// The kind Qt's tray icon will use: a StatusNotifierItem wherever a watcher is on the session bus.
TrayClicks DetectTrayClicks();

// Every event reaches the program only after the icon's own event handler has returned, and a
// menu item only after the menu has closed: the program may then remove the icon.
class SystemTray : public Tray
{
    Q_OBJECT
public:
    explicit SystemTray(TrayClicks clicks = DetectTrayClicks());
    bool available() const override;
    void setIcon(const QIcon& icon) override;
    void setToolTip(const QString& text) override;
    void addIcon() override;
    void removeIcon() override;
    bool iconShown() const override;
    void showBalloon(const QString& title, const QString& text, int icon) override;
    void addMenuItem(const QString& caption, const QString& key) override;
    void showMenu() override;

private:
    QSystemTrayIcon* icon_;
    QMenu* menu_;
};

using TraySeam = Seam<Tray, SystemTray>;
