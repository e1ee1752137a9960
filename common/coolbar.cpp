#include "common/coolbar.h"

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
                                const QString& toolTip, const QString& toolTipTitle)
{
    auto* button = new QToolButton(this);
    button->setObjectName(key);
    button->setText(text);
    button->setIcon(icon);
    button->setAutoRaise(true);
    button->setToolButtonStyle(text.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon);
    SetTitledToolTip(button, toolTipTitle, toolTip);
    // A button that shows only its picture is named by its tooltip.
    button->setAccessibleName(text.isEmpty() ? toolTip : QString(text).remove('&'));
    addWidget(button);
    keys_ << key;
    connect(button, &QToolButton::clicked, this, [this, key] { emit ButtonClick(key); });
    return button;
}

void Coolbar::AddSeparator()
{
    addSeparator();
    keys_ << QString();
}

QAction* Coolbar::AddButtonMenu(const QString& buttonKey, const QString& itemKey, const QString& caption)
{
    QToolButton* button = Button(buttonKey);
    if (!button)
        return nullptr;
    QMenu* menu = button->menu();
    if (!menu) {
        menu = new QMenu(button);
        button->setMenu(menu);
        button->setPopupMode(QToolButton::MenuButtonPopup);
    }
    QAction* item = menu->addAction(caption);
    item->setObjectName(itemKey);
    const int index = static_cast<int>(menu->actions().size());
    connect(item, &QAction::triggered, this,
            [this, index, itemKey] { emit ButtonMenuClick(index, itemKey); });
    return item;
}

QToolButton* Coolbar::Button(const QString& key) const
{
    if (key.isEmpty())
        return nullptr;
    return findChild<QToolButton*>(key, Qt::FindDirectChildrenOnly);
}

QMenu* Coolbar::ButtonMenu(const QString& key) const
{
    QToolButton* button = Button(key);
    return button ? button->menu() : nullptr;
}

QStringList Coolbar::Keys() const
{
    return keys_;
}
