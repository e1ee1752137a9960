#include "common/mousepointer.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

void ShowBusyPointer()
{
    if (!QApplication::overrideCursor())
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

namespace
{

// Ends a short wait at the first window the window system asks to paint again.
class ExposeWatch : public QObject
{
public:
    explicit ExposeWatch(QEventLoop& loop) : loop_(loop) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Expose)
            QTimer::singleShot(0, &loop_, &QEventLoop::quit);
        return false;
    }

private:
    QEventLoop& loop_;
};

// Long enough for a window manager to take a closed dialog's frame away.
constexpr int WindowSystemMs = 300;

} // namespace

void ShowBusyPointerNow()
{
    ShowBusyPointer();
    // A closed dialog leaves the screen, and the windows it covered are asked to paint again,
    // only once the window system has had its turn: input waits meanwhile.
    QEventLoop settle;
    ExposeWatch watch(settle);
    qApp->installEventFilter(&watch);
    QTimer::singleShot(WindowSystemMs, &settle, &QEventLoop::quit);
    settle.exec(QEventLoop::ExcludeUserInputEvents);
    qApp->removeEventFilter(&watch);
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
