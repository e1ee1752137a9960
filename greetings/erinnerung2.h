#pragma once

#include <QDialog>

// The automatic greeting window.
class erinnerung2 : public QDialog {
    Q_OBJECT
public:
    explicit erinnerung2(QWidget* parent = nullptr);
};
