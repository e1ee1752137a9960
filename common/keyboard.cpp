#include "common/keyboard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QShortcutEvent>
#include <QToolButton>

namespace
{

bool isPushOrToolButton(const QObject* object)
{
    return qobject_cast<const QPushButton*>(object) || qobject_cast<const QToolButton*>(object);
}

// What Space would do: a button that only opens its menu opens it, any other is clicked.
void press(QAbstractButton* button)
{
    if (auto* tool = qobject_cast<QToolButton*>(button);
        tool && tool->menu() && tool->popupMode() == QToolButton::InstantPopup) {
        tool->showMenu();
        return;
    }
    if (auto* push = qobject_cast<QPushButton*>(button); push && push->menu()) {
        push->showMenu();
        return;
    }
    button->click();
}

bool isReturn(const QKeyEvent* key)
{
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
           (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

bool opensDropDown(const QKeyEvent* key)
{
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    return (key->key() == Qt::Key_Down && modifiers == Qt::AltModifier) ||
           (key->key() == Qt::Key_F4 && modifiers == Qt::NoModifier);
}

class KeyboardConventions : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            return returnOnButton(watched, key) || dropDownOfButton(watched, key);
        }
        if (event->type() == QEvent::Shortcut)
            return sharedAccessKey(watched, static_cast<QShortcutEvent*>(event));
        return false;
    }

private:
    static bool returnOnButton(QObject* watched, QKeyEvent* key)
    {
        if (!isReturn(key) || !isPushOrToolButton(watched))
            return false;
        auto* button = static_cast<QAbstractButton*>(watched);
        if (!button->hasFocus() || !button->isEnabled())
            return false;
        // A held key presses once.
        if (!key->isAutoRepeat())
            press(button);
        return true;
    }

    static bool dropDownOfButton(QObject* watched, QKeyEvent* key)
    {
        auto* button = qobject_cast<QToolButton*>(watched);
        if (!button || !button->menu() || !button->hasFocus() || !button->isEnabled() || !opensDropDown(key))
            return false;
        button->showMenu();
        return true;
    }

    static bool sharedAccessKey(QObject* watched, QShortcutEvent* shortcut)
    {
        if (!shortcut->isAmbiguous())
            return false;
        auto* owner = qobject_cast<QWidget*>(watched);
        QWidget* window = owner ? owner->window() : QApplication::activeWindow();
        QAbstractButton* button = ButtonForKey(window, shortcut->key());
        if (!button)
            return false;
        if (button->focusPolicy() & Qt::TabFocus)
            button->setFocus(Qt::ShortcutFocusReason);
        press(button);
        return true;
    }
};

} // namespace

QAbstractButton* ButtonForKey(QWidget* window, const QKeySequence& key)
{
    if (!window || key.isEmpty())
        return nullptr;
    QList<QAbstractButton*> buttons;
    QList<QAbstractButton*> pushButtons;
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (!isPushOrToolButton(button) || button->window() != window || !button->isVisible() ||
            !button->isEnabled() || button->shortcut() != key)
            continue;
        buttons << button;
        if (qobject_cast<QPushButton*>(button))
            pushButtons << button;
    }
    // A push button goes before the tool buttons that choose a page or sit in a bar.
    if (buttons.size() == 1)
        return buttons.first();
    return pushButtons.size() == 1 ? pushButtons.first() : nullptr;
}

void UseKeyboardConventions()
{
    static QPointer<KeyboardConventions> installed;
    if (installed || !qApp)
        return;
    installed = new KeyboardConventions(qApp);
    qApp->installEventFilter(installed);
}

bool OpensDropDown(const QKeyEvent* key)
{
    return opensDropDown(key);
}
