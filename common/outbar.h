#pragma once

#include <QIcon>
#include <QList>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QToolBox;
class QToolButton;

// The page bar of a dialog: groups with headings, one open at a time, each with its items as
// buttons. Groups and items are counted from 1.
class OutBar : public QWidget
{
    Q_OBJECT
public:
    explicit OutBar(QWidget* parent = nullptr);

    int AddGroup(const QString& caption);
    int AddItem(int group, const QString& caption, const QIcon& icon = QIcon());

    int GroupCount() const { return static_cast<int>(groups_.size()); }
    int ItemCount(int group) const;
    QString GroupCaption(int group) const;
    QString ItemCaption(int group, int item) const;
    QAbstractButton* ItemButton(int group, int item) const;

    void OpenGroup(int group);
    int OpenGroupNumber() const;
    QToolBox* ToolBox() const { return toolBox_; }

signals:
    void ItemClick(int group, int item);

private:
    struct Group {
        QWidget* page;
        QList<QToolButton*> items;
    };
    QToolBox* toolBox_;
    QButtonGroup* selection_;
    QList<Group> groups_;
};
