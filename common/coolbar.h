#pragma once

#include <QIcon>
#include <QList>
#include <QString>
#include <QToolBar>

class QButtonGroup;
class QMenu;
class QToolButton;

// Gives a control a tooltip with a bold title line above its text; toolTip() stays the text and
// the title is kept in the property "toolTipTitle".
void SetTitledToolTip(QWidget* control, const QString& title, const QString& text);

// The keyed toolbar: buttons found by their key or by their place, separators, buttons that stay
// pressed, groups of buttons of which one is pressed at a time, and a drop-down menu on a button.
// A click on a button raises ButtonClick with its key, once the button shows its new state; an
// item of a drop-down menu raises ButtonMenuClick with the place of its button and the item's key.
class Coolbar : public QToolBar
{
    Q_OBJECT
public:
    enum class Style {
        Default,
        // Pressed by one click, released by the next.
        Check,
        // Buttons of this style next to each other form one group: a click presses the button
        // and releases the others.
        Group,
    };

    explicit Coolbar(QWidget* parent = nullptr);

    // A button without a key raises no ButtonClick; with a drop-down menu a click opens the menu.
    QToolButton* AddButton(const QString& key, const QString& text, const QIcon& icon, const QString& toolTip,
                           const QString& toolTipTitle = QString(), Style style = Style::Default);
    void AddSeparator();
    // Adds an item to the button's drop-down menu; the caption "-" adds a separator line. A
    // button with a key gets its arrow with the first item.
    QAction* AddButtonMenu(const QString& buttonKey, const QString& itemKey, const QString& caption);
    QAction* AddButtonMenu(int index, const QString& itemKey, const QString& caption);

    QToolButton* Button(const QString& key) const;
    // By place from 1, separators counted; none for a separator or a place beyond the end.
    QToolButton* Button(int index) const;
    int ButtonCount() const { return static_cast<int>(entries_.size()); }
    QMenu* ButtonMenu(const QString& key) const;
    QMenu* ButtonMenu(int index) const;
    // The keys in order; a separator and a button without a key count as an empty key.
    QStringList Keys() const;

signals:
    void ButtonClick(const QString& key);
    void ButtonMenuClick(int index, const QString& key);

private:
    struct Entry {
        QString key;
        QToolButton* button = nullptr;
        Style style = Style::Default;
        QButtonGroup* group = nullptr;
    };
    QButtonGroup* groupFor(QToolButton* button);
    QList<Entry> entries_;
};
