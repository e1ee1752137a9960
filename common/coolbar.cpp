#include "common/coolbar.h"

#include <QButtonGroup>
#include <QEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QToolButton>
#include <QToolTip>

namespace
{

// Shows the title above the text when the control asks for its tooltip.
class TitledToolTipFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::ToolTip)
            return false;
        auto* control = qobject_cast<QWidget*>(watched);
        const QString title = control ? control->property("toolTipTitle").toString() : QString();
        if (!control || title.isEmpty() || control->toolTip().isEmpty())
            return false;
        const QString html = "<b>" + title.toHtmlEscaped() + "</b><br/>" + control->toolTip().toHtmlEscaped();
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), html, control);
        return true;
    }
};

} // namespace

void SetTitledToolTip(QWidget* control, const QString& title, const QString& text)
{
    control->setToolTip(text);
    control->setProperty("toolTipTitle", title);
    if (!title.isEmpty() && !control->findChild<TitledToolTipFilter*>(QString(), Qt::FindDirectChildrenOnly))
        control->installEventFilter(new TitledToolTipFilter(control));
}

Coolbar::Coolbar(QWidget* parent) : QToolBar(parent)
{
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
}

QToolButton* Coolbar::AddButton(const QString& key, const QString& text, const QIcon& icon,
                                const QString& toolTip, const QString& toolTipTitle, Style style)
{
    auto* button = new QToolButton(this);
    button->setObjectName(key);
    button->setText(text);
    button->setIcon(icon);
    button->setAutoRaise(true);
    button->setToolButtonStyle(text.isEmpty()  ? Qt::ToolButtonIconOnly
                               : icon.isNull() ? Qt::ToolButtonTextOnly
                                               : Qt::ToolButtonTextBesideIcon);
    button->setCheckable(style != Style::Default);
    // Reached by Tab like any other control; a click leaves the focus where it was.
    button->setFocusPolicy(Qt::TabFocus);
    SetTitledToolTip(button, toolTipTitle, toolTip);
    // A button that shows only its picture is named by its tooltip.
    button->setAccessibleName(text.isEmpty() ? toolTip : QString(text).remove('&'));
    if (!text.isEmpty() && !toolTip.isEmpty())
        button->setAccessibleDescription(toolTipTitle.isEmpty() ? toolTip : toolTipTitle + ": " + toolTip);
    addWidget(button);
    entries_.append(Entry{key, button, style, nullptr});
    entries_.last().group = style == Style::Group ? groupFor(button) : nullptr;
    if (!key.isEmpty())
        connect(button, &QToolButton::clicked, this, [this, key] { emit ButtonClick(key); });
    return button;
}

QButtonGroup* Coolbar::groupFor(QToolButton* button)
{
    QButtonGroup* group = nullptr;
    if (entries_.size() > 1) {
        const Entry& previous = entries_.at(entries_.size() - 2);
        if (previous.style == Style::Group)
            group = previous.group;
    }
    if (!group) {
        group = new QButtonGroup(this);
        group->setExclusive(true);
    }
    group->addButton(button);
    return group;
}

void Coolbar::AddSeparator()
{
    addSeparator();
    entries_.append(Entry{});
}

QAction* Coolbar::AddButtonMenu(const QString& buttonKey, const QString& itemKey, const QString& caption)
{
    for (int i = 0; i < entries_.size(); ++i)
        if (entries_[i].button && !buttonKey.isEmpty() && entries_[i].key == buttonKey)
            return AddButtonMenu(i + 1, itemKey, caption);
    return nullptr;
}

QAction* Coolbar::AddButtonMenu(int index, const QString& itemKey, const QString& caption)
{
    QToolButton* button = Button(index);
    if (!button)
        return nullptr;
    QMenu* menu = button->menu();
    if (!menu) {
        menu = new QMenu(button);
        button->setMenu(menu);
        // Without a key the button has nothing else to do than open its menu.
        button->setPopupMode(entries_[index - 1].key.isEmpty() ? QToolButton::InstantPopup
                                                               : QToolButton::MenuButtonPopup);
    }
    if (caption == QLatin1String("-"))
        return menu->addSeparator();
    QAction* item = menu->addAction(caption);
    item->setObjectName(itemKey);
    connect(item, &QAction::triggered, this,
            [this, index, itemKey] { emit ButtonMenuClick(index, itemKey); });
    return item;
}

QToolButton* Coolbar::Button(const QString& key) const
{
    if (key.isEmpty())
        return nullptr;
    for (const Entry& entry : entries_)
        if (entry.key == key && entry.button)
            return entry.button;
    return nullptr;
}

QToolButton* Coolbar::Button(int index) const
{
    if (index < 1 || index > entries_.size())
        return nullptr;
    return entries_[index - 1].button;
}

QMenu* Coolbar::ButtonMenu(const QString& key) const
{
    QToolButton* button = Button(key);
    return button ? button->menu() : nullptr;
}

QMenu* Coolbar::ButtonMenu(int index) const
{
    QToolButton* button = Button(index);
    return button ? button->menu() : nullptr;
}

QStringList Coolbar::Keys() const
{
    QStringList keys;
    for (const Entry& entry : entries_)
        keys << entry.key;
    return keys;
}
