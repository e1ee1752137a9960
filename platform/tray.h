#pragma once

#include "platform/seam.h"

#include <QDeadlineTimer>
#include <QIcon>
#include <QObject>
#include <QRect>
#include <QString>
#include <optional>

class QMenu;
class QSystemTrayIcon;
class QTimer;

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
// An XEmbed tray docks an icon a moment after it is shown; until then the icon stands in the
// screen's corner, and a balloon would point there. A balloon therefore waits until the icon has
// its place, but never longer than BalloonWaitMs, so that it is never lost.
class SystemTray : public Tray
{
    Q_OBJECT
public:
    static constexpr int BalloonWaitMs = 3000;

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

protected:
    // Where the icon stands on the screen.
    virtual QRect iconGeometry() const;
    // Shows the balloon at the icon straight away.
    virtual void showMessage(const QString& title, const QString& text, int icon);

private:
    struct PendingBalloon {
        QString title;
        QString text;
        int icon;
    };
    bool iconPlaced() const;
    void deliverBalloon();

    QSystemTrayIcon* icon_;
    QMenu* menu_;
    // A StatusNotifierItem host shows balloons as notifications, with no place of the icon.
    bool iconHasNoPlace_;
    std::optional<PendingBalloon> balloon_;
    QTimer* balloonWait_;
    QDeadlineTimer balloonDeadline_;
};

using TraySeam = Seam<Tray, SystemTray>;
