#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QListWidget;
class QPushButton;

// The editor of the composer's attachment list, shown modally over it. It works on a copy:
// "&Schließen" hands the list back, closing the window any other way discards the changes.
class anlagen1 : public QDialog
{
    Q_OBJECT
public:
    explicit anlagen1(QWidget* parent = nullptr);

    void cmdAttachmentAdd_Click();
    void Command6_Click();
    void lstAttachments_Click();
    void Command1_Click();

    QLabel* lblHeading;
    QLabel* lblHint;
    QListWidget* lstAttachments;
    QPushButton* cmdAttachmentAdd;
    QPushButton* Command6;
    QPushButton* Command1;

    void done(int result) override;
};

// The texts of the list's items, in order.
QStringList ItemTexts(const QListWidget* list);
