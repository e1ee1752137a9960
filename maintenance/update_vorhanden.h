#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The notice of a newer version, shown beside the main window without waiting for it.
class update_vorhanden : public QDialog
{
    Q_OBJECT
public:
    explicit update_vorhanden(QWidget* parent = nullptr);

    void Command1_Click();
    void Command2_Click();
    void UnloadAllForms();

    QLabel* Label1;
    QLabel* updVersion;
    QLabel* Image1;
    QPushButton* Command1;
    QPushButton* Command2;

    void done(int result) override;
};

// "Online-Update": whether the user wants the version page opened.
bool AskToOpenVersionPage();
