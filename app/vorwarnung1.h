#pragma once

#include "ui_vorwarnung1.h"

#include <QDialog>

// The lead-time warning where the desktop has neither a tray for the balloon nor a notification
// service: it names the persons until the user closes it. Modeless, so the check goes on.
class vorwarnung1 : public QDialog, public Ui::vorwarnung1
{
    Q_OBJECT
public:
    explicit vorwarnung1(QWidget* parent = nullptr);

    // The balloon's title and text; a further warning of the same run shows the grown text.
    void ShowWarning(const QString& title, const QString& text);
    void Command1_Click();

    void done(int result) override;
};
