#pragma once

#include <QIcon>
#include <QString>
#include <QToolBar>

class QMenu;
class QToolButton;

// Gives a control a tooltip with a bold title line above its text; toolTip() stays the text and
// the title is kept in the property "toolTipTitle".
void SetTitledToolTip(QWidget* control, const QString& title, const QString& text);

// The keyed toolbar: buttons found by their key, separators, and a drop-down menu on a button.
// A click on a button raises ButtonClick with its key; an item of a drop-down menu raises
// ButtonMenuClick with the item's place in its menu (from 1) and the item's key.
class Coolbar : public QToolBar
{
    Q_OBJECT
public:
    explicit Coolbar(QWidget* parent = nullptr);

    QToolButton* AddButton(const QString& key, const QString& text, const QIcon& icon, const QString& toolTip,
                           const QString& toolTipTitle = QString());
    void AddSeparator();
    // Adds an item to the button's drop-down menu; the button gets its arrow with the first item.
    QAction* AddButtonMenu(const QString& buttonKey, const QString& itemKey, const QString& caption);

    QToolButton* Button(const QString& key) const;
    QMenu* ButtonMenu(const QString& key) const;
    // The keys in order; a separator counts as an empty key.
    QStringList Keys() const;

signals:
    void ButtonClick(const QString& key);
    void ButtonMenuClick(int index, const QString& key);

private:
    QStringList keys_;
};
