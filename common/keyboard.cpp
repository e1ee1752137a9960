#include "common/keyboard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QShortcutEvent>
#include <QTabBar>
#include <QToolButton>
#include <algorithm>
#include <climits>

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

// One of the controls that share an access key, and where the focus goes for it: the button
// itself, the control a label leads to, the first control inside a group box, or the tab bar of
// a tab, which then shows that tab.
struct Sharer {
    QWidget* focus = nullptr;
    QTabBar* bar = nullptr;
    int tab = -1;
    // The place in Tab order, a tab's index within its bar after it.
    int order = 0;

    bool operator<(const Sharer& other) const
    {
        return order != other.order ? order < other.order : tab < other.tab;
    }

    void visit() const
    {
        if (bar)
            bar->setCurrentIndex(tab);
        focus->setFocus(Qt::ShortcutFocusReason);
        focus->window()->setAttribute(Qt::WA_KeyboardFocusChange);
    }
};

bool takesFocus(const QWidget* widget)
{
    return widget && widget->isVisible() && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus);
}

// The widget that ends up with the focus given to this one.
QWidget* focusTarget(QWidget* widget)
{
    while (widget && widget->focusProxy())
        widget = widget->focusProxy();
    return widget;
}

// Every widget of the window in Tab order, which is the order of the focus chain.
QHash<const QWidget*, int> tabOrder(QWidget* window)
{
    QHash<const QWidget*, int> order;
    int place = 0;
    for (QWidget* widget = window->nextInFocusChain(); widget && widget != window && !order.contains(widget);
         widget = widget->nextInFocusChain())
        order.insert(widget, ++place);
    return order;
}

// The control a group box hands the focus to: the first inside it that takes the focus.
QWidget* firstInside(QGroupBox* group)
{
    if (group->isCheckable())
        return group;
    for (QWidget* widget = group->nextInFocusChain(); widget && widget != group;
         widget = widget->nextInFocusChain()) {
        if (!group->isAncestorOf(widget))
            break;
        if (takesFocus(widget))
            return widget;
    }
    return nullptr;
}

bool carries(const QString& caption, const QKeySequence& key)
{
    return QKeySequence::mnemonic(caption) == key;
}

QList<Sharer> sharersOf(QWidget* window, const QKeySequence& key, const QHash<const QWidget*, int>& order)
{
    QList<Sharer> sharers;
    // Also a control that Tab passes by gets the focus: the unchecked buttons of an exclusive
    // group (Tab stops at the checked one alone) and the headings of a page bar.
    auto add = [&sharers](QWidget* control, QTabBar* bar = nullptr, int tab = -1) {
        if (QWidget* focus = focusTarget(control); focus && focus->isVisible() && focus->isEnabled())
            sharers.append(Sharer{focus, bar, tab});
    };
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (child->window() != window || !child->isVisible() || !child->isEnabled())
            continue;
        if (auto* button = qobject_cast<QAbstractButton*>(child)) {
            if (button->shortcut() == key)
                add(button);
        } else if (auto* label = qobject_cast<QLabel*>(child)) {
            if (label->buddy() && carries(label->text(), key))
                add(label->buddy());
        } else if (auto* group = qobject_cast<QGroupBox*>(child)) {
            if (carries(group->title(), key))
                add(firstInside(group));
        } else if (auto* bar = qobject_cast<QTabBar*>(child)) {
            for (int i = 0; i < bar->count(); ++i)
                if (bar->isTabEnabled(i) && bar->isTabVisible(i) && carries(bar->tabText(i), key))
                    add(bar, bar, i);
        }
    }
    for (Sharer& sharer : sharers)
        sharer.order = order.value(sharer.focus);
    std::sort(sharers.begin(), sharers.end());
    return sharers;
}

// The sharer after the control that has the focus, in Tab order, the first one after the last.
const Sharer& nextAfterFocus(QWidget* window, const QList<Sharer>& sharers,
                             const QHash<const QWidget*, int>& order)
{
    QWidget* focus = window->focusWidget();
    Sharer here{focus};
    here.order = order.value(focus);
    // On a tab bar the focus stands at its shown tab; on any other control after all it holds.
    auto* bar = qobject_cast<QTabBar*>(focus);
    here.tab = bar ? bar->currentIndex() : INT_MAX;
    for (const Sharer& sharer : sharers)
        if (here < sharer)
            return sharer;
    return sharers.first();
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
        if (!button || !button->menu() || !button->hasFocus() || !button->isEnabled() || !OpensDropDown(key))
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
        if (!window)
            return false;
        const QHash<const QWidget*, int> order = tabOrder(window);
        const QList<Sharer> sharers = sharersOf(window, shortcut->key(), order);
        // A key that a shortcut of its own shares with one control is left to Qt.
        if (sharers.size() < 2)
            return false;
        nextAfterFocus(window, sharers, order).visit();
        return true;
    }
};

} // namespace

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
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    return (key->key() == Qt::Key_Down && modifiers == Qt::AltModifier) ||
           (key->key() == Qt::Key_F4 && modifiers == Qt::NoModifier);
}
