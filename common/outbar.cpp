#include "common/outbar.h"

#include <QButtonGroup>
#include <QScrollArea>
#include <QStyle>
#include <QToolBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{
QString withoutAccessKey(QString caption)
{
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    caption.remove('&');
    return caption.replace(QChar(1), '&');
}
} // namespace

OutBar::OutBar(QWidget* parent)
    : QWidget(parent), toolBox_(new QToolBox(this)), selection_(new QButtonGroup(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(toolBox_);
    selection_->setExclusive(true);
}

int OutBar::AddGroup(const QString& caption)
{
    auto* page = new QWidget(toolBox_);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    layout->addStretch(1);
    groups_.append(Group{page, {}});
    const int number = GroupCount();
    page->setObjectName(QStringLiteral("outBarGroup_%1").arg(number));
    toolBox_->addItem(page, caption);
    // The tool box wraps the page in a scroll area of its own, which would be a nameless stop of
    // Tab; the items themselves take the focus and are scrolled into view.
    for (QWidget* up = page->parentWidget(); up && up != toolBox_; up = up->parentWidget())
        if (auto* area = qobject_cast<QScrollArea*>(up))
            area->setFocusPolicy(Qt::NoFocus);
    return number;
}

int OutBar::AddItem(int group, const QString& caption, const QIcon& icon)
{
    if (group < 1 || group > GroupCount())
        return 0;
    Group& g = groups_[group - 1];
    const int number = static_cast<int>(g.items.size()) + 1;
    auto* button = new QToolButton(g.page);
    button->setObjectName(QStringLiteral("outBarItem_%1_%2").arg(group).arg(number));
    button->setText(caption);
    button->setAccessibleName(withoutAccessKey(caption));
    button->setIcon(icon.isNull() ? style()->standardIcon(QStyle::SP_FileDialogContentsView) : icon);
    button->setIconSize(QSize(32, 32));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setAutoRaise(true);
    button->setCheckable(true);
    selection_->addButton(button);
    auto* layout = static_cast<QVBoxLayout*>(g.page->layout());
    // Items stay above the stretch at the end.
    layout->insertWidget(layout->count() - 1, button);
    g.items.append(button);
    // Toggled, not clicked: an item chosen by its access key or by assistive technology becomes
    // the checked one without a click, and its page must follow all the same.
    connect(button, &QToolButton::toggled, this, [this, group, number](bool checked) {
        if (checked)
            emit ItemClick(group, number);
    });
    return number;
}

int OutBar::ItemCount(int group) const
{
    if (group < 1 || group > GroupCount())
        return 0;
    return static_cast<int>(groups_[group - 1].items.size());
}

QString OutBar::GroupCaption(int group) const
{
    if (group < 1 || group > GroupCount())
        return QString();
    return toolBox_->itemText(group - 1);
}

QString OutBar::ItemCaption(int group, int item) const
{
    QAbstractButton* button = ItemButton(group, item);
    return button ? button->text() : QString();
}

QAbstractButton* OutBar::ItemButton(int group, int item) const
{
    if (item < 1 || item > ItemCount(group))
        return nullptr;
    return groups_[group - 1].items[item - 1];
}

void OutBar::OpenGroup(int group)
{
    if (group >= 1 && group <= GroupCount())
        toolBox_->setCurrentIndex(group - 1);
}

int OutBar::OpenGroupNumber() const
{
    return toolBox_->currentIndex() + 1;
}
